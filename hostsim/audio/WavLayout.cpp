#include "WavLayout.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace hostsim {
namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
constexpr std::uint32_t kMinRate = 8000;
constexpr std::uint32_t kMaxRate = 192000;
// An extensible format's sub-format GUID is the plain format tag followed by
// these 14 bytes (as they lie in the file).
constexpr unsigned char kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                              0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::uint32_t Read32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t Read16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::string Number(std::uint64_t value) {
    return std::to_string(value);
}

// Chunk tags are four printable characters.
bool PlausibleTag(const unsigned char* tag) {
    for (int i = 0; i < 4; ++i)
        if (tag[i] < 0x20 || tag[i] > 0x7E) return false;
    return true;
}

std::string TagText(const unsigned char* tag) {
    if (PlausibleTag(tag)) return "'" + std::string(reinterpret_cast<const char*>(tag), 4) + "'";
    char text[16];
    std::snprintf(text, sizeof text, "%02X %02X %02X %02X", tag[0], tag[1], tag[2], tag[3]);
    return text;
}

std::string GuidText(const unsigned char* g) {
    char text[48];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(Read32(g)), Read16(g + 4), Read16(g + 6), g[8], g[9], g[10],
                  g[11], g[12], g[13], g[14], g[15]);
    return text;
}

// The checks of a format chunk whose body (size bytes) is at hand.
bool ReadFormat(const unsigned char* body, std::uint32_t size, std::uint64_t offset,
                WavLayout& layout, std::string& error) {
    const std::string where = " in the format chunk at offset " + Number(offset);
    if (size < 16) {
        error = "format chunk at offset " + Number(offset) + " has " + Number(size) +
                " bytes; at least 16 are needed";
        return false;
    }
    std::uint16_t tag = Read16(body);
    const std::uint16_t channels = Read16(body + 2);
    const std::uint32_t rate = Read32(body + 4);
    const std::uint32_t byteRate = Read32(body + 8);
    const std::uint16_t blockAlign = Read16(body + 12);
    const std::uint16_t bits = Read16(body + 14);
    if (tag == kFormatExtensible) {
        if (size < 40 || Read16(body + 16) < 22) {
            error = "extensible format chunk at offset " + Number(offset) +
                    " is too short for its sub-format (" + Number(size) + " bytes; 40 needed)";
            return false;
        }
        const unsigned char* guid = body + 24;
        tag = Read16(guid);
        if ((tag != kFormatPcm && tag != kFormatFloat) || Read16(guid + 2) != 0 ||
            std::memcmp(guid + 2, kSubFormatTail, sizeof kSubFormatTail) != 0) {
            error = "extensible format with sub-format " + GuidText(guid) +
                    ", neither PCM nor IEEE float," + where;
            return false;
        }
        const std::uint16_t validBits = Read16(body + 18);
        if (validBits > bits) {
            error =
                Number(validBits) + " valid bits in a " + Number(bits) + "-bit container" + where;
            return false;
        }
    }
    const bool pcm = tag == kFormatPcm && (bits == 16 || bits == 24);
    const bool flt = tag == kFormatFloat && bits == 32;
    if (!pcm && !flt) {
        error = "unsupported sample format (tag " + Number(tag) + ", " + Number(bits) + " bits)" +
                where + "; supported: 16-bit PCM, 24-bit PCM, 32-bit float";
        return false;
    }
    if (channels != 1 && channels != 2) {
        error =
            "unsupported channel count " + Number(channels) + where + "; supported: mono or stereo";
        return false;
    }
    if (rate < kMinRate || rate > kMaxRate) {
        error = "sample rate " + Number(rate) + " Hz is outside " + Number(kMinRate) + "-" +
                Number(kMaxRate) + where;
        return false;
    }
    const std::uint32_t frameBytes = channels * (bits / 8u);
    if (blockAlign != frameBytes) {
        error = "block align " + Number(blockAlign) + " does not match " + Number(channels) +
                " channel(s) of " + Number(bits / 8u) + "-byte samples (" + Number(frameBytes) +
                " bytes per frame)" + where;
        return false;
    }
    if (byteRate != std::uint64_t{rate} * frameBytes) {
        error = "byte rate " + Number(byteRate) + " does not match " + Number(rate) + " Hz x " +
                Number(frameBytes) + "-byte frames (" + Number(std::uint64_t{rate} * frameBytes) +
                ")" + where;
        return false;
    }
    layout.channels = channels;
    layout.sampleRate = static_cast<int>(rate);
    layout.bytesPerSample = bits / 8;
    layout.isFloat = tag == kFormatFloat;
    return true;
}

// Reads exactly count bytes or says why not.
bool ReadExactly(ByteSource& source, std::uint64_t offset, void* buffer, std::size_t count,
                 std::string& error) {
    if (source.ReadAt(offset, buffer, count) == count) return true;
    error = "cannot read " + Number(count) + " bytes at offset " + Number(offset);
    return false;
}

// Whether the bytes from offset to the end are all zero (padding some writers
// leave after the last chunk).
bool ZeroToEnd(ByteSource& source, std::uint64_t offset) {
    unsigned char buffer[4096];
    while (offset < source.Size()) {
        const std::size_t count = static_cast<std::size_t>(
            std::min<std::uint64_t>(sizeof buffer, source.Size() - offset));
        if (source.ReadAt(offset, buffer, count) != count) return false;
        for (std::size_t i = 0; i < count; ++i)
            if (buffer[i]) return false;
        offset += count;
    }
    return true;
}

struct Chunk {
    std::uint64_t offset = 0;
    unsigned char tag[4] = {};
    std::uint32_t size = 0;
};

// A header that makes no sense where the walk expected one: an odd chunk
// before it that lacks its pad byte is named when that explains it.
std::string DamagedAt(ByteSource& source, std::uint64_t offset, const Chunk* previousOdd,
                      const std::string& what) {
    unsigned char shifted[8];
    if (previousOdd && source.ReadAt(offset - 1, shifted, 8) == 8 && PlausibleTag(shifted) &&
        offset - 1 + 8 + Read32(shifted + 4) <= source.Size()) {
        return "damaged file: chunk " + TagText(previousOdd->tag) + " at offset " +
               Number(previousOdd->offset) + " has the odd size " + Number(previousOdd->size) +
               " but no pad byte after it";
    }
    return "damaged file: " + what;
}

}  // namespace

bool ReadWavLayout(ByteSource& source, WavLayout& layout, std::string& error) {
    layout = WavLayout{};
    const std::uint64_t size = source.Size();
    unsigned char header[12];
    if (size < 12 || source.ReadAt(0, header, 12) != 12 || std::memcmp(header, "RIFF", 4) != 0 ||
        std::memcmp(header + 8, "WAVE", 4) != 0) {
        error = "not a WAV file (no RIFF/WAVE header)";
        return false;
    }

    Chunk format, data, previous;
    bool haveFormat = false, haveData = false, previousOdd = false;
    std::uint64_t at = 12;
    while (at < size) {
        Chunk chunk;
        chunk.offset = at;
        unsigned char bytes[8] = {};
        const std::uint64_t left = size - at;
        const bool whole = left >= 8 && source.ReadAt(at, bytes, 8) == 8;
        if (!whole || !PlausibleTag(bytes)) {
            if (ZeroToEnd(source, at)) break;
            error = DamagedAt(source, at, previousOdd ? &previous : nullptr,
                              whole ? "no chunk header at offset " + Number(at) + " (found " +
                                          TagText(bytes) + ")"
                                    : Number(left) + " stray bytes at offset " + Number(at));
            return false;
        }
        std::memcpy(chunk.tag, bytes, 4);
        chunk.size = Read32(bytes + 4);
        const bool isData = std::memcmp(chunk.tag, "data", 4) == 0;
        const std::uint64_t end = at + 8 + chunk.size;
        if (end > size && !isData) {
            error = DamagedAt(source, at, previousOdd ? &previous : nullptr,
                              "chunk " + TagText(chunk.tag) + " at offset " + Number(at) +
                                  " declares " + Number(chunk.size) +
                                  " bytes but the file ends after " + Number(left - 8));
            return false;
        }

        if (std::memcmp(chunk.tag, "fmt ", 4) == 0) {
            if (haveFormat) {
                error = "a second format chunk at offset " + Number(at) + " (the first is at " +
                        Number(format.offset) + ")";
                return false;
            }
            // Only the first 40 bytes carry anything this reader uses.
            std::vector<unsigned char> body(std::min<std::uint32_t>(chunk.size, 40));
            if (!ReadExactly(source, at + 8, body.data(), body.size(), error) ||
                !ReadFormat(body.data(), chunk.size, at, layout, error))
                return false;
            format = chunk;
            haveFormat = true;
        } else if (isData) {
            if (haveData) {
                error = "a second data chunk at offset " + Number(at) + " (the first is at " +
                        Number(data.offset) +
                        "); files with more than one data chunk are not supported";
                return false;
            }
            if (!haveFormat) {
                error = "the data chunk at offset " + Number(at) + " comes before any format chunk";
                return false;
            }
            data = chunk;
            haveData = true;
        }
        // The last chunk may end the file without its pad byte: nothing is lost.
        if (end >= size) break;
        at = end + (chunk.size & 1);
        previous = chunk;
        previousOdd = (chunk.size & 1) != 0;
    }
    if (!haveFormat || !haveData) {
        error = haveFormat ? "no data chunk" : "no format chunk";
        return false;
    }

    const std::uint64_t frameBytes = static_cast<std::uint64_t>(layout.FrameBytes());
    const std::uint64_t present = std::min<std::uint64_t>(data.size, size - (data.offset + 8));
    layout.dataOffset = data.offset + 8;
    layout.declaredFrames = data.size / frameBytes;
    layout.frames = present / frameBytes;
    if (present < data.size) {
        layout.warnings.push_back("the data chunk at offset " + Number(data.offset) + " declares " +
                                  Number(layout.declaredFrames) +
                                  " frames but the file ends after " + Number(layout.frames) +
                                  "; reading the " + Number(layout.frames) + " there are");
    } else if (data.size % frameBytes) {
        layout.warnings.push_back("the data chunk at offset " + Number(data.offset) + " holds " +
                                  Number(data.size) + " bytes, not a whole number of " +
                                  Number(frameBytes) + "-byte frames; its last " +
                                  Number(data.size % frameBytes) + " bytes are left out");
    }
    return true;
}

void DecodeFrames(const WavLayout& layout, const unsigned char* bytes, std::size_t frames,
                  float* out) {
    const std::size_t count = frames * static_cast<std::size_t>(layout.channels);
    const std::size_t width = static_cast<std::size_t>(layout.bytesPerSample);
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* p = bytes + i * width;
        if (layout.isFloat) {
            const std::uint32_t bits = Read32(p);
            std::memcpy(&out[i], &bits, sizeof bits);
        } else if (width == 2) {
            out[i] = static_cast<std::int16_t>(Read16(p)) / 32768.0f;
        } else {
            const std::int32_t v =
                static_cast<std::int32_t>((p[0] << 8) | (p[1] << 16) |
                                          (static_cast<std::uint32_t>(p[2]) << 24)) >>
                8;
            out[i] = static_cast<float>(v / 8388608.0);
        }
    }
}

}  // namespace hostsim
