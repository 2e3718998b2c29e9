// Helpers shared by the encoder's stage tests.
#pragma once

#include "encoder/tables.h"

#include <cstdint>
#include <string>

namespace zarvo::encoder::test_support {

// One version table for all tests, built once.
inline const VersionTable& Table() {
    static const VersionTable table = [] {
        VersionTable t;
        BuildVersionTable(t);
        return t;
    }();
    return table;
}

inline const VersionRecord& Rec(int v) {
    return Table()[static_cast<size_t>(v)];
}

// GF(256) product computed without tables: carry-less multiplication reduced by
// x^8 + x^4 + x^3 + x^2 + 1, bit by bit.
inline uint8_t SlowMul(uint8_t a, uint8_t b) {
    unsigned r = 0;
    for (int i = 7; i >= 0; --i) {
        r <<= 1;
        if (r & 0x100)
            r ^= 0x11D;
        if ((b >> i) & 1)
            r ^= a;
    }
    return static_cast<uint8_t>(r);
}

inline const uint8_t* Bytes(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}
inline int32_t Len(const std::string& s) {
    return static_cast<int32_t>(s.size());
}

} // namespace zarvo::encoder::test_support
