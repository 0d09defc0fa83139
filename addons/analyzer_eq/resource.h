// Resource ids of KEFO_AnalyzerEQ.dll, grouped by kind. Layout and texts are
// in KEFO_AnalyzerEQ.rc.
#pragma once

// Dialogs; help topics are 0x20000 plus these numbers.
#define IDD_ANALYZER 101
#define IDD_EQUALIZER 102
#define IDD_ABOUT 106
#define IDD_PRESET_NAME 108

// Icons and bitmaps.
#define IDI_ADDON 114
#define IDB_INDICATOR_ON 133
#define IDB_INDICATOR_OFF 134

// Strings.
#define IDS_ADDON_NAME 1
#define IDS_MENU_POPUP 3
#define IDS_GRAPHIC_EQUALIZER 4
#define IDS_SPECTRUM_ANALYZER 5
#define IDS_ANALYZER_TITLE 6
#define IDS_EQUALIZER_TITLE 7
#define IDS_APPLY_TO_FILE_ON 25   // asked of the host when saving use is switched on
#define IDS_APPLY_TO_FILE_OFF 26  // ... and when it is switched off
#define IDS_UNTITLED 27
#define IDS_PRESET_ROCK 28
#define IDS_PRESET_DANCE 29
#define IDS_PRESET_CLASSIC 30
#define IDS_PRESET_JAZZ 31
#define IDS_PRESET_BLUES 32
#define IDS_ABOUT_TITLE 33
#define IDS_CONFIRM_REMOVE_PRESET 34
#define IDS_PRESET_EXISTS 35
#define IDS_STATE_ON 36
#define IDS_STATE_OFF 37

// Controls of both windows: the "Help" button and the nine frequency labels
// under the bars (analyzer) or sliders (equalizer), 65 Hz to 16 kHz.
#define IDC_HELP_BUTTON 1055
#define IDC_FREQ1 1026
#define IDC_FREQ2 1027
#define IDC_FREQ3 1028
#define IDC_FREQ4 1029
#define IDC_FREQ5 1030
#define IDC_FREQ6 1031
#define IDC_FREQ7 1032
#define IDC_FREQ8 1033
#define IDC_FREQ9 1035  // 1034 is the analyzer's redraw timer, not a control

// Controls of the analyzer window (dialog 101).
#define IDC_ANALYZER_PEAKS 1005
#define IDC_ANALYZER_DISPLAY 1018
#define IDC_ANALYZER_HZ 1016

// Controls of the equalizer window (dialog 102). Band k (1..9) is slider
// 1005 + k, value label 1038 + k (1050 for band 9), frequency label IDC_FREQk.
#define IDC_EQ_ACTIVATE_GROUP 1066
#define IDC_EQ_PLAYBACK 1052
#define IDC_EQ_RECORDING 1054
#define IDC_EQ_APPLY_TO_FILE 1053
#define IDC_EQ_PRESET_LABEL 1047
#define IDC_EQ_PRESET_LINE 1070
#define IDC_EQ_PRESET_LIST 1051
#define IDC_EQ_SAVE_AS 1048
#define IDC_EQ_REMOVE 1049
#define IDC_EQ_SLIDER_GROUP 1067
#define IDC_EQ_DB 1057
#define IDC_EQ_VALUE1 1039
#define IDC_EQ_VALUE2 1040
#define IDC_EQ_VALUE3 1041
#define IDC_EQ_VALUE4 1042
#define IDC_EQ_VALUE5 1043
#define IDC_EQ_VALUE6 1044
#define IDC_EQ_VALUE7 1045
#define IDC_EQ_VALUE8 1046
#define IDC_EQ_VALUE9 1050
#define IDC_EQ_SLIDER1 1006
#define IDC_EQ_SLIDER2 1007
#define IDC_EQ_SLIDER3 1008
#define IDC_EQ_SLIDER4 1009
#define IDC_EQ_SLIDER5 1010
#define IDC_EQ_SLIDER6 1011
#define IDC_EQ_SLIDER7 1012
#define IDC_EQ_SLIDER8 1013
#define IDC_EQ_SLIDER9 1014
#define IDC_EQ_HZ 1056
#define IDC_EQ_BYPASS 1036
#define IDC_EQ_RESET 1038
#define IDC_EQ_OK 1058      // shown only in the modal form
#define IDC_EQ_CANCEL 1059  // shown only in the modal form

// Controls of the About box (dialog 106); OK is IDOK.
#define IDC_ABOUT_NAME 1063
#define IDC_ABOUT_VERSION 1065
#define IDC_ABOUT_COPYRIGHT 1071  // its text is a template: %s takes the build year

// Controls of the preset name dialog (dialog 108); OK and Cancel are IDOK, IDCANCEL.
#define IDC_PRESET_NAME_LABEL 1061
#define IDC_PRESET_NAME_EDIT 1060

// Labels without an id of their own (the About box's icon and "Version").
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
