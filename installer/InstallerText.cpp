#include "installer/InstallerText.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "installer/InstallerState.h"
#include "support/UniqueHandle.h"

namespace kefo {
namespace {

// A width or precision beyond this is a broken format, not a layout wish.
constexpr std::size_t kLargestField = 1024;

struct Conversion {
    bool leftAlign = false;
    bool zeroPad = false;
    std::size_t width = 0;
    bool hasPrecision = false;
    std::size_t precision = 0;
    wchar_t type = L'\0';
};

bool IsDigit(wchar_t c) noexcept {
    return c >= L'0' && c <= L'9';
}

std::size_t ReadCount(const wchar_t*& p) noexcept {
    std::size_t value = 0;
    for (; IsDigit(*p); ++p) value = std::min(kLargestField, value * 10 + (*p - L'0'));
    return value;
}

// Parses the conversion after a '%'; p ends on its type character (or on
// the terminator of a format that ends inside it).
Conversion ParseConversion(const wchar_t*& p) noexcept {
    Conversion conversion;
    for (;; ++p) {
        if (*p == L'-') {
            conversion.leftAlign = true;
        } else if (*p == L'0') {
            conversion.zeroPad = true;
        } else {
            break;
        }
    }
    conversion.width = ReadCount(p);
    if (*p == L'.') {
        ++p;
        conversion.hasPrecision = true;
        conversion.precision = ReadCount(p);
    }
    while (*p == L'h' || *p == L'l') ++p;
    if (p[0] == L'I' && p[1] == L'6' && p[2] == L'4') p += 3;
    conversion.type = *p;
    return conversion;
}

std::wstring Decimal(const TextArgument& argument) {
    if (argument.kind() == TextArgument::Kind::kSigned) {
        const auto value = static_cast<long long>(argument.bits());
        return std::to_wstring(value);
    }
    return std::to_wstring(static_cast<unsigned long long>(argument.bits()));
}

std::wstring Hexadecimal(const TextArgument& argument, bool upperCase) {
    std::uint64_t value = argument.bits();
    if (!argument.wide()) value &= 0xFFFFFFFFu;
    const wchar_t* digits = upperCase ? L"0123456789ABCDEF" : L"0123456789abcdef";
    std::wstring reversed;
    do {
        reversed += digits[value & 0xFu];
        value >>= 4;
    } while (value != 0);
    return std::wstring(reversed.rbegin(), reversed.rend());
}

// Pads to the width: spaces on the left or right, or zeros after the sign.
void AppendPadded(std::wstring& out, std::wstring piece, const Conversion& conversion,
                  bool isNumber) {
    if (piece.size() < conversion.width) {
        const std::size_t fill = conversion.width - piece.size();
        if (conversion.leftAlign) {
            piece.append(fill, L' ');
        } else if (conversion.zeroPad && isNumber) {
            piece.insert(piece[0] == L'-' ? 1 : 0, fill, L'0');
        } else {
            piece.insert(0, fill, L' ');
        }
    }
    out += piece;
}

void AppendArgument(std::wstring& out, const Conversion& conversion, const TextArgument& argument) {
    if (argument.kind() == TextArgument::Kind::kText) {
        std::wstring text = argument.text();
        if (conversion.type == L's' && conversion.hasPrecision &&
            text.size() > conversion.precision)
            text.resize(conversion.precision);
        AppendPadded(out, std::move(text), conversion, false);
        return;
    }
    const bool hex = conversion.type == L'x' || conversion.type == L'X';
    AppendPadded(out, hex ? Hexadecimal(argument, conversion.type == L'X') : Decimal(argument),
                 conversion, true);
}

bool TakesArgument(wchar_t type) noexcept {
    switch (type) {
        case L's':
        case L'd':
        case L'i':
        case L'u':
        case L'x':
        case L'X': return true;
        default: return false;
    }
}

}  // namespace

std::wstring FormatText(const wchar_t* format, std::initializer_list<TextArgument> arguments) {
    std::wstring out;
    if (format == nullptr) return out;
    auto next = arguments.begin();
    for (const wchar_t* p = format; *p != L'\0'; ++p) {
        if (*p != L'%') {
            out += *p;
            continue;
        }
        const wchar_t* start = p++;
        if (*p == L'%') {
            out += L'%';
            continue;
        }
        const Conversion conversion = ParseConversion(p);
        if (*p == L'\0') {  // the format ends inside a conversion: keep it as text
            out.append(start, p);
            break;
        }
        if (!TakesArgument(conversion.type)) {
            out.append(start, p + 1);
            continue;
        }
        if (next != arguments.end()) AppendArgument(out, conversion, *next++);
    }
    return out;
}

std::wstring LoadInstallerString(UINT id) {
    HINSTANCE module = g_installer.instance ? g_installer.instance : GetModuleHandleW(nullptr);
    // With no buffer, LoadStringW hands out the resource's own text, which
    // is not NUL-terminated, and its length: no size limit to guess.
    const wchar_t* text = nullptr;
    const int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) return std::wstring();
    return std::wstring(text, static_cast<std::size_t>(length));
}

std::wstring SystemErrorText(DWORD code) {
    wchar_t* allocated = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                        FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK;
    // Allocated by the system, so a long text is cut here rather than lost.
    const DWORD length =
        FormatMessageW(flags, nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                       reinterpret_cast<LPWSTR>(&allocated), 0, nullptr);
    const UniqueHLocal owner(allocated);
    if (length == 0 || allocated == nullptr) return std::wstring();
    std::wstring text(allocated, std::min<std::size_t>(length, kSystemTextChars - 1));
    // The text goes inside a sentence: one line, no trailing blank.
    std::replace(text.begin(), text.end(), L'\r', L' ');
    std::replace(text.begin(), text.end(), L'\n', L' ');
    const std::size_t end = text.find_last_not_of(L" \t");
    text.erase(end == std::wstring::npos ? 0 : end + 1);
    return text;
}

}  // namespace kefo
