// What every benchmark of the project reports the same way: each case repeated (9 times unless
// told otherwise) with the runs of all cases in random order, and the ratios of median CPU times
// printed after the table.
#pragma once

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace zarvo::bench {

// benchmark::Initialize with repetitions in random order unless the command line says otherwise:
// the machine is shared, and repetitions taken in random order spread a slow spell over all the
// cases alike instead of charging it to one. False for an unknown argument (reported).
inline bool InitializeInterleaved(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    const auto given = [&](const std::string& flag) {
        return std::any_of(args.begin() + 1, args.end(),
                           [&](const char* arg) { return std::string(arg).rfind(flag, 0) == 0; });
    };
    static std::string interleaving = "--benchmark_enable_random_interleaving=true";
    static std::string repetitions = "--benchmark_repetitions=9";
    if (!given("--benchmark_enable_random_interleaving"))
        args.push_back(interleaving.data());
    if (!given("--benchmark_repetitions"))
        args.push_back(repetitions.data());
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    return !benchmark::ReportUnrecognizedArguments(count, args.data());
}

// Keeps the CPU time per iteration of every run (the mean when repeated) for the ratios: the
// machine is shared, and CPU time does not count the time other processes hold the cores.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            if (run.error_occurred || run.iterations == 0)
                continue;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median")
                continue;
            std::string name = run.benchmark_name();
            if (const size_t suffix = name.rfind("_median"); suffix != std::string::npos)
                name.erase(suffix);
            // The median of repeated runs wins over any single one
            if (run.run_type == Run::RT_Aggregate || !medians_.count(name))
                seconds_[name] = run.cpu_accumulated_time / static_cast<double>(run.iterations);
            if (run.run_type == Run::RT_Aggregate)
                medians_.insert(name);
        }
    }

    // measured / base, with the target it is held to.
    void PrintRatio(const char* what, const std::string& measured, const std::string& base,
                    double target) const {
        const auto m = seconds_.find(measured), b = seconds_.find(base);
        if (m == seconds_.end() || b == seconds_.end())
            return;
        const double ratio = m->second / b->second;
        std::printf("%-44s %8.2f ms / %8.2f ms = %5.2f x  (target <= %.2f x: %s)\n", what, m->second * 1e3,
                    b->second * 1e3, ratio, target, ratio <= target ? "met" : "MISSED");
    }

    // The median time of one case, with the most it may take.
    void PrintTime(const char* what, const std::string& measured, double targetMs) const {
        const auto m = seconds_.find(measured);
        if (m == seconds_.end())
            return;
        const double ms = m->second * 1e3;
        std::printf("%-44s %8.2f ms             (target <= %.0f ms: %s)\n", what, ms, targetMs,
                    ms <= targetMs ? "met" : "MISSED");
    }

  private:
    std::map<std::string, double> seconds_;
    std::set<std::string> medians_;
};

} // namespace zarvo::bench
