// Layout and drawing: the grid of cells, comment placement, module runs, the metafile picture,
// the final turn and mirror, and the refusal of pictures too large to hold.
#include "component/qrcode.h"
#include "tests/component/qrcode_test_support.h"

#include <QGuiApplication>
#include <QPalette>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

namespace zarvo::component {
namespace {

using qrtest::BitmapOf;
using qrtest::kBlack;
using qrtest::kRed;
using qrtest::kWhite;
using qrtest::Pixel;

bool IsInk(QRgb rgb) {
    return qRgb(qRed(rgb), qGreen(rgb), qBlue(rgb)) != kWhite;
}

// The worked layout: version 1, 2 pixels a module, all spaces 10, 3 symbols in 2 columns.
void SetUpWorkedLayout(TQRCode& q) {
    q.SetSymbolEnabled(false);
    q.SetVersion(1);
    q.SetPxmag(2);
    q.SetSymbolSpaceUp(10);
    q.SetSymbolSpaceDown(10);
    q.SetSymbolSpaceLeft(10);
    q.SetSymbolSpaceRight(10);
    q.SetCount(3);
    q.SetColumn(2);
    q.SetCode("ABCDEF");
}

struct Box {
    int left, top, right, bottom;
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

TEST(Layout, WorkedExample) {
    TQRCode q;
    SetUpWorkedLayout(q);
    q.SetMatch(true);
    q.SetCommentUp("A");
    q.SetCommentDown("B");
    q.SetSymbolEnabled(true);
    ASSERT_TRUE(q.SymbolDisped());
    EXPECT_EQ(q.SymbolWidth(), 58);
    EXPECT_EQ(q.SymbolWidthS(), 78);
    EXPECT_EQ(q.SymbolWidthA(), 156);
    EXPECT_EQ(q.SymbolHeightA(), 156);
    EXPECT_EQ(q.Width(), 156);
    EXPECT_EQ(q.Height(), 156);
    const Bitmap& bitmap = BitmapOf(q);
    ASSERT_EQ(bitmap.Width(), 156);
    ASSERT_EQ(bitmap.Height(), 156);
    EXPECT_EQ(q.CommentUp(), "A"); // the per-cell texts are put back
    EXPECT_EQ(q.SymbolLeft(), 0);

    // Cells at (0, 0), (78, 0), (0, 78); each symbol's first module 18 pixels in
    const int cells[][2] = {{0, 0}, {78, 0}, {0, 78}};
    for (const auto& cell : cells) {
        const int x = cell[0] + 18, y = cell[1] + 18;
        SCOPED_TRACE(testing::Message() << "module corner " << x << "," << y);
        EXPECT_EQ(Pixel(bitmap, x, y), kBlack);
        EXPECT_EQ(Pixel(bitmap, x + 13, y + 13), kBlack); // the finder's outer ring, 7 modules of 2 pixels
        EXPECT_EQ(Pixel(bitmap, x - 1, y), kWhite);
        EXPECT_EQ(Pixel(bitmap, x, y - 1), kWhite);
    }
    // The third symbol, module by module: the encoder still holds it
    const auto& enc = q.Encoder();
    ASSERT_EQ(enc.CurrentPiece, 3);
    for (int r = 0; r < 21; ++r)
        for (int c = 0; c < 21; ++c)
            for (int d = 0; d < 4; ++d)
                ASSERT_EQ(Pixel(bitmap, 18 + 2 * c + d % 2, 96 + 2 * r + d / 2),
                          enc.Dark(r, c) ? kBlack : kWhite)
                    << r << "," << c;

    // The comments: "A" above each symbol area, "B" below; a 10-pixel space is lower than the text
    // (12-pixel font, 13 pixels of box), so the upper one reaches out of its cell
    const int h = qrtest::TextHeight("A", q.ComFont());
    ASSERT_GT(h, 10);
    const int wa = qrtest::TextWidth("A", q.ComFont());
    const int wb = qrtest::TextWidth("B", q.ComFont());
    std::vector<Box> comments, symbols;
    for (const auto& cell : cells) {
        comments.push_back({cell[0], std::min(cell[1], cell[1] + 10 - h), cell[0] + wa, cell[1] + 10});
        comments.push_back({cell[0], cell[1] + 68, cell[0] + wb, cell[1] + 68 + h});
        symbols.push_back({cell[0] + 18, cell[1] + 18, cell[0] + 60, cell[1] + 60});
    }
    EXPECT_EQ(comments[0].top, 10 - h); // -2 for a 12-pixel box
    EXPECT_EQ(comments[1].top, 68);     // the bottom edge of the first row's symbol areas
    std::vector<int> inkIn(comments.size());
    for (int y = 0; y < 156; ++y) {
        for (int x = 0; x < 156; ++x) {
            const bool ink = IsInk(Pixel(bitmap, x, y));
            bool allowed = false;
            for (size_t i = 0; i < comments.size(); ++i)
                if (comments[i].Contains(x, y)) {
                    allowed = true;
                    inkIn[i] += ink ? 1 : 0;
                }
            for (const Box& s : symbols)
                allowed = allowed || s.Contains(x, y);
            ASSERT_TRUE(allowed || !ink) << "ink at " << x << "," << y;
        }
    }
    for (size_t i = 0; i < comments.size(); ++i)
        EXPECT_GT(inkIn[i], 0) << "no text in comment box " << i;
}

TEST(Layout, WorkedExampleOnAMetafile) {
    TQRCode q;
    SetUpWorkedLayout(q);
    q.SetMatch(true);
    q.SetSymbolPicture(picEMF);
    q.SetCommentUp("A");
    q.SetCommentDown("B");
    q.SetSymbolEnabled(true);
    ASSERT_TRUE(q.SymbolDisped());
    EXPECT_EQ(q.Width(), 156);
    EXPECT_EQ(q.Height(), 156);
    const auto* metafile = std::get_if<Metafile>(&q.Picture());
    ASSERT_NE(metafile, nullptr);
    EXPECT_EQ(metafile->Width, 157); // one pixel more each way once complete
    EXPECT_EQ(metafile->Height, 157);
    ASSERT_FALSE(metafile->Records.empty());
    const auto* background = std::get_if<MetaFill>(&metafile->Records.front());
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(std::vector<int>({background->left, background->top, background->right, background->bottom}),
              std::vector<int>({0, 0, 156, 156}));
    EXPECT_EQ(background->color, clWhite);

    const int h = qrtest::TextHeight("A", q.ComFont());
    struct Placed {
        int x, y;
        std::string text;
        bool operator==(const Placed& o) const { return x == o.x && y == o.y && text == o.text; }
    };
    std::vector<Placed> texts;
    for (const auto& record : metafile->Records)
        if (const auto* text = std::get_if<MetaText>(&record)) {
            texts.push_back({text->x, text->y, text->text});
            EXPECT_EQ(text->background, clWhite);
            EXPECT_EQ(text->font, q.ComFont());
        }
    const std::vector<Placed> expected = {{0, 10 - h, "A"}, {0, 68, "B"},     {78, 10 - h, "A"},
                                          {78, 68, "B"},    {0, 88 - h, "A"}, {0, 146, "B"}};
    EXPECT_TRUE(texts == expected);
    // modules are runs: the finder's top row is one rectangle of 7 modules
    bool finderRun = false;
    for (const auto& record : metafile->Records)
        if (const auto* fill = std::get_if<MetaFill>(&record))
            finderRun =
                finderRun || (fill->left == 18 && fill->top == 96 && fill->right == 32 && fill->bottom == 98);
    EXPECT_TRUE(finderRun);
}

TEST(Layout, CommentsSitInTheirCellOrTouchTheSymbolArea) {
    const std::string wide(30, 'W');
    struct {
        TLocation location;
        std::string text;
    } cases[] = {{locLeft, "A"}, {locCenter, "ABC"}, {locRight, "ABC"}, {locCenter, wide}, {locRight, wide}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "location " << c.location << ", " << c.text);
        // Transparent over red: the opaque comment boxes show as white rectangles
        TQRCode q;
        SetUpWorkedLayout(q);
        q.SetTransparent(true);
        q.SetWidth(156);
        q.SetHeight(156);
        q.SetPicture(qrtest::Filled(156, 156, kRed));
        q.SetCommentUp(c.text);
        q.SetCommentDown(c.text);
        q.SetCommentUpLoc(c.location);
        q.SetCommentDownLoc(c.location);
        q.SetSymbolEnabled(true);
        ASSERT_TRUE(q.SymbolDisped());
        const Bitmap& bitmap = BitmapOf(q);
        const int w = qrtest::TextWidth(c.text, q.ComFont());
        const int h = qrtest::TextHeight(c.text, q.ComFont());
        const int offset = c.location == locLeft ? 0 : c.location == locCenter ? (78 - w) / 2 : 78 - w;
        const int left = 78 + std::max(0, offset); // the second cell's comments
        const int right = std::min(156, left + w);
        // upper box: rows 10 - h .. 9, ending at the symbol area (row 10, transparent: red)
        EXPECT_EQ(Pixel(bitmap, left, 9), kWhite);
        EXPECT_EQ(Pixel(bitmap, right - 1, 9), kWhite);
        EXPECT_EQ(Pixel(bitmap, left, 10), kRed);
        if (offset > 0) {
            EXPECT_EQ(Pixel(bitmap, left - 1, 5), kRed);
        }
        if (right < 156) {
            EXPECT_EQ(Pixel(bitmap, right, 5), kRed);
        }
        // lower box: from the symbol area's bottom edge (row 68), h rows
        EXPECT_EQ(Pixel(bitmap, left, 67), kRed);
        EXPECT_EQ(Pixel(bitmap, left, 68), kWhite);
        if (w < 78) { // a wide upper comment of the cell below reaches here (from row 75)
            EXPECT_EQ(Pixel(bitmap, left, 68 + h - 1), kWhite);
            EXPECT_EQ(Pixel(bitmap, left, 68 + h), kRed);
        }
    }
}

TEST(Layout, UpperCommentWithoutSpaceEndsAtTheSymbolArea) {
    TQRCode q;
    q.SetSymbolEnabled(false);
    q.SetCode("HI");
    q.SetTransparent(true);
    q.SetWidth(60);
    q.SetHeight(80);
    q.SetPicture(qrtest::Filled(60, 80, kRed));
    q.SetSymbolTop(20);
    q.SetCommentUp("A");
    q.SetSymbolEnabled(true);
    const Bitmap& bitmap = BitmapOf(q);
    const int h = qrtest::TextHeight("A", q.ComFont());
    EXPECT_EQ(Pixel(bitmap, 0, 19), kWhite);
    EXPECT_EQ(Pixel(bitmap, 0, 20 - h), kWhite);
    EXPECT_EQ(Pixel(bitmap, 0, 20 - h - 1), kRed);
    EXPECT_EQ(Pixel(bitmap, 0, 20), kRed);   // quiet zone, not painted
    EXPECT_EQ(Pixel(bitmap, 4, 24), kBlack); // the first module
}

TEST(Layout, TransparentPaintsOnlyDarkModules) {
    TQRCode q;
    q.SetSymbolEnabled(false);
    q.SetCode("HI");
    q.SetTransparent(true);
    q.SetWidth(40);
    q.SetHeight(40);
    q.SetPicture(qrtest::Filled(40, 40, kRed));
    q.SetSymbolLeft(3);
    q.SetSymbolEnabled(true);
    ASSERT_TRUE(q.SymbolDisped());
    const Bitmap& bitmap = BitmapOf(q);
    const auto& enc = q.Encoder();
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            const int c = x - 7, r = y - 4;
            const bool dark = c >= 0 && c < 21 && r >= 0 && r < 21 && enc.Dark(r, c);
            ASSERT_EQ(Pixel(bitmap, x, y), dark ? kBlack : kRed) << x << "," << y;
        }
}

TEST(Layout, CellsFillRowsLeftToRight) {
    struct {
        int32_t count, column;
        int32_t width, height;
    } cases[] = {{5, 2, 2 * 36, 3 * 32}, {3, 16, 3 * 36, 32}, {4, 1, 36, 4 * 32}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "Count " << c.count << ", Column " << c.column);
        TQRCode q;
        q.SetSymbolEnabled(false);
        q.SetCode("ABCDEFGHIJ");
        q.SetMode(qrConnect);
        q.SetCount(c.count);
        q.SetColumn(c.column);
        q.SetNumbering(nbrNone); // no piece numbers in the narrow spaces
        q.SetSymbolSpaceUp(1);
        q.SetSymbolSpaceDown(2);
        q.SetSymbolSpaceLeft(3);
        q.SetSymbolSpaceRight(4);
        q.SetMatch(true);
        q.SetSymbolEnabled(true);
        ASSERT_TRUE(q.SymbolDisped());
        EXPECT_EQ(q.SymbolWidthA(), c.width);
        EXPECT_EQ(q.SymbolHeightA(), c.height);
        const Bitmap& bitmap = BitmapOf(q);
        ASSERT_EQ(bitmap.Width(), c.width);
        ASSERT_EQ(bitmap.Height(), c.height);
        const int rows = (c.count + c.column - 1) / c.column;
        for (int k = 0; k < rows * std::min(c.column, c.count); ++k) {
            const int x = k % c.column * 36 + 3 + 4, y = k / c.column * 32 + 1 + 4;
            // a symbol's finder corner, or nothing in a cell past the last piece
            EXPECT_EQ(Pixel(bitmap, x, y), k < c.count ? kBlack : kWhite) << "cell " << k;
            EXPECT_EQ(Pixel(bitmap, x - 1, y - 1), kWhite) << "cell " << k;
        }
    }
}

TEST(Layout, PiecesAreNumberedIntoTheirComments) {
    struct {
        TNumbering numbering;
        int32_t count;
        std::string up;
        std::vector<std::string> texts; // per piece: upper, then lower
    } cases[] = {
        {nbrNone, 2, "A", {"A", "A"}},
        {nbrHead, 2, "A", {"1 A", "1", "2 A", "2"}},
        {nbrTail, 2, "A", {"A 1", "1", "A 2", "2"}},
        {nbrIfVoid, 2, "A", {"A", "1", "A", "2"}},
        {nbrIfVoid, 2, "", {"1", "1", "2", "2"}},
        {nbrTail, 1, "A", {"A"}}, // one symbol: no number
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "Numbering " << c.numbering << ", Count " << c.count);
        TQRCode q;
        q.SetSymbolEnabled(false);
        q.SetCode("ABCD");
        q.SetMode(c.count > 1 ? qrConnect : qrSingle);
        q.SetCount(c.count);
        q.SetMatch(true);
        q.SetSymbolPicture(picEMF);
        q.SetNumbering(c.numbering);
        q.SetCommentUp(c.up);
        q.SetSymbolEnabled(true);
        const auto* metafile = std::get_if<Metafile>(&q.Picture());
        ASSERT_NE(metafile, nullptr);
        std::vector<std::string> texts;
        for (const auto& record : metafile->Records)
            if (const auto* text = std::get_if<MetaText>(&record))
                texts.push_back(text->text);
        EXPECT_EQ(texts, c.texts);
        EXPECT_EQ(q.CommentUp(), c.up);
        EXPECT_EQ(q.CommentDown(), "");
    }
}

// The finished bitmap is the drawn block turned clockwise, then mirrored when Reverse is set.
TEST(Drawing, TurnsAndMirrorsTheFinishedBitmap) {
    const auto setUp = [](TQRCode& q, int32_t angle, bool reverse) {
        q.SetSymbolEnabled(false);
        q.SetCode("AB");
        q.SetCount(2);
        q.SetColumn(2);
        q.SetSymbolSpaceUp(3);
        q.SetSymbolSpaceDown(5);
        q.SetSymbolSpaceLeft(7);
        q.SetSymbolSpaceRight(11);
        q.SetSymbolLeft(2);
        q.SetSymbolTop(1);
        q.SetMatch(true);
        q.SetAngle(angle);
        q.SetReverse(reverse);
        q.SetSymbolEnabled(true);
    };
    TQRCode plain;
    setUp(plain, 0, false);
    const Bitmap base = BitmapOf(plain);
    const int w = base.Width(), h = base.Height();
    ASSERT_EQ(w, 2 + 2 * (29 + 18));
    ASSERT_EQ(h, 1 + 29 + 8);

    for (int32_t angle : {0, 90, 180, 270}) {
        for (bool reverse : {false, true}) {
            SCOPED_TRACE(testing::Message() << "Angle " << angle << (reverse ? ", reversed" : ""));
            TQRCode q;
            setUp(q, angle, reverse);
            ASSERT_TRUE(q.SymbolDisped());
            const Bitmap& turned = BitmapOf(q);
            const bool quarter = angle % 180 != 0;
            const int tw = quarter ? h : w, th = quarter ? w : h;
            ASSERT_EQ(turned.Width(), tw);
            ASSERT_EQ(turned.Height(), th);
            EXPECT_EQ(q.Width(), tw); // the control follows the turn
            EXPECT_EQ(q.Height(), th);
            for (int y = 0; y < th; ++y) {
                for (int x = 0; x < tw; ++x) {
                    const int ux = reverse ? tw - 1 - x : x; // undo the mirror, then the turn
                    int sx = ux, sy = y;
                    if (angle == 90) {
                        sx = y;
                        sy = h - 1 - ux;
                    } else if (angle == 180) {
                        sx = w - 1 - ux;
                        sy = h - 1 - y;
                    } else if (angle == 270) {
                        sx = w - 1 - y;
                        sy = ux;
                    }
                    ASSERT_EQ(Pixel(turned, x, y), Pixel(base, sx, sy)) << x << "," << y;
                }
            }
        }
    }
    // Clockwise: the first symbol's first module, near the top-left, ends near the top-right
    TQRCode q;
    setUp(q, 90, false);
    EXPECT_EQ(Pixel(BitmapOf(q), h - 1 - (1 + 3 + 4), 2 + 7 + 4), kBlack);
    EXPECT_EQ(Pixel(BitmapOf(q), h - 1 - (1 + 3 + 4) + 1, 2 + 7 + 4), kWhite);
}

// Without Match the block lands at the origin of the finished picture at every angle, and the
// rest of the old picture is kept.
TEST(Drawing, WithoutMatchTheBlockLandsAtTheOriginAfterTheTurn) {
    for (int32_t angle : {0, 90, 180, 270}) {
        SCOPED_TRACE(testing::Message() << "Angle " << angle);
        TQRCode q;
        q.SetSymbolEnabled(false);
        q.SetCode("TURNTURN");
        q.SetCount(2); // a block of 116 x 58 pixels
        q.SetColumn(2);
        q.SetNumbering(nbrNone);
        q.SetPxmag(2);
        q.SetWidth(200);
        q.SetHeight(180);
        q.SetPicture(qrtest::Filled(200, 180, kRed));
        q.SetSymbolLeft(5);
        q.SetSymbolTop(7);
        q.SetAngle(angle);
        q.SetSymbolEnabled(true);
        ASSERT_TRUE(q.SymbolDisped());
        EXPECT_EQ(q.SymbolLeft(), 5);
        EXPECT_EQ(q.SymbolTop(), 7);
        EXPECT_EQ(q.Width(), 200);
        EXPECT_EQ(q.Height(), 180);
        const Bitmap& bitmap = BitmapOf(q);
        ASSERT_EQ(bitmap.Width(), 200);
        ASSERT_EQ(bitmap.Height(), 180);
        const bool quarter = angle % 180 != 0;
        const Box block{5, 7, 5 + (quarter ? 58 : 116), 7 + (quarter ? 116 : 58)};
        for (int y = 0; y < 180; ++y)
            for (int x = 0; x < 200; ++x)
                ASSERT_EQ(Pixel(bitmap, x, y) == kRed, !block.Contains(x, y)) << x << "," << y;
    }
}

TEST(Drawing, MetafilesAreNeitherTurnedNorMirrored) {
    const auto draw = [](TQRCode& q, TPictures picture, int32_t angle, bool reverse) {
        q.SetSymbolEnabled(false);
        q.SetCode("META");
        q.SetPxmag(3);
        q.SetSymbolSpaceLeft(4);
        q.SetSymbolTop(2);
        q.SetMatch(true);
        q.SetSymbolPicture(picture);
        q.SetAngle(angle);
        q.SetReverse(reverse);
        q.SetSymbolEnabled(true);
    };
    TQRCode bitmapped;
    draw(bitmapped, picBMP, 0, false);
    const Bitmap& bitmap = BitmapOf(bitmapped);

    TQRCode plain;
    draw(plain, picEMF, 0, false);
    const auto* metafile = std::get_if<Metafile>(&plain.Picture());
    ASSERT_NE(metafile, nullptr);
    ASSERT_EQ(metafile->Width, bitmap.Width() + 1);
    ASSERT_EQ(metafile->Height, bitmap.Height() + 1);
    // played back, the metafile is the bitmap (the extra row and column stay white)
    const QImage played = metafile->ToImage();
    ASSERT_EQ(played.width(), metafile->Width);
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            ASSERT_EQ(played.pixel(x, y) | 0xFF000000u, Pixel(bitmap, x, y)) << x << "," << y;

    for (TPictures picture : {picEMF, picWMF}) {
        TQRCode turned;
        draw(turned, picture, 90, true);
        const auto* other = std::get_if<Metafile>(&turned.Picture());
        ASSERT_NE(other, nullptr);
        EXPECT_EQ(other->ToImage(), played);
        EXPECT_EQ(turned.Width(), bitmap.Width()); // not exchanged
        EXPECT_EQ(turned.Height(), bitmap.Height());
    }
}

// The main symbol's comments are in the window-text colour: black in every picture, whatever
// colours the desktop gives its widgets.
TEST(Drawing, CommentsStayBlackUnderADarkDesktopPalette) {
    const QPalette saved = QGuiApplication::palette();
    QPalette dark(QColor(45, 45, 45));
    dark.setColor(QPalette::WindowText, QColor(240, 240, 240));
    QGuiApplication::setPalette(dark);
    for (TPictures picture : {picBMP, picEMF}) {
        SCOPED_TRACE(picture);
        TQRCode q;
        SetUpAsMainSymbol(q, 20);
        q.SetCode("Zarvo");
        q.SetCommentUp("Zarvo");
        q.SetSymbolPicture(picture);
        q.SetSymbolEnabled(true);
        ASSERT_TRUE(q.SymbolDisped());
        const auto* metafile = std::get_if<Metafile>(&q.Picture());
        const QImage image = metafile ? metafile->ToImage() : BitmapOf(q).ToImage();
        int darkest = 255; // in the upper space, where only the comment is drawn
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < image.width(); ++x)
                darkest = std::min(darkest, qGray(image.pixel(x, y)));
        EXPECT_LT(darkest, 64); // the palette's text colour is near white
    }
    QGuiApplication::setPalette(saved);
}

TEST(Drawing, AMetafileStoppedEarlyKeepsWhatWasDrawn) {
    TQRCode q;
    q.SetSymbolEnabled(false);
    // piece 1 is 30 digits (fits version 1-L), piece 2 30 bytes of text (does not)
    q.SetCode(std::string(30, '1') + std::string(30, 'a'));
    q.SetCount(2);
    q.SetMatch(true);
    q.SetSymbolPicture(picEMF);
    q.SetSymbolEnabled(true);
    EXPECT_FALSE(q.SymbolDisped());
    const auto* metafile = std::get_if<Metafile>(&q.Picture());
    ASSERT_NE(metafile, nullptr);
    EXPECT_EQ(metafile->Width, q.Width()); // not completed: no extra pixel
    EXPECT_GT(metafile->Records.size(), 10u);
    const QImage image = metafile->ToImage();
    EXPECT_EQ(qrtest::Decode(image.copy(0, 0, 29, 29).scaled(116, 116)), std::string(30, '1'));
}

// Pieces are encoded a few ahead of their painting; a piece that does not fit still ends the
// drawing at that very piece, whether it is the first, last or a middle one of such a group.
TEST(Drawing, ABitmapStopsAtThePieceThatDoesNotFit) {
    constexpr int kCount = 40;
    for (const int failing : {2, 16, 17, 18, 33, 40}) {
        std::string data;
        for (int k = 1; k <= kCount; ++k)
            data += k == failing ? std::string(30, 'a') : std::string(30, static_cast<char>('0' + k % 10));
        TQRCode q;
        q.SetSymbolEnabled(false);
        q.SetVersion(1);
        q.SetPxmag(3);
        q.SetMatch(true);
        q.SetCount(kCount);
        q.SetColumn(8);
        q.SetNumbering(nbrNone); // numbers would sit below the symbols, in the next row's cells
        q.SetCode(data);
        q.SetSymbolEnabled(true);
        EXPECT_FALSE(q.SymbolDisped()) << failing;
        EXPECT_EQ(q.Encoder().CurrentPiece, failing);
        const Bitmap& bitmap = BitmapOf(q);
        const QImage image = bitmap.ToImage();
        const int w = q.SymbolWidthS();
        const int h = q.SymbolHeightS();
        for (int k = 1; k <= kCount; ++k) {
            const QImage cell = image.copy((k - 1) % 8 * w, (k - 1) / 8 * h, w, h);
            if (k < failing) {
                EXPECT_EQ(qrtest::Decode(cell), data.substr(static_cast<size_t>(k - 1) * 30, 30))
                    << "piece " << k << " before " << failing;
            } else {
                bool blank = true;
                for (int y = 0; y < h && blank; ++y)
                    for (int x = 0; x < w && blank; ++x)
                        blank = !IsInk(cell.pixel(x, y));
                EXPECT_TRUE(blank) << "piece " << k << " from " << failing << " on";
            }
        }
    }
}

TEST(Drawing, PicturesTooLargeAreRefusedBeforeAllocating) {
    for (TPictures picture : {picBMP, picEMF}) {
        SCOPED_TRACE(picture);
        TQRCode q;
        q.SetSymbolEnabled(false);
        q.SetCode(std::string(4096, '1'));
        q.SetVersion(40);
        q.SetPxmag(10);
        q.SetMode(qrPlus);
        q.SetCount(1024);
        q.SetMatch(true);
        q.SetSymbolPicture(picture);
        q.SetClearOption(true);
        q.SetSymbolEnabled(true); // 29,600 x 118,400 pixels
        EXPECT_TRUE(q.PictureTooLarge());
        EXPECT_EQ(q.LastDrawFailure(), TDrawFailure::TooLarge);
        EXPECT_FALSE(q.SymbolDisped());
        EXPECT_TRUE(std::holds_alternative<std::monostate>(q.Picture())); // ClearOption as usual
        EXPECT_EQ(q.Width(), 49);

        q.SetCount(2); // a size that fits clears the state
        EXPECT_FALSE(q.PictureTooLarge());
        EXPECT_TRUE(q.SymbolDisped());
    }

    // The control's own size, given to a picture that has none
    TQRCode q;
    q.SetSymbolEnabled(false);
    q.SetCode("X");
    q.SetWidth(50000);
    q.SetHeight(50000);
    q.SetSymbolEnabled(true);
    EXPECT_TRUE(q.PictureTooLarge());
    EXPECT_FALSE(q.SymbolDisped());
    EXPECT_TRUE(std::holds_alternative<std::monostate>(q.Picture()));
}

#if !defined(__SANITIZE_ADDRESS__)
TEST(Drawing, APictureTheMemoryCannotHoldIsNotShown) {
    // An address space only 64 MiB larger than what the process holds now: a 400 MB picture,
    // well under the limit, cannot be had
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    ASSERT_GT(pages, 0);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &old), 0);
    rlimit tight = old;
    tight.rlim_cur =
        static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (rlim_t{64} << 20);
    TQRCode q;
    q.SetSymbolEnabled(false);
    q.SetCode("X");
    q.SetWidth(10000);
    q.SetHeight(10000);
    ASSERT_EQ(setrlimit(RLIMIT_AS, &tight), 0);
    q.SetSymbolEnabled(true);
    setrlimit(RLIMIT_AS, &old);
    EXPECT_FALSE(q.SymbolDisped());
    EXPECT_EQ(q.LastDrawFailure(), TDrawFailure::NoMemory);
    EXPECT_FALSE(q.PictureTooLarge());
    EXPECT_TRUE(std::holds_alternative<std::monostate>(q.Picture()));

    q.SetWidth(49); // with room again it draws
    q.SetHeight(49);
    q.Redraw();
    EXPECT_TRUE(q.SymbolDisped());
    EXPECT_EQ(q.LastDrawFailure(), TDrawFailure::None);
}
#endif

TEST(Drawing, TheDrawnSymbolDecodesToTheData) {
    TQRCode q;
    q.SetSymbolEnabled(false);
    q.SetBinaryOperation(true);
    q.SetCode("Zarvo " + qrtest::kKanji + " ~00FF1B~~~ 0123456789");
    q.SetVersion(3);
    q.SetEclevel(1);
    q.SetPxmag(3);
    q.SetSymbolSpaceUp(16);
    q.SetCommentUp(qrtest::kKanji);
    q.SetMatch(true);
    q.SetSymbolColor(0x400000); // dark blue on
    q.SetBackColor(0xE0FFFF);   // light yellow
    q.SetSymbolEnabled(true);
    ASSERT_TRUE(q.SymbolDisped());
    EXPECT_EQ(q.Len(), 6 + 4 + 1 + 3 + 1 + 1 + 10);
    EXPECT_EQ(qrtest::Decode(BitmapOf(q).ToImage()), q.Data());
    q.SetAngle(270);
    EXPECT_EQ(qrtest::Decode(BitmapOf(q).ToImage()), q.Data());
}

} // namespace
} // namespace zarvo::component
