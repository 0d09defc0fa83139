#include "installer/InstallerMessages.h"

#include <cstddef>
#include <string>

#include "installer/InstallerState.h"
#include "installer/InstallerText.h"
#include "installer/resource.h"
#include "support/BoundedText.h"

namespace kefo {
namespace {

MessageBoxFunction g_messageBox = &MessageBoxW;

// A record's field as text, never read past the field even if unterminated.
template <std::size_t N>
std::wstring FieldText(const wchar_t (&field)[N]) {
    return std::wstring(field, BoundedLength(field, N));
}

// The system's texts end in a blank where their line break was; inside the
// message's parentheses it would show.
std::wstring TrimmedText(std::wstring text) {
    const std::size_t end = text.find_last_not_of(L" \t\r\n");
    text.erase(end == std::wstring::npos ? 0 : end + 1);
    return text;
}

}  // namespace

int ShowInstallerMessage(const wchar_t* text, UINT type) {
    const std::wstring caption = LoadInstallerString(IDS_MESSAGE_CAPTION);
    return g_messageBox(g_installer.wizardWindow, text ? text : L"", caption.c_str(), type);
}

int ReportUnexpectedError(const ErrorRecordW& error, UINT type) {
    const std::wstring text =
        FormatInstallerString(IDS_UNEXPECTED_ERROR, error.code, FieldText(error.function),
                              FieldText(error.argument), TrimmedText(FieldText(error.text)));
    return ShowInstallerMessage(text.c_str(), type);
}

bool AskToRetryFileInUse(const std::wstring& path, DWORD code) {
    const std::wstring text =
        FormatInstallerString(IDS_DELETE_FAILED, path, code, SystemErrorText(code));
    // No limit on the retries: the user may need several attempts to close
    // whatever holds the file, and Cancel always ends it.
    return ShowInstallerMessage(text.c_str(), MB_RETRYCANCEL | MB_ICONEXCLAMATION) == IDRETRY;
}

void ReportSystemFailure(DWORD code, const wchar_t* function, const wchar_t* argument) {
    const std::wstring text = FormatInstallerString(IDS_UNEXPECTED_ERROR, code, function, argument,
                                                    SystemErrorText(code));
    ShowInstallerMessage(text.c_str(), MB_OK | MB_ICONHAND);
}

MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction function) noexcept {
    const MessageBoxFunction previous = g_messageBox;
    g_messageBox = function ? function : &MessageBoxW;
    return previous;
}

}  // namespace kefo
