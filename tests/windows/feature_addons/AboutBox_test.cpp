// The About boxes for real, on the virtual display: command 13 opens dialog
// 104 owned by a host window; the test reads the completed texts, saves a
// picture of the box under the build tree, presses F1 and OK as a user would.
#include "FeatureAddOnFixture.h"

#include <cstring>

#include "hostsim/system/HostMainWindow.h"
#include "Keyboard.h"
#include "hostsim/system/ModalDialogDriver.h"
#include "hostsim/pictures/Screenshot.h"
#include "TestPaths.h"
#include "hostsim/system/WindowText.h"
#include "framework/AOBuildYear.h"

namespace feature_tests {
namespace {

using hostsim::DriveModalDialog;

using hostsim::TextOf;

std::wstring Wide(const char* text) {
    return std::wstring(text, text + std::strlen(text));
}

struct AboutSeen {
    std::wstring caption, name, version, copyright;
    HWND owner = nullptr;
    bool saved = false;
};

using AboutBoxes = FeatureAddOnTest;

TEST_P(AboutBoxes, ShowTheCompletedTextsAnswerF1AndEndWithOk) {
    const AddOnCase& addOn = GetParam();
    hostsim::HostMainWindow host;
    ASSERT_NE(host.Handle(), nullptr);
    ASSERT_EQ(Create(kefo::kKindFull), 1);
    record_.aboutParent = host.Handle();
    record_.ClearCalls();

    AboutSeen seen;
    int result = 0;
    auto run = DriveModalDialog(
        [&] { result = record_.Send(kefo::kCmdAbout); },
        [&](HWND dialog, int step) {
            if (step == 0) {
                seen.caption = TextOf(dialog);
                seen.name = TextOf(GetDlgItem(dialog, 1086));
                seen.version = TextOf(GetDlgItem(dialog, 1087));
                seen.copyright = TextOf(GetDlgItem(dialog, 1094));
                seen.owner = GetWindow(dialog, GW_OWNER);
                seen.saved = screens::WritePng(
                    screens::CaptureWindow(dialog),
                    testing_paths::ArtifactPath(L"About_" + Wide(addOn.label) + L".png"));
                testing_input::PressKey(dialog, VK_F1);
                return false;
            }
            if (record_.CountOf("ShowHelp") == 0) return false;
            SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
            return true;
        });

    EXPECT_EQ(result, 1);
    ASSERT_NE(run.dialog, nullptr) << "no About box appeared";
    EXPECT_TRUE(run.finished);
    EXPECT_FALSE(run.closedByWatchdog) << "OK did not end the dialog";
    EXPECT_FALSE(IsWindow(run.dialog));
    EXPECT_EQ(seen.owner, host.Handle());
    EXPECT_EQ(seen.caption, L"About " + Wide(addOn.displayName));
    EXPECT_EQ(seen.name, Wide(addOn.displayName));
    EXPECT_EQ(seen.version, L"Version 1.1");
    EXPECT_EQ(seen.copyright, addOn.copyrightStart + Wide(kAOBuildYear));
    EXPECT_EQ(std::string(kAOBuildYear).size(), 4u);
    EXPECT_TRUE(seen.saved);

    auto help = record_.CallsTo("ShowHelp");
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].args.at(0), "0x20068");
    // The dialog was announced to the host and withdrawn again.
    auto registered = record_.CallsTo("RegisterWindow");
    auto unregistered = record_.CallsTo("UnregisterWindow");
    ASSERT_EQ(registered.size(), 1u);
    ASSERT_EQ(unregistered.size(), 1u);
    EXPECT_EQ(registered[0].args, unregistered[0].args);
    EXPECT_EQ(registered[0].args.at(0), hostsim::ArgPointer(run.dialog));
}

TEST_P(AboutBoxes, IgnoreOtherCommandIdsAndEndWithCancel) {
    hostsim::HostMainWindow host;
    ASSERT_EQ(Create(kefo::kKindFull), 1);
    record_.aboutParent = host.Handle();
    bool openAfterOtherId = false;
    auto run = DriveModalDialog([&] { record_.Send(kefo::kCmdAbout); },
                                [&](HWND dialog, int) {
                                    SendMessageW(dialog, WM_COMMAND, 3, 0);
                                    openAfterOtherId = IsWindow(dialog) && IsWindowVisible(dialog);
                                    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                                    return true;
                                });
    ASSERT_NE(run.dialog, nullptr);
    EXPECT_TRUE(openAfterOtherId);
    EXPECT_FALSE(run.closedByWatchdog);
    EXPECT_EQ(record_.CountOf("UnregisterWindow"), 1);
}

INSTANTIATE_TEST_SUITE_P(FeatureAddOns, AboutBoxes, ::testing::Values(kDigitalMixer, kITunes),
                         CaseName);

TEST(FrameworkAboutBox, AnEmptyTemplateKeepsItsTextAndAsksTheHostNothing) {
    hostsim::AddOnModule module(testing_paths::BesideTestExe(L"KEFO_FrameworkProbe.dll"));
    ASSERT_TRUE(module.Loaded()) << module.Error();
    hostsim::HostRecord record;
    record.Attach(module.Processing());
    ASSERT_EQ(record.Send(kefo::kCmdCreateInstance), 1);
    record.ClearCalls();
    std::wstring version, year;
    auto run = DriveModalDialog([&] { record.Send(kefo::kCmdAbout); },
                                [&](HWND dialog, int) {
                                    version = TextOf(GetDlgItem(dialog, 1087));
                                    year = TextOf(GetDlgItem(dialog, 1094));
                                    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
                                    return true;
                                });
    ASSERT_NE(run.dialog, nullptr);
    EXPECT_EQ(version, L"v1.1");
    EXPECT_EQ(year, L"");
    // Caption, name, the version number and the version line; none for the empty item.
    EXPECT_EQ(record.CountOf("FormatText"), 4);
    record.Send(kefo::kCmdDestroyInstance);
}

}  // namespace
}  // namespace feature_tests
