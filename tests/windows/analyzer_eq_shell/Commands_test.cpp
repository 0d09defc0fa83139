// The add-on's answers to the host's non-audio commands.
#include "AnalyzerEqFixture.h"
#include "hostsim/host/InfoQuery.h"

namespace {

using hostsim::ServiceCall;

TEST(AnalyzerEqInfo, AnswersTheInformationQuery) {
    auto reply = hostsim::QueryInfo(testing_paths::BuiltFile(L"KEFO_AnalyzerEQ.dll"));
    ASSERT_TRUE(reply.error.empty()) << reply.error;
    EXPECT_EQ(reply.result, 1);
    EXPECT_EQ(reply.displayName, "Spectrum Analyzer and Graphic Equalizer Add-on");
    EXPECT_EQ(reply.idString, "KeFoEq");
    EXPECT_EQ(reply.addOnKind, 3);
    EXPECT_EQ(reply.addOnVersion, 0x00010001u);
    EXPECT_EQ(reply.minHostVersion, 0x00070000u);
    EXPECT_EQ(reply.attributeA, 2);
    EXPECT_EQ(reply.attributeB, 1);
    EXPECT_EQ(reply.setHelpFileCalls, 1);
    EXPECT_EQ(reply.helpFile, "KEFO_AnalyzerEQ.chm");
    EXPECT_TRUE(reply.companionFiles.empty());
}

TEST_F(AnalyzerEqTest, FullInstanceAddsMenusIndicatorAndParameters) {
    ASSERT_EQ(Create(0), 1);
    ASSERT_NE(record_.context, nullptr);
    const auto& menu = record_.MenuItems();
    ASSERT_EQ(menu.size(), 4u);
    EXPECT_EQ(menu[0].id, 0x1001);
    EXPECT_EQ(menu[0].parent, 6);
    EXPECT_EQ(menu[0].popup, 1);
    EXPECT_EQ(menu[0].caption, "Spectrum Analyzer and Graphic Equalizer");
    EXPECT_EQ(menu[1].id, 0x1002);
    EXPECT_EQ(menu[1].parent, 0x1001);
    EXPECT_EQ(menu[2].id, 0x1003);
    EXPECT_EQ(menu[3].id, 0x1005);
    EXPECT_EQ(menu[3].parent, 10);
    EXPECT_EQ(menu[3].caption, "Spectrum Analyzer and Graphic Equalizer Add-on Help");

    auto indicator = record_.CallsTo("SetIndicator");
    ASSERT_EQ(indicator.size(), 1u);
    EXPECT_EQ(indicator[0].args[2], "Graphic Equalizer: Off");
    EXPECT_NE(indicator[0].args[1], "0x0");  // the "Off" bitmap
    ASSERT_EQ(record_.ParameterNames().size(), 17u);
    EXPECT_EQ(record_.ParameterNames()[0], "Version number");
    EXPECT_EQ(record_.ParameterNames()[16],
              "Slider position for line 9 (16.0 kHz, from -15 to 15 dB)");
    EXPECT_EQ(record_.StoredSettings(), Defaults());
    EXPECT_EQ(record_.audioCommands, 0);
    EXPECT_EQ(record_.updatePeriod, 4000);
}

TEST_F(AnalyzerEqTest, WrongSignatureGivesStoredDefaults) {
    std::vector<float> stored = Defaults();
    stored[0] = 65536.0f;
    stored[3] = 0.0f;
    stored[4] = 1.0f;
    stored[10] = 7.0f;
    ASSERT_EQ(Create(0, stored), 1);
    EXPECT_EQ(record_.StoredSettings(), Defaults());
}

TEST_F(AnalyzerEqTest, NonFiniteStoredValuesGiveDefaults) {
    std::vector<float> stored = Defaults();
    stored[12] = std::numeric_limits<float>::quiet_NaN();
    ASSERT_EQ(Create(0, stored), 1);
    EXPECT_EQ(record_.StoredSettings(), Defaults());
}

TEST_F(AnalyzerEqTest, FullInstanceDropsApplyToFileFromStoredSettings) {
    std::vector<float> stored = Defaults();
    stored[6] = 1.0f;
    stored[9] = 3.0f;
    ASSERT_EQ(Create(0, stored), 1);
    std::vector<float> expected = stored;
    expected[6] = 0.0f;
    EXPECT_EQ(record_.StoredSettings(), expected);
}

TEST_F(AnalyzerEqTest, DialogOnlyInstanceKeepsSavingAndDropsPlaybackAndRecording) {
    std::vector<float> stored = Defaults();
    stored[4] = 1.0f;
    stored[5] = 1.0f;
    stored[6] = 1.0f;
    ASSERT_EQ(Create(1, stored), 1);
    std::vector<float> expected = stored;
    expected[4] = expected[5] = 0.0f;
    EXPECT_EQ(record_.StoredSettings(), expected);
    ASSERT_EQ(record_.MenuItems().size(), 1u);
    EXPECT_EQ(record_.MenuItems()[0].id, 0x1004);
    EXPECT_EQ(record_.MenuItems()[0].parent, 1);
    EXPECT_EQ(record_.CountOf("SetIndicator"), 0);
    EXPECT_EQ(record_.CountOf("DescribeParameters"), 0);
    EXPECT_EQ(record_.audioCommands, 0x100000);
}

TEST_F(AnalyzerEqTest, HeadlessInstanceAsksNothingOfTheHost) {
    std::vector<float> stored = Defaults();
    stored[5] = 1.0f;
    ASSERT_EQ(Create(2, stored), 1);
    for (const char* service :
         {"StoreSettings", "AddMenuItem", "SetIndicator", "DescribeParameters"})
        EXPECT_EQ(record_.CountOf(service), 0) << service;
    EXPECT_EQ(record_.audioCommands, 0x20000);
}

TEST_F(AnalyzerEqTest, KindAboveTwoIsRefused) {
    EXPECT_EQ(Create(3), 3);
    EXPECT_EQ(record_.context, nullptr);
}

TEST_F(AnalyzerEqTest, MenuStateCheckAndCommands) {
    ASSERT_EQ(Create(0), 1);
    record_.menuItemId = kefo::kMenuAnalyzer;
    record_.menuItemState = 0;
    EXPECT_EQ(record_.Send(kefo::kCmdQueryMenuItem), 1);
    EXPECT_EQ(record_.menuItemState, 1);
    record_.menuItemId = kefo::kMenuDialogEqualizer;
    EXPECT_EQ(record_.Send(kefo::kCmdQueryMenuItem), 1);
    EXPECT_EQ(record_.menuItemState, 1);

    // Command 7 on another item changes nothing but still stores.
    record_.ClearCalls();
    record_.menuItemId = kefo::kMenuAnalyzer;
    record_.menuItemValue = 1;
    EXPECT_EQ(record_.Send(kefo::kCmdSetMenuItem), 1);
    EXPECT_EQ(record_.CountOf("StoreSettings"), 1);
    EXPECT_EQ(record_.StoredSettings(), Defaults());

    record_.menuItemId = kefo::kMenuDialogEqualizer;
    EXPECT_EQ(record_.Send(kefo::kCmdSetMenuItem), 1);
    EXPECT_EQ(record_.StoredSettings()[6], 1.0f);
    EXPECT_EQ(record_.audioCommands, 0x100000);

    record_.menuItemId = kefo::kMenuHelp;
    EXPECT_EQ(record_.Send(kefo::kCmdMenuCommand), 1);
    auto help = record_.CallsTo("ShowHelp");
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].args[0], "0x2006a");
}

TEST_F(AnalyzerEqTest, FrameClosedClearsTheWindowFlagAndStores) {
    std::vector<float> stored = Defaults();
    ASSERT_EQ(Create(0, stored), 1);
    record_.ClearCalls();
    record_.frameIndex = 7;
    EXPECT_EQ(record_.Send(kefo::kCmdFrameClosed), 1);
    EXPECT_EQ(record_.CountOf("StoreSettings"), 0);
    record_.frameIndex = 1;
    EXPECT_EQ(record_.Send(kefo::kCmdFrameClosed), 1);
    EXPECT_EQ(record_.CountOf("StoreSettings"), 1);
}

TEST_F(AnalyzerEqTest, StateChangeDropsApplyToFileWhenTheHostSaysSo) {
    ASSERT_EQ(Create(0), 1);
    record_.menuItemId = kefo::kMenuDialogEqualizer;
    record_.menuItemValue = 1;
    record_.Send(kefo::kCmdSetMenuItem);
    ASSERT_EQ(record_.audioCommands, 0x100000);
    record_.script.keepSaveOption = 0;
    EXPECT_EQ(record_.Send(kefo::kCmdStateChanged), 1);
    EXPECT_EQ(record_.StoredSettings()[6], 0.0f);
    EXPECT_EQ(record_.audioCommands, 0);
    EXPECT_GE(record_.CountOf("RefreshState"), 1);
}

TEST_F(AnalyzerEqTest, ColoursChangedReloadsTheIndicator) {
    ASSERT_EQ(Create(0), 1);
    record_.ClearCalls();
    EXPECT_EQ(record_.Send(kefo::kCmdColorsChanged), 1);
    EXPECT_EQ(record_.CountOf("SetIndicator"), 1);
}

TEST_F(AnalyzerEqTest, CommandsWithoutContextDoNothingAndUnknownCodesAnswerZero) {
    for (int code :
         {3, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14, 0x10000, 0x20000, 0x40000, 0x80000, 0x100000})
        EXPECT_EQ(record_.Send(code), 1) << code;
    EXPECT_TRUE(record_.Calls().empty());
    for (int code : {0, 15, 16, 0x30000, -1}) EXPECT_EQ(record_.Send(code), 0) << code;
    EXPECT_EQ(module_.Processing()(nullptr), 0);
}

TEST_F(AnalyzerEqTest, SetParametersValidatesAndApplies) {
    ASSERT_EQ(Create(0), 1);
    std::vector<float> values = Defaults();
    values[4] = 1.0f;
    values[8] = 40.0f;  // clamped to the sliders' range
    values[9] = -3.0f;
    EXPECT_EQ(SetParameters(values), 1);
    EXPECT_EQ(record_.audioCommands, 0x40000);
    EXPECT_EQ(record_.StoredSettings()[8], 15.0f);
    EXPECT_EQ(record_.StoredSettings()[9], -3.0f);

    // A flag that is neither 0 nor 1, a short array, or a NaN: ignored whole.
    record_.ClearCalls();
    std::vector<float> bad = values;
    bad[5] = 0.5f;
    EXPECT_EQ(SetParameters(bad), 1);
    bad = values;
    bad[10] = std::numeric_limits<float>::infinity();
    EXPECT_EQ(SetParameters(bad), 1);
    EXPECT_EQ(SetParameters(std::vector<float>(16, 0.0f)), 1);
    EXPECT_EQ(record_.CountOf("StoreSettings"), 0);

    // Two uses at once: stops before the processing part.
    bad = values;
    bad[5] = 1.0f;
    EXPECT_EQ(SetParameters(bad), 1);
    EXPECT_EQ(record_.audioCommands, 0x40000);
}

TEST_F(AnalyzerEqTest, SettingsChangedAndAppliedReadTheBlockWhateverTheCount) {
    ASSERT_EQ(Create(0), 1);
    std::vector<float> values = Defaults();
    values[5] = 1.0f;
    values[12] = std::numeric_limits<float>::quiet_NaN();
    parameters_ = values;
    record_.settings = parameters_.data();
    record_.settingsCount = 4;  // a count the host left as it was
    EXPECT_EQ(record_.Send(kefo::kCmdSettingsChanged), 1);
    EXPECT_EQ(record_.audioCommands, 0x20000);

    parameters_[5] = 0.0f;
    parameters_[4] = 1.0f;
    record_.settingsCount = 0;
    record_.ClearCalls();
    EXPECT_EQ(record_.Send(kefo::kCmdSettingsApplied), 1);
    EXPECT_EQ(record_.audioCommands, 0x40000);
    ASSERT_EQ(record_.CountOf("StoreSettings"), 1);
    EXPECT_EQ(record_.StoredSettings()[12], 0.0f);  // the NaN arrived as 0 dB

    record_.settings = nullptr;  // no array: nothing to read
    record_.settingsCount = kefo::kSettingsCount;
    EXPECT_EQ(record_.Send(kefo::kCmdSettingsChanged), 1);
    EXPECT_EQ(record_.Send(kefo::kCmdSettingsApplied), 1);
    EXPECT_EQ(record_.audioCommands, 0x40000);
}

}  // namespace
