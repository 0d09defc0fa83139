// Reads the audio of a WAV file from disk piece by piece, so that a file of
// any length is read with a fixed amount of memory. Portable C++; paths are
// std::filesystem paths, wide on Windows, so any file name opens.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "WavLayout.h"

namespace hostsim {

class WavReader {
public:
    // Larger files are refused: what is read must also fit a float WAV file.
    static constexpr std::uint64_t kMaxFileBytes = std::uint64_t{1} << 30;

    // Opens a regular file of at most kMaxFileBytes and reads its layout;
    // on failure error names the file and says why.
    bool Open(const std::filesystem::path& path, std::string& error);
    const WavLayout& Layout() const { return layout_; }
    // Frames not yet read.
    std::uint64_t FramesLeft() const { return layout_.frames - framesRead_; }
    // Reads up to maxFrames frames as interleaved floats into out; read is 0
    // once every frame has been read. False (with error) when the file could
    // not be read.
    bool Read(float* out, std::size_t maxFrames, std::size_t& read, std::string& error);

private:
    std::ifstream file_;
    std::string name_;  // the path as UTF-8, for messages
    WavLayout layout_;
    std::uint64_t framesRead_ = 0;
    std::vector<unsigned char> bytes_;
};

// The path as UTF-8 text, for messages.
std::string PathText(const std::filesystem::path& path);

}  // namespace hostsim
