// The installer's start-up sequence: host discovery, an interrupted
// installation put in order, both scans and the matching of what is
// installed.
#include "Startup.h"

#include <string>

#include "installer/InstallerMessages.h"
#include "installer/InstallerState.h"
#include "installer/InstallerText.h"
#include "installer/discovery/HostDiscovery.h"
#include "installer/install/InterruptedInstallation.h"
#include "installer/resource.h"
#include "installer/scan/AddOnScan.h"
#include "installer/scan/Compatibility.h"
#include "support/BoundedText.h"

namespace kefo {
namespace {

void Quit(const std::wstring& text) {
    ShowInstallerMessage(text.c_str(), MB_OK | MB_ICONHAND);
    PostQuitMessage(0);
}

// The folder's full, long spelling without a trailing backslash, so that
// "C:\PROGRA~1\x\.\AddOns\" compares equal to "C:\Program Files\x\AddOns".
std::wstring CanonicalFolder(const wchar_t* folder) {
    wchar_t full[kAddOnsFolderChars] = L"";
    DWORD length = GetFullPathNameW(folder, kAddOnsFolderChars, full, nullptr);
    if (length == 0 || length >= kAddOnsFolderChars) return folder;
    wchar_t longName[kAddOnsFolderChars] = L"";
    const DWORD longLength = GetLongPathNameW(full, longName, kAddOnsFolderChars);
    std::wstring result = (longLength > 0 && longLength < kAddOnsFolderChars) ? longName : full;
    while (result.size() > 1 && (result.back() == L'\\' || result.back() == L'/'))
        result.pop_back();
    return result;
}

bool IsSameFolder(const wchar_t* a, const wchar_t* b) {
    const std::wstring first = CanonicalFolder(a);
    const std::wstring second = CanonicalFolder(b);
    return CompareStringOrdinal(first.c_str(), static_cast<int>(first.size()), second.c_str(),
                                static_cast<int>(second.size()), TRUE) == CSTR_EQUAL;
}

// Drive and folder of the program's own file, with the trailing backslash.
bool FindProgramFolder(wchar_t (&folder)[kFolderChars]) {
    wchar_t path[kFolderChars] = L"";
    const DWORD length = GetModuleFileNameW(g_installer.instance, path, kFolderChars);
    if (length == 0 || length >= static_cast<DWORD>(kFolderChars)) {
        // A cut path would name another folder.
        path[kFolderChars - 1] = L'\0';
        ReportSystemFailure(length == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER,
                            L"GetModuleFileName", path);
        return false;
    }
    std::size_t end = length;
    while (end > 0 && path[end - 1] != L'\\' && path[end - 1] != L'/') --end;
    path[end] = L'\0';
    CopyCut(folder, path);
    return true;
}

}  // namespace

void StartInstaller() {
    StartInstallerFrom(nullptr);
}

void StartInstallerFrom(const wchar_t* distributionFolder) {
    if (!DiscoverHost()) {
        PostQuitMessage(0);
        return;
    }
    if (distributionFolder != nullptr) {
        CopyCut(g_installer.distributionFolder, distributionFolder);
    } else if (!FindProgramFolder(g_installer.distributionFolder)) {
        PostQuitMessage(0);
        return;
    }

    // Installing from the add-ons folder would replace the files with
    // themselves.
    if (IsSameFolder(g_installer.distributionFolder, g_installer.addOnsFolder)) {
        Quit(FormatInstallerString(IDS_STARTED_IN_ADDONS_FOLDER, g_installer.addOnsFolder));
        return;
    }

    // An installation that ended half-way is finished or undone before the
    // installed add-ons are read; what cannot be put in order has been told
    // and is tried again before anything is installed.
    RecoverInterruptedInstallation();

    g_installer.distributionCount =
        ScanAddOns(g_installer.distributionFolder, g_installer.distributionAddOns, 1);
    if (g_installer.distributionCount == 0) {
        Quit(LoadInstallerString(g_installer.incompatibleSeen ? IDS_NO_ADDONS_FOR_RELEASE
                                                              : IDS_NO_ADDONS_FOUND));
        return;
    }
    g_installer.installedCount =
        ScanAddOns(g_installer.addOnsFolder, g_installer.installedAddOns, 0);
    MatchInstalled();
}
}  // namespace kefo
