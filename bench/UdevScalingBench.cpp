// One detection attempt (Open for model 68 with the dialog's mode) against the number of
// printer-class interfaces present, through the real udev provider over devices mocked by
// umockdev: the program's work and the system's. Runs under umockdev-wrapper. The printers are
// of another model, so every interface the lookup reaches is examined and none is opened; the
// counters show that the lookup stops at member index 99 while the provider's snapshot reads
// every interface present.
#include <benchmark/benchmark.h>
#include <umockdev.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "bench/CountingDeviceSetup.h"
#include "bench/RowReporter.h"
#include "bench/ScalingRows.h"
#include "platform/linux/LinuxDeviceSetup.h"
#include "tests/platform/linux/UsbTestbed.h"
#include "tests/support/FakePlatform.h"
#include "usb/UsbLink.h"

namespace {

using kelvane::testing::MockUsbDevice;
using kelvane::testing::UsbTestbed;

// The mocked system, grown as the benchmarks ask for more printers: they run smallest first.
UsbTestbed* g_usb = nullptr;
int g_printers = 0;
double g_setupNs = 0;  // spent adding the mocked printers present

bool EnsurePrinters(int count) {
    for (; g_printers < count; ++g_printers) {
        MockUsbDevice printer;
        printer.port = "1-" + std::to_string(g_printers + 1);
        printer.deviceNumber = g_printers + 2;
        printer.idProduct = "050e";  // Lumo B: model 91
        char serial[16];
        std::snprintf(serial, sizeof(serial), "LUMOB%04d", g_printers);
        printer.serial = serial;
        printer.lpMinor = static_cast<unsigned>(g_printers);
        if (g_usb->Add(printer).empty()) {
            return false;
        }
    }
    return true;
}

void UdevDetectionAttempt(benchmark::State& state) {
    const auto start = std::chrono::steady_clock::now();
    if (!EnsurePrinters(static_cast<int>(state.range(0)))) {
        state.SkipWithError("umockdev refused a printer");
        return;
    }
    g_setupNs +=
        std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
    kelvane::LinuxDeviceSetup setup;
    kelvane::bench::CountingDeviceSetup counting(setup);
    kelvane::testing::FakePlatform fake;
    fake.Use(counting);
    kelvane::CUsbLink link(fake.platform());
    for (auto _ : state) {
        benchmark::DoNotOptimize(link.Open(68, 1, 0x102, 3));
    }
    kelvane::bench::SetScalingCounters(state, counting, state.range(0));
    state.counters["setup_ns"] = g_setupNs;
}
BENCHMARK(UdevDetectionAttempt)
    ->Arg(1)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Repetitions(5)
    ->MinTime(0.05)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    UsbTestbed usb;
    if (!umockdev_in_mock_environment()) {
        std::fprintf(stderr, "%s: run this under umockdev-wrapper\n", argv[0]);
        return 2;
    }
    g_usb = &usb;
    kelvane::bench::RowReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    kelvane::bench::PrintScalingRows("udev (umockdev)", reporter);
    benchmark::Shutdown();
    return 0;
}
