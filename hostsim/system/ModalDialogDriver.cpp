#include "ModalDialogDriver.h"

#include <set>

namespace hostsim {
namespace {

constexpr UINT kTickMilliseconds = 10;
constexpr int kMaxSteps = 1000;        // ticks the steps may take
constexpr int kMaxTicksToClose = 500;  // ticks the dialog may take to end after them

struct DriverState {
    const std::function<bool(HWND, int)>* step;
    std::set<HWND> before;  // dialogs that existed before open
    ModalDialogRun run;
    int ticksSinceFinished = 0;
    bool inStep = false;
};

thread_local DriverState* current = nullptr;

bool IsDialogWindow(HWND window) {
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    return lstrcmpA(name, "#32770") == 0;
}

BOOL CALLBACK CollectDialogs(HWND window, LPARAM lParam) {
    if (IsDialogWindow(window)) reinterpret_cast<std::set<HWND>*>(lParam)->insert(window);
    return TRUE;
}

std::set<HWND> ThreadDialogs() {
    std::set<HWND> dialogs;
    EnumThreadWindows(GetCurrentThreadId(), &CollectDialogs, reinterpret_cast<LPARAM>(&dialogs));
    return dialogs;
}

void CloseByWatchdog(DriverState& state) {
    if (!state.run.closedByWatchdog) PostMessageA(state.run.dialog, WM_CLOSE, 0, 0);
    state.run.closedByWatchdog = true;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    DriverState* state = current;
    if (!state || state->inStep) return;
    ModalDialogRun& run = state->run;
    if (!run.dialog) {
        for (HWND dialog : ThreadDialogs())
            if (!state->before.count(dialog) && IsWindowVisible(dialog)) run.dialog = dialog;
        if (!run.dialog) return;
    }
    if (!IsWindow(run.dialog)) return;
    if (!run.finished) {
        if (run.steps >= kMaxSteps) return CloseByWatchdog(*state);
        state->inStep = true;
        run.finished = (*state->step)(run.dialog, run.steps++);
        state->inStep = false;
        return;
    }
    if (++state->ticksSinceFinished > kMaxTicksToClose) CloseByWatchdog(*state);
}

}  // namespace

ModalDialogRun DriveModalDialog(const std::function<void()>& open,
                                const std::function<bool(HWND, int)>& step) {
    DriverState state{&step, ThreadDialogs(), {}, 0, false};
    DriverState* outer = current;
    current = &state;
    UINT_PTR timer = SetTimer(nullptr, 0, kTickMilliseconds, &Tick);
    open();
    if (timer) KillTimer(nullptr, timer);
    current = outer;
    return state.run;
}

}  // namespace hostsim
