#include "encoder/reedsolomon.h"
#include "tests/encoder/test_support.h"

#include <array>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace zarvo::encoder {
namespace {

using test_support::SlowMul;

using test_support::Rec;
using test_support::Table;

using Bytes = std::vector<uint8_t>;

// Remainder of D(x) x^n by (x - a^0)...(x - a^(n-1)), coefficients highest power first, by schoolbook
// long division without any table.
Bytes SlowRemainder(const Bytes& data, int n) {
    Bytes g = {1};
    uint8_t root = 1;
    for (int i = 0; i < n; ++i) {
        Bytes next(g.size() + 1, 0);
        for (size_t j = 0; j < g.size(); ++j) {
            next[j] = static_cast<uint8_t>(next[j] ^ g[j]);
            next[j + 1] = static_cast<uint8_t>(next[j + 1] ^ SlowMul(g[j], root));
        }
        g = next;
        root = SlowMul(root, 2);
    }
    Bytes r = data;
    r.resize(data.size() + static_cast<size_t>(n), 0);
    for (size_t i = 0; i < data.size(); ++i) {
        const uint8_t factor = r[i];
        for (size_t j = 0; j < g.size(); ++j)
            r[i + j] = static_cast<uint8_t>(r[i + j] ^ SlowMul(g[j], factor));
    }
    return Bytes(r.end() - n, r.end());
}

Bytes BlockEc(const Bytes& data, int n) {
    std::array<uint8_t, kMaxBlockData> reg{};
    Bytes ec(static_cast<size_t>(n), 0xA5);
    BlockErrorCorrection(data.data(), static_cast<int32_t>(data.size()), n, ec.data(), reg.data());
    return ec;
}

TEST(ReedSolomon, KnownBlocks) {
    // clang-format off
    struct {
        Bytes data;
        Bytes ec;
    } cases[] = {
        // ISO/IEC 18004 Annex I: 01234567 at 1-M.
        {{0x10, 0x20, 0x0C, 0x56, 0x61, 0x80, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11},
         {0xA5, 0x24, 0xD4, 0xC1, 0xED, 0x36, 0xC7, 0x87, 0x2C, 0x55}},
        // HELLO WORLD at 1-M.
        {{0x20, 0x5B, 0x0B, 0x78, 0xD1, 0x72, 0xDC, 0x4D, 0x43, 0x40, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11},
         {0xC4, 0x23, 0x27, 0x77, 0xEB, 0xD7, 0xE7, 0xE2, 0x5D, 0x17}},
        // All-zero data gives all-zero error correction.
        {Bytes(19, 0), Bytes(7, 0)},
        {Bytes(123, 0), Bytes(30, 0)},
        // One data codeword 1: the remainder of x^n is the generator itself, leading 1 left out.
        {{1}, {Antilog(87), Antilog(229), Antilog(146), Antilog(149), Antilog(238), Antilog(102), Antilog(21)}},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(BlockEc(c.data, static_cast<int>(c.ec.size())), c.ec) << testing::PrintToString(c.data);
}

TEST(ReedSolomon, MatchesSlowDivisionForEveryBlockShape) {
    std::set<std::pair<int, int>> shapes; // (k, n)
    for (int v = kMinVersion; v <= kMaxVersion; ++v)
        for (const LevelRecord& lr : Table()[static_cast<size_t>(v)].levels)
            for (int g = 0; g < lr.groupCount; ++g)
                shapes.emplace(lr.groups[g].k, lr.groups[g].c - lr.groups[g].k);
    std::mt19937 rng(20240601);
    std::array<uint8_t, kMaxBlockData> reg{};
    for (const auto& [k, n] : shapes)
        for (int trial = 0; trial < 3; ++trial) {
            Bytes data(static_cast<size_t>(k));
            for (auto& b : data)
                b = static_cast<uint8_t>(rng());
            // A dirty register must not matter.
            reg.fill(static_cast<uint8_t>(rng()));
            Bytes ec(static_cast<size_t>(n));
            BlockErrorCorrection(data.data(), k, n, ec.data(), reg.data());
            ASSERT_EQ(ec, SlowRemainder(data, n)) << "k " << k << " n " << n;
        }
}

TEST(ReedSolomon, BlocksAreTakenInOrderAndWrittenBlockAfterBlock) {
    struct {
        int version, level;
    } cases[] = {{1, kLevelM}, {5, kLevelQ}, {7, kLevelH}, {22, kLevelH}, {40, kLevelL}, {40, kLevelH}};
    std::mt19937 rng(7);
    for (const auto& c : cases) {
        const LevelRecord& lr = Table()[static_cast<size_t>(c.version)].levels[c.level];
        const int n = lr.groups[0].c - lr.groups[0].k;
        Bytes data(static_cast<size_t>(lr.dataCodewords));
        for (auto& b : data)
            b = static_cast<uint8_t>(rng());
        const auto total = static_cast<size_t>(Table()[static_cast<size_t>(c.version)].totalCodewords);
        Bytes ec(total - data.size() + 1, 0xA5);
        std::array<uint8_t, kMaxBlockData> reg{};
        ComputeErrorCorrection(lr, data.data(), ec.data(), reg.data());
        EXPECT_EQ(ec.back(), 0xA5) << "wrote past the error-correction codewords";

        Bytes expected;
        size_t at = 0;
        for (int g = 0; g < lr.groupCount; ++g)
            for (int b = 0; b < lr.groups[g].count; ++b) {
                const Bytes block(data.begin() + static_cast<std::ptrdiff_t>(at),
                                  data.begin() +
                                      static_cast<std::ptrdiff_t>(at + static_cast<size_t>(lr.groups[g].k)));
                at += static_cast<size_t>(lr.groups[g].k);
                const Bytes r = SlowRemainder(block, n);
                expected.insert(expected.end(), r.begin(), r.end());
            }
        ec.pop_back();
        EXPECT_EQ(ec, expected) << c.version << "-" << c.level;
    }
}

// 5-Q: blocks 1, 2 of 15 data codewords, blocks 3, 4 of 16; 18 error-correction codewords each.
TEST(ReedSolomon, InterleavesColumnByColumnOverTheBlocks) {
    const LevelRecord& lr = Table()[5].levels[kLevelQ];
    Bytes data(62), ec(72);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i);
    for (size_t i = 0; i < ec.size(); ++i)
        ec[i] = static_cast<uint8_t>(128 + i);
    Bytes seq(134 + 1, 0xFF);
    Interleave(lr, data.data(), ec.data(), seq.data());
    EXPECT_EQ(seq.back(), 0xFF) << "wrote past the version's total codewords";

    // clang-format off
    struct {
        size_t at;
        Bytes values;
    } cases[] = {
        {0, {0, 15, 30, 46}},      // data codeword 0 of blocks 1..4
        {4, {1, 16, 31, 47}},      // then codeword 1 of each
        {56, {14, 29, 44, 60}},    // codeword 14, the last of the short blocks
        {60, {45, 61}},            // codeword 15 exists only in blocks 3 and 4
        {62, {128, 146, 164, 182}}, // error-correction codeword 0 of blocks 1..4
        {130, {145, 163, 181, 199}}, // codeword 17 of each ends the sequence
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(Bytes(seq.begin() + static_cast<std::ptrdiff_t>(c.at),
                        seq.begin() + static_cast<std::ptrdiff_t>(c.at + c.values.size())),
                  c.values)
            << "at " << c.at;
}

// Against a reference that deals the codewords out block by block, for all 160 versions and levels.
TEST(ReedSolomon, InterleavingMatchesAReferenceForAllVersionsAndLevels) {
    std::mt19937 rng(99);
    for (int v = kMinVersion; v <= kMaxVersion; ++v)
        for (int level = 0; level < 4; ++level) {
            const VersionRecord& rec = Table()[static_cast<size_t>(v)];
            const LevelRecord& lr = rec.levels[level];
            const auto n = static_cast<size_t>(lr.groups[0].c - lr.groups[0].k);
            Bytes data(static_cast<size_t>(lr.dataCodewords)),
                ec(static_cast<size_t>(rec.totalCodewords) - data.size());
            for (auto& b : data)
                b = static_cast<uint8_t>(rng());
            for (auto& b : ec)
                b = static_cast<uint8_t>(rng());

            std::vector<Bytes> dataBlocks, ecBlocks;
            auto d = data.begin();
            auto e = ec.begin();
            for (int g = 0; g < lr.groupCount; ++g)
                for (int b = 0; b < lr.groups[g].count; ++b) {
                    dataBlocks.emplace_back(d, d + lr.groups[g].k);
                    d += lr.groups[g].k;
                    ecBlocks.emplace_back(e, e + static_cast<std::ptrdiff_t>(n));
                    e += static_cast<std::ptrdiff_t>(n);
                }
            Bytes expected;
            for (size_t j = 0; j < dataBlocks.back().size(); ++j)
                for (const Bytes& block : dataBlocks)
                    if (j < block.size())
                        expected.push_back(block[j]);
            for (size_t j = 0; j < n; ++j)
                for (const Bytes& block : ecBlocks)
                    expected.push_back(block[j]);

            Bytes seq(expected.size() + 1, 0x5A);
            Interleave(lr, data.data(), ec.data(), seq.data());
            EXPECT_EQ(seq.back(), 0x5A) << "wrote past the version's total codewords";
            seq.pop_back();
            ASSERT_EQ(seq, expected) << "version " << v << " level " << level;
        }
}

} // namespace
} // namespace zarvo::encoder
