#include "dsp/display/WindowPlacement.h"

#include <algorithm>
#include <climits>

#include "support/CallSiteMarker.h"

namespace kefo {

namespace {

// value, or value added to current; in 64 bits and saturated, so absurd
// offsets give an extreme position instead of an overflow.
int Resolved(int flag, int value, int current) noexcept {
    const long long result = flag != 0 ? static_cast<long long>(current) + value : value;
    return static_cast<int>(std::clamp<long long>(result, INT_MIN, INT_MAX));
}

}  // namespace

bool ScreenRectToClient(HWND window, RECT* rect) noexcept {
    KEFO_MARK_FILL();
    if (rect == nullptr) return false;
    POINT topLeft{rect->left, rect->top};
    POINT bottomRight{rect->right, rect->bottom};
    if (!ScreenToClient(window, &topLeft) || !ScreenToClient(window, &bottomRight)) return false;
    *rect = RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    return true;
}

bool GetWindowRectInParent(HWND window, RECT* rect) noexcept {
    KEFO_MARK_FILL();
    if (rect == nullptr) return false;
    RECT found{};
    if (!GetWindowRect(window, &found)) return false;
    // GA_PARENT rather than GetParent, which answers the owner for an owned
    // top-level window; a top-level window's parent is the desktop, whose
    // client coordinates are the screen's.
    const HWND parent = GetAncestor(window, GA_PARENT);
    if (parent != nullptr && !ScreenRectToClient(parent, &found)) return false;
    *rect = found;
    return true;
}

bool SetWindowPosRelative(HWND window, int xFlag, int x, int yFlag, int y, int widthFlag, int width,
                          int heightFlag, int height) noexcept {
    KEFO_MARK_FILL();
    RECT current{};
    const bool child = (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0;
    if (child) {
        if (!GetWindowRectInParent(window, &current)) return false;
    } else if (!GetWindowRect(window, &current)) {
        return false;
    }
    return SetWindowPos(window, nullptr, Resolved(xFlag, x, current.left),
                        Resolved(yFlag, y, current.top),
                        Resolved(widthFlag, width, current.right - current.left),
                        Resolved(heightFlag, height, current.bottom - current.top),
                        SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER) != FALSE;
}

}  // namespace kefo
