#include "support/ErrorRecordW.h"

#include <mmsystem.h>

#include <cwchar>

#include "support/BoundedText.h"
#include "support/CallSiteMarker.h"
#include "support/SystemLibrary.h"
#include "support/UniqueHandle.h"

namespace kefo {
namespace {

const wchar_t kEmpty[] = L"";

// The part after the last backslash, or the whole path when there is none
// or nothing follows it.
const wchar_t* SourceNameOf(const wchar_t* path) noexcept {
    const wchar_t* last = nullptr;
    for (const wchar_t* p = path; *p != L'\0'; ++p) {
        if (*p == L'\\') last = p;
    }
    if (last == nullptr || last[1] == L'\0') return path;
    return last + 1;
}

// The system message table's text, cut to the field. Asked into a buffer
// the system allocates, so a long text is cut rather than lost.
bool SystemText(ErrorRecordW& record) noexcept {
    wchar_t* allocated = nullptr;
    // The empty inserts as the formatter's argument array (ignored, since
    // inserts are not expanded, but never left dangling).
    DWORD_PTR arguments[5];
    for (int i = 0; i < 5; ++i) arguments[i] = reinterpret_cast<DWORD_PTR>(record.inserts[i]);
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                        FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY |
                        FORMAT_MESSAGE_MAX_WIDTH_MASK;
    const DWORD length = FormatMessageW(
        flags, nullptr, record.code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<LPWSTR>(&allocated), 0, reinterpret_cast<va_list*>(arguments));
    const UniqueHLocal owner(allocated);
    if (length == 0 || allocated == nullptr) return false;
    CopyCut(record.text, allocated);
    return record.text[0] != L'\0';
}

// DirectShow's text, only when its runtime is already in the process: it
// is never loaded just for a message.
bool DirectShowText(ErrorRecordW& record) noexcept {
    const HMODULE quartz = GetModuleHandleW(L"quartz.dll");
    if (quartz == nullptr) return false;
    using GetErrorText = DWORD(WINAPI*)(HRESULT, WCHAR*, DWORD);
    const FARPROC found = GetProcAddress(quartz, "AMGetErrorTextW");
    if (found == nullptr) return false;
    // Through the generic function pointer type, which any function pointer
    // converts to and from without a cast warning.
    const auto getText = reinterpret_cast<GetErrorText>(reinterpret_cast<void (*)()>(found));
    wchar_t buffer[160] = {};
    if (getText(static_cast<HRESULT>(record.code), buffer, 160) == 0) return false;
    buffer[159] = L'\0';
    CopyCut(record.text, buffer);
    return record.text[0] != L'\0';
}

void MultimediaText(ErrorRecordW& record) noexcept {
    // The multimedia library is not imported: it is taken from the system
    // folder when a text is first needed (see SystemLibrary.h).
    using WaveOutErrorText = MMRESULT(WINAPI*)(MMRESULT, LPWSTR, UINT);
    static const auto errorText =
        SystemFunction<WaveOutErrorText>(L"winmm.dll", "waveOutGetErrorTextW");
    wchar_t buffer[256] = {};
    if (errorText != nullptr && errorText(record.code, buffer, 256) == MMSYSERR_NOERROR) {
        buffer[255] = L'\0';
        CopyCut(record.text, buffer);
        return;
    }
    switch (record.code) {
        case 165: CopyCut(record.text, L"JOYERR_PARMS"); break;
        case 166: CopyCut(record.text, L"JOYERR_NOCANDO"); break;
        case 167: CopyCut(record.text, L"JOYERR_UNPLUGGED"); break;
        default:
            std::swprintf(record.text, 256, L"MmErr.0x%08X", static_cast<unsigned>(record.code));
            break;
    }
}

void LookUpText(ErrorRecordW& record) noexcept {
    if (record.kind == kErrorSystem) {
        if (SystemText(record) || DirectShowText(record)) return;
        std::swprintf(record.text, 256, L"Err.0x%08X", static_cast<unsigned>(record.code));
    } else if (record.kind == kErrorMultimedia) {
        MultimediaText(record);
    }
}

}  // namespace

void ClearError(ErrorRecordW* record) noexcept {
    KEFO_MARK_FILL();
    if (record == nullptr) return;
    record->kind = kErrorNone;
    record->code = 0;
    record->text[0] = L'\0';
    record->function[0] = L'\0';
    record->argument[0] = L'\0';
    for (const wchar_t*& insert : record->inserts) insert = kEmpty;
    record->sourcePath[0] = L'\0';
    record->sourceName = record->sourcePath;
    record->line = 0;
    for (ErrorDetailW& detail : record->details) {
        detail.kind = 0;
        detail.text[0] = L'\0';
    }
}

void SetError(std::int32_t kind, ErrorRecordW* record, std::uint32_t code, const wchar_t* function,
              const wchar_t* argument, const wchar_t* sourcePath, std::int32_t line,
              std::int32_t detailKind, const wchar_t* detailText) noexcept {
    KEFO_MARK_FILL();
    if (record == nullptr) return;
    ClearError(record);
    record->kind = kind;
    if (kind == kErrorSystem || kind == kErrorMultimedia) {
        record->code = code;
        CopyCut(record->function, function);
    }
    CopyCut(record->argument, argument);
    LookUpText(*record);
    CopyCut(record->sourcePath, sourcePath);
    record->sourceName = SourceNameOf(record->sourcePath);
    record->line = line;
    record->details[0].kind = detailKind;
    CopyCut(record->details[0].text, detailText);
}

int RegistryPath(HKEY root, wchar_t (&buffer)[kRegistryPathChars], const wchar_t* subKey) noexcept {
    KEFO_MARK_FILL();
    static const struct {
        HKEY key;
        const wchar_t* name;
    } kRoots[] = {
        {HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT\\"},
        {HKEY_CURRENT_USER, L"HKEY_CURRENT_USER\\"},
        {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE\\"},
        {HKEY_USERS, L"HKEY_USERS\\"},
        {HKEY_PERFORMANCE_DATA, L"HKEY_PERFORMANCE_DATA\\"},
        {HKEY_CURRENT_CONFIG, L"HKEY_CURRENT_CONFIG\\"},
        {HKEY_DYN_DATA, L"HKEY_DYN_DATA\\"},
    };
    for (const auto& entry : kRoots) {
        if (entry.key == root) {
            CopyCut(buffer, entry.name);
            break;
        }
    }
    const int last = kRegistryPathChars - 1;
    buffer[last] = L'\0';
    int length = static_cast<int>(std::wcslen(buffer));
    if (length >= last) return length;
    if (length == 0 || buffer[length - 1] != L'\\') {
        buffer[length++] = L'\\';
        buffer[length] = L'\0';
    }
    const int prefix = length;
    if (length < last) AppendCut(buffer, subKey);
    return prefix;
}

void ValueArgument(ErrorRecordW* record, const wchar_t* keyPath,
                   const wchar_t* valueName) noexcept {
    KEFO_MARK_FILL();
    if (record == nullptr) return;
    record->argument[0] = L'\0';
    AppendCut(record->argument, keyPath);
    AppendCut(record->argument, L"(");
    AppendCut(record->argument, valueName);
    AppendCut(record->argument, L")");
}

}  // namespace kefo
