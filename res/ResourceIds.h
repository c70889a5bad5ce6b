/* Resource ids, written once for the Windows resource script and for the C++ code. The
   resource compiler reads only the #define lines. */
#ifndef KELVANE_RES_RESOURCEIDS_H
#define KELVANE_RES_RESOURCEIDS_H

/* The embedded language table, LanguageTable.ini beside this file: resource type INI_FILE, as
   the resource script names it. */
#define IDR_LANGUAGE_TABLE 129

#ifndef RC_INVOKED
#include <cstdint>

namespace kelvane {

inline constexpr std::uint16_t kLanguageTableId = IDR_LANGUAGE_TABLE;
inline constexpr char16_t kLanguageTableType[] = u"INI_FILE";

}  // namespace kelvane
#endif

#endif
