#pragma once

// The rows of the benchmark table. Every benchmark program prints its rows to standard output,
// one a line, with the fields separated by tabs; bench/run gathers them into one table.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace kelvane::bench {

struct Row {
    std::string bench;    // P1 ... P5
    std::string subject;  // what was measured
    std::string median;
    std::string p90;
    std::string ratio;   // against the reference of its group
    std::string target;  // empty where there is none
    std::string met;     // "yes", "NO" or "-"
    std::string note;
};

inline void Print(const Row& row) {
    const std::string* fields[] = {&row.bench, &row.subject, &row.median, &row.p90,
                                   &row.ratio, &row.target,  &row.met,    &row.note};
    std::string line;
    for (const std::string* field : fields) {
        if (!line.empty() || field != fields[0]) {
            line += '\t';
        }
        line += field->empty() ? "-" : *field;
    }
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// The value below which `fraction` of the samples lie (nearest rank); the median interpolates.
inline double Percentile(std::vector<double> samples, double fraction) {
    if (samples.empty()) {
        return NAN;
    }
    std::sort(samples.begin(), samples.end());
    const auto rank =
        static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(samples.size())));
    return samples[std::clamp<std::size_t>(rank, 1, samples.size()) - 1];
}

inline double Median(std::vector<double> samples) {
    if (samples.empty()) {
        return NAN;
    }
    std::sort(samples.begin(), samples.end());
    const std::size_t middle = samples.size() / 2;
    return samples.size() % 2 != 0 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

inline std::string Fixed(double value, int decimals) {
    if (std::isnan(value)) {
        return "n/a";
    }
    char text[64];
    std::snprintf(text, sizeof(text), "%.*f", decimals, value);
    return text;
}

// A duration in nanoseconds, in the unit that suits it.
inline std::string Duration(double ns) {
    if (std::isnan(ns)) {
        return "n/a";
    }
    if (ns >= 1e6) {
        return Fixed(ns / 1e6, ns >= 1e8 ? 0 : ns >= 1e7 ? 1 : 2) + " ms";
    }
    if (ns >= 1e3) {
        return Fixed(ns / 1e3, ns >= 1e5 ? 0 : ns >= 1e4 ? 1 : 2) + " us";
    }
    return Fixed(ns, 0) + " ns";
}

inline std::string Ratio(double value) {
    return Fixed(value, 2) + "x";
}

inline std::string Met(bool met) {
    return met ? "yes" : "NO";
}

}  // namespace kelvane::bench
