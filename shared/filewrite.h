// The one way the program writes its files: data files, pictures, the settings and data list files
// and the command-line encoder's output all go through here.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace zarvo::shared {

// A file that could not be written. what(): `cannot write "NAME": REASON` (REASON from strerror,
// or the one given).
class FileWriteError : public std::runtime_error {
  public:
    FileWriteError(const std::string& fileName, int error);
    FileWriteError(const std::string& fileName, int error, const std::string& reason);
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

// What becomes of an existing regular file that no temporary file can replace: its directory
// refuses new files, or its file system refuses to give the temporary the file's permissions.
enum class InPlace {
    Never,      // the failure is reported
    AsFallback, // the file itself is overwritten (see WriteFileAtomically)
};

// What becomes of a name that exists and is not a regular file (a device, a pipe, a socket).
enum class SpecialFiles {
    Refuse,    // ENOTSUP, "not a regular file": a pipe without a reader would block for ever
    WriteInto, // opened and written, never replaced (/dev/stdout, /dev/null, a pipe to a reader)
};

struct WriteOptions {
    InPlace inPlace = InPlace::Never;
    SpecialFiles specialFiles = SpecialFiles::Refuse;
    FileSync sync = FileSync::Yes;
};

// The program's own files (the settings file): only ever through a temporary file, only regular
// files.
inline constexpr WriteOptions kOwnFile{};
// A single file the user saves from the window (a data file, a picture): in place where no
// temporary file can replace it; never a device or a pipe, which could block the window.
inline constexpr WriteOptions kSavedFile{InPlace::AsFallback, SpecialFiles::Refuse};
// The command line's output: as a saved file, but devices and pipes are written into.
inline constexpr WriteOptions kCommandOutput{InPlace::AsFallback, SpecialFiles::WriteInto};

// Writes what produce() puts on the stream. A regular file (or a name that does not exist yet) is
// written as a new file beside it and renamed over it at the end, so that it holds either its old
// contents or the complete new ones; the new file gets the permissions (and, where allowed, the
// owner) of the file it replaces, or 0666 less the umask. A symbolic link is followed, also a
// dangling one: the link stays and its target is written. With FileSync::Yes the data reach the
// disk before the rename.
// An existing file the user may not write is refused (EACCES) before anything is written: for a
// user other than root as access(2) decides (AT_EACCESS); for root when no write permission bit is
// set, so that a file made read-only (0444) is not replaced by root either, as root may execute a
// file only when some execute bit is set.
// With InPlace::AsFallback, an existing file that no temporary file can replace is overwritten:
// the new contents are first produced into an unnamed temporary file elsewhere, then the space is
// reserved where the file system can, and only then is the file overwritten and cut to length.
// It is no longer all-or-nothing: a write error after that point leaves the file damaged.
// A name that is not a regular file is refused or written into, as options.specialFiles says.
// Throws FileWriteError; anything else that produce() throws is passed on, the file untouched.
void WriteFileAtomically(const std::string& fileName, const std::function<void(std::FILE*)>& produce,
                         const WriteOptions& options = kOwnFile);
void WriteFileAtomically(const std::string& fileName, const void* data, size_t size,
                         const WriteOptions& options = kOwnFile);
inline void WriteFileAtomically(const std::string& fileName, const std::vector<uint8_t>& bytes,
                                const WriteOptions& options = kOwnFile) {
    WriteFileAtomically(fileName, bytes.data(), bytes.size(), options);
}

// One member of a set of files: its name and its complete new contents.
using FileContents = std::pair<std::string, std::vector<uint8_t>>;

// Writes several files as one set, so that they are either all old or all new, also when one of
// them cannot be written. Every new file is first written beside its old one (as above: same
// permissions and owner, synced with FileSync::Yes; never in place; a file the user may not write
// is refused); only when all of them are complete is each
// old file kept under a second name (a hard link, or a copy where the file system has no links),
// and the new ones are renamed over the old ones in the order given. If a rename fails, the files
// already replaced get their old contents back (a file that did not exist is removed again) and
// the failure is thrown. Links are followed as above; a name that exists and is not a regular file
// (device, pipe, directory) cannot be part of a set and is refused before anything is written, as
// is a file the user may not write.
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
