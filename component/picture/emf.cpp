// The enhanced metafile writer. Records as GDI's players read them: fills as EMR_RECTANGLE under
// the stock null pen (the box is the FillRect rectangle itself in GM_ADVANCED playback), texts as
// EMR_EXTTEXTOUTW with an opaque box and the measured advance of every character, on a 96-dpi
// reference device of 1920 x 1440 pixels = 508 x 381 mm, so that readers show the frame at its
// pixel size.
#include "component/picture/metafile.h"
#include "component/picture/metafile_writer.h"
#include "shared/cp932.h"

#include <optional>

namespace zarvo::component {

using shared::Cp932ToQString;

namespace {

using detail::ObjectTable;

enum : uint32_t {
    EMR_HEADER = 1,
    EMR_EOF = 14,
    EMR_SETBKMODE = 18,
    EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24,
    EMR_SETBKCOLOR = 25,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40,
    EMR_RECTANGLE = 43,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTW = 84,
};

constexpr uint32_t kWhiteBrush = 0x80000000;
constexpr uint32_t kNullPen = 0x80000008;
constexpr uint32_t kSystemFont = 0x8000000D;
constexpr int32_t kDeviceWidth = 1920, kDeviceHeight = 1440; // pixels
constexpr int32_t kDeviceWidthMm = 508, kDeviceHeightMm = 381;
constexpr uint32_t kOpaque = 2;
constexpr uint32_t kEtoOpaque = 2;
constexpr uint32_t kGmCompatible = 1;
// Application name, NUL, picture title, NUL, NUL
constexpr char16_t kDescription[] = u"Zarvo\0Symbol\0";
constexpr uint32_t kDescriptionUnits = 14;
constexpr uint32_t kHeaderSize = 108 + kDescriptionUnits * 2;

uint32_t RoundUp4(uint32_t n) {
    return (n + 3) / 4 * 4;
}

class EmfWriter {
  public:
    explicit EmfWriter(const Metafile& metafile) : metafile_(metafile) {}

    std::vector<uint8_t> Write() {
        WriteHeader();
        Select(kNullPen);
        for (const auto& record : metafile_.Records) {
            if (const auto* fill = std::get_if<MetaFill>(&record))
                Fill(*fill);
            else
                Text(std::get<MetaText>(record));
        }
        // Stock objects back in, then every object made freed
        if (brush_)
            Select(kWhiteBrush);
        if (font_)
            Select(kSystemFont);
        for (const uint32_t index : objects_.RemoveAllBut({}))
            Record(EMR_DELETEOBJECT, 12, [&] { out_.U32(index); });
        Record(EMR_EOF, 20, [&] {
            out_.U32(0);  // nPalEntries
            out_.U32(16); // offPalEntries
            out_.U32(20); // nSizeLast
        });
        out_.PatchU32(48, static_cast<uint32_t>(out_.Size()));
        out_.PatchU32(52, records_);
        out_.PatchU16(56, objects_.End());
        return std::move(out_.Bytes());
    }

  private:
    template <typename Payload> void Record(uint32_t type, uint32_t size, Payload payload) {
        const size_t start = out_.Size();
        out_.U32(type);
        out_.U32(size);
        payload();
        out_.PadTo(4);
        // A record's declared size is its written size, or every later record is misread
        if (out_.Size() - start != size)
            throw ImageError("internal error: EMF record " + std::to_string(type) + " is " +
                             std::to_string(out_.Size() - start) + " bytes, not " + std::to_string(size));
        ++records_;
    }

    void Rect(int64_t l, int64_t t, int64_t r, int64_t b) {
        out_.I32(static_cast<int32_t>(l));
        out_.I32(static_cast<int32_t>(t));
        out_.I32(static_cast<int32_t>(r));
        out_.I32(static_cast<int32_t>(b));
    }

    void WriteHeader() {
        const int32_t w = metafile_.Width;
        const int32_t h = metafile_.Height;
        Record(EMR_HEADER, kHeaderSize, [&] {
            Rect(0, 0, w - 1, h - 1); // rclBounds, inclusive
            Rect(0, 0, detail::HundredthsOfMm(w), detail::HundredthsOfMm(h));
            out_.U32(0x464D4520); // " EMF"
            out_.U32(0x00010000);
            out_.U32(0); // nBytes, patched
            out_.U32(0); // nRecords, patched
            out_.U16(0); // nHandles, patched
            out_.U16(0);
            out_.U32(kDescriptionUnits);
            out_.U32(108); // offDescription
            out_.U32(0);   // nPalEntries
            out_.I32(kDeviceWidth);
            out_.I32(kDeviceHeight);
            out_.I32(kDeviceWidthMm);
            out_.I32(kDeviceHeightMm);
            out_.U32(0); // cbPixelFormat
            out_.U32(0); // offPixelFormat
            out_.U32(0); // bOpenGL
            out_.I32(kDeviceWidthMm * 1000);
            out_.I32(kDeviceHeightMm * 1000);
            for (uint32_t i = 0; i < kDescriptionUnits; ++i)
                out_.U16(kDescription[i]);
        });
    }

    void Select(uint32_t index) {
        Record(EMR_SELECTOBJECT, 12, [&] { out_.U32(index); });
    }

    // Frees the objects not selected when the table has grown large.
    void Prune() {
        if (objects_.Alive() < ObjectTable::kMaxAlive)
            return;
        std::vector<uint32_t> keep;
        if (brush_)
            keep.push_back(*brush_);
        if (font_)
            keep.push_back(*font_);
        for (const uint32_t index : objects_.RemoveAllBut(keep))
            Record(EMR_DELETEOBJECT, 12, [&] { out_.U32(index); });
    }

    void Fill(const MetaFill& fill) {
        if (fill.left >= fill.right || fill.top >= fill.bottom)
            return;
        const uint32_t color = ToColorRef(fill.color);
        const ObjectTable::Object* made = objects_.FindBrush(color);
        uint32_t index;
        if (made) {
            index = made->index;
        } else {
            Prune();
            index = objects_.Add(ObjectTable::Kind::Brush, color, TFont{});
            Record(EMR_CREATEBRUSHINDIRECT, 24, [&] {
                out_.U32(index);
                out_.U32(0); // BS_SOLID
                out_.U32(color);
                out_.U32(0); // hatch
            });
        }
        if (brush_ != index) {
            Select(index);
            brush_ = index;
        }
        Record(EMR_RECTANGLE, 24, [&] { Rect(fill.left, fill.top, fill.right, fill.bottom); });
    }

    void SelectFont(const TFont& font) {
        const ObjectTable::Object* made = objects_.FindFont(font);
        uint32_t index;
        if (made) {
            index = made->index;
        } else {
            Prune();
            index = objects_.Add(ObjectTable::Kind::Font, 0, font);
            QString face = Cp932ToQString(font.Name).left(31);
            Record(EMR_EXTCREATEFONTINDIRECTW, 332, [&] {
                out_.U32(index);
                out_.I32(-detail::EmHeight(font));
                out_.I32(0); // lfWidth
                out_.I32(0); // lfEscapement
                out_.I32(0); // lfOrientation
                out_.I32(font.Bold ? 700 : 400);
                out_.U8(font.Italic ? 1 : 0);
                out_.U8(font.Underline ? 1 : 0);
                out_.U8(font.StrikeOut ? 1 : 0);
                out_.U8(static_cast<uint32_t>(font.Charset) & 0xFF);
                out_.U8(0); // lfOutPrecision
                out_.U8(0); // lfClipPrecision
                out_.U8(0); // lfQuality
                out_.U8(detail::PitchAndFamily(font));
                for (qsizetype i = 0; i < 32; ++i)
                    out_.U16(i < face.size() ? face.at(i).unicode() : 0);
                out_.Zeros(228); // the rest of LogFontPanose
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
        SelectFont(text.font);
        if (!textModeSet_) {
            Record(EMR_SETTEXTALIGN, 12, [&] { out_.U32(0); }); // TA_TOP | TA_LEFT | TA_NOUPDATECP
        }
        const uint32_t textColor = ToColorRef(text.font.Color);
        if (textColor_ != textColor) {
            Record(EMR_SETTEXTCOLOR, 12, [&] { out_.U32(textColor); });
            textColor_ = textColor;
        }
        const uint32_t background = ToColorRef(text.background);
        if (background_ != background) {
            Record(EMR_SETBKCOLOR, 12, [&] { out_.U32(background); });
            background_ = background;
        }
        if (!textModeSet_) {
            Record(EMR_SETBKMODE, 12, [&] { out_.U32(kOpaque); });
            textModeSet_ = true;
        }

        const auto n = static_cast<uint32_t>(layout.Text.size());
        const uint32_t offDx = 76 + RoundUp4(2 * n + 2);
        const int32_t x = text.x, y = text.y;
        Record(EMR_EXTTEXTOUTW, offDx + 4 * n, [&] {
            Rect(x, y, int64_t{x} + layout.Width - 1, int64_t{y} + layout.Height - 1); // rclBounds
            out_.U32(kGmCompatible);
            const float scale = 100.0f * kDeviceWidthMm / kDeviceWidth;
            out_.F32(scale);
            out_.F32(scale);
            out_.I32(x); // ptlReference: top-left with TA_TOP | TA_LEFT
            out_.I32(y);
            out_.U32(n);
            out_.U32(76); // offString
            out_.U32(kEtoOpaque);
            Rect(x, y, int64_t{x} + layout.Width, int64_t{y} + layout.Height); // opaque box
            out_.U32(offDx);
            for (qsizetype i = 0; i < layout.Text.size(); ++i)
                out_.U16(layout.Text.at(i).unicode());
            out_.U16(0);
            out_.PadTo(4);
            for (const int32_t advance : layout.Advances)
                out_.I32(advance);
        });
    }

    const Metafile& metafile_;
    detail::ByteWriter out_;
    uint32_t records_ = 0;
    ObjectTable objects_{1};
    std::optional<uint32_t> brush_, font_; // selected objects
    std::optional<uint32_t> textColor_, background_;
    bool textModeSet_ = false;
};

} // namespace

std::vector<uint8_t> WriteEmf(const Metafile& metafile) {
    if (metafile.IsEmpty())
        throw ImageError("an empty picture cannot be written as an enhanced metafile");
    return EmfWriter(metafile).Write();
}

} // namespace zarvo::component
