// The resources compiled into both feature add-ons, read back from the DLLs:
// the About dialog's layout in dialog units, the strings, the icon group and
// the version block.
#include "FeatureAddOnFixture.h"

#include <cstring>
#include <vector>

#include "DialogTemplate.h"

namespace feature_tests {
namespace {

// Reads an icon group record by record.
class RecordReader {
public:
    explicit RecordReader(const BYTE* at) : at_(at) {}
    template <typename T>
    T Read() {
        T value;
        std::memcpy(&value, at_, sizeof value);
        at_ += sizeof value;
        return value;
    }

private:
    const BYTE* at_;
};

const BYTE* ResourceBytes(HMODULE module, int id, LPCWSTR type, DWORD* size = nullptr) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!found) return nullptr;
    if (size) *size = SizeofResource(module, found);
    return static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
}

using Resources = FeatureAddOnTest;

TEST_P(Resources, TheAboutDialogHasItsLayoutInDialogUnits) {
    dialog_template::Template about;
    ASSERT_TRUE(dialog_template::Load(module_.Handle(), 104, about));
    EXPECT_EQ(about.title, L"About %s");
    EXPECT_EQ(about.typeface, L"MS Shell Dlg");
    EXPECT_EQ(about.pointSize, 8);
    EXPECT_EQ(about.x, 0);
    EXPECT_EQ(about.y, 0);
    EXPECT_EQ(about.cx, 256);
    EXPECT_EQ(about.cy, 49);
    EXPECT_TRUE(about.style & WS_CAPTION);

    const struct {
        int id;
        const wchar_t* className;
        short x, y, cx, cy;
    } expected[] = {{-1, L"Static", 6, 7, 20, 20},
                    {1086, L"Static", 35, 7, 159, 8},
                    {1087, L"Static", 35, 20, 159, 8},
                    {1094, L"Static", 35, 34, 159, 8},
                    {1, L"Button", 199, 7, 50, 14}};
    ASSERT_EQ(about.items.size(), 5u);
    for (std::size_t i = 0; i < about.items.size(); ++i) {
        const dialog_template::Item& item = about.items[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(item.id, expected[i].id);
        EXPECT_EQ(lstrcmpiW(item.className.c_str(), expected[i].className), 0) << item.className;
        EXPECT_EQ(item.x, expected[i].x);
        EXPECT_EQ(item.y, expected[i].y);
        EXPECT_EQ(item.cx, expected[i].cx);
        EXPECT_EQ(item.cy, expected[i].cy);
    }
    EXPECT_TRUE(about.items[0].title.isOrdinal);
    EXPECT_EQ(about.items[0].title.ordinal, 123);  // the icon
    EXPECT_EQ(about.items[0].style & SS_TYPEMASK, static_cast<DWORD>(SS_ICON));
    EXPECT_EQ(about.items[1].title.text, L"%s");
    EXPECT_EQ(about.items[2].title.text, L"Version %s");
    EXPECT_EQ(about.items[3].title.text, std::wstring(GetParam().copyrightStart) + L"%s");
    EXPECT_EQ(about.items[4].title.text, L"OK");
    EXPECT_EQ(about.items[4].style & 0xF, static_cast<DWORD>(BS_DEFPUSHBUTTON));
}

TEST_P(Resources, TheStringTableHoldsNameAndHelpCaption) {
    char text[256] = "";
    ASSERT_GT(LoadStringA(module_.Handle(), 1, text, sizeof text), 0);
    EXPECT_STREQ(text, GetParam().displayName);
    ASSERT_GT(LoadStringA(module_.Handle(), 3, text, sizeof text), 0);
    EXPECT_STREQ(text, GetParam().helpCaption);
}

TEST_P(Resources, TheIconGroupHasOneThirtyTwoPixelIconOfTwoHundredFiftySixColours) {
    const BYTE* group =
        ResourceBytes(module_.Handle(), 123, MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */);
    ASSERT_NE(group, nullptr);
    RecordReader reader(group);
    reader.Read<WORD>();
    EXPECT_EQ(reader.Read<WORD>(), 1);  // icon
    ASSERT_EQ(reader.Read<WORD>(), 1);  // one image
    EXPECT_EQ(reader.Read<BYTE>(), 32);
    EXPECT_EQ(reader.Read<BYTE>(), 32);
    EXPECT_EQ(reader.Read<BYTE>(), 0);  // 256 colours are written as 0
    reader.Read<BYTE>();
    reader.Read<WORD>();
    EXPECT_EQ(reader.Read<WORD>(), 8);  // bits per pixel
    reader.Read<DWORD>();
    const WORD imageId = reader.Read<WORD>();
    const BYTE* image = ResourceBytes(module_.Handle(), imageId, MAKEINTRESOURCEW(3) /* RT_ICON */);
    ASSERT_NE(image, nullptr);
    BITMAPINFOHEADER header;
    std::memcpy(&header, image, sizeof header);
    EXPECT_EQ(header.biWidth, 32);
    EXPECT_EQ(header.biHeight, 64);  // colour and mask
    EXPECT_EQ(header.biBitCount, 8);
}

TEST(FeatureResources, EachAddOnHasItsOwnPicture) {
    hostsim::AddOnModule mixer(testing_paths::BuiltFile(kDigitalMixer.dll));
    hostsim::AddOnModule player(testing_paths::BuiltFile(kITunes.dll));
    ASSERT_TRUE(mixer.Loaded() && player.Loaded());
    DWORD mixerSize = 0, playerSize = 0;
    const BYTE* a = ResourceBytes(mixer.Handle(), 1, MAKEINTRESOURCEW(3), &mixerSize);
    const BYTE* b = ResourceBytes(player.Handle(), 1, MAKEINTRESOURCEW(3), &playerSize);
    ASSERT_TRUE(a && b);
    ASSERT_EQ(mixerSize, playerSize);
    EXPECT_NE(std::memcmp(a, b, mixerSize), 0);
}

std::wstring VersionText(const std::vector<BYTE>& block, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    std::wstring path = std::wstring(L"\\StringFileInfo\\040904E4\\") + name;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || !value) return L"<none>";
    return static_cast<const wchar_t*>(value);
}

TEST_P(Resources, TheVersionBlockNamesTheFile) {
    const std::wstring path = testing_paths::BuiltFile(GetParam().dll);
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010001u);

    const std::wstring dll = GetParam().dll;
    const std::wstring stem = dll.substr(0, dll.size() - 4);
    const bool mixer = stem == L"KEFO_DigitalMixer";
    EXPECT_EQ(VersionText(block, L"FileDescription"),
              mixer ? L"Tavolin Digital Mixer Add-on" : L"Tavolin Send to iTunes/iPod Add-on");
    EXPECT_EQ(VersionText(block, L"InternalName"), stem);
    EXPECT_EQ(VersionText(block, L"OriginalFilename"), dll);
    EXPECT_EQ(VersionText(block, L"FileVersion"), L"1.1");
}

INSTANTIATE_TEST_SUITE_P(FeatureAddOns, Resources, ::testing::Values(kDigitalMixer, kITunes),
                         CaseName);

}  // namespace
}  // namespace feature_tests
