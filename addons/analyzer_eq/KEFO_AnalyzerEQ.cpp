// The DLL's entry points: the loader's entry and the one export the host
// calls, which dispatches each command to its handler.
#include <windows.h>

#include "AnalyzerEq.h"
#include "support/CallSiteMarker.h"

namespace kefo {
namespace {

HINSTANCE g_module = nullptr;
KEFO_FindRecordByWindow g_windowToRecord = nullptr;

// The commands that work on an instance. The audio ones come on the host's
// audio thread, every other one on the UI thread.
struct InstanceCommand {
    int code;
    bool audio;
    int (*handler)(KEFO_Params*);  // null: answered "handled", nothing happens
};

const InstanceCommand kInstanceCommands[] = {
    {kCmdDestroyInstance, false, OnDestroy},
    {kCmdFrameClosed, false, OnFrameClosed},
    {kCmdNone5, false, nullptr},
    {kCmdQueryMenuItem, false, OnQueryMenuItem},
    {kCmdSetMenuItem, false, OnSetMenuItem},
    {kCmdMenuCommand, false, OnMenuCommand},
    {kCmdSettingsChanged, false, OnSettingsChanged},
    {kCmdSettingsApplied, false, OnSettingsApplied},
    {kCmdSetParameters, false, OnSetParameters},
    {kCmdStateChanged, false, OnStateChanged},
    {kCmdAbout, false, OnAbout},
    {kCmdColorsChanged, false, OnColorsChanged},
    {kCmdAnalyzeFeedA, true, OnAnalyzeFeed},
    {kCmdAnalyzeFeedB, true, OnAnalyzeFeed},
    {kCmdProcessRecording, true, OnEqualize},
    {kCmdProcessPlayback, true, OnEqualize},
    {kCmdProcessSaving, true, OnEqualize},
};

int Dispatch(KEFO_Params* record) {
    KEFO_MARK();
    const int code = record->command;
    if (code == kCmdInfo) return OnInfo(record);
    if (code == kCmdCreateInstance) return OnCreate(record);

    const InstanceCommand* command = nullptr;
    for (const InstanceCommand& row : kInstanceCommands) {
        if (row.code == code) {
            command = &row;
            break;
        }
    }
    if (!command) return kResultUnknown;
    // A host that sends one without a live context gets "handled" and
    // nothing happens.
    if (!record->context) return kResultHandled;
    // The UI thread reports what the audio thread could not.
    if (!command->audio) ReportAudioFailures(record);
    return command->handler ? command->handler(record) : kResultHandled;
}

}  // namespace

HINSTANCE ModuleHandle() {
    return g_module;
}
void SetModuleHandle(HINSTANCE module) {
    g_module = module;
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
