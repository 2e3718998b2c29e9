#include "encoder/divide.h"
#include "tests/encoder/test_support.h"

#include <algorithm>
#include <array>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace zarvo::encoder {
namespace {

using test_support::Bytes;
using test_support::Len;

struct Division {
    int32_t count;
    TQRMode mode;
    std::vector<int32_t> offsets;
};

Division Divide(const std::string& data, int32_t count, TQRMode mode = qrSingle) {
    std::array<int32_t, kMaxPieces + 1> offsets;
    offsets.fill(-7);
    DividePieces(Bytes(data), Len(data), count, mode, offsets.data());
    return {count, mode, std::vector<int32_t>(offsets.begin(), offsets.begin() + count + 1)};
}

std::string Text(size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s += static_cast<char>('a' + i % 26);
    return s;
}

TEST(Divide, PieceSizes) {
    // clang-format off
    struct {
        std::string data;
        int32_t count;
        Division expected;
    } cases[] = {
        {Text(10), 3, {3, qrConnect, {0, 4, 8, 10}}},
        {Text(10), 4, {4, qrConnect, {0, 3, 6, 9, 10}}},
        {Text(5), 4, {4, qrConnect, {0, 1, 2, 3, 5}}},  // n stays 1: 2 x 3 is not below 5
        {Text(3), 5, {3, qrConnect, {0, 1, 2, 3}}},     // no more pieces than bytes
        {"", 1, {1, qrSingle, {0, 0}}},
        {"", 5, {1, qrSingle, {0, 0}}},
        {Text(7), 0, {1, qrSingle, {0, 7}}},            // clamped to 1..1024
        {Text(7), -3, {1, qrSingle, {0, 7}}},
        {Text(7), 1, {1, qrSingle, {0, 7}}},
        {Text(16), 16, {16, qrConnect, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}}},
    };
    // clang-format on
    for (const auto& c : cases) {
        const Division d = Divide(c.data, c.count);
        EXPECT_EQ(d.count, c.expected.count) << c.data.size() << " / " << c.count;
        EXPECT_EQ(d.mode, c.expected.mode) << c.data.size() << " / " << c.count;
        EXPECT_EQ(d.offsets, c.expected.offsets) << c.data.size() << " / " << c.count;
    }

    // 1024 pieces of 200000 bytes: 195 each, the last takes the rest.
    const Division big = Divide(Text(200000), 5000);
    ASSERT_EQ(big.count, 1024);
    EXPECT_EQ(big.mode, qrPlus);
    EXPECT_EQ(big.offsets[1], 195);
    EXPECT_EQ(big.offsets[1023], 195 * 1023);
    EXPECT_EQ(big.offsets[1024], 200000);
}

TEST(Divide, BoundariesKeepDoubleByteCharactersWhole) {
    // clang-format off
    struct {
        std::string data;
        int32_t count;
        std::vector<int32_t> offsets;
    } cases[] = {
        // The boundary at 2 falls on the second byte of 0x82 0xA0 and moves back.
        {"A\x82\xA0" "B", 2, {0, 1, 4}},
        // Right after the previous boundary it moves forward instead; the next one would reach
        // the end, so the division stops with two pieces.
        {"\x82\xA0\x82\xA0", 4, {0, 2, 4}},
        // Each following boundary is placed n bytes after the moved one, so fewer pieces result.
        {"\x82\xA0\x82\xA0" "ab", 6, {0, 2, 4, 5, 6}},
        // A run of lead bytes: odd length before the byte makes it a second byte.
        {"\x82\x82\x82" "A", 4, {0, 2, 4}},
        {"\x81\x81" "AB", 2, {0, 2, 4}},
        // A second byte outside the trail-byte set does not move the boundary.
        {"\x81 ", 2, {0, 1, 2}},
        // A byte 0 after a lead byte is no trail byte: the boundary stays.
        {std::string("\x81\x00", 2), 2, {0, 1, 2}},
        // Half-width katakana are single bytes.
        {"\xB1\xB2\xB3\xB4", 2, {0, 2, 4}},
        {"\xE0\x40\xFC\xFC", 2, {0, 2, 4}},
        {"a\xFC\xFC" "b", 2, {0, 1, 4}},
    };
    // clang-format on
    for (const auto& c : cases) {
        const Division d = Divide(c.data, c.count);
        EXPECT_EQ(d.offsets, c.offsets) << testing::PrintToString(c.data) << " / " << c.count;
        EXPECT_EQ(d.count + 1, static_cast<int32_t>(c.offsets.size()));
    }
}

TEST(Divide, FinalMode) {
    // clang-format off
    struct {
        int32_t len, count;
        TQRMode before, after;
    } cases[] = {
        {100, 17, qrConnect, qrPlus}, {100, 17, qrSingle, qrPlus}, {100, 5, qrPlus, qrPlus},
        {100, 2, qrPlus, qrPlus},     {100, 16, qrPlus, qrPlus},   {100, 3, qrSingle, qrConnect},
        {100, 16, qrSingle, qrConnect}, {100, 3, qrConnect, qrConnect}, {100, 1, qrConnect, qrSingle},
        {100, 1, qrPlus, qrSingle},   {1, 5, qrConnect, qrSingle}, {0, 3, qrPlus, qrSingle},
    };
    // clang-format on
    for (const auto& c : cases) {
        const Division d = Divide(Text(static_cast<size_t>(c.len)), c.count, c.before);
        EXPECT_EQ(d.mode, c.after) << c.len << " / " << c.count << " from " << c.before;
    }
}

struct State {
    std::string data = "ABCDEFGHIJ";
    int32_t len = 10;
    int32_t count = 3;
    int32_t mode = qrConnect;
    int32_t column = 16;
    std::vector<int32_t> offsets = {0, 4, 8, 10};
};

std::string CheckMessage(const State& s, int32_t& parity) {
    std::array<int32_t, kMaxPieces + 1> offsets{};
    std::copy(s.offsets.begin(), s.offsets.end(), offsets.begin());
    try {
        CheckPieces(Bytes(s.data), s.len, s.count, s.mode, s.column, offsets.data(), parity);
    } catch (const EncodeError& e) {
        return e.what();
    }
    return "";
}

TEST(Divide, CheckReportsTheFirstInconsistency) {
    // clang-format off
    struct {
        const char* what;
        State state;
        std::string message;
    } cases[] = {
        {"valid", {}, ""},
        {"negative length", {"", -1, 5, 7, 0, {}}, "Illegal Len : -1"},
        {"count 0", {"AB", 2, 0, 9, 0, {}}, "Illegal Count : 0"},
        {"count above 1024", {"AB", 2, 1025, 0, 16, {}}, "Illegal Count : 1025"},
        {"mode 3", {"AB", 2, 2, 3, 0, {0, 1, 2}}, "Illegal Mode : 3"},
        {"mode -1", {"AB", 2, 2, -1, 16, {0, 1, 2}}, "Illegal Mode : -1"},
        {"column 0", {"AB", 2, 2, qrConnect, 0, {0, 1, 2}}, "Illegal Column : 0"},
        {"column above 1024", {"AB", 2, 2, qrConnect, 1025, {0, 1, 2}}, "Illegal Column : 1025"},
        {"empty data, count 2", {"", 0, 2, qrSingle, 16, {0, 0}}, "Illegal Count : 2"},
        {"empty data, chained", {"", 0, 1, qrConnect, 16, {0, 0}}, "Illegal Mode : 1"},
        {"empty data, offset 0", {"", 0, 1, qrSingle, 16, {3, 0}}, "Illegal Offset[0] : 3"},
        {"empty data, offset 1", {"", 0, 1, qrSingle, 16, {0, 2}}, "Illegal Offset[1] : 2"},
        {"more pieces than bytes", {"AB", 2, 3, qrConnect, 16, {0, 1, 2, 2}}, "Illegal Count : 3"},
        {"single with 2 pieces", {"ABCDE", 5, 2, qrSingle, 16, {0, 3, 5}}, "Illegal Count : 2"},
        {"chained with 17", {std::string(100, 'x'), 100, 17, qrConnect, 16, {}}, "Illegal Count : 17"},
        {"chained with 1", {"ABCDE", 5, 1, qrConnect, 16, {0, 5}}, "Illegal Count : 1"},
        {"plus with 1", {"ABCDE", 5, 1, qrPlus, 16, {0, 5}}, "Illegal Count : 1"},
        {"first offset", {"ABCDEFGHIJ", 10, 3, qrConnect, 16, {1, 4, 8, 10}}, "Illegal Offset[0] : 1"},
        {"last offset", {"ABCDEFGHIJ", 10, 3, qrConnect, 16, {0, 4, 8, 7}}, "Illegal Offset[3] : 7"},
        {"past the end", {"ABCDEFGHIJ", 10, 3, qrConnect, 16, {0, 4, 8, 12}}, "Illegal Offset[3] : 12"},
        {"end before order", {"ABCDEFGHIJ", 10, 3, qrConnect, 16, {0, 8, 4, 12}}, "Illegal Offset[3] : 12"},
        {"empty piece", {"ABCDEFGHIJ", 10, 3, qrConnect, 16, {0, 4, 4, 10}}, "Illegal Offset[2] : 4"},
        {"empty first piece", {"ABCDEFGHIJ", 10, 3, qrConnect, 16, {0, 0, 8, 10}}, "Illegal Offset[1] : 0"},
        {"decreasing", {"ABCDEFGHIJ", 10, 3, qrConnect, 16, {0, 8, 4, 10}}, "Illegal Offset[2] : 4"},
        {"plus with 1024", {std::string(1024, 'x'), 1024, 1024, qrPlus, 1024, {}}, ""},
    };
    // clang-format on
    for (auto& c : cases) {
        if (c.state.offsets.empty())
            for (int32_t i = 0; i <= std::min(c.state.count, kMaxPieces); ++i)
                c.state.offsets.push_back(c.state.count > 0 ? i * c.state.len / c.state.count : 0);
        int32_t parity = 0x77;
        EXPECT_EQ(CheckMessage(c.state, parity), c.message) << c.what;
        if (!c.message.empty()) {
            EXPECT_EQ(parity, 0x77) << c.what << ": a failed check changes nothing";
        }
    }
    EXPECT_STREQ(IllegalValue("Len", -1).what(), "Illegal Len : -1");
    const std::runtime_error& asRuntimeError = IllegalValue("Column", 0);
    EXPECT_STREQ(asRuntimeError.what(), "Illegal Column : 0");
}

TEST(Divide, ParityOfAChainedSet) {
    // clang-format off
    struct {
        std::string data;
        int32_t count;
        int32_t mode;
        int32_t parity;
    } cases[] = {
        {"AB", 2, qrConnect, 0x03},
        {"\x41\x42\x43", 3, qrConnect, 0x40},
        {"\xFF\x0F\xF0\x01", 2, qrConnect, 0x01},
        {"AB", 1, qrSingle, 0x77}, // other modes keep the previous value
        {"AB", 2, qrPlus, 0x77},
        {std::string(14178, '\x01'), 2, qrConnect, 0x00}, // 7089 per piece: computed
        {std::string(14180, '\x01'), 2, qrConnect, 0x77}, // 7090 per piece: kept
    };
    // clang-format on
    for (const auto& c : cases) {
        State s{c.data, Len(c.data), c.count, c.mode, 16, {}};
        for (int32_t i = 0; i <= c.count; ++i)
            s.offsets.push_back(i * s.len / c.count);
        int32_t parity = 0x77;
        EXPECT_EQ(CheckMessage(s, parity), "");
        EXPECT_EQ(parity, c.parity) << testing::PrintToString(c.data.substr(0, 8)) << " / " << c.count;
    }
}

// Whatever the data and the request, the division's own result passes the check.
TEST(Divide, EveryDivisionPassesTheCheck) {
    std::mt19937 rng(11);
    const uint8_t alphabet[] = {'A',  '1',  'z',  0x00, 0x81, 0x82, 0x9F,
                                0xA0, 0xE0, 0xEB, 0xFC, 0x40, 0x7F, 0x80};
    for (int trial = 0; trial < 2000; ++trial) {
        std::string data(rng() % (trial < 1900 ? 40 : 5000), '\0');
        for (auto& ch : data)
            ch = static_cast<char>(alphabet[rng() % sizeof(alphabet)]);
        int32_t count = static_cast<int32_t>(rng() % 1100) - 20;
        TQRMode mode = static_cast<TQRMode>(rng() % 3);
        std::array<int32_t, kMaxPieces + 1> offsets{};
        DividePieces(Bytes(data), Len(data), count, mode, offsets.data());
        int32_t parity = 0;
        ASSERT_NO_THROW(CheckPieces(Bytes(data), Len(data), count, mode, 16, offsets.data(), parity))
            << "length " << data.size() << " trial " << trial;
    }
}

} // namespace
} // namespace zarvo::encoder
