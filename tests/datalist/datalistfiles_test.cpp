#include "datalist/datalistfiles.h"
#include "datalist/objectstream.h"
#include "shared/filewrite.h"
#include "tests/support/in_child.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <sched.h>
#include <sstream>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zarvo::datalist {
namespace {

namespace fs = std::filesystem;

class TempDir {
  public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "zarvo-datalist-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path_, ignored);
    }
    const std::string& Path() const { return path_; }
    std::string operator/(const char* name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Dat(const std::vector<std::string>& codes) {
    const std::vector<uint8_t> bytes = WriteComboBoxStream(codes);
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(CommentLines, SplitAtCrLfCrOrLfAndJoinWithCrLf) {
    using Lines = std::vector<std::string>;
    const struct {
        std::string bytes;
        Lines lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"\r\n", {""}},
        {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"a\n\rb", {"a", "", "b"}}, // LF CR is two breaks
        {"\r\r\n\n", {"", "", ""}},
        {"\x83\x56\x83\x93\x83\x7B\x83\x8B\r\n\r\n", {"\x83\x56\x83\x93\x83\x7B\x83\x8B", ""}}, // シンボル
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitLines(c.bytes), c.lines) << c.bytes;
    EXPECT_EQ(JoinLines({}), "");
    EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
    EXPECT_EQ(SplitLines(JoinLines({"", "x", ""})), (Lines{"", "x", ""}));
}

TEST(LoadDataListFiles, TakesCommentsOnlyWhenTheyMatchTheSymbolStrings) {
    using Lines = std::vector<std::string>;
    const Lines none;
    const struct {
        const char* what;
        std::function<void(const TempDir&)> files;
        bool datFound;
        Lines codes, ups, downs;
        Lines refused; // the comment files set aside, with their line counts
    } cases[] = {
        {"nothing there", [](const TempDir&) {}, false, none, none, none, none},
        {"comments without symbol strings", [](const TempDir& d) { Write(d / kUpFile, "a\r\nb\r\n"); }, false,
         none, none, none, none},
        {"an empty list",
         [](const TempDir& d) { Write(d / kDatFile, Dat({})), Write(d / kUpFile, "a\r\n"); },
         true,
         none,
         none,
         none,
         {"ZarvoUp.txt 1"}},
        {"all three matching",
         [](const TempDir& d) {
             Write(d / kDatFile, Dat({"A", "B"}));
             Write(d / kUpFile, "up A\r\nup B\r\n");
             Write(d / kDownFile, "\ndown B"); // other line ends, no final one
         },
         true,
         {"A", "B"},
         {"up A", "up B"},
         {"", "down B"},
         none},
        {"one comment line short",
         [](const TempDir& d) {
             Write(d / kDatFile, Dat({"A", "B", "C"}));
             Write(d / kUpFile, "1\r\n2\r\n");
             Write(d / kDownFile, "x\r\ny\r\nz\r\n");
         },
         true,
         {"A", "B", "C"},
         {"", "", ""},
         {"x", "y", "z"},
         {"ZarvoUp.txt 2"}},
        {"one comment line too many",
         [](const TempDir& d) {
             Write(d / kDatFile, Dat({"A"}));
             Write(d / kUpFile, "1\r\n\r\n");
         },
         true,
         {"A"},
         {""},
         {""},
         {"ZarvoUp.txt 2"}},
        {"comment files missing or a directory",
         [](const TempDir& d) {
             Write(d / kDatFile, Dat({"A"}));
             fs::create_directory(d / kDownFile);
         },
         true,
         {"A"},
         {""},
         {""},
         {"ZarvoDn.txt -1"}},
    };
    for (const auto& c : cases) {
        const TempDir dir;
        c.files(dir);
        const LoadedDataList loaded = LoadDataListFiles(dir.Path());
        EXPECT_EQ(loaded.DatFound, c.datFound) << c.what;
        EXPECT_EQ(loaded.StreamError, "") << c.what;
        EXPECT_EQ(loaded.List.Codes(), c.codes) << c.what;
        EXPECT_EQ(loaded.List.Ups(), c.ups) << c.what;
        EXPECT_EQ(loaded.List.Downs(), c.downs) << c.what;
        Lines refused;
        for (const RefusedCommentFile& r : loaded.RefusedComments)
            refused.push_back(std::string(r.Name) + " " + std::to_string(r.Lines));
        EXPECT_EQ(refused, c.refused) << c.what;
    }
}

TEST(LoadDataListFiles, ReportsASymbolFileThatCannotBeRead) {
    const struct {
        const char* what;
        std::function<void(const TempDir&)> dat;
        const char* message;
    } cases[] = {
        {"empty", [](const TempDir& d) { Write(d / kDatFile, ""); },
         "Zarvo.dat: not an object stream: the signature \"TPF0\" is missing"},
        {"cut short",
         [](const TempDir& d) {
             Write(d / kDatFile, Dat({"A", "B"}).substr(0, 40));
         },
         "Zarvo.dat: the stream ends inside a string (offset 39)"},
        {"a directory", [](const TempDir& d) { fs::create_directory(d / kDatFile); },
         "Zarvo.dat: cannot read the file: Is a directory"},
        {"a pipe", [](const TempDir& d) { ASSERT_EQ(::mkfifo((d / kDatFile).c_str(), 0600), 0); },
         "Zarvo.dat: cannot read the file: Invalid argument"},
    };
    for (const auto& c : cases) {
        const TempDir dir;
        c.dat(dir);
        Write(dir / kUpFile, "a\r\n");
        const LoadedDataList loaded = LoadDataListFiles(dir.Path());
        EXPECT_EQ(loaded.StreamError, c.message) << c.what;
        EXPECT_FALSE(loaded.DatFound) << c.what;
        EXPECT_EQ(loaded.List.Count(), 0) << c.what;
    }
}

TEST(SaveDataListFiles, WritesThreeFilesThatLoadBackWithSingleLineComments) {
    const TempDir dir;
    DataList list;
    list.Append("A\r\nB", "up\r\nwith\rbreaks\n", "");
    list.Append(std::string(300, 'x'), "", "\x8F\xE3"); // 上
    list.Append("", "last", "last");
    SaveDataListFiles(dir.Path() + "/", list);

    EXPECT_EQ(Read(dir / kUpFile), "up with breaks \r\n\r\nlast\r\n");
    EXPECT_EQ(Read(dir / kDownFile), "\r\n\x8F\xE3\r\nlast\r\n");
    EXPECT_EQ(Read(dir / kDatFile), Dat({"A\r\nB", std::string(300, 'x'), ""}));
    const LoadedDataList loaded = LoadDataListFiles(dir.Path());
    EXPECT_TRUE(loaded.DatFound);
    EXPECT_EQ(loaded.List.Codes(), list.Codes());
    EXPECT_EQ(loaded.List.Ups(), (std::vector<std::string>{"up with breaks ", "", "last"}));
    EXPECT_EQ(loaded.List.Downs(), list.Downs());

    // An empty list empties the files
    SaveDataListFiles(dir.Path(), DataList());
    EXPECT_EQ(Read(dir / kUpFile), "");
    EXPECT_EQ(LoadDataListFiles(dir.Path()).List, DataList());
    EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{kDatFile, kDownFile, kUpFile}));
}

// Runs body in a child process that has no right to write where its user may not (root gives its
// rights up); returns the child's exit code.
int RunUnprivileged(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(99);
        int code = 98;
        try {
            code = body();
        } catch (...) {
        }
        ::_exit(code);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SaveDataListFiles, LeavesTheOldSetWholeWhenAFileCannotBeWritten) {
    DataList oldList;
    oldList.Append("old", "old up", "old down");
    DataList newList;
    newList.Append("new", "new up", "new down");
    newList.Append("new 2", "", "");

    // Refused before anything was written, or failed while writing the second file
    const struct {
        const char* what;
        std::function<void(const TempDir&)> spoil;
        const char* reason;
    } cases[] = {
        {"a directory in its place",
         [](const TempDir& d) {
             fs::remove(d / kDownFile);
             fs::create_directory(d / kDownFile);
         },
         "Is a directory"},
        {"a link into a missing directory",
         [](const TempDir& d) {
             fs::remove(d / kDownFile);
             fs::create_symlink("missing/ZarvoDn.txt", d / kDownFile);
         },
         "No such file or directory"},
    };
    for (const auto& c : cases) {
        const TempDir dir;
        SaveDataListFiles(dir.Path(), oldList);
        c.spoil(dir);
        const std::vector<std::string> before = Entries(dir.Path());
        try {
            SaveDataListFiles(dir.Path(), newList);
            ADD_FAILURE() << c.what << ": no error";
        } catch (const shared::FileWriteError& e) {
            EXPECT_EQ(std::string(e.what()), "cannot write \"" + (dir / kDownFile) + "\": " + c.reason)
                << c.what;
        }
        EXPECT_EQ(Read(dir / kUpFile), "old up\r\n") << c.what;
        EXPECT_EQ(LoadDataListFiles(dir.Path()).List.Codes(), oldList.Codes()) << c.what;
        EXPECT_EQ(Entries(dir.Path()), before) << c.what;
    }

    // A directory the user may not write in
    const TempDir dir;
    SaveDataListFiles(dir.Path(), oldList);
    fs::permissions(dir.Path(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(fs::path(dir.Path()).parent_path(), fs::perms::others_exec, fs::perm_options::add);
    const int code = RunUnprivileged([&] {
        try {
            SaveDataListFiles(dir.Path(), newList);
        } catch (const shared::FileWriteError& e) {
            return std::string(e.what()) == "cannot write \"" + (dir / kUpFile) + "\": Permission denied" ? 0
                                                                                                          : 2;
        }
        return 1;
    });
    EXPECT_EQ(code, 0) << "1: no error, 2: another error, 99: cannot give up root";
    EXPECT_EQ(LoadDataListFiles(dir.Path()).List, oldList);
    EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{kDatFile, kDownFile, kUpFile}));
}

// Two lists of the same length whose files all differ, so that any mix of their files reads as
// neither: the comments would go with the wrong items.
DataList OldList() {
    DataList list;
    list.Append("A", "up A", "down A");
    list.Append("B", "up B", "down B");
    return list;
}

DataList NewList() {
    DataList list;
    list.Append("B", "new up B", "new down B");
    list.Append("A", "new up A", "new down A");
    return list;
}

// The items as "code: up / down" lines, so that a mix of two sets shows in a failure.
std::string Shown(const DataList& list) {
    std::string text;
    for (int32_t i = 0; i < list.Count(); ++i)
        text += list.Code(i) + ": " + list.Up(i) + " / " + list.Down(i) + "\n";
    return text;
}

// A hook that kills the process at the given point, or at the n-th point reached.
shared::SetHooks KillAt(const std::string& point, int nth = -1) {
    auto reached = std::make_shared<int>(0);
    return {{}, [point, nth, reached](const std::string& at) {
                if (at == point || (*reached)++ == nth)
                    ::raise(SIGKILL);
            }};
}

// The close killed at each point of its save (the process ends there, as with kill -9 or a
// crash), then the start killed at each point of its recovery, then a start that runs: it reads
// a whole set, the old or the new one, and nothing the save made is left beside the files.
TEST(SaveDataListFiles, AStartAfterASaveKilledAtAnyPointReadsOneWholeSet) {
    const struct {
        const char* point;
        bool newSet;
        shared::SetRecovery recovered;
    } cases[] = {
        {"written ZarvoUp.txt", false, shared::SetRecovery::None},
        {"written ZarvoDn.txt", false, shared::SetRecovery::None},
        {"written Zarvo.dat", false, shared::SetRecovery::None},
        {"kept ZarvoUp.txt", false, shared::SetRecovery::None},
        {"kept ZarvoDn.txt", false, shared::SetRecovery::None},
        {"kept Zarvo.dat", false, shared::SetRecovery::None},
        {"journal beside", false, shared::SetRecovery::None},
        {"journal in place", true, shared::SetRecovery::Finished},
        {"renamed ZarvoUp.txt", true, shared::SetRecovery::Finished},
        {"renamed ZarvoDn.txt", true, shared::SetRecovery::Finished},
        {"renamed Zarvo.dat", true, shared::SetRecovery::Finished},
        {"originals removed", true, shared::SetRecovery::Finished},
        {"journal removed", true, shared::SetRecovery::None},
    };
    // Every point the save passes has its row
    std::vector<std::string> points, rows;
    {
        const TempDir dir;
        SaveDataListFiles(dir.Path(), OldList());
        SaveDataListFiles(dir.Path(), NewList(), {{}, [&](const std::string& p) { points.push_back(p); }});
    }
    for (const auto& c : cases)
        rows.push_back(c.point);
    EXPECT_EQ(points, rows);

    const std::vector<std::string> threeFiles = {kDatFile, kDownFile, kUpFile};
    for (const auto& c : cases) {
        for (int recoveryStop = 0;; ++recoveryStop) {
            SCOPED_TRACE(std::string(c.point) + ", then the start killed at its point " +
                         std::to_string(recoveryStop));
            const TempDir dir;
            SaveDataListFiles(dir.Path(), OldList());
            ASSERT_TRUE(testsupport::KilledInChild(
                [&] { SaveDataListFiles(dir.Path(), NewList(), KillAt(c.point)); }));

            // A start killed while it completes the set: the set must stay recoverable
            const shared::SetHooks stop = KillAt("", recoveryStop);
            const bool startKilled = testsupport::KilledInChild([&] {
                shared::RecoverFileSet(dir / kJournalFile, {dir / kUpFile, dir / kDownFile, dir / kDatFile},
                                       shared::FileSync::Yes, stop);
            });

            const LoadedDataList loaded = LoadDataListFiles(dir.Path());
            EXPECT_EQ(loaded.StreamError, "");
            EXPECT_TRUE(loaded.RefusedComments.empty());
            EXPECT_EQ(Shown(loaded.List), Shown(c.newSet ? NewList() : OldList()));
            if (recoveryStop == 0) {
                EXPECT_EQ(static_cast<int>(loaded.Recovered), static_cast<int>(c.recovered));
            }
            EXPECT_EQ(Entries(dir.Path()), threeFiles);

            if (!startKilled)
                break;
        }
    }
}

bool WriteProcFile(const char* path, const std::string& text) {
    std::ofstream out(path);
    out << text;
    out.flush();
    return static_cast<bool>(out);
}

// Mounts a tmpfs over dir, seen by this process alone (a mount namespace of its own; without root,
// inside a user namespace). "" when mounted, else why not.
std::string MountSmallFileSystem(const std::string& dir, const std::string& options) {
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (::unshare(CLONE_NEWNS) != 0) {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return "skipped: no mount namespace (" + std::string(std::strerror(errno)) + ")";
        if (!WriteProcFile("/proc/self/setgroups", "deny") ||
            !WriteProcFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
            !WriteProcFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
            return "skipped: no user namespace";
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", dir.c_str(), "tmpfs", 0, options.c_str()) != 0)
        return "skipped: cannot mount a tmpfs (" + std::string(std::strerror(errno)) + ")";
    return std::string();
}

// The disk fills up (or the file size limit is reached) while the close writes the data list:
// the error names the file that could not be written, and the old set stays whole, nothing of the
// new one beside it.
TEST(SaveDataListFiles, AFullDiskKeepsTheOldSetWhole) {
    DataList big; // a "Zarvo.dat" of about 90 KiB, comments of a few bytes
    for (int i = 0; i < 300; ++i)
        big.Append(std::to_string(i) + std::string(300, 'x'), "", "");
    const struct {
        const char* what;
        std::string mountOptions; // "": no file system of its own
        rlim_t sizeLimit;         // 0: none
        const char* failing;
        const char* reason;
    } cases[] = {
        {"the file system full while Zarvo.dat is written", "size=64k", 0, kDatFile,
         "No space left on device"},
        // the root, 3 files, 3 new files, 3 links to the old ones: no inode left for the journal
        {"no inode left for the journal", "size=1m,nr_inodes=10", 0, kJournalFile, "No space left on device"},
        {"the file size limit reached while Zarvo.dat is written", "", 32 * 1024, kDatFile, "File too large"},
    };
    for (const auto& c : cases) {
        const TempDir dir;
        const std::string outcome = testsupport::TextFromChild([&] {
            if (!c.mountOptions.empty()) {
                if (std::string refusal = MountSmallFileSystem(dir.Path(), c.mountOptions); !refusal.empty())
                    return refusal;
            }
            SaveDataListFiles(dir.Path(), OldList());
            if (c.sizeLimit != 0) {
                ::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{c.sizeLimit, c.sizeLimit};
                if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                    return std::string("skipped: no size limit");
            }
            std::string result;
            try {
                SaveDataListFiles(dir.Path(), big);
                result = "saved";
            } catch (const shared::FileWriteError& e) {
                result = e.what();
            }
            const LoadedDataList loaded = LoadDataListFiles(dir.Path());
            result += loaded.List == OldList() ? " | old set" : " | not the old set";
            for (const std::string& name : Entries(dir.Path()))
                result += " " + name;
            return result;
        });
        if (outcome.rfind("skipped: ", 0) == 0) {
            std::cout << c.what << ": " << outcome << "\n";
            continue;
        }
        EXPECT_EQ(outcome, "cannot write \"" + (dir / c.failing) + "\": " + c.reason +
                               " | old set Zarvo.dat ZarvoDn.txt ZarvoUp.txt")
            << c.what;
    }
}

TEST(BackupDataListFile, CopiesTheFileWhenItExists) {
    const TempDir dir;
    const auto backUpAll = [&dir] {
        std::vector<std::string> written;
        for (const char* name : {kDatFile, kUpFile, kDownFile})
            if (std::string backup = BackupDataListFile(dir.Path(), name); !backup.empty())
                written.push_back(backup);
        return written;
    };
    EXPECT_EQ(backUpAll(), std::vector<std::string>());

    Write(dir / kDatFile, "not even a stream");
    Write(dir / kDownFile, "down\r\n");
    Write(dir / "ZarvoDn.txt.bak", "an older backup that is longer");
    EXPECT_EQ(backUpAll(), (std::vector<std::string>{dir / "Zarvo.dat.bak", dir / "ZarvoDn.txt.bak"}));
    EXPECT_EQ(Read(dir / "Zarvo.dat.bak"), "not even a stream");
    EXPECT_EQ(Read(dir / "ZarvoDn.txt.bak"), "down\r\n");

    fs::remove(dir / kDatFile);
    fs::create_directory(dir / kDatFile);
    try {
        BackupDataListFile(dir.Path(), kDatFile);
        ADD_FAILURE() << "no error";
    } catch (const shared::FileWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "cannot write \"" + (dir / "Zarvo.dat.bak") + "\": Is a directory");
    }
}

} // namespace
} // namespace zarvo::datalist
