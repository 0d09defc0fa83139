// hostsim validate: parses the options and runs the groups.
#include <cstdio>
#include <cwchar>

#include "Commands.h"
#include "hostsim/validate/Validation.h"

namespace hostsim {
namespace {

const char kUsage[] =
    "usage: hostsim validate [--level quick|full] [--seed N] [--seconds N] [--call-limit N]\n"
    "                        [--groups LIST] [--skip LIST] [--junit FILE] [--json FILE] "
    "ADDON.dll\n"
    "  --level        quick (default) or full: more rounds and arrays, and the stress run\n"
    "  --seed N       seed of the random arrays and block sizes (default: from the clock)\n"
    "  --seconds N    how long the full level's stress run lasts (default 10)\n"
    "  --call-limit N seconds one call into the add-on may take before it counts as a hang\n"
    "                 (default 20)\n"
    "  --groups LIST  only these groups, by name, separated by commas (the others: SKIP)\n"
    "  --skip LIST    not these groups\n"
    "  --junit FILE   also write the results as JUnit XML, one test case per group\n"
    "  --json FILE    also write them as JSON, with each group's notes, time and calls\n"
    "Prints the seed and a command that repeats the run, one line per group (identity,\n"
    "lifecycle, audio, realtime, settings, windows, threads, resources) and a summary; the exit\n"
    "code is 0 only when no group failed and every report was written.\n";

// A comma-separated list of group names; false on an empty or unknown one.
bool ParseGroups(const wchar_t* value, std::vector<std::string>& groups) {
    if (!value) return false;
    const std::string list = Narrow(value);
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(',', start);
        const std::string name =
            list.substr(start, comma == std::string::npos ? comma : comma - start);
        bool known = false;
        for (int group = 0; group <= kResourcesGroup; ++group)
            known = known || name == GroupName(group);
        if (!known) {
            std::fprintf(stderr, "hostsim validate: no group is called \"%s\"\n", name.c_str());
            return false;
        }
        groups.push_back(name);
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

}  // namespace

int RunValidateCommand(int argc, wchar_t** argv) {
    ValidateOptions options;
    options.seed = static_cast<unsigned>(GetTickCount());
    for (int i = 0; i < argc; ++i) {
        const std::wstring option = argv[i];
        const wchar_t* value = i + 1 < argc ? argv[i + 1] : nullptr;
        unsigned long long number = 0;
        bool known = true;
        if (option == L"--level" && value &&
            (std::wstring(value) == L"quick" || std::wstring(value) == L"full")) {
            options.full = std::wstring(value) == L"full";
        } else if (option == L"--seed" && ParseNumber(value, 0xFFFFFFFFu, number)) {
            options.seed = static_cast<unsigned>(number);
        } else if (option == L"--seconds" && ParseNumber(value, 86400, number)) {
            options.seconds = static_cast<int>(number);
        } else if (option == L"--call-limit" && ParseNumber(value, 3600, number) && number > 0) {
            options.callLimitSeconds = static_cast<int>(number);
        } else if (option == L"--worker" || option == L"--no-resources") {
            // The supervisor's own options for its worker process.
            options.worker = options.worker || option == L"--worker";
            options.measureResources = options.measureResources && option != L"--no-resources";
            continue;
        } else if (option == L"--first-group" && ParseNumber(value, kResourcesGroup, number)) {
            options.firstGroup = static_cast<int>(number);
        } else if (option == L"--groups" && ParseGroups(value, options.onlyGroups)) {
        } else if (option == L"--skip" && ParseGroups(value, options.skippedGroups)) {
        } else if (option == L"--junit" && value) {
            options.junitPath = value;
        } else if (option == L"--json" && value) {
            options.jsonPath = value;
        } else if (option == L"--progress" && value) {
            options.progressName = value;
        } else if (option.rfind(L"--", 0) != 0 && options.addOnPath.empty() && i + 1 == argc) {
            options.addOnPath = option;
            continue;
        } else {
            known = false;
        }
        if (!known) {
            std::fputs(kUsage, option == L"--help" ? stdout : stderr);
            return option == L"--help" ? 0 : 2;
        }
        ++i;
    }
    if (options.addOnPath.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    wchar_t full[MAX_PATH] = L"";
    if (GetFullPathNameW(options.addOnPath.c_str(), MAX_PATH, full, nullptr))
        options.addOnPath = full;
    return options.worker ? RunValidationWorker(options) : RunValidationSupervisor(options);
}

}  // namespace hostsim
