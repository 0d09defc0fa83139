#include "WavWriter.h"

#include <cerrno>
#include <cstring>

#include "WavReader.h"

namespace hostsim {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kHeaderBytes = 58;
// RIFF sizes are 32-bit: the whole file stays below 4 GiB.
constexpr std::uint64_t kMaxDataBytes = 0xFFFFFFFFull - kHeaderBytes;

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

}  // namespace

std::vector<unsigned char> FloatWavHeader(int channels, int sampleRate, std::uint64_t samples) {
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples * 4);
    const std::uint16_t frameBytes = static_cast<std::uint16_t>(4 * channels);
    std::vector<unsigned char> out;
    out.reserve(kHeaderBytes);
    PutTag(out, "RIFF");
    Put32(out, static_cast<std::uint32_t>(kHeaderBytes - 8 + dataBytes));
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 18);
    Put16(out, 3);  // IEEE float
    Put16(out, static_cast<std::uint16_t>(channels));
    Put32(out, static_cast<std::uint32_t>(sampleRate));
    Put32(out, static_cast<std::uint32_t>(sampleRate) * frameBytes);
    Put16(out, frameBytes);
    Put16(out, 32);
    Put16(out, 0);
    PutTag(out, "fact");
    Put32(out, 4);
    Put32(out, static_cast<std::uint32_t>(samples /
                                          static_cast<std::uint64_t>(channels ? channels : 1)));
    PutTag(out, "data");
    Put32(out, dataBytes);
    return out;
}

WavWriter::~WavWriter() {
    Abandon();
}

bool WavWriter::Open(const fs::path& path, int channels, int sampleRate, std::string& error) {
    path_ = path;
    name_ = PathText(path);
    channels_ = channels;
    samples_ = 0;
    std::error_code code;
    const fs::file_status status = fs::status(path, code);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        error = "cannot write " + name_ + ": it exists and is not a regular file";
        return false;
    }
    errno = 0;
    file_.open(path, std::ios::binary | std::ios::trunc);
    if (!file_) {
        error = "cannot create " + name_ + (errno ? std::string(": ") + std::strerror(errno) : "");
        return false;
    }
    open_ = true;
    const std::vector<unsigned char> header = FloatWavHeader(channels, sampleRate, 0);
    file_.write(reinterpret_cast<const char*>(header.data()),
                static_cast<std::streamsize>(header.size()));
    return file_ || Failed("writing", error);
}

bool WavWriter::Write(const float* samples, std::size_t count, std::string& error) {
    if (!open_) return Failed("writing", error);
    if ((samples_ + count) * 4 > kMaxDataBytes) {
        error = "cannot write " + name_ + ": the audio would not fit the 4 GiB of a WAV file";
        Abandon();
        return false;
    }
    static_assert(sizeof(float) == 4, "WAV float samples are 32-bit");
    errno = 0;
    // Samples go out as their little-endian bit patterns.
    unsigned char bytes[4096];
    std::size_t done = 0;
    while (done < count) {
        const std::size_t n = std::min(count - done, sizeof bytes / 4);
        for (std::size_t i = 0; i < n; ++i) {
            std::uint32_t bits;
            std::memcpy(&bits, &samples[done + i], 4);
            for (int b = 0; b < 4; ++b)
                bytes[4 * i + b] = static_cast<unsigned char>(bits >> (8 * b));
        }
        if (!file_.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(4 * n)))
            return Failed("writing", error);
        done += n;
    }
    samples_ += count;
    return true;
}

bool WavWriter::Finish(std::string& error) {
    if (!open_) return Failed("finishing", error);
    const std::vector<unsigned char> header = FloatWavHeader(channels_, 0, samples_);
    errno = 0;
    // Only the sizes change: RIFF size at 4, frame count at 46, data size at 54.
    for (std::size_t at : {std::size_t{4}, std::size_t{46}, std::size_t{54}}) {
        if (!file_.seekp(static_cast<std::streamoff>(at)) ||
            !file_.write(reinterpret_cast<const char*>(header.data() + at), 4))
            return Failed("finishing", error);
    }
    file_.close();
    if (file_.fail()) return Failed("closing", error);
    open_ = false;
    return true;
}

void WavWriter::Abandon() {
    if (!open_) return;
    open_ = false;
    file_.close();
    std::error_code ignored;
    fs::remove(path_, ignored);
}

bool WavWriter::Failed(const std::string& what, std::string& error) {
    const int cause = errno;
    error = "cannot write " + name_ + " (failed while " + what +
            (cause ? std::string(": ") + std::strerror(cause) : std::string()) +
            "); nothing was kept";
    Abandon();
    return false;
}

}  // namespace hostsim
