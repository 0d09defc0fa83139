// The console program's subcommands; each returns the process exit status.
#pragma once

#include <cerrno>
#include <cwchar>

namespace hostsim {

int RunInfoCommand(int argc, wchar_t** argv);
int RunProcessCommand(int argc, wchar_t** argv);
int RunDemoCommand(int argc, wchar_t** argv);
int RunStressCommand(int argc, wchar_t** argv);
int RunValidateCommand(int argc, wchar_t** argv);

// An option's whole number: digits only, at most limit.
inline bool ParseNumber(const wchar_t* text, unsigned long long limit, unsigned long long& value) {
    if (!text || !*text) return false;
    for (const wchar_t* c = text; *c; ++c)
        if (*c < L'0' || *c > L'9') return false;
    errno = 0;
    value = std::wcstoull(text, nullptr, 10);
    return errno == 0 && value <= limit;
}

}  // namespace hostsim
