#include "cp932.h"

#include <gtest/gtest.h>

namespace zarvo::cli {
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
        {"ab\xff", 2, "the text is not valid UTF-8 (byte 0xFF at offset 2); use -r FILE for raw bytes"},
        {"\x82\xa0", 0,
         "the text is not valid UTF-8 (byte 0x82 at offset 0); use -r FILE for raw bytes"}, // Shift-JIS given
                                                                                            // as text
        {"a\xc3", 1, ""},                                                                   // cut short
        {"\xc0\xaf", 0, ""},                                                                // overlong "/"
        {"\xe0\x80\xaf", 0, ""},                                                            // overlong
        {"\xed\xa0\x80", 0, ""},                                                            // surrogate
        {"\xf4\x90\x80\x80", 0, ""},                                                        // above U+10FFFF
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

} // namespace
} // namespace zarvo::cli
