// Reading and writing WAV files for the stand-in host. Portable C++.
//
// Reads 16-bit PCM, 24-bit PCM and 32-bit float, mono or stereo, at 8000 to
// 192000 Hz (plain and extensible format headers); anything else is refused
// with a message that says what was found. Writes 32-bit float.
#pragma once

#include <string>
#include <vector>

namespace hostsim {

struct WavAudio {
    int channels = 0;
    int sampleRate = 0;
    std::vector<float> samples;  // interleaved, nominal full scale +-1.0
};

// Parses a whole file held in memory. On failure returns false and error
// says why.
bool ParseWav(const std::vector<unsigned char>& bytes, WavAudio& audio, std::string& error);
bool ReadWavFile(const std::string& path, WavAudio& audio, std::string& error);

std::vector<unsigned char> EncodeFloatWav(const WavAudio& audio);
bool WriteWavFile(const std::string& path, const WavAudio& audio, std::string& error);

}  // namespace hostsim
