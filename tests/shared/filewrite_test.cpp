#include "shared/filewrite.h"

#include <QDir>
#include <QTemporaryDir>
#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zarvo::shared {
namespace {

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

struct stat Stat(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

TEST(WriteFileAtomically, ReplacesFilesWholeFollowsLinksAndWritesPipesInPlace) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const std::string dir = temp.path().toStdString() + "/";
    const auto entries = [&] {
        return QDir(temp.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    };
    const auto text = [](const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); };

    // A new file: 0666 less the umask
    const mode_t oldMask = ::umask(027);
    WriteFileAtomically(dir + "new.bin", text("new"));
    ::umask(oldMask);
    EXPECT_EQ(Read(dir + "new.bin"), "new");
    EXPECT_EQ(Stat(dir + "new.bin").st_mode & 07777, 0640u);

    // An existing file is replaced by another (the old one stays whole until the rename) with its
    // permissions
    Write(dir + "old.bin", "old contents");
    ASSERT_EQ(::chmod((dir + "old.bin").c_str(), 0604), 0);
    const ino_t oldInode = Stat(dir + "old.bin").st_ino;
    WriteFileAtomically(dir + "old.bin", text("replaced"), FileSync::No);
    EXPECT_EQ(Read(dir + "old.bin"), "replaced");
    EXPECT_NE(Stat(dir + "old.bin").st_ino, oldInode);
    EXPECT_EQ(Stat(dir + "old.bin").st_mode & 07777, 0604u);

    // A failing producer leaves the file as it was and no temporary file behind
    const auto failing = [](int error) {
        return [error](std::FILE* f) {
            std::fputs("partial", f);
            throw StreamWriteError(error);
        };
    };
    try {
        WriteFileAtomically(dir + "old.bin", failing(ENOSPC));
        ADD_FAILURE() << "no error";
    } catch (const FileWriteError& e) {
        EXPECT_STREQ(e.what(), ("cannot write \"" + dir + "old.bin\": No space left on device").c_str());
        EXPECT_EQ(e.Error(), ENOSPC);
    }
    EXPECT_THROW(WriteFileAtomically(dir + "old.bin", [](std::FILE*) { throw std::length_error("x"); }),
                 std::length_error);
    EXPECT_EQ(Read(dir + "old.bin"), "replaced");
    EXPECT_EQ(entries(), (QStringList{QStringLiteral("new.bin"), QStringLiteral("old.bin")}));

    // Links are followed, a dangling one too: the link stays a link
    ASSERT_EQ(::symlink("old.bin", (dir + "link").c_str()), 0);
    ASSERT_EQ(::symlink("made.bin", (dir + "dangling").c_str()), 0);
    WriteFileAtomically(dir + "link", text("through the link"));
    WriteFileAtomically(dir + "dangling", text("made"));
    EXPECT_TRUE(S_ISLNK(Stat(dir + "link").st_mode));
    EXPECT_TRUE(S_ISLNK(Stat(dir + "dangling").st_mode));
    EXPECT_EQ(Read(dir + "old.bin"), "through the link");
    EXPECT_EQ(Read(dir + "made.bin"), "made");

    // A pipe (as a device would be) is written into, never replaced by a regular file
    const std::string fifo = dir + "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    WriteFileAtomically(fifo, text("into the pipe"));
    char got[64] = {};
    const ssize_t n = ::read(reader, got, sizeof got);
    ::close(reader);
    EXPECT_EQ(std::string(got, static_cast<size_t>(std::max<ssize_t>(n, 0))), "into the pipe");
    EXPECT_TRUE(S_ISFIFO(Stat(fifo).st_mode));

    // Errors name the file and the reason
    const struct {
        std::string name;
        const char* reason;
    } failures[] = {
        {dir + "no/such/dir/x.bin", "No such file or directory"},
        {dir, "Is a directory"},
        {"", "No such file or directory"},
    };
    for (const auto& c : failures) {
        try {
            WriteFileAtomically(c.name, text("x"));
            ADD_FAILURE() << c.name << ": no error";
        } catch (const FileWriteError& e) {
            EXPECT_EQ(std::string(e.what()), "cannot write \"" + c.name + "\": " + c.reason);
        }
    }
    EXPECT_EQ(entries().size(), 6);
}

TEST(WriteFilesAtomically, ReplacesEveryFileOfTheSetOrNone) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const std::string dir = temp.path().toStdString() + "/";
    const auto entries = [&] {
        return QDir(temp.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
            .join(QLatin1Char(' '))
            .toStdString();
    };
    const auto text = [](const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); };
    // "a" and "c" exist, "b" is new
    const std::vector<FileContents> set = {
        {dir + "a", text("new a")}, {dir + "b", text("new b")}, {dir + "c", text("new c")}};
    const auto reset = [&] {
        ::unlink((dir + "b").c_str());
        Write(dir + "a", "old a");
        Write(dir + "c", "old c");
        ASSERT_EQ(::chmod((dir + "a").c_str(), 0604), 0);
    };
    const auto expectOld = [&](const std::string& what) {
        EXPECT_EQ(Read(dir + "a"), "old a") << what;
        EXPECT_EQ(Read(dir + "c"), "old c") << what;
        EXPECT_EQ(Stat(dir + "a").st_mode & 07777, 0604u) << what;
        EXPECT_EQ(entries(), "a c") << what;
    };

    reset();
    WriteFilesAtomically(set);
    EXPECT_EQ(Read(dir + "a") + Read(dir + "b") + Read(dir + "c"), "new anew bnew c");
    EXPECT_EQ(Stat(dir + "a").st_mode & 07777, 0604u);
    EXPECT_EQ(entries(), "a b c");

    // A rename that fails after others succeeded: those get their very files back, "b" goes again
    for (size_t failing = 0; failing < set.size(); ++failing) {
        reset();
        const ino_t oldInode = Stat(dir + "a").st_ino;
        size_t step = 0;
        const RenameStep rename = [&](const char* from, const char* to) {
            if (step++ == failing) {
                errno = EIO;
                return -1;
            }
            return std::rename(from, to);
        };
        try {
            WriteFilesAtomically(set, FileSync::No, rename);
            ADD_FAILURE() << failing << ": no error";
        } catch (const FileWriteError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "cannot write \"" + set[failing].first + "\": Input/output error");
        }
        expectOld("rename " + std::to_string(failing) + " failing");
        EXPECT_EQ(Stat(dir + "a").st_ino, oldInode);
    }

    // Refused before anything is written
    reset();
    ASSERT_EQ(::mkfifo((dir + "pipe").c_str(), 0600), 0);
    ASSERT_EQ(::mkdir((dir + "sub").c_str(), 0700), 0);
    ASSERT_EQ(::symlink("a", (dir + "link").c_str()), 0);
    const struct {
        std::string name;
        const char* reason;
    } refused[] = {{dir + "pipe", "Operation not supported"},
                   {dir + "sub", "Is a directory"},
                   {"", "No such file or directory"}};
    for (const auto& c : refused) {
        try {
            WriteFilesAtomically({set[0], {c.name, text("x")}, set[2]});
            ADD_FAILURE() << c.name << ": no error";
        } catch (const FileWriteError& e) {
            EXPECT_EQ(std::string(e.what()), "cannot write \"" + c.name + "\": " + c.reason);
        }
    }
    EXPECT_THROW(WriteFilesAtomically({set[0], {dir + "link", text("x")}}), std::invalid_argument);
    ::unlink((dir + "pipe").c_str());
    ::rmdir((dir + "sub").c_str());
    ::unlink((dir + "link").c_str());
    expectOld("refused");

    // The window left open: a process that dies between two renames leaves the first file new and
    // its old contents beside it
    reset();
    const pid_t child = ::fork();
    if (child == 0) {
        size_t step = 0;
        WriteFilesAtomically(set, FileSync::No, [&](const char* from, const char* to) {
            if (step++ == 1)
                ::_exit(0);
            return std::rename(from, to);
        });
        ::_exit(1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Read(dir + "a"), "new a");
    EXPECT_EQ(Read(dir + "c"), "old c");
    const QStringList kept =
        QDir(temp.path()).entryList({QStringLiteral(".a.*.old")}, QDir::Files | QDir::Hidden);
    ASSERT_EQ(kept.size(), 1) << entries();
    EXPECT_EQ(Read(dir + kept[0].toStdString()), "old a");
}

} // namespace
} // namespace zarvo::shared
