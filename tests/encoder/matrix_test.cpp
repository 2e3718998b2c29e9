#include "encoder/bitstream.h"
#include "encoder/matrix.h"
#include "encoder/reedsolomon.h"
#include "tests/encoder/test_support.h"

#include <array>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <utility>
#include <vector>

namespace zarvo::encoder {
namespace {

using test_support::Rec;
using test_support::Table;

// The matrix is large; keep it off the stack.
std::unique_ptr<ModuleMatrix> NewMatrix() {
    return std::make_unique<ModuleMatrix>();
}

bool Bit(const PackedRow& row, int col) {
    return (row[static_cast<size_t>(col / 64)] >> (col % 64)) & 1u;
}
void SetBit(PackedRow& row, int col) {
    row[static_cast<size_t>(col / 64)] |= uint64_t{1} << (col % 64);
}

bool MaskCondition(int t, int i, int j) {
    switch (t) {
    case 0:
        return (i + j) % 2 == 0;
    case 1:
        return i % 2 == 0;
    case 2:
        return j % 3 == 0;
    case 3:
        return (i + j) % 3 == 0;
    case 4:
        return (i / 2 + j / 3) % 2 == 0;
    case 5:
        return (i * j) % 2 + (i * j) % 3 == 0;
    case 6:
        return ((i * j) % 2 + (i * j) % 3) % 2 == 0;
    default:
        return ((i + j) % 2 + (i * j) % 3) % 2 == 0;
    }
}

struct Grid {
    int side;
    std::vector<uint8_t> dark; // row-major, 1 = dark
    bool operator()(int r, int c) const { return dark[static_cast<size_t>(r * side + c)] != 0; }
};

Grid DarkRows(const ModuleMatrix& m) {
    Grid g{m.side, std::vector<uint8_t>(static_cast<size_t>(m.side * m.side))};
    for (int r = 0; r < m.side; ++r)
        for (int c = 0; c < m.side; ++c)
            g.dark[static_cast<size_t>(r * m.side + c)] = Bit(m.dark[static_cast<size_t>(r)], c);
    return g;
}

// The four penalty rules, module by module, exactly as they are defined.
int32_t SlowPenalty(const Grid& g) {
    const int n = g.side;
    auto at = [&](int r, int c, bool transposed) { return transposed ? g(c, r) : g(r, c); };
    int32_t score = 0;
    for (bool transposed : {false, true})
        for (int r = 0; r < n; ++r) {
            // N1: each run of five or more adds 3 + (length - 5).
            int run = 1;
            for (int c = 1; c <= n; ++c) {
                if (c < n && at(r, c, transposed) == at(r, c - 1, transposed)) {
                    ++run;
                    continue;
                }
                if (run >= 5)
                    score += 3 + (run - 5);
                run = 1;
            }
            // N3: 1011101 with a light module or the edge on each side.
            static const bool kPattern[7] = {true, false, true, true, true, false, true};
            for (int s = 0; s + 7 <= n; ++s) {
                bool match = true;
                for (int k = 0; k < 7; ++k)
                    match = match && at(r, s + k, transposed) == kPattern[k];
                const bool lightBefore = s == 0 || !at(r, s - 1, transposed);
                const bool lightAfter = s + 7 == n || !at(r, s + 7, transposed);
                if (match && lightBefore && lightAfter)
                    score += 40;
            }
        }
    // N2: every 2 x 2 square of one colour.
    for (int r = 0; r + 1 < n; ++r)
        for (int c = 0; c + 1 < n; ++c) {
            const bool v = at(r, c, false);
            if (at(r, c + 1, false) == v && at(r + 1, c, false) == v && at(r + 1, c + 1, false) == v)
                score += 3;
        }
    // N4: balance.
    int dark = 0;
    for (uint8_t b : g.dark)
        dark += b;
    const int p = dark * 100 / (n * n);
    const int d = p > 50 ? p - 50 : 50 - p;
    score += 10 * (d / 5);
    return score;
}

// Modules in the order of the standard's zig-zag: two-column strips from the right, upward and
// downward in turn, right column first, the vertical timing column left out; function modules skipped.
std::vector<std::pair<int, int>> ZigZag(const ModuleMatrix& m) {
    std::vector<std::pair<int, int>> order;
    const int side = m.side;
    bool upward = true;
    for (int right = side - 1; right >= 1; right -= 2) {
        if (right == 6)
            right = 5;
        for (int i = 0; i < side; ++i) {
            const int row = upward ? side - 1 - i : i;
            for (int col : {right, right - 1})
                if (!m.Function(row, col))
                    order.emplace_back(row, col);
        }
        upward = !upward;
    }
    return order;
}

std::vector<uint8_t> RandomBytes(size_t n, std::mt19937& rng) {
    std::vector<uint8_t> out(n);
    for (auto& b : out)
        b = static_cast<uint8_t>(rng());
    return out;
}

// Bits of the format word, most significant first, as a reader takes them from the copy around
// the upper-left finder and from the split copy (lower-left column, upper-right row).
std::pair<int32_t, int32_t> ReadFormat(const ModuleMatrix& m) {
    const int side = m.side;
    int32_t a = 0, b = 0;
    auto take = [&](int32_t& word, int row, int col) { word = word << 1 | (m.Dark(row, col) ? 1 : 0); };
    for (int c = 0; c <= 5; ++c)
        take(a, 8, c);
    take(a, 8, 7);
    take(a, 8, 8);
    take(a, 7, 8);
    for (int r = 5; r >= 0; --r)
        take(a, r, 8);
    for (int r = side - 1; r >= side - 7; --r)
        take(b, r, 8);
    for (int c = side - 8; c < side; ++c)
        take(b, 8, c);
    return {a, b};
}

// Version bits, most significant first, from the block above the upper-right finder and the block
// left of the lower-left finder.
std::pair<int32_t, int32_t> ReadVersion(const ModuleMatrix& m) {
    const int side = m.side;
    int32_t a = 0, b = 0;
    for (int j = 5; j >= 0; --j)
        for (int i = side - 9; i >= side - 11; --i) {
            a = a << 1 | (m.Dark(j, i) ? 1 : 0);
            b = b << 1 | (m.Dark(i, j) ? 1 : 0);
        }
    return {a, b};
}

// The symbol of 01234567 at 1-M up to the mask choice, built stage by stage.
std::unique_ptr<ModuleMatrix> WorkedExampleBeforeMask() {
    const VersionRecord& rec = Rec(1);
    std::array<uint8_t, kMaxDataCodewords> data{};
    std::array<uint8_t, kMaxEcCodewords> ec{};
    std::array<uint8_t, kMaxCodewords> seq{};
    std::array<uint8_t, kMaxBlockData> reg{};
    const StreamSettings s{&rec, kLevelM, qrSingle, 1, 1, 0};
    int32_t last = -1;
    EXPECT_EQ(EncodeAutomatic(reinterpret_cast<const uint8_t*>("01234567"), 8, s, data.data(), last), 0);
    ComputeErrorCorrection(rec.levels[kLevelM], data.data(), ec.data(), reg.data());
    Interleave(rec.levels[kLevelM], data.data(), ec.data(), seq.data());
    auto m = NewMatrix();
    DrawFunctionPatterns(rec, *m);
    PlaceCodewords(rec, seq.data(), *m);
    return m;
}

TEST(Matrix, FunctionPatternFacts) {
    // clang-format off
    struct {
        int version, row, col;
        uint8_t cell;
    } cases[] = {
        // Version 1: finders, separators, timing, format areas (still light), the dark module
        // (still light) and data modules.
        {1, 0, 0, 6},   {1, 1, 1, 4},   {1, 3, 3, 6},   {1, 0, 20, 6},  {1, 20, 0, 6},  {1, 14, 6, 6},
        {1, 7, 7, 4},   {1, 13, 0, 4},  {1, 7, 13, 4},
        {1, 6, 8, 6},   {1, 6, 9, 4},   {1, 6, 12, 6},  {1, 8, 6, 6},   {1, 9, 6, 4},   {1, 12, 6, 6},
        {1, 8, 0, 4},   {1, 8, 8, 4},   {1, 0, 8, 4},   {1, 20, 8, 4},  {1, 8, 20, 4},  {1, 8, 13, 4},
        {1, 13, 8, 4},
        {1, 20, 20, 0}, {1, 9, 9, 0},   {1, 13, 9, 0},  {1, 8, 9, 0},
        // Version 2: one alignment pattern, centred at (18, 18).
        {2, 18, 18, 6}, {2, 17, 17, 4}, {2, 16, 16, 6}, {2, 20, 16, 6}, {2, 19, 18, 4}, {2, 15, 15, 0},
        {2, 21, 21, 0},
        // Version 7: six alignment patterns; where one meets a finder it is left out.
        {7, 6, 22, 6},  {7, 5, 22, 4},  {7, 4, 22, 6},  {7, 22, 6, 6}, {7, 22, 5, 4}, {7, 22, 22, 6},
        {7, 21, 22, 4}, {7, 22, 38, 6}, {7, 38, 22, 6}, {7, 38, 38, 6}, {7, 37, 37, 4},
        {7, 5, 4, 4},   {7, 5, 40, 4},  {7, 8, 36, 0},  {7, 40, 5, 4}, {7, 36, 8, 0},
        // Version areas, light until the end.
        {7, 34, 0, 4},  {7, 36, 5, 4},  {7, 0, 34, 4},  {7, 5, 36, 4}, {7, 33, 0, 0}, {7, 0, 33, 0},
        {6, 30, 0, 0},  {6, 0, 30, 0},
        // Version 40: the bottom-right alignment pattern and the far end of the timing row.
        {40, 170, 170, 6}, {40, 169, 169, 4}, {40, 6, 168, 6}, {40, 6, 169, 4},
    };
    // clang-format on
    auto m = NewMatrix();
    for (const auto& c : cases) {
        DrawFunctionPatterns(Rec(c.version), *m);
        EXPECT_EQ(m->side, Rec(c.version).side);
        EXPECT_EQ(m->Cell(c.row, c.col), c.cell)
            << "version " << c.version << " (" << c.row << ", " << c.col << ")";
    }
}

// Every module that is not a function module carries one bit of the codewords or a remainder bit.
TEST(Matrix, FunctionModulesLeaveRoomForExactlyTheCodewords) {
    auto m = NewMatrix();
    for (int v = kMinVersion; v <= kMaxVersion; ++v) {
        const VersionRecord& rec = Rec(v);
        DrawFunctionPatterns(rec, *m);
        int free = 0;
        for (int r = 0; r < rec.side; ++r)
            for (int c = 0; c < rec.side; ++c) {
                free += !m->Function(r, c);
                const uint8_t cell = m->Cell(r, c);
                ASSERT_TRUE(cell == 0 || cell == 4 || cell == 6) << v << " (" << r << ", " << c << ")";
                ASSERT_EQ(Bit(m->function[static_cast<size_t>(r)], c), m->Function(r, c));
                ASSERT_EQ(Bit(m->functionDark[static_cast<size_t>(r)], c), cell == 6);
            }
        EXPECT_EQ(free, rec.totalCodewords * 8 + rec.remainderBits) << "version " << v;
    }
}

TEST(Matrix, DrawingStartsFromAClearMatrix) {
    auto fresh = NewMatrix();
    DrawFunctionPatterns(Rec(1), *fresh);
    auto reused = NewMatrix();
    DrawFunctionPatterns(Rec(40), *reused);
    std::vector<uint8_t> seq(static_cast<size_t>(Rec(40).totalCodewords), 0xFF);
    PlaceCodewords(Rec(40), seq.data(), *reused);
    ApplyMask(0, *reused);
    WriteFormatAndVersion(Rec(40), kLevelH, 0, *reused);
    DrawFunctionPatterns(Rec(1), *reused);
    EXPECT_EQ(reused->cells, fresh->cells);
    for (size_t r = 0; r < 21; ++r) {
        EXPECT_EQ(reused->function[r], fresh->function[r]);
        EXPECT_EQ(reused->functionDark[r], fresh->functionDark[r]);
        EXPECT_EQ(reused->data[r], fresh->data[r]);
    }
}

// Against the reference walk, for every version: bit i of the sequence lands on module i of the
// zig-zag order, the remainder modules stay 0, and function modules keep their value.
TEST(Matrix, PlacementFollowsTheZigZagForAllVersions) {
    std::mt19937 rng(1);
    auto m = NewMatrix();
    for (int v = kMinVersion; v <= kMaxVersion; ++v)
        for (bool ones : {true, false}) {
            SCOPED_TRACE(testing::Message() << "version " << v << (ones ? " all ones" : " random"));
            const VersionRecord& rec = Rec(v);
            const auto bits = static_cast<size_t>(rec.totalCodewords) * 8;
            const std::vector<uint8_t> seq =
                ones ? std::vector<uint8_t>(bits / 8, 0xFF) : RandomBytes(bits / 8, rng);
            DrawFunctionPatterns(rec, *m);
            const auto functionCells = m->cells;
            const auto order = ZigZag(*m);
            ASSERT_EQ(order.size(), bits + static_cast<size_t>(rec.remainderBits));
            PlaceCodewords(rec, seq.data(), *m);
            for (size_t i = 0; i < order.size(); ++i) {
                const auto [r, c] = order[i];
                const bool expected = i < bits && ((seq[i / 8] >> (7 - i % 8)) & 1);
                ASSERT_EQ(m->DataBit(r, c), expected) << "bit " << i << " at (" << r << ", " << c << ")";
                ASSERT_EQ(m->Cell(r, c) & ~kCellData, 0);
                ASSERT_EQ(Bit(m->data[static_cast<size_t>(r)], c), expected);
            }
            for (int r = 0; r < kMaxSide; ++r)
                for (int c = 0; c < kMaxSide; ++c)
                    if (r >= rec.side || c >= rec.side || m->Function(r, c)) {
                        ASSERT_EQ(m->Cell(r, c), functionCells[static_cast<size_t>(r * kMaxSide + c)])
                            << "(" << r << ", " << c << ")";
                    }
        }
}

TEST(Matrix, MasksInvertDataModulesWhereTheirConditionHolds) {
    std::mt19937 rng(2);
    auto m = NewMatrix();
    for (int v : {1, 2, 7, 13, 14, 40}) {
        const VersionRecord& rec = Rec(v);
        DrawFunctionPatterns(rec, *m);
        const auto seq = RandomBytes(static_cast<size_t>(rec.totalCodewords), rng);
        PlaceCodewords(rec, seq.data(), *m);
        const auto placed = m->cells;
        for (int t = 0; t < 8; ++t) {
            SCOPED_TRACE(testing::Message() << "version " << v << " mask " << t);
            m->cells = placed;
            MaskRows(t, *m);
            EXPECT_EQ(m->cells, placed) << "MaskRows must leave the cell bytes alone";
            for (int r = 0; r < rec.side; ++r) {
                for (int c = 0; c < rec.side; ++c) {
                    const bool expected = m->Function(r, c) ? (m->Cell(r, c) & kCellDark) != 0
                                                            : m->DataBit(r, c) != MaskCondition(t, r, c);
                    ASSERT_EQ(Bit(m->dark[static_cast<size_t>(r)], c), expected)
                        << "(" << r << ", " << c << ")";
                }
                for (int c = rec.side; c < kRowWords * 64; ++c)
                    ASSERT_FALSE(Bit(m->dark[static_cast<size_t>(r)], c)) << "bit past the side, row " << r;
            }
            // ApplyMask puts the same colours into the cells and keeps the other flags.
            ApplyMask(t, *m);
            for (int r = 0; r < rec.side; ++r)
                for (int c = 0; c < rec.side; ++c) {
                    const uint8_t before = placed[static_cast<size_t>(r * kMaxSide + c)];
                    const bool expected = m->Function(r, c)
                                              ? (before & kCellDark) != 0
                                              : ((before & kCellData) != 0) != MaskCondition(t, r, c);
                    ASSERT_EQ(m->Dark(r, c), expected) << "(" << r << ", " << c << ")";
                    ASSERT_EQ(m->Cell(r, c) & ~kCellDark, before & ~kCellDark);
                }
        }
    }
}

TEST(Matrix, PenaltyMatchesTheRulesOnRandomMatrices) {
    std::mt19937 rng(3);
    auto m = NewMatrix();
    for (int v : {1, 2, 3, 6, 7, 11, 15, 16, 20, 27, 32, 33, 40})
        for (int density : {10, 35, 50, 65, 90}) {
            const int side = Rec(v).side;
            m->side = side;
            for (auto& row : m->dark)
                row = {};
            std::uniform_int_distribution<int> percent(0, 99);
            for (int r = 0; r < side; ++r)
                for (int c = 0; c < side; ++c)
                    if (percent(rng) < density)
                        SetBit(m->dark[static_cast<size_t>(r)], c);
            // Plant finder-like patterns at the edges and across the 64-column word boundaries.
            static const bool kPattern[7] = {true, false, true, true, true, false, true};
            for (int start : {0, side - 7, 58, 61, 64, 125, 128}) {
                if (start < 0 || start + 7 > side)
                    continue;
                const int line = static_cast<int>(rng() % static_cast<unsigned>(side));
                for (int k = 0; k < 7; ++k) {
                    auto& row = m->dark[static_cast<size_t>(line)];
                    const int c = start + k;
                    row[static_cast<size_t>(c / 64)] &= ~(uint64_t{1} << (c % 64));
                    if (kPattern[k])
                        SetBit(row, c);
                    // and the same down a column
                    auto& down = m->dark[static_cast<size_t>(c)];
                    down[static_cast<size_t>(line / 64)] &= ~(uint64_t{1} << (line % 64));
                    if (kPattern[k])
                        SetBit(down, line);
                }
            }
            ASSERT_EQ(Penalty(*m), SlowPenalty(DarkRows(*m))) << "version " << v << " density " << density;
        }

    // Uniform and striped matrices: long runs, every block, extreme balance.
    for (int v : {1, 10, 40}) {
        const int side = Rec(v).side;
        m->side = side;
        for (int pattern = 0; pattern < 4; ++pattern) {
            for (auto& row : m->dark)
                row = {};
            for (int r = 0; r < side; ++r)
                for (int c = 0; c < side; ++c) {
                    const bool dark = pattern == 0   ? false
                                      : pattern == 1 ? true
                                      : pattern == 2 ? r % 2 == 0
                                                     : (r / 3 + c / 3) % 2 == 0;
                    if (dark)
                        SetBit(m->dark[static_cast<size_t>(r)], c);
                }
            EXPECT_EQ(Penalty(*m), SlowPenalty(DarkRows(*m))) << "version " << v << " pattern " << pattern;
        }
    }

    // All light at version 1: 42 lines with a run of 21 (42 x 19), 400 blocks (x 3), balance 0 % (100).
    m->side = 21;
    for (auto& row : m->dark)
        row = {};
    EXPECT_EQ(Penalty(*m), 42 * 19 + 400 * 3 + 100);
}

// On real symbols the format and version areas are still light when the penalty is taken.
TEST(Matrix, PenaltyMatchesTheRulesOnSymbolsForEveryMask) {
    std::mt19937 rng(4);
    auto m = NewMatrix();
    for (int v = kMinVersion; v <= kMaxVersion; ++v) {
        const VersionRecord& rec = Rec(v);
        DrawFunctionPatterns(rec, *m);
        const auto seq = RandomBytes(static_cast<size_t>(rec.totalCodewords), rng);
        PlaceCodewords(rec, seq.data(), *m);
        for (int t = 0; t < 8; ++t) {
            MaskRows(t, *m);
            ASSERT_EQ(Penalty(*m), SlowPenalty(DarkRows(*m))) << "version " << v << " mask " << t;
        }
    }
}

TEST(Matrix, AutomaticMaskIsTheFirstWithTheLowestPenalty) {
    std::mt19937 rng(5);
    auto m = NewMatrix();
    int ties = 0;
    for (int trial = 0; trial < 400; ++trial) {
        const int v = trial < 390 ? 1 + trial % 4 : 4 * (trial - 389);
        const VersionRecord& rec = Rec(v);
        DrawFunctionPatterns(rec, *m);
        const auto seq = RandomBytes(static_cast<size_t>(rec.totalCodewords), rng);
        PlaceCodewords(rec, seq.data(), *m);
        int32_t expected[8];
        for (int t = 0; t < 8; ++t) {
            MaskRows(t, *m);
            expected[t] = SlowPenalty(DarkRows(*m));
        }
        int best = 0;
        for (int t = 1; t < 8; ++t)
            if (expected[t] < expected[best])
                best = t;
        for (int t = best + 1; t < 8; ++t)
            ties += expected[t] == expected[best];

        int32_t penalties[8] = {};
        int32_t chosen = -1;
        ChooseAndApplyMask(-1, chosen, *m, penalties);
        ASSERT_EQ(std::vector<int32_t>(penalties, penalties + 8),
                  std::vector<int32_t>(expected, expected + 8))
            << "version " << v << " trial " << trial;
        ASSERT_EQ(chosen, best) << "version " << v << " trial " << trial;
        auto check = NewMatrix();
        *check = *m;
        ApplyMask(best, *check);
        ASSERT_EQ(m->cells, check->cells);
    }
    EXPECT_GT(ties, 0) << "no tie for the lowest penalty was exercised";
}

TEST(Matrix, FixedMaskIsAppliedWhateverItsPenalty) {
    auto base = WorkedExampleBeforeMask();
    for (int t = 0; t < 8; ++t) {
        auto m = NewMatrix();
        *m = *base;
        int32_t masktypeR = t;
        ChooseAndApplyMask(t, masktypeR, *m);
        EXPECT_EQ(masktypeR, t);
        auto expected = NewMatrix();
        *expected = *base;
        ApplyMask(t, *expected);
        EXPECT_EQ(m->cells, expected->cells) << "mask " << t;
    }
}

TEST(Matrix, WorkedExample01234567At1M) {
    auto m = WorkedExampleBeforeMask();
    int32_t penalties[8] = {};
    int32_t masktypeR = -1;
    ChooseAndApplyMask(-1, masktypeR, *m, penalties);
    EXPECT_EQ(std::vector<int32_t>(penalties, penalties + 8),
              (std::vector<int32_t>{1153, 1220, 1160, 1138, 1174, 1243, 1153, 1133}));
    EXPECT_EQ(masktypeR, 7);
    EXPECT_EQ(FormatWord(kLevelM, 7), 0x4AA0);
    WriteFormatAndVersion(Rec(1), kLevelM, masktypeR, *m);
    EXPECT_EQ(ReadFormat(*m), std::make_pair(0x4AA0, 0x4AA0));
    EXPECT_TRUE(m->Dark(13, 8));
}

TEST(Matrix, FormatWords) {
    // clang-format off
    struct {
        int32_t level, mask, word;
    } cases[] = {
        {kLevelL, 0, 0x77C4}, {kLevelM, 0, 0x5412}, {kLevelQ, 0, 0x355F},
        {kLevelH, 0, 0x1689}, {kLevelH, 7, 0x083B}, {kLevelM, 7, 0x4AA0},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(FormatWord(c.level, c.mask), c.word) << "level " << c.level << " mask " << c.mask;

    // All 32: five data bits (level code, mask) and a BCH (15,5) remainder, so any two words
    // differ in at least 7 bits.
    const int32_t levelCode[4] = {1, 0, 3, 2};
    std::vector<int32_t> words;
    for (int32_t level = 0; level < 4; ++level)
        for (int32_t mask = 0; mask < 8; ++mask) {
            const int32_t w = FormatWord(level, mask) ^ 0x5412;
            EXPECT_EQ(w >> 10, levelCode[level] << 3 | mask);
            int32_t r = w;
            for (int bit = 14; bit >= 10; --bit)
                if ((r >> bit) & 1)
                    r ^= 0x537 << (bit - 10);
            EXPECT_EQ(r, 0) << "level " << level << " mask " << mask;
            words.push_back(FormatWord(level, mask));
        }
    for (size_t i = 0; i < words.size(); ++i)
        for (size_t j = i + 1; j < words.size(); ++j)
            EXPECT_GE(__builtin_popcount(static_cast<unsigned>(words[i] ^ words[j])), 7);
}

TEST(Matrix, FormatAndVersionInformationPlacement) {
    struct {
        int version, level, mask;
    } cases[] = {{1, kLevelL, 0}, {2, kLevelQ, 5}, {6, kLevelH, 3},
                 {7, kLevelM, 1}, {8, kLevelL, 6}, {40, kLevelH, 7}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "version " << c.version);
        const VersionRecord& rec = Rec(c.version);
        auto m = NewMatrix();
        DrawFunctionPatterns(rec, *m);
        auto before = NewMatrix();
        *before = *m;
        WriteFormatAndVersion(rec, c.level, c.mask, *m);
        const int32_t f = FormatWord(c.level, c.mask);
        EXPECT_EQ(ReadFormat(*m), std::make_pair(f, f));
        EXPECT_TRUE(m->Dark(rec.side - 8, 8));
        const int32_t version = c.version >= 7 ? kVersionWords[static_cast<size_t>(c.version)] : 0;
        EXPECT_EQ(ReadVersion(*m), std::make_pair(version, version));
        // Only format, dark-module and version cells changed, and only toward dark.
        int changed = 0;
        for (int r = 0; r < rec.side; ++r)
            for (int col = 0; col < rec.side; ++col)
                if (m->Cell(r, col) != before->Cell(r, col)) {
                    ++changed;
                    EXPECT_EQ(m->Cell(r, col), 6);
                    EXPECT_EQ(before->Cell(r, col), 4);
                    EXPECT_TRUE(Bit(m->dark[static_cast<size_t>(r)], col));
                }
        EXPECT_EQ(changed, 2 * __builtin_popcount(static_cast<unsigned>(f)) + 1 +
                               2 * __builtin_popcount(static_cast<unsigned>(version)));
    }
    EXPECT_EQ(kVersionWords[7], 0x07C94);
}

} // namespace
} // namespace zarvo::encoder
