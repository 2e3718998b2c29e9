#include "encoder/encoder.h"
#include "tests/encoder/test_support.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace zarvo::encoder {
namespace {

using test_support::Bytes;
using test_support::Len;

// The encoder holds all working storage at its largest size; keep it off the stack.
std::unique_ptr<SymbolEncoder> NewEncoder(int32_t version = 1, int32_t level = kLevelL) {
    auto enc = std::make_unique<SymbolEncoder>();
    enc->Version = version;
    enc->Eclevel = level;
    return enc;
}

bool Encode(SymbolEncoder& enc, const std::string& piece) {
    enc.SetPiece(Bytes(piece), Len(piece));
    return enc.EncodeOne();
}

std::vector<uint8_t> Cells(const SymbolEncoder& enc) {
    return std::vector<uint8_t>(enc.Matrix().cells.begin(), enc.Matrix().cells.end());
}

// The mask as a reader finds it in the format information around the upper-left finder.
int MaskInSymbol(const SymbolEncoder& enc) {
    int32_t f = 0;
    auto take = [&](int row, int col) { f = f << 1 | (enc.Dark(row, col) ? 1 : 0); };
    for (int c = 0; c <= 5; ++c)
        take(8, c);
    take(8, 7);
    take(8, 8);
    take(7, 8);
    for (int r = 5; r >= 0; --r)
        take(r, 8);
    return ((f ^ 0x5412) >> 10) & 7;
}

TEST(SymbolEncoder, WorkedExampleThroughEveryStage) {
    auto enc = NewEncoder(1, kLevelM);
    ASSERT_TRUE(Encode(*enc, "01234567"));
    const std::vector<uint8_t> data(enc->DataCodewords(), enc->DataCodewords() + 16);
    EXPECT_EQ(data, (std::vector<uint8_t>{0x10, 0x20, 0x0C, 0x56, 0x61, 0x80, 0xEC, 0x11, 0xEC, 0x11, 0xEC,
                                          0x11, 0xEC, 0x11, 0xEC, 0x11}));
    const std::vector<uint8_t> ec(enc->EcCodewords(), enc->EcCodewords() + 10);
    EXPECT_EQ(ec, (std::vector<uint8_t>{0xA5, 0x24, 0xD4, 0xC1, 0xED, 0x36, 0xC7, 0x87, 0x2C, 0x55}));
    // One block: the sequence is the data, then the error correction.
    EXPECT_EQ(std::vector<uint8_t>(enc->Sequence(), enc->Sequence() + 16), data);
    EXPECT_EQ(std::vector<uint8_t>(enc->Sequence() + 16, enc->Sequence() + 26), ec);
    EXPECT_EQ(enc->MasktypeR, 7);
    EXPECT_EQ(MaskInSymbol(*enc), 7);
    EXPECT_EQ(enc->EmodeR, kModeNumeric);
    EXPECT_EQ(enc->Side(), 21);
}

TEST(SymbolEncoder, MaskSetting) {
    auto enc = NewEncoder(1, kLevelM);
    for (int32_t t = 0; t < 8; ++t) {
        enc->Masktype = t;
        enc->MasktypeR = t; // as the owner's setter leaves it
        ASSERT_TRUE(Encode(*enc, "01234567"));
        EXPECT_EQ(enc->MasktypeR, t);
        EXPECT_EQ(MaskInSymbol(*enc), t);
    }
    // Automatic again: the choice of the penalty, reported back.
    enc->Masktype = -1;
    ASSERT_TRUE(Encode(*enc, "01234567"));
    EXPECT_EQ(enc->MasktypeR, 7);
    const std::vector<uint8_t> automatic = Cells(*enc);
    enc->Masktype = 7;
    ASSERT_TRUE(Encode(*enc, "01234567"));
    EXPECT_EQ(Cells(*enc), automatic);
}

TEST(SymbolEncoder, EmodeRReportsTheLastSegment) {
    // clang-format off
    struct {
        std::string piece;
        int32_t emodeR;
    } cases[] = {
        {"ABC123456789", kModeNumeric},
        {"123abc", kModeByte},            // equal costs merge into the wider mode
        {"HELLO", kModeAlphanumeric},
        {"\x88\x9f\x88\x9f", kModeKanji},
        {"\x88\x9f\x88\x9f" "1234", kModeNumeric}, // mostly kanji, but it ends in digits
        {"\xEB\xC0", kModeByte},
        {"", -1},
    };
    // clang-format on
    auto enc = NewEncoder(2, kLevelL);
    for (const auto& c : cases) {
        enc->EmodeR = 99;
        ASSERT_TRUE(Encode(*enc, c.piece)) << testing::PrintToString(c.piece);
        EXPECT_EQ(enc->EmodeR, c.emodeR) << testing::PrintToString(c.piece);
    }
}

TEST(SymbolEncoder, ForcedModeThatCannotCarryTheDataFails) {
    // clang-format off
    struct {
        std::string piece;
        int32_t emode;
        bool ok;
    } cases[] = {
        {"12A", kModeNumeric, false},
        {"abc", kModeAlphanumeric, false},
        {"\x88\x9f\x88", kModeKanji, false},
        {"\xEB\xC0", kModeKanji, false},
        {"ABC", kModeAlphanumeric, true},
        {"ABC", kModeByte, true},
        {"\x88\x9f", kModeKanji, true},
    };
    // clang-format on
    for (const auto& c : cases) {
        auto enc = NewEncoder(1, kLevelL);
        ASSERT_TRUE(Encode(*enc, "0"));
        const std::vector<uint8_t> before = Cells(*enc);
        enc->Emode = c.emode;
        enc->EmodeR = c.emode; // as the owner's setter leaves it
        EXPECT_EQ(Encode(*enc, c.piece), c.ok) << testing::PrintToString(c.piece) << " mode " << c.emode;
        EXPECT_EQ(enc->EmodeR, c.emode);
        if (!c.ok) {
            EXPECT_EQ(Cells(*enc), before) << "a failing piece must leave the matrix untouched";
        }
    }
}

TEST(SymbolEncoder, Capacity) {
    auto enc = NewEncoder(1, kLevelL);
    EXPECT_EQ(enc->EmodeR, -1);
    EXPECT_EQ(enc->Capacity(), 25); // alphanumeric while no mode was reported
    enc->Count = 3;
    EXPECT_EQ(enc->Capacity(), 75);
    enc->Count = 1;

    // clang-format off
    struct {
        int32_t version, level, emodeR, capacity;
    } cases[] = {
        {1, kLevelL, kModeNumeric, 41}, {1, kLevelH, kModeKanji, 4},       {40, kLevelL, kModeNumeric, 7089},
        {40, kLevelL, kModeByte, 2953}, {10, kLevelM, kModeAlphanumeric, 311}, {40, kLevelH, -1, 1852},
    };
    // clang-format on
    for (const auto& c : cases) {
        enc->Version = c.version;
        enc->Eclevel = c.level;
        enc->EmodeR = c.emodeR;
        EXPECT_EQ(enc->Capacity(), c.capacity) << c.version << "-" << c.level << " mode " << c.emodeR;
    }

    // Capacity follows what automatic encoding reported: kanji text ending in digits is numeric.
    enc->Version = 1;
    enc->Eclevel = kLevelL;
    ASSERT_TRUE(Encode(*enc, "\x88\x9f\x88\x9f"));
    EXPECT_EQ(enc->Capacity(), 10);
    ASSERT_TRUE(Encode(*enc, "\x88\x9f\x88\x9f"
                             "12"));
    EXPECT_EQ(enc->Capacity(), 41);
    // A piece that does not fit keeps the last report.
    ASSERT_FALSE(Encode(*enc, std::string(30, 'x')));
    EXPECT_EQ(enc->Capacity(), 41);
}

TEST(SymbolEncoder, LargestSymbols) {
    auto enc = NewEncoder(40, kLevelL);
    EXPECT_TRUE(Encode(*enc, std::string(7089, '5')));
    EXPECT_EQ(enc->Side(), 177);
    EXPECT_TRUE(Encode(*enc, std::string(2953, '\xA5')));
    EXPECT_FALSE(Encode(*enc, std::string(2954, '\xA5')));

    // 7090 digits in one piece are not attempted at all.
    const std::string digits(7090, '5');
    enc->Divide(Bytes(digits), Len(digits));
    EXPECT_EQ(enc->Count, 1);
    EXPECT_EQ(enc->EncodePiece(1, Bytes(digits), Len(digits)), PieceResult::TooLong);
    // Split in two they fit.
    enc->Count = 2;
    enc->Mode = qrPlus;
    enc->Divide(Bytes(digits), Len(digits));
    EXPECT_EQ(enc->EncodePiece(1, Bytes(digits), Len(digits)), PieceResult::Encoded);
    EXPECT_EQ(enc->EncodePiece(2, Bytes(digits), Len(digits)), PieceResult::Encoded);
}

TEST(SymbolEncoder, WalkStopsWhereAPieceDoesNotFit) {
    // Three pieces of 30: digits fit 1-L with the structured-append header, lower-case bytes do not.
    const std::string data = std::string(30, '1') + std::string(30, 'x') + std::string(30, '3');
    auto enc = NewEncoder(1, kLevelL);
    enc->Count = 3;
    enc->Divide(Bytes(data), Len(data));
    ASSERT_EQ(enc->Count, 3);
    EXPECT_EQ(enc->Mode, qrConnect);
    enc->CheckDivision(Bytes(data), Len(data));

    EXPECT_EQ(enc->EncodePiece(1, Bytes(data), Len(data)), PieceResult::Encoded);
    EXPECT_EQ(enc->CurrentPiece, 1);
    EXPECT_EQ(enc->EmodeR, kModeNumeric);
    const std::vector<uint8_t> first = Cells(*enc);

    EXPECT_EQ(enc->EncodePiece(2, Bytes(data), Len(data)), PieceResult::NotFit);
    EXPECT_EQ(enc->CurrentPiece, 2);
    EXPECT_EQ(Cells(*enc), first) << "the failing piece left the first symbol in place";
    EXPECT_EQ(enc->EmodeR, kModeNumeric);
    EXPECT_EQ(
        std::string(reinterpret_cast<const char*>(enc->Piece()), static_cast<size_t>(enc->PieceLength())),
        std::string(30, 'x'));

    // Version 2 holds them all.
    enc->Version = 2;
    for (int32_t k = 1; k <= 3; ++k)
        EXPECT_EQ(enc->EncodePiece(k, Bytes(data), Len(data)), PieceResult::Encoded) << k;
}

TEST(SymbolEncoder, ChainedSymbolsCarryPositionCountAndParity) {
    const std::string data = "ABCDEFGHI";
    auto enc = NewEncoder(1, kLevelL);
    enc->Count = 3;
    enc->Divide(Bytes(data), Len(data));
    enc->CheckDivision(Bytes(data), Len(data));
    EXPECT_EQ(enc->Parity, 'A' ^ 'B' ^ 'C' ^ 'D' ^ 'E' ^ 'F' ^ 'G' ^ 'H' ^ 'I');
    for (int32_t k = 1; k <= 3; ++k) {
        ASSERT_EQ(enc->EncodePiece(k, Bytes(data), Len(data)), PieceResult::Encoded);
        const uint8_t* cw = enc->DataCodewords();
        EXPECT_EQ(cw[0], 0x30 | (k - 1)) << k;
        EXPECT_EQ(cw[1], (2 << 4) | (enc->Parity >> 4)) << k;
        EXPECT_EQ(cw[2] >> 4, enc->Parity & 0xF) << k;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(enc->Piece()), 3),
                  data.substr(static_cast<size_t>(3 * (k - 1)), 3));
    }
    // Independent symbols of the same data carry no header.
    enc->Mode = qrPlus;
    enc->Divide(Bytes(data), Len(data));
    ASSERT_EQ(enc->EncodePiece(2, Bytes(data), Len(data)), PieceResult::Encoded);
    EXPECT_EQ(enc->DataCodewords()[0] >> 4, 0x2); // alphanumeric mode indicator first
}

// A division made for longer data must not make the encoder read past the data it is given now.
TEST(SymbolEncoder, StaleDivisionGivesBadPieceWithoutReadingPastTheData) {
    const std::string longer = std::string(100, 'A');
    auto enc = NewEncoder(2, kLevelL);
    enc->Count = 4;
    enc->Divide(Bytes(longer), Len(longer));
    ASSERT_EQ(enc->PieceOffsets[4], 100);

    // The shorter data in an allocation of its own size, so that a sanitizer sees any overread.
    const auto shorter = std::make_unique<uint8_t[]>(60);
    std::fill(shorter.get(), shorter.get() + 60, 'B');
    struct {
        int32_t k;
        PieceResult result;
    } cases[] = {{1, PieceResult::Encoded},
                 {2, PieceResult::Encoded},
                 {3, PieceResult::BadPiece},
                 {4, PieceResult::BadPiece}};
    for (const auto& c : cases)
        EXPECT_EQ(enc->EncodePiece(c.k, shorter.get(), 60), c.result) << "piece " << c.k;

    // Hand-made offsets: decreasing, negative, beyond the data.
    // clang-format off
    struct {
        std::vector<int32_t> offsets;
        int32_t len;
        PieceResult result;
    } handMade[] = {
        {{0, 30, 20}, 60, PieceResult::BadPiece},
        {{0, -5, 20}, 60, PieceResult::BadPiece},
        {{0, 10, 61}, 60, PieceResult::BadPiece},
        {{0, 40, 60}, 60, PieceResult::Encoded},
        {{0, 10, 10}, 60, PieceResult::Encoded}, // an empty piece lies inside the data
    };
    // clang-format on
    for (const auto& c : handMade) {
        enc->Count = 2;
        std::copy(c.offsets.begin(), c.offsets.end(), enc->PieceOffsets.begin());
        const std::vector<uint8_t> before = Cells(*enc);
        EXPECT_EQ(enc->EncodePiece(2, shorter.get(), c.len), c.result) << testing::PrintToString(c.offsets);
        if (c.result == PieceResult::BadPiece) {
            EXPECT_EQ(Cells(*enc), before);
        }
    }
}

TEST(SymbolEncoder, EmptyDataIsOneEmptySymbol) {
    auto enc = NewEncoder(1, kLevelL);
    enc->Count = 4;
    enc->Mode = qrConnect;
    enc->Divide(nullptr, 0);
    EXPECT_EQ(enc->Count, 1);
    EXPECT_EQ(enc->Mode, qrSingle);
    EXPECT_NO_THROW(enc->CheckDivision(nullptr, 0));
    EXPECT_EQ(enc->EncodePiece(1, nullptr, 0), PieceResult::Encoded);
    EXPECT_EQ(enc->EmodeR, -1);
    EXPECT_EQ(enc->DataCodewords()[0], 0x00);
    EXPECT_EQ(enc->DataCodewords()[1], 0xEC);
    EXPECT_EQ(enc->DataCodewords()[18], 0x11);
}

TEST(SymbolEncoder, CheckDivisionThrowsForABrokenState) {
    const std::string data = "ABCDEF";
    auto enc = NewEncoder();
    enc->Count = 2;
    enc->Divide(Bytes(data), Len(data));
    enc->Column = 0;
    try {
        enc->CheckDivision(Bytes(data), Len(data));
        ADD_FAILURE() << "no exception";
    } catch (const EncodeError& e) {
        EXPECT_STREQ(e.what(), "Illegal Column : 0");
    }
    enc->Column = 16;
    enc->Count = 3; // changed behind the division's back
    try {
        enc->CheckDivision(Bytes(data), Len(data));
        ADD_FAILURE() << "no exception";
    } catch (const EncodeError& e) {
        EXPECT_STREQ(e.what(), "Illegal Offset[3] : 0");
    }
}

} // namespace
} // namespace zarvo::encoder
