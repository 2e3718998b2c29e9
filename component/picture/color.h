// Colour values as the pictures store them, and their RGB.
#pragma once

#include <QRgb>
#include <cstdint>

namespace zarvo::component {

// A colour value: 0x00BBGGRR (red in the low byte); a value with the top bit set names a system
// colour (0x80000000 | index, e.g. 0x80000008 = the window-text colour).
using TColor = int32_t;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clWindowText = static_cast<TColor>(0x80000008u);

// The RGB of a colour value; system colours resolve from the fixed table of the Windows defaults
// (window text black, window white ...), never from the desktop's palette, so that one settings
// file draws the same pictures, files, clipboard copies and prints on every desktop. An unknown
// system colour index gives black.
QRgb ResolveColor(TColor color);
// The Windows COLORREF (0x00BBGGRR) of a colour value, system colours resolved.
uint32_t ToColorRef(TColor color);

} // namespace zarvo::component
