#include "BaseRegistry.h"

namespace kefo {
namespace {

// Records name the source file they were filled in.
const wchar_t kSourcePath[] = L"" __FILE__;

bool IsTextType(DWORD type) noexcept {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// A failed read leaves no stale or half-written text behind.
void EmptyText(void* buffer, DWORD capacity) noexcept {
    if (buffer != nullptr && capacity >= sizeof(wchar_t)) static_cast<wchar_t*>(buffer)[0] = L'\0';
}

// The registry does not promise a terminator: one is written after the
// data, or at the buffer's last unit when the data fills it. Returns false
// when that last-unit terminator cut the text, that is when the buffer
// holds no terminator of the value's own.
bool TerminateText(void* buffer, DWORD capacity, DWORD dataSize) noexcept {
    const DWORD units = capacity / sizeof(wchar_t);
    if (buffer == nullptr || units == 0) return true;
    wchar_t* text = static_cast<wchar_t*>(buffer);
    const DWORD dataUnits = dataSize / sizeof(wchar_t);
    if (dataUnits < units) {
        text[dataUnits] = L'\0';
        return true;
    }
    for (DWORD i = 0; i < units; ++i) {
        if (text[i] == L'\0') return true;
    }
    text[units - 1] = L'\0';
    return false;
}

void SetReadFailure(ErrorRecordW* error, LONG result, const wchar_t* keyPath,
                    const wchar_t* valueName, int line) noexcept {
    SetError(kErrorSystem, error, static_cast<std::uint32_t>(result), L"RegQueryValueEx", nullptr,
             kSourcePath, line, 2, keyPath);
    ValueArgument(error, keyPath, valueName);
}

}  // namespace

LONG BaRe_OpenKey(HKEY parent, const wchar_t* subKey, wchar_t (&keyPath)[kRegistryPathChars],
                  ErrorRecordW* error, UniqueHKey& key) noexcept {
    key.Reset();
    // Into a local first: what a failed call leaves in its out parameter is
    // not ours to close.
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyExW(parent, subKey, 0, KEY_QUERY_VALUE, &opened);
    RegistryPath(parent, keyPath, subKey);
    ClearError(error);
    if (result != ERROR_SUCCESS) {
        SetError(kErrorSystem, error, static_cast<std::uint32_t>(result), L"RegOpenKeyEx", keyPath,
                 kSourcePath, __LINE__, 2, keyPath);
        return result;
    }
    key.Reset(opened);
    return ERROR_SUCCESS;
}

LONG BaRe_QueryValue(HKEY key, const wchar_t* valueName, DWORD expectedType, void* buffer,
                     DWORD* size, const wchar_t* keyPath, ErrorRecordW* error) noexcept {
    const DWORD capacity = size != nullptr ? *size : 0;
    DWORD type = REG_NONE;
    LONG result =
        RegQueryValueExW(key, valueName, nullptr, &type, static_cast<BYTE*>(buffer), size);
    ClearError(error);
    DWORD dataSize = size != nullptr ? *size : 0;
    bool typeKnown = result == ERROR_SUCCESS;
    if (result == ERROR_MORE_DATA) {
        // Ask the type on its own: a value of the wrong type is wrong data
        // whatever its length, not a buffer that was too small.
        DWORD storedSize = 0;
        typeKnown =
            RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &storedSize) == ERROR_SUCCESS;
        if (typeKnown) dataSize = storedSize;
    }
    const bool textBuffer = IsTextType(expectedType) || (typeKnown && IsTextType(type));
    if (typeKnown && !BaRe_CheckType(expectedType, type, dataSize, keyPath, valueName, error)) {
        if (textBuffer) EmptyText(buffer, capacity);
        return kWrongRegistryData;
    }
    if (result == ERROR_SUCCESS && IsTextType(type) && !TerminateText(buffer, capacity, dataSize))
        result = ERROR_MORE_DATA;
    if (result != ERROR_SUCCESS) {
        SetReadFailure(error, result, keyPath, valueName, __LINE__);
        if (textBuffer) EmptyText(buffer, capacity);
        return result;
    }
    return ERROR_SUCCESS;
}

bool BaRe_CheckType(DWORD expectedType, DWORD storedType, DWORD dataSize, const wchar_t* keyPath,
                    const wchar_t* valueName, ErrorRecordW* error) noexcept {
    bool fits = expectedType == 0 || expectedType == storedType;
    if (fits && expectedType == REG_DWORD) fits = dataSize == sizeof(DWORD);
    if (fits && expectedType == REG_QWORD) fits = dataSize == sizeof(ULONGLONG);
    if (fits) return true;
    SetError(kErrorWrongData, error, 0, nullptr, nullptr, kSourcePath, __LINE__, 2, keyPath);
    ValueArgument(error, keyPath, valueName);
    return false;
}

}  // namespace kefo
