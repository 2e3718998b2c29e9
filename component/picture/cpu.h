// What the processor offers beyond the x86-64 baseline the build targets, asked once.
#pragma once

#include <cstdlib>

namespace zarvo::component {

// The few loops that run per pixel have AVX2 versions beside the baseline ones. ZARVO_NO_AVX2 in
// the environment keeps to the baseline, as on a processor without AVX2.
inline bool HasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
    static const bool avx2 = __builtin_cpu_supports("avx2") && !std::getenv("ZARVO_NO_AVX2");
    return avx2;
#else
    return false;
#endif
}

} // namespace zarvo::component
