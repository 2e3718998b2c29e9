// The data list on disk: three files in one directory, read at start and written as a set at close.
//   "Zarvo.dat"    the symbol strings (objectstream.h)
//   "ZarvoUp.txt"  the upper comments, one a line, each line ended by CR LF, in item order
//   "ZarvoDn.txt"  the lower comments, the same way
// and, only while a save is under way or was cut off, ".Zarvo.journal" (shared/setjournal.h).
#pragma once

#include "datalist/datalistmodel.h"
#include "shared/filewrite.h"

#include <string>
#include <vector>

namespace zarvo::datalist {

inline constexpr const char* kDatFile = "Zarvo.dat";
inline constexpr const char* kUpFile = "ZarvoUp.txt";
inline constexpr const char* kDownFile = "ZarvoDn.txt";
inline constexpr const char* kJournalFile = ".Zarvo.journal";

// The lines of bytes, split at CR LF, CR or LF (a CR LF pair is one break). A last line without a
// line end counts; an empty string is no line at all, so "a\r\n" and "a" are one line each.
std::vector<std::string> SplitLines(const std::string& bytes);

// Every line followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);

// A comment file that exists but was not taken: its comments start empty.
struct RefusedCommentFile {
    const char* Name = nullptr; // kUpFile or kDownFile
    int64_t Lines = -1;         // the lines it holds; -1 when it could not be read
    std::string Error;          // why it could not be read (Lines -1)
};

struct LoadedDataList {
    DataList List;
    bool DatFound = false;   // "Zarvo.dat" existed and was read (it may have held no strings)
    std::string StreamError; // non-empty: "Zarvo.dat" exists but could not be read or parsed, or a
                             // save that was cut off can be neither finished nor undone; the
                             // message starts with "Zarvo.dat: ". DatFound is false and List empty.
    // A save that was cut off (the process killed, the machine stopped) and completed (Finished:
    // the list is the one that save wrote) or undone (Undone: the one before it) before reading.
    shared::SetRecovery Recovered = shared::SetRecovery::None;
    std::vector<RefusedCommentFile> RefusedComments; // in the order up, down
};

// Reads the three files in dir, after completing or undoing a save that was cut off there
// (shared::RecoverFileSet), so that they are always read as one set. A missing "Zarvo.dat" gives an
// empty list. A comment file that is
// missing, unreadable, or has a number of lines other than the number of symbol strings gives as
// many empty comments of that kind; the last two are listed in RefusedComments. Never throws for
// what the files hold (only std::bad_alloc).
LoadedDataList LoadDataListFiles(const std::string& dir);

// Copies one of the three files in dir (kDatFile, kUpFile, kDownFile) to "<name>.bak" beside it
// (replacing an older backup whole) and returns the backup's path, or an empty string when the
// file does not exist. Throws FileWriteError (filewrite.h) naming the backup when the file cannot
// be read or its copy written.
std::string BackupDataListFile(const std::string& dir, const char* name);

// Writes the three files in dir as one set: afterwards they are all new or, when this throws, all
// as they were; should the process or the machine stop part-way, the next LoadDataListFiles
// finds them all old or all new (shared::WriteFilesAtomically). A CR or LF inside
// a comment would shift every later comment by a line when read back, so each line break there
// (CR LF, CR or LF) is written as one space. Throws FileWriteError naming the file that failed.
// hooks: for tests that stop the save part-way.
void SaveDataListFiles(const std::string& dir, const DataList& list, const shared::SetHooks& hooks = {});

} // namespace zarvo::datalist
