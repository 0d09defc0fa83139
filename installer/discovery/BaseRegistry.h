// Reading the registry (the installer never writes it). Each routine returns
// the Win32 result and leaves any failure in the caller's error record:
// kind, code, the failed call, the key path (for a value: the key path and
// the value name in parentheses) and the source location. Nothing here
// shows anything; the caller decides.
//
//     wchar_t path[kRegistryPathChars] = L"";
//     ErrorRecordW error;
//     UniqueHKey key;
//     if (BaRe_OpenKey(HKEY_LOCAL_MACHINE, L"Software\\Brendle", path, &error, key) == 0) {
//         DWORD value = 0, size = sizeof value;
//         BaRe_QueryValue(key.Get(), L"Edition", REG_DWORD, &value, &size, path, &error);
//     }
//
// Calling thread: any.
#pragma once

#include <windows.h>

#include "support/ErrorRecordW.h"
#include "support/UniqueHandle.h"

namespace kefo {

// Result of BaRe_QueryValue for a value of the wrong type or size; the
// record then has kind kErrorWrongData and no code.
constexpr LONG kWrongRegistryData = ERROR_DATATYPE_MISMATCH;

// Opens parent\subKey for querying into key (left empty on failure).
// Whatever the outcome, keyPath is extended to name the sub-key (a
// predefined root replaces it with the root's name, any other parent keeps
// the parent's path there) and the record is cleared, then filled on
// failure.
LONG BaRe_OpenKey(HKEY parent, const wchar_t* subKey, wchar_t (&keyPath)[kRegistryPathChars],
                  ErrorRecordW* error, UniqueHKey& key) noexcept;

// Reads a value into buffer; size is the buffer's size in bytes on entry and
// the data's on return. expectedType 0 accepts any type. Text values
// (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) always end terminated inside the
// buffer: a text that would have to be cut for its terminator fails as
// ERROR_MORE_DATA, as a value too large for the buffer does. A value of the
// wrong type, or a number value of the wrong size, gives kWrongRegistryData
// and a kind-3 record. On any failure a text buffer is left empty.
LONG BaRe_QueryValue(HKEY key, const wchar_t* valueName, DWORD expectedType, void* buffer,
                     DWORD* size, const wchar_t* keyPath, ErrorRecordW* error) noexcept;

// True when storedType (with its data size in bytes) is what expectedType
// asks for: 0 asks for anything; REG_DWORD and REG_QWORD also need data of
// their own size. Otherwise fills the record as wrong data for the value
// and returns false.
bool BaRe_CheckType(DWORD expectedType, DWORD storedType, DWORD dataSize, const wchar_t* keyPath,
                    const wchar_t* valueName, ErrorRecordW* error) noexcept;

}  // namespace kefo
