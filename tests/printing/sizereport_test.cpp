// The size report's text: the worked numbers, the rounding of printed pixels, the fixed lines and
// the title that only the printed and copied text carries.
#include "printing/sizereport.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace zarvo::printing {
namespace {

SizeReportInput Example() {
    SizeReportInput in;
    in.SymbolWidth = 100;
    in.SymbolHeight = 58;
    in.Pxmag = 2;
    in.Magnification = 100;
    in.ScreenDpiX = in.ScreenDpiY = 96;
    in.PrinterDpiX = in.PrinterDpiY = 600;
    in.PhysicalWidth = 4960;
    in.PhysicalHeight = 7016;
    in.ScaleFactor = 100;
    return in;
}

TEST(SizeReport, WorkedExample) {
    const std::vector<std::string> lines = SizeReportLines(Example());
    ASSERT_EQ(lines.size(), 27u);
    const std::vector<std::string> expected = {
        "",
        "  画面上のシンボル 1 個のサイズ",
        "    100×58 pixel",
        "    26.46×15.35 mm", // 100 ÷ 96 × 25.4 = 26.458..., 58 ÷ 96 × 25.4 = 15.345...
        "",
        "  印刷時のシンボル 1 個のサイズ",
        "    625×362 pixel", // 625 and 362.5 (half to even)
        "    26.46×15.35 mm",
        "",
        "  用紙のサイズ",
        "    4960×7016 pixel",
        "    209.97×297.01 mm",
        "",
        "  画面の DPI 値",
        "    96×96 dot per inch",
        "",
        "  プリンタの DPI 値",
        "    600×600 dot per inch",
        "",
        "  プリンタのスケールファクタ",
        "    100 %",
        "",
        "  参考",
        "    1 inch = 25.4 mm",
        "",
        "  ※シンボルのサイズは、シンボルの倍率( 2 )  ",
        "  と印刷の倍率( 100 % )で決まります。  ",
    };
    EXPECT_EQ(lines, expected);
}

TEST(SizeReport, PrintedPixelsRoundHalvesToEven) {
    struct {
        int32_t width, magnification;
        const char* line;
    } cases[] = {
        // m × ((W × 600) ÷ 96) ÷ 100
        {100, 100, "    625×625 pixel"}, {4, 100, "    25×25 pixel"}, // 25
        {1, 100, "    6×6 pixel"},                                    // 6.25
        {3, 100, "    19×19 pixel"},                                  // 18.75
        {58, 100, "    362×362 pixel"},                               // 362.5 → 362
        {18, 30, "    34×34 pixel"},                                  // 33.75
        {6, 10, "    4×4 pixel"},                                     // 3.75
        {12, 10, "    8×8 pixel"},                                    // 7.5 → 8
    };
    for (const auto& c : cases) {
        SizeReportInput in = Example();
        in.SymbolWidth = in.SymbolHeight = c.width;
        in.Magnification = c.magnification;
        EXPECT_EQ(SizeReportLines(in)[6], c.line) << c.width << " at " << c.magnification << " %";
    }
}

TEST(SizeReport, TextCarriesTheTitleAndCrLf) {
    const std::string text = SizeReportText({"", "a", "b"});
    EXPECT_EQ(text, "///// 現在のシンボルのサイズ情報 /////\r\n\r\n\r\na\r\nb\r\n");
}

} // namespace
} // namespace zarvo::printing
