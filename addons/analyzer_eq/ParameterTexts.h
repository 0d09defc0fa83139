// The names under which the host shows the 17 settings as parameters.
#pragma once

namespace kefo {

// 17 pointers to NUL-terminated texts, each held in its own 100-byte buffer,
// in settings element order.
const char* const* ParameterTexts();

}  // namespace kefo
