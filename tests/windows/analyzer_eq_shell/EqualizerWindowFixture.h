// The equalizer window of a full instance, opened from the host's menu and
// worked the way a user works it: clicks, slider moves, list picks.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "AnalyzerEqFixture.h"
#include "hostsim/system/ModalDialogDriver.h"

namespace equalizer_window {

constexpr int kPlayback = 1052, kApplyToFile = 1053, kRecording = 1054, kBypass = 1036;
constexpr int kReset = 1038, kHelp = 1055, kSaveAs = 1048, kRemove = 1049, kList = 1051;
constexpr int kOk = 1058, kCancel = 1059, kActivateGroup = 1066, kPresetLabel = 1047;
constexpr int kNameEdit = 1060;

inline int SliderId(int band) {
    return 1006 + band;
}
inline int ValueLabelId(int band) {
    return band < 8 ? 1039 + band : 1050;
}

inline std::string Text(HWND window) {
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

inline void Click(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// What F1 sends to the window that has the focus.
inline void AskForHelp(HWND window) {
    HELPINFO help{};
    help.cbSize = sizeof help;
    SendMessageW(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
}

inline bool Checked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

inline bool Enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

// The thumb dragged to the position of `gainDb`, as the trackbar reports it.
inline void DragSlider(HWND dialog, int band, int gainDb) {
    HWND slider = GetDlgItem(dialog, SliderId(band));
    SendMessageW(slider, TBM_SETPOS, TRUE, -gainDb);
    SendMessageW(dialog, WM_VSCROLL, MAKEWPARAM(TB_THUMBTRACK, -gainDb),
                 reinterpret_cast<LPARAM>(slider));
    SendMessageW(dialog, WM_VSCROLL, TB_ENDTRACK, reinterpret_cast<LPARAM>(slider));
}

inline std::string ValueLabel(HWND dialog, int band) {
    return Text(GetDlgItem(dialog, ValueLabelId(band)));
}

inline std::string SelectedPreset(HWND dialog) {
    HWND list = GetDlgItem(dialog, kList);
    const LRESULT index = SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (index < 0) return "<none>";
    char text[512] = "";
    SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

// The user picks an entry of the preset list.
inline void PickPreset(HWND dialog, const char* name) {
    HWND list = GetDlgItem(dialog, kList);
    SendMessageA(list, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kList, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
}

inline int ListCount(HWND dialog) {
    return static_cast<int>(SendDlgItemMessageA(dialog, kList, CB_GETCOUNT, 0, 0));
}

}  // namespace equalizer_window

class EqualizerWindowTest : public AnalyzerEqTest {
protected:
    // A full instance with its equalizer window open.
    HWND Open(std::vector<float> stored = Defaults()) {
        EXPECT_EQ(Create(kefo::kKindFull, stored), 1);
        record_.menuItemId = kefo::kMenuEqualizer;
        EXPECT_EQ(record_.Send(kefo::kCmdMenuCommand), 1);
        return GetWindow(record_.Frame(1), GW_CHILD);
    }
    std::vector<float> Gains() const {
        const std::vector<float>& stored = record_.StoredSettings();
        if (stored.size() != kefo::kSettingsCount) return {};
        return std::vector<float>(stored.begin() + 8, stored.end());
    }
};
