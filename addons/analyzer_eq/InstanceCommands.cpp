// Info, instance creation and destruction, menus and host notifications.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "AnalyzerEq.h"
#include "ParameterTexts.h"
#include "resource.h"
#include "support/CallSiteMarker.h"

namespace kefo {

const double kAnalyzerBandEdges[kAnalyzerBandCount] = {46,   76,   106,   148,   210,  300,  420,
                                                       595,  840,  1190,  1680,  2380, 3360, 4755,
                                                       6725, 9510, 13450, 17500, 22050};

namespace {

constexpr int kHostMenuAddOns = 6;
constexpr int kHostMenuKind1 = 1;
constexpr int kHelpTopicAddOn = kHelpTopicBase + 0x6A;

// Copies text into a fixed field of the record, cut to fit with its NUL.
void CopyText(char* field, std::size_t size, const char* text) {
    const std::size_t length = std::min(std::strlen(text), size - 1);
    std::memcpy(field, text, length);
    field[length] = '\0';
}

void LoadIndicatorBitmaps(AnalyzerEqInstance& instance) {
    KEFO_MARK();
    instance.indicatorOn.Reset(static_cast<HBITMAP>(
        LoadImageA(ModuleHandle(), MAKEINTRESOURCEA(IDB_INDICATOR_ON), IMAGE_BITMAP, 0, 0,
                   LR_LOADMAP3DCOLORS | LR_LOADTRANSPARENT)));
    instance.indicatorOff.Reset(
        static_cast<HBITMAP>(LoadImageA(ModuleHandle(), MAKEINTRESOURCEA(IDB_INDICATOR_OFF),
                                        IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS)));
}

void FreeIndicatorBitmaps(AnalyzerEqInstance& instance) {
    KEFO_MARK();
    instance.indicatorOn.Reset();
    instance.indicatorOff.Reset();
}

void AddMenuItems(KEFO_Params* record) {
    KEFO_MARK();
    if (record->instanceKind == kKindDialogOnly) {
        record->AddMenuItem(kMenuDialogEqualizer, kHostMenuKind1,
                            LoadText(IDS_GRAPHIC_EQUALIZER).text, 0);
        return;
    }
    record->AddMenuItem(kMenuPopup, kHostMenuAddOns, LoadText(IDS_MENU_POPUP).text, 1);
    record->AddMenuItem(kMenuAnalyzer, kMenuPopup, LoadText(IDS_SPECTRUM_ANALYZER).text, 0);
    record->AddMenuItem(kMenuEqualizer, kMenuPopup, LoadText(IDS_GRAPHIC_EQUALIZER).text, 0);
    record->FormatText("%s Help", LoadText(IDS_ADDON_NAME).text);
    record->AddMenuItem(kMenuHelp, kHostHelpMenu, record->hostText, 0);
}

void FillConstantConfiguration(AnalyzerEqInstance& instance) {
    instance.analyzerConfig.bandCount = kAnalyzerBandCount;
    instance.analyzerConfig.bandEdges = kAnalyzerBandEdges;
    instance.analyzerConfig.pointsPerBand = 2;
    instance.analyzerConfig.peakMode = 0;
}

}  // namespace

int OnInfo(KEFO_Params* record) {
    KEFO_MARK();
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    CopyText(record->displayName, sizeof record->displayName, LoadText(IDS_ADDON_NAME).text);
    CopyText(record->idString, sizeof record->idString, kAnalyzerEqId);
    record->addOnKind = kAnalyzerEqKind;
    record->addOnVersion = PackVersion(kAddOnVersionMajor, kAddOnVersionMinor);
    record->minHostVersion = kHostVersion7_0;
    record->attributeA = 2;
    record->attributeB = 1;
    record->SetHelpFile(kHelpFileName);
    return kResultHandled;
}

int OnCreate(KEFO_Params* record) {
    KEFO_MARK();
    const int kind = record->instanceKind;
    if (kind < kKindFull || kind > kKindHeadless) return kResultKindNotServed;
    auto* instance = new (std::nothrow) AnalyzerEqInstance;
    record->context = instance;
    if (!instance) return kResultKindNotServed;
    SetWindowToRecord(record->findRecordByWindow);

    if (IsAdoptable(record->settingsCount, record->settings)) {
        std::memcpy(instance->settings.values, record->settings, sizeof instance->settings.values);
        if (kind == kKindDialogOnly) {
            instance->settings[kUseForPlayback] = 0.0f;
            instance->settings[kUseRecording] = 0.0f;
        } else {
            instance->settings[kUseSaving] = 0.0f;
        }
        for (int band = 0; band < kBandCount; ++band)
            instance->settings.Gains()[band] = ClampGain(instance->settings.Gains()[band]);
    }

    SetEqualizerStart(record);
    UpdateProcessingFlags(record);
    if (kind != kKindHeadless) StoreCurrentSettings(record);
    if (kind != kKindHeadless) AddMenuItems(record);
    if (kind == kKindFull) {
        LoadIndicatorBitmaps(*instance);
        UpdateIndicator(record);
    }
    FillConstantConfiguration(*instance);
    if (kind == kKindFull) {
        if (instance->settings.IsOn(kAnalyzerOpen)) {
            instance->settings[kAnalyzerOpen] = 0.0f;  // the toggle opens it and sets it again
            ToggleAnalyzerWindow(record);
        }
        if (instance->settings.IsOn(kEqualizerOpen)) {
            instance->settings[kEqualizerOpen] = 0.0f;
            ToggleEqualizerWindow(record);
        }
        record->DescribeParameters(kSettingsCount, ParameterTexts());
    }
    return kResultHandled;
}

int OnDestroy(KEFO_Params* record) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    if (record->instanceKind == kKindFull) FreeIndicatorBitmaps(*instance);
    delete instance;
    // The record outlives the instance; later calls on it find no context.
    record->context = nullptr;
    return kResultHandled;
}

int OnFrameClosed(KEFO_Params* record) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    if (record->frameIndex == 0) {
        // With the window gone the analyzer feeds are no longer wanted.
        instance->settings[kAnalyzerOpen] = 0.0f;
        UpdateProcessingFlags(record);
        StoreCurrentSettings(record);
    } else if (record->frameIndex == 1) {
        instance->settings[kEqualizerOpen] = 0.0f;
        StoreCurrentSettings(record);
    }
    return kResultHandled;
}

int OnQueryMenuItem(KEFO_Params* record) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    const bool checked = (record->menuItemId == kMenuAnalyzer && instance->analyzerDialog) ||
                         (record->menuItemId == kMenuEqualizer && instance->equalizerDialog);
    record->menuItemState = checked ? 3 : 1;
    return kResultHandled;
}

int OnSetMenuItem(KEFO_Params* record) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    if (record->menuItemId == kMenuDialogEqualizer)
        instance->settings[kUseSaving] = record->menuItemValue ? 1.0f : 0.0f;
    UpdateProcessingFlags(record);
    StoreCurrentSettings(record);
    return kResultHandled;
}

int OnMenuCommand(KEFO_Params* record) {
    KEFO_MARK();
    switch (record->menuItemId) {
        case kMenuAnalyzer: ToggleAnalyzerWindow(record); break;
        case kMenuEqualizer:
        case kMenuDialogEqualizer: ToggleEqualizerWindow(record); break;
        case kMenuHelp: record->ShowHelp(kHelpTopicAddOn); break;
        default: break;
    }
    return kResultHandled;
}

int OnStateChanged(KEFO_Params* record) {
    KEFO_MARK();
    if (record->instanceKind == kKindDialogOnly) return kResultHandled;
    AnalyzerEqInstance* instance = InstanceOf(record);
    record->RefreshState();
    if (record->keepSaveOption == 0 && instance->settings.IsOn(kUseSaving)) {
        if (HWND dialog = EqualizerDialog(record))
            CheckDlgButton(dialog, IDC_EQ_APPLY_TO_FILE, BST_UNCHECKED);
        instance->settings[kUseSaving] = 0.0f;
        UpdateProcessingFlags(record);
        StoreCurrentSettings(record);
    }
    RefreshEqualizerControls(record);
    if (record->currentFormatA && record->currentFormatB) {
        // The audio side adapts to the format with its next block.
        ClearAnalyzer(record);
        RestartEqualizerStream(record);
    }
    return kResultHandled;
}

int OnColorsChanged(KEFO_Params* record) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    for (HWND dialog : {instance->equalizerDialog, instance->modalEqualizerDialog}) {
        if (!dialog) continue;
        for (int slider = 0; slider < kBandCount; ++slider)
            SendDlgItemMessageW(dialog, IDC_EQ_SLIDER1 + slider, WM_SYSCOLORCHANGE, 0, 0);
    }
    if (record->instanceKind == kKindFull) {
        FreeIndicatorBitmaps(*instance);
        LoadIndicatorBitmaps(*instance);
        UpdateIndicator(record);
    }
    return kResultHandled;
}

}  // namespace kefo
