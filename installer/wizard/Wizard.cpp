#include "Wizard.h"

#include <windows.h>

#include <commctrl.h>

#include "installer/InstallerMessages.h"
#include "installer/InstallerState.h"
#include "WizardPages.h"
#include "installer/resource.h"
#include "support/SystemLibrary.h"

namespace kefo {
namespace {

struct PageDescription {
    int dialog;
    DLGPROC procedure;
};

constexpr PageDescription kPages[] = {
    {IDD_WELCOME, &WelcomePageProc},
    {IDD_SELECT, &SelectPageProc},
    {IDD_INSTALL, &InstallPageProc},
};
constexpr int kPageCount = sizeof kPages / sizeof kPages[0];

void CentreOnScreen(HWND window) noexcept {
    RECT frame{};
    if (!GetWindowRect(window, &frame)) return;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2;
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void RemoveCentringHook() noexcept {
    if (!g_installer.centringHook) return;
    UnhookWindowsHookEx(g_installer.centringHook);
    g_installer.centringHook = nullptr;
}

// The first window this thread activates is the wizard: centre it once, then
// get out of the way.
LRESULT CALLBACK CentringHook(int code, WPARAM wParam, LPARAM lParam) noexcept {
    const HHOOK hook = g_installer.centringHook;
    if (code == HCBT_ACTIVATE && hook) {
        RemoveCentringHook();
        CentreOnScreen(reinterpret_cast<HWND>(wParam));
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

int CALLBACK SheetCallback(HWND sheet, UINT message, LPARAM) noexcept {
    if (message != PSCB_INITIALIZED) return 0;
    g_installer.wizardWindow = sheet;
    RemoveCentringHook();
    if (GetActiveWindow() == sheet) {
        // Some sheets activate themselves while they set up the first page;
        // a hook would then wait for the next window, a message box.
        CentreOnScreen(sheet);
    } else {
        g_installer.centringHook =
            SetWindowsHookExW(WH_CBT, &CentringHook, nullptr, GetCurrentThreadId());
    }
    // Also as the big icon, for the task switcher.
    if (HICON icon = LoadIconW(g_installer.instance, MAKEINTRESOURCEW(IDI_INSTALLER)))
        SendMessageW(sheet, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    return 0;
}

}  // namespace

void RunWizard() noexcept {
    // The common controls are not one of the system's known DLLs, so they
    // are not imported but loaded from the system folder (the manifest's
    // side-by-side reference still picks version 6).
    using InitControls = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    using ShowSheet = INT_PTR(WINAPI*)(LPCPROPSHEETHEADERW);
    const auto initControls = SystemFunction<InitControls>(L"comctl32.dll", "InitCommonControlsEx");
    const auto showSheet = SystemFunction<ShowSheet>(L"comctl32.dll", "PropertySheetW");
    if (initControls == nullptr || showSheet == nullptr) {
        ReportSystemFailure(GetLastError(), L"LoadLibrary", L"comctl32.dll");
        return;
    }
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES};
    initControls(&classes);

    PROPSHEETPAGEW pages[kPageCount] = {};
    for (int i = 0; i < kPageCount; ++i) {
        pages[i].dwSize = sizeof pages[i];
        pages[i].dwFlags = PSP_DEFAULT;  // the dialog's caption is the page title
        pages[i].hInstance = g_installer.instance;
        pages[i].pszTemplate = MAKEINTRESOURCEW(kPages[i].dialog);
        pages[i].pfnDlgProc = kPages[i].procedure;
    }
    PROPSHEETHEADERW sheet{};
    sheet.dwSize = sizeof sheet;
    sheet.dwFlags = PSH_WIZARD | PSH_PROPSHEETPAGE | PSH_USEICONID | PSH_USECALLBACK;
    sheet.hwndParent = nullptr;
    sheet.hInstance = g_installer.instance;
    sheet.pszIcon = MAKEINTRESOURCEW(IDI_INSTALLER);
    sheet.nPages = kPageCount;
    sheet.nStartPage = 0;
    sheet.ppsp = pages;
    sheet.pfnCallback = &SheetCallback;
    showSheet(&sheet);

    // A sheet that ended before it was ever activated leaves its hook behind.
    RemoveCentringHook();
    g_installer.wizardWindow = nullptr;
}

}  // namespace kefo
