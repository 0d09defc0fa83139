// Command codes of KEFO_Processing and its results. Portable: no Windows
// headers, so host-independent code can share the numbers.
#pragma once

namespace kefo {

enum KEFO_Command : int {
    kCmdInfo = 1,
    kCmdCreateInstance = 2,
    kCmdDestroyInstance = 3,
    kCmdFrameClosed = 4,
    kCmdNone5 = 5,
    kCmdQueryMenuItem = 6,
    kCmdSetMenuItem = 7,
    kCmdMenuCommand = 8,
    kCmdSettingsChanged = 9,
    kCmdSettingsApplied = 10,
    kCmdSetParameters = 11,
    kCmdStateChanged = 12,
    kCmdAbout = 13,
    kCmdColorsChanged = 14,
    kCmdFramework15 = 15,

    // Audio codes; an instance asks for them by or-ing them into audioCommands.
    kCmdAnalyzeFeedA = 0x10000,
    kCmdProcessRecording = 0x20000,
    kCmdProcessPlayback = 0x40000,
    kCmdAnalyzeFeedB = 0x80000,
    kCmdProcessSaving = 0x100000,
};

constexpr int kAllAudioCommands = kCmdAnalyzeFeedA | kCmdProcessRecording | kCmdProcessPlayback |
                                  kCmdAnalyzeFeedB | kCmdProcessSaving;

enum KEFO_Result : int {
    kResultUnknown = 0,        // unknown command code
    kResultHandled = 1,        // handled (the only answer the installer accepts to Info)
    kResultKindNotServed = 3,  // CreateInstance: no instance of that kind
};

enum KEFO_InstanceKind : int {
    kKindFull = 0,        // host main window: menus, bitmaps, named parameters, windows
    kKindDialogOnly = 1,  // modal dialog owned by ownerWindow
    kKindHeadless = 2,    // no user interface, no settings stored at creation
};

// Menu and help numbering shared by the add-ons.
constexpr int kFirstMenuItemId = 0x1001;
constexpr int kHostHelpMenu = 10;
constexpr int kHelpTopicBase = 0x20000;

// ShowMessage styles and button sets.
constexpr unsigned kMessageWarning = 0x20000000u;
constexpr unsigned kMessageError = 0x40000000u;
constexpr int kButtonsOk = 0;
constexpr int kButtonsYesNo = 1;

}  // namespace kefo
