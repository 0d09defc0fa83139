// Named parameters from the host (SetParameters) with the windows open: what
// is refused, what is clamped, and what the windows show afterwards.
#include "EqualizerWindowFixture.h"

namespace {

using namespace equalizer_window;

constexpr int kPeaksBox = 1005;

TEST_F(EqualizerWindowTest, TwoUsesAtOnceOnlyMoveTheWindowsAndThePeaks) {
    ASSERT_EQ(Create(kefo::kKindFull), 1);
    std::vector<float> values = Defaults();
    values[1] = values[2] = 1.0f;
    values[3] = 0.0f;
    values[4] = values[5] = 1.0f;
    values[7] = 1.0f;
    values[10] = 5.0f;
    EXPECT_EQ(SetParameters(values), 1);
    ASSERT_NE(record_.Frame(0), nullptr);
    ASSERT_NE(record_.Frame(1), nullptr);
    EXPECT_FALSE(Checked(GetWindow(record_.Frame(0), GW_CHILD), kPeaksBox));
    std::vector<float> expected = Defaults();
    expected[1] = expected[2] = 1.0f;
    expected[3] = 0.0f;
    EXPECT_EQ(record_.StoredSettings(), expected);
    EXPECT_EQ(record_.audioCommands, 0x90000);

    // With the analyzer closed the peak option is only a setting.
    values[1] = 0.0f;
    values[3] = 1.0f;
    EXPECT_EQ(SetParameters(values), 1);
    EXPECT_EQ(record_.Frame(0), nullptr);
    expected[1] = 0.0f;
    expected[3] = 1.0f;
    EXPECT_EQ(record_.StoredSettings(), expected);
}

TEST_F(EqualizerWindowTest, ApplyToFileNeedsGainsAndMovesTheEqualizerFromPlayback) {
    record_.script.fileOutputValue = 1.0;
    HWND dialog = Open();
    std::vector<float> values = Defaults();
    values[2] = 1.0f;
    values[6] = 1.0f;
    record_.ClearCalls();
    EXPECT_EQ(SetParameters(values), 1);
    EXPECT_EQ(record_.CountOf("StoreSettings"), 0) << "nothing to filter with";
    EXPECT_FALSE(Checked(dialog, kApplyToFile));
    EXPECT_EQ(record_.audioCommands, 0);

    values[12] = 22.0f;
    EXPECT_EQ(SetParameters(values), 1);
    EXPECT_EQ(record_.CallsTo("StoreSettings").at(0).args[3],
              "Equalizer settings will be used when saving");
    EXPECT_TRUE(Checked(dialog, kApplyToFile));
    EXPECT_FALSE(Enabled(dialog, kPlayback));
    EXPECT_EQ(record_.audioCommands, 0x100000);
    EXPECT_EQ(record_.StoredSettings()[12], 15.0f);
    EXPECT_EQ(ValueLabel(dialog, 4), "+15");
    EXPECT_EQ(SendDlgItemMessageW(dialog, SliderId(4), TBM_GETPOS, 0, 0), -15);

    // While saving is on, the rest of the values wait.
    values[12] = -3.0f;
    EXPECT_EQ(SetParameters(values), 1);
    EXPECT_EQ(record_.StoredSettings()[12], 15.0f);

    // The button takes it back to playback; bypass or no file output and it
    // is not offered.
    Click(dialog, kApplyToFile);
    EXPECT_TRUE(Checked(dialog, kPlayback));
    EXPECT_EQ(record_.audioCommands, 0x40000);
    Click(dialog, kBypass);
    EXPECT_FALSE(Enabled(dialog, kApplyToFile));
    Click(dialog, kBypass);
    record_.script.fileOutputValue = 0.0;
    record_.Send(kefo::kCmdStateChanged);
    EXPECT_FALSE(Enabled(dialog, kApplyToFile));
    record_.script.fileOutputValue = 1.0;
    record_.Send(kefo::kCmdStateChanged);

    // The host refuses: its reason shows and nothing moves.
    record_.script.acceptStoreSettings = false;
    const std::vector<float> before = record_.StoredSettings();
    Click(dialog, kApplyToFile);
    auto shown = record_.CallsTo("ShowMessage");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].args[0], hostsim::ArgPointer(dialog));
    EXPECT_EQ(shown[0].args[1], record_.script.storeRefusalText);
    EXPECT_FALSE(Checked(dialog, kApplyToFile));
    EXPECT_EQ(record_.audioCommands, 0x40000);
    EXPECT_EQ(record_.StoredSettings(), before);
}

}  // namespace
