// The file work of the installation in temporary distribution and add-ons
// folders, with the message boxes recorded and answered by the test, and
// the Install Process page built from the installer's own resources.
#include "installer/install/FileInstallation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "InstallerTestSupport.h"
#include "installer/install/FileCalls.h"
#include "installer/InstallerText.h"
#include "installer/install/InterruptedInstallation.h"
#include "installer/resource.h"
#include "support/BoundedText.h"

namespace {

using installer_tests::g_boxes;
using kefo::g_installer;

using kefo::UniqueFile;
using kefo::UniqueWindow;

std::deque<int> g_answers;             // given to the boxes in turn; OK when none is left
std::function<void()> g_beforeAnswer;  // runs while a box is "open"

int WINAPI AnswerBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    installer_tests::RecordBox(owner, text, caption, type);
    if (g_beforeAnswer) g_beforeAnswer();
    if (g_answers.empty()) return IDOK;
    const int answer = g_answers.front();
    g_answers.pop_front();
    return answer;
}

void Put(const std::wstring& path, const std::string& text) {
    UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(file && WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()),
                                  &written, nullptr));
}

// The file's text; "-" when it cannot be opened.
std::string Content(const std::wstring& path) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr));
    char buffer[256];
    DWORD read = 0;
    if (!file || !ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) return "-";
    return std::string(buffer, read);
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    kefo::UniqueFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &found));
    for (bool more = static_cast<bool>(find); more; more = FindNextFileW(find.Get(), &found)) {
        const std::wstring name = found.cFileName, path = folder + L"\\" + name;
        if (name == L"." || name == L"..") continue;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
        DeleteFileW(path.c_str());
    }
    find.Reset();
    RemoveDirectoryW(folder.c_str());
}

class FileInstallation : public installer_tests::InstallerFixture {
protected:
    void SetUp() override {
        InstallerFixture::SetUp();
        kefo::SetMessageBoxFunction(&AnswerBox);
        g_answers.clear();
        g_beforeAnswer = nullptr;
        wchar_t temp[MAX_PATH] = {};
        ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
        root_ = std::wstring(temp) + L"kefo_files_" + std::to_wstring(GetCurrentProcessId());
        RemoveTree(root_);
        ASSERT_TRUE(CreateDirectoryW(root_.c_str(), nullptr));
        dist_ = root_ + L"\\dist\\";
        addOns_ = root_ + L"\\host\\AddOns\\";
        for (const std::wstring& folder : {dist_, root_ + L"\\host", addOns_})
            CreateDirectoryW(folder.c_str(), nullptr);
        kefo::CopyCut(g_installer.hostFolder, (root_ + L"\\host").c_str());
        kefo::CopyCut(g_installer.addOnsFolder, addOns_.c_str());
        kefo::CopyCut(g_installer.distributionFolder, dist_.c_str());
    }
    void TearDown() override {
        g_beforeAnswer = nullptr;
        RemoveTree(root_);
        InstallerFixture::TearDown();
    }

    // A record with its files on disk, each holding "<list>:<name>". Files:
    // the DLL, the help file ("" for none), then the companion files.
    kefo::AddOnRecord& Add(bool installed, const wchar_t* name, std::uint32_t version,
                           const std::vector<const wchar_t*>& files) {
        kefo::AddOnRecord* list =
            installed ? g_installer.installedAddOns : g_installer.distributionAddOns;
        std::uint32_t& count =
            installed ? g_installer.installedCount : g_installer.distributionCount;
        kefo::AddOnRecord& addOn = list[count++];
        kefo::CopyCut(addOn.displayName, name);
        addOn.version = version;
        addOn.selected = installed ? 0 : 1;
        const wchar_t* const* file = files.data();
        kefo::CopyCut(addOn.fileName, file[0]);
        if (files.size() > 1) kefo::CopyCut(addOn.helpFile, file[1]);
        for (std::size_t i = 2; i < files.size(); ++i)
            kefo::CopyCut(addOn.companionFiles[addOn.companionFileCount++], file[i]);
        for (const wchar_t* f : files)
            if (*f) Put((installed ? addOns_ : dist_) + f, Tag(installed, f));
        return addOn;
    }
    // The distribution record replaces the installed one, as the Select page leaves it.
    static void Replace(kefo::AddOnRecord& d, std::uint32_t installedIndex) {
        d.matched = 1;
        d.matchIndex = installedIndex;
        g_installer.installedAddOns[installedIndex].selected = d.selected;
    }
    static std::string Tag(bool installed, const std::wstring& name) {
        return (installed ? "old:" : "new:") + std::string(name.begin(), name.end());
    }
    std::string Installed(const wchar_t* name) const { return Content(addOns_ + name); }

    // Every file in the add-ons folder with its content, read-only or not.
    using Files = std::map<std::wstring, std::string>;
    Files Listing() const {
        Files files;
        WIN32_FIND_DATAW found;
        kefo::UniqueFindHandle find(FindFirstFileW((addOns_ + L"*").c_str(), &found));
        for (bool more = static_cast<bool>(find); more; more = FindNextFileW(find.Get(), &found))
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                files[found.cFileName] = Content(addOns_ + found.cFileName);
        return files;
    }

    // The one box shown, its text; every box has the wizard as owner and the caption.
    static std::wstring Box(UINT type = MB_OK | MB_ICONHAND) {
        EXPECT_EQ(g_boxes.size(), 1u);
        if (g_boxes.empty()) return L"(no box)";
        const installer_tests::RecordedBox box = g_boxes.back();
        g_boxes.clear();
        EXPECT_EQ(box.owner, g_installer.wizardWindow);
        EXPECT_EQ(box.caption, kefo::LoadInstallerString(IDS_MESSAGE_CAPTION));
        EXPECT_EQ(box.type, type);
        return box.text;
    }

    std::wstring root_, dist_, addOns_;
};

TEST_F(FileInstallation, CopiesSelectedAddOnsAndRemovesOnlyWhatTheyReplace) {
    kefo::AddOnRecord& a = Add(false, L"A", 0x10001, {L"A.dll", L"A.chm", L"A1.dat", L"A2.dat"});
    kefo::CopyCut(a.companionFiles[2], L"A3.dat");  // beyond the count: not the add-on's
    Put(dist_ + L"A3.dat", "x");
    Add(false, L"B", 0x10000, {L"B.dll", L""}).selected = 0;
    Add(true, L"C", 0x10002, {L"C.dll"});
    Replace(Add(false, L"C", 0x10001, {L"C.dll"}), 0);  // older: never copied
    Add(true, L"X", 0x10000, {L"X.dll", L"X.chm", L"X1.dat", L"..\\outside.dat"});
    ASSERT_TRUE(DeleteFileW((addOns_ + L"X.chm").c_str()));  // already gone counts as removed
    Put(root_ + L"\\host\\outside.dat", "keep");
    Add(true, L"Y", 0x10000, {L"Y.dll"});
    Add(true, L"y", 0x10000, {L"Y2.dll"});  // same name; its counterpart is unchecked
    Replace(Add(false, L"X", 0x10001, {L"X.dll"}), 1);
    Add(false, L"W", 0x10000, {L"W.dll", L"", L"X1.dat"});  // brings what X leaves
    kefo::AddOnRecord& y = Add(false, L"Y", 0x10001, {L"Y.dll"});
    Replace(y, 2);
    Replace(y, 3);
    y.selected = 0;
    g_installer.installedAddOns[3].selected = 0;  // only the last match follows the box
    ASSERT_TRUE(kefo::InstallSelectedAddOns());
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_EQ(Listing(), (Files{{L"A.dll", "new:A.dll"},
                                {L"A.chm", "new:A.chm"},
                                {L"A1.dat", "new:A1.dat"},
                                {L"A2.dat", "new:A2.dat"},
                                {L"C.dll", "old:C.dll"},
                                {L"W.dll", "new:W.dll"},
                                {L"X.dll", "new:X.dll"},
                                {L"X1.dat", "new:X1.dat"},
                                {L"Y.dll", "old:Y.dll"},
                                {L"Y2.dll", "old:Y2.dll"}}));
    EXPECT_EQ(Content(root_ + L"\\host\\outside.dat"), "keep");

    // A file that is not in the distribution fails before anything changes.
    ASSERT_TRUE(DeleteFileW((dist_ + L"A1.dat").c_str()));
    const Files before = Listing();
    EXPECT_FALSE(kefo::InstallSelectedAddOns());
    EXPECT_EQ(Listing(), before);
    EXPECT_EQ(Box(), kefo::FormatInstallerString(IDS_UNEXPECTED_ERROR, ERROR_FILE_NOT_FOUND,
                                                 L"CopyFile", addOns_ + L"A1.dat",
                                                 kefo::SystemErrorText(ERROR_FILE_NOT_FOUND)));
}

TEST_F(FileInstallation, ReadOnlyAndHeldFilesAreAskedAboutFirst) {
    Add(true, L"R", 0x10000, {L"R.dll", L"R.chm"});
    Replace(Add(false, L"R", 0x10001, {L"R.dll", L"R.chm"}), 0);
    const std::wstring dll = addOns_ + L"R.dll", help = addOns_ + L"R.chm";
    ASSERT_TRUE(SetFileAttributesW(dll.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::wstring question = kefo::FormatInstallerString(IDS_CONFIRM_OVERWRITE_READONLY, dll);
    g_answers = {IDNO};
    EXPECT_FALSE(kefo::InstallSelectedAddOns());
    EXPECT_EQ(Box(MB_YESNO | MB_ICONQUESTION), question);
    EXPECT_EQ(Installed(L"R.dll"), "old:R.dll");

    // Held open without sharing, as a running host may hold it: Retry
    // until it is let go, or Cancel with nothing changed.
    UniqueFile lock(CreateFileW(help.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    g_answers = {IDYES, IDRETRY, IDCANCEL};
    EXPECT_FALSE(kefo::InstallSelectedAddOns());
    ASSERT_EQ(g_boxes.size(), 3u);
    const std::wstring inUse =
        kefo::FormatInstallerString(IDS_DELETE_FAILED, help, ERROR_SHARING_VIOLATION,
                                    kefo::SystemErrorText(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(g_boxes[1].text, inUse);
    EXPECT_EQ(g_boxes[1].type, static_cast<UINT>(MB_RETRYCANCEL | MB_ICONEXCLAMATION));
    EXPECT_TRUE(GetFileAttributesW(dll.c_str()) & FILE_ATTRIBUTE_READONLY);
    lock.Reset();
    EXPECT_EQ(Installed(L"R.chm"), "old:R.chm");

    g_boxes.clear();
    lock.Reset(CreateFileW(help.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    g_answers = {IDYES, IDRETRY, IDRETRY};
    g_beforeAnswer = [&] {
        if (g_boxes.size() == 3) lock.Reset();
    };
    EXPECT_TRUE(kefo::InstallSelectedAddOns());
    EXPECT_EQ(g_boxes.size(), 3u);
    EXPECT_EQ(Listing(), (Files{{L"R.dll", "new:R.dll"}, {L"R.chm", "new:R.chm"}}));

    // A folder in the way is never removed.
    ASSERT_TRUE(DeleteFileW(help.c_str()));
    ASSERT_TRUE(CreateDirectoryW(help.c_str(), nullptr));
    g_boxes.clear();
    EXPECT_FALSE(kefo::InstallSelectedAddOns());
    EXPECT_NE(Box().find(L"DeleteFile(" + help + L")"), std::wstring::npos);
    EXPECT_EQ(Installed(L"R.dll"), "new:R.dll");
}

TEST_F(FileInstallation, LeftoversThatNoJournalExplainsNeverBlockARun) {
    // As an installer that kept no journal left them: an add-on moved aside
    // and never replaced, a moved-aside file beside its successor, a part copy.
    Add(true, L"A", 0x10000, {L"A.dll", L"A.chm"});
    Replace(Add(false, L"A", 0x10001, {L"A.dll", L"A.chm"}), 0);
    ASSERT_TRUE(MoveFileW((addOns_ + L"A.dll").c_str(), (addOns_ + L"A.dll.kefo-old").c_str()));
    Put(addOns_ + L"A.chm.kefo-old", "older:A.chm");
    Put(addOns_ + L"A.dll.kefo-new", "part");
    EXPECT_TRUE(kefo::RecoverInterruptedInstallation());
    EXPECT_EQ(Box(MB_OK | MB_ICONINFORMATION),
              kefo::FormatInstallerString(IDS_LEFTOVERS_CLEANED, addOns_));
    EXPECT_EQ(Listing(), (Files{{L"A.dll", "old:A.dll"}, {L"A.chm", "old:A.chm"}}));
    EXPECT_TRUE(kefo::RecoverInterruptedInstallation());
    EXPECT_TRUE(g_boxes.empty()) << "nothing to tell the second time";

    // Found only when installing, they are put in order first.
    Put(addOns_ + L"A.dll.kefo-old", "older:A.dll");
    EXPECT_TRUE(kefo::InstallSelectedAddOns());
    EXPECT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(Listing(), (Files{{L"A.dll", "new:A.dll"}, {L"A.chm", "new:A.chm"}}));

    // A journal that cannot be followed is kept, and told with the reason.
    const std::wstring journal = addOns_ + L"KEFO_Install.kefo-journal";
    Put(journal, "");
    UniqueFile lock(
        CreateFileW(journal.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    g_boxes.clear();
    EXPECT_FALSE(kefo::InstallSelectedAddOns());
    EXPECT_EQ(Box(MB_OK | MB_ICONEXCLAMATION),
              kefo::FormatInstallerString(IDS_UNFINISHED_FAILED, addOns_, ERROR_SHARING_VIOLATION,
                                          L"ReadFile", journal,
                                          kefo::SystemErrorText(ERROR_SHARING_VIOLATION)));
    lock.Reset();
    EXPECT_TRUE(kefo::RecoverInterruptedInstallation());
    EXPECT_EQ(Box(MB_OK | MB_ICONINFORMATION),
              kefo::FormatInstallerString(IDS_UNFINISHED_UNDONE, addOns_));
    EXPECT_EQ(Listing(), (Files{{L"A.dll", "new:A.dll"}, {L"A.chm", "new:A.chm"}}));
}

// ---------------------------------------------------------------------------
// Fault injection: every file call of a whole installation fails in turn,
// and every question is answered No or Cancel in turn. After each run every
// add-on is its complete old or its complete new set of files, byte for
// byte, with nothing else left in the folder.

// Thrown by the call at which the process "dies": nothing after it runs,
// no undo; only the handles are closed, as the system closes them.
struct Crash {};

struct Faults {
    static inline kefo::FileCalls real{};
    static inline int calls = 0, failAt = 0;
    static inline DWORD code = ERROR_DISK_FULL;
    static inline bool crash = false;
    // Whether this call fails; partly leaves what the call does before it
    // fails or dies (a copy or a write cut short).
    static bool Fails(const std::function<void()>& partly = {}) {
        if (++calls != failAt) return false;
        if (partly) partly();
        if (crash) throw Crash{};
        SetLastError(code);
        return true;
    }
    static DWORD WINAPI GetAttributes(LPCWSTR p) {
        return Fails() ? INVALID_FILE_ATTRIBUTES : real.getAttributes(p);
    }
    static BOOL WINAPI SetAttributes(LPCWSTR p, DWORD a) {
        return Fails() ? FALSE : real.setAttributes(p, a);
    }
    static BOOL WINAPI Delete(LPCWSTR p) { return Fails() ? FALSE : real.deleteFile(p); }
    static BOOL WINAPI Move(LPCWSTR f, LPCWSTR t, DWORD x) {
        return Fails() ? FALSE : real.moveFile(f, t, x);
    }
    static BOOL WINAPI Copy(LPCWSTR f, LPCWSTR t, BOOL x) {
        // A full disk leaves part of the copy behind.
        return Fails([t] { Put(t, "part"); }) ? FALSE : real.copyFile(f, t, x);
    }
    static HANDLE WINAPI Open(LPCWSTR p) {
        return Fails() ? INVALID_HANDLE_VALUE : real.openForDelete(p);
    }
    static BOOL WINAPI Mark(HANDLE h, BOOL r) { return Fails() ? FALSE : real.markForDelete(h, r); }
    static BOOL WINAPI Flush(LPCWSTR p) { return Fails() ? FALSE : real.flushFile(p); }
    static BOOL WINAPI Append(LPCWSTR p, const void* data, DWORD size) {
        // Half a record reaches the disk.
        return Fails([&] { real.appendToFile(p, data, size / 2); })
                   ? FALSE
                   : real.appendToFile(p, data, size);
    }
};

// One add-on as the test sees it: the files it has installed and in the
// distribution ("" for none).
struct Scenario {
    const char* name;
    std::vector<std::vector<const wchar_t*>> oldFiles, newFiles;
};
void PrintTo(const Scenario& scenario, std::ostream* out) {
    *out << scenario.name;
}

class FaultInjection : public FileInstallation, public testing::WithParamInterface<Scenario> {
protected:
    // The scenario's folders: installed add-ons marked for replacing by the
    // distribution add-on of the same name, read-only files and a file held
    // open as given.
    void Prepare() {
        RemoveTree(root_);
        CreateDirectoryW(root_.c_str(), nullptr);
        for (const std::wstring& folder : {dist_, root_ + L"\\host", addOns_})
            CreateDirectoryW(folder.c_str(), nullptr);
        g_installer.installedCount = g_installer.distributionCount = 0;
        for (auto& record : g_installer.installedAddOns) record = {};
        for (auto& record : g_installer.distributionAddOns) record = {};
        const Scenario& s = GetParam();
        std::vector<int> installedIndex;
        for (std::size_t a = 0; a < s.oldFiles.size(); ++a) {
            installedIndex.push_back(-1);
            if (s.oldFiles[a].empty()) continue;
            installedIndex.back() = static_cast<int>(g_installer.installedCount);
            Add(true, Name(a).c_str(), 0x10000, s.oldFiles[a]);
        }
        for (std::size_t a = 0; a < s.newFiles.size(); ++a) {
            if (s.newFiles[a].empty()) continue;
            kefo::AddOnRecord& d = Add(false, Name(a).c_str(), 0x10001, s.newFiles[a]);
            if (installedIndex[a] >= 0) Replace(d, static_cast<std::uint32_t>(installedIndex[a]));
        }
        for (const auto& files : s.oldFiles)
            for (const wchar_t* f : files)
                if (f[0] == L'r')
                    SetFileAttributesW((addOns_ + f).c_str(), FILE_ATTRIBUTE_READONLY);
        // A file whose name starts with "h" is held open, as by the host.
        for (const auto& files : s.oldFiles)
            for (const wchar_t* f : files)
                if (f[0] == L'h')
                    held_.Reset(CreateFileW((addOns_ + f).c_str(), GENERIC_READ, 0, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
    }
    static std::wstring Name(std::size_t a) { return L"AddOn" + std::to_wstring(a); }

    // The answers: Yes or Retry to the first questions, No or Cancel to the
    // one numbered refuseAt (from 1; 0: none). Retry lets the held file go.
    static int WINAPI Answer(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
        installer_tests::RecordBox(owner, text, caption, type);
        const bool question = (type & MB_TYPEMASK) != MB_OK;
        if (!question) return IDOK;
        const bool refuse = ++questions_ == refuseAt_;
        if ((type & MB_TYPEMASK) == MB_YESNO) return refuse ? IDNO : IDYES;
        if (!refuse) self_->held_.Reset();
        return refuse ? IDCANCEL : IDRETRY;
    }

    // Runs one installation; whether it succeeded (or, with Faults::crash,
    // whether it died).
    bool Run(int failAt, int refuseAt) {
        Prepare();
        g_boxes.clear();
        Faults::calls = questions_ = 0;
        Faults::failAt = failAt;
        refuseAt_ = refuseAt;
        self_ = this;
        kefo::SetMessageBoxFunction(&Answer);
        const kefo::FileCalls faulty = {
            &Faults::GetAttributes, &Faults::SetAttributes, &Faults::Delete,
            &Faults::Move,          &Faults::Copy,          &Faults::Open,
            &Faults::Mark,          &Faults::Flush,         &Faults::Append};
        Faults::real = kefo::SetFileCalls(&faulty);
        bool ok = false;
        try {
            ok = kefo::InstallSelectedAddOns();
        } catch (const Crash&) {
            ok = true;
        }
        kefo::SetFileCalls(nullptr);
        held_.Reset();
        return ok;
    }

    // Whether anything the installation writes for itself is in the folder.
    bool AnythingLeft() const {
        for (const auto& file : Listing())
            if (file.first.find(L".kefo-") != std::wstring::npos) return true;
        return false;
    }

    // Checks that each add-on is complete, old or new, and nothing else is
    // there; how many are new.
    std::size_t CheckEachAddOnComplete() {
        const Scenario& s = GetParam();
        Files left = Listing();
        std::size_t replaced = 0;
        for (std::size_t a = 0; a < s.oldFiles.size(); ++a) {
            Files oldSet, newSet, found;
            for (const wchar_t* f : s.oldFiles[a])
                if (*f) oldSet[f] = Tag(true, f);
            for (const wchar_t* f : s.newFiles[a])
                if (*f) newSet[f] = Tag(false, f);
            for (const auto* set : {&oldSet, &newSet})
                for (const auto& file : *set)
                    if (left.count(file.first)) found[file.first] = left[file.first];
            for (const auto& file : found) left.erase(file.first);
            EXPECT_TRUE(found == oldSet || found == newSet) << Name(a).c_str();
            replaced += !newSet.empty() && found == newSet;
        }
        EXPECT_TRUE(left.empty()) << "left behind: " << left.size() << " files";
        return replaced;
    }

    UniqueFile held_;
    static inline int questions_ = 0, refuseAt_ = 0;
    static inline FaultInjection* self_ = nullptr;
};

TEST_P(FaultInjection, EveryAddOnStaysCompleteWhateverFails) {
    Faults::code = ERROR_DISK_FULL;
    std::size_t copied = 0;
    for (const auto& files : GetParam().newFiles) copied += !files.empty();
    ASSERT_TRUE(Run(0, 0));
    EXPECT_EQ(CheckEachAddOnComplete(), copied);
    const int calls = Faults::calls, questions = questions_;
    std::printf("%s: %d file calls and %d questions, each failed or refused in turn\n",
                GetParam().name, calls, questions);

    for (int n = 1; n <= calls; ++n) {
        SCOPED_TRACE("call " + std::to_string(n) + " fails");
        EXPECT_FALSE(Run(n, 0));
        EXPECT_EQ(CheckEachAddOnComplete(), 0u);
        ASSERT_FALSE(g_boxes.empty());
        EXPECT_EQ(g_boxes.back().type, static_cast<UINT>(MB_OK | MB_ICONHAND));
        EXPECT_EQ(g_boxes.back().text.find(L"Unexpected error 112 in the \""), 0u);
    }
    for (int q = 1; q <= questions; ++q) {
        SCOPED_TRACE("question " + std::to_string(q) + " refused");
        EXPECT_FALSE(Run(0, q));
        EXPECT_EQ(CheckEachAddOnComplete(), 0u);
        EXPECT_EQ(g_boxes.size(), static_cast<std::size_t>(q)) << "nothing told after a refusal";
    }
    // A file found in use part-way: the question again, Retry goes on and
    // Cancel undoes everything (calls that cannot be retried fail as above).
    Faults::code = ERROR_SHARING_VIOLATION;
    for (const int refuse : {0, questions + 1}) {
        int installed = 0;
        for (int n = 1; n <= calls; ++n) {
            SCOPED_TRACE("call " + std::to_string(n) + " finds the file in use" +
                         (refuse ? ", Cancel" : ", Retry"));
            const bool ok = Run(n, refuse);
            installed += ok;
            EXPECT_EQ(CheckEachAddOnComplete(), ok ? copied : 0u);
        }
        std::printf(
            "%s: a file in use at each call in turn, %s: %d installed, %d left as they were\n",
            GetParam().name, refuse ? "Cancel" : "Retry", installed, calls - installed);
    }
    Faults::code = ERROR_DISK_FULL;
}

TEST_P(FaultInjection, ACrashAtAnyCallIsPutInOrderByTheNextRun) {
    std::size_t copied = 0;
    for (const auto& files : GetParam().newFiles) copied += !files.empty();
    Faults::crash = false;
    ASSERT_TRUE(Run(0, 0));
    const int calls = Faults::calls;
    const std::wstring undone = kefo::FormatInstallerString(IDS_UNFINISHED_UNDONE, addOns_),
                       completed = kefo::FormatInstallerString(IDS_UNFINISHED_COMPLETED, addOns_);
    int rolledBack = 0, finished = 0;
    for (int n = 1; n <= calls; ++n) {
        SCOPED_TRACE("the process dies at call " + std::to_string(n));
        Faults::crash = true;
        EXPECT_TRUE(Run(n, 0));
        Faults::crash = false;
        const bool left = AnythingLeft();

        // The next run starts by putting the folder in order, and says so once.
        g_boxes.clear();
        EXPECT_TRUE(kefo::RecoverInterruptedInstallation());
        ASSERT_EQ(g_boxes.size(), left ? 1u : 0u);
        const std::size_t replaced = CheckEachAddOnComplete();
        EXPECT_TRUE(replaced == 0 || replaced == copied) << "all add-ons or none";
        if (left) {
            EXPECT_EQ(g_boxes[0].text, replaced ? completed : undone);
            EXPECT_EQ(g_boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
        }
        ++(replaced ? finished : rolledBack);

        // ... and then replaces the same add-ons.
        g_boxes.clear();
        questions_ = 0;
        EXPECT_TRUE(kefo::InstallSelectedAddOns());
        EXPECT_EQ(CheckEachAddOnComplete(), copied);
    }
    std::printf(
        "%s: the process died at each of %d file calls: %d undone, %d finished by the "
        "next run\n",
        GetParam().name, calls, rolledBack, finished);
}

// "r..." files are read-only, "h..." held open by another program.
INSTANTIATE_TEST_SUITE_P(
    Installations, FaultInjection,
    testing::Values(
        Scenario{"OneAddOn", {{L"A.dll", L"A.chm", L"rA1.dat"}}, {{L"A.dll", L"A.chm", L"A2.dat"}}},
        // The same version replaced on Yes beside a read-only installed
        // add-on, a new one, one held open and one left alone.
        Scenario{"SeveralAddOns",
                 {{L"KEFO_AnalyzerEQ.dll", L"KEFO_AnalyzerEQ.chm"},
                  {L"rKEFO_iTunes.dll"},
                  {},
                  {L"hM.dll", L"M.chm"},
                  {L"Z.dll"}},
                 {{L"KEFO_AnalyzerEQ.dll", L"KEFO_AnalyzerEQ.chm"},
                  {L"rKEFO_iTunes.dll", L""},
                  {L"KEFO_DigitalMixer.dll"},
                  {L"hM.dll", L"M.chm", L"M1.dat"},
                  {}}}),
    [](const testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// The whole run on a real Install Process page, inside a stand-in sheet with
// a disabled Finish button.

class InstallationRun : public FileInstallation {
protected:
    void SetUp() override {
        FileInstallation::SetUp();
        sheet_.Reset(CreateWindowExW(0, L"#32770", L"sheet", WS_POPUP | WS_VISIBLE, 0, 0, 600, 400,
                                     nullptr, nullptr, nullptr, nullptr));
        ASSERT_TRUE(sheet_);
        CreateWindowExW(0, L"BUTTON", L"Finish", WS_CHILD | WS_VISIBLE | WS_DISABLED, 500, 350, 80,
                        24, sheet_.Get(), reinterpret_cast<HMENU>(IDCANCEL), nullptr, nullptr);
        page_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_INSTALL),
                                   sheet_.Get(), &PageProc, 0);
        ASSERT_NE(page_, nullptr);
        ShowWindow(page_, SW_SHOW);
        g_installer.wizardWindow = sheet_.Get();
        g_installer.installing = true;
        SetForegroundWindow(sheet_.Get());
    }
    void TearDown() override {
        sheet_.Reset();
        FileInstallation::TearDown();
    }
    static INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM, LPARAM) {
        if (message != WM_INITDIALOG) return FALSE;
        ShowWindow(GetDlgItem(page, IDC_RESULT_MARK), SW_HIDE);
        ShowWindow(GetDlgItem(page, IDC_RESULT_TEXT), SW_HIDE);
        return TRUE;
    }

    // Runs the installation and checks what every outcome shows; the result text.
    std::wstring Run(bool ok) {
        kefo::RunInstallation(page_);
        EXPECT_FALSE(g_installer.installing);
        const HWND finish = GetDlgItem(sheet_.Get(), IDCANCEL);
        EXPECT_TRUE(IsWindowEnabled(finish));
        EXPECT_EQ(GetFocus(), finish);
        const HWND mark = GetDlgItem(page_, IDC_RESULT_MARK),
                   text = GetDlgItem(page_, IDC_RESULT_TEXT);
        EXPECT_TRUE(IsWindowVisible(mark));
        EXPECT_TRUE(IsWindowVisible(text));
        EXPECT_EQ(Weight(text), FW_BOLD);
        EXPECT_EQ(SendDlgItemMessageW(page_, IDC_STEP_LABEL, WM_GETFONT, 0, 0),
                  SendMessageW(page_, WM_GETFONT, 0, 0));
        // Left of the centre of the mark is its disc: green or red.
        const auto bitmap =
            reinterpret_cast<HBITMAP>(SendMessageW(mark, STM_GETIMAGE, IMAGE_BITMAP, 0));
        kefo::UniqueHDC dc(CreateCompatibleDC(nullptr));
        const kefo::UniqueSelection selected = kefo::SelectIntoDC(dc.Get(), bitmap);
        const COLORREF disc = GetPixel(dc.Get(), 3, 8);
        EXPECT_GT(ok ? GetGValue(disc) : GetRValue(disc),
                  (ok ? GetRValue(disc) : GetGValue(disc)) + 60);
        wchar_t shown[128] = {};
        GetWindowTextW(text, shown, 128);
        return shown;
    }
    static LONG Weight(HWND window) {
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font,
                   &font);
        return font.lfWeight;
    }

    UniqueWindow sheet_;
    HWND page_ = nullptr;  // destroyed with the sheet
};

TEST_F(InstallationRun, CreatesTheFolderReplacesAndTellsARunningHost) {
    RemoveTree(addOns_);
    Add(false, L"A", 0x10001, {L"A.dll", L"A.chm"});
    EXPECT_EQ(Run(true), L"The installation completed successfully.");
    EXPECT_TRUE(g_boxes.empty()) << "no host is running";
    EXPECT_EQ(Installed(L"A.chm"), "new:A.chm");

    // The host's main window stands for the running host.
    WNDCLASSW host{};
    host.lpfnWndProc = &DefWindowProcW;
    host.lpszClassName = L"TavolinWndClass";
    RegisterClassW(&host);
    UniqueWindow hostWindow(CreateWindowExW(0, L"TavolinWndClass", L"", WS_POPUP, 0, 0, 1, 1,
                                            nullptr, nullptr, nullptr, nullptr));
    Add(true, L"A", 0x10000, {L"A.dll", L"A.chm", L"A1.dat"});
    Replace(g_installer.distributionAddOns[0], 0);
    EXPECT_EQ(Run(true), L"The installation completed successfully.");
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].text, kefo::LoadInstallerString(IDS_RESTART_HOST));
    EXPECT_EQ(g_boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(Installed(L"A.dll"), "new:A.dll");
    EXPECT_EQ(Installed(L"A1.dat"), "-");
}

TEST_F(InstallationRun, NothingIsDeletedWhenTheCopyCannotSucceed) {
    Add(true, L"A", 0x10000, {L"A.dll", L"A.chm"});
    kefo::AddOnRecord& a = Add(false, L"A", 0x10001, {L"A.dll", L"A.chm", L"A1.dat"});
    Replace(a, 0);
    ASSERT_TRUE(DeleteFileW((dist_ + L"A1.dat").c_str()));
    const std::wstring failed = kefo::LoadInstallerString(IDS_INSTALL_FAILED);
    EXPECT_EQ(Run(false), failed);
    EXPECT_NE(Box().find(L"CopyFile(" + addOns_ + L"A1.dat)"), std::wstring::npos);
    // A name too long for a path in the add-ons folder.
    kefo::CopyCut(a.companionFiles[0], std::wstring(250, L'a').c_str());
    EXPECT_EQ(Run(false), failed);
    EXPECT_EQ(Box().find(L"Unexpected error 206 in the \"CopyFile("), 0u);
    EXPECT_EQ(Installed(L"A.dll"), "old:A.dll");
    EXPECT_EQ(Installed(L"A.chm"), "old:A.chm");

    // A read-only file kept on No fails before anything is copied.
    Put(dist_ + L"A1.dat", "x");
    kefo::CopyCut(a.companionFiles[0], L"A1.dat");
    SetFileAttributesW((addOns_ + L"A.dll").c_str(), FILE_ATTRIBUTE_READONLY);
    g_answers = {IDNO};
    EXPECT_EQ(Run(false), failed);
    EXPECT_EQ(Box(MB_YESNO | MB_ICONQUESTION),
              kefo::FormatInstallerString(IDS_CONFIRM_OVERWRITE_READONLY, addOns_ + L"A.dll"));
    EXPECT_EQ(Installed(L"A1.dat"), "-");
}

TEST_F(InstallationRun, FolderThatCannotBeCreatedFailsTheInstallation) {
    const std::wstring folder = root_ + L"\\missing\\AddOns";
    kefo::CopyCut(g_installer.addOnsFolder, (folder + L"\\").c_str());
    Add(false, L"A", 0x10001, {L"A.dll"});
    EXPECT_EQ(Run(false), kefo::LoadInstallerString(IDS_INSTALL_FAILED));
    EXPECT_EQ(Box(), kefo::FormatInstallerString(IDS_UNEXPECTED_ERROR, ERROR_PATH_NOT_FOUND,
                                                 L"CreateDirectory", folder,
                                                 kefo::SystemErrorText(ERROR_PATH_NOT_FOUND)));
}

}  // namespace
