// Finding the installed host: its version, edition and folders from the
// registry, and whether it is running now.
//
// DiscoverHost runs once, before any add-on is looked at. It reads
// HKEY_LOCAL_MACHINE\Software\Brendle\Tavolin ("Version", optional
// "Edition") and the "Path" value of the sub-key named by the version. On
// success it fills the host fields of g_installer; on failure it has
// already told the user why (owned by the wizard window) and leaves them
// as they were, and the wizard quits.
//
// Calling thread: the wizard's UI thread.
#pragma once

namespace kefo {

// The oldest host version that takes add-ons.
constexpr wchar_t kFirstHostWithAddOns[] = L"4.5";

bool DiscoverHost();

// True when the host's main window exists.
bool IsHostRunning();

}  // namespace kefo
