// Test-only add-ons for hostsim validate: a small, well-behaved add-on that
// breaks exactly one rule, chosen by KEFO_BROKEN_RULE when it is built.
// Never shipped.
#include <windows.h>

#include <xmmintrin.h>

#include <clocale>
#include <cstring>
#include <stdexcept>

#include "framework/protocol/KEFO_Params.h"

#define KEFO_RULE_UNTERMINATED_NAME 1
#define KEFO_RULE_WRONG_OUTPUT_LENGTH 2
#define KEFO_RULE_NAN_SPREADS 3
#define KEFO_RULE_GDI_LEAK 4
#define KEFO_RULE_THROWS 5
#define KEFO_RULE_HANGS 6
#define KEFO_RULE_ENDS_PROCESS 7
#define KEFO_RULE_FLUSHES_TO_ZERO 8
#define KEFO_RULE_SETS_LOCALE 9

#ifndef KEFO_BROKEN_RULE
#define KEFO_BROKEN_RULE 0
#endif

namespace {

struct Instance {
    float carried[2] = {0.0f, 0.0f};  // the last output of each channel
};

int Info(KEFO_Params* record) {
    std::strcpy(record->displayName, "Broken Add-on");
#if KEFO_BROKEN_RULE == KEFO_RULE_UNTERMINATED_NAME
    std::memset(record->displayName, 'B', sizeof record->displayName);
#endif
    std::strcpy(record->idString, "KeFoBr");
    record->addOnKind = 99;
    record->addOnVersion = kefo::PackVersion(1, 0);
    record->minHostVersion = kefo::kHostVersion7_0;
    record->SetHelpFile(nullptr);
    return kefo::kResultHandled;
}

int Create(KEFO_Params* record) {
    if (record->instanceKind == kefo::kKindDialogOnly) return kefo::kResultKindNotServed;
    record->context = new Instance;
    record->audioCommands = kefo::kCmdProcessPlayback;
#if KEFO_BROKEN_RULE == KEFO_RULE_GDI_LEAK
    CreateSolidBrush(RGB(1, 2, 3));
#endif
    return kefo::kResultHandled;
}

// Halves the block in place, as a volume control would.
int Process(KEFO_Params* record) {
    auto* instance = static_cast<Instance*>(record->context);
    const int channels = record->audioFormatA == 1 ? 1 : 2;
    float* samples = record->audioBuffer;
    if (!instance || !samples || record->audioItemCount <= 0) return kefo::kResultHandled;
#if KEFO_BROKEN_RULE == KEFO_RULE_FLUSHES_TO_ZERO
    _mm_setcsr(_mm_getcsr() | 0x8040);  // flush-to-zero and denormals-are-zero, left on
#elif KEFO_BROKEN_RULE == KEFO_RULE_SETS_LOCALE
    std::setlocale(LC_ALL, "");  // the user's locale, left for the host
#endif
#if KEFO_BROKEN_RULE == KEFO_RULE_HANGS
    if (record->audioFormatB == 192000)
        for (volatile int forever = 1; forever;) Sleep(10);
#endif
    for (int i = 0; i < record->audioItemCount; ++i) {
        float& carried = instance->carried[i % channels];
#if KEFO_BROKEN_RULE == KEFO_RULE_NAN_SPREADS
        samples[i] = 0.5f * samples[i] + 0.25f * carried;  // a filter that remembers
#else
        samples[i] = 0.5f * samples[i];
#endif
        carried = samples[i];
    }
#if KEFO_BROKEN_RULE == KEFO_RULE_WRONG_OUTPUT_LENGTH
    record->audioItemCount += channels;
#endif
    return kefo::kResultHandled;
}

int Dispatch(KEFO_Params* record) {
    switch (record->command) {
        case kefo::kCmdInfo: return Info(record);
        case kefo::kCmdCreateInstance: return Create(record);
        case kefo::kCmdDestroyInstance:
            delete static_cast<Instance*>(record->context);
            record->context = nullptr;
            return kefo::kResultHandled;
        case kefo::kCmdSettingsChanged:
#if KEFO_BROKEN_RULE == KEFO_RULE_THROWS
            if (record->context) throw std::runtime_error("settings refused");
#endif
            return kefo::kResultHandled;
        case kefo::kCmdColorsChanged:
#if KEFO_BROKEN_RULE == KEFO_RULE_ENDS_PROCESS
            if (record->context) ExitProcess(7);
#endif
            return kefo::kResultHandled;
        case kefo::kCmdProcessRecording:
        case kefo::kCmdProcessPlayback:
        case kefo::kCmdProcessSaving: return Process(record);
        case kefo::kCmdAnalyzeFeedA:
        case kefo::kCmdAnalyzeFeedB:
        case kefo::kCmdFrameClosed:
        case kefo::kCmdSettingsApplied:
        case kefo::kCmdSetParameters:
        case kefo::kCmdStateChanged: return kefo::kResultHandled;
        default: return kefo::kResultUnknown;
    }
}

}  // namespace

extern "C" __declspec(dllexport) int __stdcall KEFO_Processing(KEFO_Params* record) {
    if (!record) return kefo::kResultUnknown;
#if KEFO_BROKEN_RULE == KEFO_RULE_THROWS
    return Dispatch(record);  // lets its exception out, as a careless add-on does
#else
    try {
        return Dispatch(record);
    } catch (...) {
        return kefo::kResultUnknown;
    }
#endif
}
