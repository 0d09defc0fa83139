// Putting the chosen add-ons in place: the replaced add-ons are deleted from
// the host's add-ons folder, the selected ones copied there from the
// distribution, and the Install Process page shows the outcome.
//
// An add-on is its DLL, its help file (when it has one) and its companion
// files, always handled in that order and always inside the folder of its
// list. Nothing is rolled back: what was deleted or copied before a failure
// stays so. To keep that from losing an add-on, RunInstallation checks
// before deleting anything that every file it will copy is there, and an
// installed add-on is only deleted when a selected add-on of its name will
// be copied in its place.
//
// Every failure has been told to the user (owned by the wizard window) by
// the time a function returns false.
//
// Calling thread: the wizard's UI thread; only the message boxes pump
// messages while files are deleted and copied.
#pragma once

#include <windows.h>

namespace kefo {

// The Install Process page's work, run once from the timer message the page
// posts to itself: creates the add-ons folder if needed, removes the
// replaced add-ons, copies the selected ones, then shows the success or
// failure mark and text on the page, enables the sheet's Finish button
// (g_installer.wizardWindow, when set) and, after a success while the host
// runs, asks for the host to be restarted.
void RunInstallation(HWND page);

// Whether the installation can go through without losing an add-on: every
// file to be copied is in the distribution, nothing that will not be
// deleted first blocks its destination, and every path fits. Says why not
// (as the failed copy would) and returns false otherwise. Touches no file.
bool CheckBeforeReplacing();

// Deletes every installed add-on marked for removal, one after the other.
// Stops at the first file that could not be deleted.
bool RemoveReplacedAddOns();

// Copies every selected distribution add-on that is not older than the
// installed one into the add-ons folder, overwriting what is there. Stops
// at the first failed copy.
bool CopySelectedAddOns();

// Deletes one file, asking before a read-only file is overwritten and
// offering Retry while the file is in use. True when the file is gone,
// including when it was never there.
bool DeleteFileWithPrompts(const wchar_t* path);

}  // namespace kefo
