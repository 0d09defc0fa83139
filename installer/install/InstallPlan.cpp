#include "InstallPlan.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <utility>

#include "installer/scan/Compatibility.h"
#include "support/BoundedText.h"

namespace kefo {
namespace {

template <std::size_t N>
std::wstring FieldText(const wchar_t (&field)[N]) {
    return std::wstring(field, BoundedLength(field, N));
}

std::uint32_t DistributionCount() {
    return std::min<std::uint32_t>(g_installer.distributionCount, kMaxAddOns);
}

std::uint32_t InstalledCount() {
    return std::min<std::uint32_t>(g_installer.installedCount, kMaxAddOns);
}

// Add-ons are matched by display name, ignoring case.
bool SameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

std::vector<std::wstring> FilesOf(const AddOnRecord& addOn) {
    std::vector<std::wstring> files;
    auto add = [&files](std::wstring name) {
        if (!name.empty()) files.push_back(std::move(name));
    };
    add(FieldText(addOn.fileName));
    add(FieldText(addOn.helpFile));
    const std::uint32_t companions =
        std::min<std::uint32_t>(addOn.companionFileCount, kMaxCompanionFiles);
    for (std::uint32_t i = 0; i < companions; ++i) add(FieldText(addOn.companionFiles[i]));
    return files;
}

std::wstring AddOnsFolderPath(const std::wstring& name) {
    return FieldText(g_installer.addOnsFolder) + name;
}

std::wstring DistributionPath(const std::wstring& name) {
    return FieldText(g_installer.distributionFolder) + name;
}

bool FitsPath(const std::wstring& path) {
    return path.size() < MAX_PATH;
}

bool WillBeCopied(const AddOnRecord& addOn) {
    if (!addOn.selected) return false;
    if (!addOn.matched) return true;
    // A counterpart outside the list cannot be compared: not copied rather
    // than risk replacing a newer add-on.
    return addOn.matchIndex < InstalledCount() && !IsOlderThanInstalled(addOn);
}

namespace {

bool Replaces(const AddOnRecord& addOn, std::uint32_t index) {
    const AddOnRecord& installed = g_installer.installedAddOns[index];
    // Several installed records of one name all answer to the same
    // distribution add-on, though it names only the last.
    return installed.selected && addOn.matched && WillBeCopied(addOn) &&
           (addOn.matchIndex == index ||
            SameName(FieldText(addOn.displayName), FieldText(installed.displayName)));
}

}  // namespace

bool WillBeReplaced(std::uint32_t index) {
    if (index >= InstalledCount()) return false;
    for (std::uint32_t i = 0; i < DistributionCount(); ++i)
        if (Replaces(g_installer.distributionAddOns[i], index)) return true;
    return false;
}

std::vector<std::uint32_t> ReplacedBy(std::uint32_t index) {
    std::vector<std::uint32_t> replaced;
    if (index >= DistributionCount()) return replaced;
    for (std::uint32_t i = 0; i < InstalledCount(); ++i)
        if (Replaces(g_installer.distributionAddOns[index], i)) replaced.push_back(i);
    return replaced;
}

}  // namespace kefo
