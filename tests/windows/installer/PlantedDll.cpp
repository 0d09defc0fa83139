// A DLL that records every load: it stands for a DLL someone left beside a
// program under the name of a system DLL. On loading it writes a file named
// after itself with ".loaded" added. It exports what the programs that would
// take it import, doing nothing (declared here, not from the system's
// headers, which mark them as imported).
#include <windows.h>

#include <string>

extern "C" {

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t path[MAX_PATH] = L"";
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRUE;
    const std::wstring marker = std::wstring(path) + L".loaded";
    const HANDLE file =
        CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return TRUE;
}

__declspec(dllexport) UINT WINAPI waveOutGetNumDevs() {
    return 0;
}
__declspec(dllexport) UINT WINAPI waveOutGetErrorTextW(UINT, LPWSTR, UINT) {
    return 1;
}
__declspec(dllexport) BOOL WINAPI InitCommonControlsEx(const void*) {
    return TRUE;
}
__declspec(dllexport) INT_PTR WINAPI PropertySheetW(const void*) {
    return -1;
}

}  // extern "C"
