// hostsim validate: whether an add-on DLL, ours or anyone's, is fit for the
// host. Eight groups of checks run in order, each on a thread of its own
// under a watchdog, and each ends PASS, FAIL (with the call that broke a
// rule) or SKIP (with the reason):
//
//   identity   the information query as the installer and each host version make it
//   lifecycle  Create and Destroy repeated, twice, out of order
//   audio      every rate, mono and stereo, odd and extreme block sizes
//   realtime   steady streams: no heap, lock, wait, file or window call; in time
//   settings   stored arrays short, long, non-finite, out of range and random
//   windows    every menu command, About and help, under the display
//   threads    the stress run: audio and UI threads on one instance (full level)
//   resources  handles, GDI and USER objects and committed memory, before and after
//
// A call into the add-on that throws, faults or aborts fails its group; one
// that does not return within the call limit is abandoned (its thread is
// ended with its worker) and fails its group. The groups run in a worker
// process, so that an add-on that ends its process fails only the group
// under way. The run then goes on with the next group in a new worker.
#pragma once

#include <string>
#include <vector>

#include "hostsim/validate/ValidationRun.h"

namespace hostsim {

// The groups. Each returns the detail printed after PASS.
std::string CheckIdentity(ValidationRun& run);
std::string CheckLifecycle(ValidationRun& run);
std::string CheckAudio(ValidationRun& run);
std::string CheckRealtime(ValidationRun& run);
std::string CheckSettings(ValidationRun& run);
std::string CheckWindows(ValidationRun& run);
std::string CheckThreads(ValidationRun& run);

// One pass over every window and a short stream, so that the resource
// counts taken afterwards hold what the add-on and the system create once.
void WarmUp(ValidationRun& run);
// Opens and closes every window the instance on record offers from its
// menus, presses F1 in each, and shows About; returns the number of
// windows seen.
int ExerciseWindows(ValidationRun& run, HostRecord& record, const std::string& kindText);
// A finite stream through every audio command the add-on answers; fails the
// group on a rule broken.
void StreamOnce(ValidationRun& run, HostRecord& record, int channels, int rate);

// What a fixed stream of stereo or mono blocks through command gives back,
// in order; empty when the add-on answers 0. Fails the group on a rule
// broken.
std::vector<float> StreamOutput(ValidationRun& run, HostRecord& record, int command, int channels,
                                int rate);

// The first index at which a and b differ in their bits (the shorter one's
// length when one is longer), or -1.
long long FirstDifference(const std::vector<float>& a, const std::vector<float>& b);

// The audio commands in the order the groups send them.
inline constexpr int kAudioCommands[] = {kefo::kCmdAnalyzeFeedA, kefo::kCmdProcessRecording,
                                         kefo::kCmdProcessPlayback, kefo::kCmdAnalyzeFeedB,
                                         kefo::kCmdProcessSaving};
// The analyzer feeds, which must leave the block as it came.
inline bool LooksOnly(int command) {
    return command == kefo::kCmdAnalyzeFeedA || command == kefo::kCmdAnalyzeFeedB;
}
// The instance kind the audio checks use: the first one served that is not
// dialog-only. Skips the group when there is none.
int AudioKind(ValidationRun& run);

// What the worker prints before a group's line, then the calls the group
// made into the add-on and its seconds ("#figures 1709 1.605"); the
// supervisor keeps them for its reports.
inline constexpr char kFiguresLine[] = "#figures ";

// A group of checks: its name, its check (which returns the detail printed
// after PASS) and when it is skipped without running.
struct ValidationGroup {
    const char* name;
    std::string (*check)(ValidationRun&);
    bool needsDisplay;   // skipped where no window can be opened
    bool fullLevelOnly;  // skipped at the quick level
};

// The groups in the order they run, then "resources" (kResourcesGroup),
// which compares the counts taken around them.
inline constexpr ValidationGroup kGroups[] = {
    {"identity", &CheckIdentity, false, false}, {"lifecycle", &CheckLifecycle, false, false},
    {"audio", &CheckAudio, false, false},       {"realtime", &CheckRealtime, false, false},
    {"settings", &CheckSettings, false, false}, {"windows", &CheckWindows, true, false},
    {"threads", &CheckThreads, true, true},
};
constexpr int kResourcesGroup = static_cast<int>(sizeof kGroups / sizeof kGroups[0]);
// The name of group index, "resources" for kResourcesGroup.
const char* GroupName(int index);

// Runs every group in a worker process and prints a line per group and the
// summary; a worker that ends early (the add-on ended the process) has the
// group under way failed with the call named, and a new worker goes on with
// the next group. Returns the process exit status.
int RunValidationSupervisor(const ValidateOptions& options);
// The worker: runs the groups from options.firstGroup, prints their lines
// and the resources line, and ends its own process.
int RunValidationWorker(const ValidateOptions& options);

}  // namespace hostsim
