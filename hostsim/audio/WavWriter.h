// Writes 32-bit float WAV files to disk as the audio comes, in fixed memory.
// Portable C++. Every write and the close are checked: nothing counts as
// written unless all of it reached the file, and a file that could not be
// finished is removed rather than left behind half written.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace hostsim {

class WavWriter {
public:
    WavWriter() = default;
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;
    // A file opened and never finished is removed.
    ~WavWriter();

    // Creates (or replaces) the file and writes its header. A path that names
    // something other than a regular file is refused.
    bool Open(const std::filesystem::path& path, int channels, int sampleRate, std::string& error);
    // Appends interleaved samples.
    bool Write(const float* samples, std::size_t count, std::string& error);
    // Fills in the sizes and closes the file; on failure the file is removed.
    bool Finish(std::string& error);
    // Closes and removes an unfinished file (after a failure elsewhere).
    void Abandon();

    std::uint64_t SamplesWritten() const { return samples_; }

private:
    bool Failed(const std::string& what, std::string& error);

    std::ofstream file_;
    std::filesystem::path path_;
    std::string name_;
    bool open_ = false;
    int channels_ = 0;
    std::uint64_t samples_ = 0;
};

// The 58-byte header of a float WAV file holding `samples` samples.
std::vector<unsigned char> FloatWavHeader(int channels, int sampleRate, std::uint64_t samples);

}  // namespace hostsim
