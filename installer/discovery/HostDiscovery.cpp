#include "HostDiscovery.h"

#include <windows.h>

#include <string>

#include "BaseRegistry.h"
#include "HostVersion.h"
#include "installer/InstallerMessages.h"
#include "installer/InstallerState.h"
#include "installer/InstallerText.h"
#include "installer/resource.h"
#include "support/BoundedText.h"

namespace kefo {
namespace {

const wchar_t kProductKey[] = L"Software\\Brendle\\Tavolin";
const wchar_t kHostWindowClass[] = L"TavolinWndClass";
const wchar_t kAddOnsFolderName[] = L"AddOns";

constexpr int kVersionTextChars = 780;

bool Refuse(const std::wstring& text) {
    ShowInstallerMessage(text.c_str(), MB_OK | MB_ICONHAND);
    return false;
}

bool RefuseUnexpected(const ErrorRecordW& error) {
    ReportUnexpectedError(error);
    return false;
}

// Both the result and the record: a wrong-data record is a failure too.
bool Failed(LONG result, const ErrorRecordW& error) {
    return result != ERROR_SUCCESS || error.kind != kErrorNone;
}

bool IsFolder(const wchar_t* path) {
    // Unlike a search for the name, this neither accepts a plain file nor
    // matches wildcards, and takes a trailing backslash or a drive's root.
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// folder "\AddOns\", without doubling a backslash the folder already ends
// in: later parts compare this text with other folders.
void BuildAddOnsFolder(const wchar_t* hostFolder, wchar_t (&addOnsFolder)[kAddOnsFolderChars]) {
    CopyCut(addOnsFolder, hostFolder);
    const std::size_t length = BoundedLength(addOnsFolder, kAddOnsFolderChars);
    if (length == 0 || addOnsFolder[length - 1] != L'\\') AppendCut(addOnsFolder, L"\\");
    AppendCut(addOnsFolder, kAddOnsFolderName);
    AppendCut(addOnsFolder, L"\\");
}

}  // namespace

bool DiscoverHost() {
    ErrorRecordW error;
    ClearError(&error);

    wchar_t productPath[kRegistryPathChars] = L"";
    UniqueHKey product;
    LONG result = BaRe_OpenKey(HKEY_LOCAL_MACHINE, kProductKey, productPath, &error, product);
    if (result == ERROR_FILE_NOT_FOUND) return Refuse(LoadInstallerString(IDS_HOST_NOT_INSTALLED));
    if (Failed(result, error)) return RefuseUnexpected(error);

    wchar_t version[kVersionTextChars] = L"";
    DWORD size = sizeof version;
    result =
        BaRe_QueryValue(product.Get(), L"Version", REG_SZ, version, &size, productPath, &error);
    if (result == ERROR_FILE_NOT_FOUND)
        return Refuse(LoadInstallerString(IDS_HOST_NOT_INSTALLED_PROPERLY));
    if (Failed(result, error)) return RefuseUnexpected(error);

    // Read before the version check, so a broken value is reported even
    // for a host too old to go on with.
    DWORD edition = 0;
    size = sizeof edition;
    result =
        BaRe_QueryValue(product.Get(), L"Edition", REG_DWORD, &edition, &size, productPath, &error);
    if (result == ERROR_FILE_NOT_FOUND) {
        edition = 0;
    } else if (Failed(result, error)) {
        return RefuseUnexpected(error);
    }

    if (CompareVersionStrings(version, kFirstHostWithAddOns) < 0) {
        return Refuse(
            FormatInstallerString(IDS_HOST_WITHOUT_ADDONS, version, kFirstHostWithAddOns));
    }

    // The version key's path continues the product key's.
    wchar_t versionPath[kRegistryPathChars];
    CopyCut(versionPath, productPath);
    UniqueHKey versionKey;
    result = BaRe_OpenKey(product.Get(), version, versionPath, &error, versionKey);
    if (result == ERROR_FILE_NOT_FOUND)
        return Refuse(LoadInstallerString(IDS_HOST_NOT_INSTALLED_PROPERLY));
    if (Failed(result, error)) return RefuseUnexpected(error);

    wchar_t hostFolder[kFolderChars] = L"";
    size = sizeof hostFolder;
    result =
        BaRe_QueryValue(versionKey.Get(), L"Path", REG_SZ, hostFolder, &size, versionPath, &error);
    if (result == ERROR_FILE_NOT_FOUND)
        return Refuse(LoadInstallerString(IDS_HOST_NOT_INSTALLED_PROPERLY));
    if (Failed(result, error)) return RefuseUnexpected(error);

    // An empty Path would otherwise name the current folder.
    if (hostFolder[0] == L'\0' || !IsFolder(hostFolder))
        return Refuse(FormatInstallerString(IDS_HOST_FOLDER_MISSING, hostFolder));

    g_installer.installedHostEdition = edition;
    g_installer.installedHostVersion = ParseVersionNumber(version);
    CopyCut(g_installer.hostFolder, hostFolder);
    BuildAddOnsFolder(hostFolder, g_installer.addOnsFolder);
    return true;
}

bool IsHostRunning() {
    return FindWindowW(kHostWindowClass, nullptr) != nullptr;
}

}  // namespace kefo
