// The analyzer window's dialog procedure (dialog 101, modeless in frame 0).
#include "AnalyzerEq.h"
#include "support/CallSiteMarker.h"

namespace kefo {
namespace {

INT_PTR OnInitDialog(HWND dialog, KEFO_Params* record) {
    KEFO_MARK();
    if (!record || !record->context) return FALSE;
    record->RegisterWindow(dialog);
    InstanceOf(record)->analyzerDialog = dialog;
    return TRUE;
}

INT_PTR OnDestroy(HWND dialog) {
    KEFO_MARK();
    KEFO_Params* record = RecordOfDialog(dialog);
    if (!record) return FALSE;
    record->UnregisterWindow(dialog);
    AnalyzerEqInstance* instance = InstanceOf(record);
    instance->analyzerDialog = nullptr;
    instance->analyzerFrame = nullptr;
    return FALSE;
}

}  // namespace

INT_PTR CALLBACK AnalyzerDialogProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: return OnInitDialog(dialog, reinterpret_cast<KEFO_Params*>(lParam));
        case WM_DESTROY: return OnDestroy(dialog);
        default: return FALSE;
    }
}

}  // namespace kefo
