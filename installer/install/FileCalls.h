// The file-system calls the installation makes, gathered in one table so
// that a test can let any single call fail (a full disk, a file another
// program holds) and see what the installation leaves behind. The program
// always runs with the Win32 functions themselves.
//
// Calling thread: the wizard's UI thread.
#pragma once

#include <windows.h>

namespace kefo {

struct FileCalls {
    DWORD(WINAPI* getAttributes)(LPCWSTR path);
    BOOL(WINAPI* setAttributes)(LPCWSTR path, DWORD attributes);
    BOOL(WINAPI* deleteFile)(LPCWSTR path);
    BOOL(WINAPI* moveFile)(LPCWSTR from, LPCWSTR to, DWORD flags);
    BOOL(WINAPI* copyFile)(LPCWSTR from, LPCWSTR to, BOOL failIfExists);
    // Opens a file for deleting, sharing nothing: fails with a sharing
    // violation while any other program has the file open or loaded.
    HANDLE(WINAPI* openForDelete)(LPCWSTR path);
    // Sets (or clears) a file's delete-on-close mark through its handle.
    BOOL(WINAPI* markForDelete)(HANDLE file, BOOL remove);
    // Writes a file's data through to the disk (a copy before it is renamed
    // into place).
    BOOL(WINAPI* flushFile)(LPCWSTR path);
    // Appends data to a file, creating it when missing, and returns once the
    // data is on the disk.
    BOOL(WINAPI* appendToFile)(LPCWSTR path, const void* data, DWORD size);
};

// The calls in force.
const FileCalls& Files() noexcept;

// Replaces the calls (null restores the Win32 ones); returns those in place.
FileCalls SetFileCalls(const FileCalls* calls) noexcept;

}  // namespace kefo
