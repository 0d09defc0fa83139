// Runs audio through the analyzer/equalizer add-on the way the host does:
// a full instance, the options set with SetParameters, the audio streamed in
// host blocks with the use's audio command, then the instance destroyed.
#pragma once

#include <string>
#include <iterator>
#include <vector>

#include "hostsim/host/AddOnModule.h"
#include "hostsim/host/AudioStream.h"
#include "addons/analyzer_eq/AnalyzerEqContract.h"
#include "hostsim/audio/WavFile.h"

namespace hostsim {

// The centres of the add-on's nine bands, in Hz.
inline const std::vector<double> kEqualizerCentres(std::begin(kefo::kEqualizerBandCentres),
                                                   std::end(kefo::kEqualizerBandCentres));

enum class EqualizerUse { kPlayback, kRecording, kSaving };

struct EqualizerOptions {
    std::vector<float> gains = std::vector<float>(9, 0.0f);  // dB, bands 65 Hz to 16 kHz
    bool bypass = false;
    EqualizerUse use = EqualizerUse::kPlayback;
};

// Host block sizes in sample frames: fixed when min == max, otherwise drawn
// uniformly from [min, max] with the seed.
struct BlockPattern {
    int minFrames = 1024;
    int maxFrames = 1024;
    unsigned seed = 1;
};

struct EqualizerRunReport {
    std::int64_t calls = 0;
    std::int64_t samplesOut = 0;
    int largestReturn = 0;  // most samples one call returned
};

// Streams channels x sampleRate audio from the pipe through the add-on,
// which must be the analyzer/equalizer add-on; the add-on's output goes to
// the pipe's write.
// Makes a full instance on record of the module loaded from addOnPath, once
// its information block says it is the analyzer/equalizer; false with error
// set when it is not loaded, not that add-on, or makes no instance.
bool OpenEqualizerInstance(const std::wstring& addOnPath, const AddOnModule& module,
                           HostRecord& record, std::string& error);

bool RunEqualizer(const std::wstring& addOnPath, const EqualizerOptions& options,
                  const BlockPattern& blocks, int channels, int sampleRate, SamplePipe& pipe,
                  EqualizerRunReport& report, std::string& error);
// The same for audio held in memory.
bool RunEqualizer(const std::wstring& addOnPath, const EqualizerOptions& options,
                  const BlockPattern& blocks, const WavAudio& input, WavAudio& output,
                  EqualizerRunReport& report, std::string& error);

// The add-on DLL: the path itself, or KEFO_AnalyzerEQ.dll inside it when it
// names a folder; by default the one beside this program.
std::wstring ResolveAddOnPath(const std::wstring& given);

// The gains of a built-in preset by name; false when there is none.
bool PresetGains(const std::string& name, std::vector<float>& gains);
std::string PresetNames();

}  // namespace hostsim
