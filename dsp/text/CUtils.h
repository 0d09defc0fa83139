// Small text helpers of the DSP library. Portable; nothing here allocates
// or throws. Calling thread: any.
#pragma once

namespace kefo {

// Removes trailing blanks (0x20 only; tabs and other white space stay),
// then moves the text after any leading blanks, with its terminator, to the
// start of the buffer. An all-blank text becomes empty. A null pointer is
// ignored.
void TrimSpaces(char* text) noexcept;

}  // namespace kefo
