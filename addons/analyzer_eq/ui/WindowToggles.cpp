// The two windows opened and closed: the analyzer and the equalizer in host
// frames, the dialog-only kind's modal equalizer.
#include <cstring>
#include <memory>
#include <new>

#include "addons/analyzer_eq/AnalyzerEq.h"
#include "addons/analyzer_eq/resource.h"
#include "support/CallSiteMarker.h"

namespace kefo {
namespace {

constexpr DWORD kFrameStyle = 0x10C80000;  // visible, caption, system menu

void GiveFrameIcon(HWND frame) {
    KEFO_MARK();
    HICON icon = static_cast<HICON>(
        LoadImageW(ModuleHandle(), MAKEINTRESOURCEW(IDI_ADDON), IMAGE_ICON, 32, 32, LR_SHARED));
    if (frame && icon) SendMessageW(frame, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

// Shows the host's text for a system call that failed with the given code.
void ReportFailedCall(KEFO_Params* record, DWORD code, const char* function) {
    record->FormatErrorText(code, function, nullptr);
    record->ShowMessage(record->ownerWindow, record->hostText, kMessageError, kButtonsOk);
}

// Loads dialog 102; on failure the host's text for the failed call is shown.
const DLGTEMPLATE* LoadEqualizerTemplate(KEFO_Params* record, DWORD* size) {
    KEFO_MARK();
    const char* failed = nullptr;
    const DLGTEMPLATE* dialogTemplate = nullptr;
    HRSRC resource = FindResourceW(ModuleHandle(), MAKEINTRESOURCEW(IDD_EQUALIZER),
                                   reinterpret_cast<LPCWSTR>(RT_DIALOG));
    if (!resource) {
        failed = "FindResource";
    } else if (HGLOBAL loaded = LoadResource(ModuleHandle(), resource); !loaded) {
        failed = "LoadResource";
    } else if (!(dialogTemplate = static_cast<const DLGTEMPLATE*>(LockResource(loaded)))) {
        failed = "LockResource";
    }
    if (failed) {
        ReportFailedCall(record, GetLastError(), failed);
        return nullptr;
    }
    *size = SizeofResource(ModuleHandle(), resource);
    return dialogTemplate;
}

// Runs the equalizer as a modal popup owned by the host window: the child
// template is copied and its style turned into a captioned modal frame.
void RunModalEqualizer(KEFO_Params* record, const DLGTEMPLATE* dialogTemplate, DWORD size) {
    KEFO_MARK();
    // Held as WORDs: dialog templates are WORD-aligned.
    std::unique_ptr<WORD[]> copy(new (std::nothrow) WORD[(size + 1) / 2]);
    if (!copy) return;
    std::memcpy(copy.get(), dialogTemplate, size);
    // DLGTEMPLATEEX starts with dlgVer 1 and signature 0xFFFF; its style
    // follows helpId and exStyle. A plain DLGTEMPLATE starts with the style.
    WORD* words = copy.get();
    const bool extended = size >= 16 && words[0] == 1 && words[1] == 0xFFFF;
    DWORD* style = extended ? reinterpret_cast<DWORD*>(words + 6) : reinterpret_cast<DWORD*>(words);
    *style = (*style & 0x3F37FF7Fu) | 0x80C80080u;
    DialogBoxIndirectParamW(ModuleHandle(), reinterpret_cast<DLGTEMPLATE*>(words),
                            record->ownerWindow, &EqualizerDialogProc,
                            reinterpret_cast<LPARAM>(record));
}

}  // namespace

void FitFrameToDialog(HWND frame, HWND dialog) {
    KEFO_MARK();
    RECT dialogRect, frameRect, clientRect;
    if (!GetWindowRect(dialog, &dialogRect) || !GetWindowRect(frame, &frameRect) ||
        !GetClientRect(frame, &clientRect))
        return;
    const int width = (frameRect.right - frameRect.left) - clientRect.right +
                      (dialogRect.right - dialogRect.left);
    const int height = (frameRect.bottom - frameRect.top) - clientRect.bottom +
                       (dialogRect.bottom - dialogRect.top);
    SetWindowPos(frame, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND EqualizerDialog(KEFO_Params* record) {
    const AnalyzerEqInstance* instance = InstanceOf(record);
    return record->instanceKind == kKindDialogOnly ? instance->modalEqualizerDialog
                                                   : instance->equalizerDialog;
}

void ToggleAnalyzerWindow(KEFO_Params* record) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    if (instance->analyzerFrame) {
        record->DestroyFrame(instance->analyzerFrame);
        instance->settings[kAnalyzerOpen] = 0.0f;
        UpdateProcessingFlags(record);
        StoreCurrentSettings(record);
        return;
    }
    HWND frame = record->CreateFrame(0, LoadText(IDS_ANALYZER_TITLE).text, kFrameStyle, 0);
    if (!frame) return;
    GiveFrameIcon(frame);
    HWND dialog = CreateDialogParamW(ModuleHandle(), MAKEINTRESOURCEW(IDD_ANALYZER), frame,
                                     &AnalyzerDialogProc, reinterpret_cast<LPARAM>(record));
    instance->analyzerFrame = frame;
    instance->analyzerDialog = dialog;
    if (dialog) FitFrameToDialog(frame, dialog);
    instance->settings[kAnalyzerOpen] = 1.0f;
    UpdateProcessingFlags(record);
    StoreCurrentSettings(record);
    record->RefreshState();
    const bool running = record->activityFlags[0] || record->activityFlags[1] ||
                         record->activityFlags[2] || record->activityFlags[3];
    if (running && record->currentFormatA && record->currentFormatB) {
        ClearAnalyzer(record);  // the feeds adapt to the format themselves
    }
}

void ToggleEqualizerWindow(KEFO_Params* record) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    if (record->instanceKind != kKindDialogOnly && instance->equalizerDialog) {
        record->DestroyFrame(instance->equalizerFrame);
        instance->settings[kEqualizerOpen] = 0.0f;
        StoreCurrentSettings(record);
        return;
    }
    DWORD size = 0;
    const DLGTEMPLATE* dialogTemplate = LoadEqualizerTemplate(record, &size);
    if (!dialogTemplate) return;
    if (record->instanceKind == kKindDialogOnly) {
        RunModalEqualizer(record, dialogTemplate, size);
        return;
    }
    HWND frame = record->CreateFrame(1, LoadText(IDS_EQUALIZER_TITLE).text, kFrameStyle, 0);
    if (!frame) return;
    GiveFrameIcon(frame);
    instance->equalizerFrame = frame;
    HWND dialog =
        CreateDialogIndirectParamW(ModuleHandle(), dialogTemplate, frame, &EqualizerDialogProc,
                                   reinterpret_cast<LPARAM>(record));
    if (!dialog) {
        // An empty frame would stay open, and the next toggle would open a
        // second one: close it, keep the stored state, and say why.
        const DWORD code = GetLastError();
        instance->equalizerFrame = nullptr;
        record->DestroyFrame(frame);
        ReportFailedCall(record, code, "CreateDialogIndirectParam");
        return;
    }
    instance->equalizerDialog = dialog;
    instance->settings[kEqualizerOpen] = 1.0f;
    StoreCurrentSettings(record);
}

}  // namespace kefo
