// The stress run (audio and UI threads on one instance at once) in a
// process of its own: its watchdog ends that process when a thread stalls,
// and this run goes on. The stress run knows the windows of the
// analyzer/equalizer kind only.
#include <string>

#include "AddOnModule.h"
#include "Validation.h"

namespace hostsim {
namespace {

constexpr int kAnalyzerEqualizerKind = 3;

std::wstring ThisProgram() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

// Runs command line, returns its standard output (and error) and exit code.
std::string RunChild(ValidationRun& run, std::wstring commandLine, DWORD& exitCode) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    Require(CreatePipe(&read, &write, &inherit, 0) != 0, "stress run: no pipe");
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
    startup.hStdError = write;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
    CloseHandle(write);
    if (!started) {
        CloseHandle(read);
        throw GroupFailure("stress run: hostsim could not be started");
    }
    run.SetChildProcess(process.hProcess);
    std::string output;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got > 0)
        output.append(buffer, got);
    WaitForSingleObject(process.hProcess, INFINITE);
    run.SetChildProcess(nullptr);
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(read);
    return output;
}

std::string LineStarting(const std::string& text, const std::string& key) {
    const std::size_t at = text.find(key);
    if (at == std::string::npos) return "";
    const std::size_t end = text.find_first_of("\r\n", at);
    return text.substr(at + key.size(),
                       end == std::string::npos ? std::string::npos : end - at - key.size());
}

}  // namespace

std::string CheckThreads(ValidationRun& run) {
    if (!run.Options().full) throw GroupSkipped("full level only (--level full)");
    if (run.info.addOnKind != kAnalyzerEqualizerKind)
        throw GroupSkipped("the stress run knows the windows of the analyzer/equalizer kind only");
    if (!run.HasDisplay()) throw GroupSkipped("no display: the stress run opens windows");
    const ValidateOptions& options = run.Options();
    const std::wstring command =
        L"\"" + ThisProgram() + L"\" stress --seconds " + std::to_wstring(options.seconds) +
        L" --seed " + std::to_wstring(options.seed) + L" --addon \"" + options.addOnPath + L"\"";
    run.BeginCall("the stress run", options.seconds + 120);
    DWORD exitCode = 0;
    const std::string output = RunChild(run, command, exitCode);
    run.EndCall();
    const std::string result = LineStarting(output, "result=");
    Require(exitCode == 0 && result == "PASS",
            "stress run: " +
                (result.empty() ? "ended with exit code " + std::to_string(exitCode) : result));
    return std::to_string(options.seconds) + " s, " + LineStarting(output, "audio_calls=") +
           " audio calls, " + LineStarting(output, "ui_actions=") +
           " UI actions, longest audio wait " + LineStarting(output, "max_audio_wait_us=") + " us";
}

}  // namespace hostsim
