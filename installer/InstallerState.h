// The installer's single global state: what host discovery found, the two
// add-on lists and the wizard's flags. One UI thread reads and writes it;
// nothing here is locked.
//
// Plain data with fixed arrays, so a reset is an assignment from {} and no
// field owns anything on the heap.
#pragma once

#include <windows.h>

#include <cstdint>

namespace kefo {

constexpr int kMaxAddOns = 10;          // per list; further DLLs are ignored
constexpr int kMaxCompanionFiles = 5;   // per add-on; further names are ignored
constexpr int kFolderChars = MAX_PATH;  // folder and file-name fields
constexpr int kDisplayNameChars = 64;   // the parameter record's displayName
constexpr int kAddOnsSuffixChars = 8;   // "\AddOns\" after the host folder
constexpr int kAddOnsFolderChars = kFolderChars + kAddOnsSuffixChars;

// One add-on found in the distribution folder or in the host's add-ons
// folder. File names are relative to the folder of their list.
struct AddOnRecord {
    wchar_t fileName[kFolderChars];                            // the DLL, without folder
    wchar_t displayName[kDisplayNameChars];                    // from the information query
    wchar_t helpFile[kFolderChars];                            // empty when none
    wchar_t companionFiles[kMaxCompanionFiles][kFolderChars];  // further files
    std::uint32_t companionFileCount;                          // 0 to kMaxCompanionFiles
    std::uint32_t version;                                     // major << 16 | minor
    std::uint32_t isBeta;                                      // nonzero for a Beta
    std::uint32_t build;                                       // 0 when none
    std::uint32_t selected;    // to install (distribution) or to remove first (installed)
    std::uint32_t matched;     // distribution only: an installed record has the same name
    std::uint32_t matchIndex;  // distribution only: that record's index
};

struct InstallerState {
    // Host discovery; written only when it succeeds.
    std::uint32_t installedHostEdition;        // "Edition"; 0 when absent
    std::uint32_t installedHostVersion;        // major << 16 | minor
    wchar_t hostFolder[kFolderChars];          // "Path" as stored
    wchar_t addOnsFolder[kAddOnsFolderChars];  // hostFolder "\AddOns\"

    // The two add-on lists.
    wchar_t distributionFolder[kFolderChars];  // the program's own folder, ends in '\'
    AddOnRecord distributionAddOns[kMaxAddOns];
    std::uint32_t distributionCount;
    AddOnRecord installedAddOns[kMaxAddOns];
    std::uint32_t installedCount;
    bool incompatibleSeen;  // an add-on was refused as needing a newer host or edition

    // The wizard.
    HINSTANCE instance;  // the program's module: strings, bitmaps, icon
    HWND wizardWindow;   // the property sheet; owner of every message box
    HHOOK centringHook;  // removes itself on the first activation
    bool discoveryDone;  // start-up has run (it runs once)
    bool startupEnded;   // ... and has returned: the lists are complete
    bool fillingList;    // list-change notifications are ignored meanwhile
    bool installing;     // cancelling is refused meanwhile
};

extern InstallerState g_installer;

}  // namespace kefo
