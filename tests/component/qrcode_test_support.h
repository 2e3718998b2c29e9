// Helpers of the symbol component's tests: pixels of the picture, an event recorder, a decoder.
#pragma once

#define ZX_USE_UTF8 1 // the non-deprecated Result API

#include "component/qrcode.h"
#include "tests/component/symbol_picture.h"

#include <QImage>
#include <ZXing/ReadBarcode.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace zarvo::component::qrtest {

// CP932 bytes of ＭＳ Ｐゴシック and 漢字.
inline const std::string kMsPGothic = "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";
inline const std::string kKanji = "\x8A\xBF\x8E\x9A";

inline constexpr QRgb kWhite = 0xFFFFFFFFu;
inline constexpr QRgb kBlack = 0xFF000000u;
inline constexpr QRgb kRed = 0xFFFF0000u;

// The bitmap the component holds; fails the test when it holds none.
inline const Bitmap& BitmapOf(const TQRCode& q) {
    static const Bitmap none;
    const auto* bitmap = std::get_if<Bitmap>(&q.Picture());
    EXPECT_NE(bitmap, nullptr) << "the picture holds no bitmap";
    return bitmap ? *bitmap : none;
}

// The colour of a 32-bit bitmap's pixel (opaque).
inline QRgb Pixel(const Bitmap& bitmap, int x, int y) {
    const uint8_t* p = bitmap.Row(y) + static_cast<size_t>(x) * 4;
    return qRgb(p[2], p[1], p[0]);
}

// A 32-bit bitmap of one colour.
inline Bitmap Filled(int width, int height, QRgb color) {
    Bitmap bitmap(width, height, 32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = bitmap.Row(y) + static_cast<size_t>(x) * 4;
            p[0] = static_cast<uint8_t>(qBlue(color));
            p[1] = static_cast<uint8_t>(qGreen(color));
            p[2] = static_cast<uint8_t>(qRed(color));
        }
    return bitmap;
}

// Height of a text's box in a font, as the drawing measures it.
inline int TextHeight(const std::string& text, const TFont& font) {
    Bitmap scratch(1, 1, 32);
    BitmapCanvas canvas(scratch);
    return canvas.TextExtent(text, font).height();
}

inline int TextWidth(const std::string& text, const TFont& font) {
    Bitmap scratch(1, 1, 32);
    BitmapCanvas canvas(scratch);
    return canvas.TextExtent(text, font).width();
}

// The bytes zxing-cpp reads from the image; empty when it finds no QR code.
inline std::string Decode(const QImage& image) {
    const std::vector<uint8_t> bytes = picture_test::ZxingBytes(image);
    return std::string(bytes.begin(), bytes.end());
}

// Records the four events as "Name" (+ "/watch" when Watch is true).
struct EventLog {
    std::vector<std::string> events;

    void Attach(TQRCode& q) {
        const auto add = [this](const char* name) {
            return [this, name](TQRCode*, bool watch) {
                events.push_back(std::string(name) + (watch ? "/watch" : ""));
            };
        };
        q.SetOnChangeCode(add("ChangeCode"));
        q.SetOnPaintSymbol(add("PaintSymbol"));
        q.SetOnPaintedSymbol(add("PaintedSymbol"));
        q.SetOnChangedCode(add("ChangedCode"));
    }
    int Count(const std::string& name) const {
        int n = 0;
        for (const auto& e : events)
            n += e == name ? 1 : 0;
        return n;
    }
};

} // namespace zarvo::component::qrtest
