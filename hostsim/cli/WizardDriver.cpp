// kefo_wizard_driver: watches the installer wizard of another process on the
// same display, as a person in front of it would, for scripts/try-installer.
//
//     kefo_wizard_driver [--auto] [--screenshots FOLDER]
//
// It finds the wizard and its message boxes by their titles, so it drives a
// 32-bit wizard as well as a 64-bit one. With --auto it takes the default
// choice everywhere: Next on the Welcome and Select pages, the default
// button of every message box, and Finish once the installation has ended.
// With --screenshots it saves a PNG of each page as it is reached (and of
// each message box and the finished last page). It prints what it does and
// ends when the wizard has gone: 0, or 1 when the wizard did not appear or
// did not end in time.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "hostsim/pictures/Screenshot.h"
#include "hostsim/system/WindowText.h"

namespace {

constexpr wchar_t kSheetPrefix[] = L"Tavolin Add-ons Install - ";
constexpr wchar_t kBoxCaption[] = L"Tavolin Add-on Installation";
constexpr int kNextButton = 0x3024;
constexpr int kStaticText = 0xFFFF;  // a message box's text control

struct Found {
    HWND sheet = nullptr;
    HWND box = nullptr;
};

BOOL CALLBACK FindWindows(HWND window, LPARAM lParam) {
    auto& found = *reinterpret_cast<Found*>(lParam);
    if (!IsWindowVisible(window)) return TRUE;
    const std::wstring title = hostsim::TextOf(window);
    if (title == kBoxCaption) found.box = window;
    if (title.rfind(kSheetPrefix, 0) == 0) found.sheet = window;
    return TRUE;
}

Found Look() {
    Found found;
    EnumWindows(&FindWindows, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text)
        narrow += (c == L'\r' || c == L'\n') ? ' ' : static_cast<char>(c < 128 ? c : '?');
    return narrow;
}

class Driver {
public:
    Driver(bool automatic, std::wstring folder) : auto_(automatic), folder_(std::move(folder)) {}

    int Run() {
        // The wizard has a minute to appear and, once there, ten to end.
        for (int tick = 0; tick < 600 && !Look().sheet; ++tick) Sleep(100);
        if (!Look().sheet) {
            std::printf("driver: the wizard did not appear\n");
            return 1;
        }
        for (int tick = 0; tick < 6000; ++tick) {
            Sleep(100);
            const Found found = Look();
            if (!found.sheet && !found.box) {
                std::printf("driver: the wizard has closed\n");
                return 0;
            }
            if (found.box) {
                OnBox(found.box);
            } else if (found.sheet) {
                OnPage(found.sheet);
            }
        }
        std::printf("driver: the wizard did not end in time\n");
        return 1;
    }

private:
    void OnBox(HWND box) {
        if (box != lastBox_) {
            lastBox_ = box;
            Sleep(300);  // let it paint
            std::printf("message: %s\n",
                        Narrow(hostsim::TextOf(GetDlgItem(box, kStaticText))).c_str());
            Save(box, L"box-" + std::to_wstring(++boxes_));
        }
        if (!auto_) return;
        // The default button, as Enter would press it.
        const LRESULT id = SendMessageW(box, DM_GETDEFID, 0, 0);
        const int button = HIWORD(id) == DC_HASDEFID ? LOWORD(id) : IDOK;
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        Sleep(300);
    }

    void OnPage(HWND sheet) {
        const std::wstring title = hostsim::TextOf(sheet);
        const std::wstring page = title.substr(wcslen(kSheetPrefix));
        if (title != lastTitle_) {
            lastTitle_ = title;
            finished_ = false;
            Sleep(500);  // painted, and the start-up's boxes shown
            if (Look().box) {
                lastTitle_.clear();  // look again once the boxes are answered
                return;
            }
            std::printf("page: %s\n", Narrow(page).c_str());
            Save(sheet, L"page-" + std::to_wstring(++pages_));
            if (auto_ && page != L"Install Process") Press(sheet, PSBTN_NEXT, kNextButton);
            return;
        }
        // The last page: Finish (the sheet's Cancel button) is enabled when
        // the installation has ended.
        if (page != L"Install Process" || finished_) {
            // Next again only when the first press has had time to act: each
            // queued press would turn one more page.
            if (auto_ && page != L"Install Process" && GetTickCount() - pressedAt_ >= 2000)
                Press(sheet, PSBTN_NEXT, kNextButton);
            return;
        }
        const HWND finish = GetDlgItem(sheet, IDCANCEL);
        if (finish == nullptr || !IsWindowEnabled(finish)) return;
        Sleep(300);
        if (Look().box) return;
        finished_ = true;
        std::printf("page: %s, finished\n", Narrow(page).c_str());
        Save(sheet, L"page-" + std::to_wstring(++pages_) + L"-finished");
        if (auto_) PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    }

    // Presses a wizard button once it is enabled.
    void Press(HWND sheet, int button, int id) {
        const HWND control = GetDlgItem(sheet, id);
        if (control == nullptr || !IsWindowEnabled(control)) return;
        PostMessageW(sheet, PSM_PRESSBUTTON, button, 0);
        pressedAt_ = GetTickCount();
    }

    void Save(HWND window, const std::wstring& name) {
        if (folder_.empty()) return;
        // The screen keeps no copy of what a closed message box covered: have
        // the wizard paint itself again first.
        RedrawWindow(window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        screens::WaitUntilPainted({window});
        const std::wstring path = folder_ + L"\\" + name + L".png";
        if (screens::WritePng(screens::CaptureScreenArea(window), path))
            std::printf("screenshot: %s\n", Narrow(path).c_str());
    }

    bool auto_;
    std::wstring folder_;
    std::wstring lastTitle_;
    HWND lastBox_ = nullptr;
    bool finished_ = false;
    DWORD pressedAt_ = 0;
    int pages_ = 0, boxes_ = 0;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    bool automatic = false;
    std::wstring folder;
    for (int i = 1; i < argc; ++i) {
        const std::wstring argument = argv[i];
        if (argument == L"--auto") {
            automatic = true;
        } else if (argument == L"--screenshots" && i + 1 < argc) {
            folder = argv[++i];
            CreateDirectoryW(folder.c_str(), nullptr);
        } else {
            std::printf("usage: kefo_wizard_driver [--auto] [--screenshots FOLDER]\n");
            return 2;
        }
    }
    return Driver(automatic, folder).Run();
}
