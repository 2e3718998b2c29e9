#include "cli/render.h"

#include <gtest/gtest.h>
#include <memory>

namespace zarvo::cli {
namespace {

using encoder::SymbolEncoder;

std::unique_ptr<SymbolEncoder> Encoded(int32_t version, const std::string& data) {
    auto enc = std::make_unique<SymbolEncoder>();
    enc->Version = version;
    enc->SetPiece(reinterpret_cast<const uint8_t*>(data.data()), static_cast<int32_t>(data.size()));
    EXPECT_TRUE(enc->EncodeOne());
    return enc;
}

// Module (row, col) of the symbol with its quiet zone of 4, counted from the quiet zone's corner.
bool DarkWithQuietZone(const SymbolEncoder& enc, int y, int x) {
    const int row = y - 4, col = x - 4;
    return row >= 0 && row < enc.Side() && col >= 0 && col < enc.Side() && enc.Dark(row, col);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

TEST(PbmHeader, NamesModeCountAndSize) {
    EXPECT_EQ(PbmHeader(encoder::qrSingle, 1, 29), "P1\nSingle Mode (Count = 1)\n29 29\n");
    EXPECT_EQ(PbmHeader(encoder::qrConnect, 16, 58), "P1\nConnect Mode (Count = 16)\n58 58\n");
    EXPECT_EQ(PbmHeader(encoder::qrPlus, 1024, 1850), "P1\nPlus Mode (Count = 1024)\n1850 1850\n");
}

TEST(AppendUtf8Symbol, DrawsLightModulesAsBlocksTwoRowsALine) {
    // The upper-left and upper-right finders of any version-1 symbol, as qrencode -t UTF8 draws them
    const auto enc = Encoded(1, "A");
    std::string text;
    AppendUtf8Symbol(*enc, text);
    const auto lines = Lines(text);
    ASSERT_EQ(lines.size(), 15u);
    const std::string full = "\u2588", upper = "\u2580", lower = "\u2584";
    std::string quiet;
    for (int i = 0; i < 29; ++i)
        quiet += full;
    EXPECT_EQ(lines[0], quiet);
    EXPECT_EQ(lines[1], quiet);
    EXPECT_EQ(lines[13], quiet);
    EXPECT_EQ(lines[14], quiet);
    const std::string finderTop = " " + lower + lower + lower + lower + lower + " "; // rows 0 and 1
    EXPECT_EQ(lines[2].substr(0, 4 * full.size() + finderTop.size()), full + full + full + full + finderTop);
    EXPECT_EQ(lines[2].substr(lines[2].size() - finderTop.size() - 4 * full.size()),
              finderTop + full + full + full + full);
    // Row 20 (the finder's bottom edge) shares its line with the light quiet zone below
    EXPECT_EQ(lines[12].substr(4 * full.size(), 7 * lower.size()),
              lower + lower + lower + lower + lower + lower + lower);
    EXPECT_EQ(lines[12].find(upper), std::string::npos);
}

TEST(AppendUtf8Symbol, HoldsEveryModule) {
    for (int version : {1, 2, 7, 40}) {
        SCOPED_TRACE(version);
        const auto enc = Encoded(version, "Zarvo 0123456789");
        std::string text = "x"; // appends, keeps what was there
        AppendUtf8Symbol(*enc, text);
        ASSERT_EQ(text[0], 'x');
        const auto lines = Lines(text.substr(1));
        const int w = enc->Side() + 8;
        ASSERT_EQ(lines.size(), static_cast<size_t>((w + 1) / 2));
        for (int line = 0; line < static_cast<int>(lines.size()); ++line) {
            size_t pos = 0;
            for (int x = 0; x < w; ++x) {
                const bool upperDark = DarkWithQuietZone(*enc, 2 * line, x);
                const bool lowerDark = DarkWithQuietZone(*enc, 2 * line + 1, x);
                const char* expected =
                    upperDark ? (lowerDark ? " " : "\u2584") : (lowerDark ? "\u2580" : "\u2588");
                const size_t n = std::string(expected).size();
                ASSERT_EQ(lines[static_cast<size_t>(line)].substr(pos, n), expected) << line << "," << x;
                pos += n;
            }
            EXPECT_EQ(pos, lines[static_cast<size_t>(line)].size());
        }
    }
}

TEST(AppendAsciiSymbol, TwoCharactersAModuleWithAQuietZone) {
    for (int version : {1, 10}) {
        SCOPED_TRACE(version);
        const auto enc = Encoded(version, "HELLO");
        std::string text;
        AppendAsciiSymbol(*enc, text);
        const auto lines = Lines(text);
        const int w = enc->Side() + 8;
        ASSERT_EQ(lines.size(), static_cast<size_t>(w));
        for (int y = 0; y < w; ++y) {
            ASSERT_EQ(lines[static_cast<size_t>(y)].size(), static_cast<size_t>(2 * w));
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(lines[static_cast<size_t>(y)].substr(static_cast<size_t>(2 * x), 2),
                          DarkWithQuietZone(*enc, y, x) ? "##" : "  ")
                    << y << "," << x;
        }
    }
}

} // namespace
} // namespace zarvo::cli
