#include "FileInstallation.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "installer/scan/CKEFOParams.h"
#include "FileCalls.h"
#include "installer/InstallerMessages.h"
#include "installer/InstallerState.h"
#include "installer/InstallerText.h"
#include "InstallPlan.h"
#include "InterruptedInstallation.h"
#include "installer/resource.h"
#include "support/ErrorRecordW.h"
#include "support/UniqueHandle.h"

namespace kefo {
namespace {

const wchar_t kSourcePath[] = L"" __FILE__;

// A file that is not there any more needs no replacing.
bool IsGone(DWORD code) {
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

// The unexpected-error message for a call on path; always false.
bool Fail(DWORD code, const wchar_t* function, const std::wstring& path, int line) {
    ErrorRecordW error;
    SetError(kErrorSystem, &error, code, function, path.c_str(), kSourcePath, line, 0, nullptr);
    ReportUnexpectedError(error);
    return false;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The same file may be named by a replaced add-on and by its successor.
FileChange* Find(std::vector<AddOnChange>& plan, const std::wstring& path) {
    for (AddOnChange& addOn : plan)
        for (FileChange& file : addOn)
            if (SamePath(file.path, path)) return &file;
    return nullptr;
}

// Whether the paths of a file, moved aside and copied, all fit.
bool FitsWithItsNames(const std::wstring& path) {
    return FitsPath(AsideName(path)) && FitsPath(TemporaryName(path));
}

// A file to copy must be in the distribution as a file.
bool CheckSource(const FileChange& file) {
    if (!FitsPath(file.source) || !FitsWithItsNames(file.path))
        return Fail(ERROR_FILENAME_EXCED_RANGE, L"CopyFile", file.path, __LINE__);
    const DWORD found = Files().getAttributes(file.source.c_str());
    if (found == INVALID_FILE_ATTRIBUTES)
        return Fail(GetLastError(), L"CopyFile", file.path, __LINE__);
    if (found & FILE_ATTRIBUTE_DIRECTORY)
        return Fail(ERROR_ACCESS_DENIED, L"CopyFile", file.path, __LINE__);
    return true;
}

// Asks until nothing holds the file, or the user cancels. Opening it for
// deletion without sharing fails as long as another program has it open or
// loaded, which is what would stop its replacement.
bool CheckNotInUse(FileChange& file) {
    for (;;) {
        if (UniqueFile(Files().openForDelete(file.path.c_str()))) return true;
        const DWORD code = GetLastError();
        if (IsGone(code)) {
            file.present = false;
            return true;
        }
        if (code != ERROR_ACCESS_DENIED && code != ERROR_SHARING_VIOLATION)
            return Fail(code, L"DeleteFile", file.path, __LINE__);
        if (!AskToRetryFileInUse(file.path, code)) return false;
    }
}

// The questions for a file that is there now.
bool CheckDestination(FileChange& file) {
    const DWORD attributes = Files().getAttributes(file.path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = GetLastError();
        if (IsGone(code)) return true;
        return Fail(code, L"GetFileAttributes", file.path, __LINE__);
    }
    // A folder in the way is never removed, and closing the host would not help.
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return Fail(ERROR_ACCESS_DENIED, L"DeleteFile", file.path, __LINE__);
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        const std::wstring question =
            FormatInstallerString(IDS_CONFIRM_OVERWRITE_READONLY, file.path);
        if (ShowInstallerMessage(question.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES)
            return false;
    }
    file.present = true;
    file.attributes = attributes;
    return CheckNotInUse(file);
}

}  // namespace

std::vector<AddOnChange> PlanChanges() {
    std::vector<AddOnChange> plan;
    const std::uint32_t count = std::min<std::uint32_t>(g_installer.distributionCount, kMaxAddOns);
    for (std::uint32_t d = 0; d < count; ++d) {
        const AddOnRecord& addOn = g_installer.distributionAddOns[d];
        if (!WillBeCopied(addOn)) continue;
        AddOnChange change;
        // A path is changed once: a file removed with one add-on and brought
        // by another is replaced where it was first named.
        auto add = [&](const std::wstring& path, const std::wstring& source) {
            FileChange* known = Find(plan, path);
            for (FileChange& file : change)
                if (known == nullptr && SamePath(file.path, path)) known = &file;
            if (known == nullptr) {
                change.push_back({path, source});
            } else if (known->source.empty()) {
                known->source = source;
            }
        };
        // Names that lead out of the add-ons folder are checked when copied
        // and never removed.
        for (std::uint32_t i : ReplacedBy(d))
            for (const std::wstring& name : FilesOf(g_installer.installedAddOns[i]))
                if (IsPlainFileName(name)) add(AddOnsFolderPath(name), std::wstring());
        for (const std::wstring& name : FilesOf(addOn))
            add(AddOnsFolderPath(name), DistributionPath(name));
        plan.push_back(std::move(change));
    }
    return plan;
}

bool CheckBeforeReplacing(std::vector<AddOnChange>& plan) {
    for (const AddOnChange& addOn : plan) {
        for (const FileChange& file : addOn) {
            if (file.source.empty()) {
                if (!FitsWithItsNames(file.path))
                    return Fail(ERROR_FILENAME_EXCED_RANGE, L"DeleteFile", file.path, __LINE__);
                continue;
            }
            if (!IsPlainFileName(file.path.substr(AddOnsFolderPath(L"").size())))
                return Fail(ERROR_INVALID_NAME, L"CopyFile", file.path, __LINE__);
            if (!CheckSource(file)) return false;
        }
    }
    for (AddOnChange& addOn : plan)
        for (FileChange& file : addOn)
            if (!CheckDestination(file)) return false;
    return true;
}

bool InstallSelectedAddOns() {
    // Files left since start-up must not stand in the way.
    if (!RecoverInterruptedInstallation()) return false;
    std::vector<AddOnChange> plan = PlanChanges();
    if (!CheckBeforeReplacing(plan)) return false;
    return AddOnReplacement(std::move(plan)).Apply();
}

}  // namespace kefo
