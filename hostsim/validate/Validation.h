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

#include <windows.h>

#include <atomic>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "hostsim/host/AddOnModule.h"
#include "hostsim/host/HostRecord.h"
#include "hostsim/host/InfoQuery.h"
#include "hostsim/validate/ProgressBoard.h"

namespace hostsim {

struct ValidateOptions {
    bool full = false;          // --level full
    unsigned seed = 1;          // random arrays and block sizes
    int seconds = 10;           // the threads group's stress run
    int callLimitSeconds = 20;  // a call that takes longer is a hang
    std::wstring addOnPath;
    // --groups and --skip: the groups to run (all when empty) and those left
    // out, by name.
    std::vector<std::string> onlyGroups;
    std::vector<std::string> skippedGroups;
    std::wstring junitPath;  // --junit FILE
    std::wstring jsonPath;   // --json FILE
    // Why group is left out by --groups or --skip; empty when it runs.
    std::string LeftOut(const std::string& group) const;
    // The process that runs the groups for a supervisor (--worker): from
    // which group, whether it counts resources, and the progress board.
    bool worker = false;
    int firstGroup = 0;
    bool measureResources = true;
    std::wstring progressName;
};

// Ends a group with FAIL: thrown by the group's checks.
class GroupFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Ends a group with SKIP.
class GroupSkipped : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the groups share: the options, the add-on's answers so far, and the
// guarded way to call it.
class ValidationRun {
public:
    explicit ValidationRun(const ValidateOptions& options);

    const ValidateOptions& Options() const { return options_; }
    // The add-on's entry point once LoadModule has loaded it; null before.
    KEFO_ProcessingFn Processing() const { return module_ ? module_->Processing() : nullptr; }
    HMODULE Module() const { return module_ ? module_->Handle() : nullptr; }
    // The add-on's answer to the information query (host 8.0).
    InfoReply info;
    std::mt19937 random;

    // Sends command on record; a call that does not return fails the group,
    // named by what ("Create (kind 0)").
    int Send(HostRecord& record, int command, const std::string& what);
    // How long the last Send took inside the add-on, in microseconds, and
    // how many calls the run has made into it: each BeginCall and EndCall
    // (Send's, an information query, a frame closed; the stress run counts
    // one).
    double LastCallMicros() const { return lastCallMicros_; }
    long long CallsSent() const { return callsSent_; }
    // A line printed under the group's name before its result: a figure, or
    // a warning that does not fail the group.
    void Note(const std::string& line);
    // The same for a call that opens a modal dialog: the dialog is closed as
    // a user would (Cancel, else OK, else WM_CLOSE) after F1 was pressed in it.
    int SendClosingDialogs(HostRecord& record, int command, const std::string& what);
    // Marks a stretch of host work that may take long (a child process).
    void BeginCall(const std::string& what, int limitSeconds);
    void EndCall();
    // The kinds the add-on makes instances of, found by the lifecycle group
    // (or on first use).
    const std::vector<int>& ServedKinds();
    // Whether a display is there to open windows on.
    bool HasDisplay();

    // For the watchdog (any thread).
    std::string CurrentCall() const;
    long long CallRunningMillis() const;
    // Ends the worker over a hung call, the call and its time left on the
    // progress board for the supervisor to report.
    [[noreturn]] void EndAfterHang(long long runningMillis);
    void SetChildProcess(HANDLE process) { childProcess_.store(process); }
    HANDLE ChildProcess() const { return childProcess_.load(); }

    bool LoadModule();
    // Tells the supervisor which group runs now.
    void SetGroup(const std::string& group) { progress_.SetGroup(group); }

private:
    ValidateOptions options_;
    ProgressBoard progress_;
    std::unique_ptr<AddOnModule> module_;
    std::vector<int> servedKinds_;
    bool servedKnown_ = false;
    int display_ = -1;
    double lastCallMicros_ = 0;
    long long callsSent_ = 0;
    mutable CRITICAL_SECTION lock_;
    std::string currentCall_;
    std::atomic<long long> callStart_{0};
    std::atomic<int> callLimit_{0};
    std::atomic<HANDLE> childProcess_{nullptr};
};

// Checks a condition inside a group; a false one fails the group with text.
inline void Require(bool condition, const std::string& text) {
    if (!condition) throw GroupFailure(text);
}

// The groups. Each returns the detail printed after PASS.
std::string CheckIdentity(ValidationRun& run);
std::string CheckLifecycle(ValidationRun& run);
std::string CheckAudio(ValidationRun& run);
std::string CheckRealtime(ValidationRun& run);
std::string CheckSettings(ValidationRun& run);
std::string CheckWindows(ValidationRun& run);
std::string CheckThreads(ValidationRun& run);

// Presses F1 in a dialog: the help request a user's key sends it.
void PressF1(HWND dialog);

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

// The exit code of a worker that ended itself over a hung call.
constexpr DWORD kWorkerEndedByHang = 0x4B48414E;

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

std::string KindText(int kind);

}  // namespace hostsim
