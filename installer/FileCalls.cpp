#include "installer/FileCalls.h"

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

constexpr FileCalls kWin32Calls = {
    &GetFileAttributesW, &SetFileAttributesW, &DeleteFileW,   &MoveFileExW,
    &CopyFileW,          &OpenForDelete,      &MarkForDelete,
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
