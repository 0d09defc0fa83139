// A dialog procedure's body that nothing thrown unwinds out of: an exception
// would travel into the system's dialog manager, which has no handler for
// it. The message is then answered FALSE, the dialog manager's default.
//
//     INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM w, LPARAM l) {
//         return GuardDialogMessage([&] { return HandleMessage(dialog, message, w, l); });
//     }
#pragma once

#include <windows.h>

namespace kefo {

template <typename Handler>
INT_PTR GuardDialogMessage(Handler&& handle) noexcept {
    try {
        return handle();
    } catch (...) {
        return FALSE;
    }
}

}  // namespace kefo
