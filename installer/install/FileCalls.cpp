#include "FileCalls.h"

#include "support/UniqueHandle.h"

namespace kefo {
namespace {

HANDLE WINAPI OpenForDelete(LPCWSTR path) {
    return CreateFileW(path, DELETE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

BOOL WINAPI MarkForDelete(HANDLE file, BOOL remove) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = remove;
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
}

BOOL WINAPI FlushFile(LPCWSTR path) {
    const UniqueFile file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && FlushFileBuffers(file.Get());
}

BOOL WINAPI AppendToFile(LPCWSTR path, const void* data, DWORD size) {
    const UniqueFile file(CreateFileW(path, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.Get(), data, size, &written, nullptr)) return FALSE;
    if (written != size) {
        SetLastError(ERROR_WRITE_FAULT);
        return FALSE;
    }
    return FlushFileBuffers(file.Get());
}

constexpr FileCalls kWin32Calls = {
    &GetFileAttributesW, &SetFileAttributesW, &DeleteFileW, &MoveFileExW,  &CopyFileW,
    &OpenForDelete,      &MarkForDelete,      &FlushFile,   &AppendToFile,
};

FileCalls g_calls = kWin32Calls;

}  // namespace

const FileCalls& Files() noexcept {
    return g_calls;
}

FileCalls SetFileCalls(const FileCalls* calls) noexcept {
    const FileCalls previous = g_calls;
    g_calls = calls ? *calls : kWin32Calls;
    return previous;
}

}  // namespace kefo
