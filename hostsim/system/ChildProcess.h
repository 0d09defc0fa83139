// Runs a program and reads its standard output line by line through a pipe.
//
//     DWORD exitCode = 0;
//     RunChildProcess(L"hostsim.exe info x.dll", [](HANDLE) {},
//                     [&](const std::string& line) { lines.push_back(line); }, exitCode);
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace hostsim {

// Where the child's standard error goes: this process's own, or into the
// pipe with its standard output.
enum class ChildErrors { kOwn, kWithOutput };

// running gets the child's process handle once it has started (so that
// another thread can end it) and null once it has ended; line gets each
// line without its end. False when the program could not be started.
bool RunChildProcess(std::wstring commandLine, const std::function<void(HANDLE)>& running,
                     const std::function<void(const std::string&)>& line, DWORD& exitCode,
                     ChildErrors errors = ChildErrors::kOwn);

}  // namespace hostsim
