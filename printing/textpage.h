// The text printer's pages, without Qt: the printer's measurements, the margins raised to the
// unprintable border, the columns of a page, and one page drawn: its blocks of text, the title,
// the date and time, and the block numbers.
#pragma once

#include "printing/textlayout.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zarvo::printing {

// What the text printer knows of the printer, in printer pixels (LOGPIXELSX/Y, HORZRES/VERTRES,
// PHYSICALWIDTH/HEIGHT, PHYSICALOFFSETX/Y), and what follows from them.
struct PrinterMetrics {
    int32_t PageWidth = 0, PageHeight = 0;         // the printable area
    int32_t PhysicalWidth = 0, PhysicalHeight = 0; // the paper
    int32_t DpiX = 0, DpiY = 0;
    int32_t OffsetX = 0, OffsetY = 0;                    // the printable area's corner on the paper
    int32_t RightUnprintable = 0, BottomUnprintable = 0; // paper - printable area - offset
    double WidthMM = 0, HeightMM = 0;                    // the paper in millimetres
    int32_t ScaleFactor = 100;                           // percent; printing uses pixels only
};

// Fills the derived fields (unprintable widths at the right and bottom, millimetres) of metrics
// whose pixel values are set.
PrinterMetrics CompleteMetrics(PrinterMetrics metrics);

// A margin in hundredths of an inch, raised to an unprintable border of border pixels at dpi when
// it would fall inside it: then border × 100 ÷ dpi (truncated, so up to a hundredth of an inch
// short of the border). Computed in full integers: a raised margin may pass 255.
int32_t RaisedMargin(int32_t hundredths, int32_t border, int32_t dpi);

// A page of column blocks: the margins in printer pixels (raised), the size of a block, and the
// blocks' places in the coordinates of the printable area.
struct TextPage {
    int32_t Left = 0, Right = 0, Top = 0, Bottom = 0;
    int32_t ColumnWidth = 0, ColumnHeight = 0; // may be 0 or less: no line fits then
    int32_t Columns = 1, Gap = 0;
    int32_t OriginX = 0, OriginY = 0; // the first block's corner: the margins on the printable area
    // Block index (0 .. Columns - 1) of a page.
    TextRect Block(int32_t index) const;
};

// The page for margins in hundredths of an inch (8-bit as given, each raised to its side's
// unprintable border), columns per page and the gap between them in printer pixels.
TextPage PlaceTextPage(const PrinterMetrics& m, uint8_t left, uint8_t right, uint8_t top, uint8_t bottom,
                       int32_t columns, int32_t gap);

// Pages for a number of blocks: blocks ÷ columns, rounded up.
int32_t PageCount(int32_t blocks, int32_t columns);

// Header flags: what is printed around the blocks of each page.
inline constexpr int32_t kHeaderTitle = 1;        // the title at the top left
inline constexpr int32_t kHeaderDate = 2;         // the date and time at the top right
inline constexpr int32_t kHeaderBlockNumbers = 4; // "-n-" under each block

// The arguments of a text print that print anything: tab width 0..32, numbering -8..8, columns
// 1..256, gap 0..1024 pixels, copies 1..1000.
bool ValidTextPrint(int32_t tabWidth, int32_t numbering, int32_t columns, int32_t gap, int32_t copies);

// The file-name part of a CP932 path: what follows its last "/" or "\" that is a character of its
// own (not the second byte of a double-byte character).
std::string FileNamePart(std::string_view path);

// A text laid out for the printer, as RenderPage draws it.
struct TextDocument {
    std::string_view Text; // CP932, lines separated by CR LF
    TextBlocks Blocks;
    PrinterMetrics Metrics;
    TextPage Page;
    std::string Title; // CP932: the file-name part of the title
    std::string Date;  // CP932: the date and time of the print
    int32_t HeaderFlags = 0;
    int32_t Numbering = 0;
    int32_t TabWidth = 8;
};

// Draws the page whose first block is first (from 1): its blocks side by side, in the body font;
// then, in the header font (line height lh, that of "漢字"), the title at the left margin and the
// date ending at the right margin, both centred in the printable part of the top margin
// (y = (T - top offset - lh) ÷ 2, drawn when y >= 0), and each block's number "-n-" centred
// under it in the printable part of the bottom margin (when (Bm - bottom unprintable - lh) ÷ 2
// >= 0). Numbers count blocks through the document, not pages.
void RenderPage(TextCanvas& body, TextCanvas& header, const TextDocument& document, int32_t first);

} // namespace zarvo::printing
