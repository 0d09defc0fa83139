// Finding the add-ons: the DLLs beside the installer (offered for
// installation) and those already in the host's add-ons folder. Each DLL is
// loaded only for one information query, as the host would make it, and is
// freed right after; nothing stays loaded.
//
//     g_installer.distributionCount =
//         ScanAddOns(g_installer.distributionFolder, g_installer.distributionAddOns, 1);
//
// A DLL is listed when it exports KEFO_Processing, answers the query with
// exactly 1, is not hidden from this host by its kind and suits the host's
// version and edition (CheckCompatibility). A DLL that cannot be loaded is
// reported with the unexpected-error message; the others that are not
// listed are passed over in silence, apart from the compatibility message.
//
// Calling thread: the wizard's UI thread (the add-ons run on it during
// their query).
#pragma once

#include <cstdint>

#include "installer/InstallerState.h"

namespace kefo {

// Lists the add-ons of folder (ending in a backslash) into list, at most
// kMaxAddOns of them, in the order the file system returns the names; each
// record gets selected = initialSelected. Returns the count.
std::uint32_t ScanAddOns(const wchar_t* folder, AddOnRecord* list, std::uint32_t initialSelected);

// Loads the DLL at path, asks it once and frees it. True when it is to be
// listed; record then holds its name, version, build, Beta flag, help and
// companion files. fileName and selected are the caller's and left alone.
// On false no declared file names are left in record.
bool QueryAddOnInfo(const wchar_t* path, AddOnRecord* record);

}  // namespace kefo
