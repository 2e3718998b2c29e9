// The data list window and the sort on a long list: 100,000 items of Japanese text (a place name,
// a district and a serial number, so that many keys share long prefixes), sorted in the Japanese
// locale.
//
// - BM_OpenEditor/table: the window's table made from the main window's list (DataGrid);
//   /model: the same under the grid's Qt model; /window: the whole window opened (offscreen),
//   painted, scrolled to its end and closed. Target: 100 ms, the window 300 ms.
// - BM_FindNothing: a forward search from the first cell for a text that no cell holds, so every
//   cell is visited. Target: 100 ms.
// - BM_CheckData: OK's check for empty and repeated symbol strings. Target: 100 ms.
// - BM_Sort/list (the main window's sort of its three lists) and BM_Sort/grid (the window's sort of
//   its rows), as the program sorts (QuickSortRows), and BM_Sort/stdSort, the baseline: std::sort
//   with the same comparison (the same keys made the same way) on the same items, the items then
//   moved into that order whole. Each by symbol string ascending (/0) and by upper comment
//   descending (/1, eight distinct keys: many equal ones). Target: <= 1.5 x stdSort, and 500 ms.
//
// Typical run: zarvo_datalist_bench --benchmark_report_aggregates_only=true

#include "bench/ratios.h"
#include "datalist/collation.h"
#include "datalist/datagrid.h"
#include "datalist/datagridview.h"
#include "datalist/datalist.h"
#include "datalist/datalisttablemodel.h"
#include "shared/cp932.h"
#include "tests/datalist/fakehost.h"

#include <QApplication>
#include <QScrollBar>
#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <random>

namespace {

using namespace zarvo::datalist;

constexpr int32_t kItems = 100000;

const DataList& LongList() {
    static const DataList list = [] {
        const char* const places[] = {"東京都",   "大阪府", "京都府",     "北海道", "沖縄県",
                                      "名古屋市", "横浜市", "神戸市",     "福岡市", "札幌市",
                                      "仙台市",   "広島市", "さいたま市", "千葉市"};
        const char* const districts[] = {"中央区", "北区", "南区", "東区", "西区", "港区", "緑区", "青葉区"};
        std::mt19937 rng(100000);
        DataList items;
        for (int32_t i = 0; i < kItems; ++i) {
            const std::string place = zarvo::shared::Utf8ToCp932(places[rng() % std::size(places)]);
            const std::string district = zarvo::shared::Utf8ToCp932(districts[rng() % std::size(districts)]);
            // unique symbol strings, in no order
            items.Append(place + district + std::to_string(rng() % 1000000) + "-" + std::to_string(i),
                         district, place + std::to_string(i % 97));
        }
        return items;
    }();
    return list;
}

const Collation& Japanese() {
    static const LocaleCollation collation(QLocale(QLocale::Japanese, QLocale::Japan));
    return collation;
}

void BM_OpenTable(benchmark::State& state) {
    for (auto _ : state) {
        DataGrid grid(LongList());
        benchmark::DoNotOptimize(grid.RowCount());
    }
}

void BM_OpenModel(benchmark::State& state) {
    for (auto _ : state) {
        DataListTableModel model;
        model.Grid().Assign(LongList());
        benchmark::DoNotOptimize(model.rowCount());
    }
}

void BM_OpenWindow(benchmark::State& state) {
    FakeHost host;
    host.list = LongList();
    host.itemIndex = kItems / 2;
    for (auto _ : state) {
        TDataListForm form(host);
        form.show();
        QCoreApplication::processEvents();
        form.StringGrid1->verticalScrollBar()->setValue(form.StringGrid1->verticalScrollBar()->maximum());
        QCoreApplication::processEvents();
        form.close();
    }
}

void BM_FindNothing(benchmark::State& state) {
    DataGrid grid(LongList());
    const std::string text = zarvo::shared::Utf8ToCp932("見つからない");
    for (auto _ : state) {
        grid.Select(1, kColCode);
        if (grid.FindText(text, true, false))
            state.SkipWithError("found");
    }
}

void BM_CheckData(benchmark::State& state) {
    const DataGrid grid(LongList());
    for (auto _ : state) {
        if (!grid.CheckData().Ok())
            state.SkipWithError("fault");
    }
}

int32_t KeyOf(const benchmark::State& state) {
    return static_cast<int32_t>(state.range(0));
}
int32_t SignOf(const benchmark::State& state) {
    return state.range(0) == 0 ? 1 : -1;
}

// The baseline: the same keys made the same way, std::sort of the item order by the same
// comparison, then the items moved into that order whole.
void BM_StdSort(benchmark::State& state) {
    const DataList& list = LongList();
    const int32_t key = KeyOf(state), sign = SignOf(state);
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::string> lists[3] = {list.Codes(), list.Ups(), list.Downs()};
        state.ResumeTiming();
        const std::unique_ptr<SortKeys> keys = Japanese().MakeKeys(lists[key]);
        std::vector<size_t> order(lists[0].size());
        std::iota(order.begin(), order.end(), size_t{0});
        std::sort(order.begin(), order.end(),
                  [&](size_t a, size_t b) { return keys->Compare(a, b) * sign < 0; });
        DataList sorted;
        std::vector<std::string> moved[3];
        for (int l = 0; l < 3; ++l) {
            moved[l].reserve(order.size());
            for (const size_t i : order)
                moved[l].push_back(std::move(lists[l][i]));
        }
        sorted.Assign(std::move(moved[0]), std::move(moved[1]), std::move(moved[2]));
        benchmark::DoNotOptimize(sorted.Count());
    }
}

void BM_SortList(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        DataList list = LongList();
        state.ResumeTiming();
        SortList(list, KeyOf(state), SignOf(state), Japanese());
        benchmark::DoNotOptimize(list.Count());
    }
}

void BM_SortGrid(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        DataGrid grid(LongList());
        state.ResumeTiming();
        grid.Sort(KeyOf(state) + kColCode, SignOf(state), Japanese());
        benchmark::DoNotOptimize(grid.RowCount());
    }
}

// The offscreen platform's notes about what it cannot do (raise, size hints) would fill the table.
QtMessageHandler standardHandler = nullptr;

void QuietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QStringLiteral("This plugin does not support")))
        return;
    if (standardHandler)
        standardHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    standardHandler = qInstallMessageHandler(QuietOffscreen);
    if (!zarvo::bench::InitializeInterleaved(argc, argv))
        return 2;
    (void)LongList();

    benchmark::RegisterBenchmark("BM_OpenEditor/table", BM_OpenTable)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_OpenEditor/model", BM_OpenModel)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_OpenEditor/window", BM_OpenWindow)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_FindNothing", BM_FindNothing)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_CheckData", BM_CheckData)->Unit(benchmark::kMillisecond);
    for (const auto& [name, function] : {std::pair{"BM_Sort/list", BM_SortList},
                                         {"BM_Sort/grid", BM_SortGrid},
                                         {"BM_Sort/stdSort", BM_StdSort}})
        benchmark::RegisterBenchmark(name, function)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

    zarvo::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    reporter.PrintTime("open the table, 100,000 items", "BM_OpenEditor/table", 100);
    reporter.PrintTime("open the grid's model, 100,000 items", "BM_OpenEditor/model", 100);
    reporter.PrintTime("open, scroll and close the window", "BM_OpenEditor/window", 300);
    reporter.PrintTime("forward search that finds nothing", "BM_FindNothing", 100);
    reporter.PrintTime("check for empty and repeated strings", "BM_CheckData", 100);
    for (const char* arg : {"0", "1"})
        for (const char* window : {"list", "grid"}) {
            const std::string measured = std::string("BM_Sort/") + window + "/" + arg;
            const std::string what = std::string(window[0] == 'l' ? "main window's sort" : "editor's sort") +
                                     (arg[0] == '0' ? ", symbol strings" : ", upper comments desc.");
            reporter.PrintTime(what.c_str(), measured, 500);
            reporter.PrintRatio("  / std::sort, the same comparison", measured,
                                std::string("BM_Sort/stdSort/") + arg, 1.5);
        }
    benchmark::Shutdown();
    return 0;
}
