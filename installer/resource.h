// Resource ids of KEFO_Install.exe, grouped by kind. Layout and texts are in
// KEFO_Install.rc.
#pragma once

// Wizard pages, in the order the sheet shows them.
#define IDD_WELCOME 103
#define IDD_SELECT 106
#define IDD_INSTALL 108

// Bitmaps and the icon.
#define IDB_SUCCESS_MARK 112  // 17x16, beside the step label when it worked
#define IDB_FAILURE_MARK 113  // 17x16, ... and when it failed
#define IDB_BANNER 114        // 142x248, left of the Select and Install pages
#define IDI_INSTALLER 115     // program, sheet and task-bar icon
#define IDB_WELCOME 116       // 496x218, the Welcome page's picture

// Strings. Those with % are printf-style formats; the comments list the values.
#define IDS_MESSAGE_CAPTION 4     // caption of every message box
#define IDS_CONFIRM_EXIT 5        // Cancel on the Welcome and Select pages
#define IDS_VERSION_BUILD 6       // major, minor, build
#define IDS_VERSION_BETA_BUILD 7  // major, minor, build
#define IDS_HOST_NOT_INSTALLED 9
#define IDS_HOST_WITHOUT_ADDONS 10  // installed version text, first version with add-ons
#define IDS_HOST_NOT_INSTALLED_PROPERLY 11
#define IDS_CONFIRM_REPLACE 13           // name, major, minor
#define IDS_FINISH 18                    // the sheet's Cancel button on the last page
#define IDS_STARTED_IN_ADDONS_FOLDER 19  // add-ons folder
#define IDS_NO_ADDONS_FOUND 20
#define IDS_INSTALL_FAILED 22    // result text on the last page
#define IDS_DELETE_FAILED 24     // path, code, system text
#define IDS_UNEXPECTED_ERROR 26  // code, function, argument, system text
// name, major, minor; then major, minor and edition text of the host needed,
// and the same of the host installed
#define IDS_HOST_TOO_OLD 27
#define IDS_COLUMN_NAME 28
#define IDS_COLUMN_VERSION 29
#define IDS_OLDER_IN_DISTRIBUTION 30       // name, installed and distribution major, minor
#define IDS_CONFIRM_OVERWRITE_READONLY 31  // path
#define IDS_HOST_FOLDER_MISSING 32         // folder
#define IDS_NO_ADDONS_FOR_RELEASE 33
#define IDS_RESTART_HOST 34
#define IDS_EDITION_TALVO 35             // installed host edition 0
#define IDS_EDITION_PRESK 36             // installed host edition 1
#define IDS_EDITION_DORRIN 37            // any other installed host edition
#define IDS_REQUIRES_ANY_EDITION 38      // edition an add-on needs: 0
#define IDS_REQUIRES_PRESK_OR_HIGHER 39  // ... 1
#define IDS_REQUIRES_DORRIN 40           // ... 2
// An earlier installation found unfinished at start-up, and what was done:
#define IDS_UNFINISHED_UNDONE 41     // add-ons folder
#define IDS_UNFINISHED_COMPLETED 42  // add-ons folder
#define IDS_LEFTOVERS_CLEANED 43     // add-ons folder
#define IDS_UNFINISHED_FAILED 44     // add-ons folder, code, function, argument, system text

// Controls of the Welcome page (dialog 103).
#define IDC_WELCOME_TITLE 111  // shown in bold

// Controls of the Select page (dialog 106) and the Install page (dialog 108).
#define IDC_BANNER 1034          // side banner, on both pages
#define IDC_INSTALLED_LIST 1033  // add-ons already installed, read only
#define IDC_INSTALL_LIST 1027    // add-ons of the distribution, with check boxes
#define IDC_RESULT_MARK 1016     // success or failure mark, hidden until the end
#define IDC_STEP_LABEL 1019      // the step being worked on
#define IDC_RESULT_TEXT 1002     // success or failure text, hidden until the end

// Labels and pictures the program never addresses.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
