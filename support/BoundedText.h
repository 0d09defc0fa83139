// Copying and appending NUL-terminated text into fixed-size character
// fields. The destination always ends up NUL-terminated; text that does not
// fit is cut. A null source counts as empty text. Works for char and wchar_t.
#pragma once

#include <cstddef>

namespace kefo {

// Length of text, but never more than limit (stops reading there).
template <typename Char>
std::size_t BoundedLength(const Char* text, std::size_t limit) noexcept {
    if (text == nullptr) return 0;
    std::size_t length = 0;
    while (length < limit && text[length] != Char(0)) ++length;
    return length;
}

// Writes at most capacity - 1 characters of source and the terminator.
// Returns the number of characters written, without the terminator.
template <typename Char>
std::size_t CopyCut(Char* destination, std::size_t capacity, const Char* source) noexcept {
    if (destination == nullptr || capacity == 0) return 0;
    const std::size_t length = BoundedLength(source, capacity - 1);
    for (std::size_t i = 0; i < length; ++i) destination[i] = source[i];
    destination[length] = Char(0);
    return length;
}

template <typename Char, std::size_t N>
std::size_t CopyCut(Char (&destination)[N], const Char* source) noexcept {
    return CopyCut(destination, N, source);
}

// Appends source after the text already in destination, within capacity.
// Text already longer than the field is cut to capacity - 1 first.
// Returns the new length.
template <typename Char>
std::size_t AppendCut(Char* destination, std::size_t capacity, const Char* source) noexcept {
    if (destination == nullptr || capacity == 0) return 0;
    const std::size_t start = BoundedLength(destination, capacity - 1);
    destination[start] = Char(0);
    return start + CopyCut(destination + start, capacity - start, source);
}

template <typename Char, std::size_t N>
std::size_t AppendCut(Char (&destination)[N], const Char* source) noexcept {
    return AppendCut(destination, N, source);
}

}  // namespace kefo
