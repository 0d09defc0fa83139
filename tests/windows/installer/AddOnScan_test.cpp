// The installer's host object, the information query of real DLLs, folder
// scans of copied DLLs and the start-up sequence with its messages.
#include "installer/scan/AddOnScan.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "AddOnTestSupport.h"
#include "installer/scan/CKEFOParams.h"
#include "installer/scan/Compatibility.h"
#include "installer/wizard/Startup.h"

namespace {

using installer_tests::g_answers;
using installer_tests::g_boxes;
using installer_tests::PutScriptedAddOn;
using installer_tests::TakeBoxTexts;
using installer_tests::TakeQuitMessage;
using installer_tests::TempFolder;
using Texts = std::vector<std::wstring>;

class AddOnScan : public installer_tests::InstallerFixture {
protected:
    void SetUp() override {
        InstallerFixture::SetUp();
        kefo::SetMessageBoxFunction(&installer_tests::ScriptedBox);
        g_answers.clear();
        kefo::g_installer.installedHostVersion = kefo::kHostVersion8_0;
        kefo::g_installer.installedHostEdition = 2;
    }
    void TearDown() override {
        TakeQuitMessage();
        InstallerFixture::TearDown();
    }

    // Queries a DLL (a name beside the tests, or a path) and checks that it
    // is not left loaded.
    static bool Query(const std::wstring& dll, kefo::AddOnRecord& record) {
        const std::wstring path =
            dll.find(L'\\') == std::wstring::npos ? testing_paths::BuiltFile(dll) : dll;
        record = kefo::AddOnRecord{};
        const bool listed = kefo::QueryAddOnInfo(path.c_str(), &record);
        EXPECT_EQ(GetModuleHandleW(path.c_str()), nullptr) << "left loaded";
        return listed;
    }
    static Texts Companions(const kefo::AddOnRecord& record) {
        return {record.companionFiles, record.companionFiles + record.companionFileCount};
    }

    TempFolder folder_{L"kefo_scan_folder"};
};

TEST_F(AddOnScan, HostObjectServices) {
    kefo::AddOnRecord record{};
    kefo::CKEFOParams answer(&record);
    EXPECT_EQ(answer.command, 1);
    EXPECT_EQ(answer.hostVersion, 0x00080000u);
    EXPECT_EQ(answer.StoreSettings(0, nullptr, 0, nullptr) + answer.HostSlot40(1, 2, 3, 4, 5), 2);

    // Only bare file names stay; a name without a terminator in reach is none.
    char endless[400];
    std::memset(endless, 'x', sizeof endless);
    for (const char* unusable :
         std::vector<const char*>{"..\\a.chm", "C:a.chm", "sub/a.chm", "..", "*.chm", endless}) {
        answer.SetHelpFile("Help.chm");
        answer.SetHelpFile(unusable);
        EXPECT_STREQ(record.helpFile, L"") << unusable;
        answer.AddCompanionFile(unusable);
    }
    answer.AddCompanionFile(nullptr);
    for (const char* name : {"1", "2", "3", "4", "5", "6", "7"}) answer.AddCompanionFile(name);
    EXPECT_EQ(Companions(record), (Texts{L"1", L"2", L"3", L"4", L"5"}));

    answer.FormatErrorText(0x7FFF1234u, "CreateFile", nullptr);
    EXPECT_STREQ(answer.hostText,
                 "Unexpected error 2147422772 in the \"CreateFile()\" function ().");

    // buttons is the box type, with an exclamation icon unless it has one;
    // bits that would move the box elsewhere are dropped.
    g_answers = {IDCANCEL, IDYES};
    EXPECT_EQ(answer.ShowMessage(nullptr, "Stop?", 0x40000000, 1), IDCANCEL);
    EXPECT_EQ(answer.ShowMessage(nullptr, nullptr, 0, MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL),
              IDYES);
    ASSERT_EQ(g_boxes.size(), 2u);
    EXPECT_EQ(g_boxes[0].type, static_cast<UINT>(MB_OKCANCEL | MB_ICONEXCLAMATION));
    EXPECT_EQ(g_boxes[1].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(TakeBoxTexts(), (Texts{L"Stop?", L""}));
}

TEST_F(AddOnScan, QueriesOfBuiltDlls) {
    kefo::AddOnRecord record;
    ASSERT_TRUE(Query(L"KEFO_AnalyzerEQ.dll", record));
    EXPECT_STREQ(record.displayName, L"Spectrum Analyzer and Graphic Equalizer Add-on");
    EXPECT_STREQ(record.helpFile, L"KEFO_AnalyzerEQ.chm");
    EXPECT_EQ(record.version, 0x00010001u);
    EXPECT_EQ(record.build + record.isBeta + record.companionFileCount, 0u);
    ASSERT_TRUE(Query(L"KEFO_FrameworkProbe.dll", record));
    EXPECT_EQ(std::wcslen(record.displayName), 63u);
    EXPECT_STREQ(record.helpFile, L"Probe.chm");
    EXPECT_EQ(Companions(record), (Texts{L"first.txt", L"second.txt"}));
    EXPECT_TRUE(g_boxes.empty());

    // The mixer needs the middle edition.
    kefo::g_installer.installedHostEdition = 0;
    EXPECT_FALSE(Query(L"KEFO_DigitalMixer.dll", record));
    EXPECT_EQ(TakeBoxTexts(), Texts{L"Digital Mixer Add-on Version 1.1 requires Tavolin 5.3 "
                                    L"(Presk, Vimmel, or Dorrin Edition). Tavolin 8.0 (Talvo "
                                    L"Edition) is currently installed."});

    // No export: silence. Not a program: the failed load is reported.
    EXPECT_FALSE(Query(L"KEFO_NoExport.dll", record));
    EXPECT_TRUE(g_boxes.empty());
    const std::wstring text = folder_.Path() + L"Text.dll";
    std::FILE* file = _wfopen(text.c_str(), L"w");
    std::fputs("not a program", file);
    std::fclose(file);
    EXPECT_FALSE(Query(text, record));
    const Texts texts = TakeBoxTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find(L"in the \"LoadLibrary(" + text + L")\" function"), std::wstring::npos)
        << texts[0];
}

// A DLL another program holds without sharing (a running host) cannot be
// read: Retry after it is let go lists it, Cancel skips it.
HANDLE g_held = INVALID_HANDLE_VALUE;
int WINAPI LetGoOnRetry(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    const int answer = installer_tests::ScriptedBox(owner, text, caption, type);
    if (answer == IDRETRY) CloseHandle(std::exchange(g_held, INVALID_HANDLE_VALUE));
    return answer;
}

TEST_F(AddOnScan, HeldDllIsListedAfterRetry) {
    const std::wstring path = folder_.Path() + L"Held.dll";
    installer_tests::PutBuiltDll(folder_.Path(), L"Held.dll", L"KEFO_iTunes.dll");
    kefo::SetMessageBoxFunction(&LetGoOnRetry);
    kefo::AddOnRecord record;
    for (const int answer : {IDCANCEL, IDRETRY}) {
        g_held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(g_held, INVALID_HANDLE_VALUE);
        g_answers = {answer};
        EXPECT_EQ(Query(path, record), answer == IDRETRY);
        ASSERT_EQ(g_boxes.size(), 1u);
        EXPECT_EQ(g_boxes[0].type, static_cast<UINT>(MB_RETRYCANCEL | MB_ICONHAND));
        EXPECT_EQ(installer_tests::TakeBoxTexts()[0].find(
                      L"Unexpected error 32 in the \"LoadLibrary(" + path),
                  0u);
        if (g_held != INVALID_HANDLE_VALUE)
            CloseHandle(std::exchange(g_held, INVALID_HANDLE_VALUE));
    }
    EXPECT_NE(record.displayName[0], L'\0');
}

TEST_F(AddOnScan, ScriptedAnswers) {
    const std::wstring& at = folder_.Path();
    PutScriptedAddOn(at, L"Beta.dll",
                     {{L"name", L"Beta"},
                      {L"version", L"0x20011"},
                      {L"build", L"4000000000"},
                      {L"beta", L"7"},
                      {L"companions", L"a|<null>|..\\b|c"}});
    PutScriptedAddOn(at, L"Long.dll", {{L"name", L"*"}});
    PutScriptedAddOn(at, L"Zero.dll", {{L"result", L"0"}, {L"help", L"Z.chm"}});
    PutScriptedAddOn(at, L"Two.dll", {{L"result", L"2"}});
    PutScriptedAddOn(at, L"Throws.dll", {{L"throw", L"1"}});
    PutScriptedAddOn(at, L"Kind8.dll", {{L"kind", L"8"}});
    PutScriptedAddOn(at, L"Later.dll", {{L"minHost", L"0x90000"}, {L"help", L"L.chm"}});

    kefo::AddOnRecord record;
    ASSERT_TRUE(Query(at + L"Beta.dll", record));
    EXPECT_STREQ(record.displayName, L"Beta");
    EXPECT_EQ(record.version, 0x00020011u);
    EXPECT_EQ(record.build, 4000000000u);
    EXPECT_EQ(record.isBeta, 1u);
    EXPECT_EQ(Companions(record), (Texts{L"a", L"c"}));
    ASSERT_TRUE(Query(at + L"Long.dll", record));
    EXPECT_EQ(std::wstring(record.displayName), std::wstring(63, L'N'));

    // Refused without a word, and no file name of theirs kept.
    for (const wchar_t* dll : {L"Zero.dll", L"Two.dll", L"Throws.dll", L"Kind8.dll"}) {
        EXPECT_FALSE(Query(at + dll, record)) << dll;
        EXPECT_STREQ(record.helpFile, L"");
    }
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_FALSE(Query(at + L"Later.dll", record));
    EXPECT_STREQ(record.helpFile, L"");
    EXPECT_EQ(TakeBoxTexts().size(), 1u);
    EXPECT_TRUE(kefo::g_installer.incompatibleSeen);

    // Kind 8 is hidden from hosts of major version 8 on only.
    kefo::g_installer.installedHostVersion = kefo::PackVersion(7, 10);
    EXPECT_TRUE(Query(at + L"Kind8.dll", record));
}

// However an add-on fails in its query, the installer goes on as if it had
// not answered; what the add-on handles itself stays its own business.
TEST_F(AddOnScan, FailingAddOnsCountAsNoAnswer) {
    const std::wstring& at = folder_.Path();
    const wchar_t* const failing[] = {L"Throws.dll", L"ForeignThrow.dll", L"Faults.dll",
                                      L"Aborts.dll"};
    for (int how = 1; how <= 6; ++how)
        PutScriptedAddOn(at,
                         how <= 4 ? failing[how - 1] : L"Handles" + std::to_wstring(how) + L".dll",
                         {{L"throw", std::to_wstring(how)}, {L"help", L"H.chm"}});
    kefo::AddOnRecord record;
    for (int round = 0; round < 2; ++round) {
        for (const wchar_t* dll : failing) {
            EXPECT_FALSE(Query(at + dll, record)) << dll;
            EXPECT_STREQ(record.helpFile, L"") << dll;
        }
    }
    EXPECT_TRUE(g_boxes.empty());
    for (const wchar_t* dll : {L"Handles5.dll", L"Handles6.dll"}) {
        EXPECT_TRUE(Query(at + dll, record)) << dll;
        EXPECT_STREQ(record.helpFile, L"H.chm");
    }

    // In a scan, the failing ones leave their places to the others.
    EXPECT_EQ(kefo::ScanAddOns(at.c_str(), kefo::g_installer.distributionAddOns, 1), 2u);
    EXPECT_TRUE(g_boxes.empty());

    // And this thread's own exceptions are still its own.
    EXPECT_THROW(throw std::string("ours"), std::string);
}

TEST_F(AddOnScan, ScanKeepsTenAcceptedInFileSystemOrder) {
    std::vector<kefo::AddOnRecord> list(kefo::kMaxAddOns);
    EXPECT_EQ(kefo::ScanAddOns(folder_.Path().c_str(), list.data(), 1), 0u);

    // What is not listed takes no place and leaves nothing behind.
    PutScriptedAddOn(folder_.Path(), L"A0.dll", {{L"result", L"0"}, {L"help", L"A.chm"}});
    installer_tests::PutBuiltDll(folder_.Path(), L"A1.dll", L"KEFO_NoExport.dll");
    PutScriptedAddOn(folder_.Path(), L"A2.dllx", {});
    for (int n = 0; n < 11; ++n) {
        const std::wstring name = L"B" + std::to_wstring(n);
        PutScriptedAddOn(folder_.Path(), name + L".dll", {{L"name", name}});
    }
    Texts order;  // the accepted ones as the file system returns them
    WIN32_FIND_DATAW found;
    kefo::UniqueFindHandle search(FindFirstFileW((folder_.Path() + L"B*.dll").c_str(), &found));
    do order.push_back(std::wstring(found.cFileName, std::wcslen(found.cFileName) - 4));
    while (FindNextFileW(search.Get(), &found));

    ASSERT_EQ(kefo::ScanAddOns(folder_.Path().c_str(), list.data(), 0), 10u);
    for (int n = 0; n < 10; ++n) {
        EXPECT_EQ(list[n].displayName, order[n]);
        EXPECT_EQ(list[n].fileName, order[n] + L".dll");
        EXPECT_EQ(list[n].selected, 0u);
        EXPECT_STREQ(list[n].helpFile, L"");
    }
    EXPECT_TRUE(g_boxes.empty());
}

// The start-up sequence against a host installed in the test registry.
class StartUp : public AddOnScan {
protected:
    void SetUp() override {
        AddOnScan::SetUp();
        kefo::g_installer = {};
        kefo::g_installer.wizardWindow = installer_tests::kWizard;
        CreateDirectoryW(addOns_.c_str(), nullptr);
        SetText(L"", L"Version", L"8.0");
        SetText(L"8.0", L"Path", host_.Path());
    }

    TempFolder host_{L"kefo_scan_host"};
    const std::wstring addOns_ = host_.Path() + L"AddOns\\";
    const wchar_t* distribution_ = folder_.Path().c_str();
};

TEST_F(StartUp, FailuresTellWhyAndQuit) {
    std::wstring upper = addOns_;
    CharUpperW(&upper[0]);
    kefo::StartInstallerFrom(upper.c_str());
    EXPECT_EQ(TakeBoxTexts(), Texts{L"Setup cannot be started in the " + addOns_ + L" folder."});
    EXPECT_TRUE(TakeQuitMessage());

    kefo::StartInstallerFrom(distribution_);
    EXPECT_EQ(TakeBoxTexts(), Texts{L"No add-ons found in distribution."});
    EXPECT_TRUE(TakeQuitMessage());

    // Only an add-on for a later host: its warning, then the release text.
    PutScriptedAddOn(distribution_, L"Later.dll", {{L"name", L"Later"}, {L"minHost", L"0x90000"}});
    kefo::StartInstallerFrom(distribution_);
    EXPECT_EQ(TakeBoxTexts(),
              (Texts{L"Later Version 1.1 requires Tavolin 9.0 (any edition). Tavolin 8.0 (Talvo "
                     L"Edition) is currently installed.",
                     L"No add-ons in distribution package for this release of Tavolin."}));
    EXPECT_TRUE(TakeQuitMessage());

    RemoveProductKey();
    kefo::StartInstaller();
    EXPECT_EQ(TakeBoxTexts(), Texts{L"Tavolin is not installed."});
    EXPECT_TRUE(TakeQuitMessage());
}

TEST_F(StartUp, BothListsAreScannedAndMatched) {
    PutScriptedAddOn(distribution_, L"One.dll", {{L"name", L"One"}});
    PutScriptedAddOn(distribution_, L"Two.dll", {{L"name", L"Two"}});
    PutScriptedAddOn(addOns_, L"Old.dll", {{L"name", L"ONE"}, {L"version", L"0x10000"}});
    PutScriptedAddOn(addOns_, L"Three.dll", {{L"name", L"Three"}});
    PutScriptedAddOn(addOns_, L"Top.dll", {{L"name", L"Top"}, {L"edition", L"2"}});

    kefo::StartInstallerFrom(distribution_);
    EXPECT_FALSE(TakeQuitMessage());
    EXPECT_EQ(TakeBoxTexts().size(), 1u);  // the installed one beyond the host's edition
    EXPECT_STREQ(kefo::g_installer.distributionFolder, distribution_);
    ASSERT_EQ(kefo::g_installer.distributionCount, 2u);
    ASSERT_EQ(kefo::g_installer.installedCount, 2u);
    const std::uint32_t one =
        kefo::g_installer.distributionAddOns[0].displayName[1] == L'n' ? 0 : 1;
    EXPECT_EQ(kefo::g_installer.distributionAddOns[one].matched, 1u);
    EXPECT_EQ(kefo::g_installer.distributionAddOns[1 - one].matched, 0u);
    EXPECT_EQ(kefo::CountToInstall(), 2u);
    const kefo::AddOnRecord& old =
        kefo::g_installer.installedAddOns[kefo::g_installer.distributionAddOns[one].matchIndex];
    EXPECT_STREQ(old.fileName, L"Old.dll");
    EXPECT_EQ(old.selected, 1u);
}

// A DLL that is not an add-on is read, never loaded: the recording DLL
// (it leaves a ".loaded" file beside itself when its DllMain runs) under a
// plain name and under the names of system DLLs, and as an image of the
// other machine kind, in both scanned folders. A cut image is refused with
// the failed-load message, as a file that is not a program is.
TEST_F(StartUp, DllsThatAreNotAddOnsAreNeverRun) {
    const std::wstring planted = testing_paths::BesideTestExe(L"KEFO_Planted.dll");
    std::vector<std::wstring> markers;
    for (const std::wstring& folder : {folder_.Path(), addOns_}) {
        for (const wchar_t* name : {L"helper.dll", L"winmm.dll", L"comctl32.dll", L"other.dll"}) {
            ASSERT_TRUE(CopyFileW(planted.c_str(), (folder + name).c_str(), FALSE));
            markers.push_back(folder + name + L".loaded");
        }
        // The same DLL built for the other machine kind.
        std::FILE* file = _wfopen((folder + L"other.dll").c_str(), L"r+b");
        ASSERT_NE(file, nullptr);
        std::int32_t header = 0;
        std::fseek(file, 0x3C, SEEK_SET);
        ASSERT_EQ(std::fread(&header, sizeof header, 1, file), 1u);
        const std::uint16_t other =
            sizeof(void*) == 8 ? IMAGE_FILE_MACHINE_I386 : IMAGE_FILE_MACHINE_AMD64;
        std::fseek(file, header + 4, SEEK_SET);
        std::fwrite(&other, sizeof other, 1, file);
        std::fclose(file);
    }
    PutScriptedAddOn(distribution_, L"One.dll", {{L"name", L"One"}});
    PutScriptedAddOn(addOns_, L"Two.dll", {{L"name", L"Two"}});
    // The add-on cut off inside its section table.
    const std::wstring cut = addOns_ + L"Cut.dll";
    {
        std::FILE* from = _wfopen((addOns_ + L"Two.dll").c_str(), L"rb");
        std::FILE* to = _wfopen(cut.c_str(), L"wb");
        ASSERT_TRUE(from && to);
        char head[400];
        ASSERT_EQ(std::fread(head, 1, sizeof head, from), sizeof head);
        std::fwrite(head, 1, sizeof head, to);
        std::fclose(from);
        std::fclose(to);
    }

    kefo::StartInstallerFrom(distribution_);
    EXPECT_FALSE(TakeQuitMessage());
    ASSERT_EQ(kefo::g_installer.distributionCount, 1u);
    EXPECT_STREQ(kefo::g_installer.distributionAddOns[0].displayName, L"One");
    ASSERT_EQ(kefo::g_installer.installedCount, 1u);
    EXPECT_STREQ(kefo::g_installer.installedAddOns[0].displayName, L"Two");
    for (const std::wstring& marker : markers)
        EXPECT_EQ(GetFileAttributesW(marker.c_str()), INVALID_FILE_ATTRIBUTES)
            << std::string(marker.begin(), marker.end()) << ": its DllMain ran";
    const Texts texts = TakeBoxTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].find(L"Unexpected error 193 in the \"LoadLibrary(" + cut + L")\""), 0u)
        << texts[0];

    // The recording DLL does record a load.
    const std::wstring loaded = folder_.Path() + L"helper.dll";
    kefo::UniqueHModule module(LoadLibraryW(loaded.c_str()));
    ASSERT_TRUE(module);
    EXPECT_NE(GetFileAttributesW((loaded + L".loaded").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
