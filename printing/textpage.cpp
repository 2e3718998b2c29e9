#include "printing/textpage.h"

#include <algorithm>

namespace zarvo::printing {

namespace {

constexpr std::string_view kKanji = "\x8A\xBF\x8E\x9A"; // 漢字

int32_t Pixels(int32_t hundredths, int32_t dpi) {
    return static_cast<int32_t>(int64_t{hundredths} * dpi / 100);
}

double Millimetres(int32_t pixels, int32_t dpi) {
    return dpi > 0 ? pixels * 25.4 / dpi : 0.0;
}

} // namespace

PrinterMetrics CompleteMetrics(PrinterMetrics m) {
    m.RightUnprintable = m.PhysicalWidth - m.PageWidth - m.OffsetX;
    m.BottomUnprintable = m.PhysicalHeight - m.PageHeight - m.OffsetY;
    m.WidthMM = Millimetres(m.PhysicalWidth, m.DpiX);
    m.HeightMM = Millimetres(m.PhysicalHeight, m.DpiY);
    return m;
}

int32_t RaisedMargin(int32_t hundredths, int32_t border, int32_t dpi) {
    if (dpi <= 0 || Pixels(hundredths, dpi) >= border)
        return hundredths;
    return static_cast<int32_t>(int64_t{border} * 100 / dpi);
}

TextRect TextPage::Block(int32_t index) const {
    return TextRect{0, 0, ColumnWidth, ColumnHeight}.Moved(OriginX + index * (ColumnWidth + Gap), OriginY);
}

TextPage PlaceTextPage(const PrinterMetrics& m, uint8_t left, uint8_t right, uint8_t top, uint8_t bottom,
                       int32_t columns, int32_t gap) {
    TextPage page;
    page.Columns = std::max(columns, 1);
    page.Gap = gap;
    page.Left = Pixels(RaisedMargin(left, m.OffsetX, m.DpiX), m.DpiX);
    page.Right = Pixels(RaisedMargin(right, m.RightUnprintable, m.DpiX), m.DpiX);
    page.Top = Pixels(RaisedMargin(top, m.OffsetY, m.DpiY), m.DpiY);
    page.Bottom = Pixels(RaisedMargin(bottom, m.BottomUnprintable, m.DpiY), m.DpiY);
    const int64_t across =
        int64_t{m.PhysicalWidth} - page.Left - page.Right - int64_t{page.Columns - 1} * gap;
    page.ColumnWidth = static_cast<int32_t>(across / page.Columns);
    page.ColumnHeight = m.PhysicalHeight - page.Top - page.Bottom;
    page.OriginX = page.Left - m.OffsetX;
    page.OriginY = page.Top - m.OffsetY;
    return page;
}

int32_t PageCount(int32_t blocks, int32_t columns) {
    return columns > 0 ? (blocks + columns - 1) / columns : 0;
}

bool ValidTextPrint(int32_t tabWidth, int32_t numbering, int32_t columns, int32_t gap, int32_t copies) {
    return ValidTabWidth(tabWidth) && ValidNumbering(numbering) && columns >= 1 && columns <= 256 &&
           gap >= 0 && gap <= 1024 && copies >= 1 && copies <= 1000;
}

std::string FileNamePart(std::string_view path) {
    size_t start = 0;
    for (size_t at = 0; at < path.size(); at += CharacterBytes(path, at))
        if (path[at] == '/' || path[at] == '\\')
            start = at + 1;
    return std::string(path.substr(start));
}

void RenderPage(TextCanvas& body, TextCanvas& header, const TextDocument& d, int32_t first) {
    const TextPage& page = d.Page;
    const PrinterMetrics& m = d.Metrics;
    const int32_t last = std::min(first + page.Columns - 1, d.Blocks.Count());
    // Each block with the text that follows it, as the layout pass measured it: a line that runs
    // on into the next block breaks where it broke then. Cut at the block's end, such a line could
    // break elsewhere, because a longer prefix is not always a wider one (a tab at its end counts
    // one space, a lone lead byte may be wider than its character), and the block would draw more
    // or less than its own bytes.
    for (int32_t b = first; b <= last; ++b)
        LayoutBlock(body, d.Blocks.From(d.Text, b), page.Block(b - first), false, d.Blocks.FirstLine(b),
                    d.Numbering, d.TabWidth, d.Blocks.Text(d.Text, b).size());
    if ((d.HeaderFlags & (kHeaderTitle | kHeaderDate | kHeaderBlockNumbers)) == 0)
        return;

    // Title and date centred in the printable part of the top margin
    const int32_t lineHeight = header.Extent(kKanji).Height;
    const int32_t y = (page.Top - m.OffsetY - lineHeight) / 2;
    if ((d.HeaderFlags & kHeaderTitle) && y >= 0)
        header.Draw(page.Left - m.OffsetX, y, d.Title);
    if ((d.HeaderFlags & kHeaderDate) && y >= 0)
        header.Draw(m.PhysicalWidth - m.OffsetX - page.Right - header.Extent(d.Date).Width, y, d.Date);

    // Block numbers centred in the printable part of the bottom margin
    const int32_t below = (page.Bottom - m.BottomUnprintable - lineHeight) / 2;
    if (!(d.HeaderFlags & kHeaderBlockNumbers) || below < 0)
        return;
    const int32_t numberY = below + m.PhysicalHeight - m.OffsetY - page.Bottom;
    for (int32_t b = first; b <= last; ++b) {
        const std::string number = "-" + std::to_string(b) + "-";
        const TextRect block = page.Block(b - first);
        header.Draw(block.Left + (page.ColumnWidth - header.Extent(number).Width) / 2, numberY, number);
    }
}

} // namespace zarvo::printing
