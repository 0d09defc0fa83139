#include "WavFile.h"

#include <algorithm>
#include <cstring>

#include "WavLayout.h"
#include "WavReader.h"
#include "WavWriter.h"

namespace hostsim {
namespace {

class MemorySource : public ByteSource {
public:
    explicit MemorySource(const std::vector<unsigned char>& bytes) : bytes_(bytes) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override {
        if (offset >= bytes_.size()) return 0;
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(count, bytes_.size() - offset));
        std::memcpy(buffer, bytes_.data() + offset, n);
        return n;
    }

private:
    const std::vector<unsigned char>& bytes_;
};

void Adopt(const WavLayout& layout, WavAudio& audio) {
    audio.channels = layout.channels;
    audio.sampleRate = layout.sampleRate;
    audio.warnings = layout.warnings;
    audio.samples.resize(static_cast<std::size_t>(layout.frames) *
                         static_cast<std::size_t>(layout.channels));
}

}  // namespace

bool ParseWav(const std::vector<unsigned char>& bytes, WavAudio& audio, std::string& error) {
    MemorySource source(bytes);
    WavLayout layout;
    if (!ReadWavLayout(source, layout, error)) return false;
    Adopt(layout, audio);
    DecodeFrames(layout, bytes.data() + layout.dataOffset, static_cast<std::size_t>(layout.frames),
                 audio.samples.data());
    return true;
}

bool ReadWavFile(const std::filesystem::path& path, WavAudio& audio, std::string& error) {
    WavReader reader;
    if (!reader.Open(path, error)) return false;
    Adopt(reader.Layout(), audio);
    std::size_t read = 0;
    return reader.Read(audio.samples.data(), static_cast<std::size_t>(reader.Layout().frames), read,
                       error);
}

std::vector<unsigned char> EncodeFloatWav(const WavAudio& audio) {
    std::vector<unsigned char> out =
        FloatWavHeader(audio.channels, audio.sampleRate, audio.samples.size());
    const std::size_t header = out.size();
    out.resize(header + 4 * audio.samples.size());
    for (std::size_t i = 0; i < audio.samples.size(); ++i) {
        std::uint32_t bits;
        std::memcpy(&bits, &audio.samples[i], sizeof bits);
        for (int b = 0; b < 4; ++b)
            out[header + 4 * i + b] = static_cast<unsigned char>(bits >> (8 * b));
    }
    return out;
}

bool WriteWavFile(const std::filesystem::path& path, const WavAudio& audio, std::string& error) {
    WavWriter writer;
    return writer.Open(path, audio.channels, audio.sampleRate, error) &&
           writer.Write(audio.samples.data(), audio.samples.size(), error) && writer.Finish(error);
}

}  // namespace hostsim
