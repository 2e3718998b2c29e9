#include "tests/printing/textlayout_fuzz.h"

#include "printing/textlayout.h"
#include "printing/textpage.h"
#include "tests/printing/fixedcanvas.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace printingtest {

namespace {

using namespace zarvo::printing;

constexpr size_t kSettings = 6;

std::string Where(int32_t block, size_t at) {
    return " (block " + std::to_string(block) + ", byte " + std::to_string(at) + ")";
}

// The bytes of text from at to the next CR LF (or the end).
std::string_view LineFrom(std::string_view text, size_t at) {
    const size_t end = text.find("\r\n", at);
    return text.substr(at, (end == std::string_view::npos ? text.size() : end) - at);
}

} // namespace

std::string CheckTextLayout(const uint8_t* data, size_t size) {
    if (size < kSettings)
        return {};
    const int32_t width = (data[0] | data[1] << 8) % 600 - 50;
    const int32_t height = data[2] * 2 - 20;
    const int32_t numbering = data[3] % 19 - 9;
    const int32_t tabWidth = data[4] % 36 - 2;
    const uint8_t shape = data[5];
    const std::string_view text(reinterpret_cast<const char*>(data + kSettings), size - kSettings);

    FixedCanvas canvas(1, 1, 10 + shape % 7);
    canvas.widthOf = [shape](std::string_view c) {
        return c.size() == 2 ? 8 + shape % 24 : 1 + (static_cast<uint8_t>(c[0]) ^ shape) % 16;
    };
    const int32_t lineHeight = canvas.Extent("\x8A\xBF\x8E\x9A").Height;

    const TextBlocks blocks = LayOutBlocks(canvas, text, width, height, numbering, tabWidth);
    if (blocks.Count() == 0) {
        if (!text.empty() && ValidTabWidth(tabWidth) && ValidNumbering(numbering) && width > 400 &&
            height >= lineHeight - 1)
            return "a wide column laid out nothing";
        return {};
    }
    if (!ValidTabWidth(tabWidth) || !ValidNumbering(numbering))
        return "laid out with a tab width or numbering out of range";
    if (blocks.Starts.front() != 0 || blocks.Starts.back() != text.size() || blocks.FirstLines.front() != 1)
        return "the blocks do not cover the text";

    const TextRect rect{0, 0, width, height};
    for (int32_t b = 1; b <= blocks.Count(); ++b) {
        const std::string_view span = blocks.Text(text, b);
        if (span.empty())
            return "an empty block" + Where(b, blocks.Starts[static_cast<size_t>(b - 1)]);
        // Piece by piece as the block was laid out
        const std::string_view rest = blocks.From(text, b);
        size_t at = 0;
        int64_t line = blocks.FirstLine(b);
        for (int32_t i = 1; at < span.size(); ++i, ++line) {
            const size_t start = blocks.Starts[static_cast<size_t>(b - 1)] + at;
            const size_t used = FitLine(canvas, rest.substr(at), rect, true, line, numbering, tabWidth, i);
            if (used == 0)
                return "a block's own text does not fit it" + Where(b, start);
            const std::string_view piece = text.substr(start, used);
            const bool withBreak = piece.size() >= 2 && piece.substr(piece.size() - 2) == "\r\n";
            const std::string_view core = piece.substr(0, piece.size() - (withBreak ? 2 : 0));
            if (core.find("\r\n") != std::string_view::npos)
                return "a piece runs over a line break" + Where(b, start);
            if (!withBreak && text.substr(start + used, 2) == "\r\n")
                return "a line's break is left to the next piece" + Where(b, start);
            const std::string_view sourceLine = LineFrom(text, start);
            size_t boundary = 0;
            while (boundary < core.size())
                boundary += CharacterBytes(sourceLine, boundary);
            if (boundary != core.size())
                return "a double-byte character is split" + Where(b, start);
            const int64_t available =
                int64_t{width} + 1 - canvas.Extent(FormatLineNumber(line, numbering)).Width;
            const bool oneCharacter = !core.empty() && CharacterBytes(sourceLine, 0) == core.size();
            if (canvas.Extent(ExpandTabs(core, tabWidth)).Width > available && !oneCharacter)
                return "a piece of several characters is wider than its column" + Where(b, start);
            at += used;
        }
        if (at != span.size())
            return "a block's last piece runs into the next block" + Where(b, at);
        if (line != blocks.FirstLine(b + 1))
            return "the block's lines are not numbered on" + Where(b, 0);

        // Drawn where it was measured, a page of one block each
        FixedCanvas drawing(1, 1, lineHeight), header(1, 1, lineHeight);
        drawing.widthOf = canvas.widthOf;
        TextDocument document;
        document.Text = text;
        document.Blocks = blocks;
        document.Page.ColumnWidth = width;
        document.Page.ColumnHeight = height;
        document.Page.OriginX = 37;
        document.Page.OriginY = 11;
        document.Numbering = numbering;
        document.TabWidth = tabWidth;
        RenderPage(drawing, header, document, b);
        const TextRect moved = document.Page.Block(0);
        const int64_t lines = blocks.FirstLine(b + 1) - blocks.FirstLine(b);
        if (drawing.drawn.size() != static_cast<size_t>(lines))
            return "drawing lays the block out otherwise" + Where(b, 0);
        for (size_t k = 0; k < drawing.drawn.size(); ++k) {
            const FixedCanvas::Drawn& d = drawing.drawn[k];
            const std::string prefix =
                FormatLineNumber(blocks.FirstLine(b) + static_cast<int64_t>(k), numbering);
            if (d.x != moved.Left || d.y != moved.Top + static_cast<int32_t>(k) * lineHeight ||
                d.y + lineHeight - 1 > moved.Bottom || d.text.compare(0, prefix.size(), prefix) != 0)
                return "a line is drawn out of its place" + Where(b, k);
        }
    }
    return {};
}

int FuzzTextLayout(const uint8_t* data, size_t size) {
    const std::string fault = CheckTextLayout(data, size);
    if (!fault.empty()) {
        std::fprintf(stderr, "text layout: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}

} // namespace printingtest
