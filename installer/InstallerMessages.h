// Every message box the installer shows goes through ShowInstallerMessage,
// so all of them have the wizard window as owner (modal to it) and the same
// caption. The two reports turn a failed system call into the installer's
// one message for unexpected errors.
//
//     if (!CreateDirectoryW(folder, nullptr))
//         ReportSystemFailure(GetLastError(), L"CreateDirectory", folder);
//
// Calling thread: the wizard's UI thread.
#pragma once

#include <windows.h>

#include <string>

#include "support/ErrorRecordW.h"

namespace kefo {

// Shows text with the caption string and g_installer.wizardWindow as owner;
// type (buttons, icon, default button) is passed on unchanged. Returns the
// button pressed, as MessageBoxW does.
int ShowInstallerMessage(const wchar_t* text, UINT type);

// The unexpected-error message, with the error icon, from a filled record:
// its code, failed call, argument and the code's text. Where a failure can
// be retried the caller asks for other buttons; the button pressed.
int ReportUnexpectedError(const ErrorRecordW& error, UINT type = MB_OK | MB_ICONHAND);

// The file-in-use question for a file that could not be deleted or replaced
// because another program holds it (or access was denied): the path, the
// code and its system text, Retry and Cancel. True on Retry.
bool AskToRetryFileInUse(const std::wstring& path, DWORD code);

// The same message for a call that failed outside the error records: the
// code's system text is looked up here (empty when the system has none).
void ReportSystemFailure(DWORD code, const wchar_t* function, const wchar_t* argument);

// The function that shows the boxes, MessageBoxW unless replaced (tests
// record the boxes instead of showing them). A null function restores
// MessageBoxW. Returns the function that was in place.
using MessageBoxFunction = int(WINAPI*)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction function) noexcept;

}  // namespace kefo
