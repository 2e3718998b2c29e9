// Colour values and the system colours they name.
#include "component/picture/color.h"

#include <QGuiApplication>
#include <QPalette>
#include <gtest/gtest.h>

namespace {

using namespace zarvo::component;

QRgb PaletteColor(QPalette::ColorRole role) {
    return QGuiApplication::palette().color(QPalette::Active, role).rgb();
}

TEST(Color, PlainValuesAreBgrAndSystemColoursResolve) {
    const struct {
        TColor color;
        QRgb rgb;
    } cases[] = {
        {0x000000FF, qRgb(255, 0, 0)},
        {0x0000FF00, qRgb(0, 255, 0)},
        {0x00FF0000, qRgb(0, 0, 255)},
        {0x00123456, qRgb(0x56, 0x34, 0x12)},
        {clWindowText, PaletteColor(QPalette::WindowText)},
        {static_cast<TColor>(0x80000005u), PaletteColor(QPalette::Base)},   // window
        {static_cast<TColor>(0x8000000Fu), PaletteColor(QPalette::Button)}, // button face
        {static_cast<TColor>(0x8000001Bu), qRgb(166, 202, 240)},            // no role: Windows default
        {static_cast<TColor>(0x800000FFu), qRgb(0, 0, 0)},                  // unknown index
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResolveColor(c.color), c.rgb | 0xFF000000u) << std::hex << c.color;
    EXPECT_EQ(ToColorRef(0x0000FFFF), 0x0000FFFFu);
    const QRgb text = PaletteColor(QPalette::WindowText);
    EXPECT_EQ(ToColorRef(clWindowText),
              static_cast<uint32_t>(qRed(text) | qGreen(text) << 8 | qBlue(text) << 16));
}

} // namespace
