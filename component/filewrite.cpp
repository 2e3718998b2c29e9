#include "filewrite.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zarvo::component {

namespace {

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

mode_t CurrentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
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

// A device or a pipe cannot be replaced by renaming (and /dev/null must never be): write into it.
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

} // namespace

FileWriteError::FileWriteError(const std::string& fileName, int error)
    : std::runtime_error("cannot write " + Quoted(fileName) + ": " + std::strerror(error)), error_(error) {}

void WriteFileAtomically(const std::string& fileName, const std::function<void(std::FILE*)>& produce,
                         FileSync sync) {
    if (fileName.empty())
        throw FileWriteError(fileName, ENOENT);
    const std::string target = ResolveLinks(fileName);

    struct stat st {};
    bool exists = false;
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            throw FileWriteError(fileName, EISDIR);
        if (!S_ISREG(st.st_mode)) {
            if (WriteInPlace(fileName, target, produce))
                return;
            if (::stat(target.c_str(), &st) != 0)
                throw FileWriteError(fileName, errno);
        }
        exists = true;
    } else if (errno != ENOENT) {
        throw FileWriteError(fileName, errno);
    }

    // Beside the target, on the same file system, so that the rename is atomic
    const size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string tempPath = dir + "." + base + ".XXXXXX";
    const int fd = ::mkstemp(tempPath.data());
    if (fd < 0)
        throw FileWriteError(fileName, errno);
    TempFile temp(tempPath, fd);
    if (exists && (st.st_uid != ::geteuid() || st.st_gid != ::getegid())) {
        // Keep the owner where we may (root may; others at most their own groups)
        [[maybe_unused]] const int ignored = ::fchown(fd, st.st_uid, st.st_gid);
    }
    const mode_t mode =
        exists ? static_cast<mode_t>(st.st_mode & 07777) : static_cast<mode_t>(0666 & ~CurrentUmask());
    if (::fchmod(fd, mode) != 0)
        throw FileWriteError(fileName, errno);
    std::FILE* f = temp.Open();
    if (!f)
        throw FileWriteError(fileName, errno);
    Produce(fileName, f, produce);
    if (sync == FileSync::Yes && ::fsync(temp.Descriptor()) != 0)
        throw FileWriteError(fileName, errno);
    if (!temp.Close())
        throw FileWriteError(fileName, errno);
    if (std::rename(tempPath.c_str(), target.c_str()) != 0)
        throw FileWriteError(fileName, errno);
    temp.Commit();
}

void WriteFileAtomically(const std::string& fileName, const void* data, size_t size, FileSync sync) {
    WriteFileAtomically(
        fileName,
        [&](std::FILE* f) {
            if (size != 0 && std::fwrite(data, 1, size, f) != size)
                throw StreamWriteError(errno);
        },
        sync);
}

} // namespace zarvo::component
