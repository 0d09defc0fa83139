// Key presses through the system's keyboard input, as a user makes them: the
// window comes to the foreground first, so the key reaches its focus.
#pragma once

#include <windows.h>

namespace testing_input {

inline void PressKey(HWND window, WORD virtualKey) {
    SetForegroundWindow(window);
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = virtualKey;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
}

}  // namespace testing_input
