// The reader's rules that discovery's messages do not show: the record's
// other fields, terminators, and type 0. Wrong types and overlong values are
// in HostDiscovery_test.cpp.
#include "installer/discovery/BaseRegistry.h"

#include <gtest/gtest.h>

#include <string>

#include "InstallerTestSupport.h"

namespace {

using installer_tests::kProductKey;
using installer_tests::kProductPath;

class BaseRegistry : public installer_tests::InstallerFixture {
protected:
    wchar_t path_[kefo::kRegistryPathChars] = L"";
    kefo::ErrorRecordW error_{};
    kefo::UniqueHKey key_;
};

TEST_F(BaseRegistry, FailedOpenFillsTheRecord) {
    EXPECT_EQ(kefo::BaRe_OpenKey(HKEY_LOCAL_MACHINE, kProductKey, path_, &error_, key_), 2);
    EXPECT_FALSE(key_);
    EXPECT_STREQ(path_, kProductPath);
    EXPECT_EQ(error_.kind, kefo::kErrorSystem);
    EXPECT_STREQ(error_.function, L"RegOpenKeyEx");
    EXPECT_STREQ(error_.argument, kProductPath);
    EXPECT_EQ(error_.details[0].kind, 2);
    EXPECT_STREQ(error_.details[0].text, kProductPath);
    const std::wstring source = error_.sourcePath;
    EXPECT_EQ(source.substr(source.size() - 16), L"BaseRegistry.cpp");
}

TEST_F(BaseRegistry, TextsEndTerminatedInsideTheBuffer) {
    SetRaw(L"", L"Bare", REG_SZ, L"abcXYZ", 3 * sizeof(wchar_t));  // no terminator stored
    SetText(L"", L"Fits", L"abc");                                 // exactly 4 units
    SetNumber(L"", L"Number", 7);
    ASSERT_EQ(kefo::BaRe_OpenKey(HKEY_LOCAL_MACHINE, kProductKey, path_, &error_, key_), 0);

    for (const wchar_t* name : {L"Bare", L"Fits"}) {
        wchar_t text[4] = {L'#', L'#', L'#', L'#'};
        DWORD size = sizeof text;
        EXPECT_EQ(kefo::BaRe_QueryValue(key_.Get(), name, REG_SZ, text, &size, path_, &error_), 0);
        EXPECT_STREQ(text, L"abc") << name;
        EXPECT_EQ(error_.kind, kefo::kErrorNone);
    }
    DWORD number = 0;
    DWORD size = sizeof number;
    EXPECT_EQ(kefo::BaRe_QueryValue(key_.Get(), L"Number", 0, &number, &size, path_, &error_), 0);
    EXPECT_EQ(number, 7u) << "type 0 takes any type";
}

}  // namespace
