#include "CallerState.h"

#include <xmmintrin.h>

#include <clocale>
#include <cstdio>

namespace hostsim {
namespace {

constexpr unsigned kMxcsrStickyFlags = 0x3F;  // set by arithmetic, cleared by nobody

std::string Hex4(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

}  // namespace

CallerState CallerState::Now() {
    CallerState state;
    state.mxcsrModes = _mm_getcsr() & ~kMxcsrStickyFlags;
#if defined(__i386__)
    unsigned short x87 = 0;
    __asm__ volatile("fnstcw %0" : "=m"(x87));
    state.x87Control = x87;
#endif
    const char* name = std::setlocale(LC_ALL, nullptr);
    state.locale = name ? name : "";
    const std::lconv* numbers = std::localeconv();
    state.decimalPoint = numbers && numbers->decimal_point ? numbers->decimal_point : "";
    return state;
}

std::string CallerState::ChangeIn(const CallerState& after) const {
    std::string changed;
    auto add = [&](const std::string& what) { changed += (changed.empty() ? "" : ", ") + what; };
    if (after.mxcsrModes != mxcsrModes)
        add("MXCSR " + Hex4(mxcsrModes) + " became " + Hex4(after.mxcsrModes));
    if (after.x87Control != x87Control)
        add("x87 control word " + Hex4(x87Control) + " became " + Hex4(after.x87Control));
    if (after.locale != locale) add("C locale \"" + locale + "\" became \"" + after.locale + "\"");
    if (after.decimalPoint != decimalPoint)
        add("decimal point \"" + decimalPoint + "\" became \"" + after.decimalPoint + "\"");
    return changed;
}

void CallerState::Restore() const {
    _mm_setcsr((_mm_getcsr() & kMxcsrStickyFlags) | mxcsrModes);
#if defined(__i386__)
    const unsigned short x87 = static_cast<unsigned short>(x87Control);
    __asm__ volatile("fldcw %0" : : "m"(x87));
#endif
    std::setlocale(LC_ALL, locale.c_str());
}

}  // namespace hostsim
