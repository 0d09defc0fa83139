#include "WavFile.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

namespace hostsim {
namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
constexpr int kMinRate = 8000;
constexpr int kMaxRate = 192000;

std::uint32_t Read32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t Read16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

void Put32(std::vector<unsigned char>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
void Put16(std::vector<unsigned char>& out, std::uint16_t v) {
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
}
void PutTag(std::vector<unsigned char>& out, const char* tag) {
    // Byte by byte: i686 GCC 12 at -O3 warns falsely on a 4-byte insert here.
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(tag[i]));
}

struct Format {
    std::uint16_t tag = 0;
    int channels = 0;
    int rate = 0;
    int bits = 0;
};

bool DecodeSamples(const Format& format, const unsigned char* data, std::size_t size,
                   std::vector<float>& samples) {
    const std::size_t width = static_cast<std::size_t>(format.bits / 8);
    const std::size_t frame = width * static_cast<std::size_t>(format.channels);
    const std::size_t count = size / frame * static_cast<std::size_t>(format.channels);
    samples.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* p = data + i * width;
        if (format.tag == kFormatFloat) {
            std::uint32_t bits = Read32(p);
            std::memcpy(&samples[i], &bits, sizeof bits);
        } else if (format.bits == 16) {
            samples[i] = static_cast<std::int16_t>(Read16(p)) / 32768.0f;
        } else {
            std::int32_t v = static_cast<std::int32_t>((p[0] << 8) | (p[1] << 16) |
                                                       (static_cast<std::uint32_t>(p[2]) << 24)) >>
                             8;
            samples[i] = static_cast<float>(v / 8388608.0);
        }
    }
    return true;
}

}  // namespace

bool ParseWav(const std::vector<unsigned char>& bytes, WavAudio& audio, std::string& error) {
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        error = "not a WAV file (no RIFF/WAVE header)";
        return false;
    }
    Format format;
    bool haveFormat = false;
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const unsigned char* chunk = bytes.data() + at;
        const std::size_t size = Read32(chunk + 4);
        const std::size_t available = bytes.size() - at - 8;
        const unsigned char* body = chunk + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16 || size > available) {
                error = "damaged format chunk";
                return false;
            }
            format.tag = Read16(body);
            format.channels = Read16(body + 2);
            format.rate = static_cast<int>(Read32(body + 4) & 0x7FFFFFFF);
            format.bits = Read16(body + 14);
            if (format.tag == kFormatExtensible) {
                if (size < 40) {
                    error = "damaged extensible format chunk";
                    return false;
                }
                format.tag = Read16(body + 24);  // first two bytes of the sub-format GUID
            }
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) {
                error = "data before the format chunk";
                return false;
            }
            const bool pcm = format.tag == kFormatPcm && (format.bits == 16 || format.bits == 24);
            const bool flt = format.tag == kFormatFloat && format.bits == 32;
            if (!pcm && !flt) {
                error = "unsupported sample format (tag " + std::to_string(format.tag) + ", " +
                        std::to_string(format.bits) +
                        " bits); supported: 16-bit PCM, 24-bit PCM, 32-bit float";
                return false;
            }
            if (format.channels != 1 && format.channels != 2) {
                error = "unsupported channel count " + std::to_string(format.channels) +
                        "; supported: mono or stereo";
                return false;
            }
            if (format.rate < kMinRate || format.rate > kMaxRate) {
                error = "unsupported sample rate " + std::to_string(format.rate) +
                        " Hz; supported: 8000 to 192000 Hz";
                return false;
            }
            // A data size beyond the file (streamed writers leave it open) is
            // read up to the end of the file.
            audio.channels = format.channels;
            audio.sampleRate = format.rate;
            return DecodeSamples(format, body, size < available ? size : available, audio.samples);
        }
        if (size > available) break;
        at += 8 + size + (size & 1);
    }
    error = haveFormat ? "no data chunk" : "no format chunk";
    return false;
}

bool ReadWavFile(const std::string& path, WavAudio& audio, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
    if (!ParseWav(bytes, audio, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

std::vector<unsigned char> EncodeFloatWav(const WavAudio& audio) {
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(audio.samples.size() * 4);
    const std::uint16_t frameBytes = static_cast<std::uint16_t>(4 * audio.channels);
    std::vector<unsigned char> out;
    out.reserve(58 + dataBytes);
    PutTag(out, "RIFF");
    Put32(out, 50 + dataBytes);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 18);
    Put16(out, kFormatFloat);
    Put16(out, static_cast<std::uint16_t>(audio.channels));
    Put32(out, static_cast<std::uint32_t>(audio.sampleRate));
    Put32(out, static_cast<std::uint32_t>(audio.sampleRate) * frameBytes);
    Put16(out, frameBytes);
    Put16(out, 32);
    Put16(out, 0);
    PutTag(out, "fact");
    Put32(out, 4);
    Put32(out,
          static_cast<std::uint32_t>(audio.samples.size() / (audio.channels ? audio.channels : 1)));
    PutTag(out, "data");
    Put32(out, dataBytes);
    for (float sample : audio.samples) {
        std::uint32_t bits;
        std::memcpy(&bits, &sample, sizeof bits);
        Put32(out, bits);
    }
    return out;
}

bool WriteWavFile(const std::string& path, const WavAudio& audio, std::string& error) {
    std::vector<unsigned char> bytes = EncodeFloatWav(audio);
    std::ofstream file(path, std::ios::binary);
    if (!file || !file.write(reinterpret_cast<const char*>(bytes.data()),
                             static_cast<std::streamsize>(bytes.size()))) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace hostsim
