#include "AddOnScan.h"

#include <string>

#include "AddOnImage.h"
#include "CKEFOParams.h"
#include "Compatibility.h"
#include "installer/InstallerMessages.h"
#include "installer/InstallerText.h"
#include "installer/resource.h"
#include "support/BoundedText.h"
#include "support/ErrorRecordW.h"
#include "support/ForeignCall.h"
#include "support/UniqueHandle.h"

namespace kefo {
namespace {

const wchar_t kSourcePath[] = L"" __FILE__;

// Hosts from this major version on must not get add-ons of kHiddenKind.
constexpr unsigned kFirstHostHidingKind = 8;
constexpr int kHiddenKind = 8;

// The add-on is foreign code: an exception it lets out, a fault or its
// runtime's abort counts as no answer.
int AskAddOn(KEFO_ProcessingFn processing, CKEFOParams& answer) noexcept {
    int result = kResultUnknown;
    if (!CallForeign([&] { result = processing(&answer); })) return kResultUnknown;
    return result;
}

bool IsHiddenFromHost(const KEFO_Params& answer) {
    return VersionMajor(g_installer.installedHostVersion) >= kFirstHostHidingKind &&
           answer.addOnKind == kHiddenKind;
}

void ForgetDeclaredFiles(AddOnRecord* record) {
    record->helpFile[0] = L'\0';
    for (auto& name : record->companionFiles) name[0] = L'\0';
    record->companionFileCount = 0;
}

// On a drive with short names "*.dll" also finds "x.dllx" through its short
// name; only the real extension counts.
bool HasDllExtension(const wchar_t* name) {
    const std::size_t length = BoundedLength(name, kFolderChars);
    const wchar_t extension[] = L".dll";
    constexpr int kExtensionChars = 4;
    return length > kExtensionChars &&
           CompareStringOrdinal(name + length - kExtensionChars, kExtensionChars, extension,
                                kExtensionChars, TRUE) == CSTR_EQUAL;
}

// The add-on by its full path, once the file read as data has shown it to
// be an add-on of our own machine kind; nothing of another DLL ever runs.
// Its own folder and the system folder are the only places searched for the
// DLLs it needs. A DLL that another program holds without sharing (a
// running host) cannot be read: the user may close that program and retry,
// so that the add-on is still listed. Null when it was not loaded (told,
// unless it is no add-on).
HMODULE LoadAddOn(const wchar_t* path) {
    for (;;) {
        UniqueFile image;  // keeps the file as it was read until it is loaded
        DWORD code = 0;
        const AddOnImage kind = InspectAddOnImage(path, image, code);
        if (kind == AddOnImage::kNotAddOn) return nullptr;
        if (kind == AddOnImage::kAddOn) {
            HMODULE module = LoadLibraryExW(
                path, nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
            // Systems without the search flags, or a path that is not absolute.
            if (module == nullptr && GetLastError() == ERROR_INVALID_PARAMETER)
                module = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
            if (module != nullptr) return module;
            code = GetLastError();
        }
        ErrorRecordW error;
        SetError(kErrorSystem, &error, code, L"LoadLibrary", path, kSourcePath, __LINE__, 0,
                 nullptr);
        const bool held = code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
        const UINT type = held ? MB_RETRYCANCEL | MB_ICONHAND : MB_OK | MB_ICONHAND;
        if (ReportUnexpectedError(error, type) != IDRETRY) return nullptr;
    }
}

}  // namespace

bool QueryAddOnInfo(const wchar_t* path, AddOnRecord* record) {
    if (path == nullptr || record == nullptr) return false;
    ForgetDeclaredFiles(record);  // the add-on declares its files afresh
    CKEFOParams answer(record);
    int result = kResultUnknown;
    {
        UniqueHModule module(LoadAddOn(path));
        if (!module) return false;
        const auto processing = reinterpret_cast<KEFO_ProcessingFn>(
            reinterpret_cast<void*>(GetProcAddress(module.Get(), "KEFO_Processing")));
        if (processing == nullptr) return false;
        result = AskAddOn(processing, answer);
    }  // freed here, whatever the answer: only our copy of it is read below

    if (result != kResultHandled || IsHiddenFromHost(answer) || !CheckCompatibility(answer)) {
        ForgetDeclaredFiles(record);
        return false;
    }
    CopyCut(record->displayName, AddOnText(answer.displayName, sizeof answer.displayName).c_str());
    record->version = answer.addOnVersion;
    record->build = static_cast<std::uint32_t>(answer.buildNumber);
    record->isBeta = answer.betaFlag != 0 ? 1 : 0;
    return true;
}

std::uint32_t ScanAddOns(const wchar_t* folder, AddOnRecord* list, std::uint32_t initialSelected) {
    if (folder == nullptr || list == nullptr) return 0;
    const std::wstring pattern = FormatText(L"%s*.dll", {folder});
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW(pattern.c_str(), &found));
    if (!search) return 0;

    std::uint32_t count = 0;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
            !HasDllExtension(found.cFileName))
            continue;
        // A DLL that is not listed leaves its place to the next one, so the
        // place starts empty every time.
        AddOnRecord& record = list[count];
        record = AddOnRecord{};
        CopyCut(record.fileName, found.cFileName);
        record.selected = initialSelected;
        const std::wstring path = FormatText(L"%s%s", {folder, record.fileName});
        if (QueryAddOnInfo(path.c_str(), &record)) ++count;
    } while (count < static_cast<std::uint32_t>(kMaxAddOns) && FindNextFileW(search.Get(), &found));

    // No half-filled record of a refused DLL after the listed ones.
    if (count < static_cast<std::uint32_t>(kMaxAddOns)) list[count] = AddOnRecord{};
    return count;
}

}  // namespace kefo
