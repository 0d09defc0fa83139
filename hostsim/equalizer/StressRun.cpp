#include "StressRun.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <thread>

#include "hostsim/host/AddOnModule.h"
#include "support/UniqueHandle.h"
#include "hostsim/host/AudioStream.h"
#include "StressActions.h"
#include "StressAudio.h"

namespace hostsim {
namespace {

constexpr long long kStallMillis = 2000;
constexpr long long kHostFrameMillis = 10000;  // the host closing a frame under Wine

// Every window message the UI thread handles is a sign of life: a slow
// action on a loaded machine is not a stall as long as messages flow.
std::atomic<long long>* g_uiBeat = nullptr;

LRESULT CALLBACK BeatOnMessage(int code, WPARAM wParam, LPARAM lParam) {
    if (g_uiBeat) g_uiBeat->store(StressShared::NowMillis());
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Processor time a thread has used, in 100 ns units.
unsigned long long ThreadTime(HANDLE thread) {
    FILETIME created, exited, kernel, user;
    if (!thread || !GetThreadTimes(thread, &created, &exited, &kernel, &user)) return 0;
    auto value = [](const FILETIME& time) {
        return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return value(kernel) + value(user);
}

// Ends the process when a thread has shown no sign of life for two seconds:
// a deadlocked thread cannot be stopped any other way. The UI thread also
// lives while it uses the processor: a window opened on a loaded machine
// under Wine may take seconds between two messages.
void Watchdog(StressShared& shared, const std::atomic<bool>& stop, unsigned seed, HANDLE ui) {
    unsigned long long uiTime = ThreadTime(ui);
    while (!stop.load()) {
        Sleep(100);
        const long long now = StressShared::NowMillis();
        const unsigned long long time = ThreadTime(ui);
        if (time != uiTime) shared.uiBeat.store(now);
        uiTime = time;
        const char* stalled = nullptr;
        const long long uiLimit = shared.hostClosingFrame.load() ? kHostFrameMillis : kStallMillis;
        if (now - shared.uiBeat.load() > uiLimit) stalled = "UI";
        if (!shared.audioDone.load() && now - shared.audioBeat.load() > kStallMillis)
            stalled = "audio";
        if (!stalled) continue;
        std::printf(
            "audio_calls=%lld\nui_actions=%lld\nresult=FAIL the %s thread stalled for 2 s, "
            "the UI thread at: %s (reproduce with --seed %u)\n",
            shared.audioCalls.load(), shared.uiActions.load(), stalled, shared.uiAction.load(),
            seed);
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 1);
    }
}

// What a fresh instance without windows makes of the final stream in one
// call, single-threaded.
bool ReferenceOutput(KEFO_ProcessingFn processing, const std::vector<float>& settings,
                     const std::vector<float>& input, std::vector<float>& output) {
    HostRecord record;
    record.Attach(processing);
    record.instanceKind = kefo::kKindHeadless;
    record.SetStoredSettings(settings);
    if (!record.CreateInstance()) return false;
    StreamFormat format{2, StressAudio::kFinalRate, kefo::kCmdProcessPlayback};
    output = SendBlock(record, input.data(), static_cast<int>(input.size()), format, true, true);
    record.Send(kefo::kCmdDestroyInstance);
    return true;
}

std::string BufferFaults(const HostRecord& record, const char* which) {
    if (record.OutstandingAudioBuffers())
        return std::to_string(record.OutstandingAudioBuffers()) + " audio buffer(s) of the " +
               which + " record never freed";
    if (!record.AudioFaults().empty()) return record.AudioFaults().front();
    return {};
}

}  // namespace

StressReport RunStress(const StressOptions& options) {
    StressReport report;
    AddOnModule module(options.addOnPath);
    if (!module.Loaded()) {
        report.failure = Narrow(options.addOnPath) + ": " + module.Error();
        return report;
    }

    // A full instance that comes up with both windows open.
    StressShared shared;
    StressUiRecord ui(shared);
    ui.Attach(module.Processing());
    ui.instanceKind = kefo::kKindFull;
    std::vector<float> stored(17, 0.0f);
    stored[0] = 65537.0f;
    stored[1] = stored[2] = stored[3] = stored[4] = 1.0f;
    ui.SetStoredSettings(stored);
    ui.script.fileOutputValue = 1.0;
    ui.script.isAudioRunning = 1;
    ui.script.activityFlags[0] = 1;
    if (!ui.CreateInstance()) {
        report.failure = "the add-on made no instance";
        return report;
    }
    if (!ui.Frame(0) || !ui.Frame(1)) report.failure = "the add-on did not open both windows";

    // The audio thread's record: its own fields, the same instance.
    HostRecord audio;
    audio.Attach(module.Processing());
    audio.instanceKind = kefo::kKindFull;
    audio.context = ui.context;

    std::atomic<bool> stopWatchdog{false};
    kefo::UniqueKernelHandle uiThread(
        OpenThread(THREAD_QUERY_INFORMATION, FALSE, GetCurrentThreadId()));
    std::thread watchdog(Watchdog, std::ref(shared), std::cref(stopWatchdog), options.seed,
                         uiThread.Get());
    StressAudio player(audio, shared, options.seed * 2654435761u + 1u);
    StressActions actions(ui, shared, options.seed);
    std::vector<float> finalSettings;
    g_uiBeat = &shared.uiBeat;
    HHOOK sentHook =
        SetWindowsHookExW(WH_CALLWNDPROC, BeatOnMessage, nullptr, GetCurrentThreadId());
    HHOOK postedHook =
        SetWindowsHookExW(WH_GETMESSAGE, BeatOnMessage, nullptr, GetCurrentThreadId());
    if (report.failure.empty()) {
        std::thread audioThread([&] { player.Run(); });
        const long long end = StressShared::NowMillis() + 1000LL * options.seconds;
        while (StressShared::NowMillis() < end && !shared.failed.load()) {
            StressActions::Pump(shared);
            const long long before = StressShared::NowMillis();
            actions.RunOne();
            const long long now = StressShared::NowMillis();
            if (now - before > shared.slowestUiMillis) {
                shared.slowestUiMillis = now - before;
                shared.slowestUiAction = shared.uiAction.load();
            }
            shared.uiBeat.store(now);
        }
        finalSettings = actions.SetFinalSettings();
        shared.finalPhase.store(true);
        while (!shared.audioDone.load()) {
            StressActions::Pump(shared);
            shared.uiBeat.store(StressShared::NowMillis());
            Sleep(1);
        }
        audioThread.join();
        report.failure = shared.Failure();
    }
    stopWatchdog.store(true);
    watchdog.join();
    if (sentHook) UnhookWindowsHookEx(sentHook);
    if (postedHook) UnhookWindowsHookEx(postedHook);
    g_uiBeat = nullptr;

    ui.CloseFrames();
    ui.Send(kefo::kCmdDestroyInstance);
    report.audioCalls = shared.audioCalls.load();
    report.uiActions = shared.uiActions.load();
    report.maxAudioWaitMicros = player.MaxWaitMicros();
    report.maxAudioCallMicros = player.MaxCallMicros();
    report.slowestUiMillis = shared.slowestUiMillis;
    report.slowestUiAction = shared.slowestUiAction;
    if (!report.failure.empty()) return report;
    for (const std::string& fault : {BufferFaults(ui, "UI"), BufferFaults(audio, "audio")}) {
        if (!fault.empty()) {
            report.failure = fault;
            return report;
        }
    }

    // Once the actions stopped, the instance filters as a fresh one would.
    std::vector<float> expected;
    if (!ReferenceOutput(module.Processing(), finalSettings, player.FinalInput(), expected)) {
        report.failure = "the reference instance could not be made";
        return report;
    }
    const std::vector<float>& got = player.FinalOutput();
    if (got.size() != expected.size()) {
        report.failure = "the final stream came back with " + std::to_string(got.size()) +
                         " samples, a fresh instance gives " + std::to_string(expected.size());
        return report;
    }
    for (std::size_t i = 0; i < got.size(); ++i) {
        const double difference = std::fabs(static_cast<double>(got[i]) - expected[i]);
        report.maxDifference = std::max(report.maxDifference, difference);
        if (!(difference <= 1e-6 * (1.0 + std::fabs(expected[i])))) {
            report.failure =
                "the final output differs from a fresh instance's at sample " + std::to_string(i);
            return report;
        }
    }
    return report;
}

}  // namespace hostsim
