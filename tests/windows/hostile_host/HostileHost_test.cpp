// Every shipped add-on, and every instance kind, driven by hostsim
// validate's careless host: random commands and record contents, checked
// for crashes, forbidden answers and buffers the add-on misreports.
//
// KEFO_HOSTILE_ITERATIONS (default 400) and KEFO_HOSTILE_SEED (default: one
// per case) set the run; a failure names the seed that reproduces it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "TestPaths.h"
#include "hostsim/validate/CarelessHost.h"

namespace {

struct Case {
    const wchar_t* dll;
    int kind;
    bool served;  // the add-on makes an instance of this kind
};

unsigned EnvironmentNumber(const char* name, unsigned fallback) {
    const char* text = std::getenv(name);
    if (!text || !*text) return fallback;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    return *end == '\0' ? static_cast<unsigned>(value) : fallback;
}

unsigned CaseSeed(const Case& c) {
    return EnvironmentNumber(
        "KEFO_HOSTILE_SEED",
        static_cast<unsigned>(std::hash<std::wstring>()(c.dll)) + static_cast<unsigned>(c.kind));
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    std::wstring dll(info.param.dll);
    return std::string(dll.begin() + 5, dll.end() - 4) + "_kind" + std::to_string(info.param.kind);
}

class HostileHost : public ::testing::TestWithParam<Case> {};

TEST_P(HostileHost, AnswersEveryCallAndKeepsItsBuffersStraight) {
    const Case& c = GetParam();
    SCOPED_TRACE("KEFO_HOSTILE_SEED=" + std::to_string(CaseSeed(c)));
    hostsim::ValidateOptions options;
    options.addOnPath = testing_paths::BuiltFile(c.dll);
    hostsim::ValidationRun run(options);
    ASSERT_TRUE(run.LoadModule());
    const auto& served = run.ServedKinds();
    EXPECT_EQ(std::find(served.begin(), served.end(), c.kind) != served.end(), c.served);
    try {
        hostsim::RunCarelessHost(
            run, c.kind, CaseSeed(c),
            static_cast<int>(EnvironmentNumber("KEFO_HOSTILE_ITERATIONS", 400)));
    } catch (const hostsim::GroupFailure& failure) {
        ADD_FAILURE() << failure.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    ShippedAddOns, HostileHost,
    ::testing::Values(Case{L"KEFO_AnalyzerEQ.dll", 0, true}, Case{L"KEFO_AnalyzerEQ.dll", 1, true},
                      Case{L"KEFO_AnalyzerEQ.dll", 2, true},
                      Case{L"KEFO_DigitalMixer.dll", 0, true},
                      Case{L"KEFO_DigitalMixer.dll", 1, false},
                      Case{L"KEFO_DigitalMixer.dll", 2, true}, Case{L"KEFO_iTunes.dll", 0, true},
                      Case{L"KEFO_iTunes.dll", 1, false}, Case{L"KEFO_iTunes.dll", 2, false}),
    CaseName);

}  // namespace
