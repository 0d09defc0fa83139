// hostsim validate's own process: it runs the groups in a worker process,
// passes on the worker's lines, and when the worker ends early (a call hung,
// or the add-on called ExitProcess or corrupted the process beyond what a
// guard catches) fails the group under way with the call the progress board
// names, then starts a new worker at the next group.
#include <cstdio>
#include <string>

#include "hostsim/host/AddOnModule.h"
#include "hostsim/system/ChildProcess.h"
#include "hostsim/validate/report/ValidationReport.h"
#include "support/UniqueHandle.h"
#include "Validation.h"

namespace hostsim {
namespace {

struct Tally {
    int next = 0;  // the first group not reported yet
    bool resourcesReported = false;
    ValidationReport report;
    std::vector<std::string> notes;  // lines printed since the last group's
    // What the worker said of the next group: its calls and seconds (-1 when
    // it ended first: the time since the last group is taken then).
    long long calls = -1;
    double seconds = -1;
    ULONGLONG lastReport = GetTickCount64();

    void Report(int group, const char* status, const std::string& detail) {
        std::printf("%s: %s  %s\n", GroupName(group), status, detail.c_str());
        std::fflush(stdout);
        const ULONGLONG now = GetTickCount64();
        report.groups.push_back(
            {GroupName(group), status, detail, std::move(notes),
             seconds >= 0 ? seconds : static_cast<double>(now - lastReport) / 1000.0, calls});
        notes.clear();
        calls = -1;
        seconds = -1;
        lastReport = now;
        next = group + 1;
        resourcesReported = resourcesReported || group == kResourcesGroup;
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
    if (line.rfind(kFiguresLine, 0) == 0) {
        if (std::sscanf(line.c_str() + sizeof kFiguresLine - 1, "%lld %lf", &tally.calls,
                        &tally.seconds) != 2)
            tally.calls = -1, tally.seconds = -1;
        return;
    }
    const std::size_t colon = line.find(": ");
    const int group = colon == std::string::npos ? -1 : GroupIndex(line.substr(0, colon));
    const std::string status = group < 0 ? "" : line.substr(colon + 2, 4);
    if (status != "PASS" && status != "FAIL" && status != "SKIP") {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
        tally.notes.push_back(line.rfind("  ", 0) == 0 ? line.substr(2) : line);
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

std::string Joined(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) list += (list.empty() ? "" : ",") + name;
    return list;
}

// The options that decide what a run does, as a command line gives them.
std::wstring RunOptions(const ValidateOptions& options) {
    std::wstring text = std::wstring(L"--level ") + (options.full ? L"full" : L"quick") +
                        L" --seed " + std::to_wstring(options.seed) + L" --seconds " +
                        std::to_wstring(options.seconds) + L" --call-limit " +
                        std::to_wstring(options.callLimitSeconds);
    if (!options.onlyGroups.empty()) text += L" --groups " + Widen(Joined(options.onlyGroups));
    if (!options.skippedGroups.empty()) text += L" --skip " + Widen(Joined(options.skippedGroups));
    return text + L" \"" + options.addOnPath + L"\"";
}

std::wstring WorkerCommand(const ValidateOptions& options, int first, bool measure,
                           const std::wstring& board) {
    wchar_t program[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    return L"\"" + std::wstring(program) + L"\" validate --worker --first-group " +
           std::to_wstring(first) + (measure ? L"" : L" --no-resources") + L" --progress " + board +
           L" " + RunOptions(options);
}

// Writes text to path; false when it could not be written whole.
bool WriteFileText(const std::wstring& path, const std::string& text) {
    const kefo::UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file &&
           WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

}  // namespace

int RunValidationSupervisor(const ValidateOptions& options) {
    const ULONGLONG start = GetTickCount64();
    Tally tally;
    ValidationReport& report = tally.report;
    report.addOn = Narrow(options.addOnPath);
    report.level = options.full ? "full" : "quick";
    report.seed = options.seed;
    report.repeat = "hostsim validate " + Narrow(RunOptions(options));
    std::printf("validate %s (level %s, seed %u); to repeat: %s\n", report.addOn.c_str(),
                report.level.c_str(), options.seed, report.repeat.c_str());
    std::fflush(stdout);
    const std::wstring boardName =
        L"Local\\kefo-validate-" + std::to_wstring(GetCurrentProcessId());
    ProgressBoard board = ProgressBoard::Create(boardName);
    // Why the resources are not judged: left out, or a worker ended early.
    std::string unmeasured = options.LeftOut(GroupName(kResourcesGroup));
    bool measure = unmeasured.empty();
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
        if (measure || (hung && options.LeftOut(GroupName(kResourcesGroup)).empty()))
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
    report.seconds = static_cast<double>(GetTickCount64() - start) / 1000.0;
    std::printf("validate: %d passed, %d failed, %d skipped\n", report.Count("PASS"),
                report.Count("FAIL"), report.Count("SKIP"));
    auto write = [](const std::wstring& path, const std::string& text) {
        if (path.empty() || WriteFileText(path, text)) return true;
        std::printf("validate: could not write %s\n", Narrow(path).c_str());
        return false;
    };
    const bool junitWritten = write(options.junitPath, JUnitXml(report));
    const bool written = write(options.jsonPath, Json(report)) && junitWritten;
    std::fflush(stdout);
    return report.Count("FAIL") || !written ? 1 : 0;
}

}  // namespace hostsim
