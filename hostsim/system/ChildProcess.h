// Runs a program and reads its standard output line by line through a pipe;
// its standard error stays this process's.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace hostsim {

// running gets the child's process handle once it has started (so that
// another thread can end it) and null once it has ended; line gets each
// line without its end. False when the program could not be started.
bool RunChildProcess(std::wstring commandLine, const std::function<void(HANDLE)>& running,
                     const std::function<void(const std::string&)>& line, DWORD& exitCode);

}  // namespace hostsim
