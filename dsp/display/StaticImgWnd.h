// StaticImgWnd: subclasses a static control (style SS_BITMAP) so that it
// paints the bitmap it holds with one block transfer and never erases its
// background; together with CBitmapFromPoints the analyzer's display is
// redrawn without flicker.
//
//     StaticImgWnd image;                       // lives as long as the control
//     image.Attach(GetDlgItem(dialog, id));
//     HBITMAP old = reinterpret_cast<HBITMAP>(
//         SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
//     // the caller deletes old; the control does not own its bitmap
//
// The object is reached from the control's user data while attached; it
// detaches itself when the control is destroyed, and on destruction.
// Calling thread: the thread that owns the control, for every operation.
// Nothing here allocates or throws.
#pragma once

#include <windows.h>

namespace kefo {

class StaticImgWnd {
public:
    StaticImgWnd() noexcept;
    virtual ~StaticImgWnd();
    StaticImgWnd(const StaticImgWnd&) = delete;
    StaticImgWnd& operator=(const StaticImgWnd&) = delete;

    // Detaches first; then installs the shared window procedure on window,
    // keeping its previous procedure and user data. A handle that is not a
    // window leaves the object detached and returns false.
    bool Attach(HWND window) noexcept;

    // Gives the remembered window back its user data and window procedure
    // when it still exists; always forgets all three.
    void Detach() noexcept;

    HWND Window() const noexcept { return window_; }

    // The control's messages while attached (derived classes may override).
    // Destroy: detach (the previous procedure does not see it); paint:
    // OnPaint; erase background: 1; everything else to the previous
    // procedure, or 0 when there is none.
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Copies the control's bitmap to its top left corner; without a bitmap
    // draws nothing. Always validates the update region.
    virtual LRESULT OnPaint();

private:
    static LRESULT CALLBACK SharedWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_;                // the subclassed control, or null
    WNDPROC previousProc_;       // its procedure before Attach
    LONG_PTR previousUserData_;  // its user data before Attach
};

}  // namespace kefo
