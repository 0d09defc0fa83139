// Where the Windows-side tests find the binaries they load: next to the test
// executable, where the win64 build puts every DLL and program.
#pragma once

#include <windows.h>

#include <string>

namespace testing_paths {

inline std::wstring BesideTestExe(const std::wstring& fileName) {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1) + fileName;
}

}  // namespace testing_paths
