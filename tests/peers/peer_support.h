// Seeded data generators and small helpers shared by the tests that judge the encoder against
// independent QR implementations.
#pragma once

#include "encoder/bitstream.h"
#include "encoder/encoder.h"
#include "encoder/tables.h"

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace zarvo::peers {

using Bytes = std::vector<uint8_t>;

inline const char* LevelName(int level) {
    static const char* const kNames[] = {"L", "M", "Q", "H"};
    return kNames[level];
}

inline const char* ModeName(int mode) {
    switch (mode) {
    case encoder::kModeNumeric:
        return "numeric";
    case encoder::kModeAlphanumeric:
        return "alnum";
    case encoder::kModeByte:
        return "byte";
    case encoder::kModeKanji:
        return "kanji";
    default:
        return "auto";
    }
}

// Bytes that one symbol of the record and level holds in the mode (kanji: two per character).
inline int32_t CapacityBytes(const encoder::VersionRecord& record, int level, int mode) {
    const int32_t chars = record.levels[level].capacities[mode];
    return mode == encoder::kModeKanji ? 2 * chars : chars;
}

inline int Uniform(std::mt19937& rng, int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
}

inline uint8_t Pick(std::mt19937& rng, const char* chars, int n) {
    return static_cast<uint8_t>(chars[Uniform(rng, 0, n - 1)]);
}

inline constexpr char kDigits[] = "0123456789";
inline constexpr char kAlphanumerics[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
inline constexpr char kText[] = "abcdefghijklmnopqrstuvwxyz ABCXYZ0123456789,.!?()@#\r\n";

// The byte classes a mixed string is made of.
enum class CharRun { Digits, Alphanumerics, Text, Kanji, Binary, Katakana, OutsideKanji };

inline void AppendRun(std::mt19937& rng, CharRun run, int n, Bytes& out) {
    switch (run) {
    case CharRun::Digits:
        for (int i = 0; i < n; ++i)
            out.push_back(Pick(rng, kDigits, 10));
        break;
    case CharRun::Alphanumerics:
        for (int i = 0; i < n; ++i)
            out.push_back(Pick(rng, kAlphanumerics, 45));
        break;
    case CharRun::Text:
        for (int i = 0; i < n; ++i)
            out.push_back(Pick(rng, kText, static_cast<int>(sizeof kText) - 1));
        break;
    case CharRun::Kanji:
        // Double-byte characters kanji mode can carry: 0x8140..0x9FFC and 0xE040..0xEBBF with a
        // Shift-JIS trail byte.
        for (int i = 0; i < n; ++i) {
            const int leadIndex = Uniform(rng, 0, (0x9F - 0x81 + 1) + (0xEB - 0xE0 + 1) - 1);
            const int lead =
                leadIndex <= 0x9F - 0x81 ? 0x81 + leadIndex : 0xE0 + leadIndex - (0x9F - 0x81 + 1);
            int trail = 0x7F;
            while (trail == 0x7F)
                trail = Uniform(rng, 0x40, lead == 0xEB ? 0xBF : 0xFC);
            out.push_back(static_cast<uint8_t>(lead));
            out.push_back(static_cast<uint8_t>(trail));
        }
        break;
    case CharRun::Binary:
        for (int i = 0; i < n; ++i)
            out.push_back(static_cast<uint8_t>(Uniform(rng, 0, 255)));
        break;
    case CharRun::Katakana: // half-width, single byte 0xA1..0xDF
        for (int i = 0; i < n; ++i)
            out.push_back(static_cast<uint8_t>(Uniform(rng, 0xA1, 0xDF)));
        break;
    case CharRun::OutsideKanji:
        // CP932 double-byte characters that kanji mode cannot hold: 0xEBC0..0xEBFC (whose 13-bit
        // value would overflow) and the IBM extensions 0xFA40..0xFC4B (e.g. 0xFBFC).
        for (int i = 0; i < n; ++i) {
            if (Uniform(rng, 0, 1) == 0) {
                out.push_back(0xEB);
                out.push_back(static_cast<uint8_t>(Uniform(rng, 0xC0, 0xFC)));
            } else {
                out.push_back(static_cast<uint8_t>(Uniform(rng, 0xFA, 0xFB)));
                int trail = 0x7F;
                while (trail == 0x7F)
                    trail = Uniform(rng, 0x40, 0xFC);
                out.push_back(static_cast<uint8_t>(trail));
            }
        }
        break;
    }
}

// n bytes of one class (kanji: n rounded down to whole characters).
inline Bytes RandomOf(std::mt19937& rng, CharRun run, int n) {
    Bytes out;
    const bool doubleByte = run == CharRun::Kanji || run == CharRun::OutsideKanji;
    AppendRun(rng, run, doubleByte ? n / 2 : n, out);
    return out;
}

// n bytes of runs of every class, cut at n (so the last byte may be a lone lead byte).
inline Bytes RandomMixed(std::mt19937& rng, int n) {
    Bytes out;
    while (static_cast<int>(out.size()) < n) {
        const auto run = static_cast<CharRun>(Uniform(rng, 0, 6));
        AppendRun(rng, run, Uniform(rng, 1, 24), out);
    }
    out.resize(static_cast<size_t>(n));
    return out;
}

// The segments the encoder's automatic path writes for the bytes at the version.
inline std::vector<encoder::Segment> ScanSegments(const uint8_t* p, int32_t len,
                                                  const encoder::VersionRecord& record) {
    std::vector<encoder::Segment> segments;
    int32_t pos = 0;
    while (pos < len) {
        const encoder::Segment s = encoder::Scan(p + pos, len - pos, record.countWidths);
        if (s.length <= 0)
            break;
        segments.push_back(s);
        pos += s.length;
    }
    return segments;
}

// Whether every piece of the encoder's current division of data encodes at its settings.
inline bool EveryPieceFits(encoder::SymbolEncoder& enc, const Bytes& data) {
    for (int32_t k = 1; k <= enc.Count; ++k)
        if (enc.EncodePiece(k, data.data(), static_cast<int32_t>(data.size())) !=
            encoder::PieceResult::Encoded)
            return false;
    return true;
}

// At most `limit` bytes in hex, for failure messages.
inline std::string Hex(const uint8_t* p, size_t n, size_t limit = 48) {
    std::string s;
    char buf[4];
    for (size_t i = 0; i < n && i < limit; ++i) {
        std::snprintf(buf, sizeof buf, "%02X", p[i]);
        s += buf;
    }
    if (n > limit)
        s += "...(" + std::to_string(n) + " bytes)";
    return s;
}
inline std::string Hex(const Bytes& b, size_t limit = 48) {
    return Hex(b.data(), b.size(), limit);
}

} // namespace zarvo::peers
