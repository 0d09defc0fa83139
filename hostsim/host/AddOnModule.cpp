#include "AddOnModule.h"

namespace hostsim {

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
