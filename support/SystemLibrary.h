// DLLs that a program running with administrator rights must never take
// from anywhere but the system's own folder. Windows looks for a DLL that is
// not one of its known DLLs first in the program's folder (a downloads
// folder, say), so such DLLs are not imported but loaded here on first
// need, and the process's default search is narrowed before anything else
// is loaded.
//
//     RestrictDllSearch();                          // first thing in the program
//     HMODULE winmm = LoadSystemLibrary(L"winmm.dll");
//
// Calling thread: any. Nothing here throws.
#pragma once

#include <windows.h>

namespace kefo {

// Limits the search of every later LoadLibrary without a full path to the
// system folder (SetDefaultDllDirectories), and drops the current folder
// from it where that call is missing (SetDllDirectory with an empty text).
void RestrictDllSearch() noexcept;

// The named DLL from the system folder only; null (with the system's error)
// when it is not there. The DLL is loaded once and stays loaded for the
// process's life, so the result needs no freeing.
HMODULE LoadSystemLibrary(const wchar_t* name) noexcept;

// A function of a DLL from the system folder, as the given pointer type;
// null when the DLL or the function is missing.
template <typename Function>
Function SystemFunction(const wchar_t* library, const char* name) noexcept {
    const HMODULE module = LoadSystemLibrary(library);
    if (module == nullptr) return nullptr;
    // Through the generic function pointer type, which any function pointer
    // converts to and from without a cast warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace kefo
