// What drawing and listing cost beside the encoding they rest on, measured in one run:
//
// - BM_DrawSymbols_1024x10M/painted: DrawSymbols of 1024 independent symbols (qrPlus) at version
//   10 level M with both comments numbered (nbrTail) and 16-pixel spaces, as the main window's
//   component draws them; /encodeOnly: the same with SymbolDebug (every piece encoded, nothing
//   painted). Target: painted <= 1.30 x encodeOnly. /noComments: painted without comments or
//   numbers, which shows what the text costs.
// - BM_Pbm_40L_x10/component: the component's PBM of a version-40 symbol at Pxmag 10 (1850 lines of
//   3700 characters, the symbol encoded again as every read does); /plainLoop: the same number of
//   characters appended one by one to 1850 strings of a vector. Target: component <= 3 x plainLoop.
//
// The ratios (of median CPU times) are printed after the table. Pxmag 1 is the main window's
// default; /3 shows how painting grows with the picture while the encoding stays the same. Unless
// told otherwise, every case runs 9 times, the runs of all cases in random order.
//
// Typical run: zarvo_draw_bench --benchmark_report_aggregates_only=true

#include "bench/prose.h"
#include "bench/ratios.h"
#include "component/picture/picture.h"
#include "component/qrcode.h"
#include "shared/cp932.h"

#include <QGuiApplication>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using zarvo::component::TQRCode;

constexpr int32_t kPieces = 1024;

// The main window's component (Match, centred comments, the 12-pixel comment font) with the
// settings of the case, drawn once.
void SetUp(TQRCode& qr, const std::string& data, int32_t version, int32_t level, int32_t pxmag) {
    qr.SetSymbolEnabled(false);
    qr.SetMatch(true);
    qr.SetCommentUpLoc(zarvo::component::locCenter);
    qr.SetCommentDownLoc(zarvo::component::locCenter);
    qr.SetClearOption(true);
    qr.SetVersion(version);
    qr.SetEclevel(level);
    qr.SetPxmag(pxmag);
    qr.SetCode(data);
    qr.SetSymbolEnabled(true);
}

void SetUpPieces(TQRCode& qr, int32_t pxmag) {
    qr.SetSymbolEnabled(false);
    qr.SetMode(zarvo::component::qrPlus);
    qr.SetCount(kPieces);
    qr.SetNumbering(zarvo::component::nbrTail);
    qr.SetSymbolSpaceUp(16);
    qr.SetSymbolSpaceDown(16);
    qr.SetSymbolSpaceLeft(16);
    qr.SetSymbolSpaceRight(16);
    qr.SetCommentUp(zarvo::shared::Utf8ToCp932("上のコメント"));
    qr.SetCommentDown("lower comment");
    SetUp(qr, zarvo::bench::Prose(kPieces), 10, 1, pxmag);
}

void BM_DrawSymbols(benchmark::State& state, bool debug, bool comments) {
    TQRCode qr;
    SetUpPieces(qr, static_cast<int32_t>(state.range(0)));
    qr.SetSymbolDebug(debug);
    if (!comments) {
        qr.SetNumbering(zarvo::component::nbrNone);
        qr.SetCommentUp("");
        qr.SetCommentDown("");
    }
    qr.Redraw();
    if (!qr.SymbolDisped() || qr.Count() != kPieces) {
        state.SkipWithError("the 1024 pieces do not fit 10-M");
        return;
    }
    for (auto _ : state)
        qr.Redraw();
    state.SetLabel(std::to_string(qr.Width()) + " x " + std::to_string(qr.Height()) + " pixels");
}

void BM_PbmComponent(benchmark::State& state) {
    TQRCode qr;
    SetUp(qr, zarvo::bench::Prose(5).substr(0, 1000), 40, 0, 10);
    if (!qr.SymbolDisped() || qr.PBM().size() != 3 + 2 + 1850 || qr.PBM().back().size() != 3700) {
        state.SkipWithError("not one version-40 symbol of 1850 lines");
        return;
    }
    for (auto _ : state) {
        const auto& lines = qr.PBM();
        benchmark::DoNotOptimize(lines.data());
    }
    state.SetBytesProcessed(state.iterations() * 1850 * 3701);
}

// The same lines and characters, each character appended on its own.
void BM_PbmPlainLoop(benchmark::State& state) {
    std::vector<std::string> lines;
    for (auto _ : state) {
        lines.clear();
        lines.emplace_back("P1");
        lines.emplace_back("Single Mode (Count = 1)");
        lines.emplace_back("1850 1850");
        lines.emplace_back();
        lines.emplace_back();
        for (int y = 0; y < 1850; ++y) {
            std::string line;
            for (int x = 0; x < 3700; ++x)
                line += (x & 1) ? static_cast<char>('0' + ((x ^ y) >> 4 & 1)) : ' ';
            lines.push_back(std::move(line));
        }
        benchmark::DoNotOptimize(lines.data());
    }
    state.SetBytesProcessed(state.iterations() * 1850 * 3701);
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication application(argc, argv);
    zarvo::component::InstallFontSubstitutions();
    if (!zarvo::bench::InitializeInterleaved(argc, argv))
        return 2;

    for (const int pxmag : {1, 3}) {
        benchmark::RegisterBenchmark("BM_DrawSymbols_1024x10M/painted", BM_DrawSymbols, false, true)
            ->Arg(pxmag)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("BM_DrawSymbols_1024x10M/noComments", BM_DrawSymbols, false, false)
            ->Arg(pxmag)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("BM_DrawSymbols_1024x10M/encodeOnly", BM_DrawSymbols, true, true)
            ->Arg(pxmag)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("BM_Pbm_40L_x10/component", BM_PbmComponent)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_Pbm_40L_x10/plainLoop", BM_PbmPlainLoop)->Unit(benchmark::kMillisecond);

    zarvo::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    for (const char* pxmag : {"1", "3"})
        reporter.PrintRatio(("DrawSymbols painted / encode only, Pxmag " + std::string(pxmag)).c_str(),
                            std::string("BM_DrawSymbols_1024x10M/painted/") + pxmag,
                            std::string("BM_DrawSymbols_1024x10M/encodeOnly/") + pxmag, 1.30);
    for (const char* pxmag : {"1", "3"})
        reporter.PrintRatio(("  the same without comments, Pxmag " + std::string(pxmag)).c_str(),
                            std::string("BM_DrawSymbols_1024x10M/noComments/") + pxmag,
                            std::string("BM_DrawSymbols_1024x10M/encodeOnly/") + pxmag, 1.30);
    reporter.PrintRatio("PBM listing / plain loop", "BM_Pbm_40L_x10/component", "BM_Pbm_40L_x10/plainLoop",
                        3.0);
    benchmark::Shutdown();
    return 0;
}
