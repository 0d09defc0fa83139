// What the host is told of an instance's state: the processing word (which
// audio commands it wants, how often the UI side is woken), the stored
// settings and the status indicator.
#include "AnalyzerEq.h"
#include "resource.h"
#include "support/CallSiteMarker.h"

namespace kefo {
namespace {

constexpr int kDefaultUpdatePeriod = 4000;
constexpr int kPlaybackUpdatePeriod = 500;

}  // namespace

void UpdateProcessingFlags(KEFO_Params* record) {
    KEFO_MARK();
    const AnalyzerEqInstance* instance = InstanceOf(record);
    const AnalyzerEqSettings& settings = instance->settings;
    int commands = 0;
    int period = kDefaultUpdatePeriod;
    if (settings[kAnalyzerOpen] != 0.0f) commands = kCmdAnalyzeFeedA | kCmdAnalyzeFeedB;
    if (settings.IsOn(kUseForPlayback)) {
        commands |= kCmdProcessPlayback;
        if (instance->equalizerDialog) period = kPlaybackUpdatePeriod;
    }
    if (settings.IsOn(kUseRecording)) commands |= kCmdProcessRecording;
    if (settings.IsOn(kUseSaving)) commands |= kCmdProcessSaving;
    record->audioCommands = commands;
    record->updatePeriod = period;
}

void StoreCurrentSettings(KEFO_Params* record) {
    KEFO_MARK();
    record->StoreSettings(kSettingsCount, InstanceOf(record)->settings.values, 0, nullptr);
}

void UpdateIndicator(KEFO_Params* record) {
    KEFO_MARK();
    if (record->instanceKind != kKindFull) return;
    const AnalyzerEqInstance* instance = InstanceOf(record);
    const AnalyzerEqSettings& settings = instance->settings;
    const bool on = settings[kUseForPlayback] != 0.0f || settings[kUseRecording] != 0.0f ||
                    settings[kUseSaving] != 0.0f;
    record->FormatText("%s: %s", LoadText(IDS_GRAPHIC_EQUALIZER).text,
                       LoadText(on ? IDS_STATE_ON : IDS_STATE_OFF).text);
    record->SetIndicator(0, on ? instance->indicatorOn.Get() : instance->indicatorOff.Get(),
                         record->hostText);
}

}  // namespace kefo
