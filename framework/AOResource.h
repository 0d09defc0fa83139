// Resource ids of the framework's shared resources: the About dialog, its
// items and icon, and the two strings every framework add-on defines. Each
// add-on's resource script includes this and defines the strings and icon.
#pragma once

// Strings
#define IDS_ADDON_NAME 1    // the display name
#define IDS_HELP_CAPTION 3  // caption of the help item in the host's help menu

// Dialogs
#define IDD_ABOUT 104

// Items of the About dialog
#define IDC_ABOUT_NAME 1086
#define IDC_ABOUT_VERSION 1087
#define IDC_ABOUT_COPYRIGHT 1094

// Icons
#define IDI_ADDON 123
