// Error record, UTF-16 form (used by the installer's support modules).
//
// Support code never shows a failure itself: it fills a record that its
// caller passed in, and the caller presents it. A record whose kind is
// kErrorNone means nothing failed.
//
//     kefo::ErrorRecordW error;
//     kefo::ClearError(&error);
//     if (RegOpenKeyExW(root, sub, 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
//         kefo::SetError(kefo::kErrorSystem, &error, GetLastError(), L"RegOpenKeyEx",
//                        path, L"" __FILE__, __LINE__, 2, path);
//
// Every text field is NUL-terminated and cut to its size. Every routine
// ignores a null record and never fails. Calling thread: any; a record
// belongs to the thread that fills it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "support/ErrorKinds.h"

namespace kefo {

struct ErrorDetailW {
    std::int32_t kind;  // meaning chosen by the module that fills it
    wchar_t text[260];  // empty when unused
};

struct ErrorRecordW {
    std::int32_t kind;          // ErrorKind
    std::uint32_t code;         // Win32 error (kind 1), multimedia result (kind 2)
    wchar_t text[256];          // readable text for the code
    wchar_t function[64];       // the failed call, e.g. "RegOpenKeyEx"
    wchar_t argument[256];      // what the call was applied to
    const wchar_t* inserts[5];  // each points to an empty string
    wchar_t sourcePath[256];    // source file of the failing code
    const wchar_t* sourceName;  // into sourcePath, after the last backslash
    std::int32_t line;          // source line
    ErrorDetailW details[3];    // extra items; details[0] set by SetError
};

// Empties every field; sourceName points at the (empty) sourcePath.
void ClearError(ErrorRecordW* record) noexcept;

// Clears the record and fills it. For kinds 1 and 2 also code, function and
// the text looked up for the code; the argument for every kind. Null texts
// count as empty.
void SetError(std::int32_t kind, ErrorRecordW* record, std::uint32_t code, const wchar_t* function,
              const wchar_t* argument, const wchar_t* sourcePath, std::int32_t line,
              std::int32_t detailKind, const wchar_t* detailText) noexcept;

// Capacity of a RegistryPath buffer, terminator included.
constexpr int kRegistryPathChars = 256;

// Writes the root key's name and a backslash ("HKEY_LOCAL_MACHINE\") into
// buffer, then appends subKey, the whole cut to 255 characters. For a root
// that is not one of the seven predefined keys, the text already in buffer
// is the prefix. Returns the length of the prefix with its backslash.
int RegistryPath(HKEY root, wchar_t (&buffer)[kRegistryPathChars], const wchar_t* subKey) noexcept;

// argument = keyPath "(" valueName ")", cut to 255 characters.
void ValueArgument(ErrorRecordW* record, const wchar_t* keyPath, const wchar_t* valueName) noexcept;

}  // namespace kefo
