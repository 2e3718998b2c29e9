#include "shared/cp932.h"

#include <gtest/gtest.h>

namespace zarvo::shared {
namespace {

TEST(Utf8ToCp932, WritesShiftJisBytes) {
    struct {
        std::string text, bytes;
    } cases[] = {
        {"", ""},
        {"Zarvo 123", "Zarvo 123"},
        {"漢字", "\x8a\xbf\x8e\x9a"},
        {"QRコード", "QR\x83\x52\x81\x5b\x83\x68"},
        {"ｱｲ", "\xb1\xb2"},                              // half-width katakana: one byte each
        {"～①㈱髙", "\x81\x60\x87\x40\x87\x8a\xfb\xfc"}, // the Windows characters of CP932
        {"\\~", "\\~"},
        {"a\tb\r\n", "a\tb\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Utf8ToCp932(c.text), c.bytes);
    }
}

TEST(Utf8ToCp932, NamesTheFirstCharacterShiftJisCannotHold) {
    struct {
        std::string text, message;
    } cases[] = {
        {"é", "\"é\" (U+00E9) cannot be written in Shift-JIS (CP932)"},
        {"café 漢字", "\"é\" (U+00E9) cannot be written in Shift-JIS (CP932)"},
        {"ok 😀 ü", "\"😀\" (U+1F600) cannot be written in Shift-JIS (CP932)"},
        {"한", "\"한\" (U+D55C) cannot be written in Shift-JIS (CP932)"},
        {"x\u0085", "U+0085 cannot be written in Shift-JIS (CP932)"}, // a control character is not printed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            Utf8ToCp932(c.text);
            ADD_FAILURE() << "converted";
        } catch (const TextError& e) {
            EXPECT_EQ(e.what(), c.message);
        }
    }
}

TEST(Utf8ToCp932, RejectsMalformedUtf8WithItsOffset) {
    struct {
        std::string text;
        size_t offset;
        std::string message;
    } cases[] = {
        {"ab\xff", 2, "the text is not valid UTF-8 (byte 0xFF at offset 2)"},
        {"\x82\xa0", 0, "the text is not valid UTF-8 (byte 0x82 at offset 0)"}, // Shift-JIS given as text
        {"a\xc3", 1, ""},                                                       // cut short
        {"\xc0\xaf", 0, ""},                                                    // overlong "/"
        {"\xe0\x80\xaf", 0, ""},                                                // overlong
        {"\xed\xa0\x80", 0, ""},                                                // surrogate
        {"\xf4\x90\x80\x80", 0, ""},                                            // above U+10FFFF
        {"漢\xe5\xad", 3, ""}, // a character cut short after a good one
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        EXPECT_EQ(FindInvalidUtf8(c.text), c.offset);
        try {
            Utf8ToCp932(c.text);
            ADD_FAILURE() << "converted";
        } catch (const TextError& e) {
            if (!c.message.empty()) {
                EXPECT_EQ(e.what(), c.message);
            }
            EXPECT_NE(std::string(e.what()).find("at offset " + std::to_string(c.offset)), std::string::npos);
        }
    }
    EXPECT_EQ(FindInvalidUtf8("漢字 \xf0\x9f\x98\x80 \xf4\x8f\xbf\xbf"), std::string::npos);
}

TEST(QStringToCp932, ConvertsOrNamesTheCharacter) {
    EXPECT_EQ(QStringToCp932(QString::fromUtf8("QRコード～")), "QR\x83\x52\x81\x5b\x83\x68\x81\x60");
    EXPECT_EQ(QStringToCp932(QString()), "");
    struct {
        QString text;
        std::string message;
    } cases[] = {
        {QString::fromUtf8("ab é"), "\"é\" (U+00E9) cannot be written in Shift-JIS (CP932)"},
        {QString::fromUtf8("😀"), "\"😀\" (U+1F600) cannot be written in Shift-JIS (CP932)"},
        {QString(QChar(0xD800)) + QLatin1String("a"), "U+D800 cannot be written in Shift-JIS (CP932)"},
        {QLatin1String("a") + QString(QChar(0xDC00)), "U+DC00 cannot be written in Shift-JIS (CP932)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        try {
            QStringToCp932(c.text);
            ADD_FAILURE() << "converted";
        } catch (const TextError& e) {
            EXPECT_EQ(e.what(), c.message);
        }
    }
}

TEST(Cp932ToQString, DecodesAndMarksWhatDoesNotDecode) {
    struct {
        std::string bytes;
        QString text;
        bool ok;
    } cases[] = {
        {"", QString(), true},
        {"A\x8a\xbf\x8e\x9a", QString::fromUtf8("A漢字"), true},
        {"\x81\x60\x87\x40\xfb\xfc\xb1", QString::fromUtf8("～①髙ｱ"), true},
        {std::string("a\0b", 3), QString::fromUtf8("a\0b", 3), true},
        {"a\x80"
         "b",
         QString::fromUtf8("a\uFFFDb"), false},
        {"\xa0\xfd", QString::fromUtf8("\uFFFD\uFFFD"), false},
        {"x\x82", QString::fromUtf8("x\uFFFD"), false},           // a lead byte at the end
        {"\x82\x0d\x0a", QString::fromUtf8("\uFFFD\r\n"), false}, // a lead byte before a control code
        {"\x85\x40z", QString::fromUtf8("\uFFFDz"), false},       // unassigned pair: one mark, no "@"
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        bool ok = !c.ok;
        EXPECT_EQ(Cp932ToQString(c.bytes, &ok), c.text);
        EXPECT_EQ(ok, c.ok);
    }
}

TEST(Cp932ToQString, RoundTripsEveryDoubleByteCharacterItDecodes) {
    int decoded = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            bool ok = false;
            const QString text = Cp932ToQString(bytes, &ok);
            if (!ok)
                continue;
            ++decoded;
            // a few characters have two codes in CP932 (NEC and IBM extensions); the encoder picks one
            const std::string back = QStringToCp932(text);
            EXPECT_EQ(Cp932ToQString(back), text) << std::hex << lead << " " << trail;
        }
    }
    EXPECT_GT(decoded, 7000);
}

} // namespace
} // namespace zarvo::shared
