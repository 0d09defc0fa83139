#include "installer/InstallerText.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "installer/InstallerState.h"
#include "installer/resource.h"

namespace {

using kefo::FormatText;

TEST(FormatText, ConversionsOfTheStringTable) {
    EXPECT_EQ(FormatText(L"%s\\%s\\", {L"C:\\Host", L"AddOns"}), L"C:\\Host\\AddOns\\");
    EXPECT_EQ(FormatText(L"%d.%d (build %u) %i", {8, 0, 4294967295u, -5}),
              L"8.0 (build 4294967295) -5");
    EXPECT_EQ(FormatText(L"0x%08X %x %X", {0xABu, 255, -1}), L"0x000000AB ff FFFFFFFF");
    EXPECT_EQ(FormatText(L"%llu", {std::uint64_t{1} << 40}), L"1099511627776");
    EXPECT_EQ(FormatText(L"[%5s|%-4d|%05d|%.3s] 100%%", {L"ab", 7, -42, L"abcdef"}),
              L"[   ab|7   |-0042|abc] 100%");
}

TEST(FormatText, WrongOrMissingValuesStaySafe) {
    EXPECT_EQ(FormatText(L"%s=%d", {42, L"text"}), L"42=text");  // each value keeps its type
    EXPECT_EQ(FormatText(L"%s, %s, %u.", {static_cast<const wchar_t*>(nullptr)}), L", , .");
    EXPECT_EQ(FormatText(L"%q %n %s", {L"x", 2}), L"%q %n x");
    EXPECT_EQ(FormatText(L"cut %0", {1}), L"cut %0");
    EXPECT_EQ(FormatText(L"%999999999999d", {1}).size(), 1024u);
    EXPECT_EQ(FormatText(nullptr, {1}), L"");
}

TEST(InstallerText, StringTableOfTheProgram) {
    kefo::g_installer = {};  // no instance yet: the process's own module
    EXPECT_EQ(kefo::FormatInstallerString(IDS_HOST_FOLDER_MISSING, L"D:\\T"),
              L"Unable to find the Tavolin installation folder D:\\T.");
    EXPECT_EQ(kefo::LoadInstallerString(3999), L"");
    kefo::g_installer.instance = GetModuleHandleW(nullptr);
    EXPECT_EQ(kefo::LoadInstallerString(IDS_COLUMN_NAME), L"Name");
    kefo::g_installer = {};
}

TEST(InstallerText, SystemErrorTextOnOneLine) {
    const std::wstring text = kefo::SystemErrorText(ERROR_ACCESS_DENIED);
    wchar_t raw[1024] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   ERROR_ACCESS_DENIED, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), raw, 1024,
                   nullptr);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(std::wstring(raw).find(text), 0u) << "the system's own words";
    EXPECT_EQ(text.find_first_of(L"\r\n"), std::wstring::npos);
    EXPECT_NE(text.back(), L' ');
    EXPECT_EQ(kefo::SystemErrorText(0x7FFF1234u), L"");
}

}  // namespace
