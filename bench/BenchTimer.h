#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

// Runs body `iterations` times per sample and reports the median time per call over `samples`
// samples, so a stray context switch does not decide the figure.
template <typename Body> double medianNsPerCall(Body &&body, int iterations, int samples = 11) {
    std::vector<double> results;
    results.reserve(samples);
    for (int s = 0; s < samples; ++s) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < iterations; ++i)
            body();
        results.push_back(double(timer.nsecsElapsed()) / iterations);
    }
    std::sort(results.begin(), results.end());
    return results[results.size() / 2];
}

inline void printFigure(const char *name, double value, const char *unit) {
    std::printf("%-48s %12.1f %s\n", name, value, unit);
    std::fflush(stdout);
}
