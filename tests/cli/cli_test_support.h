// Helpers of the command-line encoder's tests: running the command in the process or as the real
// executable, scratch directories, and an independent reader of the "P1" listing whose symbols
// zxing-cpp decodes.
#pragma once

#include <QImage>
#include <QRect>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zarvo::cli::test {

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

// RunCommand with `in` as standard input and the output and messages captured.
RunResult RunInProcess(const std::vector<std::string>& args, const std::string& in = {},
                       bool outIsTerminal = false);

// The zarvo-encode executable, standard input from `in`, standard output not a terminal.
RunResult RunBinary(const std::vector<std::string>& args, const std::string& in = {});

// A fresh directory, removed with everything in it at the end of the scope.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    const std::filesystem::path& Path() const { return path_; }
    // Names of the entries in the directory, sorted.
    std::vector<std::string> Entries() const;

  private:
    std::filesystem::path path_;
};

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

// One symbol of a listing, sampled back to modules.
struct ListedSymbol {
    int side = 0;
    std::vector<uint8_t> dark; // side * side, row-major
};

struct Listing {
    std::string mode; // "Single", "Connect" or "Plus"
    int count = 0;
    int width = 0;
    int pxmag = 0;
    std::vector<ListedSymbol> symbols;
};

// Reads a listing strictly: "P1", the mode line, the size line "W W", then per symbol two empty
// lines and W lines of W tokens " 0" / " 1", each line ending in a newline and nothing after the
// last symbol. Every module must be a uniform pxmag x pxmag block and the quiet zone (4 modules)
// light; pxmag is found from where the upper-left finder pattern starts. On a malformed listing
// returns nullopt and says why in `error`.
std::optional<Listing> ReadListing(const std::string& text, std::string& error);

struct Decoded {
    std::string bytes;
    int sequenceIndex = -1; // structured append: 0-based position
    int sequenceSize = -1;  // structured append: symbols in the set, -1 for none
    std::string sequenceId; // structured append: the parity in decimal
};

// Decodes one symbol with zxing-cpp; nullopt when it cannot be read.
std::optional<Decoded> DecodeSymbol(const ListedSymbol& symbol);

// Decodes the one symbol inside `area` of a picture (the whole picture when area is null) with
// zxing-cpp, reading its luminance as a scanner would; nullopt when it cannot be read.
std::optional<Decoded> DecodePicture(const QImage& picture, const QRect& area = {});

// A picture file read back by Qt's image readers (BMP, PNG, JPEG), as 32-bit RGB.
QImage LoadPicture(const std::filesystem::path& path);
QImage LoadPicture(const std::string& bytes, const char* format);

// The picture turned clockwise by angle (90, 180, 270): (x, y) of the result comes from
// (y, h - 1 - x), (w - 1 - x, h - 1 - y) or (w - 1 - y, x); mirrored: from (w - 1 - x, y).
QImage Turned(const QImage& picture, int angle);
QImage Mirrored(const QImage& picture);

} // namespace zarvo::cli::test
