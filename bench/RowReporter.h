#pragma once

// Google Benchmark's results, gathered for the benchmark table instead of printed: each
// benchmark's time per iteration in every repetition, and its counters.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace kelvane::bench {

struct Measured {
    std::string function;
    std::string args;
    std::vector<double> nsPerIteration;                   // one value a repetition
    std::vector<std::map<std::string, double>> counters;  // one map a repetition
};

class RowReporter final : public benchmark::BenchmarkReporter {
public:
    bool ReportContext(const Context& /*context*/) override { return true; }

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) {
                continue;
            }
            Measured& measured = Find(run.run_name.function_name, run.run_name.args);
            measured.nsPerIteration.push_back(run.real_accumulated_time * 1e9 /
                                              static_cast<double>(run.iterations));
            std::map<std::string, double>& counters = measured.counters.emplace_back();
            for (const auto& [name, counter] : run.counters) {
                counters[name] = counter.value;
            }
            std::fprintf(stderr, "  %s/%s: %.0f ns per iteration (%lld iterations)\n",
                         measured.function.c_str(), measured.args.c_str(),
                         measured.nsPerIteration.back(), static_cast<long long>(run.iterations));
        }
    }

    const std::vector<Measured>& Results() const { return m_results; }

private:
    Measured& Find(const std::string& function, const std::string& args) {
        for (Measured& measured : m_results) {
            if (measured.function == function && measured.args == args) {
                return measured;
            }
        }
        m_results.push_back(Measured{function, args, {}, {}});
        return m_results.back();
    }

    std::vector<Measured> m_results;
};

}  // namespace kelvane::bench
