#include "CKEFOParams.h"

#include <cwchar>

#include "installer/InstallerMessages.h"
#include "installer/InstallerText.h"
#include "installer/resource.h"
#include "support/BoundedText.h"

namespace kefo {
namespace {

// Bounds on texts an add-on hands over: file names longer than the record's
// fields are refused whole rather than cut to a name that means another file.
constexpr std::size_t kFileNameBytes = kFolderChars;
constexpr std::size_t kArgumentBytes = 1024;
constexpr std::size_t kMessageBytes = 4096;

const char kNoText[] = "";

std::string AnsiText(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int length = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::string();
    std::string result(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), length, &result[0], bytes, nullptr, nullptr);
    return result;
}

// The declared name, or "" when there is none or it cannot be used.
std::wstring DeclaredFileName(const char* fileName) {
    if (fileName == nullptr || BoundedLength(fileName, kFileNameBytes) == kFileNameBytes)
        return std::wstring();
    std::wstring name = AddOnText(fileName, kFileNameBytes);
    return IsPlainFileName(name) ? name : std::wstring();
}

}  // namespace

std::wstring AddOnText(const char* text, std::size_t limit) {
    const std::size_t length = BoundedLength(text, limit);
    if (length == 0) return std::wstring();
    const int bytes = static_cast<int>(length);
    const int units = MultiByteToWideChar(CP_THREAD_ACP, 0, text, bytes, nullptr, 0);
    if (units <= 0) return std::wstring();
    std::wstring result(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_THREAD_ACP, 0, text, bytes, &result[0], units);
    return result;
}

bool IsPlainFileName(const std::wstring& name) {
    if (name.empty() || name.size() >= static_cast<std::size_t>(kFolderChars)) return false;
    if (name == L"." || name == L"..") return false;
    for (const wchar_t c : name) {
        if (c < L' ' || std::wcschr(L"\\/:*?\"<>|", c) != nullptr) return false;
    }
    return true;
}

CKEFOParams::CKEFOParams(AddOnRecord* record) noexcept : record_(record) {
    command = kCmdInfo;
    hostVersion = kHostVersion8_0;
}

void CKEFOParams::SetHelpFile(const char* fileName) noexcept {
    if (record_ == nullptr) return;
    try {
        CopyCut(record_->helpFile, DeclaredFileName(fileName).c_str());
    } catch (...) {
        record_->helpFile[0] = L'\0';
    }
}

void CKEFOParams::AddCompanionFile(const char* fileName) noexcept {
    if (record_ == nullptr || record_->companionFileCount >= kMaxCompanionFiles) return;
    try {
        const std::wstring name = DeclaredFileName(fileName);
        if (name.empty()) return;
        CopyCut(record_->companionFiles[record_->companionFileCount], name.c_str());
        ++record_->companionFileCount;
    } catch (...) {
        // The name is dropped; the add-on goes on as if it had been taken.
    }
}

void CKEFOParams::FormatErrorText(DWORD errorCode, const char* function,
                                  const char* argument) noexcept {
    hostText = kNoText;
    try {
        hostText_ = AnsiText(FormatInstallerString(
            IDS_UNEXPECTED_ERROR, errorCode, AddOnText(function, kArgumentBytes),
            AddOnText(argument, kArgumentBytes), SystemErrorText(errorCode)));
        hostText = hostText_.c_str();
    } catch (...) {
        hostText_.clear();
    }
}

int CKEFOParams::ShowMessage(HWND, const char* text, DWORD, int buttons) noexcept {
    // Only the buttons, icon and default button are taken from the add-on:
    // the other bits would change whose box it is or where it shows.
    UINT type = static_cast<UINT>(buttons) & (MB_TYPEMASK | MB_ICONMASK | MB_DEFMASK);
    if ((type & MB_ICONMASK) == 0) type |= MB_ICONEXCLAMATION;
    try {
        return ShowInstallerMessage(AddOnText(text, kMessageBytes).c_str(), type);
    } catch (...) {
        return 0;
    }
}

}  // namespace kefo
