#include "ChildProcess.h"

namespace hostsim {

bool RunChildProcess(std::wstring commandLine, const std::function<void(HANDLE)>& running,
                     const std::function<void(const std::string&)>& line, DWORD& exitCode) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &inherit, 0)) return false;
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
    CloseHandle(write);
    if (!started) {
        CloseHandle(read);
        return false;
    }
    running(process.hProcess);
    std::string pending;
    char buffer[4096];
    DWORD got = 0;
    auto take = [&](std::string text) {
        if (!text.empty() && text.back() == '\r') text.pop_back();
        line(text);
    };
    while (ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        pending.append(buffer, got);
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            take(pending.substr(0, end));
            pending.erase(0, end + 1);
        }
    }
    if (!pending.empty()) take(pending);
    WaitForSingleObject(process.hProcess, INFINITE);
    running(nullptr);
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(read);
    return true;
}

}  // namespace hostsim
