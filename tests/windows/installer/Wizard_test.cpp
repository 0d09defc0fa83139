// The wizard under Wine: its pages from the installer's own resources
// (compiled into this program) with the lists filled by hand, the whole
// sheet driven from inside its own message loop, and KEFO_Install.exe
// itself run once without a host. Start-up and installation are replaced by
// counting steps; message boxes are answered without being shown.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "InstallerTestSupport.h"
#include "hostsim/system/ModalDialogDriver.h"
#include "hostsim/pictures/Screenshot.h"
#include "TestPaths.h"
#include "hostsim/system/WindowText.h"
#include "installer/wizard/Wizard.h"
#include "installer/wizard/WizardPages.h"
#include "installer/resource.h"
#include "support/BoundedText.h"

namespace {

using installer_tests::g_boxes;
using kefo::g_installer;

constexpr int kBackButton = 0x3023, kNextButton = 0x3024;  // the sheet's wizard buttons

int g_answer = IDOK;
int g_startups = 0;
int g_installations = 0;

int WINAPI AnswerBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    g_boxes.push_back({owner, text, caption, type});
    return g_answer;
}
void CountStartup() {
    ++g_startups;
}
// Tries to cancel and to close the wizard while it works (letting the
// sheet handle what that posts), then ends as RunInstallation does.
void FakeInstallation(HWND page) {
    ++g_installations;
    HWND sheet = GetParent(page);
    SendMessageW(sheet, WM_COMMAND, IDCANCEL, 0);
    SendMessageW(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
    MSG msg;
    while (PeekMessageW(&msg, sheet, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    g_installer.installing = false;
    EnableWindow(GetDlgItem(sheet, IDCANCEL), TRUE);
}

using hostsim::TextOf;
std::wstring ItemText(HWND list, int item, int column) {
    wchar_t text[128] = L"";
    ListView_GetItemText(list, item, column, text, 128);
    return text;
}

kefo::AddOnRecord Record(const wchar_t* name, std::uint32_t version, std::uint32_t build = 0,
                         std::uint32_t isBeta = 0) {
    kefo::AddOnRecord record{};
    kefo::CopyCut(record.displayName, name);
    record.version = version;
    record.build = build;
    record.isBeta = isBeta;
    return record;
}

class Wizard : public installer_tests::InstallerFixture {
protected:
    void SetUp() override {
        InstallerFixture::SetUp();
        g_installer.instance = GetModuleHandleW(nullptr);
        kefo::SetMessageBoxFunction(&AnswerBox);
        kefo::SetStartupStep(&CountStartup);
        kefo::SetInstallationStep(&FakeInstallation);
        g_answer = IDOK;
        g_startups = g_installations = 0;
        // New and checked; older than its installed copy; installed.
        g_installer.distributionAddOns[0] = Record(L"Digital Mixer Add-on", 0x10002, 310);
        g_installer.distributionAddOns[0].selected = 1;
        g_installer.distributionAddOns[1] = Record(L"Analyzer EQ", 0x10000, 7, 1);
        g_installer.distributionAddOns[1].matched = 1;
        g_installer.distributionCount = 2;
        g_installer.installedAddOns[0] = Record(L"Analyzer EQ", 0x10001);
        g_installer.installedCount = 1;
    }
    void TearDown() override {
        for (HWND page : pages_) DestroyWindow(page);
        kefo::SetStartupStep(nullptr);
        kefo::SetInstallationStep(nullptr);
        InstallerFixture::TearDown();
    }

    // One shown frame for all pages (under Wine without a window manager
    // taking a shown window off the screen costs seconds).
    static void TearDownTestSuite() {
        if (frame_) DestroyWindow(frame_);
        frame_ = nullptr;
    }

    // A page as a child of the shown frame, so that it paints.
    HWND Page(int id, DLGPROC procedure) {
        if (!frame_)
            frame_ = CreateWindowExW(0, L"Static", L"", WS_POPUP | WS_VISIBLE, 0, 0, 600, 400,
                                     nullptr, nullptr, g_installer.instance, nullptr);
        HWND page =
            CreateDialogParamW(g_installer.instance, MAKEINTRESOURCEW(id), frame_, procedure, 0);
        EXPECT_NE(page, nullptr);
        ShowWindow(page, SW_SHOWNA);  // as the sheet shows its current page
        pages_.push_back(page);
        return page;
    }
    // A notification from the sheet; the page's answer.
    static LRESULT Notify(HWND page, UINT code) {
        NMHDR header{GetParent(page), 0, code};
        return SendMessageW(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
    }

    static inline HWND frame_ = nullptr;
    std::vector<HWND> pages_;
};

TEST(WizardVersionText, WithoutBuildAsBetaAndAsRelease) {
    EXPECT_EQ(kefo::VersionText(Record(L"A", 0x10002)), L"1.2");
    EXPECT_EQ(kefo::VersionText(Record(L"A", 0x7000A, 310)), L"7.10 (build 310)");
    EXPECT_EQ(kefo::VersionText(Record(L"A", 0x10000, 7, 1)), L"1.0-Beta (build 7)");
}

TEST_F(Wizard, WelcomeTitleIsBoldAndStartUpRunsOnceOnTheFirstPaint) {
    HWND page = Page(IDD_WELCOME, &kefo::WelcomePageProc);
    EXPECT_EQ(g_startups, 0) << "not before the page is painted";
    for (int i = 0; i < 5; ++i)
        RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(g_startups, 1);
    EXPECT_TRUE(g_installer.discoveryDone);

    LOGFONTW pageFont{}, titleFont{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(page, WM_GETFONT, 0, 0)), sizeof pageFont,
               &pageFont);
    GetObjectW(
        reinterpret_cast<HFONT>(SendDlgItemMessageW(page, IDC_WELCOME_TITLE, WM_GETFONT, 0, 0)),
        sizeof titleFont, &titleFont);
    EXPECT_EQ(titleFont.lfWeight, FW_BOLD);
    EXPECT_EQ(titleFont.lfHeight, pageFont.lfHeight - 1);
}

TEST_F(Wizard, ExitIsConfirmedOnWelcomeAndSelectPages) {
    for (int id : {IDD_WELCOME, IDD_SELECT}) {
        HWND page = Page(id, id == IDD_WELCOME ? &kefo::WelcomePageProc : &kefo::SelectPageProc);
        g_answer = IDNO;
        EXPECT_EQ(Notify(page, PSN_QUERYCANCEL), TRUE) << "No refuses the cancel";
        EXPECT_EQ(OnlyBox(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2),
                  L"Are you sure you want to exit the installation program?");
        g_answer = IDYES;
        EXPECT_EQ(Notify(page, PSN_QUERYCANCEL), FALSE);
        g_boxes.clear();
    }
}

TEST_F(Wizard, SelectPageFillsBothLists) {
    HWND page = Page(IDD_SELECT, &kefo::SelectPageProc);
    HWND list = GetDlgItem(page, IDC_INSTALL_LIST);
    HWND installed = GetDlgItem(page, IDC_INSTALLED_LIST);
    EXPECT_EQ(ListView_GetExtendedListViewStyle(list),
              DWORD(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT));
    EXPECT_EQ(ListView_GetExtendedListViewStyle(installed), DWORD(LVS_EX_FULLROWSELECT));
    RECT client{};
    GetClientRect(list, &client);
    for (HWND each : {list, installed}) {
        wchar_t title[32] = L"";
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        column.pszText = title;
        column.cchTextMax = 32;
        ASSERT_TRUE(ListView_GetColumn(each, 0, &column));
        EXPECT_EQ(std::wstring(title), L"Name");
        EXPECT_EQ(column.cx, client.right - GetSystemMetrics(SM_CYHSCROLL) - 125);
        ASSERT_TRUE(ListView_GetColumn(each, 1, &column));
        EXPECT_EQ(std::wstring(title), L"Version");
        EXPECT_EQ(column.cx, 125);
        EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_RIGHT);
    }
    ASSERT_EQ(ListView_GetItemCount(list), 2);
    EXPECT_EQ(ItemText(list, 0, 0), L"Digital Mixer Add-on");
    EXPECT_EQ(ItemText(list, 0, 1), L"1.2 (build 310)");
    EXPECT_EQ(ItemText(list, 1, 1), L"1.0-Beta (build 7)");
    EXPECT_TRUE(ListView_GetCheckState(list, 0));
    EXPECT_FALSE(ListView_GetCheckState(list, 1));
    EXPECT_FALSE(g_installer.fillingList);
    EXPECT_EQ(g_installer.distributionAddOns[0].selected, 1u) << "filling changes no choice";
    EXPECT_TRUE(g_boxes.empty());

    ASSERT_EQ(ListView_GetItemCount(installed), 1);
    EXPECT_EQ(ItemText(installed, 0, 0), L"Analyzer EQ");
    EXPECT_EQ(ItemText(installed, 0, 1), L"1.1");
    EXPECT_EQ(ListView_GetBkColor(installed), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ListView_GetTextBkColor(installed), GetSysColor(COLOR_BTNFACE));
    EXPECT_FALSE(GetWindowLongW(installed, GWL_STYLE) & WS_TABSTOP);
    EXPECT_EQ(GetNextDlgTabItem(page, list, FALSE), list) << "Tab never reaches the installed list";
}

TEST_F(Wizard, SelectPageDrawsAnOlderAddOnInGray) {
    HWND page = Page(IDD_SELECT, &kefo::SelectPageProc);
    HWND list = GetDlgItem(page, IDC_INSTALL_LIST);
    auto draw = [&](DWORD stage, DWORD_PTR item, COLORREF& text) {
        NMLVCUSTOMDRAW custom{};
        custom.nmcd.hdr = {list, IDC_INSTALL_LIST, static_cast<UINT>(NM_CUSTOMDRAW)};
        custom.nmcd.dwDrawStage = stage;
        custom.nmcd.dwItemSpec = item;
        custom.clrText = RGB(1, 2, 3);
        const LRESULT result =
            SendMessageW(page, WM_NOTIFY, IDC_INSTALL_LIST, reinterpret_cast<LPARAM>(&custom));
        text = custom.clrText;
        return result;
    };
    COLORREF text = 0;
    EXPECT_EQ(draw(CDDS_PREPAINT, 0, text), CDRF_NOTIFYITEMDRAW);
    EXPECT_EQ(draw(CDDS_ITEMPREPAINT, 0, text), CDRF_DODEFAULT);
    EXPECT_EQ(text, RGB(1, 2, 3));
    draw(CDDS_ITEMPREPAINT, 1, text);
    EXPECT_EQ(text, GetSysColor(COLOR_GRAYTEXT));
    EXPECT_EQ(draw(CDDS_ITEMPREPAINT, 7, text), CDRF_DODEFAULT) << "no record, no question";
}

// Installing, and refusing Cancel meanwhile, is the whole sheet's test below.
TEST_F(Wizard, InstallPageHidesItsResultAndInstallsOnce) {
    HWND page = Page(IDD_INSTALL, &kefo::InstallPageProc);
    EXPECT_FALSE(GetWindowLongW(GetDlgItem(page, IDC_RESULT_MARK), GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(GetWindowLongW(GetDlgItem(page, IDC_RESULT_TEXT), GWL_STYLE) & WS_VISIBLE);

    kefo::SetInstallationStep([](HWND) { ++g_installations; });
    Notify(page, PSN_SETACTIVE);
    EXPECT_TRUE(g_installer.installing);
    EXPECT_EQ(g_installations, 0) << "the work waits for the posted message";
    Notify(page, PSN_SETACTIVE);
    PostMessageW(page, WM_TIMER, 1, 0);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_EQ(g_installations, 1);
}

// The whole sheet: Cancel answered No, Next, every box unchecked and one
// checked again, Next, the installation, Finish.
TEST_F(Wizard, RunsFromWelcomeThroughInstallToFinish) {
    std::wstring titles[3];
    RECT frame{};
    HICON bigIcon = nullptr;
    bool welcomeButtons = false, selectButtons = false, listFocused = false, nothingChecked = false,
         saved = false;
    const auto run = hostsim::DriveModalDialog(&kefo::RunWizard, [&](HWND sheet, int step) {
        HWND page = PropSheet_GetCurrentPageHwnd(sheet);
        HWND back = GetDlgItem(sheet, kBackButton), next = GetDlgItem(sheet, kNextButton);
        switch (step) {
            case 0:
                titles[0] = TextOf(sheet);
                GetWindowRect(sheet, &frame);
                bigIcon = reinterpret_cast<HICON>(SendMessageW(sheet, WM_GETICON, ICON_BIG, 0));
                welcomeButtons = !IsWindowEnabled(back) && IsWindowEnabled(next);
                saved = screens::WritePng(screens::CaptureWindow(sheet),
                                          testing_paths::ArtifactPath(L"wizard_welcome.png"));
                g_answer = IDNO;
                PropSheet_PressButton(sheet, PSBTN_CANCEL);
                return false;
            case 1: PropSheet_PressButton(sheet, PSBTN_NEXT); return false;
            case 2:
                titles[1] = TextOf(sheet);
                selectButtons = IsWindowEnabled(back) && IsWindowEnabled(next);
                listFocused = GetFocus() == GetDlgItem(page, IDC_INSTALL_LIST);
                ListView_SetCheckState(GetDlgItem(page, IDC_INSTALL_LIST), 0, FALSE);
                return false;
            case 3:  // the buttons follow the boxes one message later
                nothingChecked = IsWindowEnabled(back) && !IsWindowEnabled(next);
                ListView_SetCheckState(GetDlgItem(page, IDC_INSTALL_LIST), 0, TRUE);
                return false;
            case 4: PropSheet_PressButton(sheet, PSBTN_NEXT); return false;
            case 5: titles[2] = TextOf(sheet); return false;
            default:
                if (g_installations == 0) return false;
                PropSheet_PressButton(sheet, PSBTN_CANCEL);
                return true;
        }
    });
    ASSERT_NE(run.dialog, nullptr) << "no wizard appeared";
    EXPECT_TRUE(run.finished);
    EXPECT_FALSE(run.closedByWatchdog) << "Finish did not close the wizard";
    EXPECT_EQ(titles[0], L"Tavolin Add-ons Install - Welcome to Install");
    EXPECT_EQ(titles[1], L"Tavolin Add-ons Install - Select add-ons");
    EXPECT_EQ(titles[2], L"Tavolin Add-ons Install - Install Process");
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2, frame.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2, frame.top);
    EXPECT_EQ(bigIcon, LoadIconW(g_installer.instance, MAKEINTRESOURCEW(IDI_INSTALLER)));
    EXPECT_TRUE(welcomeButtons);
    EXPECT_TRUE(selectButtons);
    EXPECT_TRUE(listFocused);
    EXPECT_TRUE(nothingChecked) << "Next is disabled with nothing to install";
    EXPECT_TRUE(saved);
    EXPECT_EQ(g_startups, 1);
    EXPECT_EQ(g_installations, 1);
    EXPECT_EQ(g_boxes.size(), 1u) << "only the No to Cancel; Finish asks nothing";
    EXPECT_EQ(g_installer.centringHook, nullptr);
}

// A Next pressed while the start-up still runs (its message boxes pump the
// wizard's messages) is not taken; Next is offered once it has ended.
bool g_nextEnabledDuringStartup = true;
std::wstring g_titleAfterEarlyNext;

TEST_F(Wizard, NoNextBeforeTheStartUpHasEnded) {
    HWND page = Page(IDD_WELCOME, &kefo::WelcomePageProc);
    RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(g_startups, 1);
    EXPECT_TRUE(g_installer.startupEnded);
    g_installer.startupEnded = false;
    EXPECT_EQ(Notify(page, PSN_WIZNEXT), -1);
    g_installer.startupEnded = true;
    EXPECT_EQ(Notify(page, PSN_WIZNEXT), 0);

    g_installer.discoveryDone = g_installer.startupEnded = false;
    kefo::SetStartupStep([] {
        ++g_startups;
        const HWND sheet = g_installer.wizardWindow;
        g_nextEnabledDuringStartup = IsWindowEnabled(GetDlgItem(sheet, kNextButton)) != FALSE;
        PropSheet_PressButton(sheet, PSBTN_NEXT);
        MSG msg;
        for (int n = 0; n < 100 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++n)
            DispatchMessageW(&msg);
        g_titleAfterEarlyNext = TextOf(sheet);
    });
    bool nextOffered = false, pressed = false;
    int waits = 0;
    std::wstring selectTitle;
    const auto run = hostsim::DriveModalDialog(&kefo::RunWizard, [&](HWND sheet, int) {
        if (!g_installer.startupEnded) return false;
        if (!pressed) {
            nextOffered = IsWindowEnabled(GetDlgItem(sheet, kNextButton)) != FALSE;
            PropSheet_PressButton(sheet, PSBTN_NEXT);
            pressed = true;
            return false;
        }
        // The page changes a few messages later (a bound, not a measure).
        selectTitle = TextOf(sheet);
        if (selectTitle == L"Tavolin Add-ons Install - Welcome to Install" && ++waits < 50)
            return false;
        g_answer = IDYES;  // to the exit question
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
        return true;
    });
    EXPECT_EQ(g_startups, 2);
    EXPECT_FALSE(g_nextEnabledDuringStartup);
    EXPECT_EQ(g_titleAfterEarlyNext, L"Tavolin Add-ons Install - Welcome to Install");
    EXPECT_TRUE(nextOffered);
    EXPECT_EQ(selectTitle, L"Tavolin Add-ons Install - Select add-ons");
    EXPECT_FALSE(run.closedByWatchdog);
}

// A start-up failure posts the quit message, which ends the sheet.
TEST_F(Wizard, StartUpFailureEndsTheWizard) {
    kefo::SetStartupStep([] {
        ++g_startups;
        PostQuitMessage(0);
    });
    const auto run = hostsim::DriveModalDialog(&kefo::RunWizard, [](HWND, int) { return false; });
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        << "handed on by the sheet";
    EXPECT_EQ(g_startups, 1);
    EXPECT_FALSE(run.closedByWatchdog) << "the quit message did not end the wizard";
    EXPECT_EQ(g_installer.wizardWindow, nullptr);
}

// ---------------------------------------------------------------------------
// The program itself

struct ProgramWindows {
    DWORD process;
    HWND sheet, box;
};

BOOL CALLBACK FindProgramWindows(HWND window, LPARAM lParam) {
    auto& found = *reinterpret_cast<ProgramWindows*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != found.process || !IsWindowVisible(window)) return TRUE;
    const std::wstring title = TextOf(window);
    if (title == L"Tavolin Add-on Installation") found.box = window;
    if (title.rfind(L"Tavolin Add-ons Install - ", 0) == 0) found.sheet = window;
    return TRUE;
}

// Without a host in the registry the program says so over its Welcome page,
// and ends with 0 once the box is answered.
TEST(InstallerProgram, WithoutHostSaysSoAndExitsWithZero) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, installer_tests::kProductKey);
    std::wstring line = L"\"" + testing_paths::BuiltFile(L"KEFO_Install.exe") + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process))
        << GetLastError();
    const kefo::UniqueKernelHandle owned(process.hProcess);
    CloseHandle(process.hThread);

    ProgramWindows found{process.dwProcessId, nullptr, nullptr};
    for (int poll = 0; poll < 1200 && !found.box; ++poll) {  // a bound, not a measure
        if (WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0) break;
        EnumWindows(&FindProgramWindows, reinterpret_cast<LPARAM>(&found));
    }
    ASSERT_NE(found.box, nullptr) << "no message box appeared";
    EXPECT_EQ(GetWindow(found.box, GW_OWNER), found.sheet);
    EXPECT_EQ(TextOf(GetDlgItem(found.box, 0xFFFF)), L"Tavolin is not installed.");
    EXPECT_EQ(TextOf(found.sheet), L"Tavolin Add-ons Install - Welcome to Install");
    // As the user sees it: the box over the page, both painted.
    screens::WaitUntilPainted({found.sheet, found.box});
    EXPECT_TRUE(screens::WritePng(screens::CaptureScreenArea(found.sheet),
                                  testing_paths::ArtifactPath(L"KEFO_Install_no_host.png")));

    PostMessageW(found.box, WM_COMMAND, IDOK, 0);
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        FAIL() << "the program did not end after the box was answered";
    }
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
}

// A folder in the temporary folder, emptied first and removed afterwards.
struct ScratchFolder {
    explicit ScratchFolder(const wchar_t* name) {
        wchar_t temp[MAX_PATH] = L"";
        GetTempPathW(MAX_PATH, temp);
        path = std::wstring(temp) + name + L"\\";
        Clear();
        CreateDirectoryW(path.c_str(), nullptr);
    }
    ~ScratchFolder() {
        Clear();
        RemoveDirectoryW(path.c_str());
    }
    void Clear() const {
        WIN32_FIND_DATAW found;
        kefo::UniqueFindHandle find(FindFirstFileW((path + L"*").c_str(), &found));
        for (bool more = static_cast<bool>(find); more; more = FindNextFileW(find.Get(), &found))
            DeleteFileW((path + found.cFileName).c_str());
    }
    bool Has(const std::wstring& name) const {
        return GetFileAttributesW((path + name).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    std::wstring path;
};

// Runs a program, answers the boxes it shows with OK, and waits for its end.
DWORD RunAnsweringBoxes(const std::wstring& program) {
    std::wstring line = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return GetLastError();
    const kefo::UniqueKernelHandle owned(process.hProcess);
    CloseHandle(process.hThread);
    for (int poll = 0; poll < 1200; ++poll) {  // a bound, not a measure
        if (WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0) break;
        ProgramWindows found{process.dwProcessId, nullptr, nullptr};
        EnumWindows(&FindProgramWindows, reinterpret_cast<LPARAM>(&found));
        if (found.box) PostMessageW(found.box, WM_COMMAND, IDOK, 0);
    }
    if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 99);
    DWORD exitCode = 99;
    GetExitCodeProcess(process.hProcess, &exitCode);
    return exitCode;
}

// A recording DLL under the names of system DLLs that the installer uses,
// beside the installer: none of them is ever loaded. A program that imports
// them the ordinary way shows first whether the loader here would take a
// DLL from a program's folder at all (where it would not, nothing can be
// shown for that name).
TEST(InstallerProgram, NoDllLyingBesideItIsLoaded) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, installer_tests::kProductKey);
    const ScratchFolder folder(L"kefo_planting");
    const wchar_t* const planted[] = {L"winmm.dll", L"comctl32.dll"};
    auto plant = [&] {
        folder.Clear();
        for (const wchar_t* name : planted)
            ASSERT_TRUE(CopyFileW(testing_paths::BesideTestExe(L"KEFO_Planted.dll").c_str(),
                                  (folder.path + name).c_str(), FALSE));
    };
    // Wine prefers its own copies of system DLLs; told to prefer DLLs found
    // on disk (for these two programs only), it searches as Windows does for
    // DLLs that are not known DLLs.
    const wchar_t kAppDefaults[] = L"Software\\Wine\\AppDefaults\\";
    for (const wchar_t* program : {L"control.exe", L"KEFO_Install.exe"})
        for (const wchar_t* name : planted)
            RegSetKeyValueW(HKEY_CURRENT_USER,
                            (kAppDefaults + std::wstring(program) + L"\\DllOverrides").c_str(),
                            std::wstring(name, wcslen(name) - 4).c_str(), REG_SZ, L"native,builtin",
                            sizeof L"native,builtin");
    struct Restore {
        ~Restore() {
            for (const wchar_t* program : {L"control.exe", L"KEFO_Install.exe"})
                RegDeleteTreeW(HKEY_CURRENT_USER,
                               (L"Software\\Wine\\AppDefaults\\" + std::wstring(program)).c_str());
        }
    } restore;
    std::vector<std::wstring> shown;
    plant();
    ASSERT_TRUE(CopyFileW(testing_paths::BesideTestExe(L"KEFO_PlantingControl.exe").c_str(),
                          (folder.path + L"control.exe").c_str(), FALSE));
    RunAnsweringBoxes(folder.path + L"control.exe");
    for (const wchar_t* name : planted)
        if (folder.Has(name + std::wstring(L".loaded"))) shown.push_back(name);
    for (const std::wstring& name : shown)
        std::printf("this loader takes a planted %s from a program's folder\n",
                    std::string(name.begin(), name.end()).c_str());
    if (shown.empty()) GTEST_SKIP() << "this loader never takes these DLLs from a program's folder";

    plant();
    ASSERT_TRUE(CopyFileW(testing_paths::BuiltFile(L"KEFO_Install.exe").c_str(),
                          (folder.path + L"KEFO_Install.exe").c_str(), FALSE));
    EXPECT_EQ(RunAnsweringBoxes(folder.path + L"KEFO_Install.exe"), 0u)
        << "it says that no host is installed and ends";
    for (const std::wstring& name : shown)
        EXPECT_FALSE(folder.Has(name + L".loaded"))
            << "planted " << std::string(name.begin(), name.end()) << " was loaded";
}

}  // namespace
