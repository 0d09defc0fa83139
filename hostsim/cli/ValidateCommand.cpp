// hostsim validate: parses the options and runs the groups.
#include <cstdio>
#include <cwchar>

#include "Commands.h"
#include "hostsim/validate/Validation.h"

namespace hostsim {
namespace {

const char kUsage[] =
    "usage: hostsim validate [--level quick|full] [--seed N] [--seconds N] [--call-limit N] "
    "ADDON.dll\n"
    "  --level        quick (default) or full: more rounds and arrays, and the stress run\n"
    "  --seed N       seed of the random arrays and block sizes (default: from the clock)\n"
    "  --seconds N    how long the full level's stress run lasts (default 10)\n"
    "  --call-limit N seconds one call into the add-on may take before it counts as a hang\n"
    "                 (default 20)\n"
    "Prints one line per group (identity, lifecycle, audio, settings, windows, threads,\n"
    "resources) and a summary; the exit code is 0 only when no group failed.\n";

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
