#include "picture.h"

#include "cp932.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QPalette>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <sys/mman.h>
#include <unordered_map>

namespace zarvo::component {

namespace {

// The Windows default system colours (classic scheme) by index, as R, G, B; used for the
// indices Qt's palette has no role for and when no application runs.
// clang-format off
constexpr std::array<std::array<uint8_t, 3>, 31> kSystemColors = {{
    {212, 208, 200}, { 58, 110, 165}, { 10,  36, 106}, {128, 128, 128}, {212, 208, 200}, //  0 scroll bar .. menu
    {255, 255, 255}, {  0,   0,   0}, {  0,   0,   0}, {  0,   0,   0}, {255, 255, 255}, //  5 window .. caption text
    {212, 208, 200}, {212, 208, 200}, {128, 128, 128}, { 10,  36, 106}, {255, 255, 255}, // 10 borders .. highlight text
    {212, 208, 200}, {128, 128, 128}, {128, 128, 128}, {  0,   0,   0}, {212, 208, 200}, // 15 button face .. inactive caption text
    {255, 255, 255}, { 64,  64,  64}, {212, 208, 200}, {  0,   0,   0}, {255, 255, 225}, // 20 button highlight .. info background
    {181, 181, 181}, {  0,   0, 128}, {166, 202, 240}, {192, 192, 192}, { 49, 106, 197}, // 25 (unused) .. menu highlight
    {236, 233, 216},                                                                     // 30 menu bar
}};
// clang-format on

// The palette role standing in for a system colour index, or NColorRoles when there is none.
QPalette::ColorRole RoleOf(int index) {
    switch (index) {
    case 4: // COLOR_MENU
        return QPalette::Window;
    case 5: // COLOR_WINDOW
        return QPalette::Base;
    case 7: // COLOR_MENUTEXT
    case 8: // COLOR_WINDOWTEXT
        return QPalette::WindowText;
    case 13: // COLOR_HIGHLIGHT
        return QPalette::Highlight;
    case 14: // COLOR_HIGHLIGHTTEXT
        return QPalette::HighlightedText;
    case 15: // COLOR_BTNFACE
        return QPalette::Button;
    case 16: // COLOR_BTNSHADOW
        return QPalette::Dark;
    case 18: // COLOR_BTNTEXT
        return QPalette::ButtonText;
    case 20: // COLOR_BTNHIGHLIGHT
        return QPalette::Light;
    case 21: // COLOR_3DDKSHADOW
        return QPalette::Shadow;
    case 22: // COLOR_3DLIGHT
        return QPalette::Midlight;
    case 23: // COLOR_INFOTEXT
        return QPalette::ToolTipText;
    case 24: // COLOR_INFOBK
        return QPalette::ToolTipBase;
    case 26: // COLOR_HOTLIGHT
        return QPalette::Link;
    default:
        return QPalette::NColorRoles;
    }
}

// CP932 face names (and their Latin spellings) that Debian's IPA fonts stand in for.
struct FaceAlias {
    const char* name; // CP932 bytes
    const char* family;
};
constexpr FaceAlias kFaceAliases[] = {
    {"\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E", "IPAPGothic"}, // ＭＳ Ｐゴシック
    {"\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E", "IPAGothic"},          // ＭＳ ゴシック
    {"MS PGothic", "IPAPGothic"},
    {"MS Gothic", "IPAGothic"},
    {"MS UI Gothic", "IPAPGothic"},
};

int EmPixels(const TFont& font) {
    return std::max(1, std::abs(font.PixelHeight()));
}

bool IsLeadByte(uint8_t b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool IsTrailByte(uint8_t b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// The CP932 bytes of each character: a lead byte with a trail byte makes one character, every
// other byte one of its own (as the decoder splits them).
// The byte count (1 or 2) of each character, into sizes.
void CharacterBytes(const std::string& text, std::vector<int32_t>& sizes) {
    sizes.clear();
    for (size_t i = 0; i < text.size();) {
        const bool pair = IsLeadByte(static_cast<uint8_t>(text[i])) && i + 1 < text.size() &&
                          IsTrailByte(static_cast<uint8_t>(text[i + 1]));
        sizes.push_back(pair ? 2 : 1);
        i += pair ? 2 : 1;
    }
}

} // namespace

// ---- Colours ----

QRgb ResolveColor(TColor color) {
    const auto value = static_cast<uint32_t>(color);
    if ((value & 0x80000000u) == 0)
        return qRgb(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                    static_cast<int>((value >> 16) & 0xFF));
    const auto index = static_cast<int>(value & 0xFF);
    if ((value & 0x7FFFFF00u) != 0 || index >= static_cast<int>(kSystemColors.size()))
        return qRgb(0, 0, 0); // GetSysColor's answer for an index it does not know
    const QPalette::ColorRole role = RoleOf(index);
    if (role != QPalette::NColorRoles && qGuiApp)
        return QGuiApplication::palette().color(QPalette::Active, role).rgb();
    const auto& rgb = kSystemColors[static_cast<size_t>(index)];
    return qRgb(rgb[0], rgb[1], rgb[2]);
}

uint32_t ToColorRef(TColor color) {
    const QRgb rgb = ResolveColor(color);
    return static_cast<uint32_t>(qRed(rgb)) | static_cast<uint32_t>(qGreen(rgb)) << 8 |
           static_cast<uint32_t>(qBlue(rgb)) << 16;
}

// ---- Fonts ----

bool TFont::operator==(const TFont& o) const {
    return Name == o.Name && Size == o.Size && Bold == o.Bold && Italic == o.Italic &&
           Underline == o.Underline && StrikeOut == o.StrikeOut && Color == o.Color && Charset == o.Charset &&
           Pitch == o.Pitch;
}

QFont ToQFont(const TFont& font) {
    QFont result;
    QString family;
    for (const FaceAlias& alias : kFaceAliases)
        if (font.Name == alias.name)
            family = QString::fromLatin1(alias.family);
    if (family.isEmpty() && !font.Name.empty())
        family = Cp932ToQString(font.Name);
    if (!family.isEmpty())
        result.setFamilies({family});
    result.setPixelSize(EmPixels(font));
    result.setBold(font.Bold);
    result.setItalic(font.Italic);
    result.setUnderline(font.Underline);
    result.setStrikeOut(font.StrikeOut);
    if (font.Pitch == 2)
        result.setFixedPitch(true);
    return result;
}

void InstallFontSubstitutions() {
    for (const FaceAlias& alias : kFaceAliases) {
        // Qt keeps each substitute once
        QFont::insertSubstitution(Cp932ToQString(alias.name), QString::fromLatin1(alias.family));
    }
}

TextPainter::TextPainter(const TFont& font)
    : font_(font), qfont_(ToQFont(font)), raw_(QRawFont::fromFont(qfont_)) {
    const QFontMetrics metrics(qfont_);
    height_ = metrics.height();
    ascent_ = metrics.ascent();
}

const TextPainter::FaceChar& TextPainter::CharOf(const char* bytes, int32_t count) const {
    const auto first = static_cast<uint8_t>(bytes[0]);
    if (count == 1 && singleKnown_[first])
        return singles_[first];
    uint32_t key = static_cast<uint32_t>(count) << 16 | first;
    if (count == 2)
        key |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[1])) << 8;
    if (count == 2) {
        const auto found = chars_.find(key);
        if (found != chars_.end())
            return found->second;
    }
    FaceChar c;
    const QString unit = Cp932ToQString(std::string(bytes, static_cast<size_t>(count)));
    if (unit.size() == 1 && raw_.isValid()) {
        c.unit = unit.at(0);
        const QList<quint32> glyphs = raw_.glyphIndexesForString(unit);
        if (glyphs.size() == 1 && glyphs.front() != 0) {
            c.glyph = glyphs.front();
            c.advance = raw_.advancesForGlyphIndexes(glyphs).front().x();
        }
    }
    if (count == 1) {
        singles_[first] = c;
        singleKnown_[first] = true;
        return singles_[first];
    }
    return chars_.emplace(key, c).first->second;
}

bool TextPainter::LayOutFaceChars(const std::string& text, TextLayout& layout) const {
    // The same sums and roundings as below, from the characters' own glyphs and advances: the
    // glyph of a character and its advance do not depend on its neighbours
    // Sized once and written in place: appending a unit at a time costs more than the layout
    layout.Text.resize(static_cast<qsizetype>(layout.Bytes.size()));
    QChar* units = layout.Text.data();
    layout.Glyphs.reserve(layout.Bytes.size());
    layout.Advances.reserve(layout.Bytes.size());
    qreal pen = 0;
    int32_t before = 0;
    size_t at = 0;
    for (const int32_t n : layout.Bytes) {
        const FaceChar& c = CharOf(text.data() + at, n);
        at += static_cast<size_t>(n);
        if (c.glyph == 0)
            return false;
        *units++ = c.unit;
        layout.Glyphs.push_back(c.glyph);
        pen += c.advance;
        const int32_t after = qRound(pen);
        layout.Advances.push_back(after - before);
        before = after;
    }
    layout.Width = before;
    return true;
}

TextLayout TextPainter::LayOut(const std::string& text) const {
    TextLayout layout;
    LayOut(text, layout);
    return layout;
}

void TextPainter::LayOut(const std::string& text, TextLayout& layout) const {
    layout.Text.resize(0); // keeps the buffer, as clear() would not
    layout.Glyphs.clear();
    layout.Advances.clear();
    layout.Bytes.clear();
    layout.Width = layout.Height = layout.Ascent = 0;
    if (text.empty())
        return;
    CharacterBytes(text, layout.Bytes);
    layout.Height = height_;
    layout.Ascent = ascent_;
    if (LayOutFaceChars(text, layout))
        return;
    layout.Text.clear();
    layout.Glyphs.clear();
    layout.Advances.clear();
    layout.Text = Cp932ToQString(text);
    if (layout.Text.size() != static_cast<qsizetype>(layout.Bytes.size())) {
        // Decode character by character so that units and bytes stay paired
        layout.Text.clear();
        size_t at = 0;
        for (const int32_t n : layout.Bytes) {
            const QString c = Cp932ToQString(text.substr(at, static_cast<size_t>(n)));
            layout.Text += c.size() == 1 ? c.at(0) : QChar(0xFFFD);
            at += static_cast<size_t>(n);
        }
    }
    layout.Height = height_;
    layout.Ascent = ascent_;
    layout.Advances.reserve(layout.Bytes.size());

    const QList<quint32> glyphs = raw_.isValid() ? raw_.glyphIndexesForString(layout.Text) : QList<quint32>();
    const bool complete =
        glyphs.size() == layout.Text.size() && std::find(glyphs.begin(), glyphs.end(), 0u) == glyphs.end();
    if (complete) {
        // Each character where its fractional advances add up to, rounded: no glyph is more than
        // half a pixel from where Qt's own layout would put it
        const QList<QPointF> advances = raw_.advancesForGlyphIndexes(glyphs);
        qreal pen = 0;
        int32_t before = 0;
        for (const QPointF& advance : advances) {
            pen += advance.x();
            const int32_t after = qRound(pen);
            layout.Advances.push_back(after - before);
            before = after;
        }
        layout.Width = before;
        layout.Glyphs.assign(glyphs.begin(), glyphs.end());
        return;
    }
    // A character the face lacks: Qt's layout finds it in another font. Advances as differences
    // of prefix widths, so that they sum to the width.
    const QFontMetrics metrics(qfont_);
    int32_t before = 0;
    for (qsizetype i = 0; i < layout.Text.size(); ++i) {
        const int32_t after = metrics.horizontalAdvance(layout.Text.left(i + 1));
        layout.Advances.push_back(after - before);
        before = after;
    }
    layout.Width = before;
}

void TextPainter::DrawGlyphs(QPainter& painter, int x, int y, const TextLayout& layout) const {
    if (layout.Text.isEmpty())
        return;
    painter.setPen(QColor(ResolveColor(font_.Color)));
    if (layout.Glyphs.empty()) {
        painter.setFont(qfont_);
        painter.drawText(QPoint(x, y + ascent_), layout.Text);
        return;
    }
    QList<QPointF> positions;
    positions.reserve(static_cast<qsizetype>(layout.Advances.size()));
    int32_t pen = 0;
    for (const int32_t advance : layout.Advances) {
        positions.append(QPointF(pen, 0));
        pen += advance;
    }
    QGlyphRun run;
    run.setRawFont(raw_);
    run.setGlyphIndexes(QList<quint32>(layout.Glyphs.begin(), layout.Glyphs.end()));
    run.setPositions(positions);
    run.setUnderline(font_.Underline);
    run.setStrikeOut(font_.StrikeOut);
    painter.drawGlyphRun(QPointF(x, y + ascent_), run);
}

TextLayout LayOutText(const std::string& text, const TFont& font) {
    return TextPainter(font).LayOut(text);
}

// ---- Bitmap ----

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
