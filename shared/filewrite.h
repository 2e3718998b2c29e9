// The one way the program writes a file it was asked to write: data files, pictures and the
// command-line encoder's output all go through here.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace zarvo::shared {

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

// One member of a set of files: its name and its complete new contents.
using FileContents = std::pair<std::string, std::vector<uint8_t>>;

// Writes several files as one set, so that they are either all old or all new, also when one of
// them cannot be written. Every new file is first written beside its old one (as above: same
// permissions and owner, synced with FileSync::Yes); only when all of them are complete is each
// old file kept under a second name (a hard link, or a copy where the file system has no links),
// and the new ones are renamed over the old ones in the order given. If a rename fails, the files
// already replaced get their old contents back (a file that did not exist is removed again) and
// the failure is thrown. Links are followed as above; a name that exists and is not a regular file
// (device, pipe, directory) cannot be part of a set and is refused before anything is written.
// Throws FileWriteError naming the file that failed; std::invalid_argument when two names reach
// the same file.
// What is left open: each rename is atomic, the set of renames is not. If the process dies (or the
// machine stops) between two of them, the files renamed so far are new and the rest old; the old
// contents of the renamed ones remain beside them as ".NAME.XXXXXX.old" (".NAME.XXXXXX" where
// copied), and nothing puts them back by itself. An old file whose putting back fails stays under
// that name too. The window is the time of a few renames in one directory.
void WriteFilesAtomically(const std::vector<FileContents>& files, FileSync sync = FileSync::Yes);

// As above with the rename step replaced: rename(2)'s contract (0, or -1 with errno set). For tests
// that make the step fail or stop the process part-way.
using RenameStep = std::function<int(const char* from, const char* to)>;
void WriteFilesAtomically(const std::vector<FileContents>& files, FileSync sync, const RenameStep& rename);

} // namespace zarvo::shared
