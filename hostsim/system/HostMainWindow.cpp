#include "HostMainWindow.h"

namespace hostsim {
namespace {

const char kMainClass[] = "KefoHostSimMain";

ATOM RegisterMainClass() {
    static const ATOM atom = [] {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = &DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
        windowClass.lpszClassName = kMainClass;
        return RegisterClassA(&windowClass);
    }();
    return atom;
}

}  // namespace

HostMainWindow::HostMainWindow(const char* title) {
    if (!RegisterMainClass()) return;
    window_ = CreateWindowExA(0, kMainClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 800,
                              560, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window_) UpdateWindow(window_);
}

HostMainWindow::~HostMainWindow() {
    if (window_) DestroyWindow(window_);
}

}  // namespace hostsim
