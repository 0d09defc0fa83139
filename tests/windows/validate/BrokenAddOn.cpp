// Test-only add-ons for hostsim validate: a small, well-behaved add-on that
// breaks exactly one rule, chosen by KEFO_BROKEN_RULE when it is built.
// Never shipped.
#include <windows.h>

#include <xmmintrin.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
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
#define KEFO_RULE_ALLOCATES 10
#define KEFO_RULE_SLOW 11
#define KEFO_RULE_UNWRITTEN 12
#define KEFO_RULE_SUBNORMAL 13
#define KEFO_RULE_SHARES_STATE 14
#define KEFO_RULE_FORGETS_SETTINGS 15

#ifndef KEFO_BROKEN_RULE
#define KEFO_BROKEN_RULE 0
#endif

namespace {

struct Instance {
    float carried[2] = {0.0f, 0.0f};  // the last output of each channel
    float gain = 0.5f;
};

#if KEFO_BROKEN_RULE == KEFO_RULE_SHARES_STATE
Instance shared;  // one filter memory for every instance, cleared by each Create
#endif

#if KEFO_BROKEN_RULE == KEFO_RULE_SLOW
// Spins for 1.5 times the block's duration.
void SpinFor(int frames, int rate) {
    LARGE_INTEGER start, now, frequency;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const double seconds = 1.5 * frames / rate;
    do QueryPerformanceCounter(&now);
    while (static_cast<double>(now.QuadPart - start.QuadPart) / frequency.QuadPart < seconds);
}
#endif

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
    auto* instance = new Instance;
    record->context = instance;
    record->audioCommands = kefo::kCmdProcessPlayback;
#if KEFO_BROKEN_RULE == KEFO_RULE_SHARES_STATE
    shared = Instance();
#elif KEFO_BROKEN_RULE == KEFO_RULE_FORGETS_SETTINGS
    // Stores its gain in percent, and reads it back as a factor.
    if (record->settings && record->settingsCount >= 1 && record->settings[0] >= 0.0f)
        instance->gain = record->settings[0] < 4.0f ? record->settings[0] : 4.0f;
    const float stored[] = {100.0f * instance->gain};
    record->StoreSettings(1, stored, 0, nullptr);
#endif
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
#elif KEFO_BROKEN_RULE == KEFO_RULE_ALLOCATES
    void* volatile scratch = std::malloc(64);
    std::free(scratch);
#elif KEFO_BROKEN_RULE == KEFO_RULE_SLOW
    const int frames = record->audioItemCount / channels;
    if (record->command == kefo::kCmdProcessPlayback && record->audioFormatB == 48000 &&
        channels == 2 && frames <= 4096)
        SpinFor(frames, record->audioFormatB);
#elif KEFO_BROKEN_RULE == KEFO_RULE_UNWRITTEN
    // Its own output buffer, one sample short of filled.
    float* out = static_cast<float*>(record->AllocateAudio(4 * record->audioItemCount));
    if (out) {
        for (int i = 0; i + 1 < record->audioItemCount; ++i) out[i] = 0.5f * samples[i];
        record->FreeAudio(samples);
        record->audioBuffer = out;
        return kefo::kResultHandled;
    }
#elif KEFO_BROKEN_RULE == KEFO_RULE_SHARES_STATE
    instance = &shared;
#endif
    for (int i = 0; i < record->audioItemCount; ++i) {
        float& carried = instance->carried[i % channels];
#if KEFO_BROKEN_RULE == KEFO_RULE_NAN_SPREADS
        samples[i] = 0.5f * samples[i] + 0.25f * carried;  // a filter that remembers
#elif KEFO_BROKEN_RULE == KEFO_RULE_SUBNORMAL || KEFO_BROKEN_RULE == KEFO_RULE_SHARES_STATE
        // A filter that remembers and forgets a sample that is not finite;
        // after a tone, its memory decays through the subnormal numbers.
        samples[i] = 0.5f * samples[i] + 0.5f * (std::isfinite(carried) ? carried : 0.0f);
#if KEFO_BROKEN_RULE == KEFO_RULE_SHARES_STATE
        if (std::fabs(samples[i]) < 1e-30f) samples[i] = 0.0f;
#endif
#else
        samples[i] = instance->gain * samples[i];
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
