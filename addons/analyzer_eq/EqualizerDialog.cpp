// The equalizer window's dialog procedure (dialog 102: modeless in frame 1,
// or modal for a dialog-only instance).
#include "AnalyzerEq.h"
#include "support/CallSiteMarker.h"

namespace kefo {
namespace {

INT_PTR OnInitDialog(HWND dialog, KEFO_Params* record) {
    KEFO_MARK();
    if (!record || !record->context) return FALSE;
    record->RegisterWindow(dialog);
    AnalyzerEqInstance* instance = InstanceOf(record);
    if (record->instanceKind == kKindDialogOnly) {
        instance->modalEqualizerDialog = dialog;
        instance->savedSettings = instance->settings;
    } else {
        instance->equalizerDialog = dialog;
        UpdateProcessingFlags(record);
    }
    RefreshEqualizerWindow(record);
    return TRUE;
}

INT_PTR OnDestroy(HWND dialog) {
    KEFO_MARK();
    KEFO_Params* record = RecordOfDialog(dialog);
    if (!record) return FALSE;
    record->UnregisterWindow(dialog);
    AnalyzerEqInstance* instance = InstanceOf(record);
    if (record->instanceKind == kKindDialogOnly) {
        instance->modalEqualizerDialog = nullptr;
    } else {
        instance->equalizerDialog = nullptr;
        instance->equalizerFrame = nullptr;
        UpdateProcessingFlags(record);
    }
    return FALSE;
}

INT_PTR OnCommand(HWND dialog, int control) {
    KEFO_MARK();
    KEFO_Params* record = RecordOfDialog(dialog);
    if (!record || record->instanceKind != kKindDialogOnly) return FALSE;
    if (control == IDCANCEL) {
        InstanceOf(record)->settings = InstanceOf(record)->savedSettings;
        ApplyEqualizerSettings(record);
    }
    if (control == IDOK || control == IDCANCEL) {
        StoreCurrentSettings(record);
        EndDialog(dialog, control);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

INT_PTR CALLBACK EqualizerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: return OnInitDialog(dialog, reinterpret_cast<KEFO_Params*>(lParam));
        case WM_DESTROY: return OnDestroy(dialog);
        case WM_COMMAND: return OnCommand(dialog, LOWORD(wParam));
        default: return FALSE;
    }
}

void RefreshEqualizerControls(KEFO_Params* record) {
    KEFO_MARK();
    UpdateIndicator(record);
}

void RefreshEqualizerWindow(KEFO_Params* record) {
    KEFO_MARK();
    RefreshEqualizerControls(record);
}

}  // namespace kefo
