// Runs a program and collects what it prints, for tests of console tools.
#pragma once

#include <string>

namespace testing_paths {

struct ProcessResult {
    unsigned long exitCode = 0xFFFFFFFF;
    std::string output;  // standard output and standard error together
};

ProcessResult RunProcess(const std::wstring& commandLine);

}  // namespace testing_paths
