#include "dsp/text/CUtils.h"

#include <cstring>

#include "support/CallSiteMarker.h"

namespace kefo {

void TrimSpaces(char* text) noexcept {
    KEFO_MARK_FILL();
    if (text == nullptr) return;
    std::size_t length = std::strlen(text);
    while (length > 0 && text[length - 1] == ' ') --length;
    text[length] = '\0';
    std::size_t start = 0;
    while (start < length && text[start] == ' ') ++start;
    if (start > 0) std::memmove(text, text + start, length - start + 1);
}

}  // namespace kefo
