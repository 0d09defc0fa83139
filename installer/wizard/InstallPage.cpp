// The Install Process page (dialog 108): once it is shown, the installation
// runs from a message the page posts to itself, so the page is painted
// before the work starts. Meanwhile the wizard cannot be cancelled; after
// it, the Cancel button reads "Finish" and closes the wizard.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "installer/install/FileInstallation.h"
#include "installer/InstallerText.h"
#include "WizardPages.h"
#include "installer/resource.h"
#include "support/DialogGuard.h"

namespace kefo {
namespace {

constexpr UINT_PTR kInstallationTimer = 1;  // a posted WM_TIMER only; no timer is created

enum class Installation { kWaiting, kPosted, kStarted };

InstallationStep g_installation = &RunInstallation;
Installation g_state = Installation::kWaiting;  // of the one page there is

void OnSetActive(HWND page) {
    HWND sheet = GetParent(page);
    PropSheet_SetWizButtons(sheet, 0);
    // The page has no way back, so it becomes active once; should the sheet
    // say so again, the installation is neither repeated nor made
    // uncancellable again.
    if (g_state != Installation::kWaiting) return;
    const std::wstring finish = LoadInstallerString(IDS_FINISH);
    g_installer.installing = true;
    SetWindowTextW(GetDlgItem(sheet, IDCANCEL), finish.c_str());
    PropSheet_CancelToClose(sheet);
    g_state = Installation::kPosted;
    if (!PostMessageW(page, WM_TIMER, kInstallationTimer, 0)) {
        g_state = Installation::kStarted;
        g_installation(page);  // better early than never
    }
}

void OnInstallationTimer(HWND page) {
    if (g_state != Installation::kPosted) return;
    g_state = Installation::kStarted;
    try {
        g_installation(page);
    } catch (...) {
        // Whatever happened, the user must be able to leave.
        g_installer.installing = false;
        EnableWindow(GetDlgItem(GetParent(page), IDCANCEL), TRUE);
    }
}

INT_PTR OnNotify(HWND page, const NMHDR& header) {
    switch (header.code) {
        case PSN_SETACTIVE: OnSetActive(page); return SetPageResult(page, 0);
        case PSN_QUERYCANCEL: return SetPageResult(page, g_installer.installing ? TRUE : FALSE);
        default: return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK InstallPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    return GuardDialogMessage([&]() -> INT_PTR {
        switch (message) {
            case WM_INITDIALOG:
                g_state = Installation::kWaiting;
                ShowWindow(GetDlgItem(page, IDC_RESULT_MARK), SW_HIDE);
                ShowWindow(GetDlgItem(page, IDC_RESULT_TEXT), SW_HIDE);
                return TRUE;
            case WM_TIMER:
                if (wParam != kInstallationTimer) return FALSE;
                OnInstallationTimer(page);
                return TRUE;
            case WM_NOTIFY: return OnNotify(page, *reinterpret_cast<const NMHDR*>(lParam));
            default: return FALSE;
        }
    });
}

InstallationStep SetInstallationStep(InstallationStep step) noexcept {
    const InstallationStep previous = g_installation;
    g_installation = step ? step : &RunInstallation;
    return previous;
}

}  // namespace kefo
