// Colour values and the system colours they name.
#include "component/picture/color.h"

#include <QGuiApplication>
#include <QPalette>
#include <gtest/gtest.h>

namespace {

using namespace zarvo::component;

// System colours come from the fixed default table: a dark desktop palette must not turn the
// window-text colour of the comments white in pictures, files and prints.
TEST(Color, PlainValuesAreBgrAndSystemColoursIgnoreThePalette) {
    const struct {
        TColor color;
        QRgb rgb;
    } cases[] = {
        {0x000000FF, qRgb(255, 0, 0)},
        {0x0000FF00, qRgb(0, 255, 0)},
        {0x00FF0000, qRgb(0, 0, 255)},
        {0x00123456, qRgb(0x56, 0x34, 0x12)},
        {clWindowText, qRgb(0, 0, 0)},
        {static_cast<TColor>(0x80000005u), qRgb(255, 255, 255)}, // window
        {static_cast<TColor>(0x8000000Fu), qRgb(212, 208, 200)}, // button face
        {static_cast<TColor>(0x8000001Bu), qRgb(166, 202, 240)}, // gradient active caption
        {static_cast<TColor>(0x800000FFu), qRgb(0, 0, 0)},       // unknown index
    };
    const QPalette saved = QGuiApplication::palette();
    QPalette dark(QColor(45, 45, 45));
    dark.setColor(QPalette::WindowText, QColor(240, 240, 240));
    dark.setColor(QPalette::Base, QColor(20, 20, 20));
    dark.setColor(QPalette::Button, QColor(60, 60, 60));
    for (const QPalette& palette : {saved, dark}) {
        QGuiApplication::setPalette(palette);
        for (const auto& c : cases)
            EXPECT_EQ(ResolveColor(c.color), c.rgb | 0xFF000000u) << std::hex << c.color;
        EXPECT_EQ(ToColorRef(0x0000FFFF), 0x0000FFFFu);
        EXPECT_EQ(ToColorRef(static_cast<TColor>(0x80000005u)), 0x00FFFFFFu);
        EXPECT_EQ(ToColorRef(clWindowText), 0u);
    }
    QGuiApplication::setPalette(saved);
}

} // namespace
