// The component's picture layer: what stands in for the Windows graphics device interface.
//
// A picture is empty, a device-independent bitmap, or a recorded metafile. The symbol drawing
// paints through the Canvas interface onto either; a metafile plays back onto any QPainter at any
// scale (screen, preview, printer) and is written as EMF or placeable WMF. QtGui only.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <QRgb>
#include <QSize>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

namespace zarvo::component {

// An image that could not be encoded or a file that could not be written; what() names the file
// (when there is one) and the reason.
class ImageError : public std::runtime_error {
  public:
    explicit ImageError(const std::string& message) : std::runtime_error(message) {}
};

// A colour value: 0x00BBGGRR (red in the low byte); a value with the top bit set names a system
// colour (0x80000000 | index, e.g. 0x80000008 = the window-text colour).
using TColor = int32_t;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clWindowText = static_cast<TColor>(0x80000008u);

// The RGB of a colour value; system colours resolve through the application palette (window
// text, window, button face ...), with the Windows defaults when no application runs.
QRgb ResolveColor(TColor color);
// The Windows COLORREF (0x00BBGGRR) of a colour value, system colours resolved.
uint32_t ToColorRef(TColor color);

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

namespace detail {
// Memory for pixel rows. Large blocks are advised to be backed by huge pages: painting a picture
// of hundreds of megabytes then takes a few hundred page faults instead of a hundred thousand.
void* AllocatePixels(size_t bytes);
void FreePixels(void* block, size_t bytes) noexcept;

template <typename T> struct PixelAllocator {
    using value_type = T;
    PixelAllocator() = default;
    template <typename U> PixelAllocator(const PixelAllocator<U>&) {}
    T* allocate(size_t n) { return static_cast<T*>(AllocatePixels(n * sizeof(T))); }
    void deallocate(T* block, size_t n) noexcept { FreePixels(block, n * sizeof(T)); }
    friend bool operator==(const PixelAllocator&, const PixelAllocator&) { return true; }
    friend bool operator!=(const PixelAllocator&, const PixelAllocator&) { return false; }
};
} // namespace detail

// A device-independent bitmap: rows top-down, each padded to 4 bytes; 1, 4, 8, 16, 24 or 32 bits
// per pixel (other depths can be held but are never rotated). 32-bit pixels are B, G, R, x bytes,
// 24-bit B, G, R; 1/4/8-bit pixels index the palette (most significant bits first); 16-bit are
// x1R5G5B5.
class Bitmap {
  public:
    Bitmap() = default;
    // A bitmap of the given size and depth, all bits zero (black at 32 bits); 1, 4 and 8 bits
    // per pixel get a grey ramp from black (index 0) to white as palette. Negative sizes count as
    // 0. Throws std::invalid_argument for a depth outside 1..64, std::length_error when a row or
    // the whole would not fit in memory's address range.
    Bitmap(int width, int height, int bitsPerPixel);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int BitsPerPixel() const { return bpp_; }
    bool IsEmpty() const { return width_ <= 0 || height_ <= 0; }
    // Bytes per row, a multiple of 4.
    int Stride() const { return stride_; }
    uint8_t* Row(int y) { return bits_.data() + static_cast<size_t>(y) * static_cast<size_t>(stride_); }
    const uint8_t* Row(int y) const {
        return bits_.data() + static_cast<size_t>(y) * static_cast<size_t>(stride_);
    }
    std::vector<QRgb> Palette; // entries for 1, 4 and 8 bits per pixel

    // A QImage that shares this bitmap's bits (Format_RGB32); only for 32 bits per pixel, and
    // valid until the bitmap is resized or destroyed. The canvas paints through it.
    QImage View();
    // A copy as a QImage (RGB32) for any supported depth.
    QImage ToImage() const;
    // The 32-bit bitmap of an image.
    static Bitmap FromImage(const QImage& image);

    bool operator==(const Bitmap& o) const;

  private:
    int width_ = 0;
    int height_ = 0;
    int bpp_ = 32;
    int stride_ = 0;
    std::vector<uint8_t, detail::PixelAllocator<uint8_t>> bits_;
};

// Pixel-exact turns and mirror of any supported depth (1, 4, 8, 16, 24, 32 bits); the palette is
// copied. angle 90: (x, y) of the result from (y, h - 1 - x), a quarter turn clockwise; 180: from
// (w - 1 - x, h - 1 - y); 270: from (w - 1 - y, x). Other depths are returned unchanged.
Bitmap RotateBitmap(const Bitmap& source, int angle);
// (x, y) of the result from (w - 1 - x, y).
Bitmap MirrorBitmap(const Bitmap& source);

// A recorded drawing: a frame of Width x Height pixels, filled rectangles and opaque texts.
struct MetaFill {
    int32_t left, top, right, bottom; // left/top included, right/bottom excluded
    TColor color;
};
struct MetaText {
    int32_t x, y;     // top-left of the text box
    std::string text; // CP932
    TFont font;
    TColor background; // the opaque box behind the text
};
struct Metafile {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<std::variant<MetaFill, MetaText>> Records;

    bool IsEmpty() const { return Width <= 0 || Height <= 0; }
    // Plays the records onto the painter, frame pixel (0, 0) at target's top-left, scaled so that
    // the frame fills target.
    void Play(QPainter& painter, const QRectF& target) const;
    // Renders at one device pixel per frame pixel, on white; a null image when it cannot be
    // allocated.
    QImage ToImage() const;
};

// The enhanced metafile (EMF) and placeable Windows metafile (WMF) files of a metafile, written as
// the Windows formats define them (96 dpi: EMF frame in 0.01 mm, WMF placeable header at 96
// logical units per inch; texts in UTF-16 / CP932). Both throw ImageError for an empty metafile;
// WriteWmf also for a frame above 32767 pixels, which its 16-bit coordinates cannot reach.
std::vector<uint8_t> WriteEmf(const Metafile& metafile);
std::vector<uint8_t> WriteWmf(const Metafile& metafile);

// The drawing operations the symbol drawing uses.
class Canvas {
  public:
    virtual ~Canvas() = default;
    // Fills left..right-1 x top..bottom-1 with the colour.
    virtual void FillRect(int left, int top, int right, int bottom, TColor color) = 0;
    // Draws CP932 text with its box's top-left at (x, y) in the font and its colour, on an opaque
    // box of the background colour.
    virtual void TextOut(int x, int y, const std::string& text, const TFont& font, TColor background) = 0;
    // Width and height of the text's box in the font; an empty text measures 0 x 0.
    virtual QSize TextExtent(const std::string& text, const TFont& font) = 0;
};

// Paints onto a 32-bit bitmap (through QPainter for text). Throws std::invalid_argument for a
// bitmap of another depth.
class BitmapCanvas : public Canvas {
  public:
    explicit BitmapCanvas(Bitmap& bitmap);
    ~BitmapCanvas() override;
    void FillRect(int left, int top, int right, int bottom, TColor color) override;
    void TextOut(int x, int y, const std::string& text, const TFont& font, TColor background) override;
    QSize TextExtent(const std::string& text, const TFont& font) override;

    // FillRect, except that rows may stay unwritten until something needs them: this canvas's own
    // drawing settles the rows it touches first, Settle() or the destructor the rest. Whoever
    // writes the bitmap's rows directly settles them first with Settle(top, bottom). A large
    // picture then gets its background a band of rows at a time, just before the symbols painted
    // on the band, which finds it still in the cache. A second deferred fill settles the first.
    void DeferFill(int left, int top, int right, int bottom, TColor color);
    // Writes the deferred fill's rows among top..bottom-1 (all of them without arguments).
    void Settle(int top, int bottom);
    void Settle();

  private:
    struct DeferredFill {
        int left, top, right, bottom;
        uint32_t pixel;
        std::vector<bool> settled; // per band of kBandRows rows from top
    };
    // Whole rows, not tiles: the rows of a band stream into the cache, tiles of a few cache lines
    // each cost a miss apiece.
    static constexpr int kBandRows = 16;

    // Cuts the rectangle to the bitmap; false when nothing of it is left.
    bool Clip(int& left, int& top, int& right, int& bottom) const;
    void FillPixels(int left, int top, int right, int bottom, uint32_t pixel);
    // Draws a laid-out text from images of its glyphs that the painter drew once on the
    // background colour (glyphs whose ink overlaps as one image, as the painter blends them), when
    // that gives the painter's very pixels: ink clear of other images' ink, and ink outside the
    // box only on pixels of the background colour. False, with nothing drawn, otherwise.
    bool DrawFromGlyphImages(int x, int y, const TextLayout& layout, const TFont& font, TColor background);
    // The text painter of the last font used: making one costs a font-database lookup.
    const TextPainter& PainterFor(const TFont& font);
    // The layout of a text in a font. The last two are kept: a cell's two comments are measured
    // first and drawn after.
    const TextLayout& LayOut(const std::string& text, const TFont& font);

    // Its buffers are kept from one text to the next.
    struct CachedLayout {
        bool Valid = false;
        std::string Text;
        TFont Font;
        TextLayout Layout;
    };

    Bitmap& bitmap_;
    QImage view_;
    std::optional<TextPainter> text_;
    std::array<CachedLayout, 2> layouts_;
    size_t nextLayout_ = 0;
    std::optional<DeferredFill> deferred_;
    // Begun at the first text and ended with the canvas (before view_ goes): beginning a painter
    // costs more than drawing a comment. The raster engine paints at once, so FillRect's direct
    // writes and the painter's never wait on each other.
    std::unique_ptr<QPainter> painter_;
};

// Records onto a metafile; text is measured as on the screen (96 dpi).
class MetafileCanvas : public Canvas {
  public:
    explicit MetafileCanvas(Metafile& metafile) : metafile_(metafile) {}
    void FillRect(int left, int top, int right, int bottom, TColor color) override;
    void TextOut(int x, int y, const std::string& text, const TFont& font, TColor background) override;
    QSize TextExtent(const std::string& text, const TFont& font) override;

  private:
    Metafile& metafile_;
    std::optional<TextPainter> text_; // of the last font measured
};

// The picture of the component: nothing, a bitmap or a metafile.
using Picture = std::variant<std::monostate, Bitmap, Metafile>;

} // namespace zarvo::component
