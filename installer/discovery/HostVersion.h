// The host's version as the registry holds it: dotted decimal text such as
// "8.0" or "4.5". Two routines: an ordering of such texts (the minimum host
// check) and the packed version word the compatibility rules compare.
// Portable: plain wchar_t text, no Windows calls. A null text counts as empty.
#pragma once

#include "framework/protocol/VersionWord.h"

namespace kefo {

// -1, 0 or 1 as a is below, equal to or above b. Numeric, component by
// component: any run of non-digits separates components, a missing
// component counts as 0 and leading zeros do not matter, so 4.05 equals
// 4.5, 4.10 is above 4.5 and 4 is below 4.5. A component too large for 32
// bits counts as the largest number.
int CompareVersionStrings(const wchar_t* a, const wchar_t* b) noexcept;

// major << 16 | minor, each taken modulo 65536. The major part is the
// leading digits; when a "." follows them, the minor part is every digit
// after it, other characters skipped (7.1 gives 1, 7.10 gives 10, 7.1b2
// gives 12); otherwise the minor part is 0. An empty text gives 0.
VersionWord ParseVersionNumber(const wchar_t* text) noexcept;

}  // namespace kefo
