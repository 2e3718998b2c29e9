// Fonts and text: the font description the pictures keep, and the layout and drawing of CP932
// text that is the same on every painter.
#pragma once

#include "component/picture/color.h"

#include <QFont>
#include <QPainter>
#include <QRawFont>
#include <QString>
#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace zarvo::component {

// A font description: face name (CP932 bytes), size in points, style set, colour, character set.
struct TFont {
    std::string Name; // CP932
    int32_t Size = 9; // points; pixels = Size * 96 / 72 (9 pt = 12 px)
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    TColor Color = clWindowText;
    int32_t Charset = 128; // SHIFTJIS_CHARSET
    int32_t Pitch = 0;     // 0 default, 1 variable, 2 fixed
    // Character (em) height in pixels at 96 dpi.
    int32_t PixelHeight() const { return (Size * 96 + 36) / 72; }
    bool operator==(const TFont& o) const;
};

// The QFont of a font description at 96 dpi. The Windows faces "ＭＳ Ｐゴシック" and "ＭＳ ゴシック"
// map to IPAPGothic and IPAGothic so that metrics match the layout's 12-pixel design.
QFont ToQFont(const TFont& font);

// Registers the face substitutions above with Qt; safe to call more than once.
void InstallFontSubstitutions();

// A CP932 text as it is drawn in a font: its characters (one UTF-16 unit each; bytes that do not
// decode show as U+FFFD), the CP932 bytes each came from (1 or 2), each one's advance in pixels
// (they sum to Width), and the box: Width x Height (the font's ascent + descent) with the
// baseline Ascent pixels below the top. An empty text lays out as 0 x 0.
struct TextLayout {
    QString Text;
    std::vector<int32_t> Bytes;
    std::vector<int32_t> Advances;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t Ascent = 0;
    // The glyph of each character in the font's face; empty when the face lacks one of them and
    // Qt's own text layout (with its font fallback) draws the text.
    std::vector<uint32_t> Glyphs;
};

// Lays out and draws CP932 text in one font alike on every painter (bitmap, screen, printer):
// each character at the whole-pixel position its advances add up to, so the glyphs sit where the
// metafiles' advance (Dx) arrays put them, and the box is the same everywhere. Needs a
// QGuiApplication, as every font does.
class TextPainter {
  public:
    explicit TextPainter(const TFont& font);
    const TFont& Font() const { return font_; }
    TextLayout LayOut(const std::string& text) const;
    // The same into a layout whose buffers are reused.
    void LayOut(const std::string& text, TextLayout& layout) const;
    // Draws the glyphs of a text laid out in this font in the font's colour, the box's top-left
    // at (x, y); the box itself is the caller's to fill.
    void DrawGlyphs(QPainter& painter, int x, int y, const TextLayout& layout) const;

  private:
    // A character of the font's face: its UTF-16 unit, glyph and advance (fractional pixels).
    struct FaceChar {
        QChar unit;
        uint32_t glyph = 0; // 0: the face lacks it, or its bytes do not decode to one unit
        qreal advance = 0;
    };
    // The face's character of 1 or 2 CP932 bytes, looked up once per painter.
    const FaceChar& CharOf(const char* bytes, int32_t count) const;
    // LayOut from the characters alone; false when one of them is not in the face.
    bool LayOutFaceChars(const std::string& text, TextLayout& layout) const;

    TFont font_;
    QFont qfont_;
    QRawFont raw_;
    int32_t height_, ascent_;
    mutable std::array<FaceChar, 256> singles_{};          // single-byte characters
    mutable std::array<bool, 256> singleKnown_{};          // whether singles_ holds the byte's character
    mutable std::unordered_map<uint32_t, FaceChar> chars_; // double-byte ones
};

// TextPainter(font).LayOut(text).
TextLayout LayOutText(const std::string& text, const TFont& font);

} // namespace zarvo::component
