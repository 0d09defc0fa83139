// Whole WAV files in memory, for the demo and for tests. Portable C++.
//
// Reads 16-bit PCM, 24-bit PCM and 32-bit float, mono or stereo, at 8000 to
// 192000 Hz (plain and extensible format headers); anything else is refused
// with a message that says what was found and where (WavLayout.h). Writes
// 32-bit float. Long files are better streamed with WavReader and WavWriter.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace hostsim {

struct WavAudio {
    int channels = 0;
    int sampleRate = 0;
    std::vector<float> samples;  // interleaved, nominal full scale +-1.0
    // What was read as the file says but is worth telling (a cut-short data
    // chunk, an incomplete last frame).
    std::vector<std::string> warnings;
};

// Parses a whole file held in memory. On failure returns false and error
// says why.
bool ParseWav(const std::vector<unsigned char>& bytes, WavAudio& audio, std::string& error);
bool ReadWavFile(const std::filesystem::path& path, WavAudio& audio, std::string& error);

std::vector<unsigned char> EncodeFloatWav(const WavAudio& audio);
bool WriteWavFile(const std::filesystem::path& path, const WavAudio& audio, std::string& error);

}  // namespace hostsim
