// Round trips through an independent decoder: every symbol is rendered to a grey image with its
// quiet zone and read back by zxing-cpp, which must return the exact data bytes.
//
// zxing-cpp 1.4 returns in Result::bytes() the payload of every segment as bytes: digits and
// alphanumerics as their ASCII characters, 8-bit bytes unchanged, and each kanji character as its
// two Shift-JIS bytes (it rebuilds lead and trail byte from the 13-bit value and only tags the
// range as Shift_JIS for text()). So bytes() equals our input for every mode, with no conversion.
// The structured-append header comes back as sequenceIndex() (0-based position),
// sequenceSize() (count) and sequenceId(), which for QR Code is the parity byte in decimal.
//
// The decoder corrects errors, so it proves the content, not the exact modules; the module-exact
// check is the comparison with libqrencode.
#define ZX_USE_UTF8 1 // the non-deprecated Result::text() API; text() is not used here

#include "encoder/encoder.h"
#include "tests/peers/peer_support.h"

#include <ZXing/ReadBarcode.h>
#include <gtest/gtest.h>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace zarvo::encoder;
using namespace zarvo::peers;

// Pixels per module are kept small for speed: 2 or 3 by `turn`. zxing-cpp 1.4's detector misses
// version 40 at exactly 2 pixels per module (libqrencode's symbols too; 1 and 3 read fine), so
// version 40 always gets 3.
ZXing::Result Decode(const SymbolEncoder& enc, int turn, std::vector<uint8_t>& image) {
    const int pixels = enc.Version == kMaxVersion ? 3 : 2 + (turn & 1);
    const int side = enc.Side();
    const int width = (side + 8) * pixels;
    image.assign(static_cast<size_t>(width * width), 255);
    for (int r = 0; r < side; ++r)
        for (int c = 0; c < side; ++c)
            if (enc.Dark(r, c))
                for (int y = 0; y < pixels; ++y)
                    for (int x = 0; x < pixels; ++x)
                        image[static_cast<size_t>(((r + 4) * pixels + y) * width + (c + 4) * pixels + x)] = 0;
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    return ZXing::ReadBarcode({image.data(), width, width, ZXing::ImageFormat::Lum}, hints);
}

std::string Describe(const SymbolEncoder& enc, const uint8_t* data, int32_t n) {
    std::ostringstream out;
    out << "version " << enc.Version << "-" << LevelName(enc.Eclevel) << " mode " << ModeName(enc.Emode)
        << " mask " << enc.Masktype << " (used " << enc.MasktypeR << "), " << n << " bytes "
        << Hex(data, static_cast<size_t>(n));
    return out.str();
}

// Checks what every decoded symbol must show; returns false (after reporting) when it fails.
bool CheckDecoded(const ZXing::Result& result, const SymbolEncoder& enc, const uint8_t* data, int32_t n,
                  const std::string& what) {
    if (!result.isValid()) {
        ADD_FAILURE() << what << "\n  zxing could not decode it: " << ZXing::ToString(result.error());
        return false;
    }
    const Bytes expected(data, data + n);
    const Bytes& got = result.bytes();
    const bool ok = got == expected && !result.isMirrored() && result.ecLevel() == LevelName(enc.Eclevel);
    if (!ok)
        ADD_FAILURE() << what << "\n  zxing read " << got.size() << " bytes " << Hex(got) << ", level "
                      << result.ecLevel() << (result.isMirrored() ? ", mirrored" : "");
    return ok;
}

enum class Kind { Numeric, Alphanumeric, Text, Binary, Kanji, Mixed };

int ModeOf(Kind kind) {
    switch (kind) {
    case Kind::Numeric:
        return kModeNumeric;
    case Kind::Alphanumeric:
        return kModeAlphanumeric;
    case Kind::Kanji:
        return kModeKanji;
    default:
        return kModeByte;
    }
}

Bytes Generate(std::mt19937& rng, Kind kind, int32_t n) {
    switch (kind) {
    case Kind::Numeric:
        return RandomOf(rng, CharRun::Digits, n);
    case Kind::Alphanumeric:
        return RandomOf(rng, CharRun::Alphanumerics, n);
    case Kind::Text:
        return RandomOf(rng, CharRun::Text, n);
    case Kind::Binary:
        return RandomOf(rng, CharRun::Binary, n);
    case Kind::Kanji:
        return RandomOf(rng, CharRun::Kanji, n);
    default:
        return RandomMixed(rng, n);
    }
}

// Every version and level, four symbols each, rotating through the kinds of data; half in the
// data's own forced mode, half automatic; fixed masks and the automatic choice.
TEST(ZxingDecode, SeededCorpusEveryVersionAndLevel) {
    std::mt19937 rng(20000);
    SymbolEncoder enc;
    std::vector<uint8_t> image;
    int decoded = 0, failed = 0, forced = 0, fullCapacity = 0;
    for (int version = 1; version <= kMaxVersion; ++version)
        for (int level = 0; level < 4; ++level)
            for (int rep = 0; rep < 4; ++rep) {
                const auto kind = static_cast<Kind>((version * 4 + level + rep) % 6);
                const int mode = ModeOf(kind);
                enc.Version = version;
                enc.Eclevel = level;
                enc.Emode = Uniform(rng, 0, 1) ? mode : -1;
                enc.Masktype = Uniform(rng, 0, 2) == 0 ? -1 : Uniform(rng, 0, 7);
                const int32_t capacity = CapacityBytes(enc.Record(), level, mode);
                const bool full = Uniform(rng, 0, 5) == 0;
                const Bytes data = Generate(rng, kind, full ? capacity : Uniform(rng, 1, capacity));
                auto n = static_cast<int32_t>(data.size());
                enc.SetPiece(data.data(), n);
                if (enc.Emode >= 0) {
                    // Within the capacity of its own mode, a forced symbol always fits.
                    ++forced;
                    ASSERT_TRUE(enc.EncodeOne()) << Describe(enc, data.data(), n) << " does not fit";
                } else {
                    // Mixed data under automatic segmentation may take more bits than the table's
                    // single-mode capacity: shorten it until it fits.
                    while (!enc.EncodeOne()) {
                        ASSERT_GT(n, 0) << Describe(enc, data.data(), n);
                        n = n * 9 / 10;
                        enc.SetPiece(data.data(), n);
                    }
                }
                fullCapacity += n == capacity;
                const ZXing::Result result = Decode(enc, rep, image);
                const std::string what = Describe(enc, data.data(), n);
                if (CheckDecoded(result, enc, data.data(), n, what)) {
                    EXPECT_EQ(result.sequenceSize(), -1) << what << ": a single symbol carries no header";
                    ++decoded;
                } else if (++failed >= 10) {
                    FAIL() << "stopping after 10 failures";
                }
            }
    EXPECT_EQ(decoded, 40 * 4 * 4);
    EXPECT_GT(forced, 200);
    EXPECT_GT(fullCapacity, 40);
    std::cout << "[ zxing    ] " << decoded << " single symbols decoded (" << forced << " in forced mode, "
              << fullCapacity << " at full capacity)\n";
}

// Data the automatic segmentation must route around kanji mode: CP932 double-byte characters
// outside 0x8140..0x9FFC / 0xE040..0xEBBF (0xEBC0..0xEBFC would overflow 13 bits), a lead byte
// as the last byte, half-width katakana; and the empty symbol.
TEST(ZxingDecode, BytesOutsideKanjiModeAndEmptySymbol) {
    const Bytes cases[] = {
        {0xEB, 0xC0},
        {0xEB, 0xFC, 0xEB, 0xBF, 0x88, 0x9F},
        {0x93, 0xFA, 0x96, 0x7B, 0xFB, 0xFC, 0x81},
        {0xB1, 0xB2, 0xB3, '1', '2', '3', 0x9F},
        {},
    };
    SymbolEncoder enc;
    std::vector<uint8_t> image;
    for (const Bytes& data : cases)
        for (int version : {1, 7, 40}) {
            enc.Version = version;
            enc.Eclevel = kLevelM;
            enc.Emode = -1;
            enc.Masktype = -1;
            const auto n = static_cast<int32_t>(data.size());
            enc.SetPiece(data.data(), n);
            ASSERT_TRUE(enc.EncodeOne());
            CheckDecoded(Decode(enc, 1, image), enc, data.data(), n, Describe(enc, data.data(), n));
        }
}

struct SetCase {
    int count;
    TQRMode mode;
    int version, level, emode, masktype;
    Kind kind;
    int32_t len;
};

// Structured-append sets of 2, 3 and 16 symbols, each at the smallest version from the given one
// at which all its pieces fit, and two independent sets, which must carry no header. Each symbol
// decodes to its piece with its position, the count and the parity of the whole data, and
// zxing's merge of a chained set gives back the whole data.
TEST(ZxingDecode, StructuredAppendSets) {
    // clang-format off
    const SetCase cases[] = {
        // count mode    from version level  emode           mask kind             bytes
        {2,  qrConnect, 1,  kLevelL, -1,                -1, Kind::Text,          30},
        {2,  qrConnect, 5,  kLevelH, kModeAlphanumeric,  3, Kind::Alphanumeric, 140},
        {2,  qrConnect, 40, kLevelL, kModeByte,         -1, Kind::Binary,      5000},
        {2,  qrSingle,  12, kLevelQ, -1,                 6, Kind::Mixed,        500},
        {3,  qrConnect, 3,  kLevelM, kModeNumeric,      -1, Kind::Numeric,      300},
        {3,  qrConnect, 9,  kLevelQ, kModeKanji,         0, Kind::Kanji,        240},
        {3,  qrConnect, 20, kLevelH, -1,                -1, Kind::Mixed,       1200},
        {3,  qrConnect, 33, kLevelM, -1,                 5, Kind::Text,        5000},
        {16, qrConnect, 2,  kLevelL, -1,                -1, Kind::Mixed,        400},
        {16, qrConnect, 8,  kLevelH, kModeKanji,        -1, Kind::Kanji,        900},
        {16, qrConnect, 15, kLevelM, kModeNumeric,       7, Kind::Numeric,     9000},
        {16, qrConnect, 26, kLevelQ, -1,                -1, Kind::Text,        9000},
        {16, qrConnect, 40, kLevelH, -1,                 2, Kind::Mixed,      14000},
        {3,  qrPlus,    4,  kLevelM, -1,                -1, Kind::Mixed,        150},
        {20, qrConnect, 1,  kLevelL, kModeByte,         -1, Kind::Binary,       200},
    };
    // clang-format on
    std::mt19937 rng(16);
    SymbolEncoder enc;
    std::vector<uint8_t> image;
    int decoded = 0, chainedSymbols = 0, failed = 0;
    for (const SetCase& c : cases) {
        const Bytes data = Generate(rng, c.kind, c.len);
        const auto len = static_cast<int32_t>(data.size());
        int parity = 0;
        for (uint8_t b : data)
            parity ^= b;

        enc.Version = c.version;
        enc.Eclevel = c.level;
        enc.Emode = c.emode;
        enc.Masktype = c.masktype;
        enc.Mode = c.mode;
        enc.Count = c.count;
        enc.Divide(data.data(), len);
        enc.CheckDivision(data.data(), len);
        ASSERT_EQ(enc.Count, c.count);
        // qrSingle with 2..16 pieces becomes a chained set; more than 16 are independent.
        const bool chained = c.count <= 16 && c.mode != qrPlus;
        ASSERT_EQ(enc.Mode, chained ? qrConnect : qrPlus);
        if (chained) {
            ASSERT_EQ(enc.Parity, parity);
        }
        // The smallest version from the case's on at which every piece fits.
        while (!EveryPieceFits(enc, data)) {
            ASSERT_LT(enc.Version, kMaxVersion) << "the set of " << c.count << " does not fit";
            ++enc.Version;
        }

        ZXing::Results results;
        for (int32_t k = 1; k <= enc.Count; ++k) {
            const int32_t from = enc.PieceOffsets[static_cast<size_t>(k - 1)];
            const int32_t n = enc.PieceOffsets[static_cast<size_t>(k)] - from;
            const std::string what = Describe(enc, data.data() + from, n) + ", piece " + std::to_string(k) +
                                     " of " + std::to_string(enc.Count);
            ASSERT_EQ(enc.EncodePiece(k, data.data(), len), PieceResult::Encoded) << what << " does not fit";
            ZXing::Result result = Decode(enc, k, image);
            if (!CheckDecoded(result, enc, data.data() + from, n, what)) {
                if (++failed >= 10)
                    FAIL() << "stopping after 10 failures";
                continue;
            }
            ++decoded;
            if (chained) {
                ++chainedSymbols;
                EXPECT_EQ(result.sequenceIndex(), k - 1) << what;
                EXPECT_EQ(result.sequenceSize(), c.count) << what;
                EXPECT_EQ(result.sequenceId(), std::to_string(parity)) << what;
            } else {
                EXPECT_EQ(result.sequenceSize(), -1) << what << ": independent symbols carry no header";
            }
            results.push_back(std::move(result));
        }
        if (chained && static_cast<int>(results.size()) == c.count) {
            const ZXing::Result merged = ZXing::MergeStructuredAppendSequence(results);
            EXPECT_TRUE(merged.bytes() == data) << c.count << " symbols at version " << enc.Version;
        }
    }
    EXPECT_EQ(chainedSymbols, 2 * 4 + 3 * 4 + 16 * 5);
    std::cout << "[ zxing    ] " << decoded << " symbols of " << std::size(cases) << " sets decoded ("
              << chainedSymbols << " chained)\n";
}

} // namespace
