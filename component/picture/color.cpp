#include "component/picture/color.h"

#include <array>
#include <cstdint>

namespace zarvo::component {

namespace {

// The Windows default system colours (classic scheme) by index, as R, G, B. A dark desktop theme
// would turn the default comment colour (window text) white on the white symbol background.
// clang-format off
constexpr std::array<std::array<uint8_t, 3>, 31> kSystemColors = {{
    {212, 208, 200}, { 58, 110, 165}, { 10,  36, 106}, {128, 128, 128}, {212, 208, 200}, //  0 scroll bar .. menu
    {255, 255, 255}, {  0,   0,   0}, {  0,   0,   0}, {  0,   0,   0}, {255, 255, 255}, //  5 window .. caption text
    {212, 208, 200}, {212, 208, 200}, {128, 128, 128}, { 10,  36, 106}, {255, 255, 255}, // 10 borders .. highlight text
    {212, 208, 200}, {128, 128, 128}, {128, 128, 128}, {  0,   0,   0}, {212, 208, 200}, // 15 button face .. inactive caption text
    {255, 255, 255}, { 64,  64,  64}, {212, 208, 200}, {  0,   0,   0}, {255, 255, 225}, // 20 button highlight .. info background
    {181, 181, 181}, {  0,   0, 128}, {166, 202, 240}, {192, 192, 192}, { 49, 106, 197}, // 25 (unused) .. menu highlight
    {236, 233, 216},                                                                     // 30 menu bar
}};
// clang-format on

} // namespace

QRgb ResolveColor(TColor color) {
    const auto value = static_cast<uint32_t>(color);
    if ((value & 0x80000000u) == 0)
        return qRgb(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                    static_cast<int>((value >> 16) & 0xFF));
    const auto index = static_cast<int>(value & 0xFF);
    if ((value & 0x7FFFFF00u) != 0 || index >= static_cast<int>(kSystemColors.size()))
        return qRgb(0, 0, 0); // GetSysColor's answer for an index it does not know
    const auto& rgb = kSystemColors[static_cast<size_t>(index)];
    return qRgb(rgb[0], rgb[1], rgb[2]);
}

uint32_t ToColorRef(TColor color) {
    const QRgb rgb = ResolveColor(color);
    return static_cast<uint32_t>(qRed(rgb)) | static_cast<uint32_t>(qGreen(rgb)) << 8 |
           static_cast<uint32_t>(qBlue(rgb)) << 16;
}

} // namespace zarvo::component
