// "Saving Preset" (dialog 108): asks for the name of a new user preset, run
// modally over the equalizer window by its "Save as..." button.
#include "EqualizerWindow.h"
#include "dsp/text/CUtils.h"
#include "support/CallSiteMarker.h"
#include "support/DialogGuard.h"

namespace kefo {
namespace {

// Names are read into 100 characters, so the box takes no more than fit.
constexpr int kNameChars = 100;

struct TypedName {
    char text[kNameChars];
};

KEFO_Params* NameDialogRecord(HWND dialog) {
    return reinterpret_cast<KEFO_Params*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

// The typed name without leading and trailing blanks.
TypedName ReadName(HWND dialog) {
    TypedName name{};
    GetDlgItemTextA(dialog, IDC_PRESET_NAME_EDIT, name.text, kNameChars);
    TrimSpaces(name.text);
    return name;
}

// "[Untitled]" stands for gains without a preset, in any spelling.
bool IsUsableName(const TypedName& name) {
    return name.text[0] != '\0' && lstrcmpiA(name.text, LoadText(IDS_UNTITLED).text) != 0;
}

INT_PTR OnInitDialog(HWND dialog, KEFO_Params* record) {
    KEFO_MARK();
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(record));
    if (record) record->RegisterWindow(dialog);
    SendDlgItemMessageW(dialog, IDC_PRESET_NAME_EDIT, EM_SETLIMITTEXT, kNameChars - 1, 0);
    EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
    return TRUE;
}

INT_PTR OnCommand(HWND dialog, int control, int notification) {
    KEFO_MARK();
    KEFO_Params* record = NameDialogRecord(dialog);
    if (control == IDC_PRESET_NAME_EDIT && notification == EN_CHANGE) {
        EnableWindow(GetDlgItem(dialog, IDOK), IsUsableName(ReadName(dialog)) ? TRUE : FALSE);
        return TRUE;
    }
    if (control == IDOK) {
        // Enter reaches here even while OK is disabled.
        const TypedName name = ReadName(dialog);
        if (record && record->context && IsUsableName(name) &&
            SaveUserPreset(record, name.text, dialog))
            EndDialog(dialog, IDOK);
        return TRUE;
    }
    if (control == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: return OnInitDialog(dialog, reinterpret_cast<KEFO_Params*>(lParam));
        case WM_COMMAND: return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        case WM_HELP:
            if (KEFO_Params* record = NameDialogRecord(dialog))
                record->ShowHelp(kPresetNameHelpTopic);
            return TRUE;
        case WM_DESTROY:
            if (KEFO_Params* record = NameDialogRecord(dialog)) record->UnregisterWindow(dialog);
            return FALSE;
        default: return FALSE;
    }
}

INT_PTR CALLBACK PresetNameDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return GuardDialogMessage([&] { return HandleMessage(dialog, message, wParam, lParam); });
}

}  // namespace

void RunPresetNameDialog(KEFO_Params* record, HWND owner) {
    KEFO_MARK();
    const INT_PTR result = DialogBoxParamW(ModuleHandle(), MAKEINTRESOURCEW(IDD_PRESET_NAME), owner,
                                           &PresetNameDialogProc, reinterpret_cast<LPARAM>(record));
    if (result != 0 && result != -1) RefreshEqualizerControls(record);
}

}  // namespace kefo
