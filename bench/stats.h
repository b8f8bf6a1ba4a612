#pragma once

#include <algorithm>
#include <vector>

struct Summary {
    double median;
    double min;
    double max;
};

inline Summary Summarize(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    const double median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    return {median, samples.front(), samples.back()};
}
