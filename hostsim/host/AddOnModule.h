// Loads an add-on DLL and resolves its KEFO_Processing export, as the host
// and the installer do. The DLL is freed when the object goes.
#pragma once

#include <windows.h>

#include <string>

#include "framework/protocol/KEFO_Params.h"
#include "support/UniqueHandle.h"

namespace hostsim {

class AddOnModule {
public:
    explicit AddOnModule(const std::wstring& path);
    AddOnModule(const AddOnModule&) = delete;
    AddOnModule& operator=(const AddOnModule&) = delete;

    bool Loaded() const { return processing_ != nullptr; }
    // Why loading failed; empty when Loaded().
    const std::string& Error() const { return error_; }
    KEFO_ProcessingFn Processing() const { return processing_; }
    HMODULE Handle() const { return module_.Get(); }

private:
    kefo::UniqueHModule module_;
    KEFO_ProcessingFn processing_ = nullptr;
    std::string error_;
};

// A readable text for a Win32 error code.
std::string SystemErrorText(DWORD code);
// UTF-16 to UTF-8 and back, for paths and texts printed on the console.
std::string Narrow(const std::wstring& text);
std::wstring Widen(const std::string& text);

}  // namespace hostsim
