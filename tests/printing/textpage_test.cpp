// The text printer's pages: margins raised to the printer's border, the title, and when a page's
// title, date and block numbers are left out, on canvases of fixed widths. Where they land is
// tested on the recording printer.
#include "printing/textpage.h"
#include "tests/printing/fixedcanvas.h"

#include <gtest/gtest.h>

namespace zarvo::printing {
namespace {

using printingtest::FixedCanvas;

// 600 dpi, A4 paper of 4960 × 7016 with 4760 × 6814 printable from (100, 101).
PrinterMetrics A4() {
    PrinterMetrics m;
    m.DpiX = m.DpiY = 600;
    m.PageWidth = 4760;
    m.PageHeight = 6814;
    m.PhysicalWidth = 4960;
    m.PhysicalHeight = 7016;
    m.OffsetX = 100;
    m.OffsetY = 101;
    return CompleteMetrics(m);
}

TEST(TextPage, MarginsRaisedToTheBorderInHundredthsOfAnInch) {
    struct {
        int32_t hundredths, border, dpi, raised;
    } cases[] = {
        {76, 100, 600, 76},  // 456 pixels, clear of the border
        {10, 100, 600, 16},  // 60 pixels inside it: 100 × 100 ÷ 600, truncated
        {76, 456, 600, 76},  // on the border
        {76, 457, 600, 76},  // short of it by less than a hundredth: stays
        {76, 462, 600, 77},  //
        {0, 1600, 600, 266}, // beyond what 8 bits hold
        {50, 100, 0, 50},    // a printer without a resolution: as given
    };
    for (const auto& c : cases)
        EXPECT_EQ(RaisedMargin(c.hundredths, c.border, c.dpi), c.raised)
            << c.hundredths << " against " << c.border << " at " << c.dpi;

    // A border of 1600 pixels raises a margin of 0 to 266 hundredths: 1596 pixels, not the 60 that
    // 266 kept in 8 bits would give
    PrinterMetrics m = A4();
    m.OffsetX = 1600;
    EXPECT_EQ(PlaceTextPage(CompleteMetrics(m), 0, 76, 76, 92, 1, 0).Left, 1596);
}

TEST(TextPage, TitleIsTheFileNamePart) {
    const std::string list = "\x83\x66\x81\x5B\x83\x5E\x88\xEA\x97\x97"; // データ一覧
    const std::string display = "\x95\x5C\x8E\xA6";                      // 表示: "\" as a trail byte
    EXPECT_EQ(FileNamePart(list), list);
    EXPECT_EQ(FileNamePart("/home/user/" + list), list);
    EXPECT_EQ(FileNamePart("C:\\data\\" + list), list);
    EXPECT_EQ(FileNamePart("dir/" + display), display);
    EXPECT_EQ(FileNamePart("dir/"), "");
}

TEST(RenderPage, HeadersOnlyWhereAskedAndWhereTheMarginHoldsThem) {
    // Two one-line blocks on a page, lines and header lines 16 pixels high
    FixedCanvas body(10, 20, 16), header(10, 20, 16);
    TextDocument d;
    d.Text = "1\r\n2\r\n";
    d.Blocks.Starts = {0, 3, 6};
    d.Blocks.FirstLines = {1, 2, 3};
    d.Metrics = A4();
    d.Page = PlaceTextPage(d.Metrics, 76, 76, 76, 92, 2, 32);
    const auto headers = [&](int32_t flags) {
        d.HeaderFlags = flags;
        header.drawn.clear();
        RenderPage(body, header, d, 1);
        return header.drawn;
    };
    EXPECT_EQ(headers(kHeaderBlockNumbers).size(), 2u);
    EXPECT_EQ(headers(0).size(), 0u);

    // A top margin's printable part lower than a header line leaves out title and date; a bottom
    // margin's the numbers
    const int32_t all = kHeaderTitle | kHeaderDate | kHeaderBlockNumbers;
    d.Page.Top = d.Metrics.OffsetY + 14; // (14 - 16) ÷ 2 = -1
    d.Page.Bottom = d.Metrics.BottomUnprintable + 14;
    EXPECT_EQ(headers(all).size(), 0u);
    // One pixel short halves to 0 (toward zero): drawn at the top
    d.Page.Top = d.Metrics.OffsetY + 15;
    const auto drawn = headers(all);
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].y, 0);
}

} // namespace
} // namespace zarvo::printing
