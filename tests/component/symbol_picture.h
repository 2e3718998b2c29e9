// A symbol picture drawn the way the component draws one (background, one rectangle per dark
// run, a comment in an opaque box) on any canvas, and zxing-cpp as the reader that judges the
// image files made from it.
#pragma once

#define ZX_USE_UTF8 1 // the non-deprecated Result API

#include "component/picture/canvas.h"
#include "component/picture/picture.h"
#include "encoder/encoder.h"
#include "tests/support/read_qr.h"

#include <QImage>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace zarvo::component::picture_test {

// Little-endian fields of a file's bytes.
inline uint32_t U16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint32_t>(b.at(at) | b.at(at + 1) << 8);
}
inline uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return U16(b, at) | U16(b, at + 2) << 16;
}

// CP932 bytes of 上のコメント and ＭＳ Ｐゴシック.
inline const std::string kComment = "\x8F\xE3\x82\xCC\x83\x52\x83\x81\x83\x93\x83\x67";
inline const std::string kMsPGothic = "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";
// Data with 8-bit, kanji and binary bytes, so that a reader returning the text it guessed instead
// of the bytes would fail.
inline const std::string kData =
    std::string("Zarvo \x8F\xE3\x82\xCC 0123456789 ") + std::string("\x01\xFF\x00~", 4);

// The comment font of the main window: ＭＳ Ｐゴシック, 9 pt = 12 px, window-text colour.
inline TFont CommentFont() {
    TFont font;
    font.Name = kMsPGothic;
    font.Size = 9;
    return font;
}

// Encodes the bytes as one symbol of the version and level (automatic mode and mask).
inline void EncodeSymbol(encoder::SymbolEncoder& enc, const std::string& data, int version, int level = 1) {
    enc.Version = version;
    enc.Eclevel = level;
    enc.SetPiece(reinterpret_cast<const uint8_t*>(data.data()), static_cast<int32_t>(data.size()));
    ASSERT_TRUE(enc.EncodeOne()) << "the test data does not fit version " << version;
}

// Where things land: a frame of Width x Height with the comment band on top, then the symbol
// with its 4-module quiet zone; the first module's corner at (ModuleLeft, ModuleTop).
struct SymbolLayout {
    int Width, Height;
    int ModuleLeft, ModuleTop;
    int Pixels, Side;
};

inline SymbolLayout LayoutOf(const encoder::SymbolEncoder& enc, int pixels, bool withComment) {
    const int side = enc.Side();
    const int band = withComment ? 16 : 0;
    const int area = (side + 8) * pixels;
    return SymbolLayout{area, band + area, 4 * pixels, band + 4 * pixels, pixels, side};
}

// Paints the symbol last encoded: the background, each run of dark modules in a row as one
// rectangle, and the comment (when given) at (pixels, 2) in the comment font.
inline SymbolLayout PaintSymbol(Canvas& canvas, const encoder::SymbolEncoder& enc, int pixels,
                                const std::string& comment = std::string()) {
    const SymbolLayout layout = LayoutOf(enc, pixels, !comment.empty());
    canvas.FillRect(0, 0, layout.Width, layout.Height, clWhite);
    for (int r = 0; r < layout.Side; ++r) {
        for (int c = 0; c < layout.Side;) {
            if (!enc.Dark(r, c)) {
                ++c;
                continue;
            }
            int end = c;
            while (end < layout.Side && enc.Dark(r, end))
                ++end;
            canvas.FillRect(layout.ModuleLeft + c * pixels, layout.ModuleTop + r * pixels,
                            layout.ModuleLeft + end * pixels, layout.ModuleTop + (r + 1) * pixels, clBlack);
            c = end;
        }
    }
    if (!comment.empty())
        canvas.TextOut(pixels, 2, comment, CommentFont(), clWhite);
    return layout;
}

// The bytes zxing-cpp reads from the image; empty when it finds no QR code.
inline std::vector<uint8_t> ZxingBytes(const QImage& image) {
    const ZXing::Result result = testsupport::ReadQrCode(image);
    if (!result.isValid())
        return std::vector<uint8_t>();
    return std::vector<uint8_t>(result.bytes().begin(), result.bytes().end());
}

inline std::vector<uint8_t> BytesOf(const std::string& s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}

} // namespace zarvo::component::picture_test
