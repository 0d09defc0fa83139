// The DLL's entry points: the loader's entry and the one export the host
// calls, which dispatches each command to its handler.
#include <windows.h>

#include "AnalyzerEq.h"
#include "support/CallSiteMarker.h"

namespace kefo {
namespace {

HINSTANCE g_module = nullptr;
KEFO_FindRecordByWindow g_windowToRecord = nullptr;

int Dispatch(KEFO_Params* record) {
    KEFO_MARK();
    const int code = record->command;
    if (code == kCmdInfo) return OnInfo(record);
    if (code == kCmdCreateInstance) return OnCreate(record);

    // Every other known code works on an instance. A host that sends one
    // without a live context gets "handled" and nothing happens.
    switch (code) {
        case kCmdDestroyInstance:
        case kCmdFrameClosed:
        case kCmdNone5:
        case kCmdQueryMenuItem:
        case kCmdSetMenuItem:
        case kCmdMenuCommand:
        case kCmdSettingsChanged:
        case kCmdSettingsApplied:
        case kCmdSetParameters:
        case kCmdStateChanged:
        case kCmdAbout:
        case kCmdColorsChanged:
        case kCmdAnalyzeFeedA:
        case kCmdAnalyzeFeedB:
        case kCmdProcessRecording:
        case kCmdProcessPlayback:
        case kCmdProcessSaving:
            if (!record->context) return kResultHandled;
            break;
        default: return kResultUnknown;
    }
    // Any command but the audio ones comes on the UI thread, which reports
    // what the audio thread could not.
    const bool audio = code == kCmdAnalyzeFeedA || code == kCmdAnalyzeFeedB ||
                       code == kCmdProcessRecording || code == kCmdProcessPlayback ||
                       code == kCmdProcessSaving;
    if (!audio) ReportAudioFailures(record);

    switch (code) {
        case kCmdDestroyInstance: return OnDestroy(record);
        case kCmdFrameClosed: return OnFrameClosed(record);
        case kCmdQueryMenuItem: return OnQueryMenuItem(record);
        case kCmdSetMenuItem: return OnSetMenuItem(record);
        case kCmdMenuCommand: return OnMenuCommand(record);
        case kCmdSettingsChanged: return OnSettingsChanged(record);
        case kCmdSettingsApplied: return OnSettingsApplied(record);
        case kCmdSetParameters: return OnSetParameters(record);
        case kCmdStateChanged: return OnStateChanged(record);
        case kCmdColorsChanged: return OnColorsChanged(record);
        case kCmdAbout: return OnAbout(record);
        case kCmdAnalyzeFeedA:
        case kCmdAnalyzeFeedB: return OnAnalyzeFeed(record);
        case kCmdProcessRecording:
        case kCmdProcessPlayback:
        case kCmdProcessSaving: return OnEqualize(record);
        default:  // 5
            return kResultHandled;
    }
}

}  // namespace

HINSTANCE ModuleHandle() {
    return g_module;
}
void SetModuleHandle(HINSTANCE module) {
    g_module = module;
}
KEFO_FindRecordByWindow WindowToRecord() {
    return g_windowToRecord;
}
void SetWindowToRecord(KEFO_FindRecordByWindow find) {
    g_windowToRecord = find;
}

KEFO_Params* RecordOfDialog(HWND dialog) {
    KEFO_Params* record = g_windowToRecord ? g_windowToRecord(dialog) : nullptr;
    return record && record->context ? record : nullptr;
}

void ReportErrorRecord(KEFO_Params* record, const ErrorRecordA& error) {
    KEFO_MARK();
    record->ReportError(0, "Err %u-%u in %s(%s)", static_cast<unsigned>(error.kind),
                        static_cast<unsigned>(error.code), error.function, error.argument);
}

ResourceText LoadText(int id) {
    ResourceText text{};
    LoadStringA(g_module, static_cast<UINT>(id), text.text, sizeof text.text);
    return text;
}

}  // namespace kefo

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        kefo::SetModuleHandle(module);
        DisableThreadLibraryCalls(module);
    }
    return TRUE;
}

// No exception ever reaches the host: whatever escapes a handler ends here.
extern "C" __declspec(dllexport) int __stdcall KEFO_Processing(KEFO_Params* record) {
    if (!record) return kefo::kResultUnknown;
    try {
        return kefo::Dispatch(record);
    } catch (...) {
        return kefo::kResultUnknown;
    }
}
