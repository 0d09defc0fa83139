#include "framework/AOContext.h"

#include <cstring>

#include "framework/AOBuildYear.h"
#include "framework/AODll.h"
#include "support/CallSiteMarker.h"

namespace {

// Template texts and their results are cut to this many characters.
constexpr int kTemplateChars = 259;

const AOTables& ModuleTables() {
    return AODll::Module()->Tables();
}

}  // namespace

AOContext::AOContext() {
    KEFO_MARK_FILL();
    AOContext::Close();
}

AOContext::~AOContext() {
    KEFO_MARK_FILL();
}

// --- opening and closing -----------------------------------------------------

void AOContext::Open() {
    KEFO_MARK();
    module_ = AODll::Module()->ModuleHandle();
    LoadSettings();
    // The host holds a valid array from creation on.
    if (record_->instanceKind != kefo::kKindHeadless) SaveSettings();
    SetAudioRequest();
    AddMenuItems();
    if (record_->instanceKind == kefo::kKindFull) {
        LoadBitmaps();
        OpenHookB();
        OpenHookA();
        DescribeParams();
    }
}

void AOContext::Close() {
    KEFO_MARK();
    bitmaps_.clear();
    record_ = nullptr;
    module_ = nullptr;
}

void AOContext::AddMenuItems() {
    KEFO_MARK();
    const int kind = record_->instanceKind;
    const AOMenuRow* rows = kind == kefo::kKindFull         ? ModuleTables().menuFull
                            : kind == kefo::kKindDialogOnly ? ModuleTables().menuDialogOnly
                                                            : nullptr;
    for (const AOMenuRow* row = rows; row && row->itemId; ++row) {
        // Menu 1 belongs to dialog-only instances.
        if (kind == kefo::kKindFull && row->parent == 1) continue;
        text_[0] = '\0';
        if (LoadStringA(module_, static_cast<UINT>(row->captionId), text_, sizeof text_) <= 0)
            text_[0] = '\0';
        record_->AddMenuItem(row->itemId, row->parent, text_, row->popup);
    }
}

void AOContext::LoadBitmaps() {
    KEFO_MARK();
    bitmaps_.clear();
    for (const AOBitmapRow* row = ModuleTables().bitmaps; row && row->resourceId; ++row) {
        UINT flags = LR_LOADMAP3DCOLORS | (row->opaque ? 0u : LR_LOADTRANSPARENT);
        HANDLE image = LoadImageA(module_, MAKEINTRESOURCEA(row->resourceId & 0xFFFF), IMAGE_BITMAP,
                                  0, 0, flags);
        bitmaps_.emplace_back(static_cast<HBITMAP>(image));
    }
}

HBITMAP AOContext::Bitmap(std::size_t row) const {
    return row < bitmaps_.size() ? bitmaps_[row].Get() : nullptr;
}

void AOContext::DescribeParams() {
    KEFO_MARK();
    record_->DescribeParameters(ParameterCount(), ModuleTables().parameterTexts);
}

void AOContext::QueryMenuItem() {
    KEFO_MARK_FILL();
}

void AOContext::Command15() {
    KEFO_MARK_FILL();
}

void AOContext::FrameClosed(int) {
    KEFO_MARK_FILL();
}

// --- dialogs -----------------------------------------------------------------

INT_PTR AOContext::OnInitDialog(HWND window) {
    KEFO_MARK();
    record_->RegisterWindow(window);
    return TRUE;
}

INT_PTR AOContext::OnDestroyDialog(HWND window) {
    KEFO_MARK();
    record_->UnregisterWindow(window);
    return 0;
}

INT_PTR AOContext::OnHelp(HWND) {
    KEFO_MARK();
    record_->ShowHelp(AODll::Module()->HelpTopic());
    return 1;
}

INT_PTR AOContext::OnDialogCommand(HWND window, int id) {
    KEFO_MARK();
    if (id != IDOK && id != IDCANCEL) return 0;
    EndDialog(window, id);
    return 1;
}

void AOContext::FillAboutTexts(HWND window, int nameItem, int versionItem, int yearItem) {
    KEFO_MARK();
    const AODll& module = *AODll::Module();
    FormatWindowText(window, module.Name());
    FormatItemText(window, nameItem, module.Name());

    const kefo::VersionWord version = module.AddOnVersion();
    record_->FormatText("%i.%i", static_cast<int>(kefo::VersionMajor(version)),
                        static_cast<int>(kefo::VersionMinor(version)));
    char versionText[kTemplateChars + 1] = "";
    if (record_->hostText) std::strncat(versionText, record_->hostText, kTemplateChars);
    FormatItemText(window, versionItem, versionText);

    FormatItemText(window, yearItem, kAOBuildYear);
}

void AOContext::FormatWindowText(HWND window, const char* argument) {
    KEFO_MARK();
    char format[kTemplateChars + 1] = "";
    GetWindowTextA(window, format, sizeof format);
    if (!format[0]) return;
    record_->FormatText(format, argument);
    if (!record_->hostText) return;
    char result[kTemplateChars + 1] = "";
    std::strncat(result, record_->hostText, kTemplateChars);
    SetWindowTextA(window, result);
}

void AOContext::FormatItemText(HWND dialog, int itemId, const char* argument) {
    KEFO_MARK();
    if (HWND item = GetDlgItem(dialog, itemId)) FormatWindowText(item, argument);
}
