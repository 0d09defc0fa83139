#include "EqualizerRun.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "hostsim/host/AddOnModule.h"
#include "hostsim/host/AudioStream.h"
#include "hostsim/host/HostRecord.h"
#include "addons/analyzer_eq/AnalyzerEqContract.h"

namespace hostsim {
namespace {

int UseElement(EqualizerUse use) {
    return use == EqualizerUse::kPlayback    ? kefo::kUseForPlayback
           : use == EqualizerUse::kRecording ? kefo::kUseRecording
                                             : kefo::kUseSaving;
}

int UseCommand(EqualizerUse use) {
    return use == EqualizerUse::kPlayback    ? kefo::kCmdProcessPlayback
           : use == EqualizerUse::kRecording ? kefo::kCmdProcessRecording
                                             : kefo::kCmdProcessSaving;
}

// The add-on must be the analyzer/equalizer: it says so in its information
// block. On refusal error says what it is instead, to follow its path.
bool IsEqualizerAddOn(const AddOnModule& module, std::string& error) {
    HostRecord query;
    query.Attach(module.Processing());
    if (query.Send(kefo::kCmdInfo) != kefo::kResultHandled) {
        error = " does not answer the information query; it is not the equalizer add-on";
        return false;
    }
    const std::string id(query.idString, strnlen(query.idString, sizeof query.idString));
    if (id == kefo::kAnalyzerEqId && query.addOnKind == kefo::kAnalyzerEqKind) return true;
    const std::string name(query.displayName, strnlen(query.displayName, sizeof query.displayName));
    error = " is not the equalizer add-on: it is \"" + name + "\" (" + id + ", kind " +
            std::to_string(query.addOnKind) + ")";
    return false;
}

}  // namespace

std::wstring ResolveAddOnPath(const std::wstring& given) {
    std::wstring path = given;
    if (path.empty()) {
        wchar_t self[MAX_PATH];
        DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
        path.assign(self, length);
        path = path.substr(0, path.find_last_of(L"\\/") + 1);
        for (const char* c = KEFO_SHIPPED_FROM_BIN; *c != '\0'; ++c)
            path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    }
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (path.back() != L'\\' && path.back() != L'/') path += L'\\';
        path += L"KEFO_AnalyzerEQ.dll";
    }
    return path;
}

bool PresetGains(const std::string& name, std::vector<float>& gains) {
    for (const auto& preset : kefo::kBuiltInPresets) {
        if (name == preset.name) {
            gains.assign(preset.gains, preset.gains + 9);
            return true;
        }
    }
    return false;
}

std::string PresetNames() {
    std::string names;
    for (const auto& preset : kefo::kBuiltInPresets)
        names += (names.empty() ? "\"" : ", \"") + std::string(preset.name) + "\"";
    return names;
}

bool OpenEqualizerInstance(const std::wstring& addOnPath, const AddOnModule& module,
                           HostRecord& record, std::string& error) {
    if (!module.Loaded()) {
        error = Narrow(addOnPath) + ": " + module.Error();
        return false;
    }
    if (!IsEqualizerAddOn(module, error)) {
        error = Narrow(addOnPath) + error;
        return false;
    }
    record.Attach(module.Processing());
    record.instanceKind = kefo::kKindFull;
    if (!record.CreateInstance()) {
        error = "the add-on made no instance";
        return false;
    }
    return true;
}

bool RunEqualizer(const std::wstring& addOnPath, const EqualizerOptions& options,
                  const BlockPattern& blocks, int channels, int sampleRate, SamplePipe& pipe,
                  EqualizerRunReport& report, std::string& error) {
    AddOnModule module(addOnPath);
    HostRecord record;
    if (!OpenEqualizerInstance(addOnPath, module, record, error)) return false;

    // The options reach the add-on as a host sets named parameters. Saving
    // is only switched on while the host has a file to write.
    std::vector<float> values(kefo::kSettingsCount, 0.0f);
    values[kefo::kSignature] = kefo::kSettingsSignature;
    values[kefo::kPeaksOn] = 1.0f;
    values[UseElement(options.use)] = 1.0f;
    values[kefo::kBypass] = options.bypass ? 1.0f : 0.0f;
    for (int band = 0; band < kefo::kBandCount; ++band)
        values[kefo::kFirstGain + band] = options.gains.at(band);
    record.script.fileOutputValue = 1.0;
    record.settings = values.data();
    record.settingsCount = kefo::kSettingsCount;
    record.Send(kefo::kCmdSetParameters);
    record.settings = nullptr;
    record.settingsCount = 0;

    const int command = UseCommand(options.use);
    bool ok = true;
    if (!(record.audioCommands & command)) {
        error = "the add-on did not take the options (audioCommands " + Hex(record.audioCommands) +
                ", wanted " + Hex(command) + ")";
        if (options.use == EqualizerUse::kSaving)
            error += "; saving needs at least one nonzero gain and no bypass";
        ok = false;
    }

    if (ok) {
        std::mt19937 random(blocks.seed);
        std::uniform_int_distribution<int> frames(std::max(blocks.minFrames, 1),
                                                  std::max(blocks.maxFrames, blocks.minFrames));
        StreamFormat format{channels, sampleRate, command};
        StreamCounts counts;
        ok = StreamAudio(
            record, pipe, format, [&](int) { return frames(random) * channels; }, counts, error);
        report.calls = counts.calls;
        report.samplesOut = counts.samplesOut;
        report.largestReturn = counts.largestReturn;
    }

    record.CloseFrames();
    record.Send(kefo::kCmdDestroyInstance);
    if (ok && (record.OutstandingAudioBuffers() || !record.AudioFaults().empty())) {
        error = "audio buffers were not handed back correctly";
        ok = false;
    }
    return ok;
}

bool RunEqualizer(const std::wstring& addOnPath, const EqualizerOptions& options,
                  const BlockPattern& blocks, const WavAudio& input, WavAudio& output,
                  EqualizerRunReport& report, std::string& error) {
    output.channels = input.channels;
    output.sampleRate = input.sampleRate;
    output.samples.clear();
    std::int64_t offset = 0;
    SamplePipe pipe;
    pipe.samples = static_cast<std::int64_t>(input.samples.size());
    pipe.read = [&](float* out, int count, std::string&) {
        std::copy_n(input.samples.begin() + offset, count, out);
        offset += count;
        return true;
    };
    pipe.write = [&](const float* samples, int count, std::string&) {
        output.samples.insert(output.samples.end(), samples, samples + count);
        return true;
    };
    return RunEqualizer(addOnPath, options, blocks, input.channels, input.sampleRate, pipe, report,
                        error);
}

}  // namespace hostsim
