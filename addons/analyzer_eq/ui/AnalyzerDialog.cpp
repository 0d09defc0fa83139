// The analyzer window's dialog procedure (dialog 101, modeless in frame 0):
// lays out the display, redraws it on a 100 ms timer and keeps the "Peaks"
// option. Runs on the thread that created the dialog.
#include <algorithm>
#include <iterator>

#include "addons/analyzer_eq/AnalyzerEq.h"
#include "AnalyzerPicture.h"
#include "dsp/display/StaticImgWnd.h"
#include "dsp/display/WindowPlacement.h"
#include "addons/analyzer_eq/resource.h"
#include "support/CallSiteMarker.h"
#include "support/DialogGuard.h"

namespace kefo {
namespace {

constexpr UINT_PTR kRedrawTimer = 1034;
constexpr UINT kRedrawPeriodMs = 100;
constexpr int kAnalyzerHelpTopic = kHelpTopicBase + IDD_ANALYZER;
constexpr int kFrequencyLabels[] = {IDC_FREQ1, IDC_FREQ2, IDC_FREQ3, IDC_FREQ4, IDC_FREQ5,
                                    IDC_FREQ6, IDC_FREQ7, IDC_FREQ8, IDC_FREQ9};

// Paints the display without erasing it first, so the bars do not flicker.
// One for the module: a second analyzer window takes it over.
StaticImgWnd g_displayImage;

// Trims the display so that its bars and cells fit exactly, and moves the
// frequency labels along with the narrower bars. Returns the height the
// display had in the dialog's layout.
int FitDisplay(HWND dialog, HWND display) {
    KEFO_MARK();
    RECT rect{};
    if (!GetWindowRect(display, &rect)) return 0;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const int dx = -DisplayWidthExcess(width);
    SetWindowPosRelative(display, 1, 0, 1, 0, 1, dx, 1, -DisplayHeightExcess(height));
    for (int label = 0; label < static_cast<int>(std::size(kFrequencyLabels)); ++label) {
        if (HWND window = GetDlgItem(dialog, kFrequencyLabels[label]))
            SetWindowPosRelative(window, 1, LabelShift(label, dx), 1, 0, 1, 0, 1, 0);
    }
    return height;
}

INT_PTR OnInitDialog(HWND dialog, KEFO_Params* record) {
    KEFO_MARK();
    if (!record || !record->context) return FALSE;
    record->RegisterWindow(dialog);
    AnalyzerEqInstance* instance = InstanceOf(record);
    instance->analyzerDialog = dialog;
    CheckDlgButton(dialog, IDC_ANALYZER_PEAKS,
                   instance->settings.IsOn(kPeaksOn) ? BST_CHECKED : BST_UNCHECKED);
    HWND display = GetDlgItem(dialog, IDC_ANALYZER_DISPLAY);
    const int layoutHeight = FitDisplay(dialog, display);
    BuildColorRamp(record, layoutHeight / 3 - 1);
    ClearAnalyzer(record);
    DrawAnalyzer(record, display);
    SetTimer(dialog, kRedrawTimer, kRedrawPeriodMs, nullptr);
    g_displayImage.Attach(display);
    return TRUE;
}

void OnTimer(HWND dialog) {
    KEFO_MARK();
    KEFO_Params* record = RecordOfDialog(dialog);
    if (!record) return;
    DrawAnalyzer(record, GetDlgItem(dialog, IDC_ANALYZER_DISPLAY));
    // Once the audio stops the bars fall to empty; the peaks hold and fade.
    if (record->IsAudioRunning() == 0) ClearAnalyzer(record);
}

INT_PTR OnCommand(HWND dialog, int control, int notification) {
    KEFO_MARK();
    KEFO_Params* record = RecordOfDialog(dialog);
    if (!record || notification != BN_CLICKED) return FALSE;
    switch (control) {
        case IDC_ANALYZER_PEAKS: OnPeaksBox(record); return TRUE;
        case IDC_HELP_BUTTON: record->ShowHelp(kAnalyzerHelpTopic); return TRUE;
        default: return FALSE;
    }
}

INT_PTR OnHelp(HWND dialog) {
    KEFO_MARK();
    if (KEFO_Params* record = RecordOfDialog(dialog)) record->ShowHelp(kAnalyzerHelpTopic);
    return TRUE;
}

INT_PTR OnDestroy(HWND dialog) {
    KEFO_MARK();
    // The timer and the picture go even when the host no longer knows the
    // dialog; they belong to the window, not to the instance.
    KillTimer(dialog, kRedrawTimer);
    if (HWND display = GetDlgItem(dialog, IDC_ANALYZER_DISPLAY)) {
        const UniqueHBitmap shown(
            reinterpret_cast<HBITMAP>(SendMessageW(display, STM_SETIMAGE, IMAGE_BITMAP, 0)));
    }
    KEFO_Params* record = RecordOfDialog(dialog);
    if (!record) return FALSE;
    record->UnregisterWindow(dialog);
    AnalyzerEqInstance* instance = InstanceOf(record);
    instance->analyzerDialog = nullptr;
    instance->analyzerFrame = nullptr;
    UpdateProcessingFlags(record);
    return FALSE;
}

INT_PTR Dispatch(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: return OnInitDialog(dialog, reinterpret_cast<KEFO_Params*>(lParam));
        case WM_TIMER:
            if (wParam != kRedrawTimer) return FALSE;
            OnTimer(dialog);
            return TRUE;
        case WM_COMMAND: return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        case WM_HELP: return OnHelp(dialog);
        case WM_DESTROY: return OnDestroy(dialog);
        default: return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK AnalyzerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return GuardDialogMessage([&] { return Dispatch(dialog, message, wParam, lParam); });
}

int OnPeaksBox(KEFO_Params* record) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    if (HWND dialog = instance->analyzerDialog) {
        const bool checked = IsDlgButtonChecked(dialog, IDC_ANALYZER_PEAKS) == BST_CHECKED;
        instance->settings[kPeaksOn] = checked ? 1.0f : 0.0f;
    }
    std::fill(std::begin(instance->peakPositions), std::end(instance->peakPositions), 0);
    std::fill(std::begin(instance->peakAges), std::end(instance->peakAges), 0);
    return record->StoreSettings(kSettingsCount, instance->settings.values, 0, nullptr);
}

}  // namespace kefo
