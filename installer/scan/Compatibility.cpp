#include "Compatibility.h"

#include <commctrl.h>

#include "CKEFOParams.h"
#include "installer/InstallerMessages.h"
#include "installer/InstallerText.h"
#include "SelectionList.h"
#include "installer/resource.h"
#include "support/BoundedText.h"

namespace kefo {
namespace {

std::uint32_t DistributionCount() {
    return g_installer.distributionCount < static_cast<std::uint32_t>(kMaxAddOns)
               ? g_installer.distributionCount
               : static_cast<std::uint32_t>(kMaxAddOns);
}

std::uint32_t InstalledCount() {
    return g_installer.installedCount < static_cast<std::uint32_t>(kMaxAddOns)
               ? g_installer.installedCount
               : static_cast<std::uint32_t>(kMaxAddOns);
}

bool SameName(const AddOnRecord& a, const AddOnRecord& b) {
    return CompareStringOrdinal(
               a.displayName, static_cast<int>(BoundedLength(a.displayName, kDisplayNameChars)),
               b.displayName, static_cast<int>(BoundedLength(b.displayName, kDisplayNameChars)),
               TRUE) == CSTR_EQUAL;
}

// a is a later release than b: a higher version, or the same with a
// higher build.
bool IsLaterRelease(const AddOnRecord& a, const AddOnRecord& b) {
    const std::int32_t keyA = VersionKey(a.version);
    const std::int32_t keyB = VersionKey(b.version);
    return keyA > keyB || (keyA == keyB && a.build > b.build);
}

// The installed copy a distribution record is compared with; null when it
// has none.
const AddOnRecord* Counterpart(const AddOnRecord& record) {
    if (record.matched == 0 || record.matchIndex >= InstalledCount()) return nullptr;
    return &g_installer.installedAddOns[record.matchIndex];
}

// Every installed copy of record's name is removed exactly when a
// distribution add-on of that name is to be installed.
void MarkInstalledCopies(const AddOnRecord& record) {
    if (Counterpart(record) == nullptr) return;
    bool replace = false;
    for (std::uint32_t d = 0; d < DistributionCount(); ++d) {
        const AddOnRecord& other = g_installer.distributionAddOns[d];
        if (SameName(other, record) && other.selected != 0 && !IsOlderThanInstalled(other))
            replace = true;
    }
    for (std::uint32_t i = 0; i < InstalledCount(); ++i) {
        AddOnRecord& installed = g_installer.installedAddOns[i];
        if (SameName(installed, record)) installed.selected = replace ? 1 : 0;
    }
}

}  // namespace

std::wstring HostEditionText(std::uint32_t edition) {
    switch (edition) {
        case 0: return LoadInstallerString(IDS_EDITION_TALVO);
        case 1: return LoadInstallerString(IDS_EDITION_PRESK);
        default: return LoadInstallerString(IDS_EDITION_DORRIN);
    }
}

std::wstring RequiredEditionText(std::int32_t edition) {
    switch (ClampRequiredEdition(edition)) {
        case 0: return LoadInstallerString(IDS_REQUIRES_ANY_EDITION);
        case 1: return LoadInstallerString(IDS_REQUIRES_PRESK_OR_HIGHER);
        default: return LoadInstallerString(IDS_REQUIRES_DORRIN);
    }
}

bool CheckCompatibility(const KEFO_Params_8_0& answer) {
    const std::int32_t required = ClampRequiredEdition(answer.requiredEdition);
    const std::uint32_t host = g_installer.installedHostVersion;
    // Unsigned, so that a negative requirement asks too much of any host.
    if (VersionKey(answer.minHostVersion) <= VersionKey(host) &&
        static_cast<std::uint32_t>(required) <= g_installer.installedHostEdition)
        return true;

    const std::wstring text = FormatInstallerString(
        IDS_HOST_TOO_OLD, AddOnText(answer.displayName, sizeof answer.displayName),
        VersionMajor(answer.addOnVersion), VersionMinor(answer.addOnVersion),
        VersionMajor(answer.minHostVersion), VersionMinor(answer.minHostVersion),
        RequiredEditionText(required), VersionMajor(host), VersionMinor(host),
        HostEditionText(g_installer.installedHostEdition));
    ShowInstallerMessage(text.c_str(), MB_OK | MB_ICONEXCLAMATION);
    g_installer.incompatibleSeen = true;
    return false;
}

bool IsNewerThanInstalled(const AddOnRecord& record) {
    const AddOnRecord* installed = Counterpart(record);
    return installed == nullptr || IsLaterRelease(record, *installed);
}

bool IsOlderThanInstalled(const AddOnRecord& record) {
    const AddOnRecord* installed = Counterpart(record);
    return installed != nullptr && VersionKey(record.version) < VersionKey(installed->version);
}

std::uint32_t CountToInstall() {
    std::uint32_t count = 0;
    for (std::uint32_t d = 0; d < DistributionCount(); ++d) {
        const AddOnRecord& record = g_installer.distributionAddOns[d];
        if (record.selected != 0 && !IsOlderThanInstalled(record)) ++count;
    }
    return count;
}

void MatchInstalled() {
    for (std::uint32_t d = 0; d < DistributionCount(); ++d) {
        AddOnRecord& record = g_installer.distributionAddOns[d];
        record.matched = 0;
        record.matchIndex = 0;
        for (std::uint32_t i = 0; i < InstalledCount(); ++i) {
            const AddOnRecord& installed = g_installer.installedAddOns[i];
            if (!SameName(record, installed)) continue;
            // The newest copy; of equal ones the last.
            if (record.matched == 0 ||
                !IsLaterRelease(g_installer.installedAddOns[record.matchIndex], installed))
                record.matchIndex = i;
            record.matched = 1;
        }
        if (record.matched != 0) record.selected = IsNewerThanInstalled(record) ? 1 : 0;
    }
    for (std::uint32_t d = 0; d < DistributionCount(); ++d)
        MarkInstalledCopies(g_installer.distributionAddOns[d]);
}

void OnSelectionChanged(int item) {
    const HWND list = CurrentInstallList();
    if (list != nullptr && item >= 0 && static_cast<std::uint32_t>(item) < DistributionCount()) {
        AddOnRecord& record = g_installer.distributionAddOns[item];
        const auto isChecked = [&] { return ListView_GetCheckState(list, item) == 1u; };
        if (isChecked() && IsOlderThanInstalled(record)) {
            ListView_SetCheckState(list, item, FALSE);
            const AddOnRecord& installed = *Counterpart(record);
            const std::wstring text = FormatInstallerString(
                IDS_OLDER_IN_DISTRIBUTION, installed.displayName, VersionMajor(installed.version),
                VersionMinor(installed.version), VersionMajor(record.version),
                VersionMinor(record.version));
            ShowInstallerMessage(text.c_str(), MB_OK | MB_ICONEXCLAMATION);
        }
        record.selected = isChecked() ? 1 : 0;
        MarkInstalledCopies(record);
    }
    UpdateSelectButtons();
}

bool ConfirmReplacements() {
    const HWND list = CurrentInstallList();
    for (std::uint32_t d = 0; d < DistributionCount(); ++d) {
        AddOnRecord& record = g_installer.distributionAddOns[d];
        // Not newer means matched; with not older it is the same release.
        if (record.selected == 0 || IsOlderThanInstalled(record) || IsNewerThanInstalled(record))
            continue;
        const std::wstring text =
            FormatInstallerString(IDS_CONFIRM_REPLACE, record.displayName,
                                  VersionMajor(record.version), VersionMinor(record.version));
        const bool replace =
            ShowInstallerMessage(text.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
        record.selected = replace ? 1 : 0;
        MarkInstalledCopies(record);
        if (list != nullptr) ShowSelection(GetParent(list));
    }
    return CountToInstall() > 0;
}

}  // namespace kefo
