// The analyzer and equalizer windows as the shell opens and closes them,
// under Xvfb: frames from the host, dialogs registered, processing word.
#include "AnalyzerEqFixture.h"
#include "hostsim/system/HostMainWindow.h"
#include "hostsim/system/ModalDialogDriver.h"

namespace {

std::vector<float> WindowsOpenWithPlayback() {
    std::vector<float> stored = AnalyzerEqTest::Defaults();
    stored[1] = 1.0f;  // analyzer open
    stored[2] = 1.0f;  // equalizer open
    stored[4] = 1.0f;  // playback
    return stored;
}

TEST_F(AnalyzerEqTest, StoredOpenWindowsOpenAtCreation) {
    ASSERT_EQ(Create(0, WindowsOpenWithPlayback()), 1);
    ASSERT_NE(record_.Frame(0), nullptr);
    ASSERT_NE(record_.Frame(1), nullptr);
    auto frames = record_.CallsTo("CreateFrame");
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].args,
              (std::vector<std::string>{"0", "Tavolin Spectrum Analyzer", "0x10c80000", "0"}));
    EXPECT_EQ(frames[1].args,
              (std::vector<std::string>{"1", "Tavolin Graphic Equalizer", "0x10c80000", "0"}));
    EXPECT_EQ(record_.CountOf("RegisterWindow"), 2);
    EXPECT_EQ(record_.audioCommands, 0x000D0000);
    EXPECT_EQ(record_.updatePeriod, 500);
    // The dialogs sit inside the host's frames and lead back to this record.
    for (int index : {0, 1}) {
        HWND dialog = GetWindow(record_.Frame(index), GW_CHILD);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(record_.findRecordByWindow(dialog), &record_);
    }

    for (int item : {kefo::kMenuAnalyzer, kefo::kMenuEqualizer}) {
        record_.menuItemId = item;
        record_.Send(kefo::kCmdQueryMenuItem);
        EXPECT_EQ(record_.menuItemState, 3) << item;
    }
}

TEST_F(AnalyzerEqTest, ClosingTheEqualizerBringsThePeriodBack) {
    ASSERT_EQ(Create(0, WindowsOpenWithPlayback()), 1);
    record_.menuItemId = kefo::kMenuEqualizer;
    EXPECT_EQ(record_.Send(kefo::kCmdMenuCommand), 1);
    EXPECT_EQ(record_.Frame(1), nullptr);
    EXPECT_EQ(record_.CountOf("DestroyFrame"), 1);
    EXPECT_EQ(record_.CountOf("UnregisterWindow"), 1);
    EXPECT_EQ(record_.updatePeriod, 4000);
    EXPECT_EQ(record_.audioCommands, 0x000D0000);
    EXPECT_EQ(record_.StoredSettings()[2], 0.0f);
    record_.Send(kefo::kCmdQueryMenuItem);
    EXPECT_EQ(record_.menuItemState, 1);

    // Opening it again through the menu.
    EXPECT_EQ(record_.Send(kefo::kCmdMenuCommand), 1);
    EXPECT_NE(record_.Frame(1), nullptr);
    EXPECT_EQ(record_.updatePeriod, 500);
    EXPECT_EQ(record_.StoredSettings()[2], 1.0f);
}

// A frame the equalizer dialog cannot be created in is closed again, nothing
// is stored, the failure is shown, and the next toggle opens one frame.
TEST_F(AnalyzerEqTest, EqualizerThatCannotBeCreatedLeavesNoFrame) {
    ASSERT_EQ(Create(0), 1);
    const std::size_t storesBefore = record_.CallsTo("StoreSettings").size();
    record_.script.framesGoneAtOnce = true;
    record_.menuItemId = kefo::kMenuEqualizer;
    record_.Send(kefo::kCmdMenuCommand);
    EXPECT_EQ(record_.CountOf("DestroyFrame"), 1);
    EXPECT_EQ(record_.CallsTo("StoreSettings").size(), storesBefore);
    auto failure = record_.CallsTo("FormatErrorText");
    ASSERT_EQ(failure.size(), 1u);
    EXPECT_EQ(failure[0].args[1], "CreateDialogIndirectParam");
    EXPECT_EQ(record_.CountOf("ShowMessage"), 1);
    record_.Send(kefo::kCmdQueryMenuItem);
    EXPECT_EQ(record_.menuItemState, 1);

    record_.script.framesGoneAtOnce = false;
    record_.Send(kefo::kCmdMenuCommand);
    EXPECT_NE(record_.Frame(1), nullptr);
    EXPECT_EQ(record_.CountOf("DestroyFrame"), 1);
    EXPECT_EQ(record_.StoredSettings()[2], 1.0f);
}

TEST_F(AnalyzerEqTest, UserClosingTheAnalyzerFrameStopsTheFeeds) {
    ASSERT_EQ(Create(0, WindowsOpenWithPlayback()), 1);
    record_.UserClosesFrame(0);
    EXPECT_EQ(record_.StoredSettings()[1], 0.0f);
    EXPECT_EQ(record_.audioCommands, 0x40000);
    record_.menuItemId = kefo::kMenuAnalyzer;
    record_.Send(kefo::kCmdQueryMenuItem);
    EXPECT_EQ(record_.menuItemState, 1);
    EXPECT_EQ(record_.CountOf("UnregisterWindow"), 1);
}

TEST_F(AnalyzerEqTest, DialogOnlyEqualizerRunsModallyAndCancelRestores) {
    hostsim::HostMainWindow host("Host");
    record_.ownerWindow = host.Handle();
    ASSERT_EQ(Create(1), 1);
    record_.menuItemId = kefo::kMenuDialogEqualizer;
    auto run =
        hostsim::DriveModalDialog([&] { EXPECT_EQ(record_.Send(kefo::kCmdMenuCommand), 1); },
                                  [&](HWND dialog, int) {
                                      // A modal popup owned by the host window, not a child.
                                      const LONG style = GetWindowLongW(dialog, GWL_STYLE);
                                      EXPECT_FALSE(style & WS_CHILD);
                                      EXPECT_TRUE(style & WS_POPUP);
                                      EXPECT_TRUE(style & WS_CAPTION);
                                      EXPECT_EQ(GetWindow(dialog, GW_OWNER), host.Handle());
                                      EXPECT_EQ(record_.findRecordByWindow(dialog), &record_);
                                      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                                      return true;
                                  });
    EXPECT_TRUE(run.finished);
    EXPECT_FALSE(run.closedByWatchdog);
    EXPECT_EQ(record_.CountOf("CreateFrame"), 0);
    EXPECT_EQ(record_.CountOf("UnregisterWindow"), 1);
}

}  // namespace
