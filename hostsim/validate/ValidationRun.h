// What the groups of hostsim validate share: the options of the run, the
// add-on's answers so far, the guarded way to call it (with the watchdog's
// view of the call under way), and the failures that end a group.
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
    // Attaches record to the add-on and creates an instance of kind on it;
    // an answer other than 1 fails the group ("Create (kind 0): refused").
    void CreateInstance(HostRecord& record, int kind);
    // Closes the instance's frames, as the host does first, and destroys it.
    void DestroyInstance(HostRecord& record);
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

// The exit code of a worker that ended itself over a hung call.
constexpr DWORD kWorkerEndedByHang = 0x4B48414E;

// Presses F1 in a dialog: the help request a user's key sends it.
void PressF1(HWND dialog);

// "kind 0" for instance kind 0.
std::string KindText(int kind);

}  // namespace hostsim
