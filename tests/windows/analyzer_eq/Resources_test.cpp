// The resources of KEFO_AnalyzerEQ.dll as the host and the add-on's own code
// find them: the string table, the four dialogs control by control, the icon
// and indicator bitmaps, and the version block. The DLL is mapped as a data
// file, so none of its code runs.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "DialogTemplate.h"
#include "ResourceReading.h"
#include "hostsim/pictures/Screenshot.h"
#include "TestPaths.h"

namespace {

using dialog_template::CaptionOf;
using dialog_template::Item;
using dialog_template::Template;
using testing_resources::GroupIconEntry;
using testing_resources::Lower;
using testing_resources::Narrow;
using testing_resources::StringTableIds;

class AnalyzerEqResources : public testing::Test {
protected:
    static void SetUpTestSuite() {
        module_ = LoadLibraryExW(DllPath().c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    }
    static void TearDownTestSuite() {
        if (module_ != nullptr) FreeLibrary(module_);
        module_ = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(module_, nullptr) << "cannot map KEFO_AnalyzerEQ.dll, error " << GetLastError();
    }

    static std::wstring DllPath() { return testing_paths::BuiltFile(L"KEFO_AnalyzerEQ.dll"); }

    static Template Dialog(int id) {
        Template t;
        EXPECT_TRUE(dialog_template::Load(module_, id, t)) << "dialog " << id;
        return t;
    }

    // The raw bytes of one resource, empty when it is missing.
    static std::vector<unsigned char> ResourceBytes(int id, LPCWSTR type) {
        return testing_resources::ResourceBytes(module_, id, type);
    }

    static HMODULE module_;
};

HMODULE AnalyzerEqResources::module_ = nullptr;

// ---------------------------------------------------------------------------
// String table

struct StringEntry {
    int id;
    const wchar_t* text;
};

const StringEntry kStrings[] = {
    {1, L"Spectrum Analyzer and Graphic Equalizer Add-on"},
    {3, L"Spectrum Analyzer and Graphic Equalizer"},
    {4, L"Graphic Equalizer"},
    {5, L"Spectrum Analyzer"},
    {6, L"Tavolin Spectrum Analyzer"},
    {7, L"Tavolin Graphic Equalizer"},
    {25, L"Equalizer settings will be used when saving"},
    {26, L"Turn off application of equalizer settings for saving"},
    {27, L"[Untitled]"},
    {28, L"Rock [QZ]"},
    {29, L"Dance [QZ]"},
    {30, L"Classic [QZ]"},
    {31, L"Jazz [QZ]"},
    {32, L"Blues [QZ]"},
    {33, L"About %s"},
    {34, L"Are you sure you want to remove this preset?"},
    {35, L"Cannot save preset. \nA preset with this name already exists."},
    {36, L"On"},
    {37, L"Off"},
};

TEST_F(AnalyzerEqResources, EveryStringHasItsExactText) {
    for (const StringEntry& entry : kStrings) {
        const wchar_t* text = nullptr;
        // Length 0 asks for a pointer into the resource itself, so an embedded
        // line break or a trailing blank cannot hide behind a buffer size.
        int length = LoadStringW(module_, entry.id, reinterpret_cast<LPWSTR>(&text), 0);
        ASSERT_GT(length, 0) << "string " << entry.id << " is missing";
        EXPECT_EQ(std::wstring(text, length), entry.text) << "string " << entry.id;
    }
}

TEST_F(AnalyzerEqResources, StringTableHoldsNoOtherEntries) {
    const std::set<int> found = StringTableIds(module_);
    std::set<int> expected;
    for (const StringEntry& entry : kStrings) expected.insert(entry.id);
    EXPECT_EQ(found, expected);
}

// ---------------------------------------------------------------------------
// Dialogs: every control, in tab order, with id, class, caption and geometry

struct Control {
    int id;
    const wchar_t* className;
    const wchar_t* caption;  // "#n" for a resource ordinal
    short x, y, cx, cy;
};

void ExpectControls(const Template& dialog, const std::vector<Control>& expected) {
    ASSERT_EQ(dialog.items.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Item& got = dialog.items[i];
        const Control& want = expected[i];
        SCOPED_TRACE("control " + std::to_string(i) + " (id " + std::to_string(want.id) + ")");
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(Lower(got.className), Lower(want.className)) << Narrow(got.className);
        EXPECT_EQ(CaptionOf(got), want.caption) << Narrow(CaptionOf(got));
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
        EXPECT_TRUE(got.style & WS_CHILD);
        EXPECT_TRUE(got.style & WS_VISIBLE);
    }
}

const Item* Find(const Template& dialog, int id) {
    for (const Item& item : dialog.items)
        if (item.id == id) return &item;
    return nullptr;
}

void ExpectFont(const Template& dialog) {
    EXPECT_TRUE(dialog.style & DS_SETFONT);
    EXPECT_EQ(dialog.typeface, L"MS Shell Dlg");
    EXPECT_EQ(dialog.pointSize, 8);
}

const wchar_t* const kTrackbar = L"msctls_trackbar32";

TEST_F(AnalyzerEqResources, AnalyzerDialogHasItsControls) {
    const Template d = Dialog(101);
    // clang-format off
    const std::vector<Control> expected = {
        {1005, L"Button", L"Peaks", 3, 3, 33, 13},
        {1055, L"Button", L"Help", 138, 3, 40, 13},
        {1018, L"Static", L"", 10, 19, 166, 45},
        {1016, L"Static", L"Hz", 3, 66, 11, 8},
        {1026, L"Static", L"65", 15, 66, 16, 8},
        {1027, L"Static", L"125", 32, 66, 16, 8},
        {1028, L"Static", L"250", 50, 66, 16, 8},
        {1029, L"Static", L"500", 67, 66, 16, 8},
        {1030, L"Static", L"1k", 85, 66, 16, 8},
        {1031, L"Static", L"2k", 102, 66, 16, 8},
        {1032, L"Static", L"4k", 120, 66, 16, 8},
        {1033, L"Static", L"8k", 138, 66, 16, 8},
        {1035, L"Static", L"16k", 155, 66, 16, 8},
    };
    // clang-format on
    ExpectControls(d, expected);
}

TEST_F(AnalyzerEqResources, AnalyzerDialogIsACaptionlessChildWithABitmapDisplay) {
    const Template d = Dialog(101);
    EXPECT_EQ(d.cx, 180);
    EXPECT_EQ(d.cy, 77);
    EXPECT_TRUE(d.style & WS_CHILD);
    EXPECT_FALSE(d.style & WS_POPUP);
    EXPECT_NE(d.style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_TRUE(d.exStyle & WS_EX_CONTROLPARENT);
    ExpectFont(d);

    const Item* peaks = Find(d, 1005);
    ASSERT_NE(peaks, nullptr);
    EXPECT_EQ(peaks->style & BS_TYPEMASK, static_cast<DWORD>(BS_AUTOCHECKBOX));
    EXPECT_TRUE(peaks->style & BS_FLAT);

    const Item* display = Find(d, 1018);
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(display->style & SS_TYPEMASK, static_cast<DWORD>(SS_BITMAP));
    EXPECT_TRUE(display->style & SS_CENTERIMAGE);
    EXPECT_TRUE(display->style & SS_REALSIZEIMAGE);

    for (int id : {1026, 1027, 1028, 1029, 1030, 1031, 1032, 1033, 1035}) {
        const Item* label = Find(d, id);
        ASSERT_NE(label, nullptr) << id;
        EXPECT_EQ(label->style & SS_TYPEMASK, static_cast<DWORD>(SS_CENTER)) << id;
    }
}

TEST_F(AnalyzerEqResources, EqualizerDialogHasItsControls) {
    const Template d = Dialog(102);
    // clang-format off
    const std::vector<Control> expected = {
        {1066, L"Button", L" Activate for : ", 3, 3, 174, 27},
        {1052, L"Button", L"Playback", 10, 13, 44, 13},
        {1054, L"Button", L"Recording", 59, 13, 48, 13},
        {1053, L"Button", L"Apply to file", 123, 13, 49, 13},
        {1047, L"Static", L"Preset", 3, 31, 22, 8},
        {1070, L"Static", L"", 30, 35, 148, 1},
        {1051, L"ComboBox", L"", 3, 40, 86, 259},
        {1048, L"Button", L"Save as...", 92, 40, 43, 13},
        {1049, L"Button", L"Remove", 137, 40, 40, 13},
        {1067, L"Button", L"", 3, 54, 174, 70},
        {1057, L"Static", L"dB", 7, 61, 10, 8},
        {1039, L"Static", L"", 21, 61, 11, 8},
        {1040, L"Static", L"", 38, 61, 11, 8},
        {1041, L"Static", L"", 55, 61, 11, 8},
        {1042, L"Static", L"", 72, 61, 11, 8},
        {1043, L"Static", L"", 89, 61, 11, 8},
        {1044, L"Static", L"", 106, 61, 11, 8},
        {1045, L"Static", L"", 123, 61, 11, 8},
        {1046, L"Static", L"", 140, 61, 11, 8},
        {1050, L"Static", L"", 157, 61, 11, 8},
        {1006, kTrackbar, L"Slider1", 22, 68, 12, 46},
        {1007, kTrackbar, L"Slider2", 39, 68, 12, 46},
        {1008, kTrackbar, L"Slider3", 56, 68, 12, 46},
        {1009, kTrackbar, L"Slider4", 73, 68, 12, 46},
        {1010, kTrackbar, L"Slider5", 90, 68, 12, 46},
        {1011, kTrackbar, L"Slider6", 107, 68, 12, 46},
        {1012, kTrackbar, L"Slider7", 124, 68, 12, 46},
        {1013, kTrackbar, L"Slider8", 141, 68, 12, 46},
        {1014, kTrackbar, L"Slider9", 158, 68, 12, 46},
        {1056, L"Static", L"Hz", 7, 113, 12, 8},
        {1026, L"Static", L"65", 18, 113, 18, 8},
        {1027, L"Static", L"125", 34, 113, 18, 8},
        {1028, L"Static", L"250", 50, 113, 18, 8},
        {1029, L"Static", L"500", 68, 113, 18, 8},
        {1030, L"Static", L"1k", 86, 113, 18, 8},
        {1031, L"Static", L"2k", 103, 113, 18, 8},
        {1032, L"Static", L"4k", 120, 113, 18, 8},
        {1033, L"Static", L"8k", 137, 113, 18, 8},
        {1035, L"Static", L"16k", 154, 113, 18, 8},
        {1036, L"Button", L"Bypass", 3, 127, 43, 13},
        {1038, L"Button", L"Reset", 96, 127, 40, 13},
        {1055, L"Button", L"Help", 138, 127, 40, 13},
        {1058, L"Button", L"OK", 3, 143, 40, 13},
        {1059, L"Button", L"Cancel", 45, 143, 40, 13},
    };
    // clang-format on
    ExpectControls(d, expected);
}

TEST_F(AnalyzerEqResources, EqualizerControlsHaveTheirStyles) {
    const Template d = Dialog(102);
    EXPECT_EQ(d.cx, 180);
    EXPECT_EQ(d.cy, 159);
    EXPECT_TRUE(d.style & WS_CHILD);
    EXPECT_TRUE(d.exStyle & WS_EX_CONTROLPARENT);
    ExpectFont(d);

    for (int id = 1006; id <= 1014; ++id) {
        const Item* slider = Find(d, id);
        ASSERT_NE(slider, nullptr) << id;
        EXPECT_EQ(slider->style & (TBS_VERT | TBS_BOTH | TBS_NOTICKS),
                  static_cast<DWORD>(TBS_VERT | TBS_BOTH | TBS_NOTICKS))
            << id;
    }
    for (int id : {1052, 1054, 1036}) {
        const Item* box = Find(d, id);
        ASSERT_NE(box, nullptr) << id;
        EXPECT_EQ(box->style & BS_TYPEMASK, static_cast<DWORD>(BS_AUTOCHECKBOX)) << id;
        EXPECT_TRUE(box->style & BS_FLAT) << id;
    }
    const Item* apply = Find(d, 1053);
    ASSERT_NE(apply, nullptr);
    EXPECT_EQ(apply->style & BS_TYPEMASK, static_cast<DWORD>(BS_AUTOCHECKBOX));
    EXPECT_TRUE(apply->style & BS_PUSHLIKE);

    const Item* presets = Find(d, 1051);
    ASSERT_NE(presets, nullptr);
    EXPECT_EQ(presets->style & 0x3, static_cast<DWORD>(CBS_DROPDOWNLIST));
    EXPECT_TRUE(presets->style & CBS_SORT);
    EXPECT_TRUE(presets->style & WS_VSCROLL);

    const Item* line = Find(d, 1070);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->style & SS_TYPEMASK, static_cast<DWORD>(SS_ETCHEDHORZ));
    for (int id : {1066, 1067}) {
        const Item* group = Find(d, id);
        ASSERT_NE(group, nullptr) << id;
        EXPECT_EQ(group->style & BS_TYPEMASK, static_cast<DWORD>(BS_GROUPBOX)) << id;
    }
    for (int id : {1039, 1040, 1041, 1042, 1043, 1044, 1045, 1046, 1050}) {
        const Item* value = Find(d, id);
        ASSERT_NE(value, nullptr) << id;
        EXPECT_EQ(value->style & SS_TYPEMASK, static_cast<DWORD>(SS_CENTER)) << id;
    }
}

TEST_F(AnalyzerEqResources, EqualizerTemplateBecomesAModalPopupByItsStyleMask) {
    // Dialog-only instances run the same template as a modal popup after
    // rewriting its style; the font and the control parent must survive.
    const Template d = Dialog(102);
    const DWORD popup = (d.style & 0x3F37FF7Fu) | 0x80C80080u;
    EXPECT_FALSE(popup & WS_CHILD);
    EXPECT_EQ(popup & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
              static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
    EXPECT_TRUE(popup & DS_SETFONT);
    EXPECT_TRUE(d.exStyle & WS_EX_CONTROLPARENT);
}

TEST_F(AnalyzerEqResources, AboutDialogHasItsControls) {
    const Template d = Dialog(106);
    // clang-format off
    const std::vector<Control> expected = {
        {IDOK, L"Button", L"OK", 229, 7, 50, 14},
        {-1, L"Static", L"#114", 7, 7, 20, 20},
        {1063, L"Static", L"", 35, 7, 189, 8},
        {-1, L"Static", L"Version", 35, 21, 27, 8},
        {1065, L"Static", L"", 66, 21, 63, 8},
        {1071, L"Static", L"Copyright \u00A9 2004-%s Brendle", 35, 35, 159, 8},
    };
    // clang-format on
    ExpectControls(d, expected);
    EXPECT_EQ(d.cx, 286);
    EXPECT_EQ(d.cy, 50);
    EXPECT_EQ(d.style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
              static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
    ExpectFont(d);
    EXPECT_EQ(d.items[0].style & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
    EXPECT_EQ(d.items[1].style & SS_TYPEMASK, static_cast<DWORD>(SS_ICON));
    // The copyright line is a template with one place for the build year.
    const std::wstring copyright = d.items[5].title.text;
    EXPECT_EQ(copyright.find(L"%s"), copyright.rfind(L"%s"));
    EXPECT_EQ(copyright.find(L'%'), copyright.find(L"%s"));
}

TEST_F(AnalyzerEqResources, PresetNameDialogHasItsControls) {
    const Template d = Dialog(108);
    // clang-format off
    const std::vector<Control> expected = {
        {1061, L"Static", L"New preset name:", 3, 3, 67, 8},
        {1060, L"Edit", L"", 3, 14, 159, 12},
        {IDOK, L"Button", L"OK", 31, 31, 50, 12},
        {IDCANCEL, L"Button", L"Cancel", 84, 31, 50, 12},
    };
    // clang-format on
    ExpectControls(d, expected);
    EXPECT_EQ(d.title, L"Saving Preset");
    EXPECT_EQ(d.cx, 165);
    EXPECT_EQ(d.cy, 46);
    EXPECT_EQ(d.style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
              static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
    ExpectFont(d);
    EXPECT_TRUE(d.items[1].style & WS_BORDER);
    EXPECT_TRUE(d.items[1].style & ES_AUTOHSCROLL);
    EXPECT_EQ(d.items[2].style & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
    EXPECT_EQ(d.items[3].style & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON));
}

INT_PTR CALLBACK AcceptDialog(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

// The system builds every dialog from its template: each control becomes a
// window of its class, and the child dialogs come out at their mapped size.
TEST_F(AnalyzerEqResources, EveryDialogCanBeCreated) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&icc));
    HWND host = CreateWindowExW(0, L"Static", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 600, 500, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(host, nullptr);
    for (int id : {101, 102, 106, 108}) {
        SCOPED_TRACE("dialog " + std::to_string(id));
        const Template t = Dialog(id);
        HWND dialog = CreateDialogParamW(module_, MAKEINTRESOURCEW(id), host, AcceptDialog, 0);
        ASSERT_NE(dialog, nullptr) << "error " << GetLastError();
        for (const Item& item : t.items) {
            if (item.id == -1) continue;
            HWND control = GetDlgItem(dialog, item.id);
            ASSERT_NE(control, nullptr) << "control " << item.id;
            wchar_t cls[64] = {};
            GetClassNameW(control, cls, 64);
            EXPECT_EQ(Lower(cls), Lower(item.className)) << "control " << item.id;
        }
        if (t.style & WS_CHILD) {
            RECT want{0, 0, t.cx, t.cy};
            MapDialogRect(dialog, &want);
            RECT got{};
            GetClientRect(dialog, &got);
            EXPECT_EQ(got.right, want.right);
            EXPECT_EQ(got.bottom, want.bottom);
        }
        DestroyWindow(dialog);
    }
    DestroyWindow(host);
}

INT_PTR CALLBACK FillSampleValues(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG) return FALSE;
    // Sample values where the add-on fills texts in at run time.
    const int values[] = {3, 0, -2, 0, 5, 0, 0, -6, 1};
    const int valueIds[] = {1039, 1040, 1041, 1042, 1043, 1044, 1045, 1046, 1050};
    for (int band = 0; band < 9; ++band) {
        wchar_t text[8];
        wsprintfW(text, values[band] > 0 ? L"+%i" : L"%i", values[band]);
        SetDlgItemTextW(dialog, valueIds[band], text);
        SendDlgItemMessageW(dialog, 1006 + band, TBM_SETRANGE, TRUE, MAKELPARAM(-15, 15));
        SendDlgItemMessageW(dialog, 1006 + band, TBM_SETPOS, TRUE, -values[band]);
    }
    SetDlgItemTextW(dialog, 1063, L"Spectrum Analyzer and Graphic Equalizer Add-on");
    SetDlgItemTextW(dialog, 1065, L"1.1");
    return TRUE;
}

// Each dialog as a user sees it, saved to the build's artifacts folder
// (analyzer_eq_dialog_<id>.png): the child windows inside a plain frame the
// size of the dialog, the popups on their own.
TEST_F(AnalyzerEqResources, DialogPicturesAreSaved) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&icc));
    // One frame for both child dialogs: under Wine without a window manager,
    // taking a top-level window off the screen costs seconds.
    HWND frame = CreateWindowExW(0, L"Static", L"", WS_POPUP | SS_GRAYRECT, 40, 40, 100, 100,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(frame, nullptr);
    for (int id : {101, 102, 106, 108}) {
        SCOPED_TRACE("dialog " + std::to_string(id));
        const bool child = (Dialog(id).style & WS_CHILD) != 0;
        HWND dialog = CreateDialogParamW(module_, MAKEINTRESOURCEW(id), child ? frame : nullptr,
                                         FillSampleValues, 0);
        ASSERT_NE(dialog, nullptr);
        HWND shown = child ? frame : dialog;
        RECT inner{};
        GetWindowRect(dialog, &inner);
        SetWindowPos(shown, HWND_TOP, 40, 40, inner.right - inner.left, inner.bottom - inner.top,
                     0);
        ShowWindow(shown, SW_SHOW);
        ShowWindow(dialog, SW_SHOW);
        screens::PumpMessages(300);

        const screens::Image image = screens::CaptureScreenArea(shown);
        RECT bounds{};
        GetWindowRect(shown, &bounds);
        EXPECT_EQ(image.width, bounds.right - bounds.left);
        EXPECT_EQ(image.height, bounds.bottom - bounds.top);
        std::set<std::uint32_t> colours;
        for (std::size_t i = 0; i + 2 < image.rgb.size(); i += 3)
            colours.insert(static_cast<std::uint32_t>(image.rgb[i] << 16 | image.rgb[i + 1] << 8 |
                                                      image.rgb[i + 2]));
        EXPECT_GE(colours.size(), 3u) << "the picture shows more than a blank window";
        EXPECT_TRUE(screens::WritePng(
            image,
            testing_paths::ArtifactPath(L"analyzer_eq_dialog_" + std::to_wstring(id) + L".png")));
        DestroyWindow(dialog);
    }
    DestroyWindow(frame);
}

// ---------------------------------------------------------------------------
// Pictures

TEST_F(AnalyzerEqResources, IconIsOne32By32ImageOf256Colours) {
    const std::vector<GroupIconEntry> group = testing_resources::IconGroup(module_, 114);
    ASSERT_EQ(group.size(), 1u);
    const GroupIconEntry& entry = group[0];
    EXPECT_EQ(entry.width, 32);
    EXPECT_EQ(entry.height, 32);
    EXPECT_EQ(entry.bitCount, 8);

    const std::vector<unsigned char> image = ResourceBytes(entry.id, RT_ICON);
    ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header{};
    std::memcpy(&header, image.data(), sizeof header);
    EXPECT_EQ(header.biWidth, 32);
    EXPECT_EQ(header.biHeight, 64);  // image and mask
    EXPECT_EQ(header.biBitCount, 8);
    EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
    const std::size_t colours = header.biClrUsed ? header.biClrUsed : 256;
    EXPECT_EQ(image.size(), header.biSize + colours * 4 + 32 * 32 + 32 * 4);

    // A real picture: several colours, and a mask with both see-through corners
    // and an opaque middle.
    const unsigned char* pixels = image.data() + header.biSize + colours * 4;
    const std::set<unsigned char> used(pixels, pixels + 32 * 32);
    EXPECT_GE(used.size(), 6u);
    const unsigned char* mask = pixels + 32 * 32;
    EXPECT_TRUE(mask[0] & 0x80) << "bottom-left corner is transparent";
    EXPECT_FALSE(mask[16 * 4 + 2] & 0x80) << "centre is opaque";

    HICON icon =
        static_cast<HICON>(LoadImageW(module_, MAKEINTRESOURCEW(114), IMAGE_ICON, 32, 32, 0));
    EXPECT_NE(icon, nullptr);
    if (icon != nullptr) DestroyIcon(icon);
}

class AnalyzerEqResourcesBitmap : public AnalyzerEqResources,
                                  public testing::WithParamInterface<int> {};

TEST_P(AnalyzerEqResourcesBitmap, Is16By16With16Colours) {
    const std::vector<unsigned char> bytes = ResourceBytes(GetParam(), RT_BITMAP);
    ASSERT_GE(bytes.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header{};
    std::memcpy(&header, bytes.data(), sizeof header);
    EXPECT_EQ(header.biWidth, 16);
    EXPECT_EQ(header.biHeight, 16);
    EXPECT_EQ(header.biBitCount, 4);
    EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
}

TEST_P(AnalyzerEqResourcesBitmap, BackgroundTakesTheFaceColourWhenLoadedAsTheAddOnDoes) {
    // The add-on loads these with LR_LOADMAP3DCOLORS (and LR_LOADTRANSPARENT
    // for "On"); either way the corner must come out in the 3-D face colour
    // so the lamp sits on the status bar without a box around it.
    const UINT flags = LR_LOADMAP3DCOLORS | (GetParam() == 133 ? LR_LOADTRANSPARENT : 0);
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageW(module_, MAKEINTRESOURCEW(GetParam()), IMAGE_BITMAP, 0, 0, flags));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 16);
    EXPECT_EQ(info.bmHeight, 16);

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const COLORREF face = GetSysColor(COLOR_3DFACE);
    EXPECT_EQ(GetPixel(memory, 0, 15), face);
    EXPECT_EQ(GetPixel(memory, 0, 0), face);
    const COLORREF centre = GetPixel(memory, 8, 8);
    EXPECT_NE(centre, face);
    if (GetParam() == 133) {
        EXPECT_GT(GetGValue(centre), 2 * GetRValue(centre)) << "the lit lamp is green";
    } else {
        EXPECT_EQ(GetRValue(centre), GetGValue(centre)) << "the dark lamp is grey";
        EXPECT_EQ(GetGValue(centre), GetBValue(centre)) << "the dark lamp is grey";
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
}

INSTANTIATE_TEST_SUITE_P(OnAndOff, AnalyzerEqResourcesBitmap, testing::Values(133, 134));

// ---------------------------------------------------------------------------
// Version block

TEST_F(AnalyzerEqResources, VersionBlockNamesTheAddOnAndItsVersion) {
    const testing_resources::VersionBlock block(DllPath());
    ASSERT_TRUE(block.Loaded());
    const VS_FIXEDFILEINFO* fixed = block.Fixed();
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010001u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010001u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

    const std::map<std::wstring, std::wstring> expected = {
        {L"CompanyName", L"Brendle"},
        {L"FileDescription", L"Tavolin Spectrum Analyzer and Graphic Equalizer Add-on"},
        {L"FileVersion", L"1.1"},
        {L"InternalName", L"KEFO_AnalyzerEQ"},
        {L"OriginalFilename", L"KEFO_AnalyzerEQ.dll"},
        {L"ProductName", L"Spectrum Analyzer and Graphic Equalizer Add-on"},
        {L"ProductVersion", L"1.1"},
    };
    for (const auto& [name, text] : expected)
        EXPECT_EQ(block.Text(name.c_str()), text) << Narrow(name);

    // The copyright line ends with the year of the build: four digits, not
    // before the first release and not after today.
    const std::wstring copyright = block.Text(L"LegalCopyright");
    const int year =
        testing_resources::CopyrightYear(copyright, L"Copyright \u00A9 2004-", L" Brendle");
    ASSERT_NE(year, -1) << Narrow(copyright);
    SYSTEMTIME now{};
    GetSystemTime(&now);
    EXPECT_GE(year, 2008);
    EXPECT_LE(year, now.wYear);
}

}  // namespace
