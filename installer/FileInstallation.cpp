#include "installer/FileInstallation.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>

#include "installer/CKEFOParams.h"
#include "installer/InstallerMessages.h"
#include "installer/InstallerState.h"
#include "installer/InstallerText.h"
#include "installer/InstallPlan.h"
#include "installer/resource.h"
#include "support/BoundedText.h"
#include "support/ErrorRecordW.h"

namespace kefo {
namespace {

const wchar_t kSourcePath[] = L"" __FILE__;

// A file that is not there any more counts as deleted.
bool IsGone(DWORD code) {
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

void SetFileError(ErrorRecordW& error, DWORD code, const wchar_t* function, const wchar_t* path,
                  int line) {
    SetError(kErrorSystem, &error, code, function, path, kSourcePath, line, 0, nullptr);
}

// The unexpected-error message for a call on path; always false.
bool Fail(DWORD code, const wchar_t* function, const std::wstring& path, int line) {
    ErrorRecordW error;
    SetFileError(error, code, function, path.c_str(), line);
    ReportUnexpectedError(error);
    return false;
}

// The system's text in a record ends in a blank where its line break was.
std::wstring TrimmedText(const ErrorRecordW& error) {
    std::wstring text(error.text, BoundedLength(error.text, std::size(error.text)));
    const std::size_t end = text.find_last_not_of(L" \t\r\n");
    text.erase(end == std::wstring::npos ? 0 : end + 1);
    return text;
}

// What the copy of one file would fail with for reasons known before any
// file is touched; ERROR_SUCCESS when nothing stands in its way.
DWORD CopyObstacle(const std::wstring& name, const std::wstring& source,
                   const std::wstring& destination) {
    if (!IsPlainFileName(name)) return ERROR_INVALID_NAME;
    if (!FitsPath(source) || !FitsPath(destination)) return ERROR_FILENAME_EXCED_RANGE;
    const DWORD found = GetFileAttributesW(source.c_str());
    if (found == INVALID_FILE_ATTRIBUTES) return GetLastError();
    if (found & FILE_ATTRIBUTE_DIRECTORY) return ERROR_ACCESS_DENIED;
    // A read-only file in the way is only cleared on request while it is
    // deleted; a folder is never removed.
    const DWORD target = GetFileAttributesW(destination.c_str());
    if (target == INVALID_FILE_ATTRIBUTES) return ERROR_SUCCESS;
    if (target & FILE_ATTRIBUTE_DIRECTORY) return ERROR_ACCESS_DENIED;
    if ((target & FILE_ATTRIBUTE_READONLY) && !WillBeRemoved(name)) return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

}  // namespace

bool CheckBeforeReplacing() {
    const std::uint32_t installed = std::min<std::uint32_t>(g_installer.installedCount, kMaxAddOns);
    for (std::uint32_t i = 0; i < installed; ++i) {
        if (!WillBeReplaced(i)) continue;
        for (const std::wstring& name : FilesOf(g_installer.installedAddOns[i])) {
            const std::wstring path = AddOnsFolderPath(name);
            if (IsPlainFileName(name) && !FitsPath(path))
                return Fail(ERROR_FILENAME_EXCED_RANGE, L"DeleteFile", path, __LINE__);
        }
    }
    const std::uint32_t count = std::min<std::uint32_t>(g_installer.distributionCount, kMaxAddOns);
    for (std::uint32_t i = 0; i < count; ++i) {
        const AddOnRecord& addOn = g_installer.distributionAddOns[i];
        if (!WillBeCopied(addOn)) continue;
        for (const std::wstring& name : FilesOf(addOn)) {
            const std::wstring destination = AddOnsFolderPath(name);
            const DWORD obstacle = CopyObstacle(name, DistributionPath(name), destination);
            if (obstacle != ERROR_SUCCESS)
                return Fail(obstacle, L"CopyFile", destination, __LINE__);
        }
    }
    return true;
}

bool DeleteFileWithPrompts(const wchar_t* path) {
    if (path == nullptr) return true;
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = GetLastError();
        if (IsGone(code)) return true;
        return Fail(code, L"GetFileAttributes", path, __LINE__);
    }
    // Deleting a folder fails as access denied; asking to close the host
    // and retry would not help.
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return Fail(ERROR_ACCESS_DENIED, L"DeleteFile", path, __LINE__);

    if (attributes & FILE_ATTRIBUTE_READONLY) {
        const std::wstring question = FormatInstallerString(IDS_CONFIRM_OVERWRITE_READONLY, path);
        if (ShowInstallerMessage(question.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES)
            return false;
        DWORD writable = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
        if (writable == 0) writable = FILE_ATTRIBUTE_NORMAL;
        if (!SetFileAttributesW(path, writable)) {
            const DWORD code = GetLastError();
            if (!IsGone(code)) return Fail(code, L"SetFileAttributes", path, __LINE__);
        }
    }

    // No limit on the retries: the user may need several attempts to close
    // whatever holds the file, and Cancel always ends it.
    for (;;) {
        if (DeleteFileW(path)) return true;
        const DWORD code = GetLastError();
        // Gone meanwhile (or through the failed attribute change above).
        if (IsGone(code)) return true;
        ErrorRecordW error;
        SetFileError(error, code, L"DeleteFile", path, __LINE__);
        if (code != ERROR_ACCESS_DENIED && code != ERROR_SHARING_VIOLATION) {
            ReportUnexpectedError(error);
            return false;
        }
        const std::wstring text =
            FormatInstallerString(IDS_DELETE_FAILED, path, error.code, TrimmedText(error));
        if (ShowInstallerMessage(text.c_str(), MB_RETRYCANCEL | MB_ICONEXCLAMATION) != IDRETRY)
            return false;
    }
}

bool RemoveReplacedAddOns() {
    const std::uint32_t count = std::min<std::uint32_t>(g_installer.installedCount, kMaxAddOns);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!WillBeReplaced(i)) continue;
        for (const std::wstring& name : FilesOf(g_installer.installedAddOns[i])) {
            // A name that leads out of the add-ons folder is not the
            // add-on's to delete.
            if (!IsPlainFileName(name)) continue;
            const std::wstring path = AddOnsFolderPath(name);
            if (!FitsPath(path))
                return Fail(ERROR_FILENAME_EXCED_RANGE, L"DeleteFile", path, __LINE__);
            if (!DeleteFileWithPrompts(path.c_str())) return false;
        }
    }
    return true;
}

bool CopySelectedAddOns() {
    const std::uint32_t count = std::min<std::uint32_t>(g_installer.distributionCount, kMaxAddOns);
    for (std::uint32_t i = 0; i < count; ++i) {
        const AddOnRecord& addOn = g_installer.distributionAddOns[i];
        if (!WillBeCopied(addOn)) continue;
        for (const std::wstring& name : FilesOf(addOn)) {
            const std::wstring source = DistributionPath(name);
            const std::wstring destination = AddOnsFolderPath(name);
            if (!IsPlainFileName(name))
                return Fail(ERROR_INVALID_NAME, L"CopyFile", destination, __LINE__);
            if (!FitsPath(source) || !FitsPath(destination))
                return Fail(ERROR_FILENAME_EXCED_RANGE, L"CopyFile", destination, __LINE__);
            if (!CopyFileW(source.c_str(), destination.c_str(), FALSE))
                return Fail(GetLastError(), L"CopyFile", destination, __LINE__);
        }
    }
    return true;
}

}  // namespace kefo
