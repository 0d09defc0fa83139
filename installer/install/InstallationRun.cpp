// RunInstallation: the Install Process page around the file work. The page
// is shown before the work starts, the step label is bold while it runs,
// and the result mark and text are shown when it ends.
#include <windows.h>

#include <string>
#include <utility>

#include "FileInstallation.h"
#include "installer/discovery/HostDiscovery.h"
#include "installer/InstallerMessages.h"
#include "installer/InstallerState.h"
#include "installer/InstallerText.h"
#include "installer/resource.h"
#include "support/BoundedText.h"
#include "support/UniqueHandle.h"

namespace kefo {
namespace {

// Shown by the page until the wizard closes, so kept for the rest of the
// run rather than by the function that made them.
UniqueHFont g_boldFont;
UniqueHBitmap g_resultMark;

// The page's font at weight 700, same height; null when the page's font
// cannot be read.
HFONT BoldCopyOf(HFONT font) {
    LOGFONTW description{};
    const HGDIOBJ base = font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT);
    if (GetObjectW(base, sizeof description, &description) != sizeof description) return nullptr;
    description.lfWeight = FW_BOLD;
    return CreateFontIndirectW(&description);
}

void SetFont(HWND control, HFONT font) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

// The folder the add-ons are copied into, created when it is missing.
bool EnsureAddOnsFolder() {
    std::wstring folder(g_installer.addOnsFolder,
                        BoundedLength(g_installer.addOnsFolder, kAddOnsFolderChars));
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;
    // A plain file of that name makes the creation fail, and is reported.
    if (CreateDirectoryW(folder.c_str(), nullptr)) return true;
    ReportSystemFailure(GetLastError(), L"CreateDirectory", folder.c_str());
    return false;
}

void ShowResult(HWND page, bool ok) {
    const HINSTANCE module =
        g_installer.instance ? g_installer.instance : GetModuleHandleW(nullptr);
    UniqueHBitmap mark(static_cast<HBITMAP>(
        LoadImageW(module, MAKEINTRESOURCEW(ok ? IDB_SUCCESS_MARK : IDB_FAILURE_MARK), IMAGE_BITMAP,
                   0, 0, LR_LOADMAP3DCOLORS | LR_LOADTRANSPARENT)));
    const HWND picture = GetDlgItem(page, IDC_RESULT_MARK);
    // The picture the control loaded from the template stays the control's.
    SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(mark.Get()));
    g_resultMark = std::move(mark);
    ShowWindow(picture, SW_SHOW);

    const HWND text = GetDlgItem(page, IDC_RESULT_TEXT);
    if (!ok) SetWindowTextW(text, LoadInstallerString(IDS_INSTALL_FAILED).c_str());
    if (g_boldFont) SetFont(text, g_boldFont.Get());
    ShowWindow(text, SW_SHOW);
}

// The sheet's Cancel button reads "Finish" on this page and was disabled
// while the work ran.
void EnableFinish() {
    const HWND sheet = g_installer.wizardWindow;
    if (sheet == nullptr) return;
    const HWND finish = GetDlgItem(sheet, IDCANCEL);
    if (finish == nullptr) return;
    EnableWindow(finish, TRUE);
    SendMessageW(sheet, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(finish), TRUE);
}

}  // namespace

void RunInstallation(HWND page) {
    UpdateWindow(page);
    const HFONT pageFont = reinterpret_cast<HFONT>(SendMessageW(page, WM_GETFONT, 0, 0));
    const HWND label = GetDlgItem(page, IDC_STEP_LABEL);
    {
        // The new font is set before the old one is deleted.
        UniqueHFont bold(BoldCopyOf(pageFont));
        if (bold) SetFont(label, bold.Get());
        g_boldFont = std::move(bold);
    }

    const bool ok = EnsureAddOnsFolder() && InstallSelectedAddOns();

    g_installer.installing = false;
    SetFont(label, pageFont);
    ShowResult(page, ok);
    EnableFinish();
    if (ok && IsHostRunning())
        ShowInstallerMessage(LoadInstallerString(IDS_RESTART_HOST).c_str(),
                             MB_OK | MB_ICONINFORMATION);
}

}  // namespace kefo
