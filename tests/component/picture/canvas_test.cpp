// The canvases: text boxes measured alike on both, and the bitmap canvas's fills and text.
#include "component/picture/canvas.h"
#include "tests/component/symbol_picture.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>
#include <random>

namespace {

using namespace zarvo::component;
using zarvo::component::picture_test::CommentFont;
using zarvo::component::picture_test::kComment;
using zarvo::component::picture_test::kMsPGothic;
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
