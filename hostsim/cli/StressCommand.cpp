// hostsim stress: the equalizer add-on driven from an audio thread and a UI
// thread at once; prints key=value lines and ends with result=PASS or
// result=FAIL and the reason.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "hostsim/host/AddOnModule.h"
#include "Commands.h"
#include "hostsim/equalizer/EqualizerRun.h"
#include "hostsim/equalizer/StressRun.h"

namespace hostsim {
namespace {

const char kUsage[] =
    "usage: hostsim stress [--seconds N] [--seed N] [--addon PATH]\n"
    "  --seconds N   how long the random actions run (default 10)\n"
    "  --seed N      seed of the random blocks and actions (default: from the clock)\n"
    "  --addon PATH  the add-on DLL, or a folder holding KEFO_AnalyzerEQ.dll\n";

}  // namespace

int RunStressCommand(int argc, wchar_t** argv) {
    StressOptions options;
    options.seed = static_cast<unsigned>(GetTickCount());
    std::wstring addOn;
    for (int i = 0; i < argc; ++i) {
        const std::wstring option = argv[i];
        const wchar_t* value = i + 1 < argc ? argv[i + 1] : nullptr;
        unsigned long long number = 0;
        if (option == L"--seconds" && ParseNumber(value, 86400, number)) {
            options.seconds = static_cast<int>(number);
        } else if (option == L"--seed" && ParseNumber(value, 0xFFFFFFFFu, number)) {
            options.seed = static_cast<unsigned>(number);
        } else if (option == L"--addon" && value) {
            addOn = value;
        } else {
            std::fputs(kUsage, option == L"--help" ? stdout : stderr);
            return option == L"--help" ? 0 : 2;
        }
        ++i;
    }
    options.addOnPath = ResolveAddOnPath(addOn);

    std::printf("seconds=%d\nseed=%u\n", options.seconds, options.seed);
    std::fflush(stdout);
    const StressReport report = RunStress(options);
    std::printf(
        "audio_calls=%lld\nui_actions=%lld\nmax_audio_wait_us=%lld\n"
        "max_audio_call_us=%lld\nslowest_ui_action_ms=%lld (%s)\n"
        "max_final_difference=%.3g\n",
        report.audioCalls, report.uiActions, report.maxAudioWaitMicros, report.maxAudioCallMicros,
        report.slowestUiMillis, report.slowestUiAction.c_str(), report.maxDifference);
    if (report.failure.empty()) {
        std::puts("result=PASS");
        return 0;
    }
    std::printf("result=FAIL %s (reproduce with --seed %u)\n", report.failure.c_str(),
                options.seed);
    return 1;
}

}  // namespace hostsim
