// The picture layer: colours, fonts and text metrics, bitmaps of every depth, their turns and
// mirror, and the bitmap canvas.
#include "picture.h"
#include "symbol_picture.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPalette>
#include <gtest/gtest.h>
#include <random>

namespace {

using namespace zarvo::component;
using zarvo::component::picture_test::CommentFont;
using zarvo::component::picture_test::kComment;
using zarvo::component::picture_test::kMsPGothic;

const std::string kMsGothic = "\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E"; // ＭＳ ゴシック

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

TEST(Font, WindowsGothicFacesAreDrawnInIpaGothic) {
    const struct {
        std::string name;
        const char* family;
    } cases[] = {
        {kMsPGothic, "IPAPGothic"},
        {kMsGothic, "IPAGothic"},
        {"MS PGothic", "IPAPGothic"},
        {"IPAGothic", "IPAGothic"},
    };
    for (const auto& c : cases) {
        TFont font;
        font.Name = c.name;
        font.Size = 9;
        const QFont qfont = ToQFont(font);
        EXPECT_EQ(QFontInfo(qfont).family(), QString::fromLatin1(c.family)) << c.name;
        EXPECT_EQ(qfont.pixelSize(), 12);
        // The layout's 12-pixel design: 13 pixels a line, baseline 11 below the top
        const QFontMetrics metrics(qfont);
        EXPECT_EQ(metrics.height(), 13) << c.name;
        EXPECT_EQ(metrics.ascent(), 11) << c.name;
    }
    // The Japanese names themselves, as a font dialog would hand them to Qt
    for (const char* name : {"ＭＳ Ｐゴシック", "ＭＳ ゴシック"})
        EXPECT_TRUE(QFontInfo(QFont(QString::fromUtf8(name))).family().startsWith(QStringLiteral("IPA")))
            << name;
    InstallFontSubstitutions(); // a second time changes nothing
    EXPECT_EQ(QFont::substitutes(QString::fromUtf8("ＭＳ Ｐゴシック"))
                  .filter(QStringLiteral("IPAPGothic"), Qt::CaseInsensitive)
                  .size(),
              1);

    TFont styled = CommentFont();
    styled.Size = 12;
    styled.Bold = styled.Italic = styled.Underline = styled.StrikeOut = true;
    const QFont qfont = ToQFont(styled);
    EXPECT_EQ(qfont.pixelSize(), 16);
    EXPECT_TRUE(qfont.bold() && qfont.italic() && qfont.underline() && qfont.strikeOut());
}

TEST(TextLayout, PairsCharactersWithTheirBytesAndAdvances) {
    const struct {
        std::string text;
        std::u16string units;
        std::vector<int32_t> bytes;
    } cases[] = {
        {kComment, u"上のコメント", {2, 2, 2, 2, 2, 2}},
        {"A\x8F\xE3 b", u"A上 b", {1, 2, 1, 1}},
        {"\xB1\xB2", u"\uFF71\uFF72", {1, 1}}, // half-width katakana
        {"x\x80", u"x\uFFFD", {1, 1}},         // a byte no character starts with
        {"\x81\x20", u"\uFFFD ", {1, 1}},      // a lead byte without trail byte
        {"\x81", u"\uFFFD", {1}},              // a lead byte at the end
        {"\xEB\xFC", u"\uFFFD", {2}},          // an unassigned double-byte code
    };
    const TFont font = CommentFont();
    const QFontMetrics metrics(ToQFont(font));
    for (const auto& c : cases) {
        const TextLayout layout = LayOutText(c.text, font);
        EXPECT_EQ(layout.Text, QString::fromStdU16String(c.units));
        EXPECT_EQ(layout.Bytes, c.bytes);
        ASSERT_EQ(layout.Advances.size(), c.bytes.size());
        int32_t sum = 0;
        for (const int32_t a : layout.Advances)
            sum += a;
        EXPECT_EQ(sum, layout.Width);
        EXPECT_EQ(layout.Width, metrics.horizontalAdvance(layout.Text));
        EXPECT_EQ(layout.Height, 13);
        EXPECT_EQ(layout.Ascent, 11);
        // Glyphs straight from the face, unless it lacks one (U+FFFD): then Qt's layout draws
        const bool lacking = c.units.find(u'\uFFFD') != std::u16string::npos;
        EXPECT_EQ(layout.Glyphs.size(), lacking ? 0 : c.units.size()) << c.text;
    }
    const TextLayout empty = LayOutText("", font);
    EXPECT_EQ(empty.Width, 0);
    EXPECT_EQ(empty.Height, 0);
    EXPECT_TRUE(empty.Advances.empty());
}

TEST(Canvas, TextExtentIsTheLaidOutBoxOnBothCanvases) {
    Bitmap bitmap(10, 10, 32);
    BitmapCanvas bitmapCanvas(bitmap);
    Metafile metafile;
    MetafileCanvas metafileCanvas(metafile);
    for (const std::string& text : {kComment, std::string("Abc 123"), std::string("1")}) {
        const TextLayout layout = LayOutText(text, CommentFont());
        EXPECT_EQ(bitmapCanvas.TextExtent(text, CommentFont()), QSize(layout.Width, 13)) << text;
        EXPECT_EQ(metafileCanvas.TextExtent(text, CommentFont()), QSize(layout.Width, 13)) << text;
    }
    EXPECT_EQ(bitmapCanvas.TextExtent("", CommentFont()), QSize(0, 0));
    EXPECT_EQ(metafileCanvas.TextExtent("", CommentFont()), QSize(0, 0));
}

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

// ---- Bitmap canvas ----

TEST(BitmapCanvas, FillRectCoversLeftAndTopButNotRightAndBottom) {
    const struct {
        int left, top, right, bottom;
    } cases[] = {
        {2, 3, 5, 4},     // one row of three pixels
        {0, 0, 12, 9},    // all
        {-4, -2, 3, 2},   // clipped at the top left
        {10, 7, 40, 40},  // clipped at the bottom right
        {5, 5, 5, 8},     // empty: no width
        {6, 2, 4, 5},     // inverted: nothing
        {20, 20, 30, 30}, // outside
    };
    for (const auto& c : cases) {
        Bitmap bitmap(12, 9, 32);
        BitmapCanvas canvas(bitmap);
        canvas.FillRect(0, 0, 12, 9, 0x00FF0000);
        canvas.FillRect(c.left, c.top, c.right, c.bottom, 0x0000FFFF);
        const QImage image = bitmap.ToImage();
        int wrong = 0;
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 12; ++x) {
                const bool inside = x >= c.left && x < c.right && y >= c.top && y < c.bottom;
                wrong += image.pixel(x, y) != (inside ? qRgb(255, 255, 0) : qRgb(0, 0, 255));
            }
        EXPECT_EQ(wrong, 0) << c.left << "," << c.top << " - " << c.right << "," << c.bottom;
    }
}

TEST(BitmapCanvas, TextOutPaintsTheMeasuredBoxAndTheGlyphsInTheFontColour) {
    Bitmap bitmap(120, 30, 32);
    BitmapCanvas canvas(bitmap);
    canvas.FillRect(0, 0, 120, 30, 0x00FF0000); // blue
    TFont font = CommentFont();
    font.Color = 0x000000FF; // red
    const QSize box = canvas.TextExtent(kComment, font);
    canvas.TextOut(5, 7, kComment, font, 0x0000FFFF); // on yellow
    const QImage image = bitmap.ToImage();
    int outside = 0, ink = 0, red = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 120; ++x) {
            const QRgb p = image.pixel(x, y);
            if (x < 5 || x >= 5 + box.width() || y < 7 || y >= 7 + box.height()) {
                outside += p != qRgb(0, 0, 255);
                continue;
            }
            if (p != qRgb(255, 255, 0)) {
                ++ink;
                // Glyph pixels blend red into yellow: full red, no blue
                EXPECT_EQ(qRed(p), 255);
                EXPECT_EQ(qBlue(p), 0);
                red += qGreen(p) < 64;
            }
        }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(ink, 100);
    EXPECT_GT(red, 20);
}

// What TextOut must leave: the box filled, then the painter's own glyph run drawn over it.
void ReferenceTextOut(Bitmap& bitmap, int x, int y, const std::string& text, const TFont& font,
                      TColor background) {
    const TextPainter painter(font);
    const TextLayout layout = painter.LayOut(text);
    BitmapCanvas(bitmap).FillRect(x, y, x + layout.Width, y + layout.Height, background);
    QImage view = bitmap.View();
    QPainter qpainter(&view);
    painter.DrawGlyphs(qpainter, x, y, layout);
}

// A picture to draw on: one colour, or that colour with every pixel of a few spots changed, so
// that ink leaving the box lands on something else.
Bitmap Ground(int width, int height, TColor color, bool spotted) {
    Bitmap bitmap(width, height, 32);
    BitmapCanvas canvas(bitmap);
    canvas.FillRect(0, 0, width, height, color);
    if (spotted)
        for (int y = 0; y < height; y += 3)
            for (int x = (y * 7) % 5; x < width; x += 5)
                canvas.FillRect(x, y, x + 1, y + 1, color ^ 0x00204080);
    return bitmap;
}

TEST(BitmapCanvas, TextOutLeavesThePaintersVeryPixels) {
    // Glyphs whose ink overlaps (c o, A V, f j), leaves the box (j g y, italics), digits as
    // numbered comments have them, kanji, bytes that do not decode, a face without kanji
    const std::string texts[] = {"lower comment 1024", "AVAWAY Tj fijl gjpqy_|", "0123456789 44 1111",
                                 kComment + " 17",     "x\xFF\x80z \x81",        "WWWW@@@@%%%%&&&&"};
    struct Style {
        const char* face;
        int size;
        bool bold, italic, underline;
    };
    const Style styles[] = {{"", 9, false, false, false}, {"DejaVu Serif", 9, false, true, false},
                            {"", 20, true, false, false}, {"DejaVu Sans Mono", 6, false, false, false},
                            {"", 9, false, false, true},  {"DejaVu Serif", 15, true, true, false}};
    const struct {
        TColor pen, background;
    } colours[] = {{clBlack, clWhite}, {0x000000FF, 0x0000FFFF}, {clWhite, clBlack}, {0x808080, 0x7F7F80}};
    const struct { int x, y; } places[] = {{4, 6}, {-9, -5}, {150, 30}, {0, 0}};
    int cases = 0;
    for (const std::string& text : texts)
        for (const Style& style : styles)
            for (const auto& colour : colours)
                for (const auto& place : places)
                    for (const bool spotted : {false, true}) {
                        TFont font = style.face[0] ? TFont{} : CommentFont();
                        if (style.face[0])
                            font.Name = style.face;
                        font.Size = style.size;
                        font.Bold = style.bold;
                        font.Italic = style.italic;
                        font.Underline = style.underline;
                        font.Color = colour.pen;
                        Bitmap drawn = Ground(180, 48, colour.background, spotted);
                        Bitmap expected = drawn;
                        ReferenceTextOut(expected, place.x, place.y, text, font, colour.background);
                        {
                            BitmapCanvas canvas(drawn);
                            // Twice: the second finds its glyph images made
                            canvas.TextOut(place.x, place.y, text, font, colour.background);
                            canvas.TextOut(place.x, place.y, text, font, colour.background);
                        }
                        ReferenceTextOut(expected, place.x, place.y, text, font, colour.background);
                        ASSERT_TRUE(drawn == expected)
                            << "text " << text << ", face " << style.face << " " << style.size << ", pen "
                            << colour.pen << ", at " << place.x << "," << place.y << ", spotted " << spotted;
                        ++cases;
                    }
    EXPECT_EQ(cases, 6 * 6 * 4 * 4 * 2);
}

// A deferred fill ends as the fill would have, whatever is drawn on it before and after rows are
// settled, and leaves alone what lies outside it.
TEST(BitmapCanvas, DeferredFillEndsAsAnImmediateOne) {
    std::mt19937 random(7);
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    for (int round = 0; round < 60; ++round) {
        const int width = pick(1, 300); // several tiles across
        const int height = pick(1, 140);
        Bitmap deferred = Ground(width, height, 0x00336699, true);
        Bitmap immediate = deferred;
        BitmapCanvas eager(immediate);
        {
            BitmapCanvas lazy(deferred);
            for (int step = 0; step < 12; ++step) {
                const int left = pick(-20, width + 5), top = pick(-20, height + 5);
                const int right = left + pick(0, 150), bottom = top + pick(0, 60);
                const auto color = static_cast<TColor>(pick(0, 0xFFFFFF));
                switch (pick(0, 4)) {
                case 0:
                    lazy.DeferFill(left, top, right, bottom, color);
                    eager.FillRect(left, top, right, bottom, color);
                    break;
                case 1:
                    lazy.FillRect(left, top, right, bottom, color);
                    eager.FillRect(left, top, right, bottom, color);
                    break;
                case 2:
                    lazy.TextOut(left, top, "co 41 Wj", CommentFont(), color);
                    eager.TextOut(left, top, "co 41 Wj", CommentFont(), color);
                    break;
                case 3: { // a direct write, as the module painting makes
                    const int x = pick(0, width - 1), y = pick(0, height - 1);
                    lazy.Settle(y, y + 1);
                    deferred.Row(y)[4 * x] ^= 0x5A;
                    immediate.Row(y)[4 * x] ^= 0x5A;
                    break;
                }
                default:
                    lazy.Settle(top, bottom);
                    break;
                }
            }
        }
        ASSERT_TRUE(deferred == immediate) << "round " << round;
    }
}

TEST(BitmapCanvas, NeedsA32BitBitmap) {
    Bitmap bitmap(4, 4, 24);
    EXPECT_THROW(BitmapCanvas canvas(bitmap), std::invalid_argument);
}

} // namespace
