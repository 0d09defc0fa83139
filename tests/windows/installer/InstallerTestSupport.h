// Installer test helpers: message boxes recorded instead of shown, and the
// host's registry key written into the test prefix's real registry.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "installer/InstallerMessages.h"
#include "installer/InstallerState.h"
#include "support/UniqueHandle.h"

namespace installer_tests {

struct RecordedBox {
    HWND owner;
    std::wstring text, caption;
    UINT type;
};

inline std::vector<RecordedBox> g_boxes;

inline int WINAPI RecordBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    g_boxes.push_back({owner, text, caption, type});
    return IDOK;
}

// Boxes are never shown, so any value stands for the wizard window.
inline const HWND kWizard = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x4242));
constexpr wchar_t kProductKey[] = L"Software\\Brendle\\Tavolin";
constexpr wchar_t kProductPath[] = L"HKEY_LOCAL_MACHINE\\Software\\Brendle\\Tavolin";

// Fresh state and recorded boxes; the product key is removed before and
// after each test.
class InstallerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        kefo::g_installer = {};
        kefo::g_installer.wizardWindow = kWizard;
        g_boxes.clear();
        kefo::SetMessageBoxFunction(&RecordBox);
        RemoveProductKey();
    }
    void TearDown() override {
        RemoveProductKey();
        kefo::SetMessageBoxFunction(nullptr);
    }

    // The one box shown, its text; checks the owner and caption every box has.
    static std::wstring OnlyBox(UINT type = MB_OK | MB_ICONHAND) {
        EXPECT_EQ(g_boxes.size(), 1u);
        if (g_boxes.empty()) return L"(no box)";
        const RecordedBox box = g_boxes.back();
        g_boxes.clear();
        EXPECT_EQ(box.owner, kWizard);
        EXPECT_EQ(box.caption, L"Tavolin Add-on Installation");
        EXPECT_EQ(box.type, type);
        return box.text;
    }

    static void RemoveProductKey() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, kProductKey); }

    // Raw bytes of any type under the product key or its sub-key.
    static void SetRaw(const std::wstring& subKey, const wchar_t* name, DWORD type,
                       const void* data, DWORD bytes) {
        const std::wstring path = subKey.empty() ? kProductKey : kProductKey + (L"\\" + subKey);
        kefo::UniqueHKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, key.Put(), nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(data), bytes),
                  ERROR_SUCCESS);
    }
    static void SetText(const std::wstring& subKey, const wchar_t* name, const std::wstring& text,
                        DWORD type = REG_SZ) {
        SetRaw(subKey, name, type, text.c_str(),
               static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    static void SetNumber(const std::wstring& subKey, const wchar_t* name, DWORD value) {
        SetRaw(subKey, name, REG_DWORD, &value, sizeof value);
    }
};

}  // namespace installer_tests
