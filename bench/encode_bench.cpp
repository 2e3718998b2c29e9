// This encoder beside libqrencode and zxing-cpp, in one process and on the same bytes, each choosing its
// own segments and its own mask. The runs of a case share a name, BM_<case>/zarvo, /qrencode, /zxing,
// so that they stand together in the output. Before timing, every run checks that its implementation
// made a symbol of the expected side and error-correction level (read back from the format
// information) and labels it with the version and the mask it chose. That the encoder allocates
// nothing per symbol is asserted by the unit tests.
//
// Typical run: zarvo_bench --benchmark_min_time=0.2 --benchmark_repetitions=3
//                          --benchmark_report_aggregates_only=true

#include "bench/prose.h"
#include "encoder/divide.h"
#include "encoder/encoder.h"
#include "encoder/matrix.h"

#include <ZXing/BarcodeFormat.h>
#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>
#include <benchmark/benchmark.h>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <qrencode.h>
#include <random>
#include <string>
#include <vector>

namespace {

namespace zq = zarvo::encoder;

// ---------------------------------------------------------------------------------------------
// Inputs
// ---------------------------------------------------------------------------------------------

struct Input {
    const char* name;
    int32_t version;
    int32_t level; // 0 L, 1 M, 2 Q, 3 H
    std::string data;
    std::wstring wide; // the same bytes as zxing-cpp's writer takes them, converted once
};

constexpr int32_t kPieces = 1024;
constexpr int32_t kPieceVersion = 10;
constexpr int32_t kPieceLevel = zq::kLevelM;

struct PieceSet {
    Input text;                     // the whole text
    std::vector<std::string> bytes; // piece k - 1 = [PieceOffsets[k-1], PieceOffsets[k])
    std::vector<std::wstring> wide;
};

std::wstring Widen(const std::string& s) {
    std::wstring w;
    w.reserve(s.size());
    for (const char c : s)
        w.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return w;
}

std::string Digits(std::size_t n) {
    std::mt19937 rng(7089);
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s.push_back(static_cast<char>('0' + rng() % 10));
    return s;
}

// Lower-case letters only: every encoder takes them as 8-bit bytes, so the 2953 exactly fill 40-L.
std::string Letters(std::size_t n) {
    std::mt19937 rng(2953);
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s.push_back(static_cast<char>('a' + rng() % 26));
    return s;
}

using zarvo::bench::Prose;

Input MakeInput(const char* name, int32_t version, int32_t level, std::string data) {
    Input in{name, version, level, std::move(data), {}};
    in.wide = Widen(in.data);
    return in;
}

// ---------------------------------------------------------------------------------------------
// Checks
// ---------------------------------------------------------------------------------------------

struct Found {
    int level = -1; // -1: no valid format word
    int mask = -1;
};

// Level and mask from the format word along column 8 (one complete copy); dark(row, col).
template <class Dark> Found ReadFormat(const Dark& dark, int side) {
    int32_t word = 0;
    for (int e = 0; e < 15; ++e) {
        const zq::Cell c = zq::kFormatPositions[0][e];
        const int row = c.row < 0 ? side + c.row : c.row;
        const int col = c.col < 0 ? side + c.col : c.col;
        if (dark(row, col))
            word |= int32_t{1} << e;
    }
    for (int level = 0; level < 4; ++level)
        for (int mask = 0; mask < 8; ++mask)
            if (zq::FormatWord(level, mask) == word)
                return {level, mask};
    return {};
}

// Empty when the symbol has the expected version and level; sets the label "<version>-<level> mask <m>".
template <class Dark>
std::string CheckSymbol(benchmark::State& state, int side, int32_t version, int32_t level, const Dark& dark) {
    const int expected = 17 + 4 * version;
    const Found f = ReadFormat(dark, side);
    const char* levels = "LMQH";
    state.SetLabel(std::to_string((side - 17) / 4) + "-" + (f.level < 0 ? '?' : levels[f.level]) + " mask " +
                   std::to_string(f.mask));
    if (side != expected)
        return "side " + std::to_string(side) + ", expected " + std::to_string(expected);
    if (f.level != level)
        return std::string("level ") + (f.level < 0 ? '?' : levels[f.level]) + ", expected " + levels[level];
    return {};
}

std::string CheckOurs(benchmark::State& state, const zq::SymbolEncoder& enc, int32_t version, int32_t level) {
    return CheckSymbol(state, enc.Side(), version, level, [&](int r, int c) { return enc.Dark(r, c); });
}

std::string CheckQrencode(benchmark::State& state, const QRcode* code, int32_t version, int32_t level) {
    if (code == nullptr)
        return "libqrencode returned no symbol";
    return CheckSymbol(state, code->width, version, level, [&](int r, int c) {
        return (code->data[static_cast<std::size_t>(r * code->width + c)] & 1) != 0;
    });
}

std::string CheckZxing(benchmark::State& state, const ZXing::BitMatrix& m, int32_t version, int32_t level) {
    if (m.width() != m.height())
        return "zxing-cpp returned a non-square matrix";
    return CheckSymbol(state, m.width(), version, level, [&](int r, int c) { return m.get(c, r); });
}

// ---------------------------------------------------------------------------------------------
// The three implementations
// ---------------------------------------------------------------------------------------------

// Large (the working storage of version 40): one instance, built before any timing.
zq::SymbolEncoder& Encoder() {
    static zq::SymbolEncoder enc;
    return enc;
}

void SetUpSingle(zq::SymbolEncoder& enc, const Input& in) {
    enc.Version = in.version;
    enc.Eclevel = in.level;
    enc.Emode = -1;
    enc.Masktype = -1;
    enc.Mode = zq::qrSingle;
    enc.Count = 1;
    enc.CurrentPiece = 1;
    enc.Parity = 0;
}

const uint8_t* Bytes(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}
int32_t Length(const std::string& s) {
    return static_cast<int32_t>(s.size());
}

// ISO/IEC 18004 level to the writer's 0..8 scale (0-2 L, 3-4 M, 5-6 Q, 7-8 H in zxing-cpp 1.4).
int ZxingLevel(int32_t level) {
    constexpr int kScale[4] = {1, 4, 6, 8};
    return kScale[level];
}

ZXing::MultiFormatWriter ZxingWriter(int32_t level) {
    ZXing::MultiFormatWriter writer(ZXing::BarcodeFormat::QRCode);
    // No character set: the writer then takes ASCII as ISO-8859-1, one byte per character, without
    // an ECI segment. Naming ISO-8859-1 explicitly adds a 12-bit ECI header, and 2953 bytes no
    // longer fit 40-L.
    writer.setEccLevel(ZxingLevel(level)).setMargin(0);
    return writer;
}

QRcode* Qrencode(const std::string& s, int32_t version, int32_t level) {
    // Hint QR_MODE_8 with case sensitivity: libqrencode's own segmentation, as a user calls it.
    return QRcode_encodeString(s.c_str(), version, static_cast<QRecLevel>(level), QR_MODE_8, 1);
}

void BM_Zarvo(benchmark::State& state, const Input& in) {
    auto& enc = Encoder();
    SetUpSingle(enc, in);
    enc.SetPiece(Bytes(in.data), Length(in.data));
    if (!enc.EncodeOne()) {
        state.SkipWithError("EncodeOne failed");
        return;
    }
    if (const auto error = CheckOurs(state, enc, in.version, in.level); !error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    for (auto _ : state) {
        enc.SetPiece(Bytes(in.data), Length(in.data));
        bool ok = enc.EncodeOne();
        benchmark::DoNotOptimize(ok);
        benchmark::ClobberMemory();
    }
}

void BM_Qrencode(benchmark::State& state, const Input& in) {
    QRcode* first = Qrencode(in.data, in.version, in.level);
    const auto error = CheckQrencode(state, first, in.version, in.level);
    QRcode_free(first);
    if (!error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    for (auto _ : state) {
        QRcode* code = Qrencode(in.data, in.version, in.level);
        benchmark::DoNotOptimize(code);
        QRcode_free(code);
    }
}

void BM_Zxing(benchmark::State& state, const Input& in) {
    const auto writer = ZxingWriter(in.level);
    try {
        const auto error = CheckZxing(state, writer.encode(in.wide, 0, 0), in.version, in.level);
        if (!error.empty()) {
            state.SkipWithError(error.c_str());
            return;
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    for (auto _ : state) {
        auto m = writer.encode(in.wide, 0, 0);
        benchmark::DoNotOptimize(m);
    }
}

// Divides the text as a user of the encoder does; false when that did not give the 1024 pieces.
bool DividePieces(zq::SymbolEncoder& enc, const Input& text) {
    enc.Version = kPieceVersion;
    enc.Eclevel = kPieceLevel;
    enc.Emode = -1;
    enc.Masktype = -1;
    enc.Mode = zq::qrSingle;
    enc.Count = kPieces;
    enc.Divide(Bytes(text.data), Length(text.data));
    enc.CheckDivision(Bytes(text.data), Length(text.data));
    return enc.Count == kPieces;
}

void SetPerSymbol(benchmark::State& state) {
    state.counters["per_symbol"] = benchmark::Counter(kPieces, benchmark::Counter::kIsIterationInvariantRate |
                                                                   benchmark::Counter::kInvert);
}

void BM_ZarvoPieces(benchmark::State& state, const PieceSet& set) {
    auto& enc = Encoder();
    const uint8_t* data = Bytes(set.text.data);
    const int32_t len = Length(set.text.data);
    try {
        if (!DividePieces(enc, set.text)) {
            state.SkipWithError(("divided into " + std::to_string(enc.Count) + " pieces").c_str());
            return;
        }
    } catch (const zq::EncodeError& e) {
        state.SkipWithError(e.what());
        return;
    }
    for (int32_t k = 1; k <= enc.Count; ++k) {
        if (enc.EncodePiece(k, data, len) != zq::PieceResult::Encoded) {
            state.SkipWithError(("piece " + std::to_string(k) + " failed").c_str());
            return;
        }
        if (const auto error = CheckOurs(state, enc, kPieceVersion, kPieceLevel); !error.empty()) {
            state.SkipWithError(("piece " + std::to_string(k) + ": " + error).c_str());
            return;
        }
    }
    for (auto _ : state) {
        enc.Count = kPieces;
        enc.Mode = zq::qrSingle;
        enc.Divide(data, len);
        enc.CheckDivision(data, len);
        for (int32_t k = 1; k <= enc.Count; ++k) {
            auto result = enc.EncodePiece(k, data, len);
            benchmark::DoNotOptimize(result);
        }
        benchmark::ClobberMemory();
    }
    SetPerSymbol(state);
    state.SetLabel("10-M");
}

void BM_QrencodePieces(benchmark::State& state, const PieceSet& set) {
    for (std::size_t k = 0; k < set.bytes.size(); ++k) {
        QRcode* first = Qrencode(set.bytes[k], kPieceVersion, kPieceLevel);
        const auto error = CheckQrencode(state, first, kPieceVersion, kPieceLevel);
        QRcode_free(first);
        if (!error.empty()) {
            state.SkipWithError(("piece " + std::to_string(k + 1) + ": " + error).c_str());
            return;
        }
    }
    for (auto _ : state) {
        for (const auto& piece : set.bytes) {
            QRcode* code = Qrencode(piece, kPieceVersion, kPieceLevel);
            benchmark::DoNotOptimize(code);
            QRcode_free(code);
        }
    }
    SetPerSymbol(state);
    state.SetLabel("10-M");
}

void BM_ZxingPieces(benchmark::State& state, const PieceSet& set) {
    const auto writer = ZxingWriter(kPieceLevel);
    try {
        for (std::size_t k = 0; k < set.wide.size(); ++k) {
            const auto error =
                CheckZxing(state, writer.encode(set.wide[k], 0, 0), kPieceVersion, kPieceLevel);
            if (!error.empty()) {
                state.SkipWithError(("piece " + std::to_string(k + 1) + ": " + error).c_str());
                return;
            }
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    for (auto _ : state) {
        for (const auto& piece : set.wide) {
            auto m = writer.encode(piece, 0, 0);
            benchmark::DoNotOptimize(m);
        }
    }
    SetPerSymbol(state);
    state.SetLabel("10-M");
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;

    const std::vector<Input> singles = {
        MakeInput("BM_Digits7089_40L", 40, zq::kLevelL, Digits(7089)),
        MakeInput("BM_Bytes2953_40L", 40, zq::kLevelL, Letters(2953)),
        MakeInput("BM_Alnum17_1M", 1, zq::kLevelM, "ZARVO-QR 1-M TEST"),
    };

    // The peers encode the very pieces of our division, cut once here.
    PieceSet set{MakeInput("BM_Text200K_1024x10M", kPieceVersion, kPieceLevel,
                           Prose(static_cast<std::size_t>(kPieces))),
                 {},
                 {}};
    try {
        auto& enc = Encoder();
        DividePieces(enc, set.text);
        for (int32_t k = 1; k <= enc.Count; ++k) {
            const auto from = static_cast<std::size_t>(enc.PieceOffsets[static_cast<std::size_t>(k - 1)]);
            const auto to = static_cast<std::size_t>(enc.PieceOffsets[static_cast<std::size_t>(k)]);
            set.bytes.push_back(set.text.data.substr(from, to - from));
            set.wide.push_back(Widen(set.bytes.back()));
        }
    } catch (const zq::EncodeError&) {
        // BM_Text200K_1024x10M/zarvo reports it.
    }

    for (const auto& in : singles) {
        const std::string name = in.name;
        benchmark::RegisterBenchmark((name + "/zarvo").c_str(), [&in](benchmark::State& s) {
            BM_Zarvo(s, in);
        })->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((name + "/qrencode").c_str(), [&in](benchmark::State& s) {
            BM_Qrencode(s, in);
        })->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((name + "/zxing").c_str(), [&in](benchmark::State& s) {
            BM_Zxing(s, in);
        })->Unit(benchmark::kMicrosecond);
    }
    const std::string pieces = set.text.name;
    benchmark::RegisterBenchmark((pieces + "/zarvo").c_str(), [&set](benchmark::State& s) {
        BM_ZarvoPieces(s, set);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((pieces + "/qrencode").c_str(), [&set](benchmark::State& s) {
        BM_QrencodePieces(s, set);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((pieces + "/zxing").c_str(), [&set](benchmark::State& s) {
        BM_ZxingPieces(s, set);
    })->Unit(benchmark::kMillisecond);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
