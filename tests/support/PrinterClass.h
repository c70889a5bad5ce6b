#pragma once

#include "platform/Records.h"

namespace kelvane::testing {

// {28D78FAD-5A12-11D1-AE5B-0000F803A8C2}, written out so that the fake does not rely on the
// parser it helps to test.
inline constexpr GUID kPrinterClassGuid{
    0x28D78FAD, 0x5A12, 0x11D1, {0xAE, 0x5B, 0x00, 0x00, 0xF8, 0x03, 0xA8, 0xC2}};

}  // namespace kelvane::testing
