// The About box (dialog 106): run modally on command 13, owned by the host
// window the record names. Its texts are completed by the host's FormatText.
#include "addons/analyzer_eq/AnalyzerEq.h"
#include "framework/AOBuildYear.h"
#include "addons/analyzer_eq/resource.h"
#include "support/CallSiteMarker.h"
#include "support/DialogGuard.h"

namespace kefo {
namespace {

constexpr int kAboutHelpTopic = kHelpTopicBase + IDD_ABOUT;
constexpr int kTemplateChars = 260;

KEFO_Params* AboutRecord(HWND dialog) {
    return reinterpret_cast<KEFO_Params*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

// The host's last formatted text, if it gave one.
void ShowHostText(KEFO_Params* record, HWND window) {
    if (record->hostText) SetWindowTextA(window, record->hostText);
}

INT_PTR OnInitDialog(HWND dialog, KEFO_Params* record) {
    KEFO_MARK();
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(record));
    if (!record) return TRUE;
    record->RegisterWindow(dialog);

    const ResourceText name = LoadText(IDS_ADDON_NAME);
    record->FormatText(LoadText(IDS_ABOUT_TITLE).text, name.text);
    ShowHostText(record, dialog);
    SetDlgItemTextA(dialog, IDC_ABOUT_NAME, name.text);
    record->FormatText("%i.%i", kAddOnVersionMajor, kAddOnVersionMinor);
    ShowHostText(record, GetDlgItem(dialog, IDC_ABOUT_VERSION));

    // The copyright line is a template whose %s takes the build year.
    char line[kTemplateChars + 1] = "";
    GetDlgItemTextA(dialog, IDC_ABOUT_COPYRIGHT, line, sizeof line);
    if (line[0] != '\0') {
        record->FormatText(line, kAOBuildYear);
        ShowHostText(record, GetDlgItem(dialog, IDC_ABOUT_COPYRIGHT));
    }
    return TRUE;
}

INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        case WM_HELP:
            if (KEFO_Params* record = AboutRecord(dialog)) record->ShowHelp(kAboutHelpTopic);
            return TRUE;
        case WM_DESTROY:
            if (KEFO_Params* record = AboutRecord(dialog)) record->UnregisterWindow(dialog);
            return FALSE;
        default: return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return GuardDialogMessage([&]() -> INT_PTR {
        if (message == WM_INITDIALOG)
            return OnInitDialog(dialog, reinterpret_cast<KEFO_Params*>(lParam));
        return HandleMessage(dialog, message, wParam);
    });
}

int OnAbout(KEFO_Params* record) {
    KEFO_MARK();
    DialogBoxParamW(ModuleHandle(), MAKEINTRESOURCEW(IDD_ABOUT), record->aboutParent,
                    &AboutDialogProc, reinterpret_cast<LPARAM>(record));
    return kResultHandled;
}

}  // namespace kefo
