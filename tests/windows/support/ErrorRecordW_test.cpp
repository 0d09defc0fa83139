#include "support/ErrorRecordW.h"

#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/UniqueHandle.h"

namespace {

using kefo::ErrorRecordW;

// What the system's message table says for a code, as the record asks it.
std::wstring SystemMessage(DWORD code) {
    wchar_t buffer[1024] = {};
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, 1024, nullptr);
    return std::wstring(buffer, length);
}

ErrorRecordW Scribbled() {
    ErrorRecordW record;
    std::memset(&record, 0x5A, sizeof record);
    return record;
}

TEST(ErrorRecordW, ClearEmptiesEveryField) {
    ErrorRecordW record = Scribbled();
    kefo::ClearError(&record);
    EXPECT_EQ(record.kind, 0);
    EXPECT_EQ(record.code, 0u);
    EXPECT_EQ(record.line, 0);
    EXPECT_STREQ(record.text, L"");
    EXPECT_STREQ(record.function, L"");
    EXPECT_STREQ(record.argument, L"");
    EXPECT_STREQ(record.sourcePath, L"");
    EXPECT_EQ(record.sourceName, record.sourcePath);
    for (const wchar_t* insert : record.inserts) {
        ASSERT_NE(insert, nullptr);
        EXPECT_EQ(insert[0], L'\0');
    }
    for (const auto& detail : record.details) {
        EXPECT_EQ(detail.kind, 0);
        EXPECT_STREQ(detail.text, L"");
    }
}

TEST(ErrorRecordW, NullRecordIsIgnored) {
    ErrorRecordW* none = nullptr;
    kefo::ClearError(none);
    kefo::SetError(1, none, 2, L"f", L"a", L"s", 1, 0, L"");
    kefo::ValueArgument(none, L"k", L"v");
    SUCCEED();
}

TEST(ErrorRecordW, SystemCodeGetsTheSystemsText) {
    const std::wstring expected = SystemMessage(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(expected.empty()) << "the system has a text for code 2";
    ErrorRecordW record = Scribbled();
    kefo::SetError(kefo::kErrorSystem, &record, ERROR_FILE_NOT_FOUND, L"RegOpenKeyEx",
                   L"HKEY_LOCAL_MACHINE\\Software\\Missing", L"C:\\src\\BaseRegistry.cpp", 42, 2,
                   L"HKEY_LOCAL_MACHINE\\Software\\Missing");
    EXPECT_EQ(record.kind, 1);
    EXPECT_EQ(record.code, 2u);
    EXPECT_EQ(std::wstring(record.text), expected);
    EXPECT_STREQ(record.function, L"RegOpenKeyEx");
    EXPECT_STREQ(record.argument, L"HKEY_LOCAL_MACHINE\\Software\\Missing");
    EXPECT_STREQ(record.sourcePath, L"C:\\src\\BaseRegistry.cpp");
    EXPECT_STREQ(record.sourceName, L"BaseRegistry.cpp");
    EXPECT_EQ(record.line, 42);
    EXPECT_EQ(record.details[0].kind, 2);
    EXPECT_STREQ(record.details[0].text, L"HKEY_LOCAL_MACHINE\\Software\\Missing");
    EXPECT_EQ(record.details[1].kind, 0);
    EXPECT_STREQ(record.details[1].text, L"");
    EXPECT_EQ(record.details[2].kind, 0);
    EXPECT_STREQ(record.details[2].text, L"");
}

TEST(ErrorRecordW, UnknownSystemCodeGetsHexForm) {
    ASSERT_EQ(GetModuleHandleW(L"quartz.dll"), nullptr);
    ASSERT_TRUE(SystemMessage(0x7FFF1234u).empty());
    ErrorRecordW record;
    kefo::SetError(kefo::kErrorSystem, &record, 0x7FFF1234u, L"f", nullptr, nullptr, 0, 0, nullptr);
    EXPECT_STREQ(record.text, L"Err.0x7FFF1234");
    kefo::SetError(kefo::kErrorSystem, &record, 0xE00000ABu, L"f", nullptr, nullptr, 0, 0, nullptr);
    EXPECT_STREQ(record.text, L"Err.0xE00000AB");
    ASSERT_EQ(GetModuleHandleW(L"quartz.dll"), nullptr) << "never loaded for a text";
}

TEST(ErrorRecordW, MultimediaCodes) {
    ErrorRecordW record;
    wchar_t wave[256] = {};
    // A code the wave-output lookup knows comes back with its text.
    ASSERT_EQ(waveOutGetErrorTextW(MMSYSERR_BADDEVICEID, wave, 256), MMSYSERR_NOERROR);
    kefo::SetError(kefo::kErrorMultimedia, &record, MMSYSERR_BADDEVICEID, L"waveOutOpen",
                   L"device 7", nullptr, 0, 0, nullptr);
    EXPECT_STREQ(record.text, wave);
    EXPECT_STREQ(record.function, L"waveOutOpen");
    EXPECT_EQ(record.code, static_cast<std::uint32_t>(MMSYSERR_BADDEVICEID));

    // The joystick codes and unknown codes, where that lookup fails.
    const struct {
        std::uint32_t code;
        const wchar_t* text;
    } cases[] = {{165, L"JOYERR_PARMS"},
                 {166, L"JOYERR_NOCANDO"},
                 {167, L"JOYERR_UNPLUGGED"},
                 {0x1234, L"MmErr.0x00001234"},
                 {0xFFFFFFF0u, L"MmErr.0xFFFFFFF0"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        wchar_t probe[256] = {};
        if (waveOutGetErrorTextW(c.code, probe, 256) == MMSYSERR_NOERROR) {
            kefo::SetError(kefo::kErrorMultimedia, &record, c.code, L"f", nullptr, nullptr, 0, 0,
                           nullptr);
            EXPECT_STREQ(record.text, probe);  // the system knows it after all
            continue;
        }
        kefo::SetError(kefo::kErrorMultimedia, &record, c.code, L"f", nullptr, nullptr, 0, 0,
                       nullptr);
        EXPECT_STREQ(record.text, c.text);
    }
}

TEST(ErrorRecordW, WrongDataHasArgumentButNoCodeFunctionOrText) {
    ErrorRecordW record = Scribbled();
    kefo::SetError(kefo::kErrorWrongData, &record, 13, L"RegQueryValueEx", L"Version", nullptr, 7,
                   0, nullptr);
    EXPECT_EQ(record.kind, 3);
    EXPECT_EQ(record.code, 0u);
    EXPECT_STREQ(record.function, L"");
    EXPECT_STREQ(record.argument, L"Version");
    EXPECT_STREQ(record.text, L"");
    EXPECT_EQ(record.line, 7);
}

TEST(ErrorRecordW, LongTextsAreCutToTheirFields) {
    const std::wstring longText(600, L'x');
    ErrorRecordW record = Scribbled();
    kefo::SetError(kefo::kErrorSystem, &record, 2, longText.c_str(), longText.c_str(),
                   longText.c_str(), 1, 5, longText.c_str());
    EXPECT_EQ(std::wstring(record.function), longText.substr(0, 63));
    EXPECT_EQ(std::wstring(record.argument), longText.substr(0, 255));
    EXPECT_EQ(std::wstring(record.sourcePath), longText.substr(0, 255));
    EXPECT_EQ(std::wstring(record.details[0].text), longText.substr(0, 259));
    EXPECT_LT(std::wcslen(record.text), 256u);
}

TEST(ErrorRecordW, SourceName) {
    ErrorRecordW record;
    kefo::SetError(kefo::kErrorWrongData, &record, 0, nullptr, nullptr, L"BaseRegistry.cpp", 1, 0,
                   nullptr);
    EXPECT_EQ(record.sourceName, record.sourcePath);  // no backslash: the whole path
    kefo::SetError(kefo::kErrorWrongData, &record, 0, nullptr, nullptr, L"a\\b\\File.cpp", 1, 0,
                   nullptr);
    EXPECT_STREQ(record.sourceName, L"File.cpp");
    kefo::SetError(kefo::kErrorWrongData, &record, 0, nullptr, nullptr, L"a\\b\\", 1, 0, nullptr);
    EXPECT_EQ(record.sourceName, record.sourcePath);  // nothing after the last one
    EXPECT_STREQ(record.sourceName, L"a\\b\\");
}

TEST(RegistryPath, LocalMachineSoftware) {
    wchar_t buffer[kefo::kRegistryPathChars] = {};
    EXPECT_EQ(kefo::RegistryPath(HKEY_LOCAL_MACHINE, buffer, L"Software"), 19);
    EXPECT_STREQ(buffer, L"HKEY_LOCAL_MACHINE\\Software");
}

TEST(RegistryPath, NamesTheSevenPredefinedRoots) {
    const struct {
        HKEY root;
        const wchar_t* name;
    } roots[] = {{HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT\\"},
                 {HKEY_CURRENT_USER, L"HKEY_CURRENT_USER\\"},
                 {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE\\"},
                 {HKEY_USERS, L"HKEY_USERS\\"},
                 {HKEY_PERFORMANCE_DATA, L"HKEY_PERFORMANCE_DATA\\"},
                 {HKEY_CURRENT_CONFIG, L"HKEY_CURRENT_CONFIG\\"},
                 {HKEY_DYN_DATA, L"HKEY_DYN_DATA\\"}};
    for (const auto& r : roots) {
        wchar_t buffer[kefo::kRegistryPathChars] = L"old text";
        EXPECT_EQ(kefo::RegistryPath(r.root, buffer, nullptr),
                  static_cast<int>(std::wcslen(r.name)));
        EXPECT_STREQ(buffer, r.name);
    }
}

TEST(RegistryPath, OtherHandleKeepsTheBuffersTextAsPrefix) {
    wchar_t buffer[kefo::kRegistryPathChars] = L"HKEY_LOCAL_MACHINE\\Software\\Brendle";
    const HKEY opened = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234));
    EXPECT_EQ(kefo::RegistryPath(opened, buffer, L"Tavolin"), 36);
    EXPECT_STREQ(buffer, L"HKEY_LOCAL_MACHINE\\Software\\Brendle\\Tavolin");

    wchar_t withSlash[kefo::kRegistryPathChars] = L"Prefix\\";
    EXPECT_EQ(kefo::RegistryPath(opened, withSlash, L"Sub"), 7);
    EXPECT_STREQ(withSlash, L"Prefix\\Sub");

    wchar_t empty[kefo::kRegistryPathChars] = L"";
    EXPECT_EQ(kefo::RegistryPath(opened, empty, L"Sub"), 1);
    EXPECT_STREQ(empty, L"\\Sub");
}

TEST(RegistryPath, NeverWritesPastTheBuffer) {
    // An unterminated buffer: the last character is forced to NUL.
    wchar_t full[kefo::kRegistryPathChars + 1];
    std::wmemset(full, L'x', kefo::kRegistryPathChars + 1);
    auto& buffer = *reinterpret_cast<wchar_t(*)[kefo::kRegistryPathChars]>(full);
    const HKEY opened = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234));
    EXPECT_EQ(kefo::RegistryPath(opened, buffer, L"Sub"), 255);
    EXPECT_EQ(full[255], L'\0');
    EXPECT_EQ(full[256], L'x');

    // A long sub key is cut so that the whole stays within 255 characters.
    const std::wstring longKey(400, L'k');
    wchar_t cut[kefo::kRegistryPathChars];
    EXPECT_EQ(kefo::RegistryPath(HKEY_CURRENT_USER, cut, longKey.c_str()), 18);
    EXPECT_EQ(std::wcslen(cut), 255u);
    EXPECT_EQ(std::wstring(cut), L"HKEY_CURRENT_USER\\" + longKey.substr(0, 255 - 18));

    // A prefix of 254 characters gets its backslash and nothing more.
    wchar_t nearly[kefo::kRegistryPathChars];
    std::wmemset(nearly, L'p', 254);
    nearly[254] = L'\0';
    EXPECT_EQ(kefo::RegistryPath(opened, nearly, L"Sub"), 255);
    EXPECT_EQ(nearly[254], L'\\');
    EXPECT_EQ(nearly[255], L'\0');
}

TEST(ValueArgument, JoinsKeyPathAndValueName) {
    ErrorRecordW record;
    kefo::ClearError(&record);
    kefo::ValueArgument(&record, L"HKEY_LOCAL_MACHINE\\Software\\Brendle\\Tavolin", L"Version");
    EXPECT_STREQ(record.argument, L"HKEY_LOCAL_MACHINE\\Software\\Brendle\\Tavolin(Version)");

    const std::wstring longPath(300, L'p');
    kefo::ValueArgument(&record, longPath.c_str(), L"Version");
    EXPECT_EQ(std::wstring(record.argument), longPath.substr(0, 255));
    const std::wstring nearly(250, L'p');
    kefo::ValueArgument(&record, nearly.c_str(), L"Version");
    EXPECT_EQ(std::wstring(record.argument), nearly + L"(Vers");
}

// DirectShow's texts are used when its runtime is already in the process.
// Loading it here affects only this case's process.
TEST(ErrorRecordW, DirectShowTextWhenItsRuntimeIsLoaded) {
    const HRESULT notConnected = static_cast<HRESULT>(0x80040209u);  // VFW_E_NOT_CONNECTED
    if (!SystemMessage(static_cast<DWORD>(notConnected)).empty())
        GTEST_SKIP() << "the system table already has this code";
    const kefo::UniqueHModule quartz(LoadLibraryW(L"quartz.dll"));
    if (!quartz) GTEST_SKIP() << "no DirectShow runtime here";
    using GetErrorText = DWORD(WINAPI*)(HRESULT, WCHAR*, DWORD);
    const FARPROC found = GetProcAddress(quartz.Get(), "AMGetErrorTextW");
    ASSERT_NE(found, nullptr);
    const auto getText = reinterpret_cast<GetErrorText>(reinterpret_cast<void (*)()>(found));
    wchar_t expected[160] = {};
    if (getText(notConnected, expected, 160) == 0) GTEST_SKIP() << "no text for this code";

    ErrorRecordW record;
    kefo::SetError(kefo::kErrorSystem, &record, static_cast<DWORD>(notConnected), L"f", nullptr,
                   nullptr, 0, 0, nullptr);
    EXPECT_STREQ(record.text, expected);
}

}  // namespace
