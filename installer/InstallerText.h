// The installer's texts: strings loaded by id from the program's string
// table, completed printf-style into UTF-16, and the system's text for an
// error code.
//
//     std::wstring text = FormatInstallerString(IDS_HOST_FOLDER_MISSING, folder);
//
// The formatter is type-safe: it knows each argument's type, so a text whose
// conversions do not match its values still comes out readable instead of
// reading the wrong thing off the stack. %s always takes UTF-16 text.
// Calling thread: any; the installer uses them on its UI thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <type_traits>

namespace kefo {

// One value for FormatText: a text (a null pointer counts as empty) or an
// integer of any width and signedness.
class TextArgument {
public:
    enum class Kind { kText, kSigned, kUnsigned };

    TextArgument(const wchar_t* text) noexcept : kind_(Kind::kText), text_(text ? text : L"") {}
    TextArgument(const std::wstring& text) noexcept : TextArgument(text.c_str()) {}
    template <typename T, std::enable_if_t<std::is_integral_v<T>, int> = 0>
    TextArgument(T value) noexcept
        : kind_(std::is_signed_v<T> ? Kind::kSigned : Kind::kUnsigned),
          bits_(static_cast<std::uint64_t>(value)),
          wide_(sizeof(T) > 4) {}

    Kind kind() const noexcept { return kind_; }
    const wchar_t* text() const noexcept { return text_; }
    std::uint64_t bits() const noexcept { return bits_; }  // sign-extended when signed
    bool wide() const noexcept { return wide_; }           // wider than 32 bits

private:
    Kind kind_;
    const wchar_t* text_ = L"";
    std::uint64_t bits_ = 0;
    bool wide_ = false;
};

// Completes a printf-style format. Understood: %%, and %s %d %i %u %x %X
// with the flags "-" and "0", a width and (for %s) a precision; the length
// modifiers h, l, ll and I64 are accepted and ignored, since each argument
// carries its own type. A number under %s prints in decimal, a text under a
// number conversion prints as text, a missing value prints nothing, and an
// unknown conversion is copied as it stands. A null format gives "".
std::wstring FormatText(const wchar_t* format, std::initializer_list<TextArgument> arguments);

// The string with this id from the string table of the program
// (g_installer.instance, or the process's own module while that is not set);
// "" when there is none.
std::wstring LoadInstallerString(UINT id);

// LoadInstallerString(id) completed with the values.
template <typename... Values>
std::wstring FormatInstallerString(UINT id, const Values&... values) {
    return FormatText(LoadInstallerString(id).c_str(), {TextArgument(values)...});
}

// The system message table's text for a Win32 error code, in the user's
// language, on one line (line breaks become spaces, trailing blanks go) and
// at most kSystemTextChars - 1 characters; "" for a code without a text.
constexpr int kSystemTextChars = 780;
std::wstring SystemErrorText(DWORD code);

}  // namespace kefo
