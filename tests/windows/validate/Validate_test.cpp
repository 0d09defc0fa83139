// hostsim validate on the shipped add-ons, which must pass, and on test
// add-ons that each break one rule, which must fail in the group that checks
// that rule, with the call named, while the later groups still run.
#include <gtest/gtest.h>

#include <string>

#include "ProcessRunner.h"
#include "TestPaths.h"

namespace {

testing_paths::ProcessResult Validate(const std::wstring& dll, const std::wstring& options = L"") {
    const std::wstring hostsim = testing_paths::BesideTestExe(L"hostsim.exe");
    return testing_paths::RunProcess(L"\"" + hostsim + L"\" validate --seed 20261208 " + options +
                                     L" \"" + dll + L"\"");
}

TEST(Validate, TheShippedAddOnsPass) {
    for (const wchar_t* dll :
         {L"KEFO_AnalyzerEQ.dll", L"KEFO_DigitalMixer.dll", L"KEFO_iTunes.dll"}) {
        const auto run = Validate(testing_paths::BuiltFile(dll));
        EXPECT_EQ(run.exitCode, 0u) << run.output;
        EXPECT_NE(run.output.find("validate: 6 passed, 0 failed, 1 skipped"), std::string::npos)
            << run.output;
    }
}

struct Broken {
    const wchar_t* dll;
    const char* failedLine;  // the start of the one group line that fails
};

TEST(Validate, EachBrokenRuleFailsItsGroupAndNamesTheCall) {
    const Broken cases[] = {
        {L"KEFO_Broken_Unterminated.dll",
         "identity: FAIL  Info (host 8.0): displayName is not terminated within its 64 bytes"},
        {L"KEFO_Broken_OutputLength.dll",
         "audio: FAIL  0x20000 at 44100 Hz, stereo, block 1 of 256 frames: claims 514 samples in "
         "the host's block of 512"},
        {L"KEFO_Broken_NanSpreads.dll", "audio: FAIL  0x20000 at 44100 Hz, mono: "},
        {L"KEFO_Broken_GdiLeak.dll", "resources: FAIL  GDI objects grew by "},
        // A 32-bit add-on's own runtime ends the throw with abort: its
        // unwinder finds no handler in its module.
        {L"KEFO_Broken_Throws.dll",
         sizeof(void*) == 8 ? "settings: FAIL  command 9 with array 1 (0 values, kind 0): the "
                              "add-on let a C++ exception out"
                            : "settings: FAIL  command 9 with array 1 (0 values, kind 0): the "
                              "add-on ended its runtime (abort)"},
        {L"KEFO_Broken_EndsProcess.dll",
         "lifecycle: FAIL  careless command 14 (kind 0): the add-on ended the process (exit code "
         "0x7)"},
        {L"KEFO_Broken_FlushesToZero.dll",
         "audio: FAIL  0x20000 at 44100 Hz, stereo, block 1 of 256 frames: the add-on left the "
         "host changed: MXCSR 0x1F80 became 0x9FC0"},
        {L"KEFO_Broken_SetsLocale.dll",
         "audio: FAIL  0x20000 at 44100 Hz, stereo, block 1 of 256 frames: the add-on left the "
         "host changed: C locale \"C\" became \""},
        {L"KEFO_Broken_Hangs.dll",
         "audio: FAIL  0x20000 at 192000 Hz, mono, block 1 of 1 frames: no return after "},
    };
    for (const Broken& broken : cases) {
        const auto run = Validate(testing_paths::BesideTestExe(broken.dll), L"--call-limit 2");
        SCOPED_TRACE(run.output);
        EXPECT_EQ(run.exitCode, 1u);
        EXPECT_NE(run.output.find(std::string("\n") + broken.failedLine), std::string::npos);
        // The run goes on to its end, and a group that does not touch the
        // broken rule passes.
        EXPECT_NE(run.output.find("\nwindows: PASS"), std::string::npos);
        EXPECT_NE(run.output.find("\nvalidate: "), std::string::npos);
    }
}

}  // namespace
