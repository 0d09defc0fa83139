// Which add-ons the installed host can take, and which distribution add-ons
// may replace the installed ones. The rules set the selected flags of the
// two lists of g_installer: a distribution record is to be installed, an
// installed record is to be removed before the copying.
//
//     StartInstaller -> CheckCompatibility (each answer), MatchInstalled
//     Select page    -> OnSelectionChanged (each box), ConfirmReplacements (Next)
//
// Versions are packed major << 16 | minor and always ordered by VersionKey,
// in which the minor counts in hundredths of a major (7.5 < 7.10, and 7.100
// is 8.0).
//
// An installed add-on can be there in several files of one name. Their
// removal marks move together, and a distribution add-on is compared with
// the newest of them, so that no installed copy is removed for an older one
// and none is left marked when its name is no longer to be installed.
//
// Calling thread: the wizard's UI thread.
#pragma once

#include <cstdint>
#include <string>

#include "framework/protocol/KEFO_Params.h"
#include "installer/InstallerState.h"

namespace kefo {

constexpr std::int32_t VersionKey(std::uint32_t version) {
    return (static_cast<std::int32_t>(version >> 16) * 100 +
            static_cast<std::int32_t>(version & 0xFFFFu)) *
           10;
}

// The edition an add-on asks for, with everything above the top tier (2)
// taken as the top tier.
constexpr std::int32_t ClampRequiredEdition(std::int32_t edition) {
    return edition > 2 ? 2 : edition;
}

// The host's edition by name, and the editions an add-on's (clamped)
// requirement admits.
std::wstring HostEditionText(std::uint32_t edition);
std::wstring RequiredEditionText(std::int32_t edition);

// Whether the host of g_installer suits the add-on that gave this answer to
// the information query: its minimum host version and required edition. On
// refusal shows the warning and sets g_installer.incompatibleSeen.
bool CheckCompatibility(const KEFO_Params_8_0& answer);

// Links each distribution record to the installed add-on of the same name
// (letter case aside) and sets the first selection: new and newer add-ons
// checked, their installed copies marked for removal.
void MatchInstalled();

// Not installed yet, or newer than the installed copy (higher version, or
// the same version with a higher build).
bool IsNewerThanInstalled(const AddOnRecord& record);
// Installed in a higher version; the build does not count here.
bool IsOlderThanInstalled(const AddOnRecord& record);

// Distribution records selected and not older than their installed copy.
std::uint32_t CountToInstall();

// Item n of the Select page's list changed: an older add-on cannot be
// checked (the box is cleared and the user told why); otherwise the record
// and its installed copies follow the box. Then sets the wizard's buttons.
void OnSelectionChanged(int item);

// Next on the Select page: for each add-on checked and installed in the
// same version, asks whether to replace it. False when nothing is left to
// install, so the wizard stays on the page.
bool ConfirmReplacements();

}  // namespace kefo
