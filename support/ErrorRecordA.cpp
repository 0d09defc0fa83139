#include "support/ErrorRecordA.h"

#include <cstdio>

#include "support/BoundedText.h"
#include "support/CallSiteMarker.h"
#include "support/UniqueHandle.h"

namespace kefo {
namespace {

const char kEmpty[] = "";

// The part after the last backslash, or the whole path when there is none
// or nothing follows it.
const char* SourceNameOf(const char* path) noexcept {
    const char* last = nullptr;
    for (const char* p = path; *p != '\0'; ++p) {
        if (*p == '\\') last = p;
    }
    if (last == nullptr || last[1] == '\0') return path;
    return last + 1;
}

// The system message table's text, cut to the field. Asked into a buffer
// the system allocates, so a long text is cut rather than lost.
bool SystemText(ErrorRecordA& record) noexcept {
    char* allocated = nullptr;
    // The empty inserts as the formatter's argument array (ignored, since
    // inserts are not expanded, but never left dangling).
    DWORD_PTR arguments[5];
    for (int i = 0; i < 5; ++i) arguments[i] = reinterpret_cast<DWORD_PTR>(record.inserts[i]);
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                        FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY |
                        FORMAT_MESSAGE_MAX_WIDTH_MASK;
    const DWORD length = FormatMessageA(
        flags, nullptr, record.code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<LPSTR>(&allocated), 0, reinterpret_cast<va_list*>(arguments));
    const UniqueHLocal owner(allocated);
    if (length == 0 || allocated == nullptr) return false;
    CopyCut(record.text, allocated);
    return record.text[0] != '\0';
}

// DirectShow's text, only when its runtime is already in the process: it
// is never loaded just for a message. Cut at 159 characters.
bool DirectShowText(ErrorRecordA& record) noexcept {
    const HMODULE quartz = GetModuleHandleW(L"quartz.dll");
    if (quartz == nullptr) return false;
    using GetErrorText = DWORD(WINAPI*)(HRESULT, CHAR*, DWORD);
    const FARPROC found = GetProcAddress(quartz, "AMGetErrorTextA");
    if (found == nullptr) return false;
    // Through the generic function pointer type, which any function pointer
    // converts to and from without a cast warning.
    const auto getText = reinterpret_cast<GetErrorText>(reinterpret_cast<void (*)()>(found));
    char buffer[160] = {};
    if (getText(static_cast<HRESULT>(record.code), buffer, 160) == 0) return false;
    buffer[159] = '\0';
    CopyCut(record.text, buffer);
    return record.text[0] != '\0';
}

}  // namespace

void ClearError(ErrorRecordA* record) noexcept {
    KEFO_MARK_FILL();
    if (record == nullptr) return;
    record->kind = kErrorNone;
    record->code = 0;
    record->text[0] = '\0';
    record->function[0] = '\0';
    record->argument[0] = '\0';
    for (const char*& insert : record->inserts) insert = kEmpty;
    record->sourcePath[0] = '\0';
    record->sourceName = record->sourcePath;
    record->line = 0;
    for (ErrorDetailA& detail : record->details) {
        detail.value = 0;
        detail.text[0] = '\0';
    }
}

void SetError(std::int32_t kind, ErrorRecordA* record, std::uint32_t code, const char* function,
              const char* argument, const char* sourcePath, std::int32_t line, std::int32_t detail1,
              const char* detail1Text, std::int32_t detail2, const char* detail2Text,
              std::int32_t detail3, const char* detail3Text) noexcept {
    KEFO_MARK_FILL();
    if (record == nullptr) return;
    ClearError(record);
    record->kind = kind;
    if (kind == kErrorSystem || kind == kErrorMultimedia) {
        record->code = code;
        CopyCut(record->function, function);
    }
    CopyCut(record->argument, argument);
    if (kind == kErrorSystem && !SystemText(*record) && !DirectShowText(*record)) {
        std::snprintf(record->text, sizeof record->text, "Err.0x%08X", static_cast<unsigned>(code));
    }
    CopyCut(record->sourcePath, sourcePath);
    record->sourceName = SourceNameOf(record->sourcePath);
    record->line = line;
    record->details[0].value = detail1;
    CopyCut(record->details[0].text, detail1Text);
    record->details[1].value = detail2;
    CopyCut(record->details[1].text, detail2Text);
    record->details[2].value = detail3;
    CopyCut(record->details[2].text, detail3Text);
}

}  // namespace kefo
