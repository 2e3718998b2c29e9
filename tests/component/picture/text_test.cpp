// Fonts and text: the Windows faces, and the layout of CP932 text in a font.
#include "component/picture/text.h"
#include "tests/component/symbol_picture.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <gtest/gtest.h>

namespace {

using namespace zarvo::component;
using zarvo::component::picture_test::CommentFont;
using zarvo::component::picture_test::kComment;
using zarvo::component::picture_test::kMsPGothic;

const std::string kMsGothic = "\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E"; // ＭＳ ゴシック
TEST(Font, WindowsGothicFacesAreDrawnInIpaGothic) {
    const struct {
        std::string name;
        const char* family;
    } cases[] = {
        {kMsPGothic, "IPAPGothic"},
        {kMsGothic, "IPAGothic"},
        {"MS PGothic", "IPAPGothic"},
        {"IPAGothic", "IPAGothic"},
    };
    for (const auto& c : cases) {
        TFont font;
        font.Name = c.name;
        font.Size = 9;
        const QFont qfont = ToQFont(font);
        EXPECT_EQ(QFontInfo(qfont).family(), QString::fromLatin1(c.family)) << c.name;
        EXPECT_EQ(qfont.pixelSize(), 12);
        // The layout's 12-pixel design: 13 pixels a line, baseline 11 below the top
        const QFontMetrics metrics(qfont);
        EXPECT_EQ(metrics.height(), 13) << c.name;
        EXPECT_EQ(metrics.ascent(), 11) << c.name;
    }
    // The Japanese names themselves, as a font dialog would hand them to Qt
    for (const char* name : {"ＭＳ Ｐゴシック", "ＭＳ ゴシック"})
        EXPECT_TRUE(QFontInfo(QFont(QString::fromUtf8(name))).family().startsWith(QStringLiteral("IPA")))
            << name;
    InstallFontSubstitutions(); // a second time changes nothing
    EXPECT_EQ(QFont::substitutes(QString::fromUtf8("ＭＳ Ｐゴシック"))
                  .filter(QStringLiteral("IPAPGothic"), Qt::CaseInsensitive)
                  .size(),
              1);

    TFont styled = CommentFont();
    styled.Size = 12;
    styled.Bold = styled.Italic = styled.Underline = styled.StrikeOut = true;
    const QFont qfont = ToQFont(styled);
    EXPECT_EQ(qfont.pixelSize(), 16);
    EXPECT_TRUE(qfont.bold() && qfont.italic() && qfont.underline() && qfont.strikeOut());
}

TEST(TextLayout, PairsCharactersWithTheirBytesAndAdvances) {
    const struct {
        std::string text;
        std::u16string units;
        std::vector<int32_t> bytes;
    } cases[] = {
        {kComment, u"上のコメント", {2, 2, 2, 2, 2, 2}},
        {"A\x8F\xE3 b", u"A上 b", {1, 2, 1, 1}},
        {"\xB1\xB2", u"\uFF71\uFF72", {1, 1}}, // half-width katakana
        {"x\x80", u"x\uFFFD", {1, 1}},         // a byte no character starts with
        {"\x81\x20", u"\uFFFD ", {1, 1}},      // a lead byte without trail byte
        {"\x81", u"\uFFFD", {1}},              // a lead byte at the end
        {"\xEB\xFC", u"\uFFFD", {2}},          // an unassigned double-byte code
    };
    const TFont font = CommentFont();
    const QFontMetrics metrics(ToQFont(font));
    for (const auto& c : cases) {
        const TextLayout layout = LayOutText(c.text, font);
        EXPECT_EQ(layout.Text, QString::fromStdU16String(c.units));
        EXPECT_EQ(layout.Bytes, c.bytes);
        ASSERT_EQ(layout.Advances.size(), c.bytes.size());
        int32_t sum = 0;
        for (const int32_t a : layout.Advances)
            sum += a;
        EXPECT_EQ(sum, layout.Width);
        EXPECT_EQ(layout.Width, metrics.horizontalAdvance(layout.Text));
        EXPECT_EQ(layout.Height, 13);
        EXPECT_EQ(layout.Ascent, 11);
        // Glyphs straight from the face, unless it lacks one (U+FFFD): then Qt's layout draws
        const bool lacking = c.units.find(u'\uFFFD') != std::u16string::npos;
        EXPECT_EQ(layout.Glyphs.size(), lacking ? 0 : c.units.size()) << c.text;
    }
    const TextLayout empty = LayOutText("", font);
    EXPECT_EQ(empty.Width, 0);
    EXPECT_EQ(empty.Height, 0);
    EXPECT_TRUE(empty.Advances.empty());
}

} // namespace
