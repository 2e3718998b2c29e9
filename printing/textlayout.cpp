#include "printing/textlayout.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstdlib>

namespace zarvo::printing {

namespace {

constexpr std::string_view kKan = "\x8A\xBF";           // 漢: the narrowest column takes one
constexpr std::string_view kKanji = "\x8A\xBF\x8E\x9A"; // 漢字: its height is the line height
constexpr std::string_view kLineBreak = "\r\n";

// Lines longer than this are searched by doubling probes from their start, so that a piece costs
// by its own length, not by that of the whole line; shorter lines are measured whole first.
constexpr size_t kFirstProbe = 128;

bool IsLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool IsTrailByte(unsigned char b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// The last character boundary at or before bytes, counted from the start of line (a boundary).
size_t BoundaryAtOrBefore(std::string_view line, size_t bytes) {
    size_t at = 0;
    while (at < bytes) {
        const size_t next = at + CharacterBytes(line, at);
        if (next > bytes)
            break;
        at = next;
    }
    return at;
}

// The byte count of line's longest prefix whose expansion fits within available pixels, taken at a
// character boundary; at least the first character, however wide.
size_t FittingBytes(const TextCanvas& canvas, std::string_view line, int64_t available, int32_t tabWidth) {
    const auto fits = [&](size_t bytes) {
        return canvas.Extent(ExpandTabs(line.substr(0, bytes), tabWidth)).Width <= available;
    };
    const size_t n = line.size();
    if (n == 0)
        return 0;
    // The first low + 1 bytes are taken unless more fit; the first high + 1 bytes are too wide
    size_t low = 0, high = n - 1;
    for (size_t probe = kFirstProbe;; probe *= 2) {
        if (probe >= n) {
            if (fits(n))
                return n;
            break;
        }
        if (!fits(probe)) {
            high = probe - 1;
            break;
        }
        low = probe - 1;
    }
    // Ends for every length: the interval shrinks by at least one each round
    while (high - low > 1) {
        const size_t mid = low + (high - low) / 2;
        if (fits(mid + 1))
            low = mid;
        else
            high = mid;
    }
    // A double-byte character cut in two goes to the next line whole, unless it is the first
    const size_t first = CharacterBytes(line, 0);
    size_t taken = std::max(BoundaryAtOrBefore(line, low + 1), first);
    // Widths grow with the prefix except where a dropped tab (tab width 0) joins a lone lead byte
    // to the byte after it: the search may then stop on a prefix that does not fit.
    while (taken > first && !fits(taken))
        taken = std::max(BoundaryAtOrBefore(line, taken - 1), first);
    return taken;
}

} // namespace

bool ValidTabWidth(int32_t tabWidth) {
    return tabWidth >= 0 && tabWidth <= kMaxTabWidth;
}

bool ValidNumbering(int32_t numbering) {
    return numbering >= -kMaxNumbering && numbering <= kMaxNumbering;
}

std::string FormatLineNumber(int64_t n, int32_t numbering) {
    if (numbering == 0 || !ValidNumbering(numbering))
        return {};
    const int digits = std::abs(numbering);
    char buffer[40];
    const int length = std::snprintf(buffer, sizeof buffer, "%*lld: ", digits, static_cast<long long>(n));
    std::string prefix(buffer, static_cast<size_t>(length));
    const size_t keep = static_cast<size_t>(digits) + 2;
    if (prefix.size() > keep)
        prefix.erase(0, prefix.size() - keep);
    if (numbering < 0)
        for (size_t i = 0; i < static_cast<size_t>(digits) && prefix[i] == ' '; ++i)
            prefix[i] = '0';
    return prefix;
}

std::string ExpandTabs(std::string_view line, int32_t tabWidth) {
    if (!ValidTabWidth(tabWidth) || line.find('\t') == std::string_view::npos)
        return std::string(line);
    std::string expanded;
    expanded.reserve(line.size() + 8);
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '\t') {
            expanded += line[i];
        } else if (tabWidth == 0) {
            continue;
        } else if (i + 1 == line.size()) {
            expanded += ' ';
        } else {
            const size_t width = static_cast<size_t>(tabWidth);
            expanded.append(width - expanded.size() % width, ' ');
        }
    }
    return expanded;
}

size_t CharacterBytes(std::string_view text, size_t at) {
    const bool pair = IsLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() &&
                      IsTrailByte(static_cast<unsigned char>(text[at + 1]));
    return pair ? 2 : 1;
}

size_t FitLine(TextCanvas& canvas, std::string_view text, const TextRect& rect, bool measureOnly,
               int64_t lineNumber, int32_t numbering, int32_t tabWidth, int32_t lineIndex) {
    // Room beside the prefix, and below the lines before
    const std::string prefix = FormatLineNumber(lineNumber, numbering);
    const int64_t available = int64_t{rect.Width()} + 1 - canvas.Extent(prefix).Width;
    if (canvas.Extent(kKan).Width > available)
        return 0;
    const int64_t lineHeight = canvas.Extent(kKanji).Height;
    const int64_t y = int64_t{lineIndex - 1} * lineHeight;
    if (y + lineHeight - 1 > rect.Height())
        return 0;

    // The source line and the part of it that fits
    const size_t lineEnd = std::min(text.find(kLineBreak), text.size());
    const std::string_view line = text.substr(0, lineEnd);
    const size_t taken = FittingBytes(canvas, line, available, tabWidth);
    assert(taken > 0 || line.empty());

    if (!measureOnly)
        canvas.Draw(rect.Left, static_cast<int32_t>(rect.Top + y),
                    prefix + ExpandTabs(line.substr(0, taken), tabWidth));
    // The line break goes with the piece that reaches it
    const bool breakFollows = taken == line.size() && lineEnd < text.size();
    return taken + (breakFollows ? kLineBreak.size() : 0);
}

BlockFill LayoutBlock(TextCanvas& canvas, std::string_view text, const TextRect& rect, bool measureOnly,
                      int64_t firstLine, int32_t numbering, int32_t tabWidth, size_t blockBytes) {
    BlockFill fill;
    if (text.empty() || !ValidTabWidth(tabWidth) || !ValidNumbering(numbering))
        return fill;
    const int64_t lineHeight = canvas.Extent(kKanji).Height;
    if (lineHeight <= 0)
        return fill; // a font without height lays out nothing
    const int64_t lines = (int64_t{rect.Height()} + 1) / lineHeight;
    for (int64_t i = 1; i <= lines; ++i) {
        const size_t used = FitLine(canvas, text.substr(fill.Bytes), rect, measureOnly, firstLine + i - 1,
                                    numbering, tabWidth, static_cast<int32_t>(i));
        if (used == 0)
            break;
        fill.Bytes += used;
        ++fill.Lines;
        if (fill.Bytes >= text.size() || fill.Bytes >= blockBytes)
            break;
    }
    return fill;
}

std::string_view TextBlocks::Text(std::string_view text, int32_t b) const {
    const size_t from = Starts[static_cast<size_t>(b - 1)];
    return text.substr(from, Starts[static_cast<size_t>(b)] - from);
}

std::string_view TextBlocks::From(std::string_view text, int32_t b) const {
    return text.substr(Starts[static_cast<size_t>(b - 1)]);
}

TextBlocks LayOutBlocks(TextCanvas& canvas, std::string_view text, int32_t width, int32_t height,
                        int32_t numbering, int32_t tabWidth) {
    TextBlocks blocks;
    const TextRect rect{0, 0, width, height};
    size_t at = 0;
    int64_t line = 1;
    while (at < text.size()) {
        const BlockFill fill = LayoutBlock(canvas, text.substr(at), rect, true, line, numbering, tabWidth);
        if (fill.Bytes == 0)
            return {}; // a column that cannot hold one line prints nothing at all
        blocks.Starts.push_back(at);
        blocks.FirstLines.push_back(line);
        at += fill.Bytes;
        line += fill.Lines;
    }
    if (blocks.Starts.empty())
        return blocks;
    blocks.Starts.push_back(at);
    blocks.FirstLines.push_back(line);
    return blocks;
}

} // namespace zarvo::printing
