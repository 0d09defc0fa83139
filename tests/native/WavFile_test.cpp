#include "hostsim/audio/WavFile.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "hostsim/audio/WavWriter.h"

namespace {

using hostsim::ParseWav;
using hostsim::WavAudio;

void Put(std::vector<unsigned char>& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
void Tag(std::vector<unsigned char>& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}

// A minimal file: RIFF header, a format chunk of formatSize bytes, an odd
// chunk to skip, then data.
std::vector<unsigned char> MakeWav(int tag, int channels, int rate, int bits,
                                   const std::vector<unsigned char>& data,
                                   bool extensible = false) {
    std::vector<unsigned char> out;
    Tag(out, "RIFF");
    Put(out, 0, 4);  // writers often leave this wrong; readers must not care
    Tag(out, "WAVE");
    Tag(out, "LIST");
    Put(out, 3, 4);
    out.insert(out.end(), {'a', 'b', 'c', 0});  // odd size plus its pad byte
    Tag(out, "fmt ");
    Put(out, extensible ? 40 : 16, 4);
    Put(out, extensible ? 0xFFFE : tag, 2);
    Put(out, channels, 2);
    Put(out, rate, 4);
    Put(out, rate * channels * bits / 8, 4);
    Put(out, channels * bits / 8, 2);
    Put(out, bits, 2);
    if (extensible) {
        Put(out, 22, 2);
        Put(out, bits, 2);
        Put(out, 0, 4);
        Put(out, tag, 4);  // sub-format GUID: the plain tag, then a fixed tail
        out.insert(out.end(),
                   {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});
    }
    Tag(out, "data");
    Put(out, static_cast<std::uint32_t>(data.size()), 4);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

TEST(WavFile, Reads16And24BitPcmAndFloat) {
    WavAudio audio;
    std::string error;
    std::vector<unsigned char> pcm16;
    Put(pcm16, 0x4000, 2);  // 0.5
    Put(pcm16, 0x8000, 2);  // -1.0
    ASSERT_TRUE(ParseWav(MakeWav(1, 2, 44100, 16, pcm16), audio, error)) << error;
    EXPECT_EQ(audio.channels, 2);
    EXPECT_EQ(audio.sampleRate, 44100);
    EXPECT_EQ(audio.samples, (std::vector<float>{0.5f, -1.0f}));

    std::vector<unsigned char> pcm24;
    Put(pcm24, 0xC00000, 3);  // -0.5
    Put(pcm24, 0x200000, 3);  // 0.25
    ASSERT_TRUE(ParseWav(MakeWav(1, 1, 8000, 24, pcm24, true), audio, error)) << error;
    EXPECT_EQ(audio.samples, (std::vector<float>{-0.5f, 0.25f}));

    std::vector<unsigned char> flt;
    float value = 0.125f;
    std::uint32_t bits;
    std::memcpy(&bits, &value, 4);
    Put(flt, bits, 4);
    ASSERT_TRUE(ParseWav(MakeWav(3, 1, 192000, 32, flt), audio, error)) << error;
    EXPECT_EQ(audio.samples, (std::vector<float>{0.125f}));
}

TEST(WavFile, RefusesWhatItCannotPlayWithAClearReason) {
    WavAudio audio;
    std::string error;
    std::vector<unsigned char> data(8, 0);
    EXPECT_FALSE(ParseWav(MakeWav(1, 2, 44100, 8, data), audio, error));
    EXPECT_NE(error.find("8 bits"), std::string::npos) << error;
    EXPECT_FALSE(ParseWav(MakeWav(1, 6, 44100, 16, data), audio, error));
    EXPECT_NE(error.find("channel count 6"), std::string::npos) << error;
    EXPECT_FALSE(ParseWav(MakeWav(1, 2, 7999, 16, data), audio, error));
    EXPECT_NE(error.find("7999 Hz"), std::string::npos) << error;
    EXPECT_FALSE(ParseWav(MakeWav(1, 2, 384000, 16, data), audio, error));
    EXPECT_FALSE(ParseWav(std::vector<unsigned char>(40, 'x'), audio, error));
    EXPECT_NE(error.find("not a WAV"), std::string::npos);
    // A format chunk that claims more bytes than the file has.
    std::vector<unsigned char> cut = MakeWav(1, 2, 44100, 16, data);
    cut.resize(40);
    EXPECT_FALSE(ParseWav(cut, audio, error));
}

TEST(WavFile, FloatFilesRoundTrip) {
    WavAudio audio;
    audio.channels = 2;
    audio.sampleRate = 96000;
    audio.samples = {0.0f, 1.5f, -2.0f, 1e-7f};  // float keeps values beyond full scale
    WavAudio back;
    std::string error;
    ASSERT_TRUE(ParseWav(hostsim::EncodeFloatWav(audio), back, error)) << error;
    EXPECT_EQ(back.channels, 2);
    EXPECT_EQ(back.sampleRate, 96000);
    EXPECT_EQ(back.samples, audio.samples);
}

// A plain 16-bit stereo 44100 Hz file with its parts given as bytes, so that
// each case below can break one of them.
struct Parts {
    std::vector<unsigned char> format = Format(1, 2, 44100, 176400, 4, 16);
    std::vector<unsigned char> before;   // chunks between WAVE and fmt
    std::vector<unsigned char> between;  // chunks between fmt and data
    std::uint32_t dataSize = 8;
    std::vector<unsigned char> data = std::vector<unsigned char>(8, 0);
    std::vector<unsigned char> after;

    static std::vector<unsigned char> Format(int tag, int channels, std::uint32_t rate,
                                             std::uint32_t byteRate, int align, int bits) {
        std::vector<unsigned char> out;
        Put(out, tag, 2);
        Put(out, channels, 2);
        Put(out, rate, 4);
        Put(out, byteRate, 4);
        Put(out, align, 2);
        Put(out, bits, 2);
        return out;
    }
    std::vector<unsigned char> Bytes() const {
        std::vector<unsigned char> out;
        Tag(out, "RIFF");
        Put(out, 0, 4);
        Tag(out, "WAVE");
        out.insert(out.end(), before.begin(), before.end());
        Tag(out, "fmt ");
        Put(out, static_cast<std::uint32_t>(format.size()), 4);
        out.insert(out.end(), format.begin(), format.end());
        out.insert(out.end(), between.begin(), between.end());
        Tag(out, "data");
        Put(out, dataSize, 4);
        out.insert(out.end(), data.begin(), data.end());
        out.insert(out.end(), after.begin(), after.end());
        return out;
    }
};

std::vector<unsigned char> Chunk(const char* tag, std::uint32_t size, std::size_t bodyBytes) {
    std::vector<unsigned char> out;
    Tag(out, tag);
    Put(out, size, 4);
    out.insert(out.end(), bodyBytes, 'x');
    return out;
}

TEST(WavFile, RefusesContradictoryAndDamagedFilesNamingWhatAndWhere) {
    std::vector<unsigned char> pcmGuid = Parts::Format(0xFFFE, 2, 44100, 176400, 4, 16);
    Put(pcmGuid, 22, 2);
    Put(pcmGuid, 16, 2);
    Put(pcmGuid, 3, 4);
    Put(pcmGuid, 2, 4);  // ADPCM's sub-format: neither PCM nor float
    pcmGuid.insert(pcmGuid.end(),
                   {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});
    struct Case {
        const char* what;
        Parts parts;
        const char* message;
    };
    std::vector<Case> cases(8);
    cases[0] = {
        "rate with the top bit set",
        {},
        "sample rate 4000000000 Hz is outside 8000-192000 in the format chunk at offset 12"};
    cases[0].parts.format = Parts::Format(1, 2, 4000000000u, 0, 4, 16);
    cases[1] = {"24-bit mono in 4-byte blocks",
                {},
                "block align 4 does not match 1 channel(s) of 3-byte samples (3 bytes per frame)"};
    cases[1].parts.format = Parts::Format(1, 1, 44100, 176400, 4, 24);
    cases[2] = {"byte rate of another rate",
                {},
                "byte rate 32000 does not match 44100 Hz x 4-byte frames (176400)"};
    cases[2].parts.format = Parts::Format(1, 2, 44100, 32000, 4, 16);
    cases[3] = {"two format chunks", {}, "a second format chunk at offset 36 (the first is at 12)"};
    cases[3].parts.between = Chunk("fmt ", 16, 0);
    cases[3].parts.between.insert(cases[3].parts.between.end(), cases[3].parts.format.begin(),
                                  cases[3].parts.format.end());
    cases[4] = {"extensible, not PCM or float",
                {},
                "sub-format {00000002-0000-0010-8000-00AA00389B71}, neither PCM nor IEEE float"};
    cases[4].parts.format = pcmGuid;
    cases[5] = {"two data chunks", {}, "a second data chunk at offset 52 (the first is at 36)"};
    cases[5].parts.after = Chunk("data", 4, 4);
    cases[6] = {
        "a chunk past the end",
        {},
        "damaged file: chunk 'LIST' at offset 52 declares 100 bytes but the file ends after 3"};
    cases[6].parts.after = Chunk("LIST", 100, 3);
    cases[7] = {
        "odd chunk without its pad byte",
        {},
        "damaged file: chunk 'LIST' at offset 12 has the odd size 3 but no pad byte after it"};
    cases[7].parts.before = Chunk("LIST", 3, 3);
    for (const Case& c : cases) {
        WavAudio audio;
        std::string error;
        EXPECT_FALSE(ParseWav(c.parts.Bytes(), audio, error)) << c.what;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
    }
}

TEST(WavFile, CutShortDataIsReadToTheEndWithAWarning) {
    Parts parts;
    parts.dataSize = 4 * 1000;  // 1000 frames declared, 2 there
    WavAudio audio;
    std::string error;
    ASSERT_TRUE(ParseWav(parts.Bytes(), audio, error)) << error;
    EXPECT_EQ(audio.samples.size(), 4u);
    ASSERT_EQ(audio.warnings.size(), 1u);
    EXPECT_NE(audio.warnings[0].find("declares 1000 frames but the file ends after 2"),
              std::string::npos)
        << audio.warnings[0];

    parts = Parts{};
    parts.dataSize = 7;  // an incomplete last frame, with its pad byte
    parts.data.resize(8);
    ASSERT_TRUE(ParseWav(parts.Bytes(), audio, error)) << error;
    EXPECT_EQ(audio.samples.size(), 2u);
    ASSERT_EQ(audio.warnings.size(), 1u);
    EXPECT_NE(audio.warnings[0].find("its last 3 bytes are left out"), std::string::npos);
}

// A file size limit makes the disk "full" for this process: the write that
// crosses it fails (SIGXFSZ ignored), as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

TEST(WavFile, AWriteThatFailsIsReportedAndLeavesNoFile) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("wavwriter-" + std::to_string(getpid()) + ".wav");
    WavAudio audio;
    audio.channels = 1;
    audio.sampleRate = 8000;
    for (std::size_t samples :
         {std::size_t{100}, std::size_t{200000}}) {  // fails at close, at write
        audio.samples.assign(samples, 0.25f);
        std::string error;
        {
            FileSizeLimit full(256);
            EXPECT_FALSE(hostsim::WriteWavFile(path, audio, error)) << samples;
        }
        EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
        EXPECT_FALSE(std::filesystem::exists(path)) << samples;
    }
    std::string error;
    ASSERT_TRUE(hostsim::WriteWavFile(path, audio, error)) << error;
    WavAudio back;
    ASSERT_TRUE(hostsim::ReadWavFile(path, back, error)) << error;
    EXPECT_EQ(back.samples, audio.samples);
    std::filesystem::remove(path);
}

}  // namespace
