#pragma once

#include "platform/SystemQueries.h"

namespace kelvane {

// The version and processor queries of kernel32. The native query is looked up at run time: a
// direct import of it would keep the program from loading on systems that lack it.
class Win32SystemQueries final : public SystemQueries {
public:
    bool GetVersionExW(OSVERSIONINFOEXW& info) override;
    bool HasGetNativeSystemInfo() override;
    void GetNativeSystemInfo(SYSTEM_INFO& info) override;
};

}  // namespace kelvane
