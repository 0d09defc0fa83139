// The two feature add-ons as the tests see them: what each one's replies must
// say, and a fixture that loads one real DLL of this build and gives it a
// stand-in host record.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "hostsim/host/AddOnModule.h"
#include "hostsim/host/HostRecord.h"
#include "TestPaths.h"

namespace feature_tests {

struct AddOnCase {
    const char* label;  // the test name suffix
    const wchar_t* dll;
    const char* displayName;
    const char* helpCaption;
    const char* idString;
    int addOnKind;
    kefo::VersionWord minHostVersion;
    bool servesHeadless;            // instance kind 2
    const wchar_t* copyrightStart;  // the copyright line before its build year
};

inline const AddOnCase kDigitalMixer = {"DigitalMixer",
                                        L"KEFO_DigitalMixer.dll",
                                        "Digital Mixer Add-on",
                                        "Digital Mixer Add-on Help",
                                        "KeFoDm",
                                        6,
                                        0x00050003u,
                                        true,
                                        L"Copyright (C) Brendle 2005-"};
inline const AddOnCase kITunes = {"iTunes",
                                  L"KEFO_iTunes.dll",
                                  "Send to iTunes/iPod Add-on",
                                  "Send to iTunes/iPod Add-on Help",
                                  "KeFoiT",
                                  7,
                                  0x00060000u,
                                  false,
                                  L"Copyright \u00A9 Brendle 2005-"};

// Test names and messages show the add-on's label, not the case's bytes.
inline void PrintTo(const AddOnCase& addOn, std::ostream* out) {
    *out << addOn.label;
}

inline std::string CaseName(const ::testing::TestParamInfo<AddOnCase>& info) {
    return info.param.label;
}

constexpr float kSignature = 65537.0f;  // version 1.1 as a float
constexpr int kHelpItem = 4097;
constexpr int kAboutHelpTopic = 0x20068;

// One add-on loaded for one test, and one host record for one instance.
class FeatureAddOnTest : public ::testing::TestWithParam<AddOnCase> {
protected:
    void SetUp() override {
        ASSERT_TRUE(module_.Loaded()) << module_.Error();
        record_.Attach(module_.Processing());
    }
    void TearDown() override {
        if (record_.context) record_.Send(kefo::kCmdDestroyInstance);
    }
    int Create(int kind) {
        record_.instanceKind = kind;
        return record_.Send(kefo::kCmdCreateInstance);
    }

    hostsim::AddOnModule module_{testing_paths::BuiltFile(GetParam().dll)};
    hostsim::HostRecord record_;  // declared after the module: gone before the DLL is freed
};

}  // namespace feature_tests
