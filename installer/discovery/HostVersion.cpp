#include "HostVersion.h"

#include <cstdint>

namespace kefo {
namespace {

bool IsDigit(wchar_t c) noexcept {
    return c >= L'0' && c <= L'9';
}

// Reads the number at text (0 when no digits are there), then moves past
// the separator after it, up to the next digit or the end.
std::uint32_t NextComponent(const wchar_t*& text) noexcept {
    constexpr std::uint32_t kLargest = 0xFFFFFFFFu;
    std::uint32_t value = 0;
    for (; IsDigit(*text); ++text) {
        const std::uint32_t digit = static_cast<std::uint32_t>(*text - L'0');
        // Saturate: a wrapped value would put a huge version below a small one.
        value = value > (kLargest - digit) / 10 ? kLargest : value * 10 + digit;
    }
    while (*text != L'\0' && !IsDigit(*text)) ++text;
    return value;
}

}  // namespace

int CompareVersionStrings(const wchar_t* a, const wchar_t* b) noexcept {
    if (a == nullptr) a = L"";
    if (b == nullptr) b = L"";
    while (*a != L'\0' || *b != L'\0') {
        const std::uint32_t left = NextComponent(a);
        const std::uint32_t right = NextComponent(b);
        if (left < right) return -1;
        if (left > right) return 1;
    }
    return 0;
}

VersionWord ParseVersionNumber(const wchar_t* text) noexcept {
    if (text == nullptr) return 0;
    // Unsigned arithmetic wraps modulo 2^32, which keeps each part right
    // modulo 65536 however many digits there are.
    std::uint32_t major = 0;
    for (; IsDigit(*text); ++text) major = major * 10 + static_cast<std::uint32_t>(*text - L'0');
    std::uint32_t minor = 0;
    if (*text == L'.') {
        for (++text; *text != L'\0'; ++text) {
            if (IsDigit(*text)) minor = minor * 10 + static_cast<std::uint32_t>(*text - L'0');
        }
    }
    return PackVersion(major, minor);
}

}  // namespace kefo
