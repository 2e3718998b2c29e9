// The bitmap canvas: fills written band by band just before anything draws on them, and text
// copied from cached glyph images where that gives Qt's own pixels.
#include "component/picture/canvas.h"

#include "component/picture/cpu.h"
#include "shared/cp932.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QGuiApplication>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <sys/mman.h>
#include <unordered_map>
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace zarvo::component {

BitmapCanvas::BitmapCanvas(Bitmap& bitmap) : bitmap_(bitmap) {
    if (bitmap.BitsPerPixel() != 32)
        throw std::invalid_argument("a canvas needs a 32-bit bitmap, not " +
                                    std::to_string(bitmap.BitsPerPixel()) + " bits per pixel");
    view_ = bitmap_.View();
}

namespace {

uint32_t PixelOf(TColor color) {
    const QRgb rgb = ResolveColor(color);
    const uint8_t bytes[4] = {static_cast<uint8_t>(qBlue(rgb)), static_cast<uint8_t>(qGreen(rgb)),
                              static_cast<uint8_t>(qRed(rgb)), 0xFF};
    uint32_t pixel = 0;
    std::memcpy(&pixel, bytes, 4);
    return pixel;
}

// What the painter draws for a few glyphs at whole-pixel pen positions on a box of one background
// colour: the pixels they change (their ink), as a rectangle relative to the first glyph's pen
// position and the box's top. Glyphs without ink (a space) have width 0.
struct GlyphImage {
    bool composable = true; // false: the painter must draw these glyphs
    int left = 0, top = 0, width = 0, height = 0;
    // Rows of width pixels as the painter left them, each followed by kRowSlack unused ones: a
    // row is then read eight pixels at a time without running off the end.
    static constexpr int kRowSlack = 8;
    int stride = 0;
    std::vector<uint32_t> pixels;
};

// An ink rectangle relative to the text's box.
struct InkRect {
    int64_t left, top, right, bottom;
    bool Overlaps(const InkRect& o) const {
        return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
    }
};

// A glyph of a run: its index in the font and its pen position in the box.
struct RunGlyph {
    uint32_t glyph;
    int64_t pen;
};

// The images of glyphs and of runs of glyphs whose ink overlaps (their pixels blend onto each
// other) of one font (with its colour) on one background colour, made as they are first met.
class GlyphImages {
  public:
    GlyphImages(const TextPainter& painter, QRgb background)
        : painter_(painter), dark_(WithColor(painter.Font(), clBlack)),
          light_(WithColor(painter.Font(), clWhite)), background_(background),
          pen_(ResolveColor(painter.Font().Color)) {}

    bool Matches(const TextPainter& painter, QRgb background) const {
        return background == background_ && painter.Font() == painter_.Font() &&
               ResolveColor(painter.Font().Color) == pen_;
    }

    // Bounds the memory; call it while no image is in use.
    void Trim() {
        if (images_.size() + singles_.size() >= kMaxImages) {
            images_.clear();
            singles_.clear();
        }
    }

    // The image of one glyph.
    const GlyphImage& Get(uint32_t glyph) {
        const auto found = singles_.find(glyph);
        if (found != singles_.end())
            return found->second;
        const RunGlyph alone{glyph, 0};
        return singles_.emplace(glyph, Make(&alone, 1)).first->second;
    }

    // The image of the glyphs drawn in this order, the first one's pen at 0.
    const GlyphImage& Get(const RunGlyph* glyphs, size_t count) {
        if (count == 1)
            return Get(glyphs->glyph);
        key_.clear();
        for (size_t i = 0; i < count; ++i) {
            const int64_t offset = glyphs[i].pen - glyphs[0].pen;
            key_.append(reinterpret_cast<const char*>(&glyphs[i].glyph), sizeof glyphs[i].glyph);
            key_.append(reinterpret_cast<const char*>(&offset), sizeof offset);
        }
        const auto found = images_.find(key_);
        if (found != images_.end())
            return found->second;
        return images_.emplace(key_, Make(glyphs, count)).first->second;
    }

    // Scratch of DrawFromGlyphImages.
    std::vector<RunGlyph> run;
    std::vector<InkRect> inks;
    std::vector<std::pair<const GlyphImage*, int64_t>> parts;

  private:
    static constexpr size_t kMaxImages = 8192;

    // The glyphs drawn three times: dark on light and light on dark find every pixel they touch
    // (any coverage moves a pixel off black or white), the third is the image.
    GlyphImage Make(const RunGlyph* glyphs, size_t count) {
        TextLayout layout;
        layout.Height = painter_.LayOut("x").Height;
        for (size_t i = 0; i < count; ++i) {
            layout.Text += QChar(u'x');
            layout.Glyphs.push_back(glyphs[i].glyph);
            layout.Advances.push_back(
                static_cast<int32_t>(i + 1 < count ? glyphs[i + 1].pen - glyphs[i].pen : 0));
        }
        const int64_t span = glyphs[count - 1].pen - glyphs[0].pen;
        const int em = std::max({layout.Height, 1, std::abs(painter_.Font().PixelHeight())});
        const int margin = 2 * em + 8;
        if (span < 0 || span > 16 * em)
            return Uncomposable();
        // Side by side on one scratch: dark on white, light on black, the real colours
        const int width = 2 * margin + em + static_cast<int>(span);
        const int height = 2 * margin + em;
        QImage scratch(3 * width, height, QImage::Format_RGB32);
        if (scratch.isNull())
            return Uncomposable();
        {
            QPainter painter(&scratch);
            const QRgb backgrounds[3] = {qRgb(255, 255, 255), qRgb(0, 0, 0), background_};
            const TextPainter* painters[3] = {&dark_, &light_, &painter_};
            for (int i = 0; i < 3; ++i)
                painter.fillRect(i * width, 0, width, height, QColor(backgrounds[i]));
            for (int i = 0; i < 3; ++i)
                painters[i]->DrawGlyphs(painter, i * width + margin, margin, layout);
        }
        int x0 = width, y0 = height, x1 = -1, y1 = -1;
        for (int y = 0; y < height; ++y) {
            const auto* w = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
            const auto* b = w + width;
            for (int x = 0; x < width; ++x) {
                if ((w[x] & 0xFFFFFFu) == 0xFFFFFFu && (b[x] & 0xFFFFFFu) == 0)
                    continue;
                x0 = std::min(x0, x);
                x1 = std::max(x1, x);
                y0 = std::min(y0, y);
                y1 = std::max(y1, y);
            }
        }
        GlyphImage result;
        if (x1 < 0)
            return result;
        if (x0 == 0 || y0 == 0 || x1 == width - 1 || y1 == height - 1)
            return Uncomposable(); // ink up to the scratch's edge may go on beyond it
        result.left = x0 - margin;
        result.top = y0 - margin;
        result.width = x1 - x0 + 1;
        result.height = y1 - y0 + 1;
        result.stride = result.width + GlyphImage::kRowSlack;
        result.pixels.resize(static_cast<size_t>(result.stride) * static_cast<size_t>(result.height));
        for (int y = y0; y <= y1; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(scratch.constScanLine(y)) + 2 * width;
            std::copy(row + x0, row + x1 + 1,
                      result.pixels.begin() + static_cast<ptrdiff_t>(y - y0) * result.stride);
        }
        return result;
    }

    // Glyphs whose ink the scratch cannot hold.
    static GlyphImage Uncomposable() {
        GlyphImage result;
        result.composable = false;
        return result;
    }

    static TFont WithColor(TFont font, TColor color) {
        font.Color = color;
        return font;
    }

    TextPainter painter_, dark_, light_;
    QRgb background_;
    QRgb pen_;
    std::string key_; // the glyphs and their offsets from the first one's pen, as raw bytes
    std::unordered_map<std::string, GlyphImage> images_; // of runs of two glyphs or more
    std::unordered_map<uint32_t, GlyphImage> singles_;
};

// The glyph images of the last few fonts and backgrounds: comments keep theirs over many
// drawings. One set per thread, as fonts are the thread's own.
GlyphImages& GlyphImagesFor(const TextPainter& painter, QRgb background) {
    static constexpr size_t kSets = 4;
    thread_local std::vector<std::unique_ptr<GlyphImages>> sets;
    for (size_t i = 0; i < sets.size(); ++i) {
        if (sets[i]->Matches(painter, background)) {
            std::rotate(sets.begin(), sets.begin() + static_cast<ptrdiff_t>(i),
                        sets.begin() + static_cast<ptrdiff_t>(i) + 1);
            return *sets.front();
        }
    }
    if (sets.size() >= kSets)
        sets.pop_back();
    sets.insert(sets.begin(), std::make_unique<GlyphImages>(painter, background));
    return *sets.front();
}

// The image's rectangle on the bitmap, clipped, relative to the image: the first glyph's pen at
// (x, top).
struct ImageClip {
    int64_t left, top, fromX, toX, fromY, toY;
    bool IsEmpty() const { return fromX >= toX || fromY >= toY; }
};
ImageClip ClipImage(const Bitmap& bitmap, const GlyphImage& image, int64_t x, int64_t top) {
    const int64_t left = x + image.left;
    const int64_t y0 = top + image.top;
    return {left,
            y0,
            std::max<int64_t>(0, -left),
            std::min<int64_t>(image.width, bitmap.Width() - left),
            std::max<int64_t>(0, -y0),
            std::min<int64_t>(image.height, bitmap.Height() - y0)};
}

#if defined(__x86_64__) || defined(__i386__)
// Glyph rows are a few pixels long: eight at a time, the last ones by a masked store, cost less
// than a call per row.
__attribute__((target("avx2"))) void CopyRowsAvx2(uint8_t* to, ptrdiff_t toStride, const uint32_t* from,
                                                  ptrdiff_t fromStride, int64_t rows, int64_t count) {
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i tail = _mm256_cmpgt_epi32(_mm256_set1_epi32(static_cast<int>(count % 8)), lanes);
    for (int64_t y = 0; y < rows; ++y, to += toStride, from += fromStride) {
        auto* out = reinterpret_cast<int*>(to);
        int64_t x = 0;
        for (; x + 8 <= count; x += 8)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x),
                                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + x)));
        if (x < count)
            _mm256_maskstore_epi32(out + x, tail,
                                   _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + x)));
    }
}

#endif

void CopyClipped(Bitmap& bitmap, const GlyphImage& image, int64_t x, int64_t top) {
    const ImageClip c = ClipImage(bitmap, image, x, top);
    if (c.IsEmpty())
        return;
    const int64_t count = c.toX - c.fromX;
    uint8_t* to = bitmap.Row(static_cast<int>(c.top + c.fromY)) + (c.left + c.fromX) * 4;
    const uint32_t* from = image.pixels.data() + c.fromY * image.stride + c.fromX;
#if defined(__x86_64__) || defined(__i386__)
    if (HasAvx2()) {
        CopyRowsAvx2(to, bitmap.Stride(), from, image.stride, c.toY - c.fromY, count);
        return;
    }
#endif
    for (int64_t y = c.fromY; y < c.toY; ++y, to += bitmap.Stride(), from += image.stride)
        std::memcpy(to, from, static_cast<size_t>(count) * 4);
}

// Whether every pixel of the image's rectangle outside the box left..right-1 x top..bottom-1
// holds the colour.
bool AroundBoxIs(const Bitmap& bitmap, const GlyphImage& image, int64_t x, int64_t top, int64_t boxLeft,
                 int64_t boxTop, int64_t boxRight, int64_t boxBottom, uint32_t pixel) {
    const ImageClip c = ClipImage(bitmap, image, x, top);
    const int64_t left = c.left + c.fromX;
    const int64_t right = c.left + c.toX;
    for (int64_t by = c.top + c.fromY; by < c.top + c.toY; ++by) {
        const auto* row = reinterpret_cast<const uint32_t*>(bitmap.Row(static_cast<int>(by)));
        const bool inBox = by >= boxTop && by < boxBottom;
        const auto differs = [&](int64_t from, int64_t to) {
            return std::any_of(row + from, row + std::max(from, to), [&](uint32_t p) { return p != pixel; });
        };
        if (inBox ? differs(left, std::min(right, boxLeft)) || differs(std::max(left, boxRight), right)
                  : differs(left, right))
            return false;
    }
    return true;
}

} // namespace

BitmapCanvas::~BitmapCanvas() {
    Settle();
}

bool BitmapCanvas::Clip(int& left, int& top, int& right, int& bottom) const {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, bitmap_.Width());
    bottom = std::min(bottom, bitmap_.Height());
    return left < right && top < bottom;
}

void BitmapCanvas::FillPixels(int left, int top, int right, int bottom, uint32_t pixel) {
    if (!Clip(left, top, right, bottom))
        return;
    // One row painted pixel by pixel, the others copied from it
    const size_t offset = static_cast<size_t>(left) * 4;
    const size_t bytes = static_cast<size_t>(right - left) * 4;
    uint8_t* first = bitmap_.Row(top) + offset;
    std::fill_n(reinterpret_cast<uint32_t*>(first), right - left, pixel);
    for (int y = top + 1; y < bottom; ++y)
        std::memcpy(bitmap_.Row(y) + offset, first, bytes);
}

void BitmapCanvas::FillRect(int left, int top, int right, int bottom, TColor color) {
    Settle(top, bottom);
    FillPixels(left, top, right, bottom, PixelOf(color));
}

void BitmapCanvas::DeferFill(int left, int top, int right, int bottom, TColor color) {
    Settle();
    if (!Clip(left, top, right, bottom))
        return;
    const auto bands = static_cast<size_t>((bottom - top + kBandRows - 1) / kBandRows);
    deferred_ = DeferredFill{left, top, right, bottom, PixelOf(color), std::vector<bool>(bands, false)};
}

void BitmapCanvas::Settle(int top, int bottom) {
    if (!deferred_)
        return;
    DeferredFill& fill = *deferred_;
    top = std::max(top, fill.top);
    bottom = std::min(bottom, fill.bottom);
    if (top >= bottom)
        return;
    // Whole bands: filled in one sweep, the rows stream into the cache
    const auto first = static_cast<size_t>((top - fill.top) / kBandRows);
    const auto last = static_cast<size_t>((bottom - 1 - fill.top) / kBandRows);
    for (size_t band = first; band <= last; ++band) {
        if (fill.settled[band])
            continue;
        fill.settled[band] = true;
        const int bandTop = fill.top + static_cast<int>(band) * kBandRows;
        FillPixels(fill.left, bandTop, fill.right, std::min(bandTop + kBandRows, fill.bottom), fill.pixel);
    }
}

void BitmapCanvas::Settle() {
    if (deferred_)
        Settle(deferred_->top, deferred_->bottom);
    deferred_.reset();
}

const TextPainter& BitmapCanvas::PainterFor(const TFont& font) {
    if (!text_ || !(text_->Font() == font))
        text_.emplace(font);
    return *text_;
}

const TextLayout& BitmapCanvas::LayOut(const std::string& text, const TFont& font) {
    for (const auto& cached : layouts_)
        if (cached.Valid && cached.Text == text && cached.Font == font)
            return cached.Layout;
    auto& slot = layouts_[nextLayout_];
    nextLayout_ = (nextLayout_ + 1) % layouts_.size();
    slot.Valid = false; // a layout that throws leaves no stale entry
    PainterFor(font).LayOut(text, slot.Layout);
    slot.Text = text;
    slot.Font = font;
    slot.Valid = true;
    return slot.Layout;
}

void BitmapCanvas::TextOut(int x, int y, const std::string& text, const TFont& font, TColor background) {
    if (text.empty() || view_.isNull())
        return;
    const TextLayout& layout = LayOut(text, font);
    if (DrawFromGlyphImages(x, y, layout, font, background))
        return;
    // The painter's glyphs may reach out of the box anywhere
    Settle();
    const auto end = [](int from, int32_t size) {
        return static_cast<int>(std::min<int64_t>(int64_t{from} + size, std::numeric_limits<int>::max()));
    };
    FillRect(x, y, end(x, layout.Width), end(y, layout.Height), background);
    if (!painter_)
        painter_ = std::make_unique<QPainter>(&view_);
    PainterFor(font).DrawGlyphs(*painter_, x, y, layout);
}

bool BitmapCanvas::DrawFromGlyphImages(int x, int y, const TextLayout& layout, const TFont& font,
                                       TColor background) {
    if (layout.Glyphs.empty() || font.Underline || font.StrikeOut)
        return false;
    const int64_t left = x;
    const int64_t top = y;
    const int64_t right = left + layout.Width;
    const int64_t bottom = top + layout.Height;
    GlyphImages& images = GlyphImagesFor(PainterFor(font), ResolveColor(background));
    images.Trim();

    // The glyphs whose ink overlaps go together as one image, drawn as the painter blends them;
    // the ink of different images must not overlap.
    std::vector<RunGlyph>& run = images.run;
    std::vector<InkRect>& inks = images.inks;
    auto& parts = images.parts;
    run.clear();
    inks.clear();
    parts.clear();
    size_t first = 0;    // of the run that is being gathered
    size_t gathered = 0; // inks of the runs before it
    // Right of which no ink of those runs reaches: text running on to the right meets none of it.
    int64_t gatheredRight = std::numeric_limits<int64_t>::min();
    const auto endRun = [&] {
        if (first < run.size())
            parts.emplace_back(&images.Get(run.data() + first, run.size() - first), run[first].pen);
        for (size_t i = gathered; i < inks.size(); ++i)
            gatheredRight = std::max(gatheredRight, inks[i].right);
        first = run.size();
        gathered = inks.size();
    };
    int64_t pen = 0;
    for (size_t i = 0; i < layout.Glyphs.size(); ++i) {
        const RunGlyph glyph{layout.Glyphs[i], pen};
        pen += layout.Advances[i];
        const GlyphImage& alone = images.Get(glyph.glyph);
        if (!alone.composable)
            return false;
        if (alone.width == 0)
            continue;
        const InkRect ink{glyph.pen + alone.left, alone.top, glyph.pen + alone.left + alone.width,
                          alone.top + alone.height};
        const auto overlaps = [&](size_t from, size_t to) {
            return std::any_of(inks.begin() + static_cast<ptrdiff_t>(from),
                               inks.begin() + static_cast<ptrdiff_t>(to),
                               [&](const InkRect& other) { return other.Overlaps(ink); });
        };
        if (ink.left < gatheredRight && overlaps(0, gathered))
            return false; // it would join a run already closed
        if (!overlaps(gathered, inks.size()))
            endRun();
        run.push_back(glyph);
        inks.push_back(ink);
    }
    endRun();

    // Ink outside the box blends onto what is there: only the background colour, under which the
    // images were made, takes it alike.
    int64_t inkTop = top;
    int64_t inkBottom = bottom;
    for (const auto& [image, at] : parts) {
        if (!image->composable)
            return false;
        inkTop = std::min(inkTop, top + image->top);
        inkBottom = std::max(inkBottom, top + image->top + image->height);
    }
    if (inkTop < std::numeric_limits<int>::min() || inkBottom > std::numeric_limits<int>::max() ||
        left + pen > std::numeric_limits<int>::max() || right > std::numeric_limits<int>::max())
        return false;
    Settle(static_cast<int>(inkTop), static_cast<int>(inkBottom));
    const uint32_t back = PixelOf(background);
    for (const auto& [image, at] : parts) {
        const int64_t inkLeft = left + at + image->left;
        const bool inBox = inkLeft >= left && inkLeft + image->width <= right && image->top >= 0 &&
                           image->top + image->height <= layout.Height;
        if (!inBox && !AroundBoxIs(bitmap_, *image, left + at, top, left, top, right, bottom, back))
            return false;
    }
    FillPixels(x, y, static_cast<int>(right), static_cast<int>(bottom), back);
    for (const auto& [image, at] : parts)
        CopyClipped(bitmap_, *image, left + at, top);
    return true;
}

QSize BitmapCanvas::TextExtent(const std::string& text, const TFont& font) {
    if (text.empty())
        return QSize(0, 0);
    const TextLayout& layout = LayOut(text, font);
    return QSize(layout.Width, layout.Height);
}

void MetafileCanvas::FillRect(int left, int top, int right, int bottom, TColor color) {
    if (left >= right || top >= bottom)
        return;
    metafile_.Records.emplace_back(MetaFill{left, top, right, bottom, color});
}

void MetafileCanvas::TextOut(int x, int y, const std::string& text, const TFont& font, TColor background) {
    if (text.empty())
        return;
    metafile_.Records.emplace_back(MetaText{x, y, text, font, background});
}

QSize MetafileCanvas::TextExtent(const std::string& text, const TFont& font) {
    if (text.empty())
        return QSize(0, 0);
    if (!text_ || !(text_->Font() == font))
        text_.emplace(font);
    const TextLayout layout = text_->LayOut(text);
    return QSize(layout.Width, layout.Height);
}

} // namespace zarvo::component
