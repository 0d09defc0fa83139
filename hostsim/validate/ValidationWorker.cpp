// The worker process of a validation: the order of the groups, the thread
// each runs on, the watchdog over the add-on's calls, and the resource
// counts around the run.
#include <cstdio>

#include "hostsim/host/AddOnModule.h"
#include "ResourceCounts.h"
#include "Validation.h"
#include "support/UniqueHandle.h"

namespace hostsim {
namespace {

enum class Status { kPass, kFail, kSkip };

struct Outcome {
    Status status = Status::kFail;
    std::string detail;
};

struct GroupJob {
    ValidationRun* run;
    std::string (*check)(ValidationRun&);
    Outcome outcome;
};

DWORD WINAPI RunGroupThread(void* argument) {
    GroupJob& job = *static_cast<GroupJob*>(argument);
    try {
        job.outcome = {Status::kPass, job.check(*job.run)};
    } catch (const GroupSkipped& skipped) {
        job.outcome = {Status::kSkip, skipped.what()};
    } catch (const GroupFailure& failure) {
        job.outcome = {Status::kFail, failure.what()};
    } catch (const std::exception& error) {
        job.outcome = {Status::kFail, std::string("the validator itself failed: ") + error.what()};
    }
    return 0;
}

// Runs check on a thread of its own. A call into the add-on that outlasts
// its limit is a hang: a thread stuck in foreign code cannot be asked to
// stop, and what it holds (a heap or loader lock) would stall every group
// after it, so the worker ends and the supervisor goes on in a new one.
Outcome RunGroup(ValidationRun& run, std::string (*check)(ValidationRun&)) {
    GroupJob job{&run, check, {}};
    const kefo::UniqueKernelHandle thread(
        CreateThread(nullptr, 0, &RunGroupThread, &job, 0, nullptr));
    if (!thread) return {Status::kFail, "the validator could not start a thread"};
    while (WaitForSingleObject(thread.Get(), 100) == WAIT_TIMEOUT) {
        const long long running = run.CallRunningMillis();
        if (running != 0) run.EndAfterHang(running);
    }
    return job.outcome;
}

// A group runs unless the table skips it here.
Outcome RunGroup(ValidationRun& run, const ValidationGroup& group) {
    const std::string leftOut = run.Options().LeftOut(group.name);
    if (!leftOut.empty()) return {Status::kSkip, leftOut};
    if (group.fullLevelOnly && !run.Options().full)
        return {Status::kSkip, "full level only (--level full)"};
    if (group.needsDisplay && !run.HasDisplay())
        return {Status::kSkip, "no display: a window could not be opened"};
    return RunGroup(run, group.check);
}

const char* StatusText(Status status) {
    return status == Status::kPass ? "PASS" : status == Status::kSkip ? "SKIP" : "FAIL";
}

std::string CheckWarmUp(ValidationRun& run) {
    WarmUp(run);
    return "";
}

std::string FetchInfo(ValidationRun& run) {
    run.BeginCall("Info (host 8.0)", run.Options().callLimitSeconds);
    run.info = QueryInfo(run.Options().addOnPath);
    run.EndCall();
    return "";
}

}  // namespace

void WarmUp(ValidationRun& run) {
    for (int kind : run.ServedKinds()) {
        HostRecord record;
        record.Attach(run.Processing());
        record.instanceKind = kind;
        const std::string k = KindText(kind);
        run.SendClosingDialogs(record, kefo::kCmdCreateInstance, "Create (" + k + ")");
        if (kind != kefo::kKindDialogOnly) StreamOnce(run, record, 2, 44100);
        if (kind != kefo::kKindHeadless && run.HasDisplay()) ExerciseWindows(run, record, k);
        record.CloseFrames();
        run.Send(record, kefo::kCmdDestroyInstance, "Destroy (" + k + ")");
    }
}

const char* GroupName(int index) {
    if (index == kResourcesGroup) return "resources";
    return index >= 0 && index < kResourcesGroup ? kGroups[index].name : "";
}

int RunValidationWorker(const ValidateOptions& options) {
    ValidationRun run(options);
    bool failed = false;
    long long callsReported = 0;
    ULONGLONG groupStart = GetTickCount64();
    auto report = [&](int group, const Outcome& outcome) {
        std::printf("%s%lld %.3f\n", kFiguresLine, run.CallsSent() - callsReported,
                    static_cast<double>(GetTickCount64() - groupStart) / 1000.0);
        callsReported = run.CallsSent();
        std::printf("%s: %s  %s\n", GroupName(group), StatusText(outcome.status),
                    outcome.detail.c_str());
        std::fflush(stdout);
        failed = failed || outcome.status == Status::kFail;
    };

    int first = options.firstGroup;
    if (first == 0) {
        run.SetGroup(GroupName(0));
        report(0, RunGroup(run, kGroups[0]));
        first = 1;
    } else {
        // The later groups need the add-on's answer to the information query.
        run.SetGroup(GroupName(0));
        RunGroup(run, &FetchInfo);
    }
    if (!run.LoadModule()) {
        const std::string why = "the DLL could not be loaded, or has no KEFO_Processing";
        for (int group = first; group < kResourcesGroup; ++group)
            report(group, {Status::kFail, why});
        report(kResourcesGroup, {Status::kSkip, why});
    } else {
        Outcome warmUp{Status::kPass, ""};
        if (options.measureResources) {
            run.SetGroup("warm-up");
            warmUp = RunGroup(run, &CheckWarmUp);
        }
        const ResourceCounts before = MeasureResources();
        std::string byGroup;  // where the counts grew, to name a leak's group
        ResourceCounts last = before;
        for (int group = first; group < kResourcesGroup; ++group) {
            run.SetGroup(GroupName(group));
            groupStart = GetTickCount64();
            const Outcome outcome = RunGroup(run, kGroups[group]);
            report(group, outcome);
            const ResourceCounts now = MeasureResources();
            const std::string growth = DescribeGrowth(last, now);
            if (!growth.empty()) byGroup += std::string("; ") + GroupName(group) + ": " + growth;
            last = now;
        }
        run.SetGroup(GroupName(kResourcesGroup));
        groupStart = GetTickCount64();
        if (!options.measureResources) {
            // The supervisor reports why the resources are not judged.
        } else if (warmUp.status == Status::kFail) {
            report(kResourcesGroup, {Status::kSkip, "the warm-up failed: " + warmUp.detail});
        } else {
            const ResourceCounts after = MeasureResources();
            const std::string growth = ResourceGrowthBeyondAllowance(before, after);
            report(kResourcesGroup,
                   {growth.empty() ? Status::kPass : Status::kFail,
                    (growth.empty() ? DescribeResources(before) + " before, " +
                                          DescribeResources(after) + " after"
                                    : growth + " (" + DescribeResourceAllowance()) +
                        byGroup + (growth.empty() ? "" : ")")});
        }
    }
    // No orderly exit: it would run the add-on's detach code, which may wait
    // on threads of its own that it left running.
    TerminateProcess(GetCurrentProcess(), failed ? 1 : 0);
    return failed ? 1 : 0;
}

}  // namespace hostsim
