#include "component/picture/bitmap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <sys/mman.h>

namespace zarvo::component {

namespace detail {

namespace {
constexpr size_t kHugePage = size_t{2} << 20;
constexpr size_t kHugeFrom = 8 * kHugePage; // smaller blocks come from the ordinary heap
} // namespace

void* AllocatePixels(size_t bytes) {
    if (bytes < kHugeFrom)
        return ::operator new(bytes);
    const size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* block = std::aligned_alloc(kHugePage, rounded);
    if (!block)
        throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    madvise(block, rounded, MADV_HUGEPAGE); // advice only: without it the pages are just smaller
#endif
    return block;
}

void FreePixels(void* block, size_t bytes) noexcept {
    if (bytes < kHugeFrom)
        ::operator delete(block);
    else
        std::free(block);
}

} // namespace detail

Bitmap::Bitmap(int width, int height, int bitsPerPixel) : bpp_(bitsPerPixel) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    if (bitsPerPixel <= 0 || bitsPerPixel > 64)
        throw std::invalid_argument("unsupported bits per pixel: " + std::to_string(bitsPerPixel));
    const int64_t stride = (static_cast<int64_t>(width_) * bitsPerPixel + 31) / 32 * 4;
    if (stride > std::numeric_limits<int>::max() ||
        static_cast<uint64_t>(stride) * static_cast<uint64_t>(height_) >
            static_cast<uint64_t>(std::numeric_limits<ptrdiff_t>::max()))
        throw std::length_error("bitmap of " + std::to_string(width) + " x " + std::to_string(height) +
                                " pixels is too large");
    stride_ = static_cast<int>(stride);
    bits_.assign(static_cast<size_t>(stride) * static_cast<size_t>(height_), 0);
    if (bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8) {
        const int n = 1 << bitsPerPixel;
        Palette.resize(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            const int v = i * 255 / (n - 1);
            Palette[static_cast<size_t>(i)] = qRgb(v, v, v);
        }
    }
}

QImage Bitmap::View() {
    if (bpp_ != 32 || IsEmpty())
        return QImage();
    return QImage(bits_.data(), width_, height_, stride_, QImage::Format_RGB32);
}

QImage Bitmap::ToImage() const {
    if (IsEmpty())
        return QImage();
    QImage image(width_, height_, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    const auto paletteColor = [this](unsigned index) {
        return index < Palette.size() ? (Palette[index] | 0xFF000000u) : qRgb(0, 0, 0);
    };
    for (int y = 0; y < height_; ++y) {
        const uint8_t* src = Row(y);
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width_; ++x) {
            const auto ux = static_cast<size_t>(x);
            switch (bpp_) {
            case 1:
                dst[x] = paletteColor((src[ux / 8] >> (7 - ux % 8)) & 1u);
                break;
            case 4:
                dst[x] = paletteColor((src[ux / 2] >> (ux % 2 ? 0 : 4)) & 0xFu);
                break;
            case 8:
                dst[x] = paletteColor(src[ux]);
                break;
            case 16: {
                const unsigned v = src[2 * ux] | static_cast<unsigned>(src[2 * ux + 1]) << 8;
                // Five bits widened by repeating their top bits, so that 31 becomes 255
                const auto widen = [](unsigned c) { return static_cast<int>((c << 3) | (c >> 2)); };
                dst[x] = qRgb(widen((v >> 10) & 31), widen((v >> 5) & 31), widen(v & 31));
                break;
            }
            case 24:
                dst[x] = qRgb(src[3 * ux + 2], src[3 * ux + 1], src[3 * ux]);
                break;
            case 32:
                dst[x] = qRgb(src[4 * ux + 2], src[4 * ux + 1], src[4 * ux]);
                break;
            default:
                dst[x] = qRgb(0, 0, 0);
                break;
            }
        }
    }
    return image;
}

Bitmap Bitmap::FromImage(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    Bitmap bitmap(rgb.width(), rgb.height(), 32);
    for (int y = 0; y < bitmap.height_; ++y)
        std::memcpy(bitmap.Row(y), rgb.constScanLine(y), static_cast<size_t>(bitmap.width_) * 4);
    return bitmap;
}

bool Bitmap::operator==(const Bitmap& o) const {
    if (width_ != o.width_ || height_ != o.height_ || bpp_ != o.bpp_ || Palette != o.Palette)
        return false;
    // Only the pixels' bits count, not the padding at the end of each row
    const int64_t bits = static_cast<int64_t>(width_) * bpp_;
    const auto whole = static_cast<size_t>(bits / 8);
    const int rest = static_cast<int>(bits % 8);
    const auto mask = static_cast<uint8_t>(0xFF00 >> rest);
    for (int y = 0; y < height_; ++y) {
        if (std::memcmp(Row(y), o.Row(y), whole) != 0)
            return false;
        if (rest != 0 && ((Row(y)[whole] ^ o.Row(y)[whole]) & mask) != 0)
            return false;
    }
    return true;
}

// ---- Turns and mirror ----

namespace {

bool Turnable(int bpp) {
    return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
}

// The result is walked in square tiles, so that a quarter turn reads the source's rows a tile's
// width at a time instead of a whole column per pixel row.
constexpr int kTile = 64;

template <typename Visit> void ForEachPixel(int width, int height, Visit visit) {
    for (int ty = 0; ty < height; ty += kTile)
        for (int tx = 0; tx < width; tx += kTile)
            for (int y = ty; y < std::min(ty + kTile, height); ++y)
                for (int x = tx; x < std::min(tx + kTile, width); ++x)
                    visit(x, y);
}

// Copies every pixel of the result from the source pixel that `from` names for it: whole units
// of `unit` bytes.
template <size_t unit, typename From> void CopyUnits(const Bitmap& source, Bitmap& result, From from) {
    ForEachPixel(result.Width(), result.Height(), [&](int x, int y) {
        int sx = 0, sy = 0;
        from(x, y, sx, sy);
        std::memcpy(result.Row(y) + static_cast<size_t>(x) * unit,
                    source.Row(sy) + static_cast<size_t>(sx) * unit, unit);
    });
}

// The same for bit fields of 1 or 4 bits, most significant first; the result starts zeroed.
template <typename From> void CopyBitFields(const Bitmap& source, Bitmap& result, From from) {
    const int bpp = source.BitsPerPixel();
    const int perByte = 8 / bpp;
    const auto mask = static_cast<unsigned>((1 << bpp) - 1);
    ForEachPixel(result.Width(), result.Height(), [&](int x, int y) {
        int sx = 0, sy = 0;
        from(x, y, sx, sy);
        const int sShift = (perByte - 1 - sx % perByte) * bpp;
        const unsigned v = (static_cast<unsigned>(source.Row(sy)[sx / perByte]) >> sShift) & mask;
        const int dShift = (perByte - 1 - x % perByte) * bpp;
        uint8_t& d = result.Row(y)[x / perByte];
        d = static_cast<uint8_t>(d | (v << dShift));
    });
}

template <typename From> void CopyPixels(const Bitmap& source, Bitmap& result, From from) {
    switch (source.BitsPerPixel()) {
    case 8:
        return CopyUnits<1>(source, result, from);
    case 16:
        return CopyUnits<2>(source, result, from);
    case 24:
        return CopyUnits<3>(source, result, from);
    case 32:
        return CopyUnits<4>(source, result, from);
    default:
        return CopyBitFields(source, result, from);
    }
}

Bitmap SameFormat(const Bitmap& source, int width, int height) {
    Bitmap result(width, height, source.BitsPerPixel());
    result.Palette = source.Palette;
    return result;
}

} // namespace

Bitmap RotateBitmap(const Bitmap& source, int angle) {
    if (!Turnable(source.BitsPerPixel()) || (angle != 90 && angle != 180 && angle != 270))
        return source;
    const int w = source.Width();
    const int h = source.Height();
    if (angle == 180) {
        Bitmap result = SameFormat(source, w, h);
        CopyPixels(source, result, [w, h](int x, int y, int& sx, int& sy) {
            sx = w - 1 - x;
            sy = h - 1 - y;
        });
        return result;
    }
    Bitmap result = SameFormat(source, h, w);
    if (angle == 90)
        CopyPixels(source, result, [h](int x, int y, int& sx, int& sy) {
            sx = y;
            sy = h - 1 - x;
        });
    else
        CopyPixels(source, result, [w](int x, int y, int& sx, int& sy) {
            sx = w - 1 - y;
            sy = x;
        });
    return result;
}

Bitmap MirrorBitmap(const Bitmap& source) {
    if (!Turnable(source.BitsPerPixel()))
        return source;
    const int w = source.Width();
    Bitmap result = SameFormat(source, w, source.Height());
    CopyPixels(source, result, [w](int x, int y, int& sx, int& sy) {
        sx = w - 1 - x;
        sy = y;
    });
    return result;
}

} // namespace zarvo::component
