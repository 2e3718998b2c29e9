#include "datalist/datalistfiles.h"

#include "datalist/objectstream.h"
#include "shared/filewrite.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zarvo::datalist {

namespace {

using shared::FileWriteError;

std::string PathIn(const std::string& dir, const char* name) {
    if (dir.empty())
        return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

// The set in the order in which its files are put in place.
std::vector<std::string> SetNames(const std::string& dir) {
    return {PathIn(dir, kUpFile), PathIn(dir, kDownFile), PathIn(dir, kDatFile)};
}

enum class ReadStatus { Read, Missing, Failed };

// The whole file into bytes. On Failed, error holds the errno.
ReadStatus ReadWholeFile(const std::string& path, std::string& bytes, int& error) {
    // Non-blocking, so that a pipe put in the file's place cannot stall the start
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return error == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = errno;
        if (S_ISDIR(st.st_mode))
            error = EISDIR;
        else if (st.st_mode != 0)
            error = EINVAL; // a device or a pipe is no data list
        ::close(fd);
        return ReadStatus::Failed;
    }
    bytes.clear();
    bytes.reserve(static_cast<size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            ::close(fd);
            return ReadStatus::Failed;
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return ReadStatus::Read;
}

// The comments of one kind: the file's lines when there is one per item, else empty ones (and the
// file is listed as refused when it exists).
std::vector<std::string> LoadComments(const std::string& dir, const char* name, size_t count,
                                      std::vector<RefusedCommentFile>& refused) {
    std::string bytes;
    int error = 0;
    switch (ReadWholeFile(PathIn(dir, name), bytes, error)) {
    case ReadStatus::Missing:
        break;
    case ReadStatus::Failed:
        refused.push_back({name, -1, std::strerror(error)});
        break;
    case ReadStatus::Read: {
        std::vector<std::string> lines = SplitLines(bytes);
        if (lines.size() == count)
            return lines;
        refused.push_back({name, static_cast<int64_t>(lines.size()), std::string()});
        break;
    }
    }
    return std::vector<std::string>(count);
}

std::vector<uint8_t> CommentFile(const std::vector<std::string>& comments) {
    std::string bytes;
    for (const std::string& comment : comments) {
        for (size_t i = 0; i < comment.size(); ++i) {
            const char c = comment[i];
            if (c == '\r' || c == '\n') {
                bytes += ' ';
                if (c == '\r' && i + 1 < comment.size() && comment[i + 1] == '\n')
                    ++i;
            } else {
                bytes += c;
            }
        }
        bytes += "\r\n";
    }
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

} // namespace

std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t begin = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        lines.push_back(bytes.substr(begin, i - begin));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        begin = i + 1;
    }
    if (begin < bytes.size())
        lines.push_back(bytes.substr(begin));
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

LoadedDataList LoadDataListFiles(const std::string& dir) {
    LoadedDataList loaded;
    try {
        loaded.Recovered = shared::RecoverFileSet(PathIn(dir, kJournalFile), SetNames(dir));
    } catch (const std::runtime_error& e) {
        // Never a mix of two saves: the files stay as they are, for the user to look at
        loaded.StreamError =
            std::string(kDatFile) + ": a save that was cut off cannot be completed: " + e.what();
        return loaded;
    }
    std::string bytes;
    int error = 0;
    switch (ReadWholeFile(PathIn(dir, kDatFile), bytes, error)) {
    case ReadStatus::Missing:
        return loaded;
    case ReadStatus::Failed:
        loaded.StreamError = std::string(kDatFile) + ": cannot read the file: " + std::strerror(error);
        return loaded;
    case ReadStatus::Read:
        break;
    }
    std::vector<std::string> codes;
    try {
        codes = ReadComboBoxStream(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    } catch (const StreamError& e) {
        loaded.StreamError = e.what();
        return loaded;
    }
    bytes = std::string();
    std::vector<std::string> ups = LoadComments(dir, kUpFile, codes.size(), loaded.RefusedComments);
    std::vector<std::string> downs = LoadComments(dir, kDownFile, codes.size(), loaded.RefusedComments);
    loaded.List.Assign(std::move(codes), std::move(ups), std::move(downs));
    loaded.DatFound = true;
    return loaded;
}

std::string BackupDataListFile(const std::string& dir, const char* name) {
    const std::string path = PathIn(dir, name);
    const std::string backup = path + ".bak";
    std::string bytes;
    int error = 0;
    switch (ReadWholeFile(path, bytes, error)) {
    case ReadStatus::Missing:
        return std::string();
    case ReadStatus::Failed:
        throw FileWriteError(backup, error);
    case ReadStatus::Read:
        break;
    }
    shared::WriteFileAtomically(backup, bytes.data(), bytes.size());
    return backup;
}

void SaveDataListFiles(const std::string& dir, const DataList& list, const shared::SetHooks& hooks) {
    const std::vector<std::string> names = SetNames(dir);
    shared::WriteFilesAtomically(
        {
            {names[0], CommentFile(list.Ups())},
            {names[1], CommentFile(list.Downs())},
            {names[2], WriteComboBoxStream(list.Codes())},
        },
        PathIn(dir, kJournalFile), shared::FileSync::Yes, hooks);
}

} // namespace zarvo::datalist
