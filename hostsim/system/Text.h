// Texts of the host process: UTF-16 and UTF-8, and the system's words for
// an error code.
#pragma once

#include <windows.h>

#include <string>

namespace hostsim {

// A readable text for a Win32 error code.
std::string SystemErrorText(DWORD code);
// UTF-16 to UTF-8 and back, for paths and texts printed on the console.
std::string Narrow(const std::wstring& text);
std::wstring Widen(const std::string& text);

// A command code or flag word as "0x20000".
std::string Hex(int value);

}  // namespace hostsim
