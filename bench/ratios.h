// Each figure of the benchmarks beside a baseline measured in the same run:
// the main of qmsaver_bench prints figure / baseline for every pair; and
// figures of memory, each against an amount it should stay under.
#pragma once

#include <string>
#include <vector>

struct BenchRatio {
    std::string figure;    // benchmark name of what the user waits on
    std::string baseline;  // benchmark name of the plain way to do the same work
    double aim;            // the ratio the figure should stay under
};

// Registers a pair; returns true so that it can initialise a static.
bool RegisterRatio(const BenchRatio &ratio);

// A benchmark that reports the most memory the process held while it ran,
// in its counter "peak_MB".
struct BenchPeak {
    std::string benchmark;
    double aimMB;  // the peak should stay under this many megabytes
};

bool RegisterPeak(const BenchPeak &peak);
