// What the print preview's page building costs beside the drawing it rests on, measured in one run:
//
// - BM_ListPreview_1000x5M/pages: every page of the preview of a list print of 1,000 items
//   (version 5, level M, both comments), each item loaded into the component and drawn, flowed and
//   stretch-drawn into the page image as the preview does, with the progress window stepping;
//   /drawSymbols: the same items loaded and drawn by DrawSymbols alone. Target: pages <= 1.5 x
//   drawSymbols.
// - BM_NormalPreview_1024x10M/pages: the shown picture of 1,024 symbols (version 10, level M, both
//   comments numbered) drawn, and the preview's two pages of a normal print built from it;
//   /drawSymbols: the picture drawn by DrawSymbols alone. Target: pages <= 1.5 x drawSymbols.
//
// The printer is a 600 dpi one with 4760 × 6814 printable, the screen 1920 × 1080 at 96 dpi (the
// preview's scale is then 12 %). The ratios (of median CPU times) are printed after the table.
//
// Typical run: zarvo_print_bench --benchmark_report_aggregates_only=true

#include "bench/prose.h"
#include "bench/ratios.h"
#include "component/qrcode.h"
#include "datalist/datalistmodel.h"
#include "printing/listprint.h"
#include "printing/previewpages.h"
#include "printing/progress.h"
#include "shared/cp932.h"

#include <QApplication>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using zarvo::component::TQRCode;
using zarvo::printing::Measurements;
using zarvo::printing::PreviewPages;
using zarvo::printing::PreviewSetup;

constexpr int32_t kItems = 1000;
constexpr int32_t kPieces = 1024;

PreviewSetup Setup() {
    PreviewSetup setup;
    setup.Devices = Measurements{600, 600, 4760, 6814, 96, 96};
    setup.Magnification = 100;
    setup.Scale = zarvo::printing::PreviewScale(1920, 1080, 4760, 6814);
    setup.ColSpace = 0;
    setup.RowSpace = 10;
    return setup;
}

// The main window's component: Match, centred comments, the 12-pixel comment font, spaces 10.
void SetUpMain(TQRCode& qr, int32_t version) {
    zarvo::component::SetUpAsMainSymbol(qr, 10);
    qr.SetVersion(version);
    qr.SetEclevel(1);
    qr.SetSymbolEnabled(true);
}

// Items of 20 to 80 bytes (5-M holds 84) with a Japanese upper and an English lower comment.
zarvo::datalist::DataList Items() {
    const std::string prose = zarvo::bench::Prose(kItems);
    zarvo::datalist::DataList items;
    const std::string up = zarvo::shared::Utf8ToCp932("上のコメント ");
    for (int32_t i = 0; i < kItems; ++i) {
        const size_t start = static_cast<size_t>(i) * zarvo::bench::kLineBytes;
        const size_t length = 20 + static_cast<size_t>(i * 7 % 61);
        items.Append(prose.substr(start, length), up + std::to_string(i),
                     "lower comment " + std::to_string(i));
    }
    return items;
}

void BM_ListPreview(benchmark::State& state, bool pages) {
    TQRCode qr;
    SetUpMain(qr, 5);
    const zarvo::datalist::DataList items = Items();
    if (zarvo::printing::CountPrintable(qr, items) != kItems) {
        state.SkipWithError("an item does not fit 5-M");
        return;
    }
    PreviewPages preview(Setup());
    zarvo::printing::TProgressForm progress;
    int64_t lastPage = 0;
    for (auto _ : state) {
        if (pages) {
            lastPage = preview.DrawList(1, INT64_MAX, qr, items, 80, &progress).LastPage;
        } else {
            for (int32_t i = 0; i < items.Count(); ++i)
                zarvo::printing::LoadItem(qr, items, i);
        }
    }
    if (pages)
        state.SetLabel(std::to_string(lastPage) + " pages");
}

void BM_NormalPreview(benchmark::State& state, bool pages) {
    TQRCode qr;
    SetUpMain(qr, 10);
    qr.SetSymbolEnabled(false);
    qr.SetMode(zarvo::component::qrPlus);
    qr.SetCount(kPieces);
    qr.SetNumbering(zarvo::component::nbrTail);
    qr.SetCommentUp(zarvo::shared::Utf8ToCp932("上のコメント"));
    qr.SetCommentDown("lower comment");
    qr.SetCode(zarvo::bench::Prose(kPieces));
    qr.SetSymbolEnabled(true);
    if (!qr.SymbolDisped() || qr.Count() != kPieces) {
        state.SkipWithError("the 1024 pieces do not fit 10-M");
        return;
    }
    PreviewPages preview(Setup());
    zarvo::printing::TProgressForm progress;
    for (auto _ : state) {
        qr.Redraw();
        if (pages)
            preview.DrawNormal(1, qr.Picture(), qr.Width(), qr.Height(), 2, &progress);
    }
    state.SetLabel(std::to_string(qr.Width()) + " x " + std::to_string(qr.Height()) + " pixels");
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    zarvo::component::InstallFontSubstitutions();
    if (!zarvo::bench::InitializeInterleaved(argc, argv))
        return 2;

    benchmark::RegisterBenchmark("BM_ListPreview_1000x5M/pages", BM_ListPreview, true)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_ListPreview_1000x5M/drawSymbols", BM_ListPreview, false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_NormalPreview_1024x10M/pages", BM_NormalPreview, true)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_NormalPreview_1024x10M/drawSymbols", BM_NormalPreview, false)
        ->Unit(benchmark::kMillisecond);

    zarvo::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    reporter.PrintRatio("List preview pages / DrawSymbols, 1000 items", "BM_ListPreview_1000x5M/pages",
                        "BM_ListPreview_1000x5M/drawSymbols", 1.5);
    reporter.PrintRatio("Normal preview pages / DrawSymbols, 1024 pieces", "BM_NormalPreview_1024x10M/pages",
                        "BM_NormalPreview_1024x10M/drawSymbols", 1.5);
    benchmark::Shutdown();
    return 0;
}
