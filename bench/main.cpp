// Runs the benchmarks, then prints each figure as a ratio to its baseline,
// and each peak of memory against its aim.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "ratios.h"

namespace {

std::vector<BenchRatio> &ratios() {
    static std::vector<BenchRatio> r;
    return r;
}

std::vector<BenchPeak> &peaks() {
    static std::vector<BenchPeak> p;
    return p;
}

// Keeps the best time per iteration of each benchmark over its repetitions
// (the one least disturbed by the rest of the machine), and the highest
// peak of memory any repetition reported, besides printing as usual.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds, peakMB;
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) continue;
            double t = run.real_accumulated_time / static_cast<double>(run.iterations);
            auto [it, added] = seconds.emplace(run.run_name.function_name, t);
            if (!added && t < it->second) it->second = t;
            auto peak = run.counters.find("peak_MB");
            if (peak == run.counters.end()) continue;
            auto [p, first] = peakMB.emplace(run.run_name.function_name, peak->second.value);
            if (!first && peak->second.value > p->second) p->second = peak->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

bool RegisterRatio(const BenchRatio &ratio) {
    ratios().push_back(ratio);
    return true;
}

bool RegisterPeak(const BenchPeak &peak) {
    peaks().push_back(peak);
    return true;
}

int main(int argc, char **argv) {
    // Figure and baseline take turns, five times each, unless told otherwise.
    std::vector<char *> args(argv, argv + argc);
    char repetitions[] = "--benchmark_repetitions=5", interleaving[] = "--benchmark_enable_random_interleaving=true";
    bool told = false;
    for (int i = 1; i < argc; i++) told |= std::string(argv[i]).rfind("--benchmark_repetitions", 0) == 0;
    if (!told) args.insert(args.begin() + 1, {repetitions, interleaving});
    argc = static_cast<int>(args.size());
    argv = args.data();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nBest of each benchmark's repetitions, as a ratio to its baseline's best:\n");
    std::printf("%-34s %-30s %7s %6s\n", "figure", "baseline", "ratio", "aim");
    for (const BenchRatio &r : ratios()) {
        auto figure = reporter.seconds.find(r.figure), baseline = reporter.seconds.find(r.baseline);
        if (figure == reporter.seconds.end() || baseline == reporter.seconds.end() || baseline->second <= 0) continue;
        double ratio = figure->second / baseline->second;
        std::printf("%-34s %-30s %7.3f %s%5.2f\n", r.figure.c_str(), r.baseline.c_str(), ratio,
                    ratio <= r.aim ? "<=" : "> ", r.aim);
    }
    bool peakHeader = false;
    for (const BenchPeak &p : peaks()) {
        auto peak = reporter.peakMB.find(p.benchmark);
        if (peak == reporter.peakMB.end()) continue;
        if (!peakHeader) {
            std::printf("\nHighest peak of memory over each benchmark's repetitions, against its aim:\n");
            std::printf("%-34s %10s %10s\n", "figure", "peak MB", "aim MB");
            peakHeader = true;
        }
        std::printf("%-34s %10.1f %s%8.1f\n", p.benchmark.c_str(), peak->second, peak->second < p.aimMB ? "< " : ">=",
                    p.aimMB);
    }
    benchmark::Shutdown();
    return 0;
}
