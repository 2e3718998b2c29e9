#include "encoder/tables.h"

#include <cstring>

namespace zarvo::encoder {
namespace {

// ISO/IEC 18004:2000 Table 9 in compact form: error-correction codewords per block and number of
// blocks, by level (L, M, Q, H) and version. The block groups (c, k) follow from these and the
// version's total codewords, because the standard splits a level into equal blocks of which the
// last ones carry one data codeword more.
// clang-format off
constexpr int8_t kEcPerBlock[4][41] = {
//   0   1   2   3   4   5   6   7   8   9  10  11  12  13  14  15  16  17  18  19  20  21  22  23  24  25  26  27  28  29  30  31  32  33  34  35  36  37  38  39  40
    {0,  7, 10, 15, 20, 26, 18, 20, 24, 30, 18, 20, 24, 26, 30, 22, 24, 28, 30, 28, 28, 28, 28, 30, 30, 26, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30}, // L
    {0, 10, 16, 26, 18, 24, 16, 18, 22, 22, 26, 30, 22, 22, 24, 24, 28, 28, 26, 26, 26, 26, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28}, // M
    {0, 13, 22, 18, 26, 18, 24, 18, 22, 20, 24, 28, 26, 24, 20, 30, 24, 28, 28, 26, 30, 28, 30, 30, 30, 30, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30}, // Q
    {0, 17, 28, 22, 16, 22, 28, 26, 26, 24, 28, 24, 28, 22, 24, 24, 30, 28, 28, 26, 28, 30, 24, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30}, // H
};
constexpr int8_t kBlockCount[4][41] = {
//   0   1   2   3   4   5   6   7   8   9  10  11  12  13  14  15  16  17  18  19  20  21  22  23  24  25  26  27  28  29  30  31  32  33  34  35  36  37  38  39  40
    {0,  1,  1,  1,  1,  1,  2,  2,  2,  2,  4,  4,  4,  4,  4,  6,  6,  6,  6,  7,  8,  8,  9,  9, 10, 12, 12, 12, 13, 14, 15, 16, 17, 18, 19, 19, 20, 21, 22, 24, 25}, // L
    {0,  1,  1,  1,  2,  2,  4,  4,  4,  5,  5,  5,  8,  9,  9, 10, 10, 11, 13, 14, 16, 17, 17, 18, 20, 21, 23, 25, 26, 28, 29, 31, 33, 35, 37, 38, 40, 43, 45, 47, 49}, // M
    {0,  1,  1,  2,  2,  4,  4,  6,  6,  8,  8,  8, 10, 12, 16, 12, 17, 16, 18, 21, 20, 23, 23, 25, 27, 29, 34, 34, 35, 38, 40, 43, 45, 48, 51, 53, 56, 59, 62, 65, 68}, // Q
    {0,  1,  1,  2,  4,  4,  4,  5,  6,  8,  8, 11, 11, 16, 16, 18, 16, 19, 21, 25, 25, 25, 34, 30, 32, 35, 37, 40, 42, 45, 48, 51, 54, 57, 60, 63, 66, 70, 74, 77, 81}, // H
};
// clang-format on

// Misdecode-protection codewords p of Table 9's footnote: r = (c - k - p) / 2.
constexpr int MisdecodeProtection(int version, int level) {
    if (version == 1)
        return level == kLevelL ? 3 : level == kLevelM ? 2 : 1;
    if (version == 2 && level == kLevelL)
        return 2;
    if (version == 3 && level == kLevelL)
        return 1;
    return 0;
}

// Modules left for data and error correction (Table 1): all modules less the function patterns.
constexpr int RawDataModules(int v) {
    int result = (16 * v + 128) * v + 64;
    if (v >= 2) {
        const int align = v / 7 + 2;
        result -= (25 * align - 10) * align - 55;
        if (v >= 7)
            result -= 36;
    }
    return result;
}

// Annex E: alignment centres are evenly spaced from 6 to side - 7, spacing even, version 32 aside.
constexpr int AlignmentCount(int v) {
    return v == 1 ? 0 : v / 7 + 2;
}
constexpr int AlignmentCoordinate(int v, int i) {
    const int count = AlignmentCount(v);
    if (i == 0)
        return 6;
    const int step = v == 32 ? 26 : (v * 4 + count * 2 + 1) / (count * 2 - 2) * 2;
    return 17 + 4 * v - 7 - (count - 1 - i) * step;
}

constexpr int CountWidths[3][4] = {{10, 9, 8, 8}, {12, 11, 16, 10}, {14, 13, 16, 12}};

// Table 7: characters that one segment of the mode holds in all data bits, as far as the
// character-count field can state them.
constexpr int Capacity(int dataCodewords, int mode, int countWidth) {
    const int bits = dataCodewords * 8 - 4 - countWidth;
    int chars = 0;
    switch (mode) {
    case kModeNumeric:
        chars = bits / 10 * 3 + (bits % 10 >= 7 ? 2 : bits % 10 >= 4 ? 1 : 0);
        break;
    case kModeAlphanumeric:
        chars = bits / 11 * 2 + (bits % 11 >= 6 ? 1 : 0);
        break;
    case kModeByte:
        chars = bits / 8;
        break;
    default:
        chars = bits / 13;
        break;
    }
    const int limit = (1 << countWidth) - 1;
    return chars < limit ? chars : limit;
}

constexpr VersionRecord MakeRecord(int v) {
    VersionRecord rec{};
    rec.version = v;
    rec.side = 17 + 4 * v;
    rec.totalCodewords = RawDataModules(v) / 8;
    rec.remainderBits = RawDataModules(v) % 8;
    const int widthGroup = v < 10 ? 0 : v < 27 ? 1 : 2;
    for (int m = 0; m < 4; ++m)
        rec.countWidths[m] = CountWidths[widthGroup][m];
    for (int level = 0; level < 4; ++level) {
        LevelRecord& lr = rec.levels[level];
        const int blocks = kBlockCount[level][v];
        const int ec = kEcPerBlock[level][v];
        const int shortLen = rec.totalCodewords / blocks;
        const int longBlocks = rec.totalCodewords % blocks;
        const int r = (ec - MisdecodeProtection(v, level)) / 2;
        lr.groups[0] = BlockGroup{blocks - longBlocks, shortLen, shortLen - ec, r};
        lr.groupCount = 1;
        if (longBlocks > 0) {
            lr.groups[1] = BlockGroup{longBlocks, shortLen + 1, shortLen + 1 - ec, r};
            lr.groupCount = 2;
        }
        lr.dataCodewords = rec.totalCodewords - blocks * ec;
        for (int m = 0; m < 4; ++m)
            lr.capacities[m] = Capacity(lr.dataCodewords, m, rec.countWidths[m]);
    }
    rec.alignmentCount = AlignmentCount(v);
    for (int i = 0; i < rec.alignmentCount; ++i)
        rec.alignment[i] = AlignmentCoordinate(v, i);
    return rec;
}

constexpr VersionTable MakeConstants() {
    VersionTable t{};
    for (int v = 1; v <= kMaxVersion; ++v)
        t[static_cast<size_t>(v)] = MakeRecord(v);
    return t;
}

constexpr VersionTable kConstants = MakeConstants();

// Spot checks against the standard's printed tables.
constexpr bool Groups(int v, int level, BlockGroup a, BlockGroup b) {
    const LevelRecord& lr = kConstants[static_cast<size_t>(v)].levels[level];
    return lr.groups[0].count == a.count && lr.groups[0].c == a.c && lr.groups[0].k == a.k &&
           lr.groups[0].r == a.r && lr.groups[1].count == b.count && lr.groups[1].c == b.c &&
           lr.groups[1].k == b.k && lr.groups[1].r == b.r;
}
constexpr bool Caps(int v, int level, int n, int a, int b, int k) {
    const LevelRecord& lr = kConstants[static_cast<size_t>(v)].levels[level];
    return lr.capacities[0] == n && lr.capacities[1] == a && lr.capacities[2] == b && lr.capacities[3] == k;
}
static_assert(Groups(1, kLevelL, {1, 26, 19, 2}, {}) && Groups(1, kLevelH, {1, 26, 9, 8}, {}));
static_assert(Groups(5, kLevelQ, {2, 33, 15, 9}, {2, 34, 16, 9}));
static_assert(Groups(7, kLevelH, {4, 39, 13, 13}, {1, 40, 14, 13}));
// Correctable errors are half the error-correction codewords here: 24 / 2.
static_assert(Groups(22, kLevelH, {34, 37, 13, 12}, {}));
static_assert(Groups(36, kLevelH, {2, 45, 15, 15}, {64, 46, 16, 15}));
static_assert(Groups(40, kLevelL, {19, 148, 118, 15}, {6, 149, 119, 15}));
static_assert(Groups(40, kLevelH, {20, 45, 15, 15}, {61, 46, 16, 15}));
static_assert(Caps(1, kLevelL, 41, 25, 17, 10) && Caps(1, kLevelM, 34, 20, 14, 8) &&
              Caps(1, kLevelH, 17, 10, 7, 4));
static_assert(Caps(10, kLevelM, 513, 311, 213, 131) && Caps(27, kLevelQ, 1933, 1172, 805, 496));
static_assert(Caps(40, kLevelL, 7089, 4296, 2953, 1817) && Caps(40, kLevelH, 3057, 1852, 1273, 784));
static_assert(kConstants[40].levels[kLevelL].dataCodewords == kMaxDataCodewords);
static_assert(kConstants[40].totalCodewords - kConstants[40].levels[kLevelH].dataCodewords ==
              kMaxEcCodewords);
static_assert(kConstants[2].totalCodewords == 44 && kConstants[10].totalCodewords == 346 &&
              kConstants[39].totalCodewords == 3532 && kConstants[40].totalCodewords == kMaxCodewords);
static_assert(kConstants[2].remainderBits == 7 && kConstants[14].remainderBits == 3 &&
              kConstants[21].remainderBits == 4 && kConstants[35].remainderBits == 0);
static_assert(kConstants[7].alignment[1] == 22 && kConstants[7].alignment[2] == 38 &&
              kConstants[32].alignment[1] == 34 && kConstants[32].alignment[5] == 138 &&
              kConstants[36].alignment[1] == 24 && kConstants[40].alignment[6] == 170);

constexpr int LargestBlockData() {
    int most = 0;
    for (int v = 1; v <= kMaxVersion; ++v)
        for (const LevelRecord& lr : kConstants[static_cast<size_t>(v)].levels)
            for (const BlockGroup& g : lr.groups)
                most = g.k > most ? g.k : most;
    return most;
}
static_assert(LargestBlockData() == kMaxBlockData);

} // namespace

void BuildVersionTable(VersionTable& table) {
    std::memset(table.data(), 0, sizeof(table));
    int widthGroup = 0;
    for (int v = 1; v <= kMaxVersion; ++v) {
        if (v == 10 || v == 27)
            ++widthGroup;
        const VersionRecord& src = kConstants[static_cast<size_t>(v)];
        VersionRecord& dst = table[static_cast<size_t>(v)];
        dst.version = v;
        for (int m = 0; m < 4; ++m)
            dst.countWidths[m] = CountWidths[widthGroup][m];
        for (int level = 0; level < 4; ++level)
            dst.levels[level] = src.levels[level];
        for (int i = 0; i < 7; ++i)
            dst.alignment[i] = src.alignment[i];
    }
    for (int v = 1; v <= kMaxVersion; ++v) {
        const VersionRecord& src = kConstants[static_cast<size_t>(v)];
        VersionRecord& dst = table[static_cast<size_t>(v)];
        dst.side = src.side;
        dst.totalCodewords = src.totalCodewords;
        dst.remainderBits = src.remainderBits;
        dst.alignmentCount = src.alignmentCount;
    }
}

} // namespace zarvo::encoder
