// The console program's process and demo commands, run as a user runs them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>

#include "hostsim/host/AddOnModule.h"
#include "ProcessRunner.h"
#include "TestPaths.h"
#include "hostsim/audio/WavFile.h"

namespace {

using testing_paths::BesideTestExe;
using testing_paths::RunProcess;

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

std::wstring HostSim() {
    return Quoted(BesideTestExe(L"hostsim.exe"));
}

// A 16-bit PCM stereo file of a quiet ramp; declaredFrames other than frames
// makes its data chunk claim more than the file holds.
void WritePcm16(const std::wstring& path, int frames, int bits = 16, int declaredFrames = 0) {
    std::ofstream file(std::filesystem::path(path), std::ios::binary);
    auto put = [&](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) file.put(static_cast<char>(v >> (8 * i)));
    };
    const int width = bits / 8;
    file.write("RIFF", 4);
    put(36 + frames * 2 * width, 4);
    file.write("WAVEfmt ", 8);
    put(16, 4);
    put(1, 2);
    put(2, 2);
    put(22050, 4);
    put(22050 * 2 * width, 4);
    put(2 * width, 2);
    put(bits, 2);
    file.write("data", 4);
    put((declaredFrames ? declaredFrames : frames) * 2 * width, 4);
    for (int i = 0; i < frames * 2; ++i) put(static_cast<std::uint32_t>((i % 200) * 40), width);
}

TEST(HostSimProcess, StreamsAWavFileThroughTheAddOn) {
    const std::wstring in = BesideTestExe(L"process-in.wav"),
                       out = BesideTestExe(L"process-out.wav");
    WritePcm16(in, 30000);
    auto run = RunProcess(HostSim() +
                          L" process --preset \"Dance [QZ]\" --use recording --block 50-3000 " +
                          Quoted(in) + L" " + Quoted(out));
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    hostsim::WavAudio audio;
    std::string error;
    ASSERT_TRUE(hostsim::ReadWavFile(out, audio, error)) << error;
    EXPECT_EQ(audio.channels, 2);
    EXPECT_EQ(audio.sampleRate, 22050);
    EXPECT_EQ(audio.samples.size(), 60000u);
}

// One NaN and one +Inf in the left channel of a stereo file: they come out
// as silence would, and nothing else changes, the right channel least of all.
TEST(HostSimProcess, NonFiniteSamplesDoNotSpread) {
    hostsim::WavAudio clean;
    clean.channels = 2;
    clean.sampleRate = 44100;
    clean.samples.resize(2 * 20000);
    for (std::size_t i = 0; i < clean.samples.size(); ++i)
        clean.samples[i] =
            static_cast<float>(std::sin(0.001 * static_cast<double>(i * i % 7919))) * 0.4f;
    const std::size_t nanAt = 2 * 5000, infAt = 2 * 12345;  // left samples
    clean.samples[nanAt] = clean.samples[infAt] = 0.0f;
    hostsim::WavAudio spoilt = clean;
    spoilt.samples[nanAt] = std::numeric_limits<float>::quiet_NaN();
    spoilt.samples[infAt] = std::numeric_limits<float>::infinity();

    std::vector<std::vector<float>> outputs;
    for (const hostsim::WavAudio* audio : {&clean, &spoilt}) {
        const std::wstring in = BesideTestExe(L"nonfinite-in.wav"),
                           out = BesideTestExe(L"nonfinite-out.wav");
        std::string error;
        ASSERT_TRUE(hostsim::WriteWavFile(hostsim::Narrow(in), *audio, error)) << error;
        auto run = RunProcess(HostSim() + L" process --preset \"Rock [QZ]\" --block 100-5000 " +
                              Quoted(in) + L" " + Quoted(out));
        ASSERT_EQ(run.exitCode, 0u) << run.output;
        hostsim::WavAudio result;
        ASSERT_TRUE(hostsim::ReadWavFile(hostsim::Narrow(out), result, error)) << error;
        ASSERT_EQ(result.samples.size(), audio->samples.size());
        outputs.push_back(result.samples);
    }
    int nonFinite = 0;
    for (float sample : outputs[1]) nonFinite += !std::isfinite(sample);
    EXPECT_EQ(nonFinite, 0);
    EXPECT_EQ(outputs[1], outputs[0]);  // the right channel included, bit for bit
}

TEST(HostSimProcess, RefusesBadInputAndOptionsClearly) {
    const std::wstring in = BesideTestExe(L"process-8bit.wav");
    WritePcm16(in, 100, 8);
    auto run = RunProcess(HostSim() + L" process " + Quoted(in) + L" " +
                          Quoted(BesideTestExe(L"never.wav")));
    EXPECT_NE(run.exitCode, 0u);
    EXPECT_NE(run.output.find("unsupported sample format"), std::string::npos) << run.output;

    run = RunProcess(HostSim() + L" process --preset Nonesuch a.wav b.wav");
    EXPECT_NE(run.exitCode, 0u);
    EXPECT_NE(run.output.find("\"Rock [QZ]\""), std::string::npos) << run.output;

    run = RunProcess(HostSim() + L" process --gains 1,2,3 a.wav b.wav");
    EXPECT_NE(run.exitCode, 0u);
    EXPECT_NE(run.output.find("nine numbers"), std::string::npos) << run.output;

    // Saving with all gains 0 is refused by the add-on, and said so.
    const std::wstring good = BesideTestExe(L"process-saving.wav");
    WritePcm16(good, 1000);
    run = RunProcess(HostSim() + L" process --use saving " + Quoted(good) + L" " +
                     Quoted(BesideTestExe(L"saving-out.wav")));
    EXPECT_NE(run.exitCode, 0u);
    EXPECT_NE(run.output.find("saving needs at least one nonzero gain"), std::string::npos)
        << run.output;
}

TEST(HostSimProcess, RefusesEachFaultWithItsOwnMessageAndLeavesNoOutput) {
    const std::wstring in = BesideTestExe(L"process-\u00e9t\u00e9-in.wav");
    const std::wstring out = BesideTestExe(L"process-\u00e9t\u00e9-out.wav");
    const std::wstring folder = BesideTestExe(L"process-folder.wav");
    std::filesystem::create_directory(std::filesystem::path(folder));
    std::filesystem::remove(std::filesystem::path(out));
    WritePcm16(in, 2000);
    struct Case {
        std::wstring options, input, output;
        const char* message;
    };
    const Case cases[] = {
        {L"--gains 0,0,22,0,0,0,0,0,0", in, out,
         "gain 22 dB of band 3 (250 Hz) is outside -15 to +15 dB"},
        {L"--gains 0,nan,0,0,0,0,0,0,0", in, out, "gain of band 2 (125 Hz) is not a finite number"},
        {L"--seed 12x", in, out, "--seed needs a whole number from 0 to 4294967295, not \"12x\""},
        {L"--addon " + Quoted(BesideTestExe(L"KEFO_Probe.dll")), in, out,
         "is not the equalizer add-on: it is \"Probe Add-on\""},
        {L"", folder, out, "is a folder, not a file"},
        {L"", in, in, "is the input file"},
        {L"", in, folder, "it exists and is not a regular file"},
    };
    for (const Case& c : cases) {
        const auto run = RunProcess(HostSim() + L" process " + c.options + L" " + Quoted(c.input) +
                                    L" " + Quoted(c.output));
        EXPECT_EQ(run.exitCode, 1u) << run.output;
        EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(out))) << run.output;
    }

    // A data chunk cut short: read to its end, with the counts on stderr;
    // the names with accents are written and read as they are.
    WritePcm16(in, 2000, 16, 5000);
    const auto run = RunProcess(HostSim() + L" process " + Quoted(in) + L" " + Quoted(out));
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_NE(run.output.find("declares 5000 frames but the file ends after 2000"),
              std::string::npos)
        << run.output;
    hostsim::WavAudio audio;
    std::string error;
    ASSERT_TRUE(hostsim::ReadWavFile(out, audio, error)) << error;
    EXPECT_EQ(audio.samples.size(), 4000u);
}

TEST(HostSimDemo, MeasuresTheAskedGainsWithNoLatency) {
    auto run = RunProcess(HostSim() + L" demo --out " + Quoted(BesideTestExe(L"demo-out")));
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_NE(run.output.find("latency: 0 samples"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("demo: PASS"), std::string::npos) << run.output;
}

}  // namespace
