// The stand-in host's main window: a plain visible top-level window that owns
// add-on dialogs (About boxes, dialog-only instances) the way the host's own
// main window does. Destroyed with the object.
#pragma once

#include <windows.h>

namespace hostsim {

class HostMainWindow {
public:
    explicit HostMainWindow(const char* title = "Host");
    ~HostMainWindow();
    HostMainWindow(const HostMainWindow&) = delete;
    HostMainWindow& operator=(const HostMainWindow&) = delete;

    HWND Handle() const { return window_; }

private:
    HWND window_ = nullptr;
};

}  // namespace hostsim
