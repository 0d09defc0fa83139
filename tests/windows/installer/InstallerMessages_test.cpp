#include "installer/InstallerMessages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "InstallerTestSupport.h"
#include "installer/InstallerText.h"

namespace {

using installer_tests::g_boxes;

class InstallerMessages : public installer_tests::InstallerFixture {};

int WINAPI AnswerNo(HWND, LPCWSTR, LPCWSTR, UINT) {
    return IDNO;
}

TEST_F(InstallerMessages, OneOwnerOneCaptionTypeAndAnswerPassedThrough) {
    const UINT question = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;
    EXPECT_EQ(kefo::ShowInstallerMessage(L"Sure?", question), IDOK);
    EXPECT_EQ(OnlyBox(question), L"Sure?");

    EXPECT_EQ(kefo::SetMessageBoxFunction(&AnswerNo), &installer_tests::RecordBox);
    EXPECT_EQ(kefo::ShowInstallerMessage(nullptr, MB_YESNO), IDNO);
    EXPECT_EQ(kefo::SetMessageBoxFunction(nullptr), &AnswerNo);
    EXPECT_EQ(kefo::SetMessageBoxFunction(&installer_tests::RecordBox), &MessageBoxW);
}

TEST_F(InstallerMessages, UnexpectedErrorAndSystemFailure) {
    const std::wstring denied = kefo::SystemErrorText(ERROR_ACCESS_DENIED);
    kefo::ErrorRecordW error;
    kefo::SetError(kefo::kErrorSystem, &error, ERROR_ACCESS_DENIED, L"DeleteFile",
                   L"C:\\H\\AddOns\\A.dll", L"X.cpp", 1, 0, L"");
    kefo::ReportUnexpectedError(error);
    EXPECT_EQ(OnlyBox(),
              L"Unexpected error 5 in the \"DeleteFile(C:\\H\\AddOns\\A.dll)\" function (" +
                  denied + L").");

    kefo::ReportSystemFailure(ERROR_ACCESS_DENIED, L"CreateDirectory", L"C:\\H\\AddOns\\");
    EXPECT_EQ(OnlyBox(),
              L"Unexpected error 5 in the \"CreateDirectory(C:\\H\\AddOns\\)\" function (" +
                  denied + L").");
    kefo::ReportSystemFailure(0x7FFF1234u, L"CreateDirectory", nullptr);
    EXPECT_EQ(OnlyBox(), L"Unexpected error 2147422772 in the \"CreateDirectory()\" function ().");

    // Fields without a terminator are read to their end and no further.
    std::memset(&error, 0x41, sizeof error);
    error.code = 7;
    kefo::ReportUnexpectedError(error);
    EXPECT_EQ(OnlyBox().size(),
              std::wcslen(L"Unexpected error 7 in the \"()\" function ().") + 64 + 256 + 256);
}

}  // namespace
