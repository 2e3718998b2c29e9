#include "component/picture/text.h"

#include "shared/cp932.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QGuiApplication>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

namespace zarvo::component {

using shared::Cp932ToQString;

namespace {

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

} // namespace zarvo::component
