// Putting the chosen add-ons in place: the selected add-ons are copied from
// the distribution into the host's add-ons folder, replacing the installed
// add-ons of their names, and the Install Process page shows the outcome.
//
// An add-on is its DLL, its help file (when it has one) and its companion
// files, always handled in that order and always inside the folder of its
// list. An installed add-on is only removed when a selected add-on of its
// name is copied in its place.
//
// No add-on is ever lost: every question the installation can need (a
// read-only file to overwrite, a file another program holds) is asked
// before the first file changes, and the change itself is undone completely
// when any step of it fails (AddOnReplacement.h).
//
// Every failure has been told to the user (owned by the wizard window) by
// the time a function returns false.
//
// Calling thread: the wizard's UI thread; only the message boxes pump
// messages while files are checked and changed.
#pragma once

#include <windows.h>

#include <vector>

#include "AddOnReplacement.h"

namespace kefo {

// The Install Process page's work, run once from the timer message the page
// posts to itself: creates the add-ons folder if needed, installs the
// selected add-ons, then shows the success or failure mark and text on the
// page, enables the sheet's Finish button (g_installer.wizardWindow, when
// set) and, after a success while the host runs, asks for the host to be
// restarted.
void RunInstallation(HWND page);

// The files each copied add-on changes, in list order.
std::vector<AddOnChange> PlanChanges();

// Asks every question before anything changes and checks that the plan can
// go through: every file to copy is in the distribution, every path fits, a
// read-only file in the way may be overwritten (the read-only question),
// and no other program holds a file that is replaced (the file-in-use
// question, with Retry). Notes which files are there now. False on No or
// Cancel or an unexpected error (told); touches no file.
bool CheckBeforeReplacing(std::vector<AddOnChange>& plan);

// CheckBeforeReplacing, then the replacement itself.
bool InstallSelectedAddOns();

}  // namespace kefo
