// The text printer's layout, without Qt: line-number prefixes, tab expansion, how one line of CP932
// text is broken to fit a column, and how a text fills column blocks. Measuring and drawing go
// through TextCanvas, so that the printer, a test or a fuzzer can stand behind it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zarvo::printing {

// Tab stops: 0..32 characters (0 drops tabs). Line numbers: -8..8 digits (0 none, negative pads
// with zeros).
inline constexpr int32_t kMaxTabWidth = 32;
inline constexpr int32_t kMaxNumbering = 8;
bool ValidTabWidth(int32_t tabWidth);
bool ValidNumbering(int32_t numbering);

// The extent of a text in device pixels.
struct TextExtent {
    int32_t Width = 0;
    int32_t Height = 0; // the font's height (ascent + descent), whatever the text
};

// One font on one device. Extent measures CP932 text as Draw draws it; Draw puts the text's box
// with its top-left corner at (x, y). A canvas that only measures may ignore Draw.
class TextCanvas {
  public:
    virtual ~TextCanvas() = default;
    virtual TextExtent Extent(std::string_view text) const = 0;
    virtual void Draw(int32_t x, int32_t y, std::string_view text) = 0;
};

// A rectangle in device pixels; Right and Bottom are its far edges (Width = Right - Left).
struct TextRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    TextRect Moved(int32_t dx, int32_t dy) const { return {Left + dx, Top + dy, Right + dx, Bottom + dy}; }
    bool operator==(const TextRect& o) const {
        return Left == o.Left && Top == o.Top && Right == o.Right && Bottom == o.Bottom;
    }
};

// The prefix of line n: with d = |numbering|, nothing for d = 0, else n right-aligned in d places
// and ": " (as "%4d: " with 4 replaced by d), cut to its last d + 2 characters; for a negative
// numbering the leading spaces are zeros. Empty for a numbering outside -8..8.
std::string FormatLineNumber(int64_t n, int32_t numbering);

// The line with each TAB replaced: dropped for tab width 0; one space when it is the line's last
// byte; otherwise spaces up to the next multiple of the tab width, counted in bytes of the
// expanded line so far. A tab width outside 0..32 leaves the line as it is.
std::string ExpandTabs(std::string_view line, int32_t tabWidth);

// The byte count (1 or 2) of the CP932 character at text[at]: a lead byte (0x81..0x9F,
// 0xE0..0xFC) followed by a trail byte (0x40..0xFC but 0x7F) makes one character.
size_t CharacterBytes(std::string_view text, size_t at);

// Fits output line lineIndex (from 1) of a block into rect and, unless measureOnly, draws its
// line-number prefix and the tab-expanded text at (rect.Left, rect.Top + (lineIndex - 1) × lh),
// lh being the height of "漢字". text runs from the line's first byte to the end of the block's
// text. Returns the bytes consumed; 0 when nothing fits: the column is narrower than the prefix
// and "漢", or the line would reach below rect.
//
// The source line ends at the next CR LF or the end of text. It is taken whole when it fits,
// CR LF included; otherwise its longest prefix that fits, at a character boundary, and at least
// one character however wide: every call on non-empty text within the column's bounds makes
// progress, and a double-byte character is never split.
size_t FitLine(TextCanvas& canvas, std::string_view text, const TextRect& rect, bool measureOnly,
               int64_t lineNumber, int32_t numbering, int32_t tabWidth, int32_t lineIndex);

// What LayoutBlock filled: bytes of text consumed and output lines.
struct BlockFill {
    size_t Bytes = 0;
    int32_t Lines = 0;
};

// Fits as many output lines of text as rect's height holds ((height + 1) ÷ lh), numbered from
// firstLine, drawing them unless measureOnly; stops at the end of text, after blockBytes bytes, or
// where a line does not fit. Nothing for empty text or a tab width or numbering out of range.
// A block laid out before is drawn again from its start with the text that follows it (as it was
// measured: a line running on into the next block breaks where it broke then) and its byte count.
BlockFill LayoutBlock(TextCanvas& canvas, std::string_view text, const TextRect& rect, bool measureOnly,
                      int64_t firstLine, int32_t numbering, int32_t tabWidth,
                      size_t blockBytes = std::string_view::npos);

// The layout tables of a text: where each column block starts, and the line number of its first
// output line, each with one final entry (the end of text and the next line number). Empty when
// nothing is laid out.
struct TextBlocks {
    std::vector<size_t> Starts;
    std::vector<int64_t> FirstLines;
    // B, the number of blocks.
    int32_t Count() const { return Starts.empty() ? 0 : static_cast<int32_t>(Starts.size() - 1); }
    // Block b's text (b from 1), the text from its start to the end, and its first line number.
    std::string_view Text(std::string_view text, int32_t b) const;
    std::string_view From(std::string_view text, int32_t b) const;
    int64_t FirstLine(int32_t b) const { return FirstLines[static_cast<size_t>(b - 1)]; }
};

// The layout pass: blocks of width × height pixels filled one after another from line 1 until the
// text is used up. No blocks for an empty text, or when a block cannot hold one line.
TextBlocks LayOutBlocks(TextCanvas& canvas, std::string_view text, int32_t width, int32_t height,
                        int32_t numbering, int32_t tabWidth);

} // namespace zarvo::printing
