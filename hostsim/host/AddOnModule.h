// Loads an add-on DLL and resolves its KEFO_Processing export, as the host
// and the installer do. The DLL is freed when the object goes.
#pragma once

#include <windows.h>

#include <string>

#include "framework/protocol/KEFO_Params.h"
#include "hostsim/system/Text.h"
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

}  // namespace hostsim
