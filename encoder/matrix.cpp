#include "encoder/matrix.h"

#include <cassert>
#include <cstring>

namespace zarvo::encoder {
namespace {

#if defined(__GNUC__)
#define ZARVO_INLINE inline __attribute__((always_inline))
#else
#define ZARVO_INLINE inline
#endif

// ---- Packed-row helpers: column c is bit c % 64 of word c / 64 ----

ZARVO_INLINE void SetBit(PackedRow& row, int col) {
    row[static_cast<size_t>(col >> 6)] |= uint64_t{1} << (col & 63);
}
ZARVO_INLINE void ClearBit(PackedRow& row, int col) {
    row[static_cast<size_t>(col >> 6)] &= ~(uint64_t{1} << (col & 63));
}

// Bits 0..n-1 of word w set, for a row whose valid columns are 0..n-1 (n may be <= 0).
ZARVO_INLINE uint64_t Low(int w, int n) {
    const int bits = n - 64 * w;
    if (bits <= 0)
        return 0;
    if (bits >= 64)
        return ~uint64_t{0};
    return (uint64_t{1} << bits) - 1;
}

ZARVO_INLINE int Popcount(uint64_t x) {
    return __builtin_popcountll(x);
}

// Mask patterns over a row of 192 columns; they repeat every 12 rows.
using MaskTable = std::array<std::array<PackedRow, 12>, 8>;
constexpr bool MaskCondition(int t, int i, int j) {
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
constexpr MaskTable MakeMaskTable() {
    MaskTable t{};
    for (int mask = 0; mask < 8; ++mask)
        for (int i = 0; i < 12; ++i)
            for (int j = 0; j < 64 * kRowWords; ++j)
                if (MaskCondition(mask, i, j))
                    t[static_cast<size_t>(mask)][static_cast<size_t>(i)][static_cast<size_t>(j >> 6)] |=
                        uint64_t{1} << (j & 63);
    return t;
}
constexpr MaskTable kMaskRows = MakeMaskTable();

// Sets a function module in both representations.
ZARVO_INLINE void SetFunction(ModuleMatrix& m, int row, int col, uint8_t value) {
    m.Cell(row, col) = value;
    SetBit(m.function[static_cast<size_t>(row)], col);
    if (value & kCellDark)
        SetBit(m.functionDark[static_cast<size_t>(row)], col);
    else
        ClearBit(m.functionDark[static_cast<size_t>(row)], col);
}

void SetDark(ModuleMatrix& m, int row, int col) {
    m.Cell(row, col) = static_cast<uint8_t>(m.Cell(row, col) | kCellDark);
    SetBit(m.dark[static_cast<size_t>(row)], col);
}

int Wrap(int coordinate, int side) {
    return (side + coordinate) % side;
}

} // namespace

namespace {
// Bit j of a byte spread to byte j, in the cell flag's place.
constexpr std::array<uint64_t, 256> MakeSpread() {
    std::array<uint64_t, 256> t{};
    for (int v = 0; v < 256; ++v)
        for (int j = 0; j < 8; ++j)
            if ((v >> j) & 1)
                t[static_cast<size_t>(v)] |= uint64_t{1} << (8 * j);
    return t;
}
constexpr std::array<uint64_t, 256> kSpread = MakeSpread();

// Sets one flag of every cell of the used square from packed rows, eight cells at a time.
void CopyBitsToCells(ModuleMatrix& m, const std::array<PackedRow, kMaxSide>& rows, uint8_t flag) {
    const int side = m.side;
    const uint64_t flags = kSpread[0xFF] * flag;
    const int shift = __builtin_ctz(flag);
    for (int r = 0; r < side; ++r) {
        const PackedRow& row = rows[static_cast<size_t>(r)];
        uint8_t* cell = &m.Cell(r, 0);
        int c = 0;
        for (; c + 8 <= side; c += 8) {
            const auto bits = static_cast<size_t>((row[static_cast<size_t>(c >> 6)] >> (c & 63)) & 0xFF);
            uint64_t eight;
            std::memcpy(&eight, cell + c, 8);
            eight = (eight & ~flags) | (kSpread[bits] << shift);
            std::memcpy(cell + c, &eight, 8);
        }
        for (; c < side; ++c) {
            const auto bit = static_cast<unsigned>((row[static_cast<size_t>(c >> 6)] >> (c & 63)) & 1u);
            cell[c] = static_cast<uint8_t>((cell[c] & ~flag) | (bit << shift));
        }
    }
}
} // namespace

namespace {
constexpr int kOrderStride = 64 * kRowWords;

// The zig-zag: column pairs from the right, upward in the first pair and alternating, the right
// column of a pair before the left one, function modules skipped. The walk ends with the last
// codeword bit; the cells after it (the remainder bits) receive none.
void WalkPlacementOrder(const VersionRecord& record, ModuleMatrix& m) {
    const int side = record.side;
    const int32_t bits = record.totalCodewords * 8;
    int32_t n = 0;
    bool upward = true;
    for (int right = side - 1; right >= 1 && n < bits; right -= 2, upward = !upward) {
        if (right == 6)
            right = 5; // the vertical timing column belongs to no pair
        for (int i = 0; i < side && n < bits; ++i) {
            const int y = upward ? side - 1 - i : i;
            for (int x = right; x >= right - 1 && n < bits; --x)
                if (!m.Function(y, x))
                    m.order[static_cast<size_t>(n++)] = static_cast<uint16_t>(y * kOrderStride + x);
        }
    }
    assert(n == bits);
    m.orderVersion = record.version;
}
} // namespace

void DrawFunctionPatterns(const VersionRecord& record, ModuleMatrix& m) {
    const int side = record.side;
    const int b = side - 1;
    // Rows past both the old and the new side are zero already; nothing reads past the side.
    const int used = m.side > side ? m.side : side;
    m.side = side;
    std::memset(m.cells.data(), 0, static_cast<size_t>(used * kMaxSide));
    for (int r = 0; r < used; ++r) {
        m.function[static_cast<size_t>(r)] = {};
        m.functionDark[static_cast<size_t>(r)] = {};
        m.data[static_cast<size_t>(r)] = {};
        m.dark[static_cast<size_t>(r)] = {};
    }

    // Finder patterns
    for (int i = 0; i < 7; ++i)
        for (int j = 0; j < 7; ++j) {
            SetFunction(m, i, j, kFinder[i][j]);
            SetFunction(m, i, b - j, kFinder[i][j]);
            SetFunction(m, b - i, j, kFinder[i][j]);
        }

    // Separators
    for (int i = 0; i < 8; ++i) {
        SetFunction(m, i, 7, kCellFunction);
        SetFunction(m, 7, i, kCellFunction);
        SetFunction(m, i, b - 7, kCellFunction);
        SetFunction(m, b - 7, i, kCellFunction);
        SetFunction(m, b - i, 7, kCellFunction);
        SetFunction(m, 7, b - i, kCellFunction);
    }

    // Alignment patterns; testing only the centre leaves out the three that meet a finder.
    for (int a = 0; a < record.alignmentCount; ++a)
        for (int c = 0; c < record.alignmentCount; ++c) {
            const int row = record.alignment[a];
            const int col = record.alignment[c];
            if (m.Function(row, col))
                continue;
            for (int i = 0; i < 5; ++i)
                for (int j = 0; j < 5; ++j)
                    SetFunction(m, row - 2 + i, col - 2 + j, kAlignment[i][j]);
        }

    // Timing patterns
    for (int j = 7; j <= side - 9; ++j) {
        const uint8_t value = j % 2 == 0 ? kCellFunction | kCellDark : kCellFunction;
        SetFunction(m, j, 6, value);
        SetFunction(m, 6, j, value);
    }

    // Format and version areas, light until the mask is known
    for (const auto& list : kFormatPositions)
        for (const Cell& cell : list)
            SetFunction(m, Wrap(cell.row, side), Wrap(cell.col, side), kCellFunction);
    SetFunction(m, Wrap(kAlwaysDark.row, side), Wrap(kAlwaysDark.col, side), kCellFunction);
    if (kVersionWords[static_cast<size_t>(record.version)] >= 0)
        for (int list = 0; list < 2; ++list)
            for (int e = 0; e < 18; ++e) {
                const Cell cell = VersionPosition(list, e);
                SetFunction(m, Wrap(cell.row, side), Wrap(cell.col, side), kCellFunction);
            }

    if (m.orderVersion != record.version)
        WalkPlacementOrder(record, m);
}

void PlaceCodewords(const VersionRecord& record, const uint8_t* sequence, ModuleMatrix& m) {
    assert(m.orderVersion == record.version);
    const uint16_t* order = m.order.data();
    for (int32_t i = 0; i < record.totalCodewords; ++i, order += 8) {
        const unsigned byte = sequence[i];
        for (int j = 0; j < 8; ++j)
            if ((byte >> (7 - j)) & 1u) {
                const int y = order[j] / kOrderStride;
                const int x = order[j] % kOrderStride;
                SetBit(m.data[static_cast<size_t>(y)], x);
            }
    }
    CopyBitsToCells(m, m.data, kCellData);
}

void MaskRows(int t, ModuleMatrix& m) {
    assert(t >= 0 && t < 8);
    const int side = m.side;
    const auto& pattern = kMaskRows[static_cast<size_t>(t)];
    uint64_t valid[kRowWords];
    for (int w = 0; w < kRowWords; ++w)
        valid[w] = Low(w, side);
    for (int r = 0; r < side; ++r) {
        const PackedRow& p = pattern[static_cast<size_t>(r % 12)];
        const PackedRow& f = m.function[static_cast<size_t>(r)];
        const PackedRow& fd = m.functionDark[static_cast<size_t>(r)];
        const PackedRow& d = m.data[static_cast<size_t>(r)];
        PackedRow& out = m.dark[static_cast<size_t>(r)];
        for (int w = 0; w < kRowWords; ++w) {
            const size_t i = static_cast<size_t>(w);
            out[i] = fd[i] | ((d[i] ^ p[i]) & ~f[i] & valid[w]);
        }
    }
}

void ApplyMask(int t, ModuleMatrix& m) {
    MaskRows(t, m);
    CopyBitsToCells(m, m.dark, kCellDark);
}

namespace {

// Row x shifted toward column 0 by k (1..63) into out: out bit c is module c + k.
template <int W> ZARVO_INLINE void ShiftDown(const uint64_t* x, int k, uint64_t* out) {
    for (int i = 0; i < W; ++i)
        out[i] = (x[i] >> k) | (i + 1 < W ? x[i + 1] << (64 - k) : 0);
}
// Row x shifted away from column 0 by one: out bit c is module c - 1 (0 for c = 0).
template <int W> ZARVO_INLINE void ShiftUp1(const uint64_t* x, uint64_t* out) {
    for (int i = 0; i < W; ++i)
        out[i] = (x[i] << 1) | (i > 0 ? x[i - 1] >> 63 : 0);
}

// The penalty on W words per row. Every rule is evaluated for 64 modules at once: bit c of a
// word answers the rule's question for the module at column c (rows) or for column c of the
// row (columns).
template <int W> ZARVO_INLINE int32_t PenaltyWords(const ModuleMatrix& m) {
    const int n = m.side;
    constexpr auto N = static_cast<size_t>(W);
    uint64_t valid[N], valid1[N], valid4[N], valid6[N];
    for (int i = 0; i < W; ++i) {
        valid[i] = Low(i, n);
        valid1[i] = Low(i, n - 1); // columns 0..n-2
        valid4[i] = Low(i, n - 4); // columns 0..n-5
        valid6[i] = Low(i, n - 6); // columns 0..n-7
    }
    int32_t windows = 0; // groups of five equal modules in a line
    int32_t starts = 0;  // runs of five or more
    int32_t blocks = 0;
    int32_t finders = 0;
    int32_t darkCount = 0;
    uint64_t eq[kMaxSide][N]; // eq[r]: columns where row r equals row r + 1

    // Rows, and the 2 x 2 blocks of each row with the next.
    for (int r = 0; r < n; ++r) {
        const uint64_t* x = m.dark[static_cast<size_t>(r)].data();
        uint64_t s[8][N];
        for (int k = 1; k < 8; ++k)
            ShiftDown<W>(x, k, s[k]);
        uint64_t up[N];
        ShiftUp1<W>(x, up);
        for (int i = 0; i < W; ++i) {
            const uint64_t e0 = ~(x[i] ^ s[1][i]);
            const uint64_t w5 =
                e0 & ~(s[1][i] ^ s[2][i]) & ~(s[2][i] ^ s[3][i]) & ~(s[3][i] ^ s[4][i]) & valid4[i];
            uint64_t left = ~(up[i] ^ x[i]); // module c - 1 equals module c
            if (i == 0)
                left &= ~uint64_t{1};
            windows += Popcount(w5);
            starts += Popcount(w5 & ~left);
            const uint64_t f =
                x[i] & ~s[1][i] & s[2][i] & s[3][i] & s[4][i] & ~s[5][i] & s[6][i] & ~up[i] & ~s[7][i];
            finders += Popcount(f & valid6[i]);
            darkCount += Popcount(x[i]);
        }
        if (r + 1 < n) {
            const uint64_t* y = m.dark[static_cast<size_t>(r + 1)].data();
            for (int i = 0; i < W; ++i)
                eq[r][i] = ~(x[i] ^ y[i]) & valid[i];
            uint64_t eqNext[N];
            ShiftDown<W>(eq[r], 1, eqNext);
            for (int i = 0; i < W; ++i)
                blocks += Popcount(eq[r][i] & eqNext[i] & ~(x[i] ^ s[1][i]) & valid1[i]);
        }
    }

    // Column runs: rows t..t+4 equal in a column.
    for (int t = 0; t + 4 < n; ++t)
        for (int i = 0; i < W; ++i) {
            const uint64_t v5 = eq[t][i] & eq[t + 1][i] & eq[t + 2][i] & eq[t + 3][i];
            const uint64_t before = t > 0 ? eq[t - 1][i] : 0;
            windows += Popcount(v5);
            starts += Popcount(v5 & ~before);
        }

    // Column finder-like patterns, with a light module or the edge above and below.
    for (int r = 0; r + 7 <= n; ++r) {
        auto x = [&](int k, int i) { return m.dark[static_cast<size_t>(r + k)][static_cast<size_t>(i)]; };
        const uint64_t* above = r > 0 ? m.dark[static_cast<size_t>(r - 1)].data() : nullptr;
        const uint64_t* below = r + 7 < n ? m.dark[static_cast<size_t>(r + 7)].data() : nullptr;
        for (int i = 0; i < W; ++i) {
            uint64_t f = x(0, i) & ~x(1, i) & x(2, i) & x(3, i) & x(4, i) & ~x(5, i) & x(6, i);
            if (above)
                f &= ~above[i];
            if (below)
                f &= ~below[i];
            finders += Popcount(f);
        }
    }

    // Runs of length L >= 5 hold L - 4 windows and score L - 2.
    const int32_t percent = static_cast<int32_t>(int64_t{darkCount} * 100 / (int64_t{n} * n));
    const int32_t deviation = percent > 50 ? percent - 50 : 50 - percent;
    return windows + 2 * starts + 3 * blocks + 40 * finders + 10 * (deviation / 5);
}

} // namespace

// Cloned for processors with a population-count instruction, which the rules above lean on.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
__attribute__((target_clones("popcnt", "default")))
#endif
int32_t
Penalty(const ModuleMatrix& m) {
    const int words = (m.side + 63) / 64;
    return words == 1 ? PenaltyWords<1>(m) : words == 2 ? PenaltyWords<2>(m) : PenaltyWords<3>(m);
}

void ChooseAndApplyMask(int32_t masktype, int32_t& masktypeR, ModuleMatrix& m, int32_t* penalties) {
    if (masktype >= 0) {
        ApplyMask(masktype, m);
        masktypeR = masktype;
        return;
    }
    int32_t best = 0;
    int32_t bestScore = 0;
    for (int t = 0; t < 8; ++t) {
        MaskRows(t, m);
        const int32_t score = Penalty(m);
        if (penalties)
            penalties[t] = score;
        if (t == 0 || score < bestScore) {
            best = t;
            bestScore = score;
        }
    }
    masktypeR = best;
    ApplyMask(best, m);
}

int32_t FormatWord(int32_t level, int32_t mask) {
    const int32_t w = (((level ^ 1) << 3) | mask) << 10;
    int32_t r = w;
    for (int bit = 14; bit >= 10; --bit)
        if (r & (1 << bit))
            r ^= 0x537 << (bit - 10);
    return (w + r) ^ 0x5412;
}

void WriteFormatAndVersion(const VersionRecord& record, int32_t level, int32_t mask, ModuleMatrix& m) {
    const int side = record.side;
    const int32_t f = FormatWord(level, mask);
    for (const auto& list : kFormatPositions)
        for (int e = 0; e < 15; ++e)
            if ((f >> e) & 1)
                SetDark(m, Wrap(list[e].row, side), Wrap(list[e].col, side));
    SetDark(m, Wrap(kAlwaysDark.row, side), Wrap(kAlwaysDark.col, side));
    const int32_t word = kVersionWords[static_cast<size_t>(record.version)];
    if (word < 0)
        return;
    for (int list = 0; list < 2; ++list)
        for (int e = 0; e < 18; ++e)
            if ((word >> e) & 1) {
                const Cell cell = VersionPosition(list, e);
                SetDark(m, Wrap(cell.row, side), Wrap(cell.col, side));
            }
}

} // namespace zarvo::encoder
