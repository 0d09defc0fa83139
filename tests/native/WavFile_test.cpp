#include "WavFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

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
        Put(out, tag, 2);  // sub-format GUID starts with the plain tag
        out.insert(out.end(), 14, 0);
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

}  // namespace
