#include "SelectionList.h"

#include <commctrl.h>

#include <cstdint>

#include "Compatibility.h"
#include "installer/InstallerState.h"
#include "installer/resource.h"

namespace kefo {
namespace {

HWND WizardWindow() {
    const HWND wizard = g_installer.wizardWindow;
    return (wizard != nullptr && IsWindow(wizard)) ? wizard : nullptr;
}

}  // namespace

void ShowSelection(HWND page) {
    const HWND list = page != nullptr ? GetDlgItem(page, IDC_INSTALL_LIST) : nullptr;
    if (list == nullptr) return;
    const int items = ListView_GetItemCount(list);
    for (int n = 0;
         n < items && n < static_cast<int>(g_installer.distributionCount) && n < kMaxAddOns; ++n) {
        ListView_SetCheckState(list, n, g_installer.distributionAddOns[n].selected != 0);
    }
}

HWND CurrentInstallList() {
    const HWND wizard = WizardWindow();
    if (wizard == nullptr) return nullptr;
    const HWND page = PropSheet_GetCurrentPageHwnd(wizard);
    return page != nullptr ? GetDlgItem(page, IDC_INSTALL_LIST) : nullptr;
}

void UpdateSelectButtons() {
    const HWND wizard = WizardWindow();
    if (wizard == nullptr) return;
    PropSheet_SetWizButtons(wizard, CountToInstall() > 0 ? PSWIZB_BACK | PSWIZB_NEXT : PSWIZB_BACK);
}

}  // namespace kefo
