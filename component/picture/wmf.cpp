// The placeable Windows metafile writer. Records are in the drawing's pixels with the placeable
// header at 96 units per inch, so readers show the frame at its pixel size. Fills are META_PATBLT
// (the one record that covers exactly the FillRect pixels both in GDI and in LibreOffice);
// texts are META_EXTTEXTOUT with the CP932 bytes, an opaque box and an advance per byte.
#include "component/picture/metafile.h"
#include "component/picture/metafile_writer.h"

#include <limits>
#include <optional>

namespace zarvo::component {

namespace {

using detail::ObjectTable;

enum : uint32_t {
    META_EOF = 0x0000,
    META_SETBKMODE = 0x0102,
    META_SETTEXTALIGN = 0x012E,
    META_SELECTOBJECT = 0x012D,
    META_DELETEOBJECT = 0x01F0,
    META_SETBKCOLOR = 0x0201,
    META_SETTEXTCOLOR = 0x0209,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_PATBLT = 0x061D,
    META_EXTTEXTOUT = 0x0A32,
};

constexpr int32_t kMaxCoordinate = std::numeric_limits<int16_t>::max();
constexpr int32_t kMinCoordinate = std::numeric_limits<int16_t>::min();
constexpr uint32_t kPlaceableSize = 22;
constexpr uint32_t kPatCopy = 0x00F00021;

int32_t Clamp16(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, kMinCoordinate, kMaxCoordinate));
}

class WmfWriter {
  public:
    explicit WmfWriter(const Metafile& metafile) : metafile_(metafile) {}

    std::vector<uint8_t> Write() {
        WritePlaceableHeader();
        WriteHeader();
        Record(META_SETWINDOWORG, 5, [&] {
            out_.I16(0); // y
            out_.I16(0); // x
        });
        Record(META_SETWINDOWEXT, 5, [&] {
            out_.I16(metafile_.Height);
            out_.I16(metafile_.Width);
        });
        // No stock objects in WMF: the null pen is made (only a META_RECTANGLE would need it, but
        // readers expect a pen selected)
        pen_ = objects_.Add(ObjectTable::Kind::Pen, 0, TFont{});
        Record(META_CREATEPENINDIRECT, 8, [&] {
            out_.U16(5); // PS_NULL
            out_.I16(0);
            out_.I16(0);
            out_.U32(0);
        });
        Select(pen_);
        for (const auto& record : metafile_.Records) {
            if (const auto* fill = std::get_if<MetaFill>(&record))
                Fill(*fill);
            else
                Text(std::get<MetaText>(record));
        }
        Record(META_EOF, 3, [] {});

        const size_t words = (out_.Size() - kPlaceableSize) / 2;
        out_.PatchU32(kPlaceableSize + 6, static_cast<uint32_t>(words));
        out_.PatchU16(kPlaceableSize + 10, objects_.End());
        out_.PatchU32(kPlaceableSize + 12, maxRecord_);
        return std::move(out_.Bytes());
    }

  private:
    template <typename Payload> void Record(uint32_t function, uint32_t words, Payload payload) {
        const size_t start = out_.Size();
        out_.U32(words);
        out_.U16(function);
        payload();
        if (out_.Size() - start != size_t{words} * 2)
            throw ImageError("internal error: WMF record " + std::to_string(function) + " is " +
                             std::to_string(out_.Size() - start) + " bytes, not " +
                             std::to_string(words * 2));
        maxRecord_ = std::max(maxRecord_, words);
    }

    void WritePlaceableHeader() {
        const uint16_t words[] = {0xCDD7,
                                  0x9AC6, // Key
                                  0,      // HWmf
                                  0,
                                  0, // BoundingBox left, top
                                  static_cast<uint16_t>(metafile_.Width),
                                  static_cast<uint16_t>(metafile_.Height),
                                  96, // units per inch: records are in pixels
                                  0,
                                  0}; // Reserved
        uint16_t checksum = 0;
        for (const uint16_t w : words) {
            out_.U16(w);
            checksum = static_cast<uint16_t>(checksum ^ w);
        }
        out_.U16(checksum);
    }

    void WriteHeader() {
        out_.U16(1); // MEMORYMETAFILE: readers refuse DISKMETAFILE
        out_.U16(9);
        out_.U16(0x0300);
        out_.U32(0); // Size in words, patched
        out_.U16(0); // NumberOfObjects, patched
        out_.U32(0); // MaxRecord, patched
        out_.U16(0);
    }

    void Select(uint32_t index) {
        Record(META_SELECTOBJECT, 4, [&] { out_.U16(index); });
    }

    void Prune() {
        if (objects_.Alive() < ObjectTable::kMaxAlive)
            return;
        std::vector<uint32_t> keep = {pen_};
        if (brush_)
            keep.push_back(*brush_);
        if (font_)
            keep.push_back(*font_);
        for (const uint32_t index : objects_.RemoveAllBut(keep))
            Record(META_DELETEOBJECT, 4, [&] { out_.U16(index); });
    }

    void Fill(const MetaFill& fill) {
        // What lies outside the frame is not shown; clipping keeps coordinates in 16 bits
        const int32_t left = std::max(fill.left, 0);
        const int32_t top = std::max(fill.top, 0);
        const int32_t right = std::min(fill.right, metafile_.Width);
        const int32_t bottom = std::min(fill.bottom, metafile_.Height);
        if (left >= right || top >= bottom)
            return;
        const uint32_t color = ToColorRef(fill.color);
        const ObjectTable::Object* made = objects_.FindBrush(color);
        uint32_t index;
        if (made) {
            index = made->index;
        } else {
            Prune();
            index = objects_.Add(ObjectTable::Kind::Brush, color, TFont{});
            Record(META_CREATEBRUSHINDIRECT, 7, [&] {
                out_.U16(0); // BS_SOLID
                out_.U32(color);
                out_.U16(0); // hatch
            });
        }
        if (brush_ != index) {
            Select(index);
            brush_ = index;
        }
        Record(META_PATBLT, 9, [&] {
            out_.U32(kPatCopy);
            out_.I16(bottom - top);
            out_.I16(right - left);
            out_.I16(top);
            out_.I16(left);
        });
    }

    void SelectFont(const TFont& font) {
        const ObjectTable::Object* made = objects_.FindFont(font);
        uint32_t index;
        if (made) {
            index = made->index;
        } else {
            Prune();
            index = objects_.Add(ObjectTable::Kind::Font, 0, font);
            // At most 31 bytes of the face name, not cutting a double-byte character
            size_t faceBytes = 0;
            while (faceBytes < font.Name.size()) {
                const auto lead = static_cast<uint8_t>(font.Name[faceBytes]);
                const size_t n = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC) ? 2 : 1;
                if (faceBytes + n > 31 || faceBytes + n > font.Name.size())
                    break;
                faceBytes += n;
            }
            Record(META_CREATEFONTINDIRECT, 28, [&] {
                out_.I16(-detail::EmHeight(font));
                out_.I16(0); // Width
                out_.I16(0); // Escapement
                out_.I16(0); // Orientation
                out_.I16(font.Bold ? 700 : 400);
                out_.U8(font.Italic ? 1 : 0);
                out_.U8(font.Underline ? 1 : 0);
                out_.U8(font.StrikeOut ? 1 : 0);
                out_.U8(static_cast<uint32_t>(font.Charset) & 0xFF);
                out_.U8(0); // OutPrecision
                out_.U8(0); // ClipPrecision
                out_.U8(0); // Quality
                out_.U8(detail::PitchAndFamily(font));
                for (size_t i = 0; i < 32; ++i)
                    out_.U8(i < faceBytes ? static_cast<uint8_t>(font.Name[i]) : 0);
            });
        }
        if (font_ != index) {
            Select(index);
            font_ = index;
        }
    }

    void Text(const MetaText& text) {
        if (text.text.empty())
            return;
        const TextLayout layout = LayOutText(text.text, text.font);
        const int32_t x = Clamp16(text.x);
        const int32_t y = Clamp16(text.y);
        // Characters that start beyond the 16-bit coordinate range could never be shown
        size_t bytes = 0;
        int64_t pen = x;
        for (size_t i = 0; i < layout.Bytes.size() && pen < kMaxCoordinate; ++i) {
            bytes += static_cast<size_t>(layout.Bytes[i]);
            pen += layout.Advances[i];
        }
        if (bytes == 0)
            return;

        SelectFont(text.font);
        if (!textModeSet_)
            Record(META_SETTEXTALIGN, 4, [&] { out_.U16(0); }); // TA_TOP | TA_LEFT
        const uint32_t textColor = ToColorRef(text.font.Color);
        if (textColor_ != textColor) {
            Record(META_SETTEXTCOLOR, 5, [&] { out_.U32(textColor); });
            textColor_ = textColor;
        }
        const uint32_t background = ToColorRef(text.background);
        if (background_ != background) {
            Record(META_SETBKCOLOR, 5, [&] { out_.U32(background); });
            background_ = background;
        }
        if (!textModeSet_) {
            Record(META_SETBKMODE, 4, [&] { out_.U16(2); }); // OPAQUE
            textModeSet_ = true;
        }

        const auto length = static_cast<uint32_t>(bytes);
        const uint32_t words = 7 + 4 + (length + 1) / 2 + length;
        Record(META_EXTTEXTOUT, words, [&] {
            out_.I16(y);
            out_.I16(x);
            out_.I16(static_cast<int32_t>(length));
            out_.U16(2); // ETO_OPAQUE
            out_.I16(x);
            out_.I16(y);
            out_.I16(Clamp16(int64_t{x} + layout.Width));
            out_.I16(Clamp16(int64_t{y} + layout.Height));
            for (size_t i = 0; i < bytes; ++i)
                out_.U8(static_cast<uint8_t>(text.text[i]));
            if (bytes % 2 != 0)
                out_.U8(0);
            // One advance per byte: a double-byte character's on its lead byte, 0 on its trail
            size_t done = 0;
            for (size_t i = 0; done < bytes; ++i) {
                out_.I16(Clamp16(layout.Advances[i]));
                if (layout.Bytes[i] == 2)
                    out_.I16(0);
                done += static_cast<size_t>(layout.Bytes[i]);
            }
        });
    }

    const Metafile& metafile_;
    detail::ByteWriter out_;
    uint32_t maxRecord_ = 0;
    ObjectTable objects_{0};
    uint32_t pen_ = 0;
    std::optional<uint32_t> brush_, font_; // selected objects
    std::optional<uint32_t> textColor_, background_;
    bool textModeSet_ = false;
};

} // namespace

std::vector<uint8_t> WriteWmf(const Metafile& metafile) {
    if (metafile.IsEmpty())
        throw ImageError("an empty picture cannot be written as a Windows metafile");
    if (metafile.Width > kMaxCoordinate || metafile.Height > kMaxCoordinate)
        throw ImageError("a picture of " + std::to_string(metafile.Width) + " x " +
                         std::to_string(metafile.Height) +
                         " pixels is too large for a Windows metafile (at most 32767 x 32767)");
    return WmfWriter(metafile).Write();
}

} // namespace zarvo::component
