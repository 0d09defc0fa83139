#include "support/ErrorRecordA.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/UniqueHandle.h"

namespace {

using kefo::ErrorRecordA;

std::string SystemMessageA(DWORD code) {
    char buffer[1024] = {};
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, 1024, nullptr);
    return std::string(buffer, length);
}

ErrorRecordA Scribbled() {
    ErrorRecordA record;
    std::memset(&record, 0x5A, sizeof record);
    return record;
}

TEST(ErrorRecordA, ClearEmptiesEveryField) {
    ErrorRecordA record = Scribbled();
    kefo::ClearError(&record);
    EXPECT_EQ(record.kind, 0);
    EXPECT_EQ(record.code, 0u);
    EXPECT_EQ(record.line, 0);
    EXPECT_STREQ(record.text, "");
    EXPECT_STREQ(record.function, "");
    EXPECT_STREQ(record.argument, "");
    EXPECT_EQ(record.sourceName, record.sourcePath);
    EXPECT_STREQ(record.sourcePath, "");
    for (const char* insert : record.inserts) {
        ASSERT_NE(insert, nullptr);
        EXPECT_EQ(insert[0], '\0');
    }
    for (const auto& detail : record.details) {
        EXPECT_EQ(detail.value, 0);
        EXPECT_STREQ(detail.text, "");
    }
    ErrorRecordA* none = nullptr;
    kefo::ClearError(none);
    kefo::SetError(1, none, 2, "f", "a", "s", 1);
}

TEST(ErrorRecordA, SystemCodeGetsTheSystemsText) {
    const std::string expected = SystemMessageA(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(expected.empty());
    ErrorRecordA record = Scribbled();
    kefo::SetError(kefo::kErrorSystem, &record, ERROR_FILE_NOT_FOUND, "CreateDIBitmap", "12x34",
                   "dsp\\display\\CBitmapFromPoints.cpp", 77, 1, "one", 2, "two", 3, "three");
    EXPECT_EQ(record.kind, 1);
    EXPECT_EQ(record.code, 2u);
    EXPECT_EQ(std::string(record.text), expected);
    EXPECT_STREQ(record.function, "CreateDIBitmap");
    EXPECT_STREQ(record.argument, "12x34");
    EXPECT_STREQ(record.sourceName, "CBitmapFromPoints.cpp");
    EXPECT_EQ(record.line, 77);
    // All three details come from the caller.
    EXPECT_EQ(record.details[0].value, 1);
    EXPECT_STREQ(record.details[0].text, "one");
    EXPECT_EQ(record.details[1].value, 2);
    EXPECT_STREQ(record.details[1].text, "two");
    EXPECT_EQ(record.details[2].value, 3);
    EXPECT_STREQ(record.details[2].text, "three");
}

TEST(ErrorRecordA, UnknownSystemCodeGetsHexForm) {
    ASSERT_EQ(GetModuleHandleW(L"quartz.dll"), nullptr);
    ASSERT_TRUE(SystemMessageA(0x7FFF1234u).empty());
    ErrorRecordA record;
    kefo::SetError(kefo::kErrorSystem, &record, 0x7FFF1234u, "f", nullptr, nullptr, 0);
    EXPECT_STREQ(record.text, "Err.0x7FFF1234");
    EXPECT_EQ(GetModuleHandleW(L"quartz.dll"), nullptr) << "never loaded for a text";
}

TEST(ErrorRecordA, OnlySystemCodesGetAText) {
    ErrorRecordA record = Scribbled();
    kefo::SetError(kefo::kErrorMultimedia, &record, 166, "waveOutOpen", "x", nullptr, 0);
    EXPECT_EQ(record.code, 166u);
    EXPECT_STREQ(record.function, "waveOutOpen");
    EXPECT_STREQ(record.text, "");
    kefo::SetError(kefo::kErrorWrongData, &record, 5, "f", "x", nullptr, 0);
    EXPECT_EQ(record.code, 0u);
    EXPECT_STREQ(record.function, "");
    EXPECT_STREQ(record.argument, "x");
    EXPECT_STREQ(record.text, "");
}

TEST(ErrorRecordA, LongTextsAreCutAndSourceNameFound) {
    const std::string longText(600, 'x');
    ErrorRecordA record = Scribbled();
    kefo::SetError(kefo::kErrorSystem, &record, 2, longText.c_str(), longText.c_str(),
                   longText.c_str(), 1, 9, longText.c_str(), 8, longText.c_str(), 7,
                   longText.c_str());
    EXPECT_EQ(std::string(record.function), longText.substr(0, 63));
    EXPECT_EQ(std::string(record.argument), longText.substr(0, 255));
    EXPECT_EQ(std::string(record.sourcePath), longText.substr(0, 255));
    for (const auto& detail : record.details)
        EXPECT_EQ(std::string(detail.text), longText.substr(0, 259));
    EXPECT_EQ(record.sourceName, record.sourcePath);  // no backslash: the whole path

    kefo::SetError(kefo::kErrorWrongData, &record, 0, nullptr, nullptr, "C:\\x\\", 1);
    EXPECT_STREQ(record.sourceName, "C:\\x\\");
}

TEST(ErrorRecordA, DirectShowTextWhenItsRuntimeIsLoaded) {
    const DWORD notConnected = 0x80040209u;  // VFW_E_NOT_CONNECTED
    if (!SystemMessageA(notConnected).empty()) GTEST_SKIP() << "the system table has this code";
    const kefo::UniqueHModule quartz(LoadLibraryW(L"quartz.dll"));
    if (!quartz) GTEST_SKIP() << "no DirectShow runtime here";
    using GetErrorText = DWORD(WINAPI*)(HRESULT, CHAR*, DWORD);
    const FARPROC found = GetProcAddress(quartz.Get(), "AMGetErrorTextA");
    ASSERT_NE(found, nullptr);
    const auto getText = reinterpret_cast<GetErrorText>(reinterpret_cast<void (*)()>(found));
    char expected[160] = {};
    if (getText(static_cast<HRESULT>(notConnected), expected, 160) == 0) GTEST_SKIP();

    ErrorRecordA record;
    kefo::SetError(kefo::kErrorSystem, &record, notConnected, "f", nullptr, nullptr, 0);
    EXPECT_STREQ(record.text, expected);
    EXPECT_LE(std::strlen(record.text), 159u);
}

}  // namespace
