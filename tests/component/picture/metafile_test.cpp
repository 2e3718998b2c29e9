// Metafiles: recording, playback against the bitmap drawing, and the EMF and placeable WMF files,
// checked field by field and replayed the way a GDI player walks them (object table included).
#include "component/picture/canvas.h"
#include "component/picture/picture.h"
#include "tests/component/symbol_picture.h"

#include <QPainter>
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <optional>

namespace {

using namespace zarvo::component;
using namespace zarvo::component::picture_test;
using Bytes = std::vector<uint8_t>;

int32_t I32(const Bytes& b, size_t at) {
    return static_cast<int32_t>(U32(b, at));
}
int32_t I16(const Bytes& b, size_t at) {
    return static_cast<int16_t>(U16(b, at));
}

// The 200 x 120 picture of the format notes' worked example: a white background, 8 dark runs and
// one 6-character comment.
Metafile WorkedExample() {
    Metafile metafile;
    metafile.Width = 200;
    metafile.Height = 120;
    MetafileCanvas canvas(metafile);
    canvas.FillRect(0, 0, 200, 120, clWhite);
    for (int i = 0; i < 8; ++i)
        canvas.FillRect(20 + 10 * i, 40, 25 + 10 * i, 50 + i, clBlack);
    canvas.TextOut(10, 5, kComment, CommentFont(), clWhite);
    return metafile;
}

// A picture with what the writers must keep apart: three fill colours, fills partly outside the
// frame, and texts in two fonts and two colours, one with single-byte characters (odd length).
Metafile Assorted() {
    Metafile metafile;
    metafile.Width = 150;
    metafile.Height = 90;
    MetafileCanvas canvas(metafile);
    canvas.FillRect(0, 0, 150, 90, 0x00E0F0FF);
    canvas.FillRect(10, 10, 20, 12, clBlack);
    canvas.FillRect(30, 10, 31, 11, 0x000000FF);
    canvas.FillRect(-5, 80, 8, 95, clBlack);
    canvas.TextOut(4, 30, kComment, CommentFont(), 0x00E0F0FF);
    TFont bold = CommentFont();
    bold.Bold = true;
    bold.Color = 0x00800000;
    canvas.TextOut(-2, 60,
                   "Ab\x8F\xE3"
                   "c",
                   bold, clWhite);
    canvas.FillRect(40, 40, 60, 41, clBlack);
    return metafile;
}

struct Drawn {
    std::vector<MetaFill> fills; // colours as COLORREF
    struct Text {
        int32_t x, y, width, height;
        std::u16string units; // EMF
        std::string bytes;    // WMF
        std::vector<int32_t> dx;
        uint32_t color, background;
        int32_t fontHeight, weight;
        std::u16string face;   // EMF
        std::string faceBytes; // WMF
    };
    std::vector<Text> texts;
};

// What a picture's records must come out as, colours as COLORREF. Fills are clipped to the frame
// when `clip` (the WMF writer drops what lies outside).
Drawn Expected(const Metafile& metafile, bool clip) {
    Drawn drawn;
    for (const auto& record : metafile.Records) {
        if (const auto* fill = std::get_if<MetaFill>(&record)) {
            MetaFill f = *fill;
            if (clip) {
                f.left = std::max(f.left, 0);
                f.top = std::max(f.top, 0);
                f.right = std::min(f.right, metafile.Width);
                f.bottom = std::min(f.bottom, metafile.Height);
            }
            f.color = static_cast<TColor>(ToColorRef(f.color));
            drawn.fills.push_back(f);
            continue;
        }
        const auto& t = std::get<MetaText>(record);
        const TextLayout layout = LayOutText(t.text, t.font);
        Drawn::Text text{t.x,
                         t.y,
                         layout.Width,
                         layout.Height,
                         layout.Text.toStdU16String(),
                         t.text,
                         layout.Advances,
                         ToColorRef(t.font.Color),
                         ToColorRef(t.background),
                         -t.font.PixelHeight(),
                         t.font.Bold ? 700 : 400,
                         QString().toStdU16String(),
                         t.font.Name};
        drawn.texts.push_back(text);
    }
    return drawn;
}

// ---- Recording and playback ----

TEST(MetafileCanvas, RecordsFillsAndTextsButNotEmptyOnes) {
    Metafile metafile;
    MetafileCanvas canvas(metafile);
    canvas.FillRect(1, 2, 3, 4, clBlack);
    canvas.FillRect(5, 5, 5, 9, clBlack);
    canvas.FillRect(5, 5, 3, 9, clBlack);
    canvas.TextOut(7, 8, "", CommentFont(), clWhite);
    canvas.TextOut(7, 8, kComment, CommentFont(), clWhite);
    ASSERT_EQ(metafile.Records.size(), 2u);
    const auto& fill = std::get<MetaFill>(metafile.Records[0]);
    EXPECT_EQ(std::tie(fill.left, fill.top, fill.right, fill.bottom), std::make_tuple(1, 2, 3, 4));
    const auto& text = std::get<MetaText>(metafile.Records[1]);
    EXPECT_EQ(text.text, kComment);
    EXPECT_EQ(text.font, CommentFont());
}

TEST(Metafile, PlaybackEqualsTheBitmapDrawing) {
    zarvo::encoder::SymbolEncoder enc;
    EncodeSymbol(enc, kData, 3);
    for (const int pixels : {1, 2, 3}) {
        Metafile metafile;
        MetafileCanvas recorder(metafile);
        const SymbolLayout layout = LayoutOf(enc, pixels, true);
        metafile.Width = layout.Width;
        metafile.Height = layout.Height;
        PaintSymbol(recorder, enc, pixels, kComment);
        Bitmap bitmap(layout.Width, layout.Height, 32);
        BitmapCanvas canvas(bitmap);
        PaintSymbol(canvas, enc, pixels, kComment);

        // At one device pixel per pixel: the same image, module runs and comment alike
        EXPECT_EQ(metafile.ToImage(), bitmap.ToImage()) << pixels << " pixels per module";

        // Scaled by 3 into a rectangle away from the origin: every module area pixel is the
        // bitmap's pixel it covers (the comment's glyphs are drawn at a larger size, so not compared)
        const int scale = 3;
        QImage big(layout.Width * scale + 10, layout.Height * scale + 20, QImage::Format_RGB32);
        big.fill(Qt::green);
        {
            QPainter painter(&big);
            metafile.Play(painter, QRectF(10, 20, layout.Width * scale, layout.Height * scale));
        }
        const QImage small = bitmap.ToImage();
        int wrong = 0;
        for (int y = 16; y < layout.Height; ++y) // below the comment band
            for (int x = 0; x < layout.Width; ++x)
                for (int k = 0; k < scale * scale; ++k)
                    wrong += big.pixel(10 + x * scale + k % scale, 20 + y * scale + k / scale) !=
                             small.pixel(x, y);
        EXPECT_EQ(wrong, 0) << pixels << " pixels per module, scaled by " << scale;
        EXPECT_EQ(big.pixel(5, 5), QColor(Qt::green).rgb()); // nothing outside the target
    }
}

// ---- EMF ----

struct EmfRecord {
    uint32_t type;
    size_t at;
    uint32_t size;
};

std::vector<EmfRecord> EmfRecords(const Bytes& emf) {
    std::vector<EmfRecord> records;
    for (size_t at = 0; at + 8 <= emf.size();) {
        const EmfRecord r{U32(emf, at), at, U32(emf, at + 4)};
        EXPECT_EQ(r.size % 4, 0u) << "record " << r.type << " at " << at;
        EXPECT_GE(r.size, 8u);
        if (r.size < 8 || at + r.size > emf.size()) {
            ADD_FAILURE() << "record " << r.type << " at " << at << " runs past the end";
            break;
        }
        records.push_back(r);
        at += r.size;
    }
    return records;
}

std::u16string Utf16(const Bytes& b, size_t at, size_t units) {
    std::u16string s;
    for (size_t i = 0; i < units; ++i)
        s += static_cast<char16_t>(U16(b, at + 2 * i));
    return s;
}

// Replays an EMF as a player does: checks the header bookkeeping and the object table, and
// collects what the records draw.
Drawn PlayEmf(const Bytes& emf) {
    Drawn drawn;
    const std::vector<EmfRecord> records = EmfRecords(emf);
    EXPECT_FALSE(records.empty());
    if (records.empty())
        return drawn;
    EXPECT_EQ(emf.size() % 4, 0u);
    EXPECT_EQ(records.front().type, 1u);
    EXPECT_EQ(U32(emf, 48), emf.size());     // nBytes
    EXPECT_EQ(U32(emf, 52), records.size()); // nRecords
    const uint32_t handles = U16(emf, 56);
    // szlMillimeters × 96 = szlDevice × 25.4 exactly, in both directions
    EXPECT_EQ(I32(emf, 80) * 96 * 10, I32(emf, 72) * 254);
    EXPECT_EQ(I32(emf, 84) * 96 * 10, I32(emf, 76) * 254);
    const EmfRecord& eof = records.back();
    EXPECT_EQ(eof.type, 14u);
    EXPECT_EQ(eof.size, 20u);
    EXPECT_EQ(U32(emf, eof.at + 16), 20u); // nSizeLast
    EXPECT_EQ(eof.at + eof.size, emf.size());

    enum Kind { Brush, Font };
    struct Object {
        Kind kind;
        uint32_t color;
        int32_t height, weight;
        std::u16string face;
    };
    std::map<uint32_t, Object> table;
    uint32_t highest = 0;
    uint32_t pen = 0x80000007, brush = 0x80000000, font = 0x8000000D; // stock defaults
    std::optional<uint32_t> textColor, background;
    uint32_t align = 0xFFFF, mode = 0;
    const auto create = [&](uint32_t index, Object object) {
        uint32_t lowest = 1;
        while (table.count(lowest))
            ++lowest;
        EXPECT_EQ(index, lowest) << "objects take the lowest free index";
        highest = std::max(highest, index);
        table[index] = object;
    };
    for (const EmfRecord& r : records) {
        const size_t p = r.at + 8;
        switch (r.type) {
        case 39: // EMR_CREATEBRUSHINDIRECT
            EXPECT_EQ(r.size, 24u);
            EXPECT_EQ(U32(emf, p + 4), 0u); // BS_SOLID
            create(U32(emf, p), Object{Brush, U32(emf, p + 8), 0, 0, {}});
            break;
        case 82: { // EMR_EXTCREATEFONTINDIRECTW
            EXPECT_EQ(r.size, 332u);
            std::u16string face = Utf16(emf, p + 4 + 28, 32);
            face.resize(face.find(u'\0'));
            EXPECT_EQ(emf[p + 4 + 23], 128); // SHIFTJIS_CHARSET
            create(U32(emf, p), Object{Font, 0, I32(emf, p + 4), I32(emf, p + 4 + 16), face});
            break;
        }
        case 37: { // EMR_SELECTOBJECT
            const uint32_t index = U32(emf, p);
            if (index & 0x80000000u) {
                const uint32_t stock = index & 0x7FFFFFFF;
                (stock <= 5 ? brush : stock <= 8 ? pen : font) = index;
            } else {
                if (!table.count(index)) {
                    ADD_FAILURE() << "selects object " << index << " that does not exist";
                    return drawn;
                }
                (table[index].kind == Brush ? brush : font) = index;
            }
            break;
        }
        case 40: { // EMR_DELETEOBJECT
            const uint32_t index = U32(emf, p);
            EXPECT_TRUE(table.count(index)) << "deletes object " << index << " that does not exist";
            EXPECT_NE(index, brush) << "deletes the selected brush";
            EXPECT_NE(index, font) << "deletes the selected font";
            table.erase(index);
            break;
        }
        case 43: { // EMR_RECTANGLE
            EXPECT_EQ(pen, 0x80000008u) << "a rectangle without NULL_PEN draws an outline";
            EXPECT_TRUE(table.count(brush)) << "a rectangle with a stock brush";
            drawn.fills.push_back(MetaFill{I32(emf, p), I32(emf, p + 4), I32(emf, p + 8), I32(emf, p + 12),
                                           static_cast<TColor>(table[brush].color)});
            break;
        }
        case 22: // EMR_SETTEXTALIGN
            align = U32(emf, p);
            break;
        case 24: // EMR_SETTEXTCOLOR
            textColor = U32(emf, p);
            break;
        case 25: // EMR_SETBKCOLOR
            background = U32(emf, p);
            break;
        case 18: // EMR_SETBKMODE
            mode = U32(emf, p);
            break;
        case 84: { // EMR_EXTTEXTOUTW
            EXPECT_EQ(align, 0u);
            EXPECT_EQ(mode, 2u);
            EXPECT_TRUE(textColor && background);
            EXPECT_EQ(U32(emf, p + 16), 1u);          // GM_COMPATIBLE
            EXPECT_EQ(U32(emf, p + 20), 0x41D3AAABu); // exScale 26.458334
            EXPECT_EQ(U32(emf, p + 24), 0x41D3AAABu);
            const int32_t x = I32(emf, p + 28), y = I32(emf, p + 32);
            const uint32_t n = U32(emf, p + 36);
            EXPECT_EQ(U32(emf, p + 40), 76u); // offString
            EXPECT_EQ(U32(emf, p + 44), 2u);  // ETO_OPAQUE
            const int32_t left = I32(emf, p + 48), top = I32(emf, p + 52);
            const int32_t right = I32(emf, p + 56), bottom = I32(emf, p + 60);
            const uint32_t offDx = U32(emf, p + 64);
            EXPECT_EQ(std::make_tuple(left, top), std::make_tuple(x, y));
            // rclBounds: the same box, inclusive
            EXPECT_EQ(std::make_tuple(I32(emf, p), I32(emf, p + 4), I32(emf, p + 8), I32(emf, p + 12)),
                      std::make_tuple(left, top, right - 1, bottom - 1));
            EXPECT_EQ(offDx, 76 + (2 * n + 2 + 3) / 4 * 4);
            EXPECT_EQ(r.size, offDx + 4 * n) << "offDx inside the record, Dx at its end";
            EXPECT_EQ(U16(emf, r.at + 76 + 2 * n), 0u) << "string NUL";
            std::vector<int32_t> dx;
            int32_t sum = 0;
            for (uint32_t i = 0; i < n; ++i) {
                dx.push_back(I32(emf, r.at + offDx + 4 * i));
                sum += dx.back();
            }
            EXPECT_EQ(sum, right - left) << "Dx sums to the box width";
            const Object& f = table[font];
            drawn.texts.push_back(Drawn::Text{x,
                                              y,
                                              right - left,
                                              bottom - top,
                                              Utf16(emf, r.at + 76, n),
                                              {},
                                              dx,
                                              *textColor,
                                              *background,
                                              f.height,
                                              f.weight,
                                              f.face,
                                              {}});
            break;
        }
        case 1:
        case 14:
            break;
        default:
            ADD_FAILURE() << "unexpected record " << r.type;
        }
    }
    EXPECT_TRUE(table.empty()) << "objects left undeleted";
    EXPECT_EQ(handles, highest + 1) << "nHandles";
    return drawn;
}

void ExpectSameFills(const std::vector<MetaFill>& got, const std::vector<MetaFill>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(std::make_tuple(got[i].left, got[i].top, got[i].right, got[i].bottom, got[i].color),
                  std::make_tuple(want[i].left, want[i].top, want[i].right, want[i].bottom, want[i].color))
            << "fill " << i;
}

TEST(Emf, WorkedExampleHasTheRecommendedLayout) {
    const Bytes emf = WriteEmf(WorkedExample());
    EXPECT_EQ(emf.size(), 1024u);
    EXPECT_EQ(EmfRecords(emf).size(), 28u);
    EXPECT_EQ(U16(emf, 56), 4u); // nHandles
    const Bytes head = {0x01, 0x00, 0x00, 0x00, 0x88, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                        0x00, 0x00, 0x00, 0x00, 0xC7, 0x00, 0x00, 0x00, 0x77, 0x00, 0x00, 0x00,
                        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xAC, 0x14, 0x00, 0x00,
                        0x67, 0x0C, 0x00, 0x00, 0x20, 0x45, 0x4D, 0x46, 0x00, 0x00, 0x01, 0x00};
    EXPECT_EQ(Bytes(emf.begin(), emf.begin() + 48), head);
    // Reference device 1920 x 1440 px = 508 x 381 mm, description "Zarvo\0Symbol\0\0"
    EXPECT_EQ(std::make_tuple(I32(emf, 72), I32(emf, 76), I32(emf, 80), I32(emf, 84)),
              std::make_tuple(1920, 1440, 508, 381));
    EXPECT_EQ(std::make_tuple(U32(emf, 60), U32(emf, 64)), std::make_tuple(14u, 108u));
    EXPECT_EQ(Utf16(emf, 108, 14), std::u16string(u"Zarvo\0Symbol\0\0", 14));
    // The first records: NULL_PEN, then the background brush
    EXPECT_EQ(std::make_tuple(U32(emf, 136), U32(emf, 144)), std::make_tuple(37u, 0x80000008u));
}

TEST(Emf, RecordsReplayToThePictureDrawn) {
    for (const Metafile& metafile : {WorkedExample(), Assorted()}) {
        const Bytes emf = WriteEmf(metafile);
        const Drawn drawn = PlayEmf(emf);
        const Drawn want = Expected(metafile, false);
        // rclFrame in 0.01 mm, rclBounds in pixels
        EXPECT_EQ(
            std::make_tuple(I32(emf, 24), I32(emf, 28), I32(emf, 32), I32(emf, 36)),
            std::make_tuple(0, 0, (metafile.Width * 2540 + 48) / 96, (metafile.Height * 2540 + 48) / 96));
        EXPECT_EQ(std::make_tuple(I32(emf, 16), I32(emf, 20)),
                  std::make_tuple(metafile.Width - 1, metafile.Height - 1));
        ExpectSameFills(drawn.fills, want.fills);
        ASSERT_EQ(drawn.texts.size(), want.texts.size());
        for (size_t i = 0; i < want.texts.size(); ++i) {
            const Drawn::Text& got = drawn.texts[i];
            const Drawn::Text& w = want.texts[i];
            EXPECT_EQ(std::make_tuple(got.x, got.y, got.width, got.height),
                      std::make_tuple(w.x, w.y, w.width, w.height));
            EXPECT_TRUE(got.units == w.units) << "text " << i;
            EXPECT_EQ(got.dx, w.dx);
            EXPECT_EQ(std::make_tuple(got.color, got.background), std::make_tuple(w.color, w.background));
            EXPECT_EQ(std::make_tuple(got.fontHeight, got.weight), std::make_tuple(-12, w.weight));
            EXPECT_TRUE(got.face == u"ＭＳ Ｐゴシック") << "text " << i;
        }
    }
}

TEST(Emf, ManyColoursKeepTheObjectTableSmall) {
    Metafile metafile;
    metafile.Width = 300;
    metafile.Height = 10;
    MetafileCanvas canvas(metafile);
    for (int i = 0; i < 100; ++i)
        canvas.FillRect(3 * i, 0, 3 * i + 3, 10, static_cast<TColor>(i * 0x020301));
    const Bytes emf = WriteEmf(metafile);
    const Drawn drawn = PlayEmf(emf);
    ExpectSameFills(drawn.fills, Expected(metafile, false).fills);
    EXPECT_LE(U16(emf, 56), 40u);
}

// ---- WMF ----

struct WmfRecord {
    uint32_t function;
    size_t at; // of the record's first byte
    uint32_t words;
};

std::vector<WmfRecord> WmfRecords(const Bytes& wmf) {
    std::vector<WmfRecord> records;
    for (size_t at = 22 + 18; at + 6 <= wmf.size();) {
        const WmfRecord r{U16(wmf, at + 4), at, U32(wmf, at)};
        if (r.words < 3 || at + 2 * r.words > wmf.size()) {
            ADD_FAILURE() << "record " << std::hex << r.function << " at " << std::dec << at
                          << " runs past the end";
            break;
        }
        records.push_back(r);
        at += 2 * r.words;
    }
    return records;
}

Drawn PlayWmf(const Bytes& wmf, int width, int height) {
    Drawn drawn;
    // Placeable header: key, bounding box, 96 units per inch, checksum
    EXPECT_EQ(U32(wmf, 0), 0x9AC6CDD7u);
    EXPECT_EQ(std::make_tuple(I16(wmf, 6), I16(wmf, 8), I16(wmf, 10), I16(wmf, 12), U16(wmf, 14)),
              std::make_tuple(0, 0, width, height, 96u));
    uint32_t checksum = 0;
    for (size_t i = 0; i < 20; i += 2)
        checksum ^= U16(wmf, i);
    EXPECT_EQ(U16(wmf, 20), checksum);
    // META_HEADER
    EXPECT_EQ(std::make_tuple(U16(wmf, 22), U16(wmf, 24), U16(wmf, 26)), std::make_tuple(1u, 9u, 0x0300u));
    EXPECT_EQ(wmf.size() % 2, 0u);
    EXPECT_EQ(U32(wmf, 28), (wmf.size() - 22) / 2);
    const uint32_t objects = U16(wmf, 32);
    const std::vector<WmfRecord> records = WmfRecords(wmf);
    uint32_t largest = 0;
    for (const WmfRecord& r : records)
        largest = std::max(largest, r.words);
    EXPECT_EQ(U32(wmf, 34), largest); // MaxRecord
    EXPECT_FALSE(records.empty());
    if (records.empty())
        return drawn;
    EXPECT_EQ(std::make_tuple(records.back().function, records.back().words), std::make_tuple(0u, 3u));
    EXPECT_EQ(records.back().at + 6, wmf.size());

    enum Kind { Pen, Brush, Font };
    struct Object {
        Kind kind;
        uint32_t color;
        int32_t height, weight;
        std::string face;
    };
    std::map<uint32_t, Object> table;
    uint32_t highest = 0;
    std::optional<uint32_t> pen, brush, font, textColor, background;
    uint32_t align = 0xFFFF, mode = 0;
    bool windowSet = false;
    const auto create = [&](Object object) {
        uint32_t lowest = 0;
        while (table.count(lowest))
            ++lowest;
        highest = std::max(highest, lowest);
        table[lowest] = object;
    };
    for (const WmfRecord& r : records) {
        const size_t p = r.at + 6;
        switch (r.function) {
        case 0x020B: // META_SETWINDOWORG
            EXPECT_EQ(std::make_tuple(I16(wmf, p), I16(wmf, p + 2)), std::make_tuple(0, 0));
            break;
        case 0x020C: // META_SETWINDOWEXT: y, x
            EXPECT_EQ(std::make_tuple(I16(wmf, p), I16(wmf, p + 2)), std::make_tuple(height, width));
            windowSet = true;
            break;
        case 0x02FA: // META_CREATEPENINDIRECT
            EXPECT_EQ(r.words, 8u);
            EXPECT_EQ(U16(wmf, p), 5u); // PS_NULL
            create(Object{Pen, 0, 0, 0, {}});
            break;
        case 0x02FC: // META_CREATEBRUSHINDIRECT
            EXPECT_EQ(r.words, 7u);
            EXPECT_EQ(U16(wmf, p), 0u); // BS_SOLID
            create(Object{Brush, U32(wmf, p + 2), 0, 0, {}});
            break;
        case 0x02FB: { // META_CREATEFONTINDIRECT
            EXPECT_EQ(r.words, 28u);
            EXPECT_EQ(wmf[p + 13], 128); // CharSet SHIFTJIS
            std::string face(reinterpret_cast<const char*>(&wmf[p + 18]), 32);
            face.resize(face.find('\0'));
            create(Object{Font, 0, I16(wmf, p), I16(wmf, p + 8), face});
            break;
        }
        case 0x012D: { // META_SELECTOBJECT
            const uint32_t index = U16(wmf, p);
            if (!table.count(index)) {
                ADD_FAILURE() << "selects object " << index << " that does not exist";
                return drawn;
            }
            const Kind kind = table[index].kind;
            (kind == Pen ? pen : kind == Brush ? brush : font) = index;
            break;
        }
        case 0x01F0: { // META_DELETEOBJECT
            const uint32_t index = U16(wmf, p);
            EXPECT_TRUE(table.count(index));
            EXPECT_TRUE(index != pen && index != brush && index != font) << "deletes a selected object";
            table.erase(index);
            break;
        }
        case 0x061D: // META_PATBLT: rop, height, width, y, x
            EXPECT_EQ(r.words, 9u);
            EXPECT_EQ(U32(wmf, p), 0x00F00021u);
            EXPECT_TRUE(windowSet);
            if (!brush) {
                ADD_FAILURE() << "a fill without a brush";
                return drawn;
            }
            drawn.fills.push_back(
                MetaFill{I16(wmf, p + 10), I16(wmf, p + 8), I16(wmf, p + 10) + I16(wmf, p + 6),
                         I16(wmf, p + 8) + I16(wmf, p + 4), static_cast<TColor>(table[*brush].color)});
            break;
        case 0x012E: // META_SETTEXTALIGN
            align = U16(wmf, p);
            break;
        case 0x0209: // META_SETTEXTCOLOR
            textColor = U32(wmf, p);
            break;
        case 0x0201: // META_SETBKCOLOR
            background = U32(wmf, p);
            break;
        case 0x0102: // META_SETBKMODE
            mode = U16(wmf, p);
            break;
        case 0x0A32: { // META_EXTTEXTOUT: y, x, length, options, rect, string, dx
            EXPECT_EQ(align, 0u);
            EXPECT_EQ(mode, 2u);
            EXPECT_TRUE(textColor && background && font);
            const int32_t y = I16(wmf, p), x = I16(wmf, p + 2);
            const auto length = static_cast<size_t>(I16(wmf, p + 4));
            EXPECT_EQ(U16(wmf, p + 6), 2u); // ETO_OPAQUE: the rectangle follows
            const int32_t left = I16(wmf, p + 8), top = I16(wmf, p + 10);
            const int32_t right = I16(wmf, p + 12), bottom = I16(wmf, p + 14);
            EXPECT_EQ(std::make_tuple(left, top), std::make_tuple(x, y));
            const size_t padded = (length + 1) / 2 * 2;
            EXPECT_EQ(r.words, 7 + 4 + padded / 2 + length) << "one Dx per byte";
            const std::string text(reinterpret_cast<const char*>(&wmf[p + 16]), length);
            const auto dxAt = [&](size_t i) { return I16(wmf, p + 16 + padded + 2 * i); };
            int32_t sum = 0;
            for (size_t i = 0; i < length; ++i)
                sum += dxAt(i);
            // Per character: the lead byte carries the advance, the trail byte 0
            std::vector<int32_t> dx;
            for (size_t i = 0; i < length;) {
                const auto b = static_cast<uint8_t>(text[i]);
                const bool pair = ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) && i + 1 < length;
                dx.push_back(dxAt(i));
                if (pair) {
                    EXPECT_EQ(dxAt(i + 1), 0) << "trail byte at " << i + 1;
                }
                i += pair ? 2 : 1;
            }
            EXPECT_EQ(sum, right - left) << "Dx sums to the box width";
            const Object& f = table[*font];
            drawn.texts.push_back(Drawn::Text{x,
                                              y,
                                              right - left,
                                              bottom - top,
                                              {},
                                              text,
                                              dx,
                                              *textColor,
                                              *background,
                                              f.height,
                                              f.weight,
                                              {},
                                              f.face});
            break;
        }
        case 0x0000:
            break;
        default:
            ADD_FAILURE() << "unexpected record " << std::hex << r.function;
        }
    }
    EXPECT_EQ(objects, highest + 1) << "NumberOfObjects";
    return drawn;
}

TEST(Wmf, WorkedExampleHasTheRecommendedLayout) {
    const Bytes wmf = WriteWmf(WorkedExample());
    EXPECT_EQ(wmf.size(), 454u);
    EXPECT_EQ(U32(wmf, 28), 216u); // Size in words
    EXPECT_EQ(U16(wmf, 32), 4u);   // NumberOfObjects
    EXPECT_EQ(U32(wmf, 34), 29u);  // MaxRecord: the text
    const Bytes head = {0xD7, 0xCD, 0xC6, 0x9A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC8,
                        0x00, 0x78, 0x00, 0x60, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC1, 0x57};
    EXPECT_EQ(Bytes(wmf.begin(), wmf.begin() + 22), head);
    const std::vector<WmfRecord> records = WmfRecords(wmf);
    ASSERT_GE(records.size(), 3u);
    EXPECT_EQ(records[0].function, 0x020Bu); // window origin, then extent, first
    EXPECT_EQ(records[1].function, 0x020Cu);
}

TEST(Wmf, RecordsReplayToThePictureDrawn) {
    for (const Metafile& metafile : {WorkedExample(), Assorted()}) {
        const Bytes wmf = WriteWmf(metafile);
        const Drawn drawn = PlayWmf(wmf, metafile.Width, metafile.Height);
        const Drawn want = Expected(metafile, true);
        ExpectSameFills(drawn.fills, want.fills);
        ASSERT_EQ(drawn.texts.size(), want.texts.size());
        for (size_t i = 0; i < want.texts.size(); ++i) {
            const Drawn::Text& got = drawn.texts[i];
            const Drawn::Text& w = want.texts[i];
            EXPECT_EQ(std::make_tuple(got.x, got.y, got.width, got.height),
                      std::make_tuple(w.x, w.y, w.width, w.height));
            EXPECT_EQ(got.bytes, w.bytes) << "text " << i;
            EXPECT_EQ(got.dx, w.dx);
            EXPECT_EQ(std::make_tuple(got.color, got.background), std::make_tuple(w.color, w.background));
            EXPECT_EQ(std::make_tuple(got.fontHeight, got.weight), std::make_tuple(-12, w.weight));
            EXPECT_EQ(got.faceBytes, kMsPGothic);
        }
    }
}

TEST(Wmf, ManyColoursKeepTheObjectTableSmall) {
    Metafile metafile;
    metafile.Width = 300;
    metafile.Height = 10;
    MetafileCanvas canvas(metafile);
    for (int i = 0; i < 100; ++i)
        canvas.FillRect(3 * i, 0, 3 * i + 3, 10, static_cast<TColor>(i * 0x020301));
    const Bytes wmf = WriteWmf(metafile);
    const Drawn drawn = PlayWmf(wmf, 300, 10);
    ExpectSameFills(drawn.fills, Expected(metafile, true).fills);
    EXPECT_LE(U16(wmf, 32), 40u);
}

TEST(MetafileFiles, PicturesTheFormatsCannotHoldAreRefused) {
    Metafile empty;
    EXPECT_THROW(WriteEmf(empty), ImageError);
    EXPECT_THROW(WriteWmf(empty), ImageError);
    Metafile wide;
    wide.Width = 32768;
    wide.Height = 10;
    MetafileCanvas(wide).FillRect(0, 0, 32768, 10, clBlack);
    EXPECT_THROW(WriteWmf(wide), ImageError);
    EXPECT_NO_THROW(WriteEmf(wide));
    wide.Width = 32767;
    EXPECT_NO_THROW(WriteWmf(wide));
}

} // namespace
