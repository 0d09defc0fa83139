// hostsim against a real DLL loaded with LoadLibrary: the information query,
// instance creation with recorded service calls, and unknown codes.
#include <gtest/gtest.h>

#include <fstream>

#include "hostsim/host/AddOnModule.h"
#include "hostsim/host/HostRecord.h"
#include "hostsim/host/InfoQuery.h"
#include "ProcessRunner.h"
#include "TestPaths.h"

namespace {

using hostsim::AddOnModule;
using hostsim::HostRecord;
using testing_paths::BesideTestExe;

const std::wstring kProbe = L"KEFO_Probe.dll";

TEST(HostSim, InfoQueryReadsTheReplyFromAZeroedRecord) {
    hostsim::InfoReply reply = hostsim::QueryInfo(BesideTestExe(kProbe));
    ASSERT_TRUE(reply.error.empty()) << reply.error;
    EXPECT_EQ(reply.result, 1);
    EXPECT_EQ(reply.displayName, "Probe Add-on");
    EXPECT_EQ(reply.idString, "KeFoPr");
    EXPECT_EQ(reply.addOnKind, 99);
    EXPECT_EQ(reply.addOnVersion, 0x00010001u);
    EXPECT_EQ(reply.minHostVersion, 0x00070000u);
    EXPECT_EQ(reply.attributeB, 1);
    EXPECT_EQ(reply.requiredEdition, 0);
    EXPECT_EQ(reply.setHelpFileCalls, 1);
    EXPECT_EQ(reply.helpFile, "<null>");
    ASSERT_EQ(reply.companionFiles.size(), 1u);
    EXPECT_EQ(reply.companionFiles[0], "probe.txt");
}

TEST(HostSim, ServiceCallsAreRecordedWithTheirArguments) {
    AddOnModule module(BesideTestExe(kProbe));
    ASSERT_TRUE(module.Loaded()) << module.Error();
    HostRecord record;
    record.Attach(module.Processing());
    ASSERT_EQ(record.Send(kefo::kCmdCreateInstance), 1);
    EXPECT_NE(record.context, nullptr);

    auto menu = record.CallsTo("AddMenuItem");
    ASSERT_EQ(menu.size(), 1u);
    EXPECT_EQ(menu[0].slot, 12);
    EXPECT_EQ(menu[0].args, (std::vector<std::string>{"4097", "10", "Probe help", "0"}));

    // The variadic slot reaches the host with its values, formatted into hostText.
    auto format = record.CallsTo("FormatText");
    ASSERT_EQ(format.size(), 1u);
    EXPECT_EQ(format[0].args.at(1), "probe 7-x");
    EXPECT_STREQ(record.hostText, "probe 7-x");

    ASSERT_TRUE(record.HasStoredSettings());
    EXPECT_EQ(record.StoredSettings(), (std::vector<float>{65537.0f, 0.5f}));
    EXPECT_EQ(record.Send(kefo::kCmdDestroyInstance), 1);
}

TEST(HostSim, UnknownCodesAndANullRecordAnswerZero) {
    AddOnModule module(BesideTestExe(kProbe));
    ASSERT_TRUE(module.Loaded());
    HostRecord record;
    record.Attach(module.Processing());
    EXPECT_EQ(record.Send(16), 0);
    EXPECT_EQ(record.Send(0x30000), 0);
    EXPECT_EQ(record.Calls().size(), 0u);
    EXPECT_EQ(module.Processing()(nullptr), 0);
}

TEST(HostSim, AudioBuffersAreTrackedAndForeignFreesCaught) {
    HostRecord record;
    void* a = record.AllocateAudio(64);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(record.OutstandingAudioBuffers(), 1u);
    record.FreeAudio(a);
    EXPECT_EQ(record.OutstandingAudioBuffers(), 0u);
    EXPECT_TRUE(record.AudioFaults().empty());
    record.FreeAudio(a);  // a second free of the same buffer
    EXPECT_EQ(record.AudioFaults().size(), 1u);
    record.script.failAllocateAudio = true;
    EXPECT_EQ(record.AllocateAudio(64), nullptr);
}

TEST(HostSim, StoreSettingsRefusalPutsTheReasonInHostText) {
    HostRecord record;
    record.script.acceptStoreSettings = false;
    record.script.storeRefusalText = "disk full";
    const float values[1] = {1.0f};
    EXPECT_EQ(record.StoreSettings(1, values, 1, "why"), 0);
    EXPECT_FALSE(record.HasStoredSettings());
    EXPECT_STREQ(record.hostText, "disk full");
}

TEST(HostSim, RegisteredWindowsLeadBackToTheirRecord) {
    HostRecord record;
    HWND frame = record.CreateFrame(0, "Frame", WS_OVERLAPPEDWINDOW, 0);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(HostRecord::FindRecordByWindow(frame), nullptr);
    record.RegisterWindow(frame);
    EXPECT_EQ(record.findRecordByWindow(frame), &record);
    record.UnregisterWindow(frame);
    EXPECT_EQ(record.findRecordByWindow(frame), nullptr);
    record.DestroyFrame(frame);
    EXPECT_EQ(record.Frame(0), nullptr);
}

TEST(HostSimProgram, InfoPrintsEachDllAndGoesOnAfterFailures) {
    std::wstring notADll = BesideTestExe(L"not_a_dll.dll");
    std::ofstream(hostsim::Narrow(notADll)) << "plain text, no PE header";
    auto run = testing_paths::RunProcess(L"\"" + BesideTestExe(L"hostsim.exe") + L"\" info \"" +
                                         notADll + L"\" \"" + BesideTestExe(L"KEFO_NoExport.dll") +
                                         L"\" \"" + BesideTestExe(kProbe) + L"\"");
    EXPECT_NE(run.exitCode, 0u);
    const std::string& out = run.output;
    EXPECT_NE(out.find("not_a_dll.dll\nerror=cannot load"), std::string::npos) << out;
    EXPECT_NE(out.find("KEFO_NoExport.dll\nerror=no KEFO_Processing export"), std::string::npos)
        << out;
    EXPECT_NE(out.find("displayName=Probe Add-on\n"), std::string::npos) << out;
    EXPECT_NE(out.find("addOnVersion=0x00010001 1.1\n"), std::string::npos) << out;
    EXPECT_NE(out.find("minHostVersion=0x00070000 7.0\n"), std::string::npos) << out;
    EXPECT_NE(out.find("helpFile=<null>\ncompanionFiles=probe.txt\n\n"), std::string::npos) << out;
}

// An add-on that throws, raises another compiler's exception, faults or
// ends its runtime in the query gives no answer; hostsim goes on.
TEST(HostSimProgram, InfoGoesOnAfterAddOnsThatFail) {
    std::wstring command = L"\"" + BesideTestExe(L"hostsim.exe") + L"\" info";
    for (int how = 1; how <= 4; ++how) {
        const std::wstring copy = BesideTestExe(L"failing" + std::to_wstring(how) + L".dll");
        ASSERT_TRUE(CopyFileW(BesideTestExe(L"KEFO_Scripted.dll").c_str(), copy.c_str(), FALSE));
        std::ofstream(hostsim::Narrow(copy + L".ini")) << "[info]\nthrow=" << how << "\n";
        command += L" \"" + copy + L"\"";
    }
    auto run = testing_paths::RunProcess(command + L" \"" + BesideTestExe(kProbe) + L"\"");
    EXPECT_EQ(run.exitCode, 1u) << run.output;
    std::size_t noAnswers = 0;
    for (std::size_t at = 0; (at = run.output.find("error=information query answered 0, not 1",
                                                   at)) != std::string::npos;
         ++at)
        ++noAnswers;
    EXPECT_EQ(noAnswers, 4u) << run.output;
    EXPECT_NE(run.output.find("displayName=Probe Add-on\n"), std::string::npos) << run.output;
}

TEST(HostSimProgram, InfoExitsZeroWhenEveryDllAnswers) {
    auto run = testing_paths::RunProcess(L"\"" + BesideTestExe(L"hostsim.exe") + L"\" info \"" +
                                         BesideTestExe(kProbe) + L"\"");
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(run.output.find("error="), std::string::npos);
}

}  // namespace
