#include "tests/support/FakeSystemQueries.h"

namespace kelvane::testing {

bool FakeSystemQueries::GetVersionExW(OSVERSIONINFOEXW& info) {
    versionQuerySizes.push_back(info.dwOSVersionInfoSize);
    const bool extended = info.dwOSVersionInfoSize == kVersionInfoExSize;
    if (versionQueryFails || (extended && !knowsExtendedRecord) ||
        (!extended && info.dwOSVersionInfoSize != kVersionInfoSize)) {
        return false;
    }
    info.dwMajorVersion = major;
    info.dwMinorVersion = minor;
    info.dwBuildNumber = 9200;
    info.dwPlatformId = platformId;
    if (extended) {
        info.wSuiteMask = suiteMask;
    }
    return true;
}

void FakeSystemQueries::GetNativeSystemInfo(SYSTEM_INFO& info) {
    ++nativeSystemInfoCalls;
    info.wProcessorArchitecture = architecture;
}

}  // namespace kelvane::testing
