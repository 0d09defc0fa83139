// A window's whole text and how wide it is drawn: what a dialog shows, read
// as a user would.
#pragma once

#include <windows.h>

#include <string>

namespace hostsim {

inline std::wstring TextOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

// The width in pixels of the window's text on one line, in the window's own
// font; -1 when it cannot be measured.
inline int TextWidthOf(HWND window) {
    const std::wstring text = TextOf(window);
    HDC dc = GetDC(window);
    if (dc == nullptr) return -1;
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    SIZE size{};
    const BOOL measured =
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    if (old) SelectObject(dc, old);
    ReleaseDC(window, dc);
    return measured ? size.cx : -1;
}

}  // namespace hostsim
