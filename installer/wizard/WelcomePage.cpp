// The Welcome page (dialog 103): a bold title line, and the installer's
// start-up on the page's first paint, so that the wizard is already on
// screen while the host is looked up and the add-ons are queried.
#include <windows.h>

#include <commctrl.h>

#include "Startup.h"
#include "WizardPages.h"
#include "installer/resource.h"
#include "support/UniqueHandle.h"
#include "support/DialogGuard.h"

namespace kefo {
namespace {

StartupStep g_startup = &StartInstaller;
UniqueHFont g_titleFont;  // the title's bold font, held until the page is gone

void MakeTitleBold(HWND page) {
    const auto pageFont = reinterpret_cast<HFONT>(SendMessageW(page, WM_GETFONT, 0, 0));
    LOGFONTW font{};
    if (!pageFont || GetObjectW(pageFont, sizeof font, &font) != sizeof font) return;
    font.lfWeight = FW_BOLD;
    font.lfHeight -= 1;  // a character height is negative: one unit taller
    g_titleFont.Reset(CreateFontIndirectW(&font));
    if (g_titleFont)
        SendDlgItemMessageW(page, IDC_WELCOME_TITLE, WM_SETFONT,
                            reinterpret_cast<WPARAM>(g_titleFont.Get()), FALSE);
}

// Next is offered once the start-up has ended: the Select page is built
// from the lists it fills, and its message boxes pump messages meanwhile.
void ShowButtons(HWND page) {
    PropSheet_SetWizButtons(GetParent(page), g_installer.startupEnded ? PSWIZB_NEXT : 0);
}

// Runs at most once per program, however often the page is painted.
void StartOnce(HWND page) {
    if (g_installer.discoveryDone) return;
    g_installer.discoveryDone = true;
    try {
        g_startup();
    } catch (...) {
        // Half-filled lists are no basis for installing: end as a failed
        // start-up does.
        PostQuitMessage(0);
    }
    g_installer.startupEnded = true;
    ShowButtons(page);
}

INT_PTR OnNotify(HWND page, const NMHDR& header) {
    switch (header.code) {
        case PSN_SETACTIVE: ShowButtons(page); return SetPageResult(page, 0);
        // A Next that reaches the page anyway (a click or key queued before
        // the button was disabled, a posted button press) is refused.
        case PSN_WIZNEXT: return SetPageResult(page, g_installer.startupEnded ? 0 : -1);
        case PSN_QUERYCANCEL: return SetPageResult(page, ConfirmExit() ? FALSE : TRUE);
        default: return FALSE;
    }
}

INT_PTR HandleMessage(HWND page, UINT message, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: MakeTitleBold(page); return TRUE;
        case WM_PAINT: StartOnce(page); return FALSE;  // the dialog paints itself as usual
        case WM_NOTIFY: return OnNotify(page, *reinterpret_cast<const NMHDR*>(lParam));
        case WM_NCDESTROY:
            // The title control is gone by now, so its font can go too.
            g_titleFont.Reset();
            return FALSE;
        default: return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    return GuardDialogMessage([&] { return HandleMessage(page, message, lParam); });
}

StartupStep SetStartupStep(StartupStep step) noexcept {
    const StartupStep previous = g_startup;
    g_startup = step ? step : &StartInstaller;
    return previous;
}

}  // namespace kefo
