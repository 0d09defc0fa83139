// The kinds of failure an error record carries (both text forms).
#pragma once

#include <cstdint>

namespace kefo {

enum ErrorKind : std::int32_t {
    kErrorNone = 0,        // nothing failed
    kErrorSystem = 1,      // code is a Win32 error (GetLastError, registry results)
    kErrorMultimedia = 2,  // code is a multimedia (MMRESULT) result
    kErrorWrongData = 3,   // data of an unexpected form, no code
};

}  // namespace kefo
