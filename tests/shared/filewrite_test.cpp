#include "shared/filewrite.h"
#include "shared/setjournal.h"
#include "tests/support/in_child.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <gtest/gtest.h>
#include <iterator>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sstream>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
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
    WriteFileAtomically(dir + "old.bin", text("replaced"),
                        {InPlace::Never, SpecialFiles::Refuse, FileSync::No});
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

    // For the command line a pipe (as a device would be) is written into, never replaced by a
    // regular file
    const std::string fifo = dir + "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    WriteFileAtomically(fifo, text("into the pipe"), kCommandOutput);
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

constexpr uid_t kNobody = 65534;

// Makes this process's mode changes fail with EPERM, as on file systems that refuse them (FAT,
// some network shares).
bool RefuseModeChanges() {
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_fchmod, 2, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_fchmodat, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM),
    };
    const sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// Runs body in a child process, as user nobody when asked and the tests run as root, and returns
// what it returned; a child that blocks is ended after a few seconds.
std::string InChild(bool unprivileged, bool refuseModes, const std::function<std::string()>& body) {
    return testsupport::TextFromChild([&] {
        if ((!unprivileged || ::geteuid() != 0 ||
             (::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0)) &&
            (!refuseModes || RefuseModeChanges()))
            return body();
        return std::string("cannot set up the child");
    });
}

// Who may write what, and where a file is overwritten in place (keeping its inode and mode).
TEST(WriteFileAtomically, RefusesWhatTheUserMayNotWriteAndFallsBackInPlace) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const bool root = ::geteuid() == 0;
    const uid_t self = ::geteuid();
    const uid_t user = root ? kNobody : self; // the unprivileged user
    const std::string dir = temp.path().toStdString() + "/";
    ASSERT_EQ(::chmod(dir.c_str(), 0777), 0);
    ASSERT_EQ(::mkdir((dir + "locked").c_str(), 0755), 0);

    const struct {
        const char* what;
        std::string name;
        mode_t mode;  // of the old file; 0: none there
        uid_t owner;  // of the old file
        bool asUser;  // run as the unprivileged user, else as the test's own user
        bool noModes; // the file system refuses mode changes
        WriteOptions options;
        const char* refusal; // null: written
    } cases[] = {
        {"read-only file (also for root)", "a", 0444, self, false, false, kSavedFile, "Permission denied"},
        {"another user's file", "a", 0644, 0, true, false, kCommandOutput, "Permission denied"},
        {"directory refuses new files", "locked/a", 0640, user, true, false, kSavedFile, nullptr},
        {"directory refuses new files, own file", "locked/a", 0640, user, true, false, kOwnFile,
         "Permission denied"},
        {"mode refused", "a", 0640, self, false, true, kCommandOutput, nullptr},
        {"mode refused, own file", "a", 0640, self, false, true, kOwnFile, "Operation not permitted"},
        {"mode refused, new file", "b", 0, self, false, true, kSavedFile, nullptr},
        {"pipe without a reader", "pipe", 0, self, false, false, kSavedFile, "not a regular file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.owner != self && !root)
            continue; // another user's file needs root to be made
        const std::string path = dir + c.name;
        ::unlink(path.c_str());
        if (c.name == "pipe") {
            ASSERT_EQ(::mkfifo(path.c_str(), 0666), 0);
        }
        ino_t oldInode = 0;
        if (c.mode != 0) {
            Write(path, "old");
            ASSERT_EQ(::chmod(path.c_str(), c.mode), 0);
            ASSERT_EQ(::lchown(path.c_str(), c.owner, c.owner), 0);
            oldInode = Stat(path).st_ino;
        }
        ASSERT_EQ(::lchown((dir + "locked").c_str(), root ? 0 : user, root ? 0 : user), 0);
        ASSERT_EQ(::chmod((dir + "locked").c_str(), root ? 0755 : 0555), 0);

        const std::string outcome = InChild(c.asUser, c.noModes, [&] {
            try {
                WriteFileAtomically(path, {'n', 'e', 'w'}, c.options);
                return std::string("written");
            } catch (const FileWriteError& e) {
                return std::string(e.what());
            }
        });
        ASSERT_EQ(::chmod((dir + "locked").c_str(), 0755), 0);
        EXPECT_EQ(outcome, c.refusal ? "cannot write \"" + path + "\": " + c.refusal : "written");
        if (c.name != "pipe") {
            EXPECT_EQ(Read(path), c.refusal ? "old" : "new");
        }
        if (c.mode != 0) {
            EXPECT_EQ(Stat(path).st_ino, oldInode);
            EXPECT_EQ(Stat(path).st_mode & 07777, c.mode);
        }
        for (const char* sub : {"", "locked"})
            EXPECT_EQ(QDir(QString::fromStdString(dir + sub))
                          .entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden),
                      QStringList())
                << "a temporary file left";
    }
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
    const std::string journal = dir + "set.journal";
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
    WriteFilesAtomically(set, journal);
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
            WriteFilesAtomically(set, journal, FileSync::No, {rename, {}});
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
    Write(dir + "read-only", "kept");
    ASSERT_EQ(::chmod((dir + "read-only").c_str(), 0444), 0);
    const struct {
        std::string name;
        const char* reason;
    } refused[] = {{dir + "pipe", "not a regular file"},
                   {dir + "sub", "Is a directory"},
                   {dir + "read-only", "Permission denied"},
                   {"", "No such file or directory"}};
    for (const auto& c : refused) {
        try {
            WriteFilesAtomically({set[0], {c.name, text("x")}, set[2]}, journal);
            ADD_FAILURE() << c.name << ": no error";
        } catch (const FileWriteError& e) {
            EXPECT_EQ(std::string(e.what()), "cannot write \"" + c.name + "\": " + c.reason);
        }
    }
    EXPECT_THROW(WriteFilesAtomically({set[0], {dir + "link", text("x")}}, journal), std::invalid_argument);
    ::unlink((dir + "pipe").c_str());
    ::rmdir((dir + "sub").c_str());
    ::unlink((dir + "link").c_str());
    EXPECT_EQ(Read(dir + "read-only"), "kept");
    ::unlink((dir + "read-only").c_str());
    expectOld("refused");
}

// What a write of a set stopped part-way leaves, perhaps spoiled further afterwards (files gone, the
// journal damaged), and what RecoverFileSet makes of it.
TEST(RecoverFileSet, FinishesOrUndoesAnInterruptedSetOrLeavesItAsFound) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const std::string dir = temp.path().toStdString() + "/";
    const auto text = [](const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); };
    const std::vector<FileContents> set = {
        {dir + "a", text("new a")}, {dir + "b", text("new b")}, {dir + "c", text("new c")}};
    const std::vector<std::string> names = {dir + "a", dir + "b", dir + "c"};
    const std::string journal = dir + "set.journal";
    const auto entries = [&] {
        return QDir(temp.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
            .join(QLatin1Char(' '))
            .toStdString();
    };
    const auto contents = [&] { return Read(dir + "a") + "|" + Read(dir + "b") + "|" + Read(dir + "c"); };
    const auto leftovers = [&](const char* pattern) {
        QStringList found;
        for (const QString& name :
             QDir(temp.path()).entryList({QString::fromLatin1(pattern)}, QDir::Files | QDir::Hidden))
            found << temp.path() + QLatin1Char('/') + name;
        return found;
    };
    const auto removeAll = [&](const char* pattern) {
        for (const QString& path : leftovers(pattern))
            QFile::remove(path);
    };
    const std::string oldSet = "old a||old c", newSet = "new a|new b|new c";

    const struct {
        const char* what;
        const char* stop; // the point of the write at which its process dies
        std::function<void()> spoil;
        SetRecovery result;
        const char* error; // what() begins so: nothing changed, the journal stays
        std::string after;
    } cases[] = {
        {"stopped before the journal", "kept c", [] {}, SetRecovery::None, nullptr, oldSet},
        {"stopped between two renames", "renamed a", [] {}, SetRecovery::Finished, nullptr, newSet},
        {"between two renames, a waiting new file gone", "renamed a", [&] { removeAll(".c.??????"); },
         SetRecovery::Undone, nullptr, oldSet},
        {"every new file gone", "journal in place", [&] { removeAll(".?.??????"); }, SetRecovery::Undone,
         nullptr, oldSet},
        {"a waiting new file changed", "renamed b",
         [&] { Write(leftovers(".c.??????")[0].toStdString(), "x"); }, SetRecovery::Undone, nullptr, oldSet},
        {"a new file and the old one it replaced gone", "renamed a",
         [&] {
             removeAll(".c.??????");
             removeAll(".a.*.old");
         },
         SetRecovery::None, "the unfinished save in \"", "new a||old c"},
        {"the journal cut short", "renamed a",
         [&] { ::truncate(journal.c_str(), static_cast<off_t>(Read(journal).size() - 2)); },
         SetRecovery::None, "the journal \"", "new a||old c"},
        {"the journal naming a file outside the set", "renamed a",
         [&] {
             std::vector<JournalMember> members;
             ASSERT_TRUE(ParseJournal(Read(journal), members));
             members[1].target = dir + "elsewhere";
             Write(journal, FormatJournal(members));
         },
         SetRecovery::None, "the journal \"", "new a||old c"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const QString& name : QDir(temp.path()).entryList(QDir::Files | QDir::Hidden))
            QFile::remove(temp.path() + QLatin1Char('/') + name);
        Write(dir + "a", "old a");
        Write(dir + "c", "old c");
        Write(dir + ".a.bak", "not ours");   // names that only look like leftovers stay
        Write(dir + ".c.12345", "not ours"); // (five letters)
        const std::string stop = c.stop;
        ASSERT_TRUE(testsupport::KilledInChild([&] {
            WriteFilesAtomically(set, journal, FileSync::No, {{}, [&](const std::string& point) {
                                                                  if (point == stop)
                                                                      ::raise(SIGKILL);
                                                              }});
        }));
        c.spoil();
        const std::string before = entries();
        if (c.error) {
            try {
                RecoverFileSet(journal, names, FileSync::No);
                ADD_FAILURE() << "no error";
            } catch (const FileSetError& e) {
                EXPECT_EQ(std::string(e.what()).rfind(c.error + journal + "\"", 0), 0u) << e.what();
            }
            EXPECT_EQ(entries(), before);
        } else {
            EXPECT_EQ(RecoverFileSet(journal, names, FileSync::No), c.result);
            const bool hasB = c.after.find("new b") != std::string::npos;
            EXPECT_EQ(entries(), hasB ? ".a.bak .c.12345 a b c" : ".a.bak .c.12345 a c");
            // and once more: nothing left to do
            EXPECT_EQ(RecoverFileSet(journal, names, FileSync::No), SetRecovery::None);
        }
        EXPECT_EQ(contents(), c.after);
    }

    // A write finds the unfinished set of an earlier one and completes it first, then its own
    for (const QString& name : QDir(temp.path()).entryList(QDir::Files | QDir::Hidden))
        QFile::remove(temp.path() + QLatin1Char('/') + name);
    Write(dir + "a", "old a");
    ASSERT_TRUE(testsupport::KilledInChild([&] {
        WriteFilesAtomically(set, journal, FileSync::No, {{}, [&](const std::string& point) {
                                                              if (point == "renamed a")
                                                                  ::raise(SIGKILL);
                                                          }});
    }));
    WriteFilesAtomically(
        {{dir + "a", text("next a")}, {dir + "b", text("next b")}, {dir + "c", text("next c")}}, journal,
        FileSync::No);
    EXPECT_EQ(contents(), "next a|next b|next c");
    EXPECT_EQ(entries(), "a b c");
}

} // namespace
} // namespace zarvo::shared
