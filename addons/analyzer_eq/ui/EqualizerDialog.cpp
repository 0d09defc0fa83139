// The equalizer window's dialog procedure (dialog 102: modeless in frame 1,
// or a modal popup for a dialog-only instance). It runs on the thread that
// created the dialog and finds its record through the host.
#include <windows.h>

#include <commctrl.h>

#include "EqualizerWindow.h"
#include "support/CallSiteMarker.h"
#include "support/DialogGuard.h"

namespace kefo {
namespace {

// Controls below the "Activate for" row, which the modal form moves up into
// its place; the bands' controls move with them.
constexpr int kLowerControls[] = {
    IDC_EQ_PRESET_LABEL, IDC_EQ_PRESET_LINE, IDC_EQ_PRESET_LIST, IDC_EQ_SAVE_AS, IDC_EQ_REMOVE,
    IDC_EQ_SLIDER_GROUP, IDC_EQ_DB,          IDC_EQ_HZ,          IDC_EQ_RESET,   IDC_HELP_BUTTON,
};
// The modeless form's own controls, which the modal form hides.
constexpr int kModelessControls[] = {IDC_EQ_ACTIVATE_GROUP, IDC_EQ_PLAYBACK, IDC_EQ_RECORDING,
                                     IDC_EQ_APPLY_TO_FILE, IDC_EQ_BYPASS};
constexpr int kModalControls[] = {IDC_EQ_OK, IDC_EQ_CANCEL};

void ShowControl(HWND dialog, int id, bool shown) {
    HWND control = GetDlgItem(dialog, id);
    ShowWindow(control, shown ? SW_SHOW : SW_HIDE);
    EnableWindow(control, shown ? TRUE : FALSE);
}

// Top of a control in the dialog's client coordinates.
int ControlTop(HWND dialog, int id) {
    RECT rect{};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect.top;
}

void MoveControlUp(HWND dialog, int id, int distance) {
    HWND control = GetDlgItem(dialog, id);
    RECT rect{};
    if (!control || !GetWindowRect(control, &rect)) return;
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    SetWindowPos(control, nullptr, rect.left, rect.top - distance, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The modal form drops the "Activate for" row: the preset row takes its
// place and everything below follows.
void MoveLowerPartUp(HWND dialog) {
    KEFO_MARK();
    const int distance =
        ControlTop(dialog, IDC_EQ_PRESET_LABEL) - ControlTop(dialog, IDC_EQ_ACTIVATE_GROUP);
    for (int id : kLowerControls) MoveControlUp(dialog, id, distance);
    for (const BandControls& band : kBandControls) {
        MoveControlUp(dialog, band.slider, distance);
        MoveControlUp(dialog, band.value, distance);
        MoveControlUp(dialog, band.frequency, distance);
    }
}

// "OK" and "Cancel" go onto the row of "Reset" and the dialog loses the row
// they leave; the modeless form thus ends below "Bypass".
void DropBottomRow(HWND dialog) {
    KEFO_MARK();
    const int distance = ControlTop(dialog, IDC_EQ_OK) - ControlTop(dialog, IDC_EQ_RESET);
    for (int id : kModalControls) MoveControlUp(dialog, id, distance);
    RECT rect{};
    if (!GetWindowRect(dialog, &rect)) return;
    SetWindowPos(dialog, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top - distance,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void InitSliders(HWND dialog) {
    KEFO_MARK();
    for (const BandControls& band : kBandControls) {
        HWND slider = GetDlgItem(dialog, band.slider);
        // Minimum and maximum one by one: the packed form has only 16 bits each.
        SendMessageW(slider, TBM_SETRANGEMIN, FALSE, kSliderMin);
        SendMessageW(slider, TBM_SETRANGEMAX, TRUE, kSliderMax);
        SendMessageW(slider, TBM_SETPAGESIZE, 0, kSliderPageSize);
        // A trackbar places its thumb only when the position changes, and a
        // new range leaves the thumb where the old range put it. Two distinct
        // positions make it place the thumb on the new scale whatever the
        // old position was; the refresh then sets the band's own.
        SendMessageW(slider, TBM_SETPOS, FALSE, kSliderMax);
        SendMessageW(slider, TBM_SETPOS, FALSE, kSliderMin);
    }
}

INT_PTR OnInitDialog(HWND dialog, KEFO_Params* record) {
    KEFO_MARK();
    if (!record || !record->context) return TRUE;
    record->RegisterWindow(dialog);
    AnalyzerEqInstance* instance = InstanceOf(record);
    const bool modal = record->instanceKind == kKindDialogOnly;
    if (modal) {
        SetWindowTextA(dialog, LoadText(IDS_EQUALIZER_TITLE).text);
        instance->modalEqualizerDialog = dialog;
        instance->savedSettings = instance->settings;
        MoveLowerPartUp(dialog);
    } else {
        instance->equalizerDialog = dialog;
    }
    for (int id : kModalControls) ShowControl(dialog, id, modal);
    for (int id : kModelessControls) ShowControl(dialog, id, !modal);
    DropBottomRow(dialog);
    if (record->instanceKind == kKindFull) FitFrameToDialog(GetParent(dialog), dialog);
    InitSliders(dialog);
    RefreshEqualizerWindow(record);
    UpdateProcessingFlags(record);
    return TRUE;
}

INT_PTR OnDestroy(HWND dialog) {
    KEFO_MARK();
    KEFO_Params* record = RecordOfDialog(dialog);
    if (!record) return FALSE;
    record->UnregisterWindow(dialog);
    AnalyzerEqInstance* instance = InstanceOf(record);
    if (instance->equalizerDialog == dialog) {
        instance->equalizerDialog = nullptr;
        instance->equalizerFrame = nullptr;
    } else if (instance->modalEqualizerDialog == dialog) {
        instance->modalEqualizerDialog = nullptr;
    }
    UpdateProcessingFlags(record);
    return FALSE;
}

// Only the modal form ends: the modeless one lives as long as its frame.
void EndModal(KEFO_Params* record, HWND dialog, int result) {
    if (InstanceOf(record)->modalEqualizerDialog == dialog) EndDialog(dialog, result);
}

INT_PTR OnCommand(HWND dialog, int control, int notification) {
    KEFO_MARK();
    KEFO_Params* record = RecordOfDialog(dialog);
    if (!record) return FALSE;
    if (control == IDC_EQ_PRESET_LIST) {
        if (notification == CBN_SELCHANGE) SelectPreset(record);
        return TRUE;
    }
    if (notification != BN_CLICKED) return FALSE;
    switch (control) {
        case IDCANCEL:
        case IDC_EQ_CANCEL:
            OnEqualizerCancel(record);
            EndModal(record, dialog, IDCANCEL);
            return TRUE;
        case IDC_EQ_OK: EndModal(record, dialog, IDOK); return TRUE;
        case IDC_EQ_BYPASS: OnBypassBox(record); return TRUE;
        case IDC_EQ_RESET: OnReset(record); return TRUE;
        case IDC_EQ_SAVE_AS: RunPresetNameDialog(record, dialog); return TRUE;
        case IDC_EQ_REMOVE: RemoveUserPreset(record); return TRUE;
        case IDC_EQ_PLAYBACK: OnPlaybackBox(record); return TRUE;
        case IDC_EQ_APPLY_TO_FILE: OnApplyToFile(record); return TRUE;
        case IDC_EQ_RECORDING: OnRecordingBox(record); return TRUE;
        case IDC_HELP_BUTTON: record->ShowHelp(kEqualizerHelpTopic); return TRUE;
        default: return FALSE;
    }
}

// Gains follow the thumb while it is dragged; the end of a drag says nothing
// new.
INT_PTR OnVerticalScroll(HWND dialog, int code, HWND slider) {
    KEFO_MARK();
    if (code < TB_LINEUP || code > TB_BOTTOM || !slider) return FALSE;
    KEFO_Params* record = RecordOfDialog(dialog);
    if (!record) return FALSE;
    const int id = GetDlgCtrlID(slider);
    for (int band = 0; band < kBandCount; ++band) {
        if (kBandControls[band].slider != id) continue;
        OnSliderMoved(record, band, static_cast<int>(SendMessageW(slider, TBM_GETPOS, 0, 0)));
        return TRUE;
    }
    return FALSE;
}

INT_PTR OnHelp(HWND dialog) {
    KEFO_MARK();
    if (KEFO_Params* record = RecordOfDialog(dialog)) record->ShowHelp(kEqualizerHelpTopic);
    return TRUE;
}

INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: return OnInitDialog(dialog, reinterpret_cast<KEFO_Params*>(lParam));
        case WM_DESTROY: return OnDestroy(dialog);
        case WM_COMMAND: return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        case WM_VSCROLL:
            return OnVerticalScroll(dialog, LOWORD(wParam), reinterpret_cast<HWND>(lParam));
        case WM_HELP: return OnHelp(dialog);
        default: return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK EqualizerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return GuardDialogMessage([&] { return HandleMessage(dialog, message, wParam, lParam); });
}

}  // namespace kefo
