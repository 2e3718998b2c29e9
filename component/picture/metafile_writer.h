// What the EMF and WMF writers share: a little-endian byte sink and the object table that the
// players rebuild while they replay the records. Internal to the component.
#pragma once

#include "component/picture/imageerror.h"
#include "component/picture/metafile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace zarvo::component::detail {

// Picture sizes in 0.01 mm at 96 dpi: round(pixels × 2540 / 96).
inline int64_t HundredthsOfMm(int64_t pixels) {
    return (pixels * 2540 + 48) / 96;
}

// The character (em) height in pixels that a font record asks for (lfHeight = minus this).
inline int32_t EmHeight(const TFont& font) {
    const int32_t h = font.PixelHeight();
    return std::max<int32_t>(1, h < 0 ? -h : h);
}

// Windows' lfPitchAndFamily of the font description's pitch (0 default, 1 variable, 2 fixed).
inline uint8_t PitchAndFamily(const TFont& font) {
    switch (font.Pitch) {
    case 1:
        return 2; // VARIABLE_PITCH
    case 2:
        return 1; // FIXED_PITCH
    default:
        return 0; // DEFAULT_PITCH
    }
}

class ByteWriter {
  public:
    std::vector<uint8_t>& Bytes() { return bytes_; }
    size_t Size() const { return bytes_.size(); }

    void U8(uint32_t v) { bytes_.push_back(static_cast<uint8_t>(v)); }
    void U16(uint32_t v) {
        U8(v & 0xFF);
        U8((v >> 8) & 0xFF);
    }
    void I16(int32_t v) { U16(static_cast<uint32_t>(v) & 0xFFFF); }
    void U32(uint32_t v) {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void F32(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        U32(bits);
    }
    void Zeros(size_t n) { bytes_.insert(bytes_.end(), n, 0); }
    void PadTo(size_t multiple) {
        while (bytes_.size() % multiple != 0)
            U8(0);
    }
    void PatchU16(size_t at, uint32_t v) {
        bytes_[at] = static_cast<uint8_t>(v & 0xFF);
        bytes_[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
    }
    void PatchU32(size_t at, uint32_t v) {
        PatchU16(at, v & 0xFFFF);
        PatchU16(at + 2, v >> 16);
    }

  private:
    std::vector<uint8_t> bytes_;
};

// The object table as a player fills it: every create record takes the lowest free index (from
// 1 in EMF, from 0 in WMF), a delete frees it. Brushes and fonts are kept while used again, so a
// picture of two colours creates two brushes; when many are alive, the unselected ones go.
class ObjectTable {
  public:
    enum class Kind { Pen, Brush, Font };
    struct Object {
        uint32_t index;
        Kind kind;
        uint32_t color; // brushes: COLORREF
        TFont font;     // fonts
    };
    // Alive objects above this are pruned: the player's table stays small whatever the picture.
    static constexpr size_t kMaxAlive = 32;

    explicit ObjectTable(uint32_t first) : first_(first), end_(first) {}

    const Object* FindBrush(uint32_t color) const {
        for (const Object& o : alive_)
            if (o.kind == Kind::Brush && o.color == color)
                return &o;
        return nullptr;
    }
    const Object* FindFont(const TFont& font) const {
        for (const Object& o : alive_)
            if (o.kind == Kind::Font && o.font == font)
                return &o;
        return nullptr;
    }

    // Takes the lowest free index for a new object.
    uint32_t Add(Kind kind, uint32_t color, const TFont& font) {
        uint32_t index = first_;
        while (
            std::any_of(alive_.begin(), alive_.end(), [index](const Object& o) { return o.index == index; }))
            ++index;
        alive_.push_back(Object{index, kind, color, font});
        end_ = std::max(end_, index + 1);
        return index;
    }

    // Indices of the alive objects not in `keep`, removed from the table (their delete records are
    // the caller's), in increasing order.
    std::vector<uint32_t> RemoveAllBut(const std::vector<uint32_t>& keep) {
        std::vector<uint32_t> removed;
        std::vector<Object> kept;
        for (const Object& o : alive_) {
            if (std::find(keep.begin(), keep.end(), o.index) != keep.end())
                kept.push_back(o);
            else
                removed.push_back(o.index);
        }
        alive_ = std::move(kept);
        std::sort(removed.begin(), removed.end());
        return removed;
    }

    size_t Alive() const { return alive_.size(); }
    // Highest index ever used + 1; `first` when none was.
    uint32_t End() const { return end_; }

  private:
    uint32_t first_;
    uint32_t end_;
    std::vector<Object> alive_;
};

} // namespace zarvo::component::detail
