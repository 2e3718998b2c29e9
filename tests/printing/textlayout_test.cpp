// The text printer's layout on a canvas of fixed character widths: line numbers, tabs, where lines
// break (and that the search for the break ends on every line), and how text fills blocks.
#include "printing/textlayout.h"
#include "tests/printing/fixedcanvas.h"
#include "tests/printing/textlayout_fuzz.h"

#include <gtest/gtest.h>
#include <random>
#include <string>

namespace zarvo::printing {
namespace {

using printingtest::FixedCanvas;

const std::string kKan = "\x8A\xBF";  // 漢
const std::string kAt = "\x81\x97";   // ＠
const std::string kHyou = "\x95\x5C"; // 表: its trail byte is "\"
const std::string kLead = "\x8A";     // a lead byte without its trail

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

TEST(FormatLineNumber, PrefixesByDigits) {
    struct {
        int64_t n;
        int32_t numbering;
        const char* prefix;
    } cases[] = {
        {5, 0, ""},
        {5, 4, "   5: "},
        {5, -4, "0005: "},
        {1, 1, "1: "},
        {10, 1, "0: "}, // cut to its last d + 2 characters
        {12345, 2, "45: "},
        {99999999, 8, "99999999: "},
        {123456789, -8, "23456789: "},
        {3, 9, ""}, // out of range: no prefix rather than a longer one
        {3, -9, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatLineNumber(c.n, c.numbering), c.prefix) << c.n << " with " << c.numbering;
}

TEST(ExpandTabs, SpacesUpToTheNextStopCountedInBytes) {
    struct {
        std::string line;
        int32_t tabWidth;
        std::string expanded;
    } cases[] = {
        {"abc\tX", 8, "abc     X"}, // position 3, width 8: five spaces
        {"\tX", 8, "        X"},
        {"abcdefgh\tX", 8, "abcdefgh        X"},
        {"a\t\tb", 4, "a" + std::string(7, ' ') + "b"},
        {kKan + "\tX", 4, kKan + "  X"}, // a double-byte character counts two
        {"ab\t", 8, "ab "},              // the line's last byte: one space
        {"\tX", 32, std::string(32, ' ') + "X"},
        {"a\tb\t", 0, "ab"}, // width 0 drops them
        {"a\tb", 33, "a\tb"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpandTabs(c.line, c.tabWidth), c.expanded) << c.line << " with " << c.tabWidth;
}

// Single-byte characters 10 pixels wide, double-byte ones 20, lines 16 high; "W" and "＠" wider.
FixedCanvas Canvas() {
    FixedCanvas canvas(10, 20, 16);
    canvas.widths = {{"W", 30}, {kAt, 40}};
    return canvas;
}

TEST(FitLine, EndsAndMakesProgressOnEveryLine) {
    struct {
        const char* what;
        std::string text;
        int32_t width; // available width is width + 1
        size_t consumed;
    } cases[] = {
        {"an empty line takes its break", "\r\nX", 19, 2},
        {"one byte that does not fit", "W", 19, 1},
        {"one byte that does not fit takes its break along", "W\r\n", 19, 3},
        {"two bytes, the first fits", "AW", 19, 1},
        {"two bytes, both fit", "AB\r\n", 19, 4},
        {"a first double-byte character wider than the column", kAt + "A", 19, 2},
        {"a double-byte character at the break", "A" + kKan + "B", 24, 1},
        {"double-byte characters", kKan + kKan + kKan, 39, 4},
        {"a lone lead byte is a character of its own", "AAA" + kLead, 39, 4},
        {"a tab wider than the column", "\tX", 50, 1},
        {"exactly the column's width", "ABCD\r\n", 39, 6},
        {"one pixel short", "ABCD\r\n", 38, 3},
        {"a trail byte that is \"\\\" is not a break", "A" + kHyou + "B", 29, 3},
    };
    for (const auto& c : cases) {
        FixedCanvas canvas = Canvas();
        EXPECT_EQ(FitLine(canvas, c.text, {0, 0, c.width, 100}, true, 1, 0, 8, 1), c.consumed) << c.what;
    }
}

TEST(FitLine, NothingWhereTheColumnIsTooNarrowOrTooLow) {
    FixedCanvas canvas = Canvas();
    // Room for "漢" beside the prefix " 1: " (40 pixels), not one pixel less
    EXPECT_EQ(FitLine(canvas, "A", {0, 0, 59, 100}, true, 1, 2, 8, 1), 1u);
    EXPECT_EQ(FitLine(canvas, "A", {0, 0, 58, 100}, true, 1, 2, 8, 1), 0u);
    // Line 3 of 16-pixel lines needs 48 pixels of height: bottom 47
    EXPECT_EQ(FitLine(canvas, "A", {0, 0, 100, 47}, true, 1, 0, 8, 3), 1u);
    EXPECT_EQ(FitLine(canvas, "A", {0, 0, 100, 46}, true, 1, 0, 8, 3), 0u);
}

// The longest prefix at a character boundary that fits, at least one character: by trying each.
size_t LongestFit(const FixedCanvas& canvas, const std::string& line, int32_t available) {
    size_t best = 0, first = 0;
    for (size_t at = 0; at < line.size();) {
        at += CharacterBytes(line, at);
        if (first == 0)
            first = at;
        if (canvas.Extent(line.substr(0, at)).Width <= available)
            best = at;
    }
    return best > 0 ? best : first;
}

TEST(FitLine, LongLinesBreakWhereTryingEveryCharacterWould) {
    // Kanji and ASCII of many widths, short and far beyond the first probes
    std::mt19937 rng(1304);
    const std::string alphabet[] = {"a", "W", "i", kKan, kAt, kHyou, " "};
    for (int n = 0; n < 400; ++n) {
        std::string line;
        const int length = static_cast<int>(rng() % (n % 4 == 0 ? 2000 : 60));
        for (int i = 0; i < length; ++i)
            line += alphabet[rng() % 7];
        const int32_t width = static_cast<int32_t>(19 + rng() % 700);
        FixedCanvas canvas = Canvas();
        const size_t expected = LongestFit(canvas, line, width + 1);
        canvas.measuredBytes = 0;
        const size_t consumed = FitLine(canvas, line + "\r\nrest", {0, 0, width, 100}, true, 1, 0, 8, 1);
        ASSERT_EQ(consumed, expected == line.size() ? expected + 2 : expected)
            << "width " << width << ", line of " << line.size() << " bytes";
        // A long line is not measured whole for every piece
        if (line.size() > 1000 && width < 100) {
            EXPECT_LT(canvas.measuredBytes, 600);
        }
    }
}

TEST(LayoutBlock, FillsTheRowsItHasAndCountsWrappedPieces) {
    struct {
        const char* what;
        std::string text;
        int32_t width, height;
        size_t bytes;
        int32_t lines;
    } cases[] = {
        {"three rows of 16 pixels in 48", Repeat("a\r\n", 5), 100, 47, 9, 3},
        {"one pixel less: two rows", Repeat("a\r\n", 5), 100, 46, 6, 2},
        {"a long line wraps into pieces", "aaaaa", 19, 100, 5, 3},
        {"a kanji line breaks between characters", Repeat(kKan, 5) + "\r\n", 39, 100, 12, 3},
        {"the text ends", "a\r\nb", 100, 100, 4, 2},
        {"empty text", "", 100, 100, 0, 0},
        {"too narrow", "a", 10, 100, 0, 0},
    };
    for (const auto& c : cases) {
        FixedCanvas canvas = Canvas();
        const BlockFill fill = LayoutBlock(canvas, c.text, {0, 0, c.width, c.height}, true, 1, 0, 8);
        EXPECT_EQ(fill.Bytes, c.bytes) << c.what;
        EXPECT_EQ(fill.Lines, c.lines) << c.what;
    }
    FixedCanvas canvas = Canvas();
    EXPECT_EQ(LayoutBlock(canvas, "a", {0, 0, 100, 100}, true, 1, 0, 33).Bytes, 0u);
    EXPECT_EQ(LayoutBlock(canvas, "a", {0, 0, 100, 100}, true, 1, 9, 8).Bytes, 0u);
}

TEST(LayOutBlocks, BlocksStartWhereTheLastEndedAndNumberOn) {
    FixedCanvas canvas = Canvas();
    // Three lines of three pieces each (2 + 2 + 1 characters), four rows to a block
    const TextBlocks blocks = LayOutBlocks(canvas, Repeat("aaaaa\r\n", 3), 19, 63, 0, 8);
    EXPECT_EQ(blocks.Count(), 3);
    EXPECT_EQ(blocks.Starts, (std::vector<size_t>{0, 9, 18, 21}));
    EXPECT_EQ(blocks.FirstLines, (std::vector<int64_t>{1, 5, 9, 10}));
    EXPECT_EQ(blocks.Text(Repeat("aaaaa\r\n", 3), 3), "a\r\n");
}

TEST(LayOutBlocks, NoEmptyBlockAfterTheLastLineBreak) {
    FixedCanvas canvas = Canvas();
    // Exactly one block's rows: the final CR LF goes with the last line
    const TextBlocks blocks = LayOutBlocks(canvas, "a\r\nb\r\nc\r\n", 100, 47, 0, 8);
    EXPECT_EQ(blocks.Count(), 1);
    EXPECT_EQ(blocks.Starts, (std::vector<size_t>{0, 9}));
    EXPECT_EQ(blocks.FirstLines, (std::vector<int64_t>{1, 4}));
    // An empty line is a line of its own
    EXPECT_EQ(LayOutBlocks(canvas, "a\r\n\r\n", 100, 15, 0, 8).Count(), 2);
}

TEST(LayOutBlocks, NothingAtAllWhenNoLineFits) {
    FixedCanvas canvas = Canvas();
    EXPECT_EQ(LayOutBlocks(canvas, "", 100, 100, 0, 8).Count(), 0);
    EXPECT_EQ(LayOutBlocks(canvas, "a", 18, 100, 0, 8).Count(), 0); // narrower than "漢"
    EXPECT_EQ(LayOutBlocks(canvas, "a", 100, 14, 0, 8).Count(), 0); // lower than a line
    EXPECT_EQ(LayOutBlocks(canvas, "a", -50, -50, 0, 8).Count(), 0);
    EXPECT_TRUE(LayOutBlocks(canvas, "a", 18, 100, 0, 8).Starts.empty());
}

TEST(TextLayoutFuzz, RandomTextsInRandomColumns) {
    std::mt19937 rng(14);
    // Bytes drawn mostly from CR, LF, TAB, ASCII, lead and trail bytes
    const uint8_t pool[] = {'\r', '\n', '\t', 'a',  'W',  ' ',  0x81, 0x8A,
                            0xBF, 0x5C, 0xE0, 0xFC, 0x40, 0x7F, 0x00, 0xFF};
    for (int n = 0; n < 3000; ++n) {
        std::vector<uint8_t> input(6 + rng() % 300);
        for (size_t i = 0; i < input.size(); ++i)
            input[i] = i < 6 || rng() % 4 == 0 ? static_cast<uint8_t>(rng()) : pool[rng() % 16];
        const std::string fault = printingtest::CheckTextLayout(input.data(), input.size());
        ASSERT_EQ(fault, "") << "input " << n;
    }
}

} // namespace
} // namespace zarvo::printing
