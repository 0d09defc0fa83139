// Error record, ANSI form (used by the analyzer add-on's display code).
//
// The same record as the UTF-16 form with char texts, three details all
// given by the caller, and a text lookup for system errors only: kind 1
// gets the system's text, DirectShow's when that runtime is already loaded,
// or "Err.0x%08X"; every other kind gets no text.
//
//     kefo::ErrorRecordA error;
//     HBITMAP bitmap = canvas.CreateBitmap(&error);
//     if (error.kind != kefo::kErrorNone)
//         Report("Err %u-%u in %s(%s)", error.kind, error.code, error.function, error.argument);
//
// Every text field is NUL-terminated and cut to its size. Every routine
// ignores a null record and never fails. Calling thread: any; a record
// belongs to the thread that fills it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "support/ErrorKinds.h"

namespace kefo {

struct ErrorDetailA {
    std::int32_t value;  // meaning chosen by the module that fills it
    char text[260];      // empty when unused
};

struct ErrorRecordA {
    std::int32_t kind;        // ErrorKind
    std::uint32_t code;       // Win32 error (kind 1), multimedia result (kind 2)
    char text[256];           // readable text for the code (kind 1 only)
    char function[64];        // the failed call, e.g. "CreateDIBitmap"
    char argument[256];       // what the call was applied to
    const char* inserts[5];   // each points to an empty string
    char sourcePath[256];     // source file of the failing code
    const char* sourceName;   // into sourcePath, after the last backslash
    std::int32_t line;        // source line
    ErrorDetailA details[3];  // extra items, as given to SetError
};

// Empties every field; sourceName points at the (empty) sourcePath.
void ClearError(ErrorRecordA* record) noexcept;

// Clears the record and fills it: kind; for kinds 1 and 2 also code and
// function; the argument for every kind; for kind 1 the text looked up for
// the code; source position and the three details. Null texts count as
// empty.
void SetError(std::int32_t kind, ErrorRecordA* record, std::uint32_t code, const char* function,
              const char* argument, const char* sourcePath, std::int32_t line,
              std::int32_t detail1 = 0, const char* detail1Text = nullptr, std::int32_t detail2 = 0,
              const char* detail2Text = nullptr, std::int32_t detail3 = 0,
              const char* detail3Text = nullptr) noexcept;

}  // namespace kefo
