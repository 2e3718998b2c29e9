// The module painting's inner loop, on vectors.
#include "component/module_rows.h"

#include "component/picture/cpu.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace zarvo::component {

namespace {

#if defined(__x86_64__) || defined(__i386__)
// Sixteen modules a step: the packed row's bits are spread into pixel masks by one comparison
// each, so that the dark pixels are selected on vectors with no branch per module.
__attribute__((target("avx2"))) void PaintModuleRowsAvx2(Bitmap& bitmap, const encoder::PackedRow* dark,
                                                         int side, int64_t x0, int64_t y0, uint32_t pixel) {
    const int height = bitmap.Height();
    const int64_t rowEnd = bitmap.Width();
    const __m256i low = _mm256_setr_epi32(1, 2, 4, 8, 16, 32, 64, 128);
    const __m256i high = _mm256_slli_epi32(low, 8);
    const __m256i colour = _mm256_set1_epi32(static_cast<int>(pixel));
    for (int r = 0; r < side; ++r) {
        const int64_t y = y0 + r;
        if (y < 0 || y >= height)
            continue;
        const encoder::PackedRow& row = dark[r];
        uint32_t* px = reinterpret_cast<uint32_t*>(bitmap.Row(static_cast<int>(y))) + x0;
        int c = 0;
        // The last chunk may run past the symbol: its bits there are 0, which writes back what is
        // there, as long as the row goes on that far.
        for (; c < side && x0 + c + 16 <= rowEnd; c += 16) {
            const auto sixteen = static_cast<int>(row[static_cast<size_t>(c >> 6)] >> (c & 63) & 0xFFFF);
            const __m256i bits = _mm256_set1_epi32(sixteen);
            for (int half = 0; half < 2; ++half) {
                const __m256i ones = half == 0 ? low : high;
                const __m256i mask = _mm256_cmpeq_epi32(_mm256_and_si256(bits, ones), ones);
                auto* at = reinterpret_cast<__m256i*>(px + c + 8 * half);
                _mm256_storeu_si256(at, _mm256_blendv_epi8(_mm256_loadu_si256(at), colour, mask));
            }
        }
        for (; c < side; ++c)
            if (row[static_cast<size_t>(c >> 6)] >> (c & 63) & 1)
                px[c] = pixel;
    }
}
#endif

// The same eight modules a step with SSE2, which every x86-64 has; one at a time elsewhere.
void PaintModuleRowsPortable(Bitmap& bitmap, const encoder::PackedRow* dark, int side, int64_t x0, int64_t y0,
                             uint32_t pixel) {
    const int height = bitmap.Height();
    [[maybe_unused]] const int64_t rowEnd = bitmap.Width();
#if defined(__SSE2__)
    const __m128i low = _mm_setr_epi32(1, 2, 4, 8);
    const __m128i high = _mm_setr_epi32(16, 32, 64, 128);
    const __m128i colour = _mm_set1_epi32(static_cast<int>(pixel));
    const auto select = [&](uint32_t* at, __m128i mask) {
        const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(at),
                         _mm_or_si128(_mm_andnot_si128(mask, old), _mm_and_si128(mask, colour)));
    };
#endif
    for (int r = 0; r < side; ++r) {
        const int64_t y = y0 + r;
        if (y < 0 || y >= height)
            continue;
        const encoder::PackedRow& row = dark[r];
        uint32_t* px = reinterpret_cast<uint32_t*>(bitmap.Row(static_cast<int>(y))) + x0;
        int c = 0;
#if defined(__SSE2__)
        for (; c < side && x0 + c + 8 <= rowEnd; c += 8) {
            const auto eight = static_cast<int>(row[static_cast<size_t>(c >> 6)] >> (c & 63) & 0xFF);
            const __m128i bits = _mm_set1_epi32(eight);
            select(px + c, _mm_cmpeq_epi32(_mm_and_si128(bits, low), low));
            select(px + c + 4, _mm_cmpeq_epi32(_mm_and_si128(bits, high), high));
        }
#endif
        for (; c < side; ++c)
            if (row[static_cast<size_t>(c >> 6)] >> (c & 63) & 1)
                px[c] = pixel;
    }
}

} // namespace

void PaintModuleRows(Bitmap& bitmap, const encoder::PackedRow* dark, int side, int64_t x0, int64_t y0,
                     uint32_t pixel) {
#if defined(__x86_64__) || defined(__i386__)
    if (HasAvx2()) {
        PaintModuleRowsAvx2(bitmap, dark, side, x0, y0, pixel);
        return;
    }
#endif
    PaintModuleRowsPortable(bitmap, dark, side, x0, y0, pixel);
}

} // namespace zarvo::component
