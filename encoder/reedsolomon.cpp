#include "encoder/reedsolomon.h"

#include <cassert>
#include <cstring>

namespace zarvo::encoder {
namespace {

// The antilog table twice over, so that a sum of two exponents (0..508) needs no reduction.
constexpr std::array<uint8_t, 510> MakeAntilog2() {
    std::array<uint8_t, 510> t{};
    for (size_t i = 0; i < t.size(); ++i)
        t[i] = Antilog(static_cast<int>(i % 255));
    return t;
}
constexpr std::array<uint8_t, 510> kAntilog2 = MakeAntilog2();

} // namespace

void BlockErrorCorrection(const uint8_t* data, int32_t k, int32_t n, uint8_t* ec, uint8_t* reg) {
    assert(k >= 1 && k <= kMaxBlockData && n >= 1 && n <= 30);
    const uint8_t* g = kGenerators[static_cast<size_t>(n)].exponents.data();
    assert(kGenerators[static_cast<size_t>(n)].n == n);
    // Remainder of D(x) x^n divided by g(x), the data fed in one codeword at a time: the
    // register holds the running remainder, highest-order coefficient first, and each step
    // shifts it by one place while adding lead * g(x).
    std::memset(reg, 0, static_cast<size_t>(n));
    for (int32_t j = 0; j < k; ++j) {
        const auto lead = static_cast<uint8_t>(data[j] ^ reg[0]);
        if (lead == 0) {
            std::memmove(reg, reg + 1, static_cast<size_t>(n - 1));
            reg[n - 1] = 0;
            continue;
        }
        const int e = Log(lead);
        for (int32_t i = 0; i + 1 < n; ++i)
            reg[i] = static_cast<uint8_t>(reg[i + 1] ^ kAntilog2[static_cast<size_t>(e + g[i])]);
        reg[n - 1] = kAntilog2[static_cast<size_t>(e + g[n - 1])];
    }
    std::memcpy(ec, reg, static_cast<size_t>(n));
}

void ComputeErrorCorrection(const LevelRecord& level, const uint8_t* data, uint8_t* ec, uint8_t* reg) {
    const int32_t n = level.groups[0].c - level.groups[0].k;
    for (int32_t g = 0; g < level.groupCount; ++g) {
        const BlockGroup& group = level.groups[g];
        for (int32_t b = 0; b < group.count; ++b) {
            BlockErrorCorrection(data, group.k, n, ec, reg);
            data += group.k;
            ec += n;
        }
    }
}

void Interleave(const LevelRecord& level, const uint8_t* data, const uint8_t* ec, uint8_t* sequence) {
    const int32_t n = level.groups[0].c - level.groups[0].k;
    const int32_t kMax = level.groups[level.groupCount - 1].k;
    int32_t out = 0;
    for (int32_t j = 0; j < kMax; ++j) {
        const uint8_t* block = data;
        for (int32_t g = 0; g < level.groupCount; ++g) {
            const BlockGroup& group = level.groups[g];
            for (int32_t b = 0; b < group.count; ++b, block += group.k)
                if (j < group.k)
                    sequence[out++] = block[j];
        }
    }
    const int32_t blocks = level.groups[0].count + level.groups[1].count;
    for (int32_t j = 0; j < n; ++j)
        for (int32_t b = 0; b < blocks; ++b)
            sequence[out++] = ec[b * n + j];
}

} // namespace zarvo::encoder
