#pragma once

#include <cstdint>

namespace kelvane {

// The Windows error code a caller would have seen for the same failure.
std::uint32_t Win32ErrorFromErrno(int error);

}  // namespace kelvane
