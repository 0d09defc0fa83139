#include "StressActions.h"

#include <commctrl.h>

#include <cmath>
#include <limits>
#include <string>

#include "hostsim/system/ModalDialogDriver.h"
#include "addons/analyzer_eq/AnalyzerEqContract.h"
#include "addons/analyzer_eq/resource.h"

namespace hostsim {
void StressUiRecord::DestroyFrame(HWND frame) {
    shared_.hostClosingFrame = true;
    HostRecord::DestroyFrame(frame);
    shared_.hostClosingFrame = false;
}

void StressUiRecord::UserClosesFrameNow(int index) {
    shared_.hostClosingFrame = true;
    UserClosesFrame(index);
    shared_.hostClosingFrame = false;
}

void StressActions::Pump(StressShared& shared) {
    shared.uiAction = "pumping messages";
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

HWND StressActions::EqualizerDialog() const {
    HWND frame = record_.Frame(1);
    return frame ? GetWindow(frame, GW_CHILD) : nullptr;
}

HWND StressActions::AnalyzerDialog() const {
    HWND frame = record_.Frame(0);
    return frame ? GetWindow(frame, GW_CHILD) : nullptr;
}

// A user clicks only what is enabled.
bool StressActions::ClickIfEnabled(HWND dialog, int id) {
    HWND control = dialog ? GetDlgItem(dialog, id) : nullptr;
    if (!control || !IsWindowEnabled(control)) return false;
    SendMessageW(control, BM_CLICK, 0, 0);
    return true;
}

void StressActions::Command(int code) {
    static const char* const kNames[] = {"command 0",  "command 1",  "command 2",  "command 3",
                                         "command 4",  "command 5",  "command 6",  "command 7",
                                         "command 8",  "command 9",  "command 10", "command 11",
                                         "command 12", "command 13", "command 14"};
    shared_.uiAction = code >= 0 && code <= 14 ? kNames[code] : "command";
    record_.ClearCalls();
    const int result = record_.Send(code);
    if (result != 0 && result != 1)
        shared_.Fail("command " + std::to_string(code) + " answered " + std::to_string(result));
}

// Seventeen values as a host would send them, or as a careless one would:
// a wrong count, a null array, flags that are not flags, NaN.
void StressActions::FillSettings(bool valid) {
    settings_.assign(17 + 8, 0.0f);
    settings_[0] = 65537.0f;
    for (int i = 1; i <= 7; ++i) settings_[i] = static_cast<float>(Between(0, 1));
    const int use = Between(3, 6);  // at most one of playback, recording, saving
    for (int i = 4; i <= 6; ++i) settings_[i] = i == use ? 1.0f : 0.0f;
    for (int i = 8; i < 17; ++i) settings_[i] = static_cast<float>(Between(-15, 15));
    record_.settings = settings_.data();
    record_.settingsCount = 17;
    if (valid) return;
    switch (Between(0, 4)) {
        case 0: record_.settingsCount = Between(0, 24); break;
        case 1:
            record_.settings = nullptr;
            record_.settingsCount = 17;
            break;
        case 2: settings_[Between(0, 16)] = std::numeric_limits<float>::quiet_NaN(); break;
        case 3: settings_[Between(1, 7)] = 0.5f; break;
        default: settings_[Between(8, 16)] = static_cast<float>(Between(-1000, 1000)); break;
    }
}

void StressActions::MoveSlider(HWND dialog) {
    HWND slider = GetDlgItem(dialog, IDC_EQ_SLIDER1 + Between(0, 8));
    if (!slider || !IsWindowEnabled(slider)) return;
    // A drag: several thumb positions, then the end of the track.
    const int steps = Between(1, 6);
    for (int step = 0; step < steps; ++step) {
        const int position = Between(-15, 15);
        SendMessageW(slider, TBM_SETPOS, TRUE, position);
        SendMessageW(dialog, WM_VSCROLL, MAKEWPARAM(TB_THUMBTRACK, position),
                     reinterpret_cast<LPARAM>(slider));
    }
    SendMessageW(dialog, WM_VSCROLL, TB_ENDTRACK, reinterpret_cast<LPARAM>(slider));
}

void StressActions::PickPreset(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_EQ_PRESET_LIST);
    const int count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
    if (count <= 0 || !IsWindowEnabled(list)) return;
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(Between(0, count - 1)), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_EQ_PRESET_LIST, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
}

// "Save as...": a name typed and OK pressed; a refused name is cancelled.
void StressActions::SavePreset(HWND dialog) {
    if (!IsWindowEnabled(GetDlgItem(dialog, IDC_EQ_SAVE_AS))) return;
    const std::string name = "Stress " + std::to_string(presetNumber_++ % 12);
    DriveModalDialog(
        [&] {
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_EQ_SAVE_AS, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_EQ_SAVE_AS)));
        },
        [&](HWND nameDialog, int step) {
            shared_.uiBeat.store(StressShared::NowMillis());
            if (step == 0) {
                SetDlgItemTextA(nameDialog, IDC_PRESET_NAME_EDIT, name.c_str());
                SendMessageW(GetDlgItem(nameDialog, IDOK), BM_CLICK, 0, 0);
                return false;
            }
            if (IsWindow(nameDialog))
                SendMessageW(GetDlgItem(nameDialog, IDCANCEL), BM_CLICK, 0, 0);
            return true;
        });
}

// What the host reports changes under the add-on's feet.
void StressActions::ScrambleHost() {
    HostScript& script = record_.script;
    for (int& flag : script.activityFlags) flag = Between(0, 3) == 0 ? 0 : 1;
    script.activityFlags[3] = 0;
    script.isAudioRunning = Between(0, 4) != 0;
    script.fileOutputValue = Between(0, 3) ? 1.0 : 0.0;
    script.keepSaveOption = Between(0, 5) != 0;
    script.acceptStoreSettings = Between(0, 9) != 0;
    script.currentFormatA = Between(1, 2);
    script.currentFormatB = Between(0, 1) ? 44100 : 192000;
}

void StressActions::RunOne() {
    shared_.uiActions.fetch_add(1);
    if (Between(0, 9) == 0) ScrambleHost();
    HWND equalizer = EqualizerDialog();
    const int pick = Between(0, 99);
    if (pick < 35) {
        shared_.uiAction = "slider";
        if (equalizer) MoveSlider(equalizer);
    } else if (pick < 42) {
        shared_.uiAction = "preset list";
        if (equalizer) PickPreset(equalizer);
    } else if (pick < 44) {
        shared_.uiAction = "Save as";
        if (equalizer) SavePreset(equalizer);
    } else if (pick < 46) {
        shared_.uiAction = "Remove";
        ClickIfEnabled(equalizer, IDC_EQ_REMOVE);
    } else if (pick < 50) {
        shared_.uiAction = "Bypass";
        ClickIfEnabled(equalizer, IDC_EQ_BYPASS);
    } else if (pick < 53) {
        shared_.uiAction = "Reset";
        ClickIfEnabled(equalizer, IDC_EQ_RESET);
    } else if (pick < 57) {
        shared_.uiAction = "Playback";
        ClickIfEnabled(equalizer, IDC_EQ_PLAYBACK);
    } else if (pick < 59) {
        shared_.uiAction = "Recording";
        ClickIfEnabled(equalizer, IDC_EQ_RECORDING);
    } else if (pick < 61) {
        shared_.uiAction = "Apply to file";
        ClickIfEnabled(equalizer, IDC_EQ_APPLY_TO_FILE);
    } else if (pick < 63) {
        shared_.uiAction = "Peaks";
        ClickIfEnabled(AnalyzerDialog(), IDC_ANALYZER_PEAKS);
    } else if (pick < 67) {
        record_.menuItemId = Between(0, 1) ? kefo::kMenuAnalyzer : kefo::kMenuEqualizer;
        Command(kefo::kCmdMenuCommand);
    } else if (pick < 70) {
        // The user closes a frame; the host reports it with command 4.
        const int index = Between(0, 1);
        shared_.uiAction = "closing a frame";
        if (record_.Frame(index)) record_.UserClosesFrameNow(index);
    } else if (pick < 75) {
        FillSettings(Between(0, 2) != 0);
        Command(kefo::kCmdSettingsChanged);
    } else if (pick < 80) {
        FillSettings(Between(0, 2) != 0);
        Command(kefo::kCmdSettingsApplied);
    } else if (pick < 88) {
        FillSettings(Between(0, 2) != 0);
        Command(kefo::kCmdSetParameters);
    } else if (pick < 94) {
        Command(kefo::kCmdStateChanged);
    } else if (pick < 96) {
        Command(kefo::kCmdColorsChanged);
    } else {
        record_.menuItemId = Between(0, 1) ? kefo::kMenuAnalyzer : kefo::kMenuEqualizer;
        Command(kefo::kCmdQueryMenuItem);
    }
}

std::vector<float> StressActions::SetFinalSettings() {
    record_.script.acceptStoreSettings = true;
    record_.script.keepSaveOption = 1;
    FillSettings(true);
    settings_[1] = record_.Frame(0) ? 1.0f : 0.0f;
    settings_[2] = record_.Frame(1) ? 1.0f : 0.0f;
    settings_[3] = 1.0f;
    settings_[4] = 1.0f;
    settings_[5] = settings_[6] = settings_[7] = 0.0f;
    settings_[8 + Between(0, 8)] = static_cast<float>(Between(1, 15));  // never all 0
    Command(kefo::kCmdSetParameters);
    Command(kefo::kCmdSettingsChanged);
    return std::vector<float>(settings_.begin(), settings_.begin() + 17);
}

}  // namespace hostsim
