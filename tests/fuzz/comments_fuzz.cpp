// The comment files "ZarvoUp.txt" and "ZarvoDn.txt" on any bytes, through the real start and close:
// the lines split at CR LF, CR or LF hold no line break and join back to themselves; a file with
// one comment per symbol string is taken whole, one with a line too many gives empty comments; and
// comments holding line breaks (the input cut at zero bytes) are saved and read back as one line
// each, every break a space, so that no later comment shifts.
#include "datalist/datalistfiles.h"
#include "datalist/objectstream.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace zarvo::datalist;

bool HoldsLineBreak(const std::string& s) {
    return s.find_first_of("\r\n") != std::string::npos;
}

// What a comment should read back as: each CR LF, CR or LF one space.
std::string OneLine(const std::string& comment) {
    std::string line;
    for (size_t i = 0; i < comment.size(); ++i) {
        if (comment[i] == '\r' || comment[i] == '\n') {
            line += ' ';
            if (comment[i] == '\r' && i + 1 < comment.size() && comment[i + 1] == '\n')
                ++i;
        } else {
            line += comment[i];
        }
    }
    return line;
}

std::vector<std::string> CutAtZeros(const std::string& bytes) {
    std::vector<std::string> parts(1);
    for (char c : bytes) {
        if (c == '\0')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

void WriteFile(const std::string& dir, const char* name, const std::string& bytes) {
    zarvo::fuzz::WriteWholeFile(dir + "/" + name, bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& dir = zarvo::fuzz::ScratchDir();
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    const std::vector<std::string> lines = SplitLines(bytes);
    for (const std::string& line : lines)
        FUZZ_CHECK(!HoldsLineBreak(line));
    FUZZ_CHECK(SplitLines(JoinLines(lines)) == lines);

    // Read at start beside a "Zarvo.dat" of as many symbol strings as the file has lines
    const std::vector<uint8_t> dat = WriteComboBoxStream(lines);
    WriteFile(dir, kDatFile, std::string(dat.begin(), dat.end()));
    WriteFile(dir, kUpFile, bytes);
    WriteFile(dir, kDownFile, bytes + "\r\none line too many or more\r\n");
    const LoadedDataList loaded = LoadDataListFiles(dir);
    FUZZ_CHECK(loaded.StreamError.empty() && loaded.DatFound);
    FUZZ_CHECK(loaded.List.Codes() == lines);
    FUZZ_CHECK(loaded.List.Ups() == lines);
    FUZZ_CHECK(loaded.List.Downs() == std::vector<std::string>(lines.size()));

    // Written at close and read again
    const std::vector<std::string> comments = CutAtZeros(bytes);
    std::vector<std::string> codes, expected;
    for (size_t i = 0; i < comments.size(); ++i) {
        codes.push_back(std::to_string(i));
        expected.push_back(OneLine(comments[i]));
    }
    DataList list;
    list.Assign(codes, comments, std::vector<std::string>(comments.rbegin(), comments.rend()));
    SaveDataListFiles(dir, list);
    const LoadedDataList saved = LoadDataListFiles(dir);
    FUZZ_CHECK(saved.StreamError.empty());
    FUZZ_CHECK(saved.List.Codes() == codes);
    FUZZ_CHECK(saved.List.Ups() == expected);
    FUZZ_CHECK(saved.List.Downs() == std::vector<std::string>(expected.rbegin(), expected.rend()));
    return 0;
}
