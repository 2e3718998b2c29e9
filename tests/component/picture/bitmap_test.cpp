// Bitmaps of every depth, their images, turns and mirror.
#include "component/picture/bitmap.h"
#include "component/picture/canvas.h"

#include <QImage>
#include <gtest/gtest.h>
#include <random>

namespace {

using namespace zarvo::component;

TEST(Bitmap, RowsArePaddedToFourBytes) {
    const struct {
        int width, bpp, stride;
    } cases[] = {{1, 1, 4},  {32, 1, 4}, {33, 1, 8}, {7, 4, 4},   {9, 4, 8},   {3, 8, 4},  {5, 8, 8},
                 {3, 16, 8}, {2, 16, 4}, {1, 24, 4}, {3, 24, 12}, {5, 24, 16}, {3, 32, 12}};
    for (const auto& c : cases) {
        const Bitmap bitmap(c.width, 3, c.bpp);
        EXPECT_EQ(bitmap.Stride(), c.stride) << c.width << " x " << c.bpp;
        EXPECT_EQ(bitmap.Palette.size(), c.bpp <= 8 ? size_t{1} << c.bpp : 0);
    }
    EXPECT_TRUE(Bitmap(0, 5, 32).IsEmpty());
    EXPECT_TRUE(Bitmap(-3, 5, 32).IsEmpty());
    EXPECT_THROW(Bitmap(std::numeric_limits<int>::max(), 2, 32), std::length_error);

    // The view paints straight into the bitmap's rows
    Bitmap bitmap(5, 4, 32);
    QImage view = bitmap.View();
    view.setPixel(3, 2, qRgb(1, 2, 3));
    EXPECT_EQ(bitmap.Row(2)[12], 3);
    EXPECT_EQ(bitmap.Row(2)[13], 2);
    EXPECT_EQ(bitmap.Row(2)[14], 1);
    EXPECT_TRUE(Bitmap(5, 4, 24).View().isNull());
}

TEST(Bitmap, LargeBitmapsCopyAndTurn) {
    // Above 16 MB the rows come from huge-page memory
    Bitmap bitmap(2100, 2050, 32);
    BitmapCanvas canvas(bitmap);
    canvas.FillRect(0, 0, 2100, 2050, clWhite);
    canvas.FillRect(3, 5, 4, 6, clBlack);
    Bitmap copy = bitmap;
    EXPECT_EQ(copy, bitmap);
    const Bitmap turned = RotateBitmap(copy, 90);
    EXPECT_EQ(turned.ToImage().pixel(2050 - 1 - 5, 3), qRgb(0, 0, 0));
    copy = Bitmap(3, 3, 32); // the large block goes back where it came from
    EXPECT_EQ(copy.Stride(), 12);
}

TEST(Bitmap, ToImageReadsEveryDepth) {
    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255), gray = qRgb(128, 128, 128);
    Bitmap b1(10, 1, 1);
    b1.Palette = {red, blue};
    b1.Row(0)[0] = 0x80; // x = 0
    b1.Row(0)[1] = 0x40; // x = 9
    Bitmap b4(3, 1, 4);
    b4.Palette.assign(16, gray);
    b4.Palette[5] = red;
    b4.Palette[10] = blue;
    b4.Row(0)[0] = 0x5A; // x = 0: 5, x = 1: 10
    Bitmap b8(2, 1, 8);
    b8.Palette.assign(256, gray);
    b8.Palette[200] = blue;
    b8.Row(0)[1] = 200;
    Bitmap b16(3, 1, 16);
    const uint8_t p16[] = {0x00, 0x7C, 0x1F, 0x00, 0x10, 0x42}; // red, blue, 16/16/16
    std::copy(p16, p16 + 6, b16.Row(0));
    Bitmap b24(2, 1, 24);
    const uint8_t p24[] = {1, 2, 3, 4, 5, 6};
    std::copy(p24, p24 + 6, b24.Row(0));
    Bitmap b32(2, 1, 32);
    const uint8_t p32[] = {1, 2, 3, 0, 4, 5, 6, 0};
    std::copy(p32, p32 + 8, b32.Row(0));

    const struct {
        const Bitmap* bitmap;
        int x;
        QRgb rgb;
    } cases[] = {
        {&b1, 0, blue},
        {&b1, 1, red},
        {&b1, 9, blue},
        {&b4, 0, red},
        {&b4, 1, blue},
        {&b4, 2, gray},
        {&b8, 0, gray},
        {&b8, 1, blue},
        {&b16, 0, red},
        {&b16, 1, blue},
        {&b16, 2, qRgb(132, 132, 132)},
        {&b24, 0, qRgb(3, 2, 1)},
        {&b24, 1, qRgb(6, 5, 4)},
        {&b32, 0, qRgb(3, 2, 1)},
        {&b32, 1, qRgb(6, 5, 4)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.bitmap->ToImage().pixel(c.x, 0), c.rgb)
            << c.bitmap->BitsPerPixel() << " bits, x = " << c.x;

    const Bitmap back = Bitmap::FromImage(b24.ToImage());
    EXPECT_EQ(back.BitsPerPixel(), 32);
    EXPECT_EQ(back.ToImage(), b24.ToImage());
}

// ---- Turns and mirror ----

// Pixel (x, y) of a bitmap as a number, read as a bit field at x × bpp from the row's start,
// most significant bit first: independent of the code under test.
uint32_t PixelAt(const Bitmap& bitmap, int x, int y) {
    const int bpp = bitmap.BitsPerPixel();
    const uint8_t* row = bitmap.Row(y);
    uint32_t value = 0;
    for (int i = 0; i < bpp; ++i) {
        const int bit = x * bpp + i;
        value = value << 1 | ((row[bit / 8] >> (7 - bit % 8)) & 1u);
    }
    return value;
}

Bitmap RandomBitmap(std::mt19937& rng, int width, int height, int bpp) {
    Bitmap bitmap(width, height, bpp);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int y = 0; y < height; ++y)
        for (int i = 0; i < bitmap.Stride(); ++i) // the padding too: it must not leak into pixels
            bitmap.Row(y)[i] = static_cast<uint8_t>(byte(rng));
    for (QRgb& c : bitmap.Palette)
        c = qRgb(byte(rng), byte(rng), byte(rng));
    return bitmap;
}

TEST(RotateBitmap, EveryAngleAndDepthMovesEachPixelToItsPlace) {
    std::mt19937 rng(7);
    const int depths[] = {1, 4, 8, 16, 24, 32};
    const struct { int w, h; } sizes[] = {{1, 1}, {7, 3}, {3, 7}, {13, 17}, {33, 5}, {9, 2}};
    for (const int bpp : depths) {
        for (const auto& size : sizes) {
            const Bitmap source = RandomBitmap(rng, size.w, size.h, bpp);
            const int w = size.w, h = size.h;
            for (const int angle : {90, 180, 270, -1}) {
                const Bitmap turned = angle < 0 ? MirrorBitmap(source) : RotateBitmap(source, angle);
                const bool quarter = angle == 90 || angle == 270;
                ASSERT_EQ(turned.Width(), quarter ? h : w);
                ASSERT_EQ(turned.Height(), quarter ? w : h);
                EXPECT_EQ(turned.BitsPerPixel(), bpp);
                EXPECT_EQ(turned.Palette, source.Palette);
                int wrong = 0;
                for (int y = 0; y < turned.Height(); ++y) {
                    for (int x = 0; x < turned.Width(); ++x) {
                        int sx, sy;
                        switch (angle) {
                        case 90:
                            sx = y, sy = h - 1 - x;
                            break;
                        case 180:
                            sx = w - 1 - x, sy = h - 1 - y;
                            break;
                        case 270:
                            sx = w - 1 - y, sy = x;
                            break;
                        default: // mirror
                            sx = w - 1 - x, sy = y;
                            break;
                        }
                        wrong += PixelAt(turned, x, y) != PixelAt(source, sx, sy);
                    }
                }
                EXPECT_EQ(wrong, 0) << bpp << " bits, " << w << " x " << h << ", angle " << angle
                                    << " (-1: mirror)";
            }
        }
    }
}

TEST(RotateBitmap, OtherAnglesAndDepthsAreLeftAlone) {
    std::mt19937 rng(11);
    const Bitmap source = RandomBitmap(rng, 5, 3, 24);
    for (const int angle : {0, 45, 360, -90})
        EXPECT_EQ(RotateBitmap(source, angle), source) << angle;
    const Bitmap twoBits = RandomBitmap(rng, 5, 3, 2);
    EXPECT_EQ(RotateBitmap(twoBits, 90), twoBits);
    EXPECT_EQ(MirrorBitmap(twoBits), twoBits);
    // A quarter turn four times and a mirror twice give the picture back
    Bitmap turned = source;
    for (int i = 0; i < 4; ++i)
        turned = RotateBitmap(turned, 90);
    EXPECT_EQ(turned, source);
    EXPECT_EQ(MirrorBitmap(MirrorBitmap(source)), source);
}

} // namespace
