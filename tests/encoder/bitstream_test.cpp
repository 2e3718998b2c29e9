#include "encoder/bitstream.h"
#include "tests/encoder/test_support.h"

#include <array>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace zarvo::encoder {
namespace {

using test_support::Bytes;
using test_support::Len;

using test_support::Rec;
using test_support::Table;

using Segments = std::vector<std::pair<int32_t, int>>; // (length in bytes, mode)

Segments Scanned(const std::string& s, int version) {
    const int32_t* widths = Table()[static_cast<size_t>(version)].countWidths;
    Segments out;
    int32_t pos = 0;
    while (out.size() <= s.size()) {
        const Segment seg = Scan(Bytes(s) + pos, Len(s) - pos, widths);
        if (seg.length <= 0)
            break;
        out.emplace_back(seg.length, seg.mode);
        pos += seg.length;
    }
    EXPECT_EQ(pos, Len(s)) << "scan did not cover the data";
    return out;
}

// Output of one encoding: the codewords of the level, and whether the bytes past them were left
// alone. The buffer is larger than the level needs and starts dirty, so the codewords also show
// that every encoding starts from a zeroed stream.
struct Stream {
    int result = 0;
    int32_t lastMode = -2;
    std::vector<uint8_t> codewords;
    bool guardIntact = true;
};

constexpr uint8_t kGuard = 0xA5;

StreamSettings Settings(int version, int level, TQRMode mode = qrSingle, int32_t index = 1, int32_t count = 1,
                        int32_t parity = 0) {
    return StreamSettings{&Table()[static_cast<size_t>(version)], level, mode, index, count, parity};
}

Stream Encode(const std::string& data, const StreamSettings& s, int forcedMode = -1) {
    static std::array<uint8_t, kMaxDataCodewords + 64> buf;
    buf.fill(kGuard);
    Stream out;
    if (forcedMode < 0)
        out.result = EncodeAutomatic(Bytes(data), Len(data), s, buf.data(), out.lastMode);
    else
        out.result = EncodeForced(Bytes(data), Len(data), forcedMode, s, buf.data());
    const auto n = static_cast<size_t>(s.record->levels[s.level].dataCodewords);
    out.codewords.assign(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n));
    for (size_t i = n; i < buf.size(); ++i)
        out.guardIntact = out.guardIntact && buf[i] == kGuard;
    return out;
}

std::vector<uint8_t> WithPad(std::vector<uint8_t> head, size_t total) {
    for (uint8_t pad = 0xEC; head.size() < total; pad ^= 0xEC ^ 0x11)
        head.push_back(pad);
    return head;
}

TEST(BitWriter, AppendsMostSignificantBitFirstAcrossBytes) {
    std::array<uint8_t, 8> buf{};
    BitWriter w(buf.data(), 6);
    EXPECT_EQ(w.RemainingBits(), 48);
    w.Append(3, 0b101);
    EXPECT_EQ(buf[0], 0xA0);
    EXPECT_EQ(w.BytePos(), 0);
    EXPECT_EQ(w.BitPos(), 4);
    EXPECT_EQ(w.RemainingBits(), 45);
    w.Append(0, 0xFFFFFFFF); // nothing
    EXPECT_EQ(w.RemainingBits(), 45);
    w.Append(4, 0xFF3); // only the low four bits count
    EXPECT_EQ(buf[0], 0xA6);
    w.Append(10, 0x3FF); // 1 bit in byte 0, 8 in byte 1, 1 in byte 2
    EXPECT_EQ(buf[0], 0xA7);
    EXPECT_EQ(buf[1], 0xFF);
    EXPECT_EQ(buf[2], 0x80);
    EXPECT_EQ(w.BytePos(), 2);
    EXPECT_EQ(w.BitPos(), 6);
    EXPECT_EQ(w.RemainingBits(), 48 - 17);
    w.Append(7, 0);
    EXPECT_EQ(w.BytePos(), 3);
    EXPECT_EQ(w.BitPos(), 7);
    w.Append(24, 0xDEADBE);
    EXPECT_EQ(buf[3], 0xDE);
    EXPECT_EQ(buf[4], 0xAD);
    EXPECT_EQ(buf[5], 0xBE);
    EXPECT_EQ(w.RemainingBits(), 0);
    EXPECT_EQ(buf[6], 0);

    std::array<uint8_t, 4> whole{};
    BitWriter w32(whole.data(), 4);
    w32.Append(32, 0x12345678);
    EXPECT_EQ(whole, (std::array<uint8_t, 4>{0x12, 0x34, 0x56, 0x78}));
    EXPECT_EQ(w32.RemainingBits(), 0);
}

TEST(Bitstream, ClassifiesEachCharacter) {
    // clang-format off
    struct {
        std::string bytes;
        int32_t m;
        int cls;
    } cases[] = {
        {"", 0, -1},
        {"1", -1, -1},
        {"5", 1, 0},
        {"A", 1, 1},
        {" ", 1, 1},
        {"a", 1, 2},
        {"\x80", 1, 2},
        {"\x81", 1, 2},       // a lead byte at the end is a byte
        {"\x81\x40", 2, 3},   // first kanji
        {"\x81\x40", 1, 2},   // only one byte left
        {"\x81\x3F", 2, 2},   // invalid trail bytes
        {"\x81\x7F", 2, 2},
        {"\x81\xFD", 2, 2},
        {"\x9F\xFC", 2, 3},   // end of the first kanji range
        {"\xA0\x40", 2, 2},   // half-width katakana, not a lead byte
        {"\xE0\x40", 2, 3},
        {"\xEB\xBF", 2, 3},   // last pair kanji mode can hold (13-bit value 0x1FFF)
        {"\xEB\xC0", 2, 2},   // beyond 13 bits: carried as bytes
        {"\xEB\xFC", 2, 2},
        {"\xEC\x40", 2, 2},   // lead bytes above 0xEB are never kanji
        {"\xFC\xFC", 2, 2},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(Classify(Bytes(c.bytes), c.m), c.cls) << testing::PrintToString(c.bytes) << " m=" << c.m;
}

TEST(Bitstream, SegmentCosts) {
    const int32_t* v1 = Table()[1].countWidths;
    const int32_t* v10 = Table()[10].countWidths;
    const int32_t* v27 = Table()[27].countWidths;
    // clang-format off
    struct {
        const int32_t* widths;
        int mode;
        int32_t n, bits;
    } cases[] = {
        {v1, kModeNumeric, 0, 14},      {v1, kModeNumeric, 1, 18},       {v1, kModeNumeric, 2, 21},
        {v1, kModeNumeric, 3, 24},      {v1, kModeNumeric, 8, 41},       {v1, kModeAlphanumeric, 0, 13},
        {v1, kModeAlphanumeric, 1, 19}, {v1, kModeAlphanumeric, 2, 24},  {v1, kModeAlphanumeric, 6, 46},
        {v1, kModeByte, 0, 12},         {v1, kModeByte, 5, 52},          {v1, kModeKanji, 0, 12},
        {v1, kModeKanji, 2, 25},        {v1, kModeKanji, 4, 38},         {v10, kModeByte, 0, 20},
        {v10, kModeNumeric, 7, 40},     {v10, kModeAlphanumeric, 3, 32}, {v10, kModeKanji, 2, 27},
        {v27, kModeNumeric, 3, 28},     {v27, kModeAlphanumeric, 1, 23}, {v27, kModeByte, 1, 28},
        {v27, kModeKanji, 2, 29},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(SegmentCost(c.mode, c.n, c.widths), c.bits) << "mode " << c.mode << " n " << c.n;
}

TEST(Bitstream, ScannerSplitsWhereItSavesBits) {
    // clang-format off
    struct {
        std::string data;
        int version;
        Segments expected;
    } cases[] = {
        // Three digits merge into the letters (24 + 30 > 46); the last three stand alone.
        {"123ABC456", 1, {{6, kModeAlphanumeric}, {3, kModeNumeric}}},
        // Digits inside byte text must also pay for reopening the byte segment.
        {"abc1234567def", 1, {{3, kModeByte}, {7, kModeNumeric}, {3, kModeByte}}},
        {"abc1234567def", 10, {{13, kModeByte}}},
        {"HELLO world", 1, {{6, kModeAlphanumeric}, {5, kModeByte}}},
        // Equal costs merge: 36 + 24 = 60 = 12 + 48, and 38 + 19 = 57 = 13 + 44.
        {"abc123", 1, {{6, kModeByte}}},
        {"1234567A", 1, {{8, kModeAlphanumeric}}},
        // One character more and the split is cheaper.
        {"abc1234", 1, {{3, kModeByte}, {4, kModeNumeric}}},
        {"12345678A", 1, {{8, kModeNumeric}, {1, kModeAlphanumeric}}},
        // Lower-case letters are bytes, never alphanumeric.
        {"hello", 1, {{5, kModeByte}}},
        // Kanji is never merged with its neighbours.
        {"\x88\x9f\x88\x9f" "A", 1, {{4, kModeKanji}, {1, kModeAlphanumeric}}},
        {"a\x88\x9f", 1, {{1, kModeByte}, {2, kModeKanji}}},
        // A lead byte at the end, or before an invalid trail byte, is a byte.
        {"ab\x88", 1, {{3, kModeByte}}},
        {"\x88 ", 1, {{2, kModeByte}}},
        {"\x88\x9f\x88", 1, {{2, kModeKanji}, {1, kModeByte}}},
        // A pair above 0xEBBF would not fit 13 bits: its bytes go into a byte segment.
        {"\xEB\xC0", 1, {{2, kModeByte}}},
        {"\xEB\xBF\xEB\xC0", 1, {{2, kModeKanji}, {2, kModeByte}}},
        {"", 1, {}},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(Scanned(c.data, c.version), c.expected)
            << testing::PrintToString(c.data) << " at version " << c.version;

    const Segment empty = Scan(Bytes("x"), 0, Table()[1].countWidths, kModeByte);
    EXPECT_EQ(empty.length, 0);
    EXPECT_EQ(empty.mode, kModeByte);
}

TEST(Bitstream, KnownCodewords) {
    // clang-format off
    struct {
        std::string data;
        int version, level, forcedMode;
        std::vector<uint8_t> head;
        int32_t lastMode;
    } cases[] = {
        // The worked example of the standard (Annex I): 01234567 at 1-M.
        {"01234567", 1, kLevelM, -1, {0x10, 0x20, 0x0C, 0x56, 0x61, 0x80}, kModeNumeric},
        {"01234567", 1, kLevelM, kModeNumeric, {0x10, 0x20, 0x0C, 0x56, 0x61, 0x80}, -2},
        // An empty piece: terminator and bit padding make one zero byte, then the pad codewords.
        {"", 1, kLevelL, -1, {0x00}, -1},
        {"HELLO WORLD", 1, kLevelQ, -1,
         {0x20, 0x5B, 0x0B, 0x78, 0xD1, 0x72, 0xDC, 0x4D, 0x43, 0x40}, kModeAlphanumeric},
        // Kanji of the standard's example: 0x935F -> 0xD9F, 0xE4AA -> 0x1AAA; the count is 2 characters.
        {"\x93\x5F\xE4\xAA", 1, kLevelL, -1, {0x80, 0x26, 0xCF, 0xEA, 0xA8, 0x00}, kModeKanji},
        {"\x93\x5F\xE4\xAA", 1, kLevelL, kModeKanji, {0x80, 0x26, 0xCF, 0xEA, 0xA8, 0x00}, -2},
        // The highest kanji value, 0xEBBF -> 0x1FFF.
        {"\xEB\xBF", 1, kLevelL, kModeKanji, {0x80, 0x1F, 0xFF, 0x80}, -2},
        // 0xEB 0xC0 in automatic mode: a byte segment carrying both bytes unchanged.
        {"\xEB\xC0", 1, kLevelL, -1, {0x40, 0x2E, 0xBC, 0x00}, kModeByte},
        {"ab", 1, kLevelL, kModeByte, {0x40, 0x26, 0x16, 0x20}, -2},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.data) + " mode " + std::to_string(c.forcedMode));
        const Stream s = Encode(c.data, Settings(c.version, c.level), c.forcedMode);
        ASSERT_EQ(s.result, 0);
        if (!c.head.empty()) {
            EXPECT_EQ(s.codewords, WithPad(c.head, s.codewords.size()));
        }
        if (c.forcedMode < 0) {
            EXPECT_EQ(s.lastMode, c.lastMode);
        }
    }

    // 41 nines at 1-L: 0001, count 41, 13 groups of 999 and the pair 99 take 151 of the 152 bits,
    // so the terminator is cut to one bit and no pad codeword follows.
    const Stream nines = Encode(std::string(41, '9'), Settings(1, kLevelL));
    ASSERT_EQ(nines.result, 0);
    EXPECT_EQ(nines.codewords[0], 0x10);
    EXPECT_EQ(nines.codewords[1], 0xA7);
    EXPECT_EQ(nines.codewords[18], 0xC6);
}

TEST(Bitstream, ForcedModeRejectsBytesItCannotCarry) {
    // clang-format off
    struct {
        std::string data;
        int mode;
        bool ok;
    } cases[] = {
        {"0123", kModeNumeric, true},
        {"12 3", kModeNumeric, false},
        {"12A", kModeNumeric, false},
        {"HELLO $%*+-./:", kModeAlphanumeric, true},
        {"Hello", kModeAlphanumeric, false},
        {"A\xC1", kModeAlphanumeric, false}, // 0xC1 & 0x7F would be 'A'
        {std::string("\x00\xFF\x81", 3), kModeByte, true},
        {"\x88\x9f\x88\x9f", kModeKanji, true},
        {"\x88\x9f\x88", kModeKanji, false},  // odd length
        {"\xA0\x40", kModeKanji, false},      // not a lead byte
        {"\x88\x7F", kModeKanji, false},      // not a trail byte
        {"\x88\xFD", kModeKanji, false},
        {"\xEC\x40", kModeKanji, false},
        {"\xEB\xBF", kModeKanji, true},
        {"\xEB\xC0", kModeKanji, false},      // value 0x2000 does not fit 13 bits
        {"\xEB\xFC", kModeKanji, false},
        {"\x88\x9f\xEB\xC0", kModeKanji, false},
        {"", kModeKanji, true},
    };
    // clang-format on
    for (const auto& c : cases) {
        const Stream s = Encode(c.data, Settings(1, kLevelL), c.mode);
        EXPECT_EQ(s.result, c.ok ? 0 : -1) << testing::PrintToString(c.data) << " mode " << c.mode;
    }
}

TEST(Bitstream, FitIsDecidedByTheRemainingBits) {
    const std::string kanji10 = [] {
        std::string s;
        for (int i = 0; i < 11; ++i)
            s += "\x88\x9f";
        return s;
    }();
    // clang-format off
    struct {
        std::string data;
        int version, level, forcedMode;
        TQRMode mode;
        bool fits;
    } cases[] = {
        {std::string(41, '1'), 1, kLevelL, -1, qrSingle, true},
        {std::string(42, '1'), 1, kLevelL, -1, qrSingle, false},
        {std::string(17, 'a'), 1, kLevelL, -1, qrSingle, true},
        {std::string(18, 'a'), 1, kLevelL, -1, qrSingle, false},
        {std::string(17, 'a'), 1, kLevelL, kModeByte, qrSingle, true},
        {std::string(18, 'a'), 1, kLevelL, kModeByte, qrSingle, false},
        // Forced kanji: the cost is measured on the bytes, 12 + 13 x 10 = 142 <= 152.
        {kanji10.substr(0, 20), 1, kLevelL, kModeKanji, qrSingle, true},
        {kanji10, 1, kLevelL, kModeKanji, qrSingle, false},
        // The structured-append header takes 20 of the 152 bits: 35 digits fit, 36 do not.
        {std::string(41, '1'), 1, kLevelL, -1, qrConnect, false},
        {std::string(35, '1'), 1, kLevelL, -1, qrConnect, true},
        {std::string(36, '1'), 1, kLevelL, -1, qrConnect, false},
        {std::string(36, '1'), 1, kLevelL, kModeNumeric, qrConnect, false},
        // Independent symbols carry no header.
        {std::string(41, '1'), 1, kLevelL, -1, qrPlus, true},
        {std::string(7089, '7'), 40, kLevelL, -1, qrSingle, true},
        {std::string(2953, 'x'), 40, kLevelL, -1, qrSingle, true},
        {std::string(2954, 'x'), 40, kLevelL, -1, qrSingle, false},
    };
    // clang-format on
    for (const auto& c : cases) {
        const Stream s = Encode(c.data, Settings(c.version, c.level, c.mode, 1, 2), c.forcedMode);
        EXPECT_EQ(s.result, c.fits ? 0 : -1)
            << c.data.size() << " bytes at " << c.version << "-" << c.level << " mode " << c.mode;
    }
}

TEST(Bitstream, StructuredAppendHeader) {
    // 0011, position 1 (second symbol), count - 1 = 2, parity 0x5A, then the numeric segment of "1".
    const Stream s = Encode("1", Settings(1, kLevelL, qrConnect, 2, 3, 0x5A));
    ASSERT_EQ(s.result, 0);
    EXPECT_EQ(s.codewords, WithPad({0x31, 0x25, 0xA1, 0x00, 0x44, 0x00}, 19));

    // clang-format off
    struct {
        int32_t index, count, parity;
        uint8_t first, second, third;
    } cases[] = {
        {1, 2, 0x00, 0x30, 0x10, 0x01},
        {16, 16, 0xFF, 0x3F, 0xFF, 0xF1},
        {3, 7, 0x81, 0x32, 0x68, 0x11},
    };
    // clang-format on
    for (const auto& c : cases) {
        const Stream h = Encode("1", Settings(1, kLevelL, qrConnect, c.index, c.count, c.parity));
        ASSERT_EQ(h.result, 0);
        EXPECT_EQ(h.codewords[0], c.first) << c.index << "/" << c.count;
        EXPECT_EQ(h.codewords[1], c.second) << c.index << "/" << c.count;
        EXPECT_EQ(h.codewords[2], c.third) << c.index << "/" << c.count;
    }

    // qrSingle and qrPlus start with the segment itself.
    for (TQRMode mode : {qrSingle, qrPlus}) {
        const Stream plain = Encode("1", Settings(1, kLevelL, mode, 2, 3, 0x5A));
        EXPECT_EQ(plain.codewords, WithPad({0x10, 0x04, 0x40}, 19)) << mode;
    }
}

// The output buffer only has to hold the level's data codewords; the bytes after them belong to
// the caller.
TEST(Bitstream, WritesOnlyTheLevelsDataCodewords) {
    // clang-format off
    struct {
        std::string data;
        int version, level, forcedMode;
    } cases[] = {
        {"01234567", 1, kLevelM, -1}, {"", 1, kLevelH, -1},          {"ABC", 5, kLevelQ, kModeAlphanumeric},
        {"x", 40, kLevelH, -1},       {std::string(50, 'x'), 1, kLevelL, -1}, // does not fit
    };
    // clang-format on
    for (const auto& c : cases) {
        const Stream s = Encode(c.data, Settings(c.version, c.level), c.forcedMode);
        EXPECT_TRUE(s.guardIntact) << "bytes after the " << s.codewords.size()
                                   << " data codewords were overwritten, " << c.version << "-" << c.level;
    }
}

} // namespace
} // namespace zarvo::encoder
