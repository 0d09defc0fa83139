// A window's whole text, for tests that read what a dialog shows.
#pragma once

#include <windows.h>

#include <string>

namespace testing_windows {

inline std::wstring TextOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

}  // namespace testing_windows
