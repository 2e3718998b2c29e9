// Device-independent bitmaps: the pixel rows the symbols are painted into, and their turns and
// mirror.
#pragma once

#include <QImage>
#include <QRgb>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zarvo::component {

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

} // namespace zarvo::component
