// The drawing operations the symbol drawing paints through, onto a bitmap or a metafile.
#pragma once

#include "component/picture/bitmap.h"
#include "component/picture/color.h"
#include "component/picture/metafile.h"
#include "component/picture/text.h"

#include <QImage>
#include <QPainter>
#include <QSize>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zarvo::component {

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

} // namespace zarvo::component
