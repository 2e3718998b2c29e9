// With the segments, version, level and mask all fixed, a QR symbol is fully determined, so our
// module grid must equal libqrencode's module for module. Automatic masks are never compared:
// each library scores the eight trial masks its own way.
#include "encoder/encoder.h"
#include "tests/peers/peer_support.h"

#include <gtest/gtest.h>
#include <memory>
#include <qrencode.h>
#include <random>
#include <sstream>
#include <string>
#include <vector>

// Exported by Debian's libqrencode 4.1 but not declared in qrencode.h. index is 1-based.
extern "C" QRcode* QRcode_encodeMask(QRinput* input, int mask);
extern "C" int QRinput_insertStructuredAppendHeader(QRinput* input, int size, int index,
                                                    unsigned char parity);

namespace {

using namespace zarvo::encoder;
using namespace zarvo::peers;

struct InputFree {
    void operator()(QRinput* p) const { QRinput_free(p); }
};
struct CodeFree {
    void operator()(QRcode* p) const { QRcode_free(p); }
};
using CodePtr = std::unique_ptr<QRcode, CodeFree>;

constexpr QRencodeMode kPeerMode[4] = {QR_MODE_NUM, QR_MODE_AN, QR_MODE_8, QR_MODE_KANJI};
constexpr QRecLevel kPeerLevel[4] = {QR_ECLEVEL_L, QR_ECLEVEL_M, QR_ECLEVEL_Q, QR_ECLEVEL_H};

struct Header {
    int count; // symbols in the set
    int index; // 1-based
    int parity;
};

// libqrencode's symbol of exactly these segments of bytes; null when it refuses them. It
// raises the version silently when the data do not fit, which Compare() reports.
CodePtr PeerSymbol(const uint8_t* bytes, const std::vector<Segment>& segments, int version, int level,
                   int mask, const Header* header = nullptr) {
    std::unique_ptr<QRinput, InputFree> input(QRinput_new2(version, kPeerLevel[level]));
    if (!input)
        return nullptr;
    int pos = 0;
    for (const Segment& s : segments) {
        if (QRinput_append(input.get(), kPeerMode[s.mode], s.length, bytes + pos) != 0)
            return nullptr;
        pos += s.length;
    }
    if (header && QRinput_insertStructuredAppendHeader(input.get(), header->count, header->index,
                                                       static_cast<unsigned char>(header->parity)) != 0)
        return nullptr;
    return CodePtr(QRcode_encodeMask(input.get(), mask));
}

// Empty when our matrix equals the peer's; otherwise the first differing module and the count.
std::string Compare(const SymbolEncoder& enc, const QRcode* peer) {
    if (!peer)
        return "libqrencode refused the input";
    std::ostringstream out;
    if (peer->version != enc.Version || peer->width != enc.Side()) {
        out << "libqrencode made version " << peer->version << " (width " << peer->width << "), ours "
            << enc.Version << " (side " << enc.Side() << ")";
        return out.str();
    }
    const int side = enc.Side();
    int differing = 0, firstRow = -1, firstCol = -1;
    for (int r = 0; r < side; ++r)
        for (int c = 0; c < side; ++c) {
            const bool theirs = (peer->data[r * side + c] & 1) != 0;
            if (enc.Dark(r, c) != theirs && differing++ == 0) {
                firstRow = r;
                firstCol = c;
            }
        }
    if (differing == 0)
        return {};
    out << differing << " modules differ; first at row " << firstRow << " col " << firstCol << ": ours "
        << (enc.Dark(firstRow, firstCol) ? "dark" : "light") << ", libqrencode "
        << ((peer->data[firstRow * side + firstCol] & 1) ? "dark" : "light");
    return out.str();
}

std::string Describe(const SymbolEncoder& enc, const Bytes& data, int32_t n) {
    std::ostringstream out;
    out << "version " << enc.Version << "-" << LevelName(enc.Eclevel) << " mode " << ModeName(enc.Emode)
        << " mask " << enc.Masktype << ", " << n << " bytes " << Hex(data.data(), static_cast<size_t>(n));
    return out.str();
}

// Reports the first few mismatches in full and counts the rest, so one fault does not flood.
class Tally {
  public:
    void Check(const SymbolEncoder& enc, const QRcode* peer, const std::string& what) {
        ++compared_;
        const std::string diff = Compare(enc, peer);
        if (!diff.empty() && ++failed_ <= 8)
            ADD_FAILURE() << what << "\n  " << diff;
    }
    int compared() const { return compared_; }
    int failed() const { return failed_; }

  private:
    int compared_ = 0;
    int failed_ = 0;
};

CharRun RunOfMode(int mode, std::mt19937& rng) {
    switch (mode) {
    case kModeNumeric:
        return CharRun::Digits;
    case kModeAlphanumeric:
        return CharRun::Alphanumerics;
    case kModeByte:
        return Uniform(rng, 0, 1) ? CharRun::Binary : CharRun::Text;
    default:
        return CharRun::Kanji;
    }
}

TEST(QrencodeMatch, ForcedModeEveryVersionLevelAndMask) {
    std::mt19937 rng(18004);
    SymbolEncoder enc;
    Tally tally;
    for (int version = 1; version <= kMaxVersion; ++version)
        for (int level = 0; level < 4; ++level)
            for (int mode = 0; mode < 4; ++mode)
                for (int mask = 0; mask < 8; ++mask) {
                    enc.Version = version;
                    enc.Eclevel = level;
                    enc.Emode = mode;
                    enc.Masktype = mask;
                    const int32_t capacity = CapacityBytes(enc.Record(), level, mode);
                    const int unit = mode == kModeKanji ? 2 : 1;
                    // One mask in eight gets the data at full capacity.
                    const int32_t n = mask == (version + level + mode) % 8
                                          ? capacity
                                          : unit * Uniform(rng, 1, capacity / unit);
                    const Bytes data = RandomOf(rng, RunOfMode(mode, rng), n);
                    ASSERT_EQ(static_cast<int32_t>(data.size()), n);
                    enc.SetPiece(data.data(), n);
                    ASSERT_TRUE(enc.EncodeOne()) << Describe(enc, data, n) << " does not fit";
                    const CodePtr peer = PeerSymbol(data.data(), {{n, mode}}, version, level, mask);
                    tally.Check(enc, peer.get(), Describe(enc, data, n));
                }
    EXPECT_EQ(tally.failed(), 0) << "of " << tally.compared() << " symbols";
    EXPECT_EQ(tally.compared(), 40 * 4 * 4 * 8);
}

// Mixed data through our automatic segmentation; libqrencode gets the very segments our scanner
// chose, so the comparison judges the bit stream, error correction and matrix, not the choice.
TEST(QrencodeMatch, AutomaticSegmentsEveryVersionAndLevel) {
    std::mt19937 rng(7089);
    SymbolEncoder enc;
    Tally tally;
    int multiSegment = 0;
    for (int version = 1; version <= kMaxVersion; ++version)
        for (int level = 0; level < 4; ++level)
            for (int sample = 0; sample < 3; ++sample) {
                enc.Version = version;
                enc.Eclevel = level;
                enc.Emode = -1;
                enc.Masktype = Uniform(rng, 0, 7);
                const int32_t capacity = CapacityBytes(enc.Record(), level, kModeByte);
                int32_t n = sample == 0 ? capacity : Uniform(rng, 1, capacity);
                const Bytes data = sample < 2 ? RandomMixed(rng, n)
                                              : RandomOf(rng, static_cast<CharRun>(Uniform(rng, 0, 3)), n);
                n = static_cast<int32_t>(data.size());
                enc.SetPiece(data.data(), n);
                while (!enc.EncodeOne()) {
                    ASSERT_GT(n, 0) << Describe(enc, data, n);
                    n = n * 9 / 10;
                    enc.SetPiece(data.data(), n);
                }
                const std::vector<Segment> segments = ScanSegments(data.data(), n, enc.Record());
                multiSegment += segments.size() > 1;
                const CodePtr peer = PeerSymbol(data.data(), segments, version, level, enc.Masktype);
                tally.Check(enc, peer.get(),
                            Describe(enc, data, n) + " in " + std::to_string(segments.size()) + " segments");
            }
    EXPECT_EQ(tally.failed(), 0) << "of " << tally.compared() << " symbols";
    EXPECT_GT(multiSegment, tally.compared() / 2) << "the corpus should mostly mix modes";
}

TEST(QrencodeMatch, EmptySymbol) {
    {
        std::unique_ptr<QRinput, InputFree> probe(QRinput_new2(1, QR_ECLEVEL_L));
        const CodePtr code(QRcode_encodeMask(probe.get(), 0));
        if (!code)
            GTEST_SKIP() << "libqrencode does not encode an empty input";
    }
    SymbolEncoder enc;
    Tally tally;
    const uint8_t none[1] = {0};
    for (int version = 1; version <= kMaxVersion; ++version)
        for (int level = 0; level < 4; ++level)
            for (int mask = 0; mask < 8; ++mask) {
                enc.Version = version;
                enc.Eclevel = level;
                enc.Emode = -1;
                enc.Masktype = mask;
                enc.SetPiece(none, 0);
                ASSERT_TRUE(enc.EncodeOne());
                const CodePtr peer = PeerSymbol(none, {}, version, level, mask);
                tally.Check(enc, peer.get(), Describe(enc, Bytes{}, 0));
            }
    EXPECT_EQ(tally.failed(), 0) << "of " << tally.compared() << " symbols";
}

// Every symbol of a chained set carries the 20-bit structured-append header before its segments.
TEST(QrencodeMatch, StructuredAppendSets) {
    std::mt19937 rng(1024);
    SymbolEncoder enc;
    Tally tally;
    struct Case {
        int count, version, level, emode;
        int32_t len;
    };
    // clang-format off
    const Case cases[] = {
        // count  first version tried  level  mode  data bytes
        {2,  1,  kLevelL, -1,           30},
        {2,  10, kLevelH, kModeByte,    300},
        {3,  5,  kLevelM, kModeNumeric, 400},
        {3,  27, kLevelQ, -1,           2000},
        {16, 2,  kLevelQ, -1,           200},
        {16, 7,  kLevelL, kModeKanji,   1200},
        {16, 38, kLevelH, -1,           16000},
    };
    // clang-format on
    for (const Case& c : cases) {
        Bytes data;
        switch (c.emode) {
        case kModeNumeric:
            data = RandomOf(rng, CharRun::Digits, c.len);
            break;
        case kModeByte:
            data = RandomOf(rng, CharRun::Binary, c.len);
            break;
        case kModeKanji:
            data = RandomOf(rng, CharRun::Kanji, c.len);
            break;
        default:
            data = RandomMixed(rng, c.len);
        }
        const auto len = static_cast<int32_t>(data.size());
        int parity = 0;
        for (uint8_t b : data)
            parity ^= b;

        enc.Eclevel = c.level;
        enc.Emode = c.emode;
        enc.Mode = qrConnect;
        enc.Count = c.count;
        enc.Divide(data.data(), len);
        enc.CheckDivision(data.data(), len);
        ASSERT_EQ(enc.Count, c.count);
        ASSERT_EQ(enc.Mode, qrConnect);
        ASSERT_EQ(enc.Parity, parity);
        // The smallest version from the case's on at which every piece fits.
        enc.Version = c.version;
        while (!EveryPieceFits(enc, data)) {
            ASSERT_LT(enc.Version, kMaxVersion) << "the set of " << c.count << " does not fit";
            ++enc.Version;
        }
        for (int32_t k = 1; k <= enc.Count; ++k) {
            enc.Masktype = Uniform(rng, 0, 7);
            const int32_t from = enc.PieceOffsets[static_cast<size_t>(k - 1)];
            const int32_t n = enc.PieceOffsets[static_cast<size_t>(k)] - from;
            const std::string what = Describe(enc, Bytes(data.begin() + from, data.begin() + from + n), n) +
                                     ", piece " + std::to_string(k) + " of " + std::to_string(c.count);
            ASSERT_EQ(enc.EncodePiece(k, data.data(), len), PieceResult::Encoded) << what;
            const std::vector<Segment> segments = c.emode < 0
                                                      ? ScanSegments(data.data() + from, n, enc.Record())
                                                      : std::vector<Segment>{{n, c.emode}};
            const Header header{c.count, k, parity};
            const CodePtr peer =
                PeerSymbol(data.data() + from, segments, enc.Version, c.level, enc.Masktype, &header);
            tally.Check(enc, peer.get(), what);
        }
        enc.Mode = qrSingle;
        enc.Count = 1;
    }
    EXPECT_EQ(tally.failed(), 0) << "of " << tally.compared() << " symbols";
    EXPECT_EQ(tally.compared(), 2 + 2 + 3 + 3 + 16 + 16 + 16);
}

} // namespace
