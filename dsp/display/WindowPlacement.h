// Window placement helpers used by the add-on's windows to lay out their
// controls. Calling thread: any thread may call them, but SetWindowPos on a
// window of another thread waits for that thread; the add-on calls them on
// the window's own thread. Nothing here allocates.
#pragma once

#include <windows.h>

namespace kefo {

// Converts both corners of rect from screen to window's client coordinates.
// Returns false, leaving rect unchanged, when window is not a window.
bool ScreenRectToClient(HWND window, RECT* rect) noexcept;

// The window's rectangle in its parent's client coordinates (screen
// coordinates for a top-level window, whose parent is the desktop).
// Returns false and leaves rect unchanged when the rectangle cannot be read.
bool GetWindowRectInParent(HWND window, RECT* rect) noexcept;

// Moves and sizes window. Each (flag, value) pair is an absolute value when
// flag is 0, or an offset to the current left, top, width or height when it
// is nonzero; current means in the parent's client coordinates for a child
// window, in screen coordinates otherwise. The z-order and activation do
// not change. Returns false, and moves nothing, when the current rectangle
// cannot be read or SetWindowPos fails.
bool SetWindowPosRelative(HWND window, int xFlag, int x, int yFlag, int y, int widthFlag, int width,
                          int heightFlag, int height) noexcept;

}  // namespace kefo
