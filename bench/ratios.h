// Each figure of the benchmarks beside a baseline measured in the same run:
// the main of qmsaver_bench prints figure / baseline for every pair.
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
