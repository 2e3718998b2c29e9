// The text of the symbol size report: one symbol's size on screen and on paper, the paper, the
// resolutions and the printer's scale factor. No Qt.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zarvo::printing {

struct SizeReportInput {
    int32_t SymbolWidth = 0; // one symbol on screen, pixels
    int32_t SymbolHeight = 0;
    int32_t Pxmag = 1;           // pixels per module
    int32_t Magnification = 100; // print magnification, percent
    int32_t ScreenDpiX = 96;
    int32_t ScreenDpiY = 96;
    int32_t PrinterDpiX = 600;
    int32_t PrinterDpiY = 600;
    int32_t PhysicalWidth = 0; // paper, printer pixels
    int32_t PhysicalHeight = 0;
    int32_t ScaleFactor = 100; // percent
};

// The 27 lines the window shows (UTF-8), the first of them empty:
// the screen size "    W×H pixel" and its millimetres "    %.2f×%.2f mm"; the printed size in
// pixels, m × ((W × px) ÷ sx) ÷ 100 rounded to the nearest integer (halves to even), and in
// millimetres, pw ÷ px × 25.4 × f ÷ 100; the paper in pixels and millimetres; both resolutions;
// the scale factor; the inch; and what the size depends on.
std::vector<std::string> SizeReportLines(const SizeReportInput& in);

// What is printed and copied: "///// 現在のシンボルのサイズ情報 /////", an empty line, then the lines,
// each line ended by CR LF.
std::string SizeReportText(const std::vector<std::string>& lines);

// "    %.2f×%.2f mm", whatever the process's locale.
std::string Millimetres(double width, double height);

} // namespace zarvo::printing
