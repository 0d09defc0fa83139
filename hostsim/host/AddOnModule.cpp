#include "AddOnModule.h"

namespace hostsim {

std::string SystemErrorText(DWORD code) {
    char text[512] = "";
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, text, sizeof text, nullptr);
    while (length > 0 &&
           (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' '))
        text[--length] = '\0';
    return length ? std::string(text) + " (" + std::to_string(code) + ")"
                  : "error " + std::to_string(code);
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::wstring Widen(const std::string& text) {
    if (text.empty()) return {};
    int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

AddOnModule::AddOnModule(const std::wstring& path) {
    // No "cannot load" boxes from the system: failures are reported here.
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    module_.Reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    DWORD loadError = GetLastError();
    SetErrorMode(oldMode);
    if (!module_) {
        error_ = "cannot load: " + SystemErrorText(loadError);
        return;
    }
    processing_ = reinterpret_cast<KEFO_ProcessingFn>(
        reinterpret_cast<void*>(GetProcAddress(module_.Get(), "KEFO_Processing")));
    if (!processing_) error_ = "no KEFO_Processing export";
}

}  // namespace hostsim
