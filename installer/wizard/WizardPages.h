// The wizard's three pages (Welcome, Select add-ons, Install Process) and
// what they share. Each page is a dialog from KEFO_Install.rc run by the
// property sheet; the pages call the installer's logic at fixed moments:
// start-up on the Welcome page's first paint, the selection rules on the
// Select page, the installation once the Install page is shown.
//
// A page answers the sheet's notifications through DWLP_MSGRESULT, so the
// procedures return TRUE for what they handled. No exception leaves them.
//
// Calling thread: the wizard's UI thread.
#pragma once

#include <windows.h>

#include <string>

#include "installer/InstallerState.h"

namespace kefo {

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SelectPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK InstallPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Asks whether to leave the installer (No is the default button); true on Yes.
bool ConfirmExit();

// Answers a notification: the result goes to DWLP_MSGRESULT, and the
// returned TRUE tells the dialog manager to pass it on.
INT_PTR SetPageResult(HWND page, LONG_PTR result) noexcept;

// The version column of a record: "1.2" without a build number, else
// "1.2 (build 7)" or "1.2-Beta (build 7)" from the string table.
std::wstring VersionText(const AddOnRecord& record);

// The start-up sequence (StartInstaller unless replaced) and the installation
// (RunInstallation unless replaced); tests put their own steps in. A null
// step restores the real one. Each returns the step that was in place.
using StartupStep = void (*)();
using InstallationStep = void (*)(HWND page);
StartupStep SetStartupStep(StartupStep step) noexcept;
InstallationStep SetInstallationStep(InstallationStep step) noexcept;

}  // namespace kefo
