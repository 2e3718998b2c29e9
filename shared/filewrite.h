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

// rename(2)'s contract: 0, or -1 with errno set.
using RenameStep = std::function<int(const char* from, const char* to)>;

// For tests that make a set's renames fail or stop the process part-way.
struct SetHooks {
    RenameStep rename; // in place of rename(2) for the members' renames while writing
    // Called at each point where the process may stop and leave work for RecoverFileSet, with a
    // name for the point: "written NAME", "kept NAME", "journal beside", "journal in place",
    // "renamed NAME", "originals removed", "journal removed" (NAME: a member's file name without
    // its directory); in RecoverFileSet "recovered NAME", "originals removed", "journal removed".
    std::function<void(const std::string& point)> reached;
};

// A set left unfinished that RecoverFileSet can neither finish nor undo, or whose journal is
// damaged. what() names the journal and the file that is missing.
class FileSetError : public std::runtime_error {
  public:
    explicit FileSetError(const std::string& message) : std::runtime_error(message) {}
};

// Writes several files as one set, so that they are either all old or all new, also when one of
// them cannot be written and also when the process or the machine stops part-way (with
// FileSync::Yes), provided that RecoverFileSet runs, with the same journal, before the files are
// read again.
// 1. Every new file is written beside its old one (as above: same permissions and owner, synced;
//    never in place; a file the user may not write is refused); each old file is kept under a
//    second name (a hard link, or a copy where the file system has no links).
// 2. The journal (setjournal.h) naming all of them is written beside its place, synced, and
//    renamed into place: the set is decided from here on.
// 3. The new files are renamed over the old ones in the order given, the kept old ones removed,
//    then the journal; each step is synced (directories too) before the next.
// If a rename fails, the files already replaced get their old contents back (a file that did not
// exist is removed again), the journal goes, and the failure is thrown; should putting one back
// fail, the journal stays, so that RecoverFileSet completes the undoing.
// An unfinished set that an earlier process left under the same journal is recovered first; one
// that cannot be is replaced by this one. Links are followed as above; a name that exists and is
// not a regular file (device, pipe, directory) cannot be part of a set and is refused before
// anything is written, as is a file the user may not write.
// Processes that write or recover under the same journal take turns (an advisory lock on the
// journal's directory, where the file system has locks).
// Throws FileWriteError naming the file that failed (the journal's name when it is the journal);
// std::invalid_argument when two names reach the same file.
void WriteFilesAtomically(const std::vector<FileContents>& files, const std::string& journal,
                          FileSync sync = FileSync::Yes, const SetHooks& hooks = {});

enum class SetRecovery {
    None,     // no unfinished set
    Finished, // an unfinished set was completed: its files are new
    Undone,   // an unfinished set could not be completed and was undone: its files are old
};

// Brings the set that journal records to one whole state: completes it when every new file is
// still there (or already in place), else puts the old files back. Then, with no journal left,
// removes what an interrupted WriteFilesAtomically of these files left behind: its temporary files
// and kept old files, recognised by their names (filewrite.cpp's IsLeftoverOf).
// fileNames: the set's files; a journal that names another file counts as damaged.
// Throws FileSetError when the journal is damaged or unreadable, or the set can be neither
// completed nor undone (nothing is changed then), FileWriteError when a rename or removal fails
// (the journal stays, so that a later call goes on from there).
SetRecovery RecoverFileSet(const std::string& journal, const std::vector<std::string>& fileNames,
                           FileSync sync = FileSync::Yes, const SetHooks& hooks = {});

} // namespace zarvo::shared
