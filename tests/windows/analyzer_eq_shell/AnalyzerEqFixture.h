// Loads the real KEFO_AnalyzerEQ.dll and drives one instance through hostsim.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "addons/analyzer_eq/AnalyzerEqContract.h"
#include "hostsim/host/AddOnModule.h"
#include "hostsim/host/HostRecord.h"
#include "TestPaths.h"

class AnalyzerEqTest : public ::testing::Test {
public:
    static std::vector<float> Defaults() {
        std::vector<float> values(kefo::kSettingsCount, 0.0f);
        values[kefo::kSignature] = kefo::kSettingsSignature;
        values[kefo::kPeaksOn] = 1.0f;
        return values;
    }

protected:
    AnalyzerEqTest() : module_(testing_paths::BuiltFile(L"KEFO_AnalyzerEQ.dll")) {
        record_.Attach(module_.Processing());
    }
    ~AnalyzerEqTest() override {
        if (record_.context) {
            record_.CloseFrames();
            record_.Send(kefo::kCmdDestroyInstance);
        }
    }

    void SetUp() override { ASSERT_TRUE(module_.Loaded()) << module_.Error(); }

    int Create(int kind, std::vector<float> stored = {}) {
        record_.instanceKind = kind;
        if (!stored.empty()) record_.SetStoredSettings(stored);
        return record_.Send(kefo::kCmdCreateInstance);
    }

    // Sends command 11 with a whole block of values.
    int SetParameters(std::vector<float> values) {
        parameters_ = std::move(values);
        record_.settings = parameters_.data();
        record_.settingsCount = static_cast<int>(parameters_.size());
        return record_.Send(kefo::kCmdSetParameters);
    }

    hostsim::AddOnModule module_;
    hostsim::HostRecord record_;
    std::vector<float> parameters_;
};
