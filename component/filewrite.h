// The one way the program writes a file it was asked to write: data files, pictures and the
// command-line encoder's output all go through here.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zarvo::component {

// A file that could not be written. what(): `cannot write "NAME": REASON` (REASON from strerror).
class FileWriteError : public std::runtime_error {
  public:
    FileWriteError(const std::string& fileName, int error);
    int Error() const { return error_; }

  private:
    int error_;
};

// Thrown by a producer when a write to the stream it was given fails (error: the errno of the
// failure); the writer reports it as a FileWriteError naming the file.
class StreamWriteError : public std::runtime_error {
  public:
    explicit StreamWriteError(int error) : std::runtime_error("write failed"), error_(error) {}
    int Error() const { return error_; }

  private:
    int error_;
};

enum class FileSync { No, Yes };

// Writes what produce() puts on the stream. A regular file (or a name that does not exist yet) is
// written as a new file beside it and renamed over it at the end, so that it holds either its old
// contents or the complete new ones; the new file gets the permissions (and, where allowed, the
// owner) of the file it replaces, or 0666 less the umask. A symbolic link is followed, also a
// dangling one: the link stays and its target is written. A name that exists and is not a regular
// file (a device such as /dev/null, a pipe) is written in place, never replaced. With
// FileSync::Yes the data reach the disk before the rename.
// Throws FileWriteError; anything else that produce() throws is passed on, the file untouched.
void WriteFileAtomically(const std::string& fileName, const std::function<void(std::FILE*)>& produce,
                         FileSync sync = FileSync::Yes);
void WriteFileAtomically(const std::string& fileName, const void* data, size_t size,
                         FileSync sync = FileSync::Yes);
inline void WriteFileAtomically(const std::string& fileName, const std::vector<uint8_t>& bytes,
                                FileSync sync = FileSync::Yes) {
    WriteFileAtomically(fileName, bytes.data(), bytes.size(), sync);
}

} // namespace zarvo::component
