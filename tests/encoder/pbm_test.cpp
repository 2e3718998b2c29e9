#include "encoder/pbm.h"
#include "tests/encoder/test_support.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace zarvo::encoder {
namespace {

using test_support::Bytes;
using test_support::Len;

using Lines = std::vector<std::string>;

std::string Tokens(int n, const char* token) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += token;
    return s;
}

// Divides and checks as the drawing does, then lists.
Lines Listing(SymbolEncoder& enc, const std::string& data, int32_t pxmag) {
    enc.Divide(Bytes(data), Len(data));
    enc.CheckDivision(Bytes(data), Len(data));
    Lines lines = {"left over"};
    MakePbm(enc, Bytes(data), Len(data), pxmag, lines);
    return lines;
}

std::unique_ptr<SymbolEncoder> NewEncoder(int32_t version, int32_t level, int32_t count = 1) {
    auto enc = std::make_unique<SymbolEncoder>();
    enc->Version = version;
    enc->Eclevel = level;
    enc->Count = count;
    return enc;
}

// The symbol's W lines starting at `first` match the encoder's matrix, each module pxmag x pxmag.
void ExpectSymbol(const Lines& lines, size_t first, const SymbolEncoder& enc, int32_t pxmag) {
    const int side = enc.Side();
    const int w = (side + 8) * pxmag;
    ASSERT_GE(lines.size(), first + static_cast<size_t>(w));
    for (int y = 0; y < w; ++y) {
        const std::string& line = lines[first + static_cast<size_t>(y)];
        ASSERT_EQ(line.size(), 2 * static_cast<size_t>(w)) << "line " << y;
        for (int x = 0; x < w; ++x) {
            const int r = y / pxmag - 4, c = x / pxmag - 4;
            const bool dark = r >= 0 && r < side && c >= 0 && c < side && enc.Dark(r, c);
            ASSERT_EQ(line.substr(2 * static_cast<size_t>(x), 2), dark ? " 1" : " 0")
                << "pixel " << x << ", " << y;
        }
    }
}

TEST(Pbm, OneSymbolAtVersion1) {
    auto enc = NewEncoder(1, kLevelL);
    const Lines lines = Listing(*enc, "01234567", 1);
    ASSERT_EQ(lines.size(), 3u + 2u + 29u);
    EXPECT_EQ(lines[0], "P1");
    EXPECT_EQ(lines[1], "Single Mode (Count = 1)");
    EXPECT_EQ(lines[2], "29 29");
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[4], "");
    const std::string light = Tokens(29, " 0");
    for (size_t i : {5u, 6u, 7u, 8u, 30u, 31u, 32u, 33u})
        EXPECT_EQ(lines[i], light) << "quiet line " << i;
    // The first module row: the quiet zone, then the top of the upper-left finder.
    EXPECT_EQ(lines[9].substr(0, 22), Tokens(4, " 0") + Tokens(7, " 1"));
    EXPECT_EQ(lines[9].substr(22, 2), " 0"); // separator
    ExpectSymbol(lines, 5, *enc, 1);
}

TEST(Pbm, ModulesArePxmagSquares) {
    for (int32_t pxmag : {2, 3, 10}) {
        auto enc = NewEncoder(1, kLevelM);
        const Lines lines = Listing(*enc, "HELLO", pxmag);
        const int w = 29 * pxmag;
        EXPECT_EQ(lines[2], std::to_string(w) + " " + std::to_string(w));
        ASSERT_EQ(lines.size(), 5u + static_cast<size_t>(w));
        EXPECT_EQ(lines[5 + static_cast<size_t>(4 * pxmag)].substr(0, 16 * static_cast<size_t>(pxmag)),
                  Tokens(4 * pxmag, " 0") + Tokens(4 * pxmag, " 1"));
        ExpectSymbol(lines, 5, *enc, pxmag);
    }
    // The largest listing: version 40 at 10 pixels per module.
    auto big = NewEncoder(40, kLevelH);
    const Lines lines = Listing(*big, "x", 10);
    EXPECT_EQ(lines[2], "1850 1850");
    ASSERT_EQ(lines.size(), 5u + 1850u);
    EXPECT_EQ(lines[4 + 1850].size(), 3700u);
}

TEST(Pbm, EverySymbolOfASetFollowsTwoEmptyLines) {
    // clang-format off
    struct {
        std::string data;
        int32_t count;
        TQRMode mode;
        std::string modeLine;
    } cases[] = {
        {"ABCDEFGHI", 3, qrSingle, "Connect Mode (Count = 3)"},
        {"ABCDEFGHI", 3, qrPlus, "Plus Mode (Count = 3)"},
        {"0123456789012345678901234567890123456789", 17, qrConnect, "Plus Mode (Count = 17)"},
    };
    // clang-format on
    for (const auto& c : cases) {
        auto enc = NewEncoder(1, kLevelL, c.count);
        enc->Mode = c.mode;
        const Lines lines = Listing(*enc, c.data, 1);
        EXPECT_EQ(lines[1], c.modeLine);
        EXPECT_EQ(lines[2], "29 29");
        ASSERT_EQ(lines.size(), 3u + static_cast<size_t>(c.count) * 31u) << c.modeLine;
        std::vector<Lines> symbols;
        for (size_t s = 0; s < static_cast<size_t>(c.count); ++s) {
            const size_t at = 3 + 31 * s;
            EXPECT_EQ(lines[at], "");
            EXPECT_EQ(lines[at + 1], "");
            symbols.emplace_back(lines.begin() + static_cast<std::ptrdiff_t>(at + 2),
                                 lines.begin() + static_cast<std::ptrdiff_t>(at + 31));
        }
        EXPECT_NE(symbols[0], symbols[1]) << "each piece is its own symbol";
        // The encoder is left at the last piece, and the listing ends with its symbol.
        EXPECT_EQ(enc->CurrentPiece, c.count);
        ExpectSymbol(lines, lines.size() - 29, *enc, 1);
    }
}

TEST(Pbm, StopsAtThePieceThatCannotBeEncoded) {
    // clang-format off
    struct {
        std::string data;
        int32_t count;
        size_t symbols;
    } cases[] = {
        {std::string(100, 'x'), 1, 0},                                              // does not fit
        {std::string(30, '1') + std::string(30, 'x') + std::string(30, '3'), 3, 1}, // the second fails
    };
    // clang-format on
    for (const auto& c : cases) {
        auto enc = NewEncoder(1, kLevelL, c.count);
        const Lines lines = Listing(*enc, c.data, 1);
        EXPECT_EQ(lines.size(), 3 + 31 * c.symbols) << c.data.size() << " / " << c.count;
        EXPECT_EQ(lines[0], "P1");
        EXPECT_EQ(lines[2], "29 29");
    }
    auto tooLong = NewEncoder(40, kLevelL);
    EXPECT_EQ(Listing(*tooLong, std::string(7090, '1'), 1).size(), 3u);
}

// The listing uses the last division; one made for other data lists nothing, and the data is
// never read past its end.
TEST(Pbm, StaleDivisionListsNothing) {
    auto enc = NewEncoder(2, kLevelL, 4);
    const std::string longer(100, 'A');
    enc->Divide(Bytes(longer), Len(longer));
    enc->CheckDivision(Bytes(longer), Len(longer));

    const auto shorter = std::make_unique<uint8_t[]>(60);
    std::fill(shorter.get(), shorter.get() + 60, 'B');
    Lines lines;
    MakePbm(*enc, shorter.get(), 60, 1, lines);
    EXPECT_EQ(lines[1], "Connect Mode (Count = 4)");
    EXPECT_EQ(lines[2], "33 33");
    EXPECT_EQ(lines.size(), 3u) << "the last piece ends past the data";

    // Count raised since the last division: the offsets after it are left from an older one.
    enc->Count = 2;
    enc->Divide(shorter.get(), 60);
    enc->Count = 4;
    MakePbm(*enc, shorter.get(), 60, 1, lines);
    EXPECT_EQ(lines.size(), 3u);
}

TEST(Pbm, AddPbmSymbolAppends) {
    auto enc = NewEncoder(1, kLevelL);
    enc->SetPiece(Bytes("A"), 1);
    ASSERT_TRUE(enc->EncodeOne());
    Lines lines = {"kept"};
    AddPbmSymbol(*enc, 3, lines);
    ASSERT_EQ(lines.size(), 1u + 87u);
    EXPECT_EQ(lines[0], "kept");
    ExpectSymbol(lines, 1, *enc, 3);
}

Lines ReadLines(const std::string& name) {
    std::ifstream in(std::string(TEST_DATA_DIR) + "/golden/" + name);
    EXPECT_TRUE(in) << "missing golden file " << name;
    Lines lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Each golden listing was checked when it was made, independently of this encoder: its modules equal
// libqrencode's QRcode_encodeMask for the same data, version, level and mask (0 differing modules),
// and the same symbol listed at 6 to 8 pixels per module, with the mode line and the empty lines
// taken out, decodes with zbarimg to the data.
TEST(Pbm, GoldenListings) {
    // clang-format off
    struct {
        const char* file;
        std::string data;
        int32_t version, level, mask;
    } cases[] = {
        {"v1-M-m2.pbm", "01234567", 1, kLevelM, 2},
        {"v7-H-m5.pbm", "HELLO WORLD", 7, kLevelH, 5}, // with version information
    };
    // clang-format on
    for (const auto& c : cases) {
        auto enc = NewEncoder(c.version, c.level);
        enc->Masktype = c.mask;
        enc->MasktypeR = c.mask;
        EXPECT_EQ(Listing(*enc, c.data, 1), ReadLines(c.file)) << c.file;
    }
}

} // namespace
} // namespace zarvo::encoder
