// Instances made and ended many times, and the calls a careless host makes
// around them: a second Create on a live record, commands after Destroy,
// Destroy twice. Create answers 1 with a context or 3 without one; every
// other command answers 0 or 1; no host buffer is left behind. Then the
// careless host's random calls on every kind, served or not.
#include "hostsim/validate/CarelessHost.h"
#include "hostsim/host/HostBlock.h"
#include "hostsim/validate/Validation.h"

namespace hostsim {
namespace {

// Every command but Info, Create, Destroy and About (a modal dialog), and
// the audio codes.
const int kOtherCommands[] = {
    kefo::kCmdFrameClosed,      kefo::kCmdNone5,           kefo::kCmdQueryMenuItem,
    kefo::kCmdSetMenuItem,      kefo::kCmdMenuCommand,     kefo::kCmdSettingsChanged,
    kefo::kCmdSettingsApplied,  kefo::kCmdSetParameters,   kefo::kCmdStateChanged,
    kefo::kCmdColorsChanged,    kefo::kCmdFramework15,     kefo::kCmdAnalyzeFeedA,
    kefo::kCmdProcessRecording, kefo::kCmdProcessPlayback, kefo::kCmdAnalyzeFeedB,
    kefo::kCmdProcessSaving};

void RequireZeroOrOne(int result, const std::string& what) {
    Require(result == 0 || result == 1, what + ": answered " + std::to_string(result));
}

void Create(ValidationRun& run, HostRecord& record, const std::string& what) {
    const int result = run.Send(record, kefo::kCmdCreateInstance, what);
    Require(result == kefo::kResultHandled || result == kefo::kResultKindNotServed,
            what + ": answered " + std::to_string(result));
    Require((result == kefo::kResultHandled) == (record.context != nullptr),
            what + (result == kefo::kResultHandled ? ": answered 1 without a context"
                                                   : ": refused but left a context"));
}

void Destroy(ValidationRun& run, HostRecord& record, const std::string& what) {
    record.CloseFrames();
    RequireZeroOrOne(run.Send(record, kefo::kCmdDestroyInstance, what), what);
    // The host never uses the context again: a record that lives on has none.
    record.context = nullptr;
}

// The commands a host that keeps the record sends after Destroy. Audio
// comes in a host buffer of one second of stereo silence, which must stay
// the host's.
void CommandsAfterDestroy(ValidationRun& run, HostRecord& record, const std::string& kind) {
    std::vector<float> settings(64, 0.0f);
    for (int command : kOtherCommands) {
        record.settings = settings.data();
        record.settingsCount = static_cast<int>(settings.size());
        record.menuItemId = kefo::kFirstMenuItemId;
        record.frameIndex = 0;
        const HostBlock block(record, nullptr, 2 * 44100, {2, 44100, false, false});
        const std::string what =
            "command " + std::to_string(command) + " after Destroy (" + kind + ")";
        RequireZeroOrOne(run.Send(record, command, what), what);
        record.settings = nullptr;
        record.settingsCount = 0;
    }
}

}  // namespace

std::string CheckLifecycle(ValidationRun& run) {
    const std::vector<int>& kinds = run.ServedKinds();
    Require(!kinds.empty(), "Create: no instance kind (0, 1 or 2) is served");
    const int rounds = run.Options().full ? 500 : 20;
    for (int kind : kinds) {
        const std::string k = KindText(kind);
        HostRecord record;
        record.Attach(run.Processing());
        record.instanceKind = kind;
        for (int round = 0; round < rounds; ++round) {
            Create(run, record, "Create (" + k + ", round " + std::to_string(round + 1) + ")");
            Destroy(run, record, "Destroy (" + k + ", round " + std::to_string(round + 1) + ")");
        }
        // The first instance is ended after the second, so that what it
        // holds is not counted as a leak.
        Create(run, record, "Create (" + k + ")");
        void* const first = record.context;
        Create(run, record, "a second Create on a live record (" + k + ")");
        void* const second = record.context;
        Destroy(run, record, "Destroy (" + k + ")");
        if (first && second != first) {
            record.context = first;
            Destroy(run, record, "Destroy of the first instance (" + k + ")");
        }
        Destroy(run, record, "Destroy twice (" + k + ")");
        CommandsAfterDestroy(run, record, k);
        Require(record.OutstandingAudioBuffers() == 0,
                k + ": " + std::to_string(record.OutstandingAudioBuffers()) +
                    " audio buffers from AllocateAudio never freed");
        Require(record.AudioFaults().empty(),
                k + ": " + (record.AudioFaults().empty() ? "" : record.AudioFaults().front()));
    }
    const int carelessCalls = run.Options().full ? 4000 : 400;
    for (int kind : {kefo::kKindFull, kefo::kKindDialogOnly, kefo::kKindHeadless})
        RunCarelessHost(run, kind, run.Options().seed + static_cast<unsigned>(kind), carelessCalls);
    std::string served;
    for (int kind : kinds) served += (served.empty() ? "" : ", ") + std::to_string(kind);
    return std::to_string(rounds) + " rounds of Create and Destroy on kinds " + served + ", " +
           std::to_string(carelessCalls) + " careless calls on each kind";
}

}  // namespace hostsim
