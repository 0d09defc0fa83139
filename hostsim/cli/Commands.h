// The console program's subcommands; each returns the process exit status.
#pragma once

#include <cwchar>

namespace hostsim {

int RunInfoCommand(int argc, wchar_t** argv);
int RunProcessCommand(int argc, wchar_t** argv);
int RunDemoCommand(int argc, wchar_t** argv);
int RunStressCommand(int argc, wchar_t** argv);
int RunValidateCommand(int argc, wchar_t** argv);

// An option's whole number: digits only, at most limit.
inline bool ParseNumber(const wchar_t* text, unsigned long long limit, unsigned long long& value) {
    wchar_t* end = nullptr;
    if (!text || !*text || *text == L'-') return false;
    value = std::wcstoull(text, &end, 10);
    return *end == L'\0' && value <= limit;
}

}  // namespace hostsim
