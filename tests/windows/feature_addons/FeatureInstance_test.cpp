// Instances of both feature add-ons through the stand-in host: creation per
// instance kind, the four stored floats, the help item, state changes, and
// commands on records that have no instance.
#include "FeatureAddOnFixture.h"

#include <vector>

namespace feature_tests {
namespace {

using Floats = std::vector<float>;

using Instances = FeatureAddOnTest;

TEST_P(Instances, AFullInstanceStoresDefaultsAddsTheHelpItemAndNamesOneParameter) {
    ASSERT_EQ(Create(kefo::kKindFull), 1);
    EXPECT_NE(record_.context, nullptr);
    auto stores = record_.CallsTo("StoreSettings");
    ASSERT_EQ(stores.size(), 1u);
    EXPECT_EQ(stores[0].values, (Floats{kSignature, 0.0f, 0.0f, 0.0f}));
    EXPECT_EQ(stores[0].args.at(2), "0");       // a plain store
    EXPECT_EQ(stores[0].args.at(3), "<null>");  // with no text

    auto menu = record_.CallsTo("AddMenuItem");
    ASSERT_EQ(menu.size(), 1u);
    EXPECT_EQ(menu[0].args, (std::vector<std::string>{"4097", "10", GetParam().helpCaption, "0"}));
    EXPECT_EQ(record_.ParameterNames(), (std::vector<std::string>{"Version number"}));
    EXPECT_EQ(record_.audioCommands, 0);
    EXPECT_EQ(record_.updatePeriod, 4000);
}

TEST_P(Instances, EachKindIsServedOrRefusedAsTheAddOnSays) {
    EXPECT_EQ(Create(kefo::kKindFull), 1);
    EXPECT_NE(record_.context, nullptr);
    EXPECT_EQ(record_.Send(kefo::kCmdDestroyInstance), 1);
    EXPECT_EQ(record_.context, nullptr);

    record_.context = &record_;  // refused kinds write null
    EXPECT_EQ(Create(kefo::kKindDialogOnly), 3);
    EXPECT_EQ(record_.context, nullptr);

    record_.ClearCalls();
    EXPECT_EQ(Create(kefo::kKindHeadless), GetParam().servesHeadless ? 1 : 3);
    EXPECT_EQ(record_.context != nullptr, GetParam().servesHeadless);
    // No interface, no store at creation.
    EXPECT_EQ(record_.CountOf("StoreSettings"), 0);
    EXPECT_EQ(record_.CountOf("AddMenuItem"), 0);
    EXPECT_EQ(record_.CountOf("DescribeParameters"), 0);
}

TEST_P(Instances, KindsAboveTwoAreRefusedWithNothingWritten) {
    int marker = 0;
    for (int kind : {3, 4, -1}) {
        record_.context = &marker;
        record_.updatePeriod = 9;
        EXPECT_EQ(Create(kind), 3) << kind;
        EXPECT_EQ(record_.context, &marker);
        EXPECT_EQ(record_.updatePeriod, 9);
    }
    record_.context = nullptr;
    EXPECT_TRUE(record_.Calls().empty());
}

TEST_P(Instances, FourStoredFloatsAreAdoptedWhateverElementZeroHolds) {
    record_.SetStoredSettings({12.5f, 1.0f, 2.0f, 3.0f});
    ASSERT_EQ(Create(kefo::kKindFull), 1);
    auto stores = record_.CallsTo("StoreSettings");
    ASSERT_EQ(stores.size(), 1u);
    EXPECT_EQ(stores[0].values, (Floats{12.5f, 1.0f, 2.0f, 3.0f}));
}

TEST_P(Instances, StoredArraysOfOtherCountsGiveWayToDefaultsStoredBack) {
    for (std::size_t count : {17u, 3u, 5u, 0u}) {
        hostsim::HostRecord record;
        record.Attach(module_.Processing());
        record.SetStoredSettings(Floats(count, 9.0f));
        ASSERT_EQ(record.Send(kefo::kCmdCreateInstance), 1) << count;
        auto stores = record.CallsTo("StoreSettings");
        ASSERT_EQ(stores.size(), 1u) << count;
        EXPECT_EQ(stores[0].values, (Floats{kSignature, 0.0f, 0.0f, 0.0f})) << count;
        EXPECT_EQ(record.StoredSettings(), stores[0].values);
        record.Send(kefo::kCmdDestroyInstance);
    }
}

TEST_P(Instances, MissingSettingsArraysGiveDefaults) {
    for (int count : {4, 0, 17, -1}) {
        hostsim::HostRecord record;
        record.Attach(module_.Processing());
        record.settings = nullptr;
        record.settingsCount = count;
        ASSERT_EQ(record.Send(kefo::kCmdCreateInstance), 1) << count;
        EXPECT_EQ(record.StoredSettings(), (Floats{kSignature, 0.0f, 0.0f, 0.0f})) << count;
        record.Send(kefo::kCmdDestroyInstance);
    }
}

TEST_P(Instances, ASettingsChangeWithoutAnArrayFallsBackToDefaults) {
    record_.SetStoredSettings({kSignature, 1.0f, 2.0f, 3.0f});
    ASSERT_EQ(Create(kefo::kKindFull), 1);
    record_.settings = nullptr;
    record_.settingsCount = 4;
    EXPECT_EQ(record_.Send(kefo::kCmdSettingsChanged), 1);
    record_.script.keepSaveOption = 0;
    ASSERT_EQ(record_.Send(kefo::kCmdStateChanged), 1);
    EXPECT_EQ(record_.StoredSettings(), (Floats{kSignature, 0.0f, 0.0f, 0.0f}));
}

TEST_P(Instances, EveryMenuItemIsReportedEnabled) {
    ASSERT_EQ(Create(kefo::kKindFull), 1);
    for (int item : {kHelpItem, 4098, 0}) {
        record_.menuItemState = 0;
        record_.menuItemId = item;
        EXPECT_EQ(record_.Send(kefo::kCmdQueryMenuItem), 1);
        EXPECT_EQ(record_.menuItemState, 1) << item;
    }
}

TEST_P(Instances, TheHelpItemOpensTheAboutBoxTopicAndOtherItemsNothing) {
    ASSERT_EQ(Create(kefo::kKindFull), 1);
    record_.ClearCalls();
    record_.menuItemId = 4098;
    EXPECT_EQ(record_.Send(kefo::kCmdMenuCommand), 1);
    EXPECT_TRUE(record_.Calls().empty());
    record_.menuItemId = kHelpItem;
    EXPECT_EQ(record_.Send(kefo::kCmdMenuCommand), 1);
    auto help = record_.CallsTo("ShowHelp");
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].args.at(0), "0x20068");
}

TEST_P(Instances, AStateChangeThatDropsTheSaveOptionClearsElementThree) {
    record_.SetStoredSettings({kSignature, 1.0f, 2.0f, 3.0f});
    ASSERT_EQ(Create(kefo::kKindFull), 1);
    record_.ClearCalls();
    record_.audioCommands = 5;
    record_.script.keepSaveOption = 0;
    EXPECT_EQ(record_.Send(kefo::kCmdStateChanged), 1);
    EXPECT_EQ(record_.CountOf("RefreshState"), 1);
    auto stores = record_.CallsTo("StoreSettings");
    ASSERT_EQ(stores.size(), 1u);
    EXPECT_EQ(stores[0].values, (Floats{kSignature, 1.0f, 2.0f, 0.0f}));
    EXPECT_EQ(record_.audioCommands, 0);
}

TEST_P(Instances, AStateChangeThatKeepsTheSaveOptionStoresNothing) {
    ASSERT_EQ(Create(kefo::kKindFull), 1);
    record_.ClearCalls();
    record_.script.keepSaveOption = 1;
    EXPECT_EQ(record_.Send(kefo::kCmdStateChanged), 1);
    EXPECT_EQ(record_.CountOf("RefreshState"), 1);
    EXPECT_EQ(record_.CountOf("StoreSettings"), 0);
}

TEST_P(Instances, AStateChangeOnADialogOnlyRecordAsksTheHostNothing) {
    ASSERT_EQ(Create(kefo::kKindFull), 1);
    record_.ClearCalls();
    record_.instanceKind = kefo::kKindDialogOnly;
    record_.script.keepSaveOption = 0;
    EXPECT_EQ(record_.Send(kefo::kCmdStateChanged), 1);
    EXPECT_TRUE(record_.Calls().empty());
    record_.instanceKind = kefo::kKindFull;
}

TEST_P(Instances, ChangedSettingsAreAdoptedWithoutBeingStored) {
    ASSERT_EQ(Create(kefo::kKindFull), 1);
    record_.ClearCalls();
    record_.SetStoredSettings({1.0f, 5.0f, 6.0f, 7.0f});
    EXPECT_EQ(record_.Send(kefo::kCmdSettingsChanged), 1);
    EXPECT_EQ(record_.CountOf("RefreshState"), 1);
    EXPECT_EQ(record_.CountOf("StoreSettings"), 0);
    record_.script.keepSaveOption = 0;
    ASSERT_EQ(record_.Send(kefo::kCmdStateChanged), 1);
    EXPECT_EQ(record_.StoredSettings(), (Floats{1.0f, 5.0f, 6.0f, 0.0f}));
}

TEST_P(Instances, AudioAndQuietCommandsAnswerOneAndLeaveEverythingAlone) {
    ASSERT_EQ(Create(kefo::kKindFull), 1);
    record_.ClearCalls();
    float* block = record_.HostAllocateAudio(8);
    for (int i = 0; i < 8; ++i) block[i] = 0.125f * static_cast<float>(i);
    record_.audioBuffer = block;
    record_.audioItemCount = 8;
    for (int code : {5, 7, 10, 11, 14, 15, 0x10000, 0x20000, 0x40000, 0x80000, 0x100000}) {
        EXPECT_EQ(record_.Send(code), 1) << std::hex << code;
    }
    EXPECT_TRUE(record_.Calls().empty());
    EXPECT_EQ(record_.audioBuffer, block);
    EXPECT_EQ(record_.audioItemCount, 8);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(block[i], 0.125f * static_cast<float>(i));
    record_.HostFreeAudio(block);
}

TEST_P(Instances, CommandsOnARecordWithoutAnInstanceDoNothing) {
    record_.menuItemState = 42;
    record_.audioCommands = 43;
    record_.keepSaveOption = 0;
    record_.menuItemId = kHelpItem;
    const int codes[] = {3,  4,  5,  6,  7,       8,       9,       10,      11,
                         12, 13, 14, 15, 0x10000, 0x20000, 0x40000, 0x80000, 0x100000};
    for (int code : codes) {
        EXPECT_EQ(record_.Send(code), 1) << std::hex << code;
    }
    EXPECT_TRUE(record_.Calls().empty());
    EXPECT_EQ(record_.menuItemState, 42);
    EXPECT_EQ(record_.audioCommands, 43);
}

TEST_P(Instances, ADestroyedInstanceLeavesNoDanglingContext) {
    ASSERT_EQ(Create(kefo::kKindFull), 1);
    ASSERT_EQ(record_.Send(kefo::kCmdDestroyInstance), 1);
    EXPECT_EQ(record_.context, nullptr);
    record_.ClearCalls();
    record_.menuItemId = kHelpItem;
    EXPECT_EQ(record_.Send(kefo::kCmdMenuCommand), 1);
    EXPECT_EQ(record_.Send(kefo::kCmdDestroyInstance), 1);
    EXPECT_TRUE(record_.Calls().empty());
}

TEST_P(Instances, InstancesBeforeAnyInformationQueryAreSignedToo) {
    // The fixture's DLL is fresh: nothing has asked it who it is yet.
    ASSERT_EQ(Create(kefo::kKindFull), 1);
    EXPECT_EQ(record_.StoredSettings(), (Floats{kSignature, 0.0f, 0.0f, 0.0f}));
}

TEST_P(Instances, TwoInstancesKeepTheirOwnSettings) {
    hostsim::HostRecord other;
    other.Attach(module_.Processing());
    record_.SetStoredSettings({kSignature, 1.0f, 1.0f, 1.0f});
    other.SetStoredSettings({kSignature, 2.0f, 2.0f, 2.0f});
    ASSERT_EQ(Create(kefo::kKindFull), 1);
    ASSERT_EQ(other.Send(kefo::kCmdCreateInstance), 1);
    EXPECT_NE(record_.context, other.context);
    record_.script.keepSaveOption = 0;
    other.script.keepSaveOption = 0;
    record_.Send(kefo::kCmdStateChanged);
    other.Send(kefo::kCmdStateChanged);
    EXPECT_EQ(record_.StoredSettings(), (Floats{kSignature, 1.0f, 1.0f, 0.0f}));
    EXPECT_EQ(other.StoredSettings(), (Floats{kSignature, 2.0f, 2.0f, 0.0f}));
    other.Send(kefo::kCmdDestroyInstance);
}

INSTANTIATE_TEST_SUITE_P(FeatureAddOns, Instances, ::testing::Values(kDigitalMixer, kITunes),
                         CaseName);

// --- the framework's table handling, with the test-only add-on ---------------

class FrameworkTables : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(module_.Loaded()) << module_.Error(); }
    std::vector<std::string> MenuAddedFor(int kind) {
        hostsim::HostRecord record;
        record.Attach(module_.Processing());
        record.instanceKind = kind;
        EXPECT_EQ(record.Send(kefo::kCmdCreateInstance), 1);
        std::vector<std::string> rows;
        for (const auto& call : record.CallsTo("AddMenuItem")) {
            std::string row;
            for (const auto& arg : call.args) row += (row.empty() ? "" : "|") + arg;
            rows.push_back(row);
        }
        stores_ = record.CountOf("StoreSettings");
        described_ = record.CountOf("DescribeParameters");
        record.Send(kefo::kCmdDestroyInstance);
        return rows;
    }

    hostsim::AddOnModule module_{testing_paths::BesideTestExe(L"KEFO_FrameworkProbe.dll")};
    int stores_ = 0;
    int described_ = 0;
};

TEST_F(FrameworkTables, FullInstancesSkipMenuOneRowsAndKeepEmptyCaptions) {
    EXPECT_EQ(
        MenuAddedFor(kefo::kKindFull),
        (std::vector<std::string>{"4097|10|Probe help|0", "4099|6|Probe popup|1", "4100|4099||0"}));
    EXPECT_EQ(stores_, 1);
    EXPECT_EQ(described_, 1);
}

TEST_F(FrameworkTables, DialogOnlyInstancesUseTheirOwnRows) {
    EXPECT_EQ(MenuAddedFor(kefo::kKindDialogOnly),
              (std::vector<std::string>{"4098|1|Probe dialog item|0"}));
    EXPECT_EQ(stores_, 1);
    EXPECT_EQ(described_, 0);
}

TEST_F(FrameworkTables, HeadlessInstancesAddNothingAndStoreNothing) {
    EXPECT_TRUE(MenuAddedFor(kefo::kKindHeadless).empty());
    EXPECT_EQ(stores_, 0);
    EXPECT_EQ(described_, 0);
}

}  // namespace
}  // namespace feature_tests
