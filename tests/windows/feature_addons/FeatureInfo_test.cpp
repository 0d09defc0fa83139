// The information query of both feature add-ons, field by field, as hosts of
// different protocol versions make it; unknown codes; the DLL entry.
#include "FeatureAddOnFixture.h"

#include <cstring>

#include "hostsim/host/InfoQuery.h"

namespace feature_tests {
namespace {

using hostsim::HostRecord;

using InfoReplies = FeatureAddOnTest;

TEST_P(InfoReplies, FillEveryFieldForAnEightPointZeroHost) {
    const AddOnCase& addOn = GetParam();
    hostsim::InfoReply reply = hostsim::QueryInfo(testing_paths::BuiltFile(addOn.dll));
    ASSERT_TRUE(reply.error.empty()) << reply.error;
    EXPECT_EQ(reply.result, 1);
    EXPECT_EQ(reply.displayName, addOn.displayName);
    EXPECT_EQ(reply.idString, addOn.idString);
    EXPECT_EQ(reply.addOnKind, addOn.addOnKind);
    EXPECT_EQ(reply.addOnVersion, 0x00010001u);
    EXPECT_EQ(reply.minHostVersion, addOn.minHostVersion);
    EXPECT_EQ(reply.attributeA, 2);
    EXPECT_EQ(reply.attributeB, 0);
    EXPECT_EQ(reply.requiredEdition, 1);
    EXPECT_EQ(reply.buildNumber, 0);
    EXPECT_EQ(reply.betaFlag, 0);
    EXPECT_EQ(reply.setHelpFileCalls, 1);
    EXPECT_EQ(reply.helpFile, "<null>");
    EXPECT_TRUE(reply.companionFiles.empty());
}

TEST_P(InfoReplies, RequiredEditionIsWrittenOnlyForRecordsThatHaveIt) {
    const struct {
        kefo::VersionWord host;
        int expected;
    } hosts[] = {{0x00050002u, -7}, {0x00050003u, 1}, {0x00080000u, 1}};
    for (const auto& host : hosts) {
        HostRecord record(host.host);
        record.Attach(module_.Processing());
        record.requiredEdition = -7;  // a 5.2 record ends before this field
        EXPECT_EQ(record.Send(kefo::kCmdInfo), 1);
        EXPECT_EQ(record.requiredEdition, host.expected) << std::hex << host.host;
    }
}

TEST_P(InfoReplies, TouchNoOtherServiceAndRepeatTheSameReply) {
    ASSERT_EQ(record_.Send(kefo::kCmdInfo), 1);
    const std::string first(record_.displayName);
    ASSERT_EQ(record_.Calls().size(), 1u);
    EXPECT_EQ(record_.Calls()[0].name, "SetHelpFile");
    EXPECT_EQ(record_.context, nullptr);

    std::memset(record_.displayName, 'x', sizeof record_.displayName);
    record_.addOnKind = 0;
    EXPECT_EQ(record_.Send(kefo::kCmdInfo), 1);
    EXPECT_EQ(first, record_.displayName);
    EXPECT_EQ(record_.addOnKind, GetParam().addOnKind);
    EXPECT_EQ(record_.CountOf("SetHelpFile"), 2);
    EXPECT_EQ(record_.CountOf("AddCompanionFile"), 0);
}

TEST_P(InfoReplies, UnknownCodesAnswerZeroAndChangeNothing) {
    record_.menuItemState = 55;
    record_.audioCommands = 66;
    for (int code : {0, 16, 0x30000, 0x200000, -1, 0x7FFFFFFF}) {
        EXPECT_EQ(record_.Send(code), 0) << code;
    }
    EXPECT_TRUE(record_.Calls().empty());
    EXPECT_EQ(record_.menuItemState, 55);
    EXPECT_EQ(record_.audioCommands, 66);
    EXPECT_EQ(record_.context, nullptr);
    EXPECT_EQ(record_.displayName[0], '\0');
    EXPECT_EQ(module_.Processing()(nullptr), 0);
}

// The loader's entry point (the C runtime's), which hands every reason on to
// the module object's DllEntry.
using EntryPoint = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);

EntryPoint EntryOf(HMODULE module) {
    auto* base = reinterpret_cast<const BYTE*>(module);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return reinterpret_cast<EntryPoint>(
        reinterpret_cast<void*>(const_cast<BYTE*>(base) + nt->OptionalHeader.AddressOfEntryPoint));
}

TEST_P(InfoReplies, AnUnknownEntryReasonAnswersOneAndChangesNothing) {
    EntryPoint entry = EntryOf(module_.Handle());
    EXPECT_EQ(entry(module_.Handle(), 7, nullptr), TRUE);
    // The module handle is still there: the name still loads from the DLL.
    ASSERT_EQ(record_.Send(kefo::kCmdInfo), 1);
    EXPECT_STREQ(record_.displayName, GetParam().displayName);
}

INSTANTIATE_TEST_SUITE_P(FeatureAddOns, InfoReplies, ::testing::Values(kDigitalMixer, kITunes),
                         CaseName);

// --- the framework's own rules, shown with a test-only add-on ----------------

const std::wstring kProbe = L"KEFO_FrameworkProbe.dll";

TEST(FrameworkInfo, LongTextsAreCutToTheFieldsAndFilesNamedInOrder) {
    hostsim::InfoReply reply = hostsim::QueryInfo(testing_paths::BesideTestExe(kProbe));
    ASSERT_TRUE(reply.error.empty()) << reply.error;
    ASSERT_EQ(reply.result, 1);
    const std::string name =
        "Framework Probe Add-on with a display name far longer than the record's field";
    ASSERT_GT(name.size(), 63u);
    EXPECT_EQ(reply.displayName, name.substr(0, 63));
    EXPECT_EQ(reply.idString, "KeFoProbe");  // of "KeFoProbeIdentifier"
    EXPECT_EQ(reply.helpFile, "Probe.chm");
    EXPECT_EQ(reply.companionFiles, (std::vector<std::string>{"first.txt", "second.txt"}));
}

}  // namespace
}  // namespace feature_tests
