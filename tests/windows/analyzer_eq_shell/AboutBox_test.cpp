// The analyzer's About box on the virtual display: command 13 runs dialog 106
// owned by the host window; the test reads the completed texts, saves a
// picture, and ends it with F1 then OK, or with Escape.
#include <cstring>

#include "AnalyzerEqFixture.h"
#include "hostsim/system/HostMainWindow.h"
#include "Keyboard.h"
#include "hostsim/system/ModalDialogDriver.h"
#include "hostsim/pictures/Screenshot.h"
#include "TestPaths.h"
#include "hostsim/system/WindowText.h"
#include "framework/AOBuildYear.h"

namespace {

using hostsim::DriveModalDialog;

using hostsim::TextOf;
using hostsim::TextWidthOf;

class AnalyzerEqAbout : public AnalyzerEqTest {
protected:
    void SetUp() override {
        AnalyzerEqTest::SetUp();
        ASSERT_NE(host_.Handle(), nullptr);
        ASSERT_EQ(Create(kefo::kKindFull), 1);
        record_.aboutParent = host_.Handle();
        record_.ClearCalls();
    }
    hostsim::HostMainWindow host_;
};

TEST_F(AnalyzerEqAbout, ShowsItsTextsAsksForItsTopicAndEndsWithOk) {
    std::wstring caption, name, version, copyright;
    int nameWidth = 0, nameRoom = 0;
    HWND owner = nullptr;
    bool saved = false;
    int result = 0;
    auto run = DriveModalDialog([&] { result = record_.Send(kefo::kCmdAbout); },
                                [&](HWND dialog, int step) {
                                    if (step == 0) {
                                        caption = TextOf(dialog);
                                        name = TextOf(GetDlgItem(dialog, 1063));
                                        nameWidth = TextWidthOf(GetDlgItem(dialog, 1063));
                                        RECT room{};
                                        GetClientRect(GetDlgItem(dialog, 1063), &room);
                                        nameRoom = room.right;
                                        version = TextOf(GetDlgItem(dialog, 1065));
                                        copyright = TextOf(GetDlgItem(dialog, 1071));
                                        owner = GetWindow(dialog, GW_OWNER);
                                        saved = screens::WritePng(
                                            screens::CaptureWindow(dialog),
                                            testing_paths::ArtifactPath(L"About_AnalyzerEQ.png"));
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
    EXPECT_EQ(owner, host_.Handle());
    EXPECT_EQ(caption, L"About Spectrum Analyzer and Graphic Equalizer Add-on");
    EXPECT_EQ(name, L"Spectrum Analyzer and Graphic Equalizer Add-on");
    EXPECT_GT(nameWidth, 0);
    EXPECT_LE(nameWidth, nameRoom) << "the name is cut";
    EXPECT_EQ(version, L"1.1");
    const std::string year(kAOBuildYear);
    EXPECT_EQ(copyright,
              L"Copyright \u00A9 2004-" + std::wstring(year.begin(), year.end()) + L" Brendle");
    EXPECT_TRUE(saved);

    auto help = record_.CallsTo("ShowHelp");
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].args.at(0), "0x2006a");
    auto registered = record_.CallsTo("RegisterWindow");
    auto unregistered = record_.CallsTo("UnregisterWindow");
    ASSERT_EQ(registered.size(), 1u);
    ASSERT_EQ(unregistered.size(), 1u);
    EXPECT_EQ(registered[0].args, unregistered[0].args);
}

TEST_F(AnalyzerEqAbout, EscapeClosesItLikeOk) {
    int result = 0;
    auto run = DriveModalDialog([&] { result = record_.Send(kefo::kCmdAbout); },
                                [&](HWND dialog, int step) {
                                    if (step == 0) testing_input::PressKey(dialog, VK_ESCAPE);
                                    return step > 0;
                                });
    ASSERT_NE(run.dialog, nullptr);
    EXPECT_FALSE(run.closedByWatchdog) << "Escape did not end the dialog";
    EXPECT_FALSE(IsWindow(run.dialog));
    EXPECT_EQ(result, 1);
    EXPECT_EQ(record_.CountOf("UnregisterWindow"), 1);
}

}  // namespace
