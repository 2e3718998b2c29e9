#include "filewrite.h"

#include <QDir>
#include <QTemporaryDir>
#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace zarvo::component {
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

} // namespace
} // namespace zarvo::component
