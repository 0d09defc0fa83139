// Helpers for the tests of the add-on scan and the selection rules: message
// boxes with scripted answers, throw-away folders of add-on copies, and a
// stand-in wizard whose current page holds a check-box list 1027.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "../TestPaths.h"
#include "InstallerTestSupport.h"
#include "installer/resource.h"

namespace installer_tests {

// Answers for the next boxes, in order; IDOK once they run out.
inline std::deque<int> g_answers;

inline int WINAPI ScriptedBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    g_boxes.push_back({owner, text, caption, type});
    if (g_answers.empty()) return IDOK;
    const int answer = g_answers.front();
    g_answers.pop_front();
    return answer;
}

// Texts of the boxes shown so far, which are then forgotten.
inline std::vector<std::wstring> TakeBoxTexts() {
    std::vector<std::wstring> texts;
    for (const RecordedBox& box : g_boxes) texts.push_back(box.text);
    g_boxes.clear();
    return texts;
}

// Whether the quit message was posted to this thread; takes it off the queue.
inline bool TakeQuitMessage() {
    MSG message;
    return PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

// A folder of files in the temporary folder, made empty and removed with
// its files.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& name) {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + name + L"\\";
        RemoveTree(path_);
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempFolder() { RemoveTree(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return path_; }  // ends in a backslash

private:
    static void RemoveTree(const std::wstring& folder) {
        WIN32_FIND_DATAW found;
        kefo::UniqueFindHandle search(FindFirstFileW((folder + L"*").c_str(), &found));
        while (search) {
            const std::wstring name = found.cFileName;
            // A folder inside (the host's add-ons folder) goes with its files.
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." &&
                name != L"..")
                RemoveTree(folder + name + L"\\");
            DeleteFileW((folder + name).c_str());
            if (!FindNextFileW(search.Get(), &found)) break;
        }
        RemoveDirectoryW(folder.c_str());
    }

    std::wstring path_;
};

// folder\file: a copy of the DLL built beside the tests.
inline void PutBuiltDll(const std::wstring& folder, const std::wstring& file,
                        const std::wstring& built) {
    CopyFileW(testing_paths::BuiltFile(built).c_str(), (folder + file).c_str(), FALSE);
}

// folder\file: a copy of the scripted test add-on answering as lines say.
inline void PutScriptedAddOn(const std::wstring& folder, const std::wstring& file,
                             const std::vector<std::pair<const wchar_t*, std::wstring>>& lines) {
    PutBuiltDll(folder, file, L"KEFO_Scripted.dll");
    for (const auto& line : lines)
        WritePrivateProfileStringW(L"info", line.first, line.second.c_str(),
                                   (folder + file + L".ini").c_str());
}

// Stands in for the property sheet: names its one page as the current one
// and keeps the buttons it is asked to enable.
class FakeWizard {
public:
    explicit FakeWizard(int items) {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = &Procedure;
        windowClass.lpszClassName = L"KefoFakeWizard";
        RegisterClassW(&windowClass);
        wizard_ = CreateWindowW(L"KefoFakeWizard", L"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                nullptr, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(wizard_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        page_ = CreateWindowW(L"STATIC", L"", WS_CHILD, 0, 0, 380, 280, wizard_, nullptr, nullptr,
                              nullptr);
        list_ =
            CreateWindowW(WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT | LVS_NOCOLUMNHEADER, 0, 0, 300,
                          200, page_, reinterpret_cast<HMENU>(IDC_INSTALL_LIST), nullptr, nullptr);
        ListView_SetExtendedListViewStyle(list_, LVS_EX_CHECKBOXES);
        LVCOLUMNW column = {};
        column.mask = LVCF_WIDTH;
        column.cx = 200;
        ListView_InsertColumn(list_, 0, &column);
        for (int n = 0; n < items; ++n) {
            LVITEMW item = {};
            item.mask = LVIF_TEXT;
            item.iItem = n;
            item.pszText = const_cast<wchar_t*>(L"item");
            ListView_InsertItem(list_, &item);
        }
    }
    ~FakeWizard() { DestroyWindow(wizard_); }
    FakeWizard(const FakeWizard&) = delete;
    FakeWizard& operator=(const FakeWizard&) = delete;

    HWND Window() const { return wizard_; }
    HWND Page() const { return page_; }
    bool Checked(int item) const { return ListView_GetCheckState(list_, item) == 1u; }
    void Check(int item, bool checked) { ListView_SetCheckState(list_, item, checked); }

    // The last buttons asked for (a posted request, so fetched from the
    // queue first); -1 when none.
    int TakeButtons() {
        MSG message;
        while (PeekMessageW(&message, wizard_, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        return std::exchange(buttons_, -1);
    }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<FakeWizard*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr && message == PSM_GETCURRENTPAGEHWND)
            return reinterpret_cast<LRESULT>(self->page_);
        if (self != nullptr && message == PSM_SETWIZBUTTONS)
            self->buttons_ = static_cast<int>(lParam);
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND wizard_, page_, list_;
    int buttons_ = -1;
};

}  // namespace installer_tests
