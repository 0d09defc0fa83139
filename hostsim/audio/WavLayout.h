// Where the audio of a WAV file is and how it is coded: the chunk walk and
// the checks of the format chunk. Portable C++.
//
// The walk visits every chunk of the file, so that nothing is guessed and no
// audio is silently left behind: a header that contradicts itself, a second
// format or data chunk, a chunk that runs past the end of the file (other
// than the data chunk) or an odd-sized chunk without its pad byte is refused
// with a message that names what was found and at which byte offset. A data
// chunk that runs past the end of the file is taken up to the end, with a
// warning. Supported: 16-bit PCM, 24-bit PCM and 32-bit float, mono or
// stereo, 8000 to 192000 Hz, plain or extensible format chunks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace hostsim {

// Random access to the bytes of a file or of a buffer.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Reads up to count bytes at offset; returns how many it read (fewer only
    // at the end of the source or on a read error).
    virtual std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) = 0;
};

struct WavLayout {
    int channels = 0;
    int sampleRate = 0;
    int bytesPerSample = 0;  // 2, 3 or 4
    bool isFloat = false;
    std::uint64_t dataOffset = 0;      // first byte of the first frame
    std::uint64_t frames = 0;          // whole frames present in the file
    std::uint64_t declaredFrames = 0;  // whole frames the data chunk's size gives
    // Things read as the file says but worth telling the user (a data chunk
    // cut short, bytes of an incomplete frame).
    std::vector<std::string> warnings;

    int FrameBytes() const { return channels * bytesPerSample; }
};

bool ReadWavLayout(ByteSource& source, WavLayout& layout, std::string& error);

// Converts frames coded as layout says into interleaved floats at nominal
// full scale +-1.0; out takes frames * channels values.
void DecodeFrames(const WavLayout& layout, const unsigned char* bytes, std::size_t frames,
                  float* out);

}  // namespace hostsim
