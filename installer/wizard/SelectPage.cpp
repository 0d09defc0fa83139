// The Select add-ons page (dialog 106): the add-ons already installed, read
// only, and the distribution's add-ons with check boxes. Checking and
// unchecking, and pressing Next, go through the compatibility rules; an
// add-on older than its installed copy is drawn in gray.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "installer/scan/Compatibility.h"
#include "installer/InstallerText.h"
#include "installer/scan/SelectionList.h"
#include "WizardPages.h"
#include "installer/resource.h"
#include "support/BoundedText.h"
#include "support/DialogGuard.h"

namespace kefo {
namespace {

constexpr int kVersionColumnWidth = 125;  // pixels; the name column takes the rest

// A list's count as far as its array reaches.
std::uint32_t Listed(std::uint32_t count) noexcept {
    return std::min<std::uint32_t>(count, kMaxAddOns);
}

// A record's field as text, never read past the field even if unterminated.
template <std::size_t N>
std::wstring FieldText(const wchar_t (&field)[N]) {
    return std::wstring(field, BoundedLength(field, N));
}

// Clears the filling flag on every way out, so that no later change of a
// check box is ignored.
struct FillingList {
    FillingList() noexcept { g_installer.fillingList = true; }
    ~FillingList() { g_installer.fillingList = false; }
    FillingList(const FillingList&) = delete;
    FillingList& operator=(const FillingList&) = delete;
};

void AddColumns(HWND list) {
    RECT client{};
    GetClientRect(list, &client);
    std::wstring name = LoadInstallerString(IDS_COLUMN_NAME);
    std::wstring version = LoadInstallerString(IDS_COLUMN_VERSION);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = client.right - GetSystemMetrics(SM_CYHSCROLL) - kVersionColumnWidth;
    column.pszText = name.data();
    ListView_InsertColumn(list, 0, &column);
    column.fmt = LVCFMT_RIGHT;
    column.cx = kVersionColumnWidth;
    column.pszText = version.data();
    ListView_InsertColumn(list, 1, &column);
}

void AddRows(HWND list, const AddOnRecord* records, std::uint32_t count) {
    for (std::uint32_t i = 0; i < Listed(count); ++i) {
        std::wstring name = FieldText(records[i].displayName);
        std::wstring version = VersionText(records[i]);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = name.data();
        const int at = ListView_InsertItem(list, &item);
        if (at >= 0) ListView_SetItemText(list, at, 1, version.data());
    }
}

INT_PTR OnInitDialog(HWND page) {
    HWND list = GetDlgItem(page, IDC_INSTALL_LIST);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    AddColumns(list);
    {
        // Inserting rows and setting their boxes reports item changes that
        // are not the user's.
        FillingList filling;
        AddRows(list, g_installer.distributionAddOns, g_installer.distributionCount);
        ShowSelection(page);
        SetFocus(list);
    }

    HWND installed = GetDlgItem(page, IDC_INSTALLED_LIST);
    ListView_SetExtendedListViewStyle(installed, LVS_EX_FULLROWSELECT);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    ListView_SetBkColor(installed, face);
    ListView_SetTextBkColor(installed, face);
    AddColumns(installed);
    AddRows(installed, g_installer.installedAddOns, g_installer.installedCount);
    return FALSE;  // the focus is set
}

void OnSetActive(HWND page) {
    ListView_SetItemState(GetDlgItem(page, IDC_INSTALL_LIST), 0, LVIS_FOCUSED, LVIS_FOCUSED);
    PropSheet_SetWizButtons(GetParent(page),
                            CountToInstall() > 0 ? PSWIZB_BACK | PSWIZB_NEXT : PSWIZB_BACK);
}

// Only a changed check box matters; focus and selection moves are no choice.
void OnItemChanged(const NMLISTVIEW& change) {
    if (g_installer.fillingList) return;
    if (!(change.uChanged & LVIF_STATE)) return;
    if (!((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK)) return;
    if (change.iItem < 0 ||
        static_cast<std::uint32_t>(change.iItem) >= Listed(g_installer.distributionCount))
        return;
    OnSelectionChanged(change.iItem);
}

LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT: {
            const DWORD_PTR item = draw.nmcd.dwItemSpec;
            if (item < Listed(g_installer.distributionCount) &&
                IsOlderThanInstalled(g_installer.distributionAddOns[item])) {
                draw.clrText = GetSysColor(COLOR_GRAYTEXT);
                return CDRF_NEWFONT;
            }
            return CDRF_DODEFAULT;
        }
        default: return CDRF_DODEFAULT;
    }
}

INT_PTR OnNotify(HWND page, NMHDR& header) {
    if (header.hwndFrom == GetDlgItem(page, IDC_INSTALL_LIST)) {
        switch (header.code) {
            case LVN_ITEMCHANGED:
                OnItemChanged(reinterpret_cast<const NMLISTVIEW&>(header));
                return SetPageResult(page, 0);
            case NM_CUSTOMDRAW:
                return SetPageResult(page, OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header)));
            default: return FALSE;
        }
    }
    switch (header.code) {
        case PSN_SETACTIVE: OnSetActive(page); return SetPageResult(page, 0);
        case PSN_WIZNEXT: return SetPageResult(page, ConfirmReplacements() ? 0 : -1);
        case PSN_QUERYCANCEL: return SetPageResult(page, ConfirmExit() ? FALSE : TRUE);
        default: return FALSE;
    }
}

}  // namespace

std::wstring VersionText(const AddOnRecord& record) {
    const int major = static_cast<int>(record.version >> 16);
    const int minor = static_cast<int>(record.version & 0xFFFFu);
    if (record.build == 0) return FormatText(L"%d.%d", {major, minor});
    return FormatInstallerString(record.isBeta ? IDS_VERSION_BETA_BUILD : IDS_VERSION_BUILD, major,
                                 minor, record.build);
}

INT_PTR CALLBACK SelectPageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    return GuardDialogMessage([&]() -> INT_PTR {
        switch (message) {
            case WM_INITDIALOG: return OnInitDialog(page);
            case WM_NOTIFY: return OnNotify(page, *reinterpret_cast<NMHDR*>(lParam));
            default: return FALSE;
        }
    });
}

}  // namespace kefo
