// Symbol tables of QR Code model 2 (ISO/IEC 18004:2000) and the per-instance version table.
//
// The constant tables are constexpr and computed at compile time from the standard's defining rules;
// static_asserts below pin them to values printed in the standard. The version table is a plain
// array that each encoder instance fills once with BuildVersionTable().
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zarvo::encoder {

// Largest sizes of the working storage, all following from the version table.
inline constexpr int kMinVersion = 1;
inline constexpr int kMaxVersion = 40;
inline constexpr int kMaxSide = 177;           // 17 + 4 * 40
inline constexpr int kMaxPieceBytes = 7089;    // numeric capacity of 40-L
inline constexpr int kMaxDataCodewords = 2956; // 40-L
inline constexpr int kMaxEcCodewords = 2430;   // 40-H: 3706 - 1276
inline constexpr int kMaxCodewords = 3706;     // version 40
inline constexpr int kMaxBlockData = 123;      // largest k of any block (27-L, 37-L, 38-L)
inline constexpr int kMaxPieces = 1024;

// Segment modes, in the order of every table indexed by mode.
inline constexpr int kModeNumeric = 0;
inline constexpr int kModeAlphanumeric = 1;
inline constexpr int kModeByte = 2;
inline constexpr int kModeKanji = 3;

// Error-correction levels as the version table indexes them (not the format code order).
inline constexpr int kLevelL = 0;
inline constexpr int kLevelM = 1;
inline constexpr int kLevelQ = 2;
inline constexpr int kLevelH = 3;

struct BlockGroup {
    int32_t count; // blocks in the group
    int32_t c;     // codewords per block
    int32_t k;     // data codewords per block
    int32_t r;     // correctable errors per block
};

struct LevelRecord {
    int32_t dataCodewords;
    int32_t capacities[4]; // characters, by mode; kanji counts double-byte characters
    int32_t groupCount;    // 1 or 2
    BlockGroup groups[2];  // an absent second group is all zero
};

struct VersionRecord {
    int32_t version;
    int32_t side;
    int32_t totalCodewords;
    int32_t remainderBits;
    int32_t countWidths[4]; // character-count field widths, by mode
    LevelRecord levels[4];  // L, M, Q, H
    int32_t alignmentCount;
    int32_t alignment[7]; // the first alignmentCount slots are used
};

// Index 0 exists, stays zero and is never used.
using VersionTable = std::array<VersionRecord, kMaxVersion + 1>;

// Zeroes the table and fills versions 1..40.
void BuildVersionTable(VersionTable& table);

// ----------------------------------------------------------------------------------------------
// Constant tables
// ----------------------------------------------------------------------------------------------

namespace detail {

constexpr std::array<uint8_t, 256> MakeByteClasses() {
    std::array<uint8_t, 256> t{};
    for (int b = 0; b < 256; ++b) {
        const bool digit = b >= '0' && b <= '9';
        const bool alnum = (b >= 'A' && b <= 'Z') || b == ' ' || b == '$' || b == '%' || b == '*' ||
                           b == '+' || b == '-' || b == '.' || b == '/' || b == ':';
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEB);
        t[static_cast<size_t>(b)] = digit ? 0 : alnum ? 1 : lead ? 3 : 2;
    }
    return t;
}

constexpr std::array<uint8_t, 128> MakeAlphanumericValues() {
    std::array<uint8_t, 128> t{};
    for (auto& v : t)
        v = 255;
    constexpr char kChars[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
    for (uint8_t i = 0; i < 45; ++i)
        t[static_cast<uint8_t>(kChars[i])] = i;
    return t;
}

struct GaloisTables {
    std::array<uint8_t, 256> antilog{};
    std::array<uint8_t, 256> log{};
};

constexpr GaloisTables MakeGalois() {
    GaloisTables g{};
    int x = 1;
    for (int i = 0; i < 256; ++i) {
        g.antilog[static_cast<size_t>(i)] = static_cast<uint8_t>(x);
        x <<= 1;
        if (x & 0x100)
            x ^= 0x11D;
    }
    // alpha^255 = alpha^0 = 1; keep log(1) = 0, not 255.
    for (int i = 254; i >= 0; --i)
        g.log[g.antilog[static_cast<size_t>(i)]] = static_cast<uint8_t>(i);
    return g;
}

} // namespace detail

// 0 numeric, 1 alphanumeric, 2 8-bit byte, 3 kanji lead byte (0x81..0x9F, 0xE0..0xEB).
inline constexpr std::array<uint8_t, 256> kByteClass = detail::MakeByteClasses();

// Shift-JIS second bytes: 0x40..0x7E and 0x80..0xFC.
constexpr bool IsTrailByte(uint8_t b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Alphanumeric value of bytes 0..127, 255 where there is none.
inline constexpr std::array<uint8_t, 128> kAlphanumericValue = detail::MakeAlphanumericValues();

// Mode indicators, by mode. Structured append (0011) is written as a literal.
inline constexpr std::array<uint8_t, 4> kModeIndicator = {0x1, 0x2, 0x4, 0x8};

// GF(256) over x^8 + x^4 + x^3 + x^2 + 1. antilog[255] = 1; log[0] is 0 and never used.
inline constexpr detail::GaloisTables kGalois = detail::MakeGalois();
constexpr uint8_t Antilog(int i) {
    return kGalois.antilog[static_cast<size_t>(i)];
}
constexpr uint8_t Log(uint8_t x) {
    return kGalois.log[x];
}

// Generator polynomials (x - a^0)...(x - a^(n-1)) as alpha exponents of the coefficients of
// x^(n-1) .. x^0, the leading 1 left out (ISO/IEC 18004 Annex A). Rows for n that the block
// table does not use are empty.
struct GeneratorRow {
    int32_t n;
    std::array<uint8_t, 30> exponents;
};
namespace detail {
constexpr uint8_t GfMul(uint8_t a, uint8_t b) {
    if (a == 0 || b == 0)
        return 0;
    return kGalois.antilog[static_cast<size_t>((kGalois.log[a] + kGalois.log[b]) % 255)];
}
constexpr GeneratorRow MakeGenerator(int n) {
    // coef[0] is the coefficient of x^n (always 1), coef[n] that of x^0.
    std::array<uint8_t, 31> coef{};
    coef[0] = 1;
    for (int i = 0; i < n; ++i) {
        const uint8_t root = kGalois.antilog[static_cast<size_t>(i)];
        for (int j = i + 1; j >= 1; --j)
            coef[static_cast<size_t>(j)] = static_cast<uint8_t>(
                coef[static_cast<size_t>(j)] ^ GfMul(coef[static_cast<size_t>(j - 1)], root));
    }
    GeneratorRow row{n, {}};
    for (int j = 1; j <= n; ++j)
        row.exponents[static_cast<size_t>(j - 1)] = kGalois.log[coef[static_cast<size_t>(j)]];
    return row;
}
constexpr std::array<GeneratorRow, 31> MakeGenerators() {
    std::array<GeneratorRow, 31> t{};
    for (int n : {7, 10, 13, 15, 16, 17, 18, 20, 22, 24, 26, 28, 30})
        t[static_cast<size_t>(n)] = MakeGenerator(n);
    return t;
}
} // namespace detail
inline constexpr std::array<GeneratorRow, 31> kGenerators = detail::MakeGenerators();

// Finder (7 x 7) and alignment (5 x 5) templates in matrix cell values: 6 function dark, 4 light.
// clang-format off
inline constexpr uint8_t kFinder[7][7] = {
    {6, 6, 6, 6, 6, 6, 6},
    {6, 4, 4, 4, 4, 4, 6},
    {6, 4, 6, 6, 6, 4, 6},
    {6, 4, 6, 6, 6, 4, 6},
    {6, 4, 6, 6, 6, 4, 6},
    {6, 4, 4, 4, 4, 4, 6},
    {6, 6, 6, 6, 6, 6, 6},
};
inline constexpr uint8_t kAlignment[5][5] = {
    {6, 6, 6, 6, 6},
    {6, 4, 4, 4, 6},
    {6, 4, 6, 4, 6},
    {6, 4, 4, 4, 6},
    {6, 6, 6, 6, 6},
};

// Format-information positions; entry e takes bit e of the format word. A negative coordinate
// counts from the far edge.
struct Cell { int8_t row, col; };
inline constexpr Cell kFormatPositions[2][15] = {
    {{0, 8}, {1, 8}, {2, 8}, {3, 8}, {4, 8}, {5, 8}, {7, 8}, {8, 8},
     {-7, 8}, {-6, 8}, {-5, 8}, {-4, 8}, {-3, 8}, {-2, 8}, {-1, 8}},
    {{8, -1}, {8, -2}, {8, -3}, {8, -4}, {8, -5}, {8, -6}, {8, -7}, {8, -8},
     {8, 7}, {8, 5}, {8, 4}, {8, 3}, {8, 2}, {8, 1}, {8, 0}},
};
// clang-format on
inline constexpr Cell kAlwaysDark = {-8, 8};

// Version-information positions, entry e (0..17) taking bit e of the version word.
constexpr Cell VersionPosition(int list, int e) {
    const auto a = static_cast<int8_t>(-11 + e % 3);
    const auto b = static_cast<int8_t>(e / 3);
    return list == 0 ? Cell{a, b} : Cell{b, a};
}

// BCH (18,6) version words of Annex D; -1 for versions 0..6, which carry none.
namespace detail {
constexpr std::array<int32_t, 41> MakeVersionWords() {
    std::array<int32_t, 41> t{};
    for (int v = 0; v <= 40; ++v) {
        if (v < 7) {
            t[static_cast<size_t>(v)] = -1;
            continue;
        }
        int r = v << 12;
        for (int bit = 17; bit >= 12; --bit)
            if (r & (1 << bit))
                r ^= 0x1F25 << (bit - 12);
        t[static_cast<size_t>(v)] = (v << 12) | r;
    }
    return t;
}
} // namespace detail
inline constexpr std::array<int32_t, 41> kVersionWords = detail::MakeVersionWords();

static_assert(kVersionWords[7] == 0x07C94 && kVersionWords[8] == 0x085BC && kVersionWords[40] == 0x28C69);
static_assert(kGenerators[7].exponents[0] == 87 && kGenerators[7].exponents[1] == 229 &&
              kGenerators[7].exponents[2] == 146 && kGenerators[7].exponents[3] == 149 &&
              kGenerators[7].exponents[4] == 238 && kGenerators[7].exponents[5] == 102 &&
              kGenerators[7].exponents[6] == 21);
static_assert(kByteClass['a'] == 2 && kByteClass[':'] == 1 && kByteClass[0xEB] == 3 && kByteClass[0xEC] == 2);

} // namespace zarvo::encoder
