// hostsim validate's own process: it runs the groups in a worker process,
// passes on the worker's lines, and when the worker ends early (a call hung,
// or the add-on called ExitProcess or corrupted the process beyond what a
// guard catches) fails the group under way with the call the progress board
// names, then starts a new worker at the next group.
#include <cstdio>
#include <string>

#include "hostsim/host/AddOnModule.h"
#include "hostsim/system/ChildProcess.h"
#include "Validation.h"

namespace hostsim {
namespace {

struct Tally {
    int passed = 0, failed = 0, skipped = 0;
    int next = 0;  // the first group not reported yet
    bool resourcesReported = false;

    void Report(int group, const char* status, const std::string& detail) {
        std::printf("%s: %s  %s\n", GroupName(group), status, detail.c_str());
        std::fflush(stdout);
        Count(status);
        next = group + 1;
        resourcesReported = resourcesReported || group == kResourcesGroup;
    }
    void Count(const std::string& status) {
        (status == "PASS" ? passed : status == "SKIP" ? skipped : failed)++;
    }
};

int GroupIndex(const std::string& name) {
    for (int group = 0; group <= kResourcesGroup; ++group)
        if (name == GroupName(group)) return group;
    return -1;
}

// A worker's line "group: STATUS  detail" is counted; any other line is
// passed on as it is.
void TakeLine(const std::string& line, Tally& tally) {
    const std::size_t colon = line.find(": ");
    const int group = colon == std::string::npos ? -1 : GroupIndex(line.substr(0, colon));
    const std::string status = group < 0 ? "" : line.substr(colon + 2, 4);
    if (status != "PASS" && status != "FAIL" && status != "SKIP") {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
        return;
    }
    // After a warm-up the add-on ended, the resources were reported then.
    if (group == kResourcesGroup && tally.resourcesReported) {
        tally.next = group + 1;
        return;
    }
    tally.Report(group, status.c_str(),
                 line.substr(colon + 2 + 4 + 2 <= line.size() ? colon + 2 + 4 + 2 : line.size()));
}

std::wstring WorkerCommand(const ValidateOptions& options, int first, bool measure,
                           const std::wstring& board) {
    wchar_t program[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    return L"\"" + std::wstring(program) + L"\" validate --worker --first-group " +
           std::to_wstring(first) + (measure ? L"" : L" --no-resources") + L" --progress " + board +
           L" --level " + (options.full ? L"full" : L"quick") + L" --seed " +
           std::to_wstring(options.seed) + L" --seconds " + std::to_wstring(options.seconds) +
           L" --call-limit " + std::to_wstring(options.callLimitSeconds) + L" \"" +
           options.addOnPath + L"\"";
}

}  // namespace

int RunValidationSupervisor(const ValidateOptions& options) {
    std::printf("validate %s (level %s, seed %u)\n", Narrow(options.addOnPath).c_str(),
                options.full ? "full" : "quick", options.seed);
    std::fflush(stdout);
    const std::wstring boardName =
        L"Local\\kefo-validate-" + std::to_wstring(GetCurrentProcessId());
    ProgressBoard board = ProgressBoard::Create(boardName);
    Tally tally;
    bool measure = true;
    std::string unmeasured;  // why the resources are not judged, once a worker ended early
    // A worker that counts no resources is done once the groups before them are.
    auto allReported = [&] {
        return tally.next > kResourcesGroup || (!measure && tally.next == kResourcesGroup);
    };
    while (!allReported()) {
        board.SetGroup("");
        board.SetCall("");
        DWORD exitCode = 0;
        if (!RunChildProcess(
                WorkerCommand(options, tally.next, measure, boardName), [](HANDLE) {},
                [&](const std::string& line) { TakeLine(line, tally); }, exitCode)) {
            for (int group = tally.next; group <= kResourcesGroup; ++group)
                tally.Report(group, "FAIL", "hostsim could not start its worker process");
            break;
        }
        if (allReported()) break;

        // The worker ended early: over a hung call (the board says which, and
        // for how long), or the add-on ended it.
        const bool hung = exitCode == kWorkerEndedByHang;
        char code[64];
        std::snprintf(code, sizeof code, "the add-on ended the process (exit code 0x%lX)",
                      static_cast<unsigned long>(exitCode));
        const std::string call = board.Call();
        const std::string why = hung ? call : call.empty() ? code : call + ": " + code;
        if (measure || hung)
            unmeasured = hung ? "a call hung: what it held is never freed"
                              : "the add-on ended an earlier process of the run";
        measure = false;
        const std::string group = board.Group();
        if (group == "warm-up") {
            const int next = tally.next;
            tally.Report(kResourcesGroup, "FAIL", "in the warm-up, " + why);
            tally.next = next;
            continue;
        }
        const int index = GroupIndex(group);
        tally.Report(index >= tally.next ? index : tally.next, "FAIL", why);
    }
    if (!tally.resourcesReported) tally.Report(kResourcesGroup, "SKIP", unmeasured);
    std::printf("validate: %d passed, %d failed, %d skipped\n", tally.passed, tally.failed,
                tally.skipped);
    std::fflush(stdout);
    return tally.failed ? 1 : 0;
}

}  // namespace hostsim
