// hostsim validate on the shipped add-ons, which must pass, and on test
// add-ons that each break one rule, which must fail in the group that checks
// that rule, and only there, with the call named, while the later groups
// still run.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "ProcessRunner.h"
#include "TestPaths.h"

namespace {

testing_paths::ProcessResult Validate(const std::wstring& dll, const std::wstring& options = L"") {
    const std::wstring hostsim = testing_paths::BesideTestExe(L"hostsim.exe");
    return testing_paths::RunProcess(L"\"" + hostsim + L"\" validate --seed 20261208 " + options +
                                     L" \"" + dll + L"\"");
}

int CountOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

std::string ReadFile(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The scripts that start Wine say whether 32-bit code runs emulated here.
bool Emulated32Bit() {
    char value[16] = "";
    return sizeof(void*) == 4 && GetEnvironmentVariableA("KEFO_32BIT", value, sizeof value) == 8 &&
           std::string(value) == "emulated";
}

TEST(Validate, TheShippedAddOnsPass) {
    for (const wchar_t* dll :
         {L"KEFO_AnalyzerEQ.dll", L"KEFO_DigitalMixer.dll", L"KEFO_iTunes.dll"}) {
        const auto run = Validate(testing_paths::BuiltFile(dll));
        EXPECT_EQ(run.exitCode, 0u) << run.output;
        EXPECT_NE(run.output.find("validate: 7 passed, 0 failed, 1 skipped"), std::string::npos)
            << run.output;
        // The first line tells how to repeat the run.
        EXPECT_NE(run.output.find("(level quick, seed 20261208); to repeat: hostsim validate "
                                  "--level quick --seed 20261208 "),
                  std::string::npos)
            << run.output;
    }
}

struct Broken {
    const wchar_t* dll;
    const char* failedLine;  // the start of the group line that fails first
    // No other group fails. (A rule a group's own streams break breaks the
    // streams of the lifecycle and settings groups too.)
    bool alone;
};

class BrokenRule : public testing::TestWithParam<Broken> {};

TEST_P(BrokenRule, FailsItsGroupAloneAndNamesTheCall) {
    const auto run = Validate(testing_paths::BesideTestExe(GetParam().dll), L"--call-limit 2");
    SCOPED_TRACE(run.output);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_NE(run.output.find(std::string("\n") + GetParam().failedLine), std::string::npos);
    if (GetParam().alone) {
        EXPECT_EQ(CountOf(run.output, ": FAIL  "), 1);
    }
    // The run goes on to its end, and a group that does not touch the
    // broken rule passes.
    EXPECT_NE(run.output.find("\nwindows: PASS"), std::string::npos);
    EXPECT_NE(run.output.find("\nvalidate: "), std::string::npos);
}

const Broken kBroken[] = {
    {L"KEFO_Broken_Unterminated.dll",
     "identity: FAIL  Info (host 8.0): displayName is not terminated within its 64 bytes", true},
    {L"KEFO_Broken_OutputLength.dll",
     "audio: FAIL  0x20000 at 44100 Hz, stereo, block 1 of 256 frames: claims 514 samples in "
     "the host's block of 512",
     false},
    {L"KEFO_Broken_NanSpreads.dll", "audio: FAIL  0x20000 at 44100 Hz, mono: ", true},
    {L"KEFO_Broken_GdiLeak.dll", "resources: FAIL  GDI objects grew by ", true},
    // A 32-bit add-on's own runtime ends the throw with abort: its unwinder
    // finds no handler in its module.
    {L"KEFO_Broken_Throws.dll",
     sizeof(void*) == 8 ? "settings: FAIL  command 9 with array 1 (0 values, kind 0): the "
                          "add-on let a C++ exception out"
                        : "settings: FAIL  command 9 with array 1 (0 values, kind 0): the "
                          "add-on ended its runtime (abort)",
     false},
    {L"KEFO_Broken_EndsProcess.dll",
     "lifecycle: FAIL  careless command 14 (kind 0): the add-on ended the process (exit code "
     "0x7)",
     true},
    {L"KEFO_Broken_FlushesToZero.dll",
     "audio: FAIL  0x20000 at 44100 Hz, stereo, block 1 of 256 frames: the add-on left the "
     "host changed: MXCSR 0x1F80 became 0x9FC0",
     false},
    {L"KEFO_Broken_SetsLocale.dll",
     "audio: FAIL  0x20000 at 44100 Hz, stereo, block 1 of 256 frames: the add-on left the "
     "host changed: C locale \"C\" became \"",
     false},
    {L"KEFO_Broken_Hangs.dll",
     "audio: FAIL  0x20000 at 192000 Hz, mono, block 1 of 1 frames: no return after ", false},
    {L"KEFO_Broken_Allocates.dll",
     "realtime: FAIL  0x20000 at 44100 Hz, mono, block 2 of 512 frames: msvcrt!free called 1 "
     "time, msvcrt!malloc called 1 time",
     true},
    {L"KEFO_Broken_Unwritten.dll",
     "audio: FAIL  0x20000 at 44100 Hz, stereo, block 1 of 256 frames: sample 512 of 512 came "
     "back unwritten (as AllocateAudio filled it)",
     false},
    {L"KEFO_Broken_SharesState.dll",
     "audio: FAIL  same input, same output: 0x20000 at 44100 Hz, stereo: a second fresh "
     "instance gave other samples from sample 1 on",
     true},
    {L"KEFO_Broken_ForgetsSettings.dll",
     "settings: FAIL  settings that survive (kind 0): given the 1 values it stored, a fresh "
     "instance stored back 1 that differ from value 1 on",
     true},
};

// Each case is named by its add-on's rule: "Hangs" for KEFO_Broken_Hangs.dll.
std::string RuleName(const testing::TestParamInfo<Broken>& info) {
    std::wstring name = info.param.dll;
    name = name.substr(sizeof "KEFO_Broken_" - 1, name.size() - (sizeof "KEFO_Broken_.dll" - 1));
    return std::string(name.begin(), name.end());
}

INSTANTIATE_TEST_SUITE_P(Validate, BrokenRule, testing::ValuesIn(kBroken), RuleName);

// Time is judged only where 32-bit code runs at its own speed.
TEST(Validate, ACallLongerThanItsBlockFailsTwiceOver) {
    const auto run =
        Validate(testing_paths::BesideTestExe(L"KEFO_Broken_Slow.dll"), L"--groups realtime");
    SCOPED_TRACE(run.output);
    if (Emulated32Bit()) {
        EXPECT_NE(run.output.find("time not judged: 32-bit code runs emulated here"),
                  std::string::npos);
        return;
    }
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_NE(run.output.find("\nrealtime: FAIL  0x40000 at 48000 Hz, stereo, block 2 of 512 "
                              "frames: took "),
              std::string::npos);
    EXPECT_NE(run.output.find(" in two runs, longer than the 10.67 ms the block lasts"),
              std::string::npos);
}

// Subnormal output warns at the quick level and fails at the full one; the
// reports say the same as the lines.
TEST(Validate, SubnormalOutputAndTheReports) {
    const std::wstring dll = testing_paths::BesideTestExe(L"KEFO_Broken_Subnormal.dll");
    const auto quick = Validate(dll, L"--groups audio");
    EXPECT_EQ(quick.exitCode, 0u) << quick.output;
    EXPECT_NE(quick.output.find("\n  audio warning: 0x20000 at 44100 Hz, mono: "),
              std::string::npos)
        << quick.output;
    EXPECT_NE(quick.output.find(" subnormal samples came back from normal input (a failure at "
                                "the full level)"),
              std::string::npos);

    const std::wstring junit = testing_paths::ArtifactPath(L"validate-subnormal.xml");
    const std::wstring json = testing_paths::ArtifactPath(L"validate-subnormal.json");
    const auto full = Validate(dll, L"--level full --groups identity,audio --junit \"" + junit +
                                        L"\" --json \"" + json + L"\"");
    SCOPED_TRACE(full.output);
    EXPECT_EQ(full.exitCode, 1u);
    EXPECT_NE(full.output.find("\naudio: FAIL  0x20000 at 44100 Hz, mono: "), std::string::npos);
    EXPECT_NE(full.output.find("\nlifecycle: SKIP  left out (--groups)"), std::string::npos);

    const std::string xml = ReadFile(junit);
    EXPECT_EQ(CountOf(xml, "<testcase "), 8) << xml;
    EXPECT_EQ(CountOf(xml, "<failure message=\"0x20000 at 44100 Hz, mono: "), 1) << xml;
    EXPECT_EQ(CountOf(xml, "<skipped message=\"left out (--groups)\"/>"), 6) << xml;
    const std::string text = ReadFile(json);
    EXPECT_NE(text.find("\"seed\": 20261208,"), std::string::npos) << text;
    EXPECT_NE(text.find("{\"name\": \"audio\", \"status\": \"FAIL\", \"detail\": \"0x20000 at "
                        "44100 Hz, mono: "),
              std::string::npos)
        << text;

    // A report that cannot be written makes the run fail, and says so.
    const auto unwritable = Validate(dll, L"--groups identity --json Q:\\no\\such\\folder\\r.json");
    EXPECT_EQ(unwritable.exitCode, 1u);
    EXPECT_NE(unwritable.output.find("validate: could not write Q:\\no\\such\\folder\\r.json"),
              std::string::npos)
        << unwritable.output;
}

}  // namespace
