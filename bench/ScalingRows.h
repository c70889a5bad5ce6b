#pragma once

// The P5 rows: one detection attempt against the number of printer-class interfaces present,
// from the counters that CountingDeviceSetup gathered.
#include <map>
#include <string>
#include <vector>

#include "bench/BenchRows.h"
#include "bench/CountingDeviceSetup.h"
#include "bench/RowReporter.h"
#include "usb/UsbLink.h"

namespace kelvane::bench {

// Sets the counters of one benchmark run from what `counting` saw over `attempts` attempts.
inline void SetScalingCounters(benchmark::State& state, const CountingDeviceSetup& counting,
                               std::int64_t interfaces) {
    const auto attempts = static_cast<double>(state.iterations());
    state.counters["interfaces"] = static_cast<double>(interfaces);
    state.counters["examined"] = static_cast<double>(counting.highestExamined + 1);
    state.counters["ids_per_attempt"] = static_cast<double>(counting.instanceIdsRead) / attempts;
    state.counters["sets_per_attempt"] = static_cast<double>(counting.setsBuilt) / attempts;
    state.counters["set_ns_per_attempt"] = counting.setNs / attempts;
}

inline void PrintScalingRows(const std::string& subject, const RowReporter& reporter) {
    double single = 0;
    for (const Measured& measured : reporter.Results()) {
        const double median = Median(measured.nsPerIteration);
        // What the attempt spent outside the provider's sets, repetition by repetition.
        std::vector<double> outsideSets;
        for (std::size_t index = 0; index < measured.nsPerIteration.size(); ++index) {
            outsideSets.push_back(measured.nsPerIteration[index] -
                                  measured.counters[index].at("set_ns_per_attempt"));
        }
        const std::map<std::string, double>& last = measured.counters.back();
        const double interfaces = last.at("interfaces");
        const double examined = last.at("examined");
        const double sets = last.at("sets_per_attempt");
        const double setNs = Median(measured.nsPerIteration) - Median(outsideSets);
        if (interfaces == 1) {
            single = median;
        }
        // The provider's sets hold every interface present; the lookup reads at most 100 of them.
        std::string note = "examined " + Fixed(examined, 0) + " of " + Fixed(interfaces, 0) + " (" +
                           Fixed(last.at("ids_per_attempt"), 0) + " instance IDs read), " +
                           Duration(Median(outsideSets)) +
                           " outside the set = " + Duration(Median(outsideSets) / examined) +
                           " per examined interface; " + Fixed(sets, 0) +
                           " set built and destroyed, " + Duration(setNs) + " = " +
                           Duration(setNs / sets / interfaces) + " per interface present" +
                           (last.contains("setup_ns") ? "; adding the mocked printers took " +
                                                            Duration(last.at("setup_ns"))
                                                      : std::string());
        Print(Row{"P5 scaling",
                  subject + ", " + Fixed(interfaces, 0) +
                      (interfaces == 1 ? " interface" : " interfaces") + ": one attempt",
                  Duration(median), Duration(Percentile(measured.nsPerIteration, 0.9)),
                  single > 0 ? Ratio(median / single) : "",
                  "<= " + std::to_string(kMaxMemberIndex) + " examined",
                  Met(examined <= kMaxMemberIndex), note});
    }
}

}  // namespace kelvane::bench
