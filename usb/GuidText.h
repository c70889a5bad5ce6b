#pragma once

#include "platform/Records.h"

namespace kelvane {

// The USB printing interface class, the only interface class the program asks for.
inline constexpr char16_t kUsbPrintClassText[] = u"{28D78FAD-5A12-11D1-AE5B-0000F803A8C2}";

// Reads "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" into a GUID by position: the brace and each
// hyphen are skipped without being looked at, and every group is read as a hexadecimal number up
// to its first non-digit. Nothing is validated, so text in another form gives some GUID without
// any sign; text shorter than the form reads as if it ended in zeros.
void ParseGuidString(GUID& guid, const char16_t* text);

}  // namespace kelvane
