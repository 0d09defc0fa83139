#include "ChildProcess.h"

#include "support/UniqueHandle.h"

namespace hostsim {

bool RunChildProcess(std::wstring commandLine, const std::function<void(HANDLE)>& running,
                     const std::function<void(const std::string&)>& line, DWORD& exitCode,
                     ChildErrors errors) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return false;
    const kefo::UniqueKernelHandle read(readEnd);
    kefo::UniqueKernelHandle write(writeEnd);
    SetHandleInformation(read.Get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write.Get();
    startup.hStdError =
        errors == ChildErrors::kWithOutput ? write.Get() : GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION started{};
    const BOOL ok = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                   nullptr, &startup, &started);
    write.Reset();  // the pipe ends when the child's copy closes
    if (!ok) return false;
    const kefo::UniqueKernelHandle process(started.hProcess);
    const kefo::UniqueKernelHandle thread(started.hThread);
    running(process.Get());
    std::string pending;
    char buffer[4096];
    DWORD got = 0;
    auto take = [&](std::string text) {
        if (!text.empty() && text.back() == '\r') text.pop_back();
        line(text);
    };
    while (ReadFile(read.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
        pending.append(buffer, got);
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            take(pending.substr(0, end));
            pending.erase(0, end + 1);
        }
    }
    if (!pending.empty()) take(pending);
    WaitForSingleObject(process.Get(), INFINITE);
    running(nullptr);
    GetExitCodeProcess(process.Get(), &exitCode);
    return true;
}

}  // namespace hostsim
