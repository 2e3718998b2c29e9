#include "shared/filewrite.h"

#include "shared/setjournal.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zarvo::shared {

namespace {

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

mode_t CurrentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

FileWriteError NotRegular(const std::string& fileName) {
    return FileWriteError(fileName, ENOTSUP, "not a regular file");
}

// 0 when the user may write the existing file at path (st: its status), else the reason. Root
// passes every permission check of the kernel, yet a file that nobody may write (0444) was made
// read-only on purpose, and a desktop program should not replace it behind root's back either: for
// root a write bit must be set, the rule the kernel itself applies to root's execute permission.
int WriteRefusal(const std::string& path, const struct stat& st) {
    if (::geteuid() == 0)
        return (st.st_mode & 0222) != 0 ? 0 : EACCES;
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

// The name a write through fileName lands on: symbolic links followed to the end, also when the
// last one points at nothing yet (as the shell's "> link" does), so that the rename replaces the
// target and never the link.
std::string ResolveLinks(const std::string& fileName) {
    std::string target = fileName;
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return target;
        if (hops == 40)
            throw FileWriteError(fileName, ELOOP);
        std::string link(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n < 0)
            throw FileWriteError(fileName, errno);
        if (static_cast<size_t>(n) >= link.size()) // grew since lstat: try again
            continue;
        link.resize(static_cast<size_t>(n));
        if (link.empty())
            throw FileWriteError(fileName, ENOENT);
        if (link[0] == '/') {
            target = link;
        } else {
            const size_t slash = target.rfind('/');
            target = (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + link;
        }
    }
}

// Closes the stream (or the bare descriptor) and removes the temporary file unless committed.
class TempFile {
  public:
    explicit TempFile(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
    ~TempFile() {
        if (file_)
            std::fclose(file_);
        else if (fd_ >= 0)
            ::close(fd_);
        if (!committed_)
            ::unlink(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& Path() const { return path_; }
    int Descriptor() const { return fd_; }
    std::FILE* Open() {
        file_ = ::fdopen(fd_, "wb");
        return file_;
    }
    // errno tells why when it returns false.
    bool Close() {
        std::FILE* f = file_;
        file_ = nullptr;
        fd_ = -1;
        return std::fclose(f) == 0;
    }
    void Commit() { committed_ = true; }

  private:
    std::string path_;
    int fd_;
    std::FILE* file_ = nullptr;
    bool committed_ = false;
};

void Produce(const std::string& fileName, std::FILE* f, const std::function<void(std::FILE*)>& produce) {
    try {
        produce(f);
        if (std::fflush(f) != 0)
            throw StreamWriteError(errno);
        if (std::ferror(f))
            throw StreamWriteError(EIO);
    } catch (const StreamWriteError& e) {
        throw FileWriteError(fileName, e.Error());
    }
}

// A device or a pipe cannot be replaced by renaming (and /dev/null must never be): write into it
// (SpecialFiles::WriteInto).
// Returns false when the name turned out to be a regular file after all (replaced meanwhile).
bool WriteInPlace(const std::string& fileName, const std::string& target,
                  const std::function<void(std::FILE*)>& produce) {
    // Neither created nor truncated here: only what is not a regular file is written this way
    const int fd = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        throw FileWriteError(fileName, errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) {
        const int error = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        if (S_ISREG(st.st_mode))
            return false;
        throw FileWriteError(fileName, error);
    }
    std::FILE* f = ::fdopen(fd, "wb");
    if (!f) {
        const int error = errno;
        ::close(fd);
        throw FileWriteError(fileName, error);
    }
    try {
        Produce(fileName, f, produce);
    } catch (...) {
        std::fclose(f);
        throw;
    }
    if (std::fclose(f) != 0)
        throw FileWriteError(fileName, errno);
    return true;
}

// A name to be written: where it lands (links resolved) and what is there now.
struct Target {
    std::string path;
    bool exists = false;
    struct stat st {};
};

// A new file beside the target (on the same file system, so that a rename can put it in place),
// with the target's permissions and owner or 0666 less the umask; it is removed again unless
// committed. With InPlace::AsFallback: null when the target exists and cannot be replaced this way,
// because the directory refuses new files or the file system refuses the target's permissions
// (writing the file itself keeps them); for a new name a refused mode is accepted, as there are no
// permissions to keep and the file system decides them.
std::unique_ptr<TempFile> CreateBeside(const std::string& fileName, const Target& target, InPlace inPlace) {
    const bool mayFallBack = inPlace == InPlace::AsFallback && target.exists;
    const size_t slash = target.path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : target.path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target.path : target.path.substr(slash + 1);
    std::string tempPath = dir + "." + base + ".XXXXXX";
    const int fd = ::mkstemp(tempPath.data());
    if (fd < 0) {
        if (mayFallBack && (errno == EACCES || errno == EPERM))
            return nullptr;
        throw FileWriteError(fileName, errno);
    }
    auto temp = std::make_unique<TempFile>(tempPath, fd);
    const struct stat& st = target.st;
    if (target.exists && (st.st_uid != ::geteuid() || st.st_gid != ::getegid())) {
        // Keep the owner where we may (root may; others at most their own groups)
        [[maybe_unused]] const int ignored = ::fchown(fd, st.st_uid, st.st_gid);
    }
    const mode_t mode =
        target.exists ? static_cast<mode_t>(st.st_mode & 07777) : static_cast<mode_t>(0666 & ~CurrentUmask());
    if (::fchmod(fd, mode) != 0) {
        if (mayFallBack)
            return nullptr;
        if (inPlace == InPlace::Never)
            throw FileWriteError(fileName, errno);
    }
    return temp;
}

// Writes produce()'s output into a file made by CreateBeside and closes it, synced with
// FileSync::Yes.
void FillBeside(const std::string& fileName, TempFile& temp, const std::function<void(std::FILE*)>& produce,
                FileSync sync) {
    std::FILE* f = temp.Open();
    if (!f)
        throw FileWriteError(fileName, errno);
    Produce(fileName, f, produce);
    if (sync == FileSync::Yes && ::fsync(temp.Descriptor()) != 0)
        throw FileWriteError(fileName, errno);
    if (!temp.Close())
        throw FileWriteError(fileName, errno);
}

// CreateBeside and FillBeside, without a fallback.
std::unique_ptr<TempFile> WriteBeside(const std::string& fileName, const Target& target,
                                      const std::function<void(std::FILE*)>& produce, FileSync sync) {
    std::unique_ptr<TempFile> temp = CreateBeside(fileName, target, InPlace::Never);
    FillBeside(fileName, *temp, produce, sync);
    return temp;
}

// Overwrites an existing regular file that no temporary file beside it can replace. The new
// contents are made in full first, in an unnamed temporary file elsewhere, and the space they need
// is reserved (where the file system can) before the first byte of the file changes: a producer
// that fails or a full disk leave the file as it was; only an error while the bytes are copied
// leaves it damaged.
void OverwriteInPlace(const std::string& fileName, const Target& target,
                      const std::function<void(std::FILE*)>& produce, FileSync sync) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> staging(std::tmpfile(), &std::fclose);
    if (!staging)
        throw FileWriteError(fileName, errno);
    Produce(fileName, staging.get(), produce);
    const int from = ::fileno(staging.get());
    const off_t size = ::lseek(from, 0, SEEK_END);
    if (size < 0)
        throw FileWriteError(fileName, errno);

    const int fd = ::open(target.path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        throw FileWriteError(fileName, errno);
    struct Closer {
        int fd;
        ~Closer() {
            if (fd >= 0)
                ::close(fd);
        }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw FileWriteError(fileName, errno);
    if (!S_ISREG(st.st_mode)) // replaced by something else meanwhile
        throw NotRegular(fileName);
    if (size > st.st_size && ::fallocate(fd, 0, st.st_size, size - st.st_size) != 0 && errno != EOPNOTSUPP &&
        errno != ENOSYS)
        throw FileWriteError(fileName, errno);

    char buffer[65536];
    for (off_t done = 0; done < size;) {
        const ssize_t n = ::pread(from, buffer, sizeof buffer, done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw FileWriteError(fileName, n < 0 ? errno : EIO);
        for (ssize_t written = 0; written < n;) {
            const ssize_t w =
                ::pwrite(fd, buffer + written, static_cast<size_t>(n - written), done + written);
            if (w < 0 && errno == EINTR)
                continue;
            if (w < 0)
                throw FileWriteError(fileName, errno);
            written += w;
        }
        done += n;
    }
    if (::ftruncate(fd, size) != 0)
        throw FileWriteError(fileName, errno);
    if (sync == FileSync::Yes && ::fsync(fd) != 0)
        throw FileWriteError(fileName, errno);
    closer.fd = -1;
    if (::close(fd) != 0)
        throw FileWriteError(fileName, errno);
}

// Keeps the original of a member of a set reachable under a second name while the set is being
// replaced: a hard link costs nothing; without links (FAT, some network shares) a copy.
std::unique_ptr<TempFile> KeepOriginal(const std::string& fileName, const Target& target,
                                       const std::string& backupPath, FileSync sync) {
    if (::link(target.path.c_str(), backupPath.c_str()) == 0)
        return std::make_unique<TempFile>(backupPath, -1);
    const int error = errno;
    if (error != EPERM && error != ENOTSUP && error != EOPNOTSUPP && error != EMLINK && error != ENOSYS)
        throw FileWriteError(fileName, error);
    return WriteBeside(
        fileName, target,
        [&](std::FILE* f) {
            const int fd = ::open(target.path.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0)
                throw StreamWriteError(errno);
            char buffer[65536];
            for (;;) {
                const ssize_t n = ::read(fd, buffer, sizeof buffer);
                if (n == 0)
                    break;
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0 || std::fwrite(buffer, 1, static_cast<size_t>(n), f) != static_cast<size_t>(n)) {
                    const int readError = errno;
                    ::close(fd);
                    throw StreamWriteError(readError);
                }
            }
            ::close(fd);
        },
        sync);
}

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Makes renames and new and removed names in the directory durable; a failure here changes
// nothing that could still be undone, so it is not reported.
void SyncDirectory(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// SyncDirectory for the directory of each path, once.
void SyncDirectories(const std::vector<std::string>& paths) {
    std::vector<std::string> done;
    for (const std::string& path : paths) {
        const std::string dir = DirectoryOf(path);
        if (std::find(done.begin(), done.end(), dir) != done.end())
            continue;
        done.push_back(dir);
        SyncDirectory(dir);
    }
}

// Processes that write or recover a set under one journal take turns: an advisory lock on the
// journal's directory for as long as this lives. Where the file system has no locks (some network
// shares) or the directory cannot be opened, each goes alone.
class DirectoryLock {
  public:
    explicit DirectoryLock(const std::string& dir)
        : fd_(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        while (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~DirectoryLock() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;

  private:
    int fd_;
};

// The names that CreateBeside and KeepOriginal give beside a file named base: "." base "." and
// mkstemp's six letters or digits, with ".old" after them for a linked original.
bool IsLeftoverOf(const std::string& name, const std::string& base) {
    const std::string prefix = "." + base + ".";
    if (name.size() < prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return false;
    std::string rest = name.substr(prefix.size());
    if (rest.size() == 10 && rest.compare(6, 4, ".old") == 0)
        rest.resize(6);
    return rest.size() == 6 && std::all_of(rest.begin(), rest.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
           });
}

// Removes the regular files beside each of paths whose names IsLeftoverOf gives.
void RemoveLeftovers(const std::vector<std::string>& paths, FileSync sync) {
    std::vector<std::string> dirs;
    for (const std::string& path : paths)
        if (std::find(dirs.begin(), dirs.end(), DirectoryOf(path)) == dirs.end())
            dirs.push_back(DirectoryOf(path));
    for (const std::string& dir : dirs) {
        DIR* d = ::opendir(dir.c_str());
        if (!d)
            continue;
        bool removed = false;
        while (const dirent* entry = ::readdir(d)) {
            const std::string name = entry->d_name;
            const bool leftover = std::any_of(paths.begin(), paths.end(), [&](const std::string& path) {
                return DirectoryOf(path) == dir && IsLeftoverOf(name, BaseName(path));
            });
            struct stat st {};
            if (leftover && ::fstatat(::dirfd(d), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISREG(st.st_mode) && ::unlinkat(::dirfd(d), name.c_str(), 0) == 0)
                removed = true;
        }
        ::closedir(d);
        if (removed && sync == FileSync::Yes)
            SyncDirectory(dir);
    }
}

// Opens path (never through a link, never waiting on a pipe) and hands its bytes to take piece
// by piece. 0 when all were taken, else why not: the errno of opening or reading, EINVAL when it is
// not a regular file, EFBIG when it holds more than maxSize bytes, ECANCELED when take refused.
int ReadPieces(const std::string& path, uint64_t maxSize,
               const std::function<bool(const char*, size_t)>& take) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat st {};
    int error = ::fstat(fd, &st) != 0                         ? errno
                : !S_ISREG(st.st_mode)                        ? EINVAL
                : static_cast<uint64_t>(st.st_size) > maxSize ? EFBIG
                                                              : 0;
    uint64_t total = 0;
    char buffer[65536];
    while (error == 0) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno != EINTR)
                error = errno;
            continue;
        }
        total += static_cast<uint64_t>(n);
        error = total > maxSize ? EFBIG : !take(buffer, static_cast<size_t>(n)) ? ECANCELED : 0;
    }
    ::close(fd);
    return error;
}

// True when path is a regular file (not a link) of exactly these contents.
bool FileHolds(const std::string& path, uint64_t size, uint64_t hash) {
    uint64_t state = kContentHashStart;
    uint64_t read = 0;
    return ReadPieces(path, size,
                      [&](const char* bytes, size_t n) {
                          state = ContentHash(bytes, n, state);
                          read += n;
                          return true;
                      }) == 0 &&
           read == size && state == hash;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The journal's text; false when there is none.
bool ReadJournal(const std::string& journal, std::string& text) {
    const int error = ReadPieces(journal, 1 << 24, [&](const char* bytes, size_t n) {
        text.append(bytes, n);
        return true;
    });
    if (error == 0)
        return true;
    if (error == ENOENT || error == ENOTDIR)
        return false;
    if (error == EINVAL || error == EFBIG)
        throw FileSetError("the journal " + Quoted(journal) + " of an unfinished save is damaged");
    throw FileSetError("cannot read the journal " + Quoted(journal) +
                       " of an unfinished save: " + std::strerror(error));
}

// Puts the journal in place whole: written beside, synced, renamed.
void PlaceJournal(const std::string& journal, const std::string& text, FileSync sync,
                  const std::function<void(const std::string&)>& reached) {
    Target target;
    target.path = journal;
    const std::unique_ptr<TempFile> temp = WriteBeside(
        journal, target,
        [&](std::FILE* f) {
            if (std::fwrite(text.data(), 1, text.size(), f) != text.size())
                throw StreamWriteError(errno);
        },
        sync);
    reached("journal beside");
    if (::rename(temp->Path().c_str(), journal.c_str()) != 0)
        throw FileWriteError(journal, errno);
    temp->Commit();
    if (sync == FileSync::Yes)
        SyncDirectories({journal});
}

void RemoveJournal(const std::string& journal, FileSync sync) {
    ::unlink(journal.c_str());
    if (sync == FileSync::Yes)
        SyncDirectories({journal});
}

// A journal that names files other than the set's own, or places its temporary files and kept
// originals elsewhere than beside them under the names this writer gives, is not this set's.
bool BelongsToSet(const std::vector<JournalMember>& members, const std::vector<std::string>& targets) {
    for (size_t i = 0; i < members.size(); ++i) {
        const JournalMember& m = members[i];
        const std::string dir = DirectoryOf(m.target);
        const std::string base = BaseName(m.target);
        const auto beside = [&](const std::string& path) {
            return DirectoryOf(path) == dir && IsLeftoverOf(BaseName(path), base);
        };
        if (std::find(targets.begin(), targets.end(), m.target) == targets.end() || !beside(m.temporary) ||
            (!m.original.empty() && !beside(m.original)))
            return false;
        for (size_t j = 0; j < i; ++j)
            if (members[j].target == m.target)
                return false;
    }
    return true;
}

// RecoverFileSet with the lock held and the names resolved.
SetRecovery RecoverLocked(const std::string& journal, const std::vector<std::string>& targets, FileSync sync,
                          const std::function<void(const std::string&)>& reached) {
    std::vector<std::string> leftovers = targets;
    leftovers.push_back(journal);
    std::string text;
    if (!ReadJournal(journal, text)) {
        RemoveLeftovers(leftovers, sync);
        return SetRecovery::None;
    }
    std::vector<JournalMember> members;
    if (!ParseJournal(text, members) || !BelongsToSet(members, targets))
        throw FileSetError("the journal " + Quoted(journal) + " of an unfinished save is damaged");

    // Each member's new contents wait beside it, are in place already, or are lost
    std::vector<bool> waiting, placed;
    for (const JournalMember& m : members) {
        waiting.push_back(FileHolds(m.temporary, m.size, m.hash));
        placed.push_back(!waiting.back() && FileHolds(m.target, m.size, m.hash));
    }
    std::vector<std::string> touched;
    for (const JournalMember& m : members)
        touched.push_back(m.target);

    SetRecovery result = SetRecovery::Finished;
    size_t lost = 0;
    while (lost < members.size() && (waiting[lost] || placed[lost]))
        ++lost;
    if (lost == members.size()) {
        for (size_t i = 0; i < members.size(); ++i) {
            if (!waiting[i])
                continue;
            if (::rename(members[i].temporary.c_str(), members[i].target.c_str()) != 0)
                throw FileWriteError(members[i].target, errno);
            reached("recovered " + BaseName(members[i].target));
        }
    } else {
        // Undone: every member already replaced gets its kept original back. Checked first, so
        // that a set that can go neither way is left exactly as found
        result = SetRecovery::Undone;
        for (size_t i = 0; i < members.size(); ++i) {
            if (placed[i] && !members[i].original.empty() && !Exists(members[i].original))
                throw FileSetError("the unfinished save in " + Quoted(journal) +
                                   " can be neither finished nor undone: the new contents of " +
                                   Quoted(members[lost].target) + " and the old contents of " +
                                   Quoted(members[i].target) + " are gone");
        }
        for (size_t i = 0; i < members.size(); ++i) {
            if (!placed[i])
                continue;
            const JournalMember& m = members[i];
            if (m.original.empty() ? ::unlink(m.target.c_str()) != 0 && errno != ENOENT
                                   : ::rename(m.original.c_str(), m.target.c_str()) != 0)
                throw FileWriteError(m.target, errno);
            reached("recovered " + BaseName(m.target));
        }
        for (const JournalMember& m : members)
            ::unlink(m.temporary.c_str());
    }
    if (sync == FileSync::Yes)
        SyncDirectories(touched);
    for (const JournalMember& m : members)
        if (!m.original.empty())
            ::unlink(m.original.c_str());
    reached("originals removed");
    RemoveJournal(journal, sync);
    reached("journal removed");
    RemoveLeftovers(leftovers, sync);
    return result;
}

} // namespace

FileWriteError::FileWriteError(const std::string& fileName, int error)
    : FileWriteError(fileName, error, std::strerror(error)) {}

FileWriteError::FileWriteError(const std::string& fileName, int error, const std::string& reason)
    : std::runtime_error("cannot write " + Quoted(fileName) + ": " + reason), error_(error) {}

void WriteFileAtomically(const std::string& fileName, const std::function<void(std::FILE*)>& produce,
                         const WriteOptions& options) {
    if (fileName.empty())
        throw FileWriteError(fileName, ENOENT);
    Target target;
    target.path = ResolveLinks(fileName);

    struct stat& st = target.st;
    if (::stat(target.path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            throw FileWriteError(fileName, EISDIR);
        if (!S_ISREG(st.st_mode)) {
            if (options.specialFiles == SpecialFiles::Refuse)
                throw NotRegular(fileName);
            if (WriteInPlace(fileName, target.path, produce))
                return;
            if (::stat(target.path.c_str(), &st) != 0)
                throw FileWriteError(fileName, errno);
        }
        target.exists = true;
        if (const int refusal = WriteRefusal(target.path, st))
            throw FileWriteError(fileName, refusal);
    } else if (errno != ENOENT) {
        throw FileWriteError(fileName, errno);
    }

    const std::unique_ptr<TempFile> temp = CreateBeside(fileName, target, options.inPlace);
    if (!temp) {
        OverwriteInPlace(fileName, target, produce, options.sync);
        return;
    }
    FillBeside(fileName, *temp, produce, options.sync);
    if (std::rename(temp->Path().c_str(), target.path.c_str()) != 0)
        throw FileWriteError(fileName, errno);
    temp->Commit();
    if (options.sync == FileSync::Yes)
        SyncDirectories({target.path});
}

void WriteFileAtomically(const std::string& fileName, const void* data, size_t size,
                         const WriteOptions& options) {
    WriteFileAtomically(
        fileName,
        [&](std::FILE* f) {
            if (size != 0 && std::fwrite(data, 1, size, f) != size)
                throw StreamWriteError(errno);
        },
        options);
}

void WriteFilesAtomically(const std::vector<FileContents>& files, const std::string& journal, FileSync sync,
                          const SetHooks& hooks) {
    const auto reached = [&hooks](const std::string& point) {
        if (hooks.reached)
            hooks.reached(point);
    };
    const RenameStep renameStep =
        hooks.rename ? hooks.rename : [](const char* from, const char* to) { return std::rename(from, to); };
    if (journal.empty())
        throw FileWriteError(journal, ENOENT);
    struct Member {
        const FileContents* file;
        Target target;
        std::unique_ptr<TempFile> next;     // the new contents until renamed
        std::unique_ptr<TempFile> original; // the old contents under a second name
    };
    std::vector<Member> set;
    set.reserve(files.size());
    std::vector<std::string> targets;

    // Refuse what cannot be replaced before anything is written
    for (const FileContents& file : files) {
        const std::string& fileName = file.first;
        if (fileName.empty())
            throw FileWriteError(fileName, ENOENT);
        Member member{&file, {}, nullptr, nullptr};
        Target& target = member.target;
        target.path = ResolveLinks(fileName);
        if (::stat(target.path.c_str(), &target.st) == 0) {
            if (S_ISDIR(target.st.st_mode))
                throw FileWriteError(fileName, EISDIR);
            if (!S_ISREG(target.st.st_mode))
                throw NotRegular(fileName);
            target.exists = true;
            if (const int refusal = WriteRefusal(target.path, target.st))
                throw FileWriteError(fileName, refusal);
        } else if (errno != ENOENT) {
            throw FileWriteError(fileName, errno);
        }
        for (const Member& other : set) {
            if (other.target.path == target.path ||
                (other.target.exists && target.exists && other.target.st.st_dev == target.st.st_dev &&
                 other.target.st.st_ino == target.st.st_ino))
                throw std::invalid_argument("the file " + Quoted(fileName) + " is named twice in one set");
        }
        targets.push_back(target.path);
        set.push_back(std::move(member));
    }

    const DirectoryLock lock(DirectoryOf(journal));
    // What an interrupted earlier write left is completed or undone first, as a start would do;
    // one that can go neither way is superseded by this set
    try {
        RecoverLocked(journal, targets, sync, [](const std::string&) {});
    } catch (const FileSetError&) {
    } catch (const FileWriteError&) {
    }

    // Write all new contents beside the old files, and keep the old ones under second names
    for (Member& member : set) {
        const std::vector<uint8_t>& bytes = member.file->second;
        member.next = WriteBeside(
            member.file->first, member.target,
            [&](std::FILE* f) {
                if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
                    throw StreamWriteError(errno);
            },
            sync);
        reached("written " + BaseName(member.file->first));
    }
    for (Member& member : set) {
        if (!member.target.exists)
            continue;
        member.original = KeepOriginal(member.file->first, member.target, member.next->Path() + ".old", sync);
        reached("kept " + BaseName(member.file->first));
    }
    if (sync == FileSync::Yes)
        SyncDirectories(targets);

    // From here on the set is decided: a start that finds the journal completes it
    std::vector<JournalMember> record;
    for (const Member& member : set) {
        const std::vector<uint8_t>& bytes = member.file->second;
        record.push_back({member.target.path, member.next->Path(),
                          member.original ? member.original->Path() : std::string(), bytes.size(),
                          ContentHash(bytes.data(), bytes.size())});
    }
    PlaceJournal(journal, FormatJournal(record), sync, reached);
    reached("journal in place");

    // Put them in place; a failure puts back what was replaced before it
    for (size_t i = 0; i < set.size(); ++i) {
        Member& member = set[i];
        if (renameStep(member.next->Path().c_str(), member.target.path.c_str()) == 0) {
            member.next->Commit();
            reached("renamed " + BaseName(member.file->first));
            continue;
        }
        const int error = errno;
        bool allBack = true;
        for (size_t j = i; j-- > 0;) {
            Member& done = set[j];
            if (!done.target.exists) {
                allBack &= ::unlink(done.target.path.c_str()) == 0 || errno == ENOENT;
                continue;
            }
            // Kept on disk whether or not it went back: if not, it is the only copy left, and the
            // journal that stays lets the next recovery put it back
            allBack &= std::rename(done.original->Path().c_str(), done.target.path.c_str()) == 0;
            done.original->Commit();
        }
        if (sync == FileSync::Yes)
            SyncDirectories(targets);
        if (allBack)
            RemoveJournal(journal, sync);
        throw FileWriteError(member.file->first, error);
    }
    if (sync == FileSync::Yes)
        SyncDirectories(targets);
    for (Member& member : set) {
        if (!member.original)
            continue;
        ::unlink(member.original->Path().c_str());
        member.original->Commit();
    }
    reached("originals removed");
    RemoveJournal(journal, sync);
    reached("journal removed");
}

SetRecovery RecoverFileSet(const std::string& journal, const std::vector<std::string>& fileNames,
                           FileSync sync, const SetHooks& hooks) {
    std::vector<std::string> targets;
    for (const std::string& fileName : fileNames)
        targets.push_back(ResolveLinks(fileName));
    const DirectoryLock lock(DirectoryOf(journal));
    return RecoverLocked(journal, targets, sync, [&hooks](const std::string& point) {
        if (hooks.reached)
            hooks.reached(point);
    });
}

} // namespace zarvo::shared
