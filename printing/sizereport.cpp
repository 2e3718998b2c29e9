#include "printing/sizereport.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace zarvo::printing {

namespace {

std::string Fixed2(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    if (result.ec != std::errc())
        return "?";
    return std::string(buffer, result.ptr);
}

// Nearest integer, halves to even.
std::string Rounded(double value) {
    if (!std::isfinite(value))
        return "?";
    return std::to_string(static_cast<long long>(std::nearbyint(value)));
}

std::string Pair(const std::string& a, const std::string& b, const char* unit) {
    return "    " + a + "×" + b + unit;
}

} // namespace

std::string Millimetres(double width, double height) {
    return "    " + Fixed2(width) + "×" + Fixed2(height) + " mm";
}

std::vector<std::string> SizeReportLines(const SizeReportInput& in) {
    const double w = in.SymbolWidth, h = in.SymbolHeight;
    const double sx = in.ScreenDpiX, sy = in.ScreenDpiY;
    const double px = in.PrinterDpiX, py = in.PrinterDpiY;
    const double m = in.Magnification, f = in.ScaleFactor;
    // W × px is an integer product, the rest floating point
    const double pw = m * (static_cast<double>(int64_t{in.SymbolWidth} * in.PrinterDpiX) / sx) / 100;
    const double ph = m * (static_cast<double>(int64_t{in.SymbolHeight} * in.PrinterDpiY) / sy) / 100;
    const auto s = [](int64_t v) { return std::to_string(v); };
    return {
        "",
        "  画面上のシンボル 1 個のサイズ",
        Pair(s(in.SymbolWidth), s(in.SymbolHeight), " pixel"),
        Millimetres(w / sx * 25.4, h / sy * 25.4),
        "",
        "  印刷時のシンボル 1 個のサイズ",
        Pair(Rounded(pw), Rounded(ph), " pixel"),
        Millimetres(pw / px * 25.4 * f / 100, ph / py * 25.4 * f / 100),
        "",
        "  用紙のサイズ",
        Pair(s(in.PhysicalWidth), s(in.PhysicalHeight), " pixel"),
        Millimetres(in.PhysicalWidth / px * 25.4 * f / 100, in.PhysicalHeight / py * 25.4 * f / 100),
        "",
        "  画面の DPI 値",
        Pair(s(in.ScreenDpiX), s(in.ScreenDpiY), " dot per inch"),
        "",
        "  プリンタの DPI 値",
        Pair(s(in.PrinterDpiX), s(in.PrinterDpiY), " dot per inch"),
        "",
        "  プリンタのスケールファクタ",
        "    " + s(in.ScaleFactor) + " %",
        "",
        "  参考",
        "    1 inch = 25.4 mm",
        "",
        "  ※シンボルのサイズは、シンボルの倍率( " + s(in.Pxmag) + " )  ",
        "  と印刷の倍率( " + s(in.Magnification) + " % )で決まります。  ",
    };
}

std::string SizeReportText(const std::vector<std::string>& lines) {
    std::string text = "///// 現在のシンボルのサイズ情報 /////\r\n\r\n";
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

} // namespace zarvo::printing
