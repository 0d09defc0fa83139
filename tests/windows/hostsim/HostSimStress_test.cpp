// A short run of `hostsim stress`: audio blocks on one thread, windows and
// host commands on another, against the real add-on. The long run is the
// same command with more seconds.
#include <gtest/gtest.h>

#include <string>

#include "ProcessRunner.h"
#include "TestPaths.h"

namespace {

TEST(HostSimStress, AShortRunPasses) {
    const std::wstring hostsim = testing_paths::BesideTestExe(L"hostsim.exe");
    const testing_paths::ProcessResult run =
        testing_paths::RunProcess(L"\"" + hostsim + L"\" stress --seconds 4 --seed 20261208");
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_NE(run.output.find("\nresult=PASS"), std::string::npos) << run.output;
    for (const char* key :
         {"seconds=4\n", "seed=20261208\n", "audio_calls=", "ui_actions=", "max_audio_wait_us="})
        EXPECT_NE(run.output.find(key), std::string::npos) << key << " missing:\n" << run.output;
}

}  // namespace
