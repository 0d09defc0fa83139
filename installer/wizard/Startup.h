// The start-up sequence of the wizard.
//
// Calling thread: the wizard's UI thread.
#pragma once

namespace kefo {

// The start-up sequence, run once from the Welcome page's first paint: host
// discovery, both scans, matching. On a failure it has shown its message
// and posted the quit message.
void StartInstaller();

// StartInstaller with the distribution in the given folder (ending in a
// backslash) instead of the program's own; null means the program's own.
void StartInstallerFrom(const wchar_t* distributionFolder);

}  // namespace kefo
