// The Select page's list of distribution add-ons (list 1027) and its check
// boxes, seen from the selection rules: item n of the list is record n of
// g_installer.distributionAddOns.
//
// Calling thread: the wizard's UI thread. Every routine does nothing when
// the wizard window, its page or the list is not there (as in tests of the
// rules without a wizard).
#pragma once

#include <windows.h>

namespace kefo {

// Sets the check box of every item of list 1027 on page from its record's
// selected flag.
void ShowSelection(HWND page);

// List 1027 of the wizard's current page; null when there is none.
HWND CurrentInstallList();

// Back and Next when something is to be installed (CountToInstall), else
// Back only.
void UpdateSelectButtons();

}  // namespace kefo
