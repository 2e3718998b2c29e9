#include "encoder/tables.h"
#include "tests/encoder/test_support.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <set>
#include <utility>
#include <vector>

namespace zarvo::encoder {
namespace {

using test_support::SlowMul;

using test_support::Rec;
using test_support::Table;

const LevelRecord& Lev(int v, int level) {
    return Rec(v).levels[level];
}

// Bits of one segment of n characters (bytes for kanji) in the count-field width w.
int SegmentBits(int mode, int n, int w) {
    switch (mode) {
    case kModeNumeric:
        return 4 + w + 10 * (n / 3) + (n % 3 == 1 ? 4 : n % 3 == 2 ? 7 : 0);
    case kModeAlphanumeric:
        return 4 + w + 11 * (n / 2) + (n % 2 ? 6 : 0);
    case kModeByte:
        return 4 + w + 8 * n;
    default:
        return 4 + w + 13 * (n / 2);
    }
}

// Remainder of the polynomial `value` modulo `generator` over GF(2).
int32_t Gf2Mod(int32_t value, int32_t generator) {
    int degree = 0;
    while ((generator >> (degree + 1)) != 0)
        ++degree;
    for (int bit = 31; bit >= degree; --bit)
        if ((value >> bit) & 1)
            value ^= generator << (bit - degree);
    return value;
}

TEST(VersionTable, BuildZeroesEntryZeroAndIsRepeatable) {
    VersionTable t;
    std::memset(t.data(), 0x5A, sizeof(t));
    BuildVersionTable(t);
    const VersionRecord zero{};
    EXPECT_EQ(std::memcmp(&t[0], &zero, sizeof(zero)), 0);
    VersionTable again;
    BuildVersionTable(again);
    EXPECT_EQ(std::memcmp(t.data(), again.data(), sizeof(t)), 0);
}

TEST(VersionTable, StructureHoldsForAllVersionsAndLevels) {
    for (int v = kMinVersion; v <= kMaxVersion; ++v) {
        SCOPED_TRACE(v);
        const VersionRecord& r = Rec(v);
        EXPECT_EQ(r.version, v);
        EXPECT_EQ(r.side, 17 + 4 * v);
        for (int level = 0; level < 4; ++level) {
            SCOPED_TRACE(level);
            const LevelRecord& lr = r.levels[level];
            ASSERT_TRUE(lr.groupCount == 1 || lr.groupCount == 2);
            int data = 0, total = 0;
            for (int g = 0; g < lr.groupCount; ++g) {
                data += lr.groups[g].count * lr.groups[g].k;
                total += lr.groups[g].count * lr.groups[g].c;
                EXPECT_GT(lr.groups[g].count, 0);
                EXPECT_EQ(lr.groups[g].c - lr.groups[g].k, lr.groups[0].c - lr.groups[0].k);
                EXPECT_EQ(lr.groups[g].r, lr.groups[0].r);
                EXPECT_LE(2 * lr.groups[g].r, lr.groups[g].c - lr.groups[g].k);
            }
            EXPECT_EQ(data, lr.dataCodewords);
            EXPECT_EQ(total, r.totalCodewords);
            if (lr.groupCount == 2) {
                EXPECT_EQ(lr.groups[1].k, lr.groups[0].k + 1);
            } else {
                const BlockGroup none{};
                EXPECT_EQ(std::memcmp(&lr.groups[1], &none, sizeof(none)), 0);
            }
            if (level > 0) {
                EXPECT_LT(lr.dataCodewords, r.levels[level - 1].dataCodewords);
            }
        }
    }
}

TEST(VersionTable, RangesOfCountWidthsRemainderBitsAndAlignmentCounts) {
    struct {
        int first, last;
        int32_t widths[4];
    } widthCases[] = {{1, 9, {10, 9, 8, 8}}, {10, 26, {12, 11, 16, 10}}, {27, 40, {14, 13, 16, 12}}};
    for (const auto& c : widthCases)
        for (int v = c.first; v <= c.last; ++v)
            for (int m = 0; m < 4; ++m)
                EXPECT_EQ(Rec(v).countWidths[m], c.widths[m]) << "version " << v << " mode " << m;

    struct {
        int first, last, remainder, alignment;
    } cases[] = {{1, 1, 0, 0},   {2, 6, 7, 2},   {7, 13, 0, 3}, {14, 20, 3, 4},
                 {21, 27, 4, 5}, {28, 34, 3, 6}, {35, 40, 0, 7}};
    for (const auto& c : cases)
        for (int v = c.first; v <= c.last; ++v) {
            EXPECT_EQ(Rec(v).remainderBits, c.remainder) << "version " << v;
            EXPECT_EQ(Rec(v).alignmentCount, c.alignment) << "version " << v;
        }
}

TEST(VersionTable, AlignmentCoordinatesAreEvenlySpacedFromSixToTheFarFinder) {
    for (int v = 2; v <= kMaxVersion; ++v) {
        SCOPED_TRACE(v);
        const VersionRecord& r = Rec(v);
        const int n = r.alignmentCount;
        EXPECT_EQ(r.alignment[0], 6);
        EXPECT_EQ(r.alignment[n - 1], r.side - 7);
        for (int i = 2; i < n; ++i) {
            EXPECT_EQ(r.alignment[i] - r.alignment[i - 1], r.alignment[n - 1] - r.alignment[n - 2]);
            EXPECT_EQ((r.alignment[i] - r.alignment[i - 1]) % 2, 0);
        }
        for (int i = n; i < 7; ++i)
            EXPECT_EQ(r.alignment[i], 0);
    }
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(Rec(1).alignment[i], 0);

    // clang-format off
    struct {
        int version;
        std::vector<int32_t> coordinates;
    } cases[] = {
        {2, {6, 18}},
        {7, {6, 22, 38}},
        {32, {6, 34, 60, 86, 112, 138}},
        {36, {6, 24, 50, 76, 102, 128, 154}},
        {40, {6, 30, 58, 86, 114, 142, 170}},
    };
    // clang-format on
    for (const auto& c : cases) {
        std::vector<int32_t> got(Rec(c.version).alignment,
                                 Rec(c.version).alignment + Rec(c.version).alignmentCount);
        EXPECT_EQ(got, c.coordinates) << "version " << c.version;
    }
}

TEST(VersionTable, StandardValues) {
    const int32_t totals[] = {0, 26, 44, 70, 100, 134, 172, 196, 242, 292, 346};
    for (int v = 1; v <= 10; ++v)
        EXPECT_EQ(Rec(v).totalCodewords, totals[v]) << "version " << v;
    EXPECT_EQ(Rec(39).totalCodewords, 3532);
    EXPECT_EQ(Rec(40).totalCodewords, 3706);

    struct {
        int version;
        int32_t data[4];
    } dataCases[] = {{1, {19, 16, 13, 9}}, {2, {34, 28, 22, 16}}, {40, {2956, 2334, 1666, 1276}}};
    for (const auto& c : dataCases)
        for (int level = 0; level < 4; ++level)
            EXPECT_EQ(Lev(c.version, level).dataCodewords, c.data[level])
                << "version " << c.version << " level " << level;

    // clang-format off
    struct {
        int version, level;
        int32_t capacities[4];
    } capacityCases[] = {
        {1, kLevelL, {41, 25, 17, 10}},        {1, kLevelM, {34, 20, 14, 8}},
        {1, kLevelH, {17, 10, 7, 4}},          {10, kLevelM, {513, 311, 213, 131}},
        {27, kLevelQ, {1933, 1172, 805, 496}}, {40, kLevelL, {7089, 4296, 2953, 1817}},
        {40, kLevelH, {3057, 1852, 1273, 784}},
    };
    // clang-format on
    for (const auto& c : capacityCases)
        for (int m = 0; m < 4; ++m)
            EXPECT_EQ(Lev(c.version, c.level).capacities[m], c.capacities[m])
                << "version " << c.version << " level " << c.level << " mode " << m;

    // clang-format off
    struct {
        int version, level;
        BlockGroup first, second;
    } blockCases[] = {
        {1, kLevelL, {1, 26, 19, 2}, {}},
        {1, kLevelH, {1, 26, 9, 8}, {}},
        {5, kLevelQ, {2, 33, 15, 9}, {2, 34, 16, 9}},
        {7, kLevelH, {4, 39, 13, 13}, {1, 40, 14, 13}},
        {22, kLevelH, {34, 37, 13, 12}, {}}, // r = 24 / 2 as Table 9 prints it
        {36, kLevelH, {2, 45, 15, 15}, {64, 46, 16, 15}},
        {40, kLevelL, {19, 148, 118, 15}, {6, 149, 119, 15}},
        {40, kLevelH, {20, 45, 15, 15}, {61, 46, 16, 15}},
    };
    // clang-format on
    for (const auto& c : blockCases) {
        SCOPED_TRACE(testing::Message() << "version " << c.version << " level " << c.level);
        const LevelRecord& lr = Lev(c.version, c.level);
        EXPECT_EQ(lr.groupCount, c.second.count == 0 ? 1 : 2);
        const BlockGroup expected[2] = {c.first, c.second};
        for (int g = 0; g < 2; ++g) {
            EXPECT_EQ(lr.groups[g].count, expected[g].count);
            EXPECT_EQ(lr.groups[g].c, expected[g].c);
            EXPECT_EQ(lr.groups[g].k, expected[g].k);
            EXPECT_EQ(lr.groups[g].r, expected[g].r);
        }
    }
}

// A capacity is the most characters one segment of the mode can carry in the data codewords.
TEST(VersionTable, CapacitiesAreTheLargestSegmentThatFits) {
    for (int v = kMinVersion; v <= kMaxVersion; ++v)
        for (int level = 0; level < 4; ++level)
            for (int m = 0; m < 4; ++m) {
                const int bits = Lev(v, level).dataCodewords * 8;
                const int cap = Lev(v, level).capacities[m];
                const int unit = m == kModeKanji ? 2 : 1;
                const int w = Rec(v).countWidths[m];
                EXPECT_LE(SegmentBits(m, cap * unit, w), bits) << v << "/" << level << "/" << m;
                EXPECT_GT(SegmentBits(m, (cap + 1) * unit, w), bits) << v << "/" << level << "/" << m;
                if (m > 0) {
                    EXPECT_LT(cap, Lev(v, level).capacities[m - 1]);
                }
            }
}

TEST(VersionTable, WorkingStorageLimitsFollowFromTheTable) {
    int32_t maxCapacity = 0, maxData = 0, maxEc = 0, maxTotal = 0, maxK = 0;
    std::set<int> versionsWithMaxK;
    for (int v = kMinVersion; v <= kMaxVersion; ++v) {
        maxTotal = std::max(maxTotal, Rec(v).totalCodewords);
        for (int level = 0; level < 4; ++level) {
            const LevelRecord& lr = Lev(v, level);
            maxCapacity = std::max(maxCapacity, lr.capacities[kModeNumeric]);
            maxData = std::max(maxData, lr.dataCodewords);
            maxEc = std::max(maxEc, Rec(v).totalCodewords - lr.dataCodewords);
            for (int g = 0; g < lr.groupCount; ++g)
                maxK = std::max(maxK, lr.groups[g].k);
        }
    }
    for (int v = kMinVersion; v <= kMaxVersion; ++v)
        for (int level = 0; level < 4; ++level)
            for (int g = 0; g < Lev(v, level).groupCount; ++g)
                if (Lev(v, level).groups[g].k == maxK)
                    versionsWithMaxK.insert(v * 10 + level);
    EXPECT_EQ(maxCapacity, kMaxPieceBytes);
    EXPECT_EQ(maxData, kMaxDataCodewords);
    EXPECT_EQ(maxEc, kMaxEcCodewords);
    EXPECT_EQ(maxTotal, kMaxCodewords);
    EXPECT_EQ(maxK, kMaxBlockData);
    EXPECT_EQ(versionsWithMaxK, (std::set<int>{270, 370, 380}));
    EXPECT_EQ(Rec(kMaxVersion).side, kMaxSide);
}

TEST(ConstantTables, GeneratorRows) {
    const std::vector<int> expected7 = {87, 229, 146, 149, 238, 102, 21};
    const std::vector<int> expected10 = {251, 67, 46, 61, 118, 70, 64, 94, 32, 45};
    EXPECT_EQ(std::vector<int>(kGenerators[7].exponents.begin(), kGenerators[7].exponents.begin() + 7),
              expected7);
    EXPECT_EQ(std::vector<int>(kGenerators[10].exponents.begin(), kGenerators[10].exponents.begin() + 10),
              expected10);

    // Exactly the error-correction counts of the block table have rows.
    std::set<int> used;
    for (int v = kMinVersion; v <= kMaxVersion; ++v)
        for (int level = 0; level < 4; ++level)
            used.insert(Lev(v, level).groups[0].c - Lev(v, level).groups[0].k);
    EXPECT_EQ(used, (std::set<int>{7, 10, 13, 15, 16, 17, 18, 20, 22, 24, 26, 28, 30}));
    for (int n = 0; n <= 30; ++n)
        EXPECT_EQ(kGenerators[static_cast<size_t>(n)].n, used.count(n) ? n : 0) << n;

    // Every row is the monic polynomial with the roots a^0 .. a^(n-1).
    for (int n : used) {
        const GeneratorRow& row = kGenerators[static_cast<size_t>(n)];
        for (int root = 0; root < n; ++root) {
            const uint8_t x = Antilog(root);
            uint8_t value = 1; // leading coefficient
            for (int j = 0; j < n; ++j)
                value =
                    static_cast<uint8_t>(SlowMul(value, x) ^ Antilog(row.exponents[static_cast<size_t>(j)]));
            EXPECT_EQ(value, 0) << "n " << n << " root a^" << root;
        }
    }
}

TEST(ConstantTables, VersionWords) {
    EXPECT_EQ(kVersionWords[7], 0x07C94);
    EXPECT_EQ(kVersionWords[8], 0x085BC);
    EXPECT_EQ(kVersionWords[40], 0x28C69);
    for (int v = 0; v < 7; ++v)
        EXPECT_EQ(kVersionWords[static_cast<size_t>(v)], -1) << v;
    // BCH (18,6): the version in the top six bits, the whole word a multiple of the generator.
    for (int v = 7; v <= 40; ++v) {
        const int32_t w = kVersionWords[static_cast<size_t>(v)];
        EXPECT_EQ(w >> 12, v);
        EXPECT_EQ(Gf2Mod(w, 0x1F25), 0) << v;
    }
}

TEST(ConstantTables, ByteClassesAndTrailBytes) {
    struct {
        int byte;
        int cls;
    } cases[] = {{'0', 0},  {'9', 0},  {'A', 1},  {'Z', 1},  {' ', 1},  {'$', 1},  {':', 1},  {'a', 2},
                 {'z', 2},  {'#', 2},  {0, 2},    {0x7F, 2}, {0x80, 2}, {0x81, 3}, {0x9F, 3}, {0xA0, 2},
                 {0xDF, 2}, {0xE0, 3}, {0xEB, 3}, {0xEC, 2}, {0xFC, 2}, {0xFF, 2}};
    for (const auto& c : cases)
        EXPECT_EQ(kByteClass[static_cast<size_t>(c.byte)], c.cls) << "byte " << c.byte;
    int counts[4] = {};
    for (int b = 0; b < 256; ++b)
        ++counts[kByteClass[static_cast<size_t>(b)]];
    EXPECT_EQ(counts[0], 10);
    EXPECT_EQ(counts[1], 35);
    EXPECT_EQ(counts[3], 31 + 12);

    struct {
        int byte;
        bool trail;
    } trail[] = {{0x3F, false}, {0x40, true}, {0x7E, true},  {0x7F, false},
                 {0x80, true},  {0xFC, true}, {0xFD, false}, {0x00, false}};
    for (const auto& c : trail)
        EXPECT_EQ(IsTrailByte(static_cast<uint8_t>(c.byte)), c.trail) << "byte " << c.byte;
    int trailCount = 0;
    for (int b = 0; b < 256; ++b)
        trailCount += IsTrailByte(static_cast<uint8_t>(b));
    EXPECT_EQ(trailCount, 63 + 125);
}

TEST(ConstantTables, AlphanumericValuesAndModeIndicators) {
    struct {
        char ch;
        int value;
    } cases[] = {{'0', 0},  {'9', 9},   {'A', 10},  {'Z', 35},  {' ', 36},  {'$', 37},
                 {'%', 38}, {'*', 39},  {'+', 40},  {'-', 41},  {'.', 42},  {'/', 43},
                 {':', 44}, {'a', 255}, {'#', 255}, {',', 255}, {'\0', 255}};
    for (const auto& c : cases)
        EXPECT_EQ(kAlphanumericValue[static_cast<uint8_t>(c.ch)], c.value) << "char " << int(c.ch);
    std::set<int> values;
    for (int b = 0; b < 128; ++b)
        if (kAlphanumericValue[static_cast<size_t>(b)] != 255) {
            values.insert(kAlphanumericValue[static_cast<size_t>(b)]);
            EXPECT_LE(kByteClass[static_cast<size_t>(b)], 1) << b;
        }
    EXPECT_EQ(values.size(), 45u);
    EXPECT_EQ(*values.rbegin(), 44);

    EXPECT_EQ(kModeIndicator[kModeNumeric], 0x1);
    EXPECT_EQ(kModeIndicator[kModeAlphanumeric], 0x2);
    EXPECT_EQ(kModeIndicator[kModeByte], 0x4);
    EXPECT_EQ(kModeIndicator[kModeKanji], 0x8);
}

TEST(ConstantTables, GaloisLogAndAntilogAreInverse) {
    EXPECT_EQ(Antilog(0), 1);
    EXPECT_EQ(Antilog(1), 2);
    EXPECT_EQ(Antilog(8), 0x1D);
    EXPECT_EQ(Antilog(25), 3);
    EXPECT_EQ(Antilog(255), 1);
    EXPECT_EQ(Log(1), 0);
    EXPECT_EQ(Log(2), 1);
    std::set<int> seen;
    for (int i = 0; i < 255; ++i) {
        seen.insert(Antilog(i));
        EXPECT_EQ(Log(Antilog(i)), i);
    }
    EXPECT_EQ(seen.size(), 255u);
    EXPECT_EQ(seen.count(0), 0u);
    for (int a = 1; a < 256; ++a)
        for (int b = 1; b < 256; b += 7) {
            const auto x = static_cast<uint8_t>(a), y = static_cast<uint8_t>(b);
            ASSERT_EQ(Antilog((Log(x) + Log(y)) % 255), SlowMul(x, y)) << a << " * " << b;
        }
    struct {
        uint8_t a, b, product;
    } products[] = {{0x02, 0x02, 0x04}, {0x80, 0x02, 0x1D}, {0xB2, 0xDD, 0xE6}, {0xFF, 0xFF, 0xE2}};
    for (const auto& c : products)
        EXPECT_EQ(SlowMul(c.a, c.b), c.product);
}

TEST(ConstantTables, TemplatesAndPositionLists) {
    for (int i = 0; i < 7; ++i)
        for (int j = 0; j < 7; ++j) {
            const int ring = std::max(std::abs(i - 3), std::abs(j - 3));
            EXPECT_EQ(kFinder[i][j], ring == 2 ? 4 : 6) << i << "," << j;
        }
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j) {
            const int ring = std::max(std::abs(i - 2), std::abs(j - 2));
            EXPECT_EQ(kAlignment[i][j], ring == 1 ? 4 : 6) << i << "," << j;
        }

    for (int side : {21, 45, 177}) {
        auto resolve = [side](Cell c) {
            return std::make_pair((side + c.row) % side, (side + c.col) % side);
        };
        std::set<std::pair<int, int>> format;
        for (int e = 0; e < 15; ++e) {
            const auto a = resolve(kFormatPositions[0][e]);
            const auto b = resolve(kFormatPositions[1][e]);
            EXPECT_EQ(a.second, 8);
            EXPECT_EQ(b.first, 8);
            EXPECT_NE(a.first, 6); // the timing row is skipped
            EXPECT_NE(b.second, 6);
            format.insert(a);
            format.insert(b);
        }
        EXPECT_EQ(format.size(), 30u);
        EXPECT_EQ(resolve(kAlwaysDark), std::make_pair(side - 8, 8));
        EXPECT_EQ(format.count(resolve(kAlwaysDark)), 0u);

        std::set<std::pair<int, int>> version;
        for (int e = 0; e < 18; ++e) {
            const auto a = resolve(VersionPosition(0, e));
            const auto b = resolve(VersionPosition(1, e));
            EXPECT_EQ(a, std::make_pair(b.second, b.first));
            EXPECT_GE(a.first, side - 11);
            EXPECT_LE(a.first, side - 9);
            EXPECT_LE(a.second, 5);
            version.insert(a);
            version.insert(b);
        }
        EXPECT_EQ(version.size(), 36u);
    }
    EXPECT_EQ(VersionPosition(0, 0).row, -11);
    EXPECT_EQ(VersionPosition(0, 0).col, 0);
    EXPECT_EQ(VersionPosition(0, 17).row, -9);
    EXPECT_EQ(VersionPosition(0, 17).col, 5);
    EXPECT_EQ(VersionPosition(1, 1).row, 0);
    EXPECT_EQ(VersionPosition(1, 1).col, -10);
}

} // namespace
} // namespace zarvo::encoder
