#include "installer/discovery/HostDiscovery.h"

#include <gtest/gtest.h>

#include <string>

#include "InstallerTestSupport.h"
#include "installer/InstallerText.h"

namespace {

using installer_tests::g_boxes;
using installer_tests::kProductPath;

const std::wstring kVersionPath = std::wstring(kProductPath) + L"\\8.0";

class HostDiscovery : public installer_tests::InstallerFixture {
protected:
    void SetUp() override {
        InstallerFixture::SetUp();
        wchar_t temp[MAX_PATH] = {};
        ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
        folder_ = std::wstring(temp) + L"kefo_installer_host";
        CreateDirectoryW(folder_.c_str(), nullptr);
    }
    void TearDown() override {
        RemoveDirectoryW(folder_.c_str());
        InstallerFixture::TearDown();
    }

    void InstallHost(const std::wstring& version) {
        RemoveProductKey();
        SetText(L"", L"Version", version);
        SetText(version, L"Path", folder_);
    }

    // Discovery fails with one error box and keeps nothing; its text.
    std::wstring Refusal() {
        EXPECT_FALSE(kefo::DiscoverHost());
        EXPECT_EQ(kefo::g_installer.hostFolder[0], L'\0');
        return OnlyBox();
    }

    std::wstring folder_;
};

std::wstring Unexpected(unsigned code, const std::wstring& function, const std::wstring& argument,
                        const std::wstring& text) {
    return L"Unexpected error " + std::to_wstring(code) + L" in the \"" + function + L"(" +
           argument + L")\" function (" + text + L").";
}

TEST_F(HostDiscovery, SuccessFillsTheHostFields) {
    InstallHost(L"8.0");
    SetNumber(L"", L"Edition", 2);
    ASSERT_TRUE(kefo::DiscoverHost());
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_EQ(kefo::g_installer.installedHostEdition, 2u);
    EXPECT_EQ(kefo::g_installer.installedHostVersion, 0x00080000u);
    EXPECT_EQ(kefo::g_installer.hostFolder, folder_);
    EXPECT_EQ(kefo::g_installer.addOnsFolder, folder_ + L"\\AddOns\\");

    // Without "Edition": edition 0. A trailing backslash is not doubled.
    RemoveProductKey();
    SetText(L"", L"Version", L"7.10");
    SetText(L"7.10", L"Path", folder_ + L"\\");
    ASSERT_TRUE(kefo::DiscoverHost());
    EXPECT_EQ(kefo::g_installer.installedHostEdition, 0u);
    EXPECT_EQ(kefo::g_installer.installedHostVersion, 0x0007000Au);
    EXPECT_EQ(kefo::g_installer.addOnsFolder, folder_ + L"\\AddOns\\");
}

TEST_F(HostDiscovery, HostsBelowFourFiveAreRefused) {
    for (const wchar_t* version : {L"4.5", L"4.05", L"10.0"}) {
        InstallHost(version);
        EXPECT_TRUE(kefo::DiscoverHost()) << version;
    }
    kefo::g_installer.hostFolder[0] = L'\0';
    for (const wchar_t* version : {L"4", L"4.4", L""}) {
        InstallHost(version);
        EXPECT_EQ(Refusal(), L"Tavolin version " + std::wstring(version) +
                                 L" is installed but does not support add-ons. Only Tavolin "
                                 L"version 4.5 and higher supports add-ons.");
    }
}

TEST_F(HostDiscovery, MissingPieces) {
    EXPECT_EQ(Refusal(), L"Tavolin is not installed.");
    SetNumber(L"", L"Edition", 0);
    EXPECT_EQ(Refusal(), L"Tavolin is not installed properly.");  // no "Version"
    SetText(L"", L"Version", L"8.0");
    EXPECT_EQ(Refusal(), L"Tavolin is not installed properly.");  // no version key
    SetNumber(L"8.0", L"Other", 1);
    EXPECT_EQ(Refusal(), L"Tavolin is not installed properly.");  // no "Path"
    for (const std::wstring& path : {folder_ + L"\\missing", std::wstring()}) {
        SetText(L"8.0", L"Path", path);
        EXPECT_EQ(Refusal(), L"Unable to find the Tavolin installation folder " + path + L".");
    }
}

TEST_F(HostDiscovery, WrongTypesAreWrongData) {
    InstallHost(L"8.0");
    const std::wstring edition = std::wstring(kProductPath) + L"(Edition)";
    SetText(L"", L"Edition", L"1");
    EXPECT_EQ(Refusal(), Unexpected(0, L"", edition, L""));
    SetText(L"", L"Edition", L"longer than the number");
    EXPECT_EQ(Refusal(), Unexpected(0, L"", edition, L""));
    SetRaw(L"", L"Edition", REG_DWORD, "\x01\x00", 2);
    EXPECT_EQ(Refusal(), Unexpected(0, L"", edition, L""));
    SetNumber(L"", L"Edition", 1);
    SetText(L"8.0", L"Path", folder_, REG_EXPAND_SZ);
    EXPECT_EQ(Refusal(), Unexpected(0, L"", kVersionPath + L"(Path)", L""));
    SetNumber(L"", L"Version", 8);
    EXPECT_EQ(Refusal(), Unexpected(0, L"", std::wstring(kProductPath) + L"(Version)", L""));
}

TEST_F(HostDiscovery, OverlongValuesAreUnexpectedErrors) {
    const std::wstring moreData = kefo::SystemErrorText(ERROR_MORE_DATA);
    SetText(L"", L"Version", L"8." + std::wstring(800, L'0'));
    EXPECT_EQ(Refusal(), Unexpected(234, L"RegQueryValueEx",
                                    std::wstring(kProductPath) + L"(Version)", moreData));

    // 259 characters and the terminator fit; 260 do not, terminated or not.
    SetText(L"", L"Version", L"8.0");
    const std::wstring longest = L"C:\\" + std::wstring(256, L'p');
    SetText(L"8.0", L"Path", longest);
    EXPECT_EQ(Refusal(), L"Unable to find the Tavolin installation folder " + longest + L".");
    const std::wstring overlong = longest + L"q";
    const std::wstring expected =
        Unexpected(234, L"RegQueryValueEx", kVersionPath + L"(Path)", moreData);
    SetRaw(L"8.0", L"Path", REG_SZ, overlong.c_str(), 260 * sizeof(wchar_t));
    EXPECT_EQ(Refusal(), expected);
    SetText(L"8.0", L"Path", overlong);
    EXPECT_EQ(Refusal(), expected);
}

}  // namespace
