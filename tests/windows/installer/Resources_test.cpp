// The resources of KEFO_Install.exe: the string table, the three wizard pages
// control by control, the pictures, the manifest and the version block. The
// resource script is compiled into this test program, with the definitions
// the installer's build gives it, and read back from the program's own module.
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
#include "resource.h"

namespace {

using dialog_template::CaptionOf;
using dialog_template::Item;
using dialog_template::Template;
using testing_resources::GroupIconEntry;
using testing_resources::Lower;
using testing_resources::Narrow;
using testing_resources::StringTableIds;

HMODULE Self() {
    return GetModuleHandleW(nullptr);
}

Template Dialog(int id) {
    Template t;
    EXPECT_TRUE(dialog_template::Load(Self(), id, t)) << "dialog " << id;
    return t;
}

// The raw bytes of one resource, empty when it is missing.
std::vector<unsigned char> ResourceBytes(int id, LPCWSTR type) {
    return testing_resources::ResourceBytes(Self(), id, type);
}

// ---------------------------------------------------------------------------
// String table

struct StringEntry {
    int id;
    const wchar_t* text;
};

// clang-format off
const StringEntry kStrings[] = {
    {4, L"Tavolin Add-on Installation"},
    {5, L"Are you sure you want to exit the installation program?"},
    {6, L"%d.%d (build %u)"},
    {7, L"%d.%d-Beta (build %u)"},
    {9, L"Tavolin is not installed."},
    {10, L"Tavolin version %s is installed but does not support add-ons. Only Tavolin version %s "
         L"and higher supports add-ons."},
    {11, L"Tavolin is not installed properly."},
    {13, L"%s version %d.%d\r\nis already installed on your computer. Do you want to replace the "
         L"add-on?"},
    {18, L"Finish"},
    {19, L"Setup cannot be started in the %s folder."},
    {20, L"No add-ons found in distribution."},
    {22, L"The installation has failed."},
    {24, L"Unable to delete file \"%s\".\nSystem error %u (%s)\n\nClose Tavolin, and click Retry "
         L"to try deleting this file again."},
    {26, L"Unexpected error %u in the \"%s(%s)\" function (%s)."},
    {27, L"%s Version %d.%d requires Tavolin %d.%d (%s). Tavolin %d.%d (%s) is currently "
         L"installed."},
    {28, L"Name"},
    {29, L"Version"},
    {30, L"%s, Version %d.%d is already installed on your computer. The distribution package "
         L"contains an older version (%d.%d) of this add-on. If you want to replace your version "
         L"of this add-on with the older version, you must uninstall it from Tavolin, and then "
         L"restart this Setup program."},
    {31, L"File \"%s\" is read-only. Do you want to overwrite it?"},
    {32, L"Unable to find the Tavolin installation folder %s."},
    {33, L"No add-ons in distribution package for this release of Tavolin."},
    {34, L"After installing the add-on(s), you should restart Tavolin."},
    {35, L"Talvo Edition"},
    {36, L"Presk Edition"},
    {37, L"Dorrin Edition"},
    {38, L"any edition"},
    {39, L"Presk, Vimmel, or Dorrin Edition"},
    {40, L"Dorrin Edition"},
    {41, L"An earlier installation of add-ons in %s did not finish. The add-ons it was replacing "
         L"have been restored as they were before it."},
    {42, L"An earlier installation of add-ons in %s did not finish. It had already put the new "
         L"add-ons in place; its remaining steps have now been completed."},
    {43, L"Files left by an earlier, unfinished installation were found in %s. Add-on files that "
         L"had been moved aside were put back where their originals were missing, and the other "
         L"leftover files were removed."},
    {44, L"An earlier installation of add-ons in %s did not finish, and its files could not be put "
         L"in order: error %u in the \"%s(%s)\" function (%s). Close Tavolin, and start Setup "
         L"again."},
};
// clang-format on

TEST(InstallerResources, EveryStringHasItsExactText) {
    for (const StringEntry& entry : kStrings) {
        const wchar_t* text = nullptr;
        // Length 0 asks for a pointer into the resource itself, so an embedded
        // line break or a trailing blank cannot hide behind a buffer size.
        int length = LoadStringW(Self(), entry.id, reinterpret_cast<LPWSTR>(&text), 0);
        ASSERT_GT(length, 0) << "string " << entry.id << " is missing";
        EXPECT_EQ(std::wstring(text, length), entry.text) << "string " << entry.id;
    }
}

// Collects the languages a resource exists in.
BOOL CALLBACK NoteLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
    reinterpret_cast<std::set<WORD>*>(param)->insert(language);
    return TRUE;
}

TEST(InstallerResources, StringTableHoldsNoOtherEntriesAndIsUsEnglish) {
    const std::set<int> found = StringTableIds(Self());
    std::set<int> expected;
    for (const StringEntry& entry : kStrings) expected.insert(entry.id);
    EXPECT_EQ(found, expected);

    // Blocks 1 to 3 hold ids 0 to 47; each must exist in US English only.
    std::set<WORD> languages;
    for (int block = 1; block <= 3; ++block) {
        EnumResourceLanguagesW(Self(), RT_STRING, MAKEINTRESOURCEW(block), NoteLanguage,
                               reinterpret_cast<LONG_PTR>(&languages));
    }
    EXPECT_EQ(languages, std::set<WORD>{MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)});
}

// ---------------------------------------------------------------------------
// Dialogs: every control, in tab order, with id, class, caption, geometry and
// the style bits that give it its kind.

enum class Kind { Text, CentredText, WhiteRect, Picture, CentredPicture, RealSizePicture, List };

struct Control {
    int id;
    Kind kind;
    const wchar_t* caption;  // "#n" for a resource ordinal
    short x, y, cx, cy;
    bool tabStop = false;
};

void ExpectKind(const Item& item, Kind kind) {
    const DWORD type = item.style & SS_TYPEMASK;
    const bool list = kind == Kind::List;
    EXPECT_EQ(Lower(item.className), list ? L"syslistview32" : L"static") << Narrow(item.className);
    switch (kind) {
        case Kind::Text: EXPECT_EQ(type, static_cast<DWORD>(SS_LEFT)); break;
        case Kind::CentredText: EXPECT_EQ(type, static_cast<DWORD>(SS_CENTER)); break;
        case Kind::WhiteRect: EXPECT_EQ(type, static_cast<DWORD>(SS_WHITERECT)); break;
        case Kind::Picture:
        case Kind::CentredPicture:
        case Kind::RealSizePicture:
            EXPECT_EQ(type, static_cast<DWORD>(SS_BITMAP));
            EXPECT_EQ((item.style & SS_CENTERIMAGE) != 0, kind == Kind::CentredPicture);
            EXPECT_EQ((item.style & SS_REALSIZEIMAGE) != 0, kind == Kind::RealSizePicture);
            EXPECT_FALSE(item.style & SS_REALSIZECONTROL);
            break;
        case Kind::List: {
            const DWORD wanted = LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER;
            EXPECT_EQ(item.style & LVS_TYPEMASK, static_cast<DWORD>(LVS_REPORT));
            EXPECT_EQ(item.style & wanted, wanted);
            // Sorting or editing would reorder or rename the add-ons.
            EXPECT_FALSE(item.style & (LVS_SORTASCENDING | LVS_SORTDESCENDING | LVS_EDITLABELS));
            break;
        }
    }
}

void ExpectControls(const Template& dialog, const std::vector<Control>& expected) {
    ASSERT_EQ(dialog.items.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Item& got = dialog.items[i];
        const Control& want = expected[i];
        SCOPED_TRACE("control " + std::to_string(i) + " (id " + std::to_string(want.id) + ")");
        EXPECT_EQ(got.id, want.id);
        ExpectKind(got, want.kind);
        EXPECT_EQ(CaptionOf(got), want.caption) << Narrow(CaptionOf(got));
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
        EXPECT_EQ((got.style & WS_TABSTOP) != 0, want.tabStop);
        EXPECT_TRUE(got.style & WS_CHILD);
        EXPECT_TRUE(got.style & WS_VISIBLE);
        EXPECT_FALSE(got.style & WS_DISABLED);
    }
}

// A wizard page: a 355 x 180 child of the sheet whose caption is the title
// the sheet shows, in the shell's dialog font.
void ExpectPage(const Template& page, const wchar_t* title) {
    EXPECT_EQ(page.cx, 355);
    EXPECT_EQ(page.cy, 180);
    EXPECT_TRUE(page.style & WS_CHILD);
    EXPECT_FALSE(page.style & WS_POPUP);
    EXPECT_EQ(page.style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_EQ(page.title, title) << Narrow(page.title);
    EXPECT_TRUE(page.style & DS_SETFONT);
    EXPECT_EQ(page.typeface, L"MS Shell Dlg");
    EXPECT_EQ(page.pointSize, 8);
    EXPECT_FALSE(page.menu.isOrdinal || !page.menu.text.empty());
}

TEST(InstallerResources, WelcomePageHasItsControls) {
    const Template d = Dialog(IDD_WELCOME);
    ExpectPage(d, L"Tavolin Add-ons Install - Welcome to Install");
    // clang-format off
    ExpectControls(d, {
        {111, Kind::CentredText, L"Welcome to the Tavolin Add-ons Install.", 0, 5, 353, 10},
        {-1, Kind::CentredPicture, L"#116", 11, 18, 333, 139},
        {-1, Kind::Text, L"Click Next to continue.", 11, 164, 200, 8},
    });
    // clang-format on
}

TEST(InstallerResources, SelectPageHasItsControls) {
    const Template d = Dialog(IDD_SELECT);
    ExpectPage(d, L"Tavolin Add-ons Install - Select add-ons");
    // clang-format off
    ExpectControls(d, {
        {-1, Kind::WhiteRect, L"", 0, 0, 95, 180},
        {1034, Kind::Picture, L"#114", 0, 0, 65, 31},
        {-1, Kind::Text, L"Select the add-ons you want to install.", 99, 0, 208, 8},
        {-1, Kind::Text, L"Add-ons already installed:", 99, 12, 207, 8},
        {1033, Kind::List, L"", 99, 23, 252, 65, false},
        {-1, Kind::Text, L"Add-ons to install:", 99, 92, 207, 8},
        {1027, Kind::List, L"", 99, 102, 252, 65, true},
        {-1, Kind::Text, L"Click Next to begin the installation.", 99, 172, 207, 8},
    });
    // clang-format on
}

TEST(InstallerResources, InstallPageHasItsControls) {
    const Template d = Dialog(IDD_INSTALL);
    ExpectPage(d, L"Tavolin Add-ons Install - Install Process");
    // clang-format off
    ExpectControls(d, {
        {-1, Kind::Text, L"Setup will install add-ons on your computer. Please wait until the "
                         L"following steps are complete.", 100, 0, 215, 26},
        {1016, Kind::RealSizePicture, L"#112", 106, 31, 11, 10},
        {1019, Kind::Text, L"Install Process", 129, 33, 150, 8},
        {1002, Kind::CentredText, L"The installation completed successfully.", 100, 111, 251, 15},
        {-1, Kind::WhiteRect, L"", 0, 0, 95, 180},
        {1034, Kind::Picture, L"#114", 0, 0, 95, 156},
    });
    // clang-format on
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    if (bitmap == nullptr || GetObjectW(bitmap, sizeof info, &info) == 0) return {0, 0};
    return {info.bmWidth, info.bmHeight};
}

// Fills a page's lists with sample rows where the installer fills them in at
// run time.
INT_PTR CALLBACK FillSampleRows(HWND page, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG) return FALSE;
    for (int listId : {IDC_INSTALLED_LIST, IDC_INSTALL_LIST}) {
        HWND list = GetDlgItem(page, listId);
        if (list == nullptr) continue;
        DWORD extended = LVS_EX_FULLROWSELECT;
        if (listId == IDC_INSTALL_LIST) extended |= LVS_EX_CHECKBOXES;
        ListView_SetExtendedListViewStyle(list, extended);
        if (listId == IDC_INSTALLED_LIST) {
            ListView_SetBkColor(list, GetSysColor(COLOR_BTNFACE));
            ListView_SetTextBkColor(list, GetSysColor(COLOR_BTNFACE));
        }
        RECT client{};
        GetClientRect(list, &client);
        LVCOLUMNW name{};
        name.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        name.fmt = LVCFMT_LEFT;
        name.cx = client.right - GetSystemMetrics(SM_CYHSCROLL) - 125;
        name.pszText = const_cast<wchar_t*>(L"Name");
        LVCOLUMNW version = name;
        version.fmt = LVCFMT_RIGHT;
        version.cx = 125;
        version.pszText = const_cast<wchar_t*>(L"Version");
        ListView_InsertColumn(list, 0, &name);
        ListView_InsertColumn(list, 1, &version);
        const wchar_t* rows[][2] = {{L"Digital Mixer Add-on", L"1.2 (build 310)"},
                                    {L"Send to iTunes/iPod Add-on", L"1.0"}};
        for (int row = 0; row < 2; ++row) {
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = row;
            item.pszText = const_cast<wchar_t*>(rows[row][0]);
            ListView_InsertItem(list, &item);
            ListView_SetItemText(list, row, 1, const_cast<wchar_t*>(rows[row][1]));
            if (listId == IDC_INSTALL_LIST) ListView_SetCheckState(list, row, row == 0);
        }
    }
    return TRUE;
}

class InstallerPages : public testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&icc);
    }
    void SetUp() override {
        // One plain frame for every page: under Wine without a window manager
        // taking a top-level window off the screen costs seconds.
        frame_ = CreateWindowExW(0, L"Static", L"", WS_POPUP | SS_GRAYRECT, 40, 40, 100, 100,
                                 nullptr, nullptr, Self(), nullptr);
        ASSERT_NE(frame_, nullptr);
    }
    void TearDown() override {
        if (frame_ != nullptr) DestroyWindow(frame_);
    }

    // The page as a child of the frame, given sample contents where the
    // installer fills them in at run time.
    HWND Page(int id) {
        HWND page = CreateDialogParamW(Self(), MAKEINTRESOURCEW(id), frame_, FillSampleRows, 0);
        EXPECT_NE(page, nullptr) << "page " << id << ", error " << GetLastError();
        return page;
    }

    HWND frame_ = nullptr;
};

TEST_F(InstallerPages, PagesCreateWithTheirControlsAndPictures) {
    for (int id : {IDD_WELCOME, IDD_SELECT, IDD_INSTALL}) {
        SCOPED_TRACE("page " + std::to_string(id));
        const Template t = Dialog(id);
        HWND page = Page(id);
        ASSERT_NE(page, nullptr);
        for (const Item& item : t.items) {
            if (item.id == -1) continue;
            HWND control = GetDlgItem(page, item.id);
            ASSERT_NE(control, nullptr) << "control " << item.id;
            wchar_t cls[64] = {};
            GetClassNameW(control, cls, 64);
            EXPECT_EQ(Lower(cls), Lower(item.className)) << "control " << item.id;
        }
        RECT want{0, 0, t.cx, t.cy};
        MapDialogRect(page, &want);
        RECT got{};
        GetClientRect(page, &got);
        EXPECT_EQ(got.right, want.right);
        EXPECT_EQ(got.bottom, want.bottom);
        DestroyWindow(page);
    }

    // Every picture reaches its static: the banner sizes its static to itself,
    // the welcome picture and the mark keep theirs.
    struct Shown {
        int page, control, bitmap, width, height;
    };
    for (const Shown& s : {Shown{IDD_SELECT, IDC_BANNER, IDB_BANNER, 142, 248},
                           Shown{IDD_INSTALL, IDC_BANNER, IDB_BANNER, 142, 248},
                           Shown{IDD_INSTALL, IDC_RESULT_MARK, IDB_SUCCESS_MARK, 17, 16}}) {
        SCOPED_TRACE("page " + std::to_string(s.page) + ", control " + std::to_string(s.control));
        HWND page = Page(s.page);
        ASSERT_NE(page, nullptr);
        auto bitmap = reinterpret_cast<HBITMAP>(
            SendDlgItemMessageW(page, s.control, STM_GETIMAGE, IMAGE_BITMAP, 0));
        const SIZE size = BitmapSize(bitmap);
        EXPECT_EQ(size.cx, s.width);
        EXPECT_EQ(size.cy, s.height);
        DestroyWindow(page);
    }
    HWND welcome = Page(IDD_WELCOME);
    ASSERT_NE(welcome, nullptr);
    HWND picture = nullptr;
    for (HWND child = GetWindow(welcome, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetWindowLongW(child, GWL_STYLE) & SS_CENTERIMAGE) picture = child;
    ASSERT_NE(picture, nullptr);
    const SIZE size =
        BitmapSize(reinterpret_cast<HBITMAP>(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0)));
    EXPECT_EQ(size.cx, 496);
    EXPECT_EQ(size.cy, 218);
    // The dialog manager maps a control's size (333 x 139 units) on its own,
    // not as the difference of its two mapped edges, which can differ by one.
    RECT want{0, 0, 333, 139}, got{};
    MapDialogRect(welcome, &want);
    GetClientRect(picture, &got);
    EXPECT_EQ(got.right, want.right) << "the picture is centred, not stretched";
    EXPECT_GE(got.right, size.cx);
    DestroyWindow(welcome);
}

// Each page as the sheet would show it, saved to the build's artifacts folder
// (installer_page_<id>.png), with sample rows in the lists and the install
// page as it ends.
TEST_F(InstallerPages, PagePicturesAreSaved) {
    for (int id : {IDD_WELCOME, IDD_SELECT, IDD_INSTALL}) {
        SCOPED_TRACE("page " + std::to_string(id));
        HWND page = Page(id);
        ASSERT_NE(page, nullptr);
        // The sheet shows a page without its caption (it becomes the title),
        // at the size of its client area.
        RECT inner{};
        GetClientRect(page, &inner);
        SetWindowLongW(page, GWL_STYLE, GetWindowLongW(page, GWL_STYLE) & ~WS_CAPTION);
        SetWindowPos(page, nullptr, 0, 0, inner.right, inner.bottom,
                     SWP_NOZORDER | SWP_FRAMECHANGED);
        SetWindowPos(frame_, HWND_TOP, 40, 40, inner.right, inner.bottom, 0);
        ShowWindow(frame_, SW_SHOW);
        ShowWindow(page, SW_SHOW);
        screens::PumpMessages(300);

        const screens::Image image = screens::CaptureScreenArea(frame_);
        ASSERT_EQ(image.width, inner.right);
        ASSERT_EQ(image.height, inner.bottom);
        std::set<std::uint32_t> colours;
        for (std::size_t i = 0; i + 2 < image.rgb.size(); i += 3)
            colours.insert(static_cast<std::uint32_t>(image.rgb[i] << 16 | image.rgb[i + 1] << 8 |
                                                      image.rgb[i + 2]));
        EXPECT_GE(colours.size(), 8u) << "the picture shows more than a blank window";
        EXPECT_TRUE(screens::WritePng(
            image,
            testing_paths::ArtifactPath(L"installer_page_" + std::to_wstring(id) + L".png")));
        DestroyWindow(page);
    }
}

// ---------------------------------------------------------------------------
// Pictures

BITMAPINFOHEADER BitmapHeader(int id) {
    const std::vector<unsigned char> bytes = ResourceBytes(id, RT_BITMAP);
    BITMAPINFOHEADER header{};
    EXPECT_GE(bytes.size(), sizeof header) << "bitmap " << id;
    if (bytes.size() >= sizeof header) std::memcpy(&header, bytes.data(), sizeof header);
    return header;
}

// The pixels of a loaded bitmap, read through a memory DC.
class Pixels {
public:
    explicit Pixels(HBITMAP bitmap) : bitmap_(bitmap) {
        dc_ = CreateCompatibleDC(nullptr);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~Pixels() {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    Pixels(const Pixels&) = delete;
    Pixels& operator=(const Pixels&) = delete;
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }

private:
    HBITMAP bitmap_;
    HDC dc_;
    HGDIOBJ old_;
};

TEST(InstallerResources, BitmapsHaveTheirSizes) {
    struct Size {
        int id, width, height;
    };
    for (const Size& s : {Size{IDB_SUCCESS_MARK, 17, 16}, Size{IDB_FAILURE_MARK, 17, 16},
                          Size{IDB_BANNER, 142, 248}, Size{IDB_WELCOME, 496, 218}}) {
        const BITMAPINFOHEADER header = BitmapHeader(s.id);
        EXPECT_EQ(header.biWidth, s.width) << "bitmap " << s.id;
        EXPECT_EQ(header.biHeight, s.height) << "bitmap " << s.id;
        EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB)) << "bitmap " << s.id;
    }
    // Colour mapping on load rewrites palette entries, so the marks need one.
    EXPECT_LE(BitmapHeader(IDB_SUCCESS_MARK).biBitCount, 8);
    EXPECT_LE(BitmapHeader(IDB_FAILURE_MARK).biBitCount, 8);
}

class InstallerMark : public testing::TestWithParam<int> {};

TEST_P(InstallerMark, SitsOnTheFaceColourWhenLoadedAsTheInstallerDoes) {
    HBITMAP bitmap =
        static_cast<HBITMAP>(LoadImageW(Self(), MAKEINTRESOURCEW(GetParam()), IMAGE_BITMAP, 0, 0,
                                        LR_LOADMAP3DCOLORS | LR_LOADTRANSPARENT));
    ASSERT_NE(bitmap, nullptr);
    const Pixels pixels(bitmap);
    const COLORREF face = GetSysColor(COLOR_3DFACE);
    for (POINT corner : {POINT{0, 0}, POINT{16, 0}, POINT{0, 15}, POINT{16, 15}})
        EXPECT_EQ(pixels.At(corner.x, corner.y), face) << corner.x << "," << corner.y;
    // Left of the centre is the disc, in the middle of the sign the white mark.
    const COLORREF disc = pixels.At(3, 8);
    if (GetParam() == IDB_SUCCESS_MARK) {
        EXPECT_GT(GetGValue(disc), GetRValue(disc) + 60) << "the success mark is green";
    } else {
        EXPECT_GT(GetRValue(disc), GetGValue(disc) + 60) << "the failure mark is red";
    }
    const COLORREF sign = pixels.At(GetParam() == IDB_SUCCESS_MARK ? 7 : 8,
                                    10 - (GetParam() == IDB_FAILURE_MARK) * 2);
    EXPECT_GE(std::min({GetRValue(sign), GetGValue(sign), GetBValue(sign)}), 200) << "white";
}

INSTANTIATE_TEST_SUITE_P(SuccessAndFailure, InstallerMark,
                         testing::Values(IDB_SUCCESS_MARK, IDB_FAILURE_MARK));

TEST(InstallerResources, BannerEndsInTheWhiteOfItsStrip) {
    HBITMAP bitmap = LoadBitmapW(Self(), MAKEINTRESOURCEW(IDB_BANNER));
    ASSERT_NE(bitmap, nullptr);
    const Pixels pixels(bitmap);
    for (int x = 0; x < 142; x += 7) EXPECT_EQ(pixels.At(x, 247), RGB(255, 255, 255)) << x;
    EXPECT_NE(pixels.At(10, 10), RGB(255, 255, 255)) << "the top is coloured";
}

TEST(InstallerResources, IconHasSmallAndLargeImages) {
    const std::vector<GroupIconEntry> group = testing_resources::IconGroup(Self(), IDI_INSTALLER);
    ASSERT_FALSE(group.empty());
    std::set<int> sizes;
    for (const GroupIconEntry& entry : group) {
        sizes.insert(entry.width);
        EXPECT_EQ(entry.width, entry.height);
        EXPECT_EQ(entry.bitCount, 32);
        EXPECT_FALSE(ResourceBytes(entry.id, RT_ICON).empty()) << "image " << entry.id;
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 32, 48}));

    for (int size : {16, 32}) {
        HICON icon = static_cast<HICON>(
            LoadImageW(Self(), MAKEINTRESOURCEW(IDI_INSTALLER), IMAGE_ICON, size, size, 0));
        EXPECT_NE(icon, nullptr) << size;
        if (icon != nullptr) DestroyIcon(icon);
    }
}

// ---------------------------------------------------------------------------
// Manifest and version block

// The start tag of the first element named `element` that has all `attributes`.
bool HasElement(const std::string& xml, const std::string& element,
                const std::vector<std::string>& attributes) {
    for (std::size_t at = xml.find("<" + element); at != std::string::npos;
         at = xml.find("<" + element, at + 1)) {
        const std::string tag = xml.substr(at, xml.find('>', at) - at);
        if (std::all_of(attributes.begin(), attributes.end(),
                        [&](const std::string& a) { return tag.find(a) != std::string::npos; }))
            return true;
    }
    return false;
}

TEST(InstallerResources, ManifestAsksForAdministratorAndCommonControls6) {
    ASSERT_TRUE(FindResourceW(Self(), MAKEINTRESOURCEW(1), RT_MANIFEST) != nullptr)
        << "the manifest of a program is resource 1";
    const std::vector<unsigned char> bytes = ResourceBytes(1, RT_MANIFEST);
    const std::string xml(bytes.begin(), bytes.end());
    EXPECT_TRUE(HasElement(xml, "requestedExecutionLevel", {"level=\"requireAdministrator\""}));
    EXPECT_TRUE(HasElement(xml, "assemblyIdentity",
                           {"name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"",
                            "publicKeyToken=\"6595b64144ccf1df\""}));
    EXPECT_EQ(xml.find("<dependency"), xml.rfind("<dependency")) << "one dependency";

    // The loader read it: the program's activation context sends comctl32.dll
    // to the side-by-side version 6 assembly.
    ACTCTX_SECTION_KEYED_DATA redirection{};
    redirection.cbSize = sizeof redirection;
    EXPECT_TRUE(FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                         L"comctl32.dll", &redirection));
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    wchar_t loaded[MAX_PATH] = {};
    GetModuleFileNameW(GetModuleHandleW(L"comctl32.dll"), loaded, MAX_PATH);
    EXPECT_NE(Lower(loaded).find(L"microsoft.windows.common-controls"), std::wstring::npos)
        << Narrow(loaded);
}

TEST(InstallerResources, VersionBlockDescribesTheInstaller) {
    wchar_t path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
    const testing_resources::VersionBlock block(path);
    ASSERT_TRUE(block.Loaded());
    const VS_FIXEDFILEINFO* fixed = block.Fixed();
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00080000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00080000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    WORD language = 0, codePage = 0;
    ASSERT_TRUE(block.Translation(&language, &codePage));
    EXPECT_EQ(language, 0x409);
    EXPECT_EQ(codePage, 1200);

    const std::map<std::wstring, std::wstring> expected = {
        {L"CompanyName", L"Brendle"},
        {L"FileDescription", L"Tavolin Add-ons installer"},
        {L"FileVersion", L"8.0"},
        {L"InternalName", L"KEFO_Install"},
        {L"OriginalFilename", L"KEFO_Install.exe"},
        {L"ProductName", L"Tavolin Add-ons installer"},
        {L"ProductVersion", L"8.0"},
    };
    for (const auto& [name, text] : expected)
        EXPECT_EQ(block.Text(name.c_str()), text) << Narrow(name);

    // The copyright line ends with the year of the build.
    const std::wstring copyright = block.Text(L"LegalCopyright");
    const int year =
        testing_resources::CopyrightYear(copyright, L"Copyright \u00A9 2004-", L" Brendle");
    ASSERT_NE(year, -1) << Narrow(copyright);
    SYSTEMTIME now{};
    GetSystemTime(&now);
    EXPECT_GE(year, 2026);
    EXPECT_LE(year, now.wYear);
}

}  // namespace
