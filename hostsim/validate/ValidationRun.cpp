#include <cstdio>
#include <memory>

#include "hostsim/host/AddOnModule.h"
#include "hostsim/host/CallerState.h"
#include "hostsim/system/ModalDialogDriver.h"
#include "hostsim/host/ProcessingCall.h"
#include "ValidationRun.h"

namespace hostsim {
namespace {

// A test window on the display: its absence means no display.
bool CanOpenWindow() {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr,
                                  nullptr, nullptr);
    if (!window) return false;
    DestroyWindow(window);
    return true;
}

// Closes a dialog as a user would: Cancel where it has one, else OK.
void CloseAsUser(HWND dialog) {
    const int button = GetDlgItem(dialog, IDCANCEL) || !GetDlgItem(dialog, IDOK) ? IDCANCEL : IDOK;
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

}  // namespace

void PressF1(HWND dialog) {
    HELPINFO help{};
    help.cbSize = sizeof help;
    help.iContextType = HELPINFO_WINDOW;
    help.hItemHandle = dialog;
    help.dwContextId = GetWindowContextHelpId(dialog);
    SendMessageW(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
}

std::string ValidateOptions::LeftOut(const std::string& group) const {
    auto has = [&](const std::vector<std::string>& names) {
        for (const std::string& name : names)
            if (name == group) return true;
        return false;
    };
    if (!onlyGroups.empty() && !has(onlyGroups)) return "left out (--groups)";
    if (has(skippedGroups)) return "left out (--skip)";
    return "";
}

ValidationRun::ValidationRun(const ValidateOptions& options)
    : random(options.seed),
      options_(options),
      progress_(ProgressBoard::Open(options.progressName)) {
    InitializeCriticalSection(&lock_);
}

bool ValidationRun::LoadModule() {
    if (!module_) module_ = std::make_unique<AddOnModule>(options_.addOnPath);
    return module_->Loaded();
}

void ValidationRun::BeginCall(const std::string& what, int limitSeconds) {
    EnterCriticalSection(&lock_);
    currentCall_ = what;
    LeaveCriticalSection(&lock_);
    progress_.SetCall(what);
    callLimit_.store(limitSeconds);
    callStart_.store(static_cast<long long>(GetTickCount64()));
}

void ValidationRun::EndCall() {
    callStart_.store(0);
    ++callsSent_;
}

std::string ValidationRun::CurrentCall() const {
    EnterCriticalSection(&lock_);
    std::string call = currentCall_;
    LeaveCriticalSection(&lock_);
    return call;
}

long long ValidationRun::CallRunningMillis() const {
    const long long start = callStart_.load();
    if (start == 0) return 0;
    const long long running = static_cast<long long>(GetTickCount64()) - start;
    return running > 1000LL * callLimit_.load() ? running : 0;
}

void ValidationRun::EndAfterHang(long long runningMillis) {
    if (HANDLE child = ChildProcess()) TerminateProcess(child, 1);
    progress_.SetCall(CurrentCall() + ": no return after " + std::to_string(runningMillis / 1000) +
                      " s (a hang)");
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), kWorkerEndedByHang);
    for (;;) Sleep(INFINITE);  // TerminateProcess on itself does not return
}

int ValidationRun::Send(HostRecord& record, int command, const std::string& what) {
    const CallerState before = CallerState::Now();
    BeginCall(what, options_.callLimitSeconds);
    LARGE_INTEGER start, end, frequency;
    QueryPerformanceCounter(&start);
    const int result = record.Send(command);
    QueryPerformanceCounter(&end);
    EndCall();
    QueryPerformanceFrequency(&frequency);
    lastCallMicros_ = 1e6 * static_cast<double>(end.QuadPart - start.QuadPart) /
                      static_cast<double>(frequency.QuadPart);
    if (record.LastFailure().kind != kefo::ForeignFailure::kNone)
        throw GroupFailure(what + ": the add-on " + DescribeFailure(record.LastFailure()));
    // The host's numbers are computed and printed as it set them up.
    const std::string changed = before.ChangeIn(CallerState::Now());
    if (!changed.empty()) {
        before.Restore();
        throw GroupFailure(what + ": the add-on left the host changed: " + changed);
    }
    return result;
}

void ValidationRun::Note(const std::string& line) {
    std::printf("  %s\n", line.c_str());
    std::fflush(stdout);
}

void ValidationRun::CreateInstance(HostRecord& record, int kind) {
    record.Attach(Processing());
    record.instanceKind = kind;
    const std::string what = "Create (" + KindText(kind) + ")";
    Require(Send(record, kefo::kCmdCreateInstance, what) == kefo::kResultHandled,
            what + ": refused");
}

void ValidationRun::DestroyInstance(HostRecord& record) {
    record.CloseFrames();
    Send(record, kefo::kCmdDestroyInstance, "Destroy (" + KindText(record.instanceKind) + ")");
}

int ValidationRun::SendClosingDialogs(HostRecord& record, int command, const std::string& what) {
    int result = 0;
    DriveModalDialog([&] { result = Send(record, command, what); },
                     [](HWND dialog, int step) {
                         if (step == 0) {
                             PressF1(dialog);
                             return false;
                         }
                         CloseAsUser(dialog);
                         return true;
                     });
    return result;
}

const std::vector<int>& ValidationRun::ServedKinds() {
    if (servedKnown_) return servedKinds_;
    for (int kind : {kefo::kKindFull, kefo::kKindDialogOnly, kefo::kKindHeadless}) {
        HostRecord record;
        record.Attach(Processing());
        record.instanceKind = kind;
        const int result =
            Send(record, kefo::kCmdCreateInstance, "Create (" + KindText(kind) + ")");
        if (result == kefo::kResultHandled && record.context) servedKinds_.push_back(kind);
        record.CloseFrames();
        if (record.context)
            Send(record, kefo::kCmdDestroyInstance, "Destroy (" + KindText(kind) + ")");
    }
    servedKnown_ = true;
    return servedKinds_;
}

bool ValidationRun::HasDisplay() {
    if (display_ < 0) display_ = CanOpenWindow() ? 1 : 0;
    return display_ == 1;
}

std::string KindText(int kind) {
    switch (kind) {
        case kefo::kKindFull: return "kind 0";
        case kefo::kKindDialogOnly: return "kind 1";
        case kefo::kKindHeadless: return "kind 2";
        default: return "kind " + std::to_string(kind);
    }
}

}  // namespace hostsim
