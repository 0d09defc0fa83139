// Where the Windows-side tests find the binaries they load. Test executables,
// hostsim and the test-only add-ons sit side by side in the configuration's
// bin/ folder; the shipped files sit in its output folder, which for the
// 32-bit build is dist/, so a test loads the stripped release files.
#pragma once

#include <windows.h>

#include <string>

// The output folder relative to the test executable's, with '/' separators
// (set by tests/windows/CMakeLists.txt; empty when they are the same).
#ifndef KEFO_SHIPPED_FROM_TESTS
#define KEFO_SHIPPED_FROM_TESTS ""
#endif

namespace testing_paths {

inline std::wstring BesideTestExe(const std::wstring& fileName) {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1) + fileName;
}

// A file this configuration built: a shipped one (an add-on, the installer)
// from the output folder, anything else from beside the test executable.
inline std::wstring BuiltFile(const std::wstring& fileName) {
    const std::wstring beside = BesideTestExe(fileName);
    const std::string relative = KEFO_SHIPPED_FROM_TESTS;
    if (relative.empty() || GetFileAttributesW(beside.c_str()) != INVALID_FILE_ATTRIBUTES)
        return beside;
    std::wstring shipped;
    for (char c : relative) shipped += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return BesideTestExe(shipped + L"\\" + fileName);
}

// The artifacts folder beside the test programs' bin folder, created on
// demand, with the file name appended: where a run leaves its pictures.
inline std::wstring ArtifactPath(const std::wstring& fileName) {
    const std::wstring folder = BesideTestExe(L"..\\artifacts");
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\" + fileName;
}

}  // namespace testing_paths
