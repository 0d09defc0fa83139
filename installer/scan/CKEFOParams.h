// The installer's own parameter record: a minimal host for the information
// query (command 1) that the installer sends to each add-on DLL it finds.
//
//     CKEFOParams answer(&record);  // command 1, host version 8.0, rest zero
//     const int result = processing(&answer);
//     // answer.displayName, addOnVersion, ... hold the reply when result is 1
//
// Of the 44 services only four do something: SetHelpFile and
// AddCompanionFile fill the AddOnRecord given at construction,
// FormatErrorText and ShowMessage give the add-on the installer's own
// message texts and boxes. Every other slot takes its arguments and does
// nothing. The add-on is foreign code: every text it passes is read with a
// bound, and no service lets an exception out into it.
//
// Calling thread: the wizard's UI thread; the add-on calls the services on
// it during the query.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "framework/protocol/KEFO_Params.h"
#include "installer/InstallerState.h"

namespace kefo {

// An 8-bit text from an add-on, read up to its NUL but never more than limit
// bytes, converted with the calling thread's ANSI code page. A null text
// gives "".
std::wstring AddOnText(const char* text, std::size_t limit);

// True for a bare file name that stays inside its folder: not empty,
// shorter than the record's name fields, no folder parts, no drive, no
// wildcards and no characters Windows refuses in names.
bool IsPlainFileName(const std::wstring& name);

class CKEFOParams final : public KEFO_Params_8_0 {
public:
    // A record for the information query that files the declared help and
    // companion files into record (which may be null).
    explicit CKEFOParams(AddOnRecord* record) noexcept;
    CKEFOParams(const CKEFOParams&) = delete;
    CKEFOParams& operator=(const CKEFOParams&) = delete;
    ~CKEFOParams() = default;

    HWND CreateFrame(int, const char*, DWORD, int) noexcept override { return nullptr; }
    void DestroyFrame(HWND) noexcept override {}
    void RegisterWindow(HWND) noexcept override {}
    void UnregisterWindow(HWND) noexcept override {}
    // A later call replaces the name; a null name, or one that is not a
    // plain file name, leaves no help file.
    void SetHelpFile(const char* fileName) noexcept override;
    // Appends while fewer than kMaxCompanionFiles are held; null names and
    // names that are not plain file names are ignored.
    void AddCompanionFile(const char* fileName) noexcept override;
    int HostSlot6(int, int, int, int, int, int, int, int, int) noexcept override { return 0; }
    void DescribeParameters(int, const char* const*) noexcept override {}
    int StoreSettings(int, const float*, int, const char*) noexcept override { return 1; }
    void SavePreset(const char*, int, const float*) noexcept override {}
    void RemovePreset(const char*) noexcept override {}
    void LoadPresets() noexcept override {}
    void AddMenuItem(int, int, const char*, int) noexcept override {}
    int HostSlot13(int) noexcept override { return 0; }
    int HostSlot14(int) noexcept override { return 0; }
    void ShowHelp(int) noexcept override {}
    void RefreshState() noexcept override {}
    int IsAudioRunning() noexcept override { return 0; }
    void SetIndicator(int, HBITMAP, const char*) noexcept override {}
    void FormatText(const char*, ...) noexcept override {}
    // The installer's unexpected-error text, as ANSI at hostText.
    void FormatErrorText(DWORD errorCode, const char* function,
                         const char* argument) noexcept override;
    int HostSlot21(int, int, int) noexcept override { return 0; }
    void* AllocateAudio(int) noexcept override { return nullptr; }
    void FreeAudio(void*) noexcept override {}
    // An installer message box; buttons is the box type (0 OK, 1 OK and
    // Cancel), with an exclamation icon unless it names one. Owner and style
    // are not used.
    int ShowMessage(HWND owner, const char* text, DWORD style, int buttons) noexcept override;
    void ReportError(int, const char*, ...) noexcept override {}
    int HostSlot26(int, int, int, int) noexcept override { return 0; }
    int HostSlot27(int, int, int, int, int, int, int, int, int) noexcept override { return 0; }
    int HostSlot28(int) noexcept override { return 0; }
    int HostSlot29(int, int) noexcept override { return 0; }
    double HostSlot30() noexcept override { return 0.0; }
    int HostSlot31(int, int) noexcept override { return 0; }
    int HostSlot32(int, int) noexcept override { return 0; }
    int HostSlot33() noexcept override { return 0; }
    int HostSlot34(int, int) noexcept override { return 0; }
    int HostSlot35(int) noexcept override { return 0; }
    int HostSlot36(int, int) noexcept override { return 0; }
    int HostSlot37(int, int, int) noexcept override { return 0; }
    int HostSlot38(int) noexcept override { return 0; }
    int HostSlot39(int, int, int) noexcept override { return 0; }
    int HostSlot40(int, int, int, int, int) noexcept override { return 1; }
    int HostSlot41(int, int) noexcept override { return 0; }
    int HostSlot42(int, int) noexcept override { return 0; }
    int HostSlot43() noexcept override { return 0; }

private:
    // Host-private data after the 8.0 record (from +340 in the 32-bit build).
    AddOnRecord* record_;   // the record being filled; may be null
    std::string hostText_;  // what hostText points at after FormatErrorText
};

}  // namespace kefo
