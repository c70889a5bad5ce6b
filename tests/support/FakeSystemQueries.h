#pragma once

#include <cstdint>
#include <vector>

#include "platform/SystemQueries.h"

namespace kelvane::testing {

// A scripted system: by default 64-bit Windows 10 as the version query reports it (6.2).
class FakeSystemQueries final : public SystemQueries {
public:
    std::uint32_t platformId = kVerPlatformWin32Nt;
    std::uint32_t major = 6;
    std::uint32_t minor = 2;
    std::uint16_t suiteMask = 0x0100;
    // A system that knows only the plain record refuses the extended size.
    bool knowsExtendedRecord = true;
    bool versionQueryFails = false;
    bool hasNativeSystemInfo = true;
    std::uint16_t architecture = kProcessorArchitectureAmd64;

    // The size field of every version query, in order, and how often the native query ran.
    std::vector<std::uint32_t> versionQuerySizes;
    int nativeSystemInfoCalls = 0;

    bool GetVersionExW(OSVERSIONINFOEXW& info) override;
    bool HasGetNativeSystemInfo() override { return hasNativeSystemInfo; }
    void GetNativeSystemInfo(SYSTEM_INFO& info) override;
};

}  // namespace kelvane::testing
