// Windows for the display tests: a plain top-level frame and static
// controls inside it, destroyed with the fixture.
#pragma once

#include <windows.h>

namespace display_tests {

inline HWND CreateFrame(int x, int y, int width, int height) {
    static const wchar_t kClass[] = L"KefoDisplayTestFrame";
    static const ATOM registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClass;
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        return RegisterClassW(&wc);
    }();
    if (registered == 0) return nullptr;
    // Shown without activation: activating a window makes the system wait
    // for a focus change that a bare X server never reports.
    const HWND frame =
        CreateWindowExW(WS_EX_NOACTIVATE, kClass, L"frame", WS_POPUP, x, y, width, height, nullptr,
                        nullptr, GetModuleHandleW(nullptr), nullptr);
    if (frame != nullptr) ShowWindow(frame, SW_SHOWNA);
    return frame;
}

inline HWND CreateStatic(HWND parent, int x, int y, int width, int height,
                         DWORD style = SS_BITMAP) {
    return CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                           parent, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// Handles the messages already queued (paints, pending sizes).
inline void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace display_tests
