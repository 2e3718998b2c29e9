// The settings store on a settings file with one line of 10 MB (a file damaged or written by
// something else), beside the same file without it:
//
// - BM_LoadSettings/plain: Load of a settings file of 60 key lines, then 40 integer reads, as the
//   main window's start does.
// - BM_LoadSettings/longLine: the same file with a first line of 10 MB without "=". Target: 100 ms.
// - BM_LoadSettings/longValue: the same file with a key whose value is 10 MB, read as a Boolean,
//   which fails with the store's message. Target: 100 ms, and a message short enough for a message
//   box (a message box takes minutes to show 10 MB of text).
// Each reports peak_MB, the most memory the store held at once (the file's bytes, its lines, the
// value read). Target: 4 x the file's size.
//
// Typical run: zarvo_param_bench --benchmark_report_aggregates_only=true

#include "bench/ratios.h"
#include "param/param.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <malloc.h>
#include <new>
#include <string>
#include <unistd.h>

namespace {

std::atomic<size_t> liveBytes{0};
std::atomic<size_t> peakBytes{0};

void* Allocate(size_t n) {
    void* p = std::malloc(n ? n : 1);
    if (!p)
        throw std::bad_alloc();
    const size_t live = liveBytes += malloc_usable_size(p);
    for (size_t peak = peakBytes; live > peak && !peakBytes.compare_exchange_weak(peak, live);) {
    }
    return p;
}

void Free(void* p) {
    if (!p)
        return;
    liveBytes -= malloc_usable_size(p);
    std::free(p);
}

} // namespace

void* operator new(size_t n) {
    return Allocate(n);
}
void* operator new[](size_t n) {
    return Allocate(n);
}
void operator delete(void* p) noexcept {
    Free(p);
}
void operator delete[](void* p) noexcept {
    Free(p);
}
void operator delete(void* p, size_t) noexcept {
    Free(p);
}
void operator delete[](void* p, size_t) noexcept {
    Free(p);
}

namespace {

using zarvo::param::TParameter;

constexpr size_t kTenMegabytes = 10 * 1000 * 1000;

enum Case { kPlain, kLongLine, kLongValue };

// The settings file of the case in a directory of its own; its path.
std::string SettingsFile(Case c) {
    static std::string dir = [] {
        char pattern[] = "/tmp/zarvo-param-bench-XXXXXX";
        return std::string(::mkdtemp(pattern));
    }();
    const std::string path = dir + "/case" + std::to_string(c) + ".ini";
    std::ofstream out(path, std::ios::binary);
    if (c == kLongLine)
        out << std::string(kTenMegabytes, 'x') << "\r\n";
    for (int i = 0; i < 60; ++i)
        out << "Key" << i << "=" << i * 37 << "\r\n";
    if (c == kLongValue)
        out << "Flag=" << std::string(kTenMegabytes, 'T') << "\r\n";
    return path;
}

void BM_LoadSettings(benchmark::State& state) {
    const Case c = static_cast<Case>(state.range(0));
    const std::string path = SettingsFile(c);
    size_t peak = 0;
    size_t messageSize = 0;
    for (auto _ : state) {
        const size_t before = liveBytes;
        peakBytes = before;
        TParameter store;
        store.SetDir(path.substr(0, path.rfind('/')));
        store.SetFileName(path.substr(path.rfind('/') + 1));
        store.Load();
        int64_t sum = 0;
        for (int i = 0; i < 40; ++i)
            sum += store.ReadInteger("key" + std::to_string(i));
        if (c == kLongValue) {
            try {
                store.ReadBool("Flag");
            } catch (const zarvo::param::EValueName& e) {
                messageSize = std::string(e.what()).size();
            }
        }
        benchmark::DoNotOptimize(sum);
        peak = std::max(peak, peakBytes - before);
    }
    state.counters["peak_MB"] = static_cast<double>(peak) / 1e6;
    if (c == kLongValue)
        state.counters["message_bytes"] = static_cast<double>(messageSize);
}

} // namespace

int main(int argc, char** argv) {
    if (!zarvo::bench::InitializeInterleaved(argc, argv))
        return 2;
    benchmark::RegisterBenchmark("BM_LoadSettings/plain", BM_LoadSettings)->Arg(kPlain);
    benchmark::RegisterBenchmark("BM_LoadSettings/longLine", BM_LoadSettings)
        ->Arg(kLongLine)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_LoadSettings/longValue", BM_LoadSettings)
        ->Arg(kLongValue)
        ->Unit(benchmark::kMillisecond);
    zarvo::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    reporter.PrintTime("load and read, a line of 10 MB", "BM_LoadSettings/longLine/1", 100);
    reporter.PrintTime("load and read, a value of 10 MB", "BM_LoadSettings/longValue/2", 100);
    benchmark::Shutdown();
    return 0;
}
