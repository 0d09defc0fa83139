// The stress run (audio and UI threads on one instance at once) in a
// process of its own: its watchdog ends that process when a thread stalls,
// and this run goes on. The stress run knows the windows of the
// analyzer/equalizer kind only.
#include <string>

#include "hostsim/equalizer/EqualizerRun.h"
#include "hostsim/host/AddOnModule.h"
#include "hostsim/system/ChildProcess.h"
#include "hostsim/validate/Validation.h"

namespace hostsim {
namespace {

std::wstring ThisProgram() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
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
    if (run.info.addOnKind != kefo::kAnalyzerEqKind)
        throw GroupSkipped("the stress run knows the windows of the analyzer/equalizer kind only");
    const ValidateOptions& options = run.Options();
    const std::wstring command =
        L"\"" + ThisProgram() + L"\" stress --seconds " + std::to_wstring(options.seconds) +
        L" --seed " + std::to_wstring(options.seed) + L" --addon \"" + options.addOnPath + L"\"";
    run.BeginCall("the stress run", options.seconds + 120);
    DWORD exitCode = 0;
    std::string output;
    const bool started = RunChildProcess(
        command, [&](HANDLE process) { run.SetChildProcess(process); },
        [&](const std::string& line) { output += line + "\n"; }, exitCode);
    run.EndCall();
    Require(started, "stress run: hostsim could not be started");
    const std::string result = LineStarting(output, "result=");
    Require(exitCode == 0 && result == "PASS",
            "stress run: " +
                (result.empty() ? "ended with exit code " + std::to_string(exitCode) : result));
    return std::to_string(options.seconds) + " s, " + LineStarting(output, "audio_calls=") +
           " audio calls, " + LineStarting(output, "ui_actions=") +
           " UI actions, longest audio wait " + LineStarting(output, "max_audio_wait_us=") + " us";
}

}  // namespace hostsim
