// The cost of one detection attempt (Open for model 68 with the dialog's mode) against the number
// of printer-class interfaces present, on the in-memory platform: the program's own work, without
// the system's. Only the first 100 member indexes are ever examined, so the cost levels off there.
#include <benchmark/benchmark.h>

#include "bench/CountingDeviceSetup.h"
#include "bench/RowReporter.h"
#include "bench/ScalingRows.h"
#include "tests/support/FakePlatform.h"
#include "usb/UsbLink.h"

namespace {

void DetectionAttempt(benchmark::State& state) {
    kelvane::testing::FakePlatform fake;
    // Printers of another model: every one is examined, none is opened.
    fake.deviceSetup.AddPrinters(0x2E47050E, static_cast<int>(state.range(0)));
    kelvane::bench::CountingDeviceSetup counting(fake.deviceSetup);
    fake.Use(counting);
    kelvane::CUsbLink link(fake.platform());
    for (auto _ : state) {
        benchmark::DoNotOptimize(link.Open(68, 1, 0x102, 3));
    }
    kelvane::bench::SetScalingCounters(state, counting, state.range(0));
}
BENCHMARK(DetectionAttempt)->Arg(1)->Arg(10)->Arg(100)->Arg(1000)->Repetitions(7)->MinTime(0.05);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    kelvane::bench::RowReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    kelvane::bench::PrintScalingRows("in-memory fake", reporter);
    benchmark::Shutdown();
    return 0;
}
