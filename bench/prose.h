// Benchmark input shared by the encoder and drawing benchmarks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>

namespace zarvo::bench {

// Lower-case prose in lines of kLineBytes, so that each piece of a division into as many pieces as
// lines is one line. At version 10 level M a 200-byte line needs byte mode (9-M holds 180 bytes,
// 10-M 213). Every line starts with a letter: the automatic scanner then takes words, spaces and
// punctuation as one byte segment. A piece that starts with a space, digit or capital instead is
// scanned word by word, one byte segment (20 bits of header at version 10) per word, and no longer
// fits 10-M.
inline constexpr std::size_t kLineBytes = 200;

inline std::string Prose(std::size_t lines) {
    std::mt19937 rng(200);
    std::string s;
    for (std::size_t n = 0; n < lines; ++n) {
        std::string line;
        int words = 0;
        while (line.size() < kLineBytes) {
            const auto len = 1 + rng() % 9;
            for (uint32_t i = 0; i < len; ++i)
                line.push_back(static_cast<char>('a' + rng() % 26));
            line += ++words % 7 == 0 ? ", " : " ";
        }
        line.resize(kLineBytes - 2);
        line.back() = 'z';
        s += line + ".\n";
    }
    return s;
}

} // namespace zarvo::bench
