#pragma once

#include <cstdint>
#include <string_view>

namespace kelvane {

// The user's languages as Windows language identifiers, so that the program's own mapping from
// identifiers to its language codes applies unchanged on Linux.
//
// A locale name "language[_Script][_TERRITORY][.codeset][@modifier]" (also with "-" between its
// parts) is mapped by its language, and for Chinese by its territory or script:
//
//   Language               Identifier                 Territories with their own identifier
//   ar  Arabic             0x0401 (Saudi Arabia)      IQ 0x0801, EG 0x0C01, MA 0x1801, AE 0x3801
//   de  German             0x0407 (Germany)           CH 0x0807, AT 0x0C07, LU 0x1007, LI 0x1407
//   en  English            0x0409 (United States)     GB 0x0809, AU 0x0C09, CA 0x1009, NZ 0x1409,
//                                                     IE 0x1809, ZA 0x1C09, IN 0x4009, SG 0x4809
//   es  Spanish            0x0C0A (Spain)             MX 0x080A, CO 0x240A, AR 0x2C0A, CL 0x340A,
//                                                     US 0x540A
//   fa  Persian            0x0429 (Iran)
//   fr  French             0x040C (France)            BE 0x080C, CA 0x0C0C, CH 0x100C, LU 0x140C
//   id  Indonesian         0x0421 (Indonesia)
//   it  Italian            0x0410 (Italy)             CH 0x0810
//   ja  Japanese           0x0411
//   ko  Korean             0x0412
//   pl  Polish             0x0415
//   pt  Portuguese         0x0416 (Brazil)            PT 0x0816
//   ru  Russian            0x0419 (Russia)            MD 0x0819
//   zh  Chinese            TW 0x0404, CN 0x0804, HK 0x0C04, SG 0x1004, MO 0x1404;
//                          other or no territory: script Hant 0x0404, script Hans 0x0804;
//                          neither: 0x0804 without a territory (bare "zh" is Simplified
//                          Chinese), 0x0004 (Chinese of no Windows territory) with one
//   any other language, "C", "POSIX" or an empty name: 0x0409 (English)
//
// Only the primary language (the low 10 bits) matters to the program, except for Chinese, where
// Traditional (0x0404) and Simplified (0x0804) have translations and the other territories read
// English.
std::uint16_t LanguageIdFromLocaleName(std::string_view name);

// The user's interface language, read from the environment as Qt reads it: LANGUAGE, a list of
// locale names separated by ":", in the order of preference; when it is unset or empty, the first
// of LC_ALL, LC_MESSAGES and LANG that is set and not empty. From LANGUAGE the first entry of a
// language above is taken; when no entry is, or no variable is set, the result is English.
std::uint16_t UiLanguageIdFromEnvironment();

// The language of the user's locale: the first of LC_ALL, LC_CTYPE and LANG that is set and not
// empty, as the C library chooses the locale's character type; English when none is.
std::uint16_t LocaleLanguageIdFromEnvironment();

}  // namespace kelvane
