#include "ProcessRunner.h"

#include "hostsim/system/ChildProcess.h"

namespace testing_paths {

ProcessResult RunProcess(const std::wstring& commandLine) {
    ProcessResult result;
    DWORD exitCode = 0;
    if (hostsim::RunChildProcess(
            commandLine, [](HANDLE) {},
            [&](const std::string& line) { result.output += line + "\n"; }, exitCode,
            hostsim::ChildErrors::kWithOutput))
        result.exitCode = exitCode;
    return result;
}

}  // namespace testing_paths
