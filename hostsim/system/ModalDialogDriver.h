// Drives a modal dialog from inside its own message loop, the way a user
// would: DriveModalDialog calls `open` (which shows a modal dialog on this
// thread and returns when it has ended) and, from a timer that the dialog's
// loop dispatches, hands the first new dialog window of this thread to `step`
// once per tick until `step` returns true. A dialog still open long after
// that (or whose steps never finish) is closed with WM_CLOSE, and the result
// says so, so a test fails instead of hanging.
//
// The tick count bounds are counts, not times: nothing here measures time.
#pragma once

#include <windows.h>

#include <functional>

namespace hostsim {

struct ModalDialogRun {
    HWND dialog = nullptr;          // the dialog the steps saw; dead once open returned
    int steps = 0;                  // calls of step
    bool finished = false;          // step returned true
    bool closedByWatchdog = false;  // the driver had to close the dialog
};

ModalDialogRun DriveModalDialog(const std::function<void()>& open,
                                const std::function<bool(HWND dialog, int step)>& step);

}  // namespace hostsim
