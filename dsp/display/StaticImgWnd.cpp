#include "dsp/display/StaticImgWnd.h"

#include "support/CallSiteMarker.h"
#include "support/UniqueHandle.h"

namespace kefo {

namespace {

// BeginPaint .. EndPaint for one WM_PAINT; validates the update region on
// every way out.
class PaintScope {
public:
    explicit PaintScope(HWND window) noexcept : window_(window), paint_{} {
        dc_ = BeginPaint(window_, &paint_);
    }
    ~PaintScope() { EndPaint(window_, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC Dc() const noexcept { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_;
    HDC dc_;
};

}  // namespace

StaticImgWnd::StaticImgWnd() noexcept
    : window_(nullptr), previousProc_(nullptr), previousUserData_(0) {
    KEFO_MARK_FILL();
}

StaticImgWnd::~StaticImgWnd() {
    KEFO_MARK_FILL();
    Detach();
}

bool StaticImgWnd::Attach(HWND window) noexcept {
    KEFO_MARK_FILL();
    Detach();
    if (window == nullptr || !IsWindow(window)) return false;
    previousUserData_ = SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    previousProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SharedWndProc)));
    window_ = window;
    return true;
}

void StaticImgWnd::Detach() noexcept {
    KEFO_MARK_FILL();
    if (window_ != nullptr && IsWindow(window_)) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, previousUserData_);
        if (previousProc_ != nullptr) {
            SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
        }
    }
    window_ = nullptr;
    previousProc_ = nullptr;
    previousUserData_ = 0;
}

LRESULT StaticImgWnd::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    KEFO_MARK();
    switch (message) {
        case WM_DESTROY: Detach(); return 0;
        case WM_PAINT: return OnPaint();
        case WM_ERASEBKGND: return 1;
        default:
            if (previousProc_ == nullptr) return 0;
            return CallWindowProcW(previousProc_, window_, message, wParam, lParam);
    }
}

LRESULT StaticImgWnd::OnPaint() {
    KEFO_MARK();
    const HANDLE image =
        reinterpret_cast<HANDLE>(SendMessageW(window_, STM_GETIMAGE, IMAGE_BITMAP, 0));
    PaintScope paint(window_);
    if (image == nullptr || paint.Dc() == nullptr) return 0;
    RECT rect{};
    GetWindowRect(window_, &rect);
    OffsetRect(&rect, -rect.left, -rect.top);
    const UniqueHDC memory(CreateCompatibleDC(paint.Dc()));
    if (!memory) return 0;
    const UniqueSelection selected = SelectIntoDC(memory.Get(), image);
    if (!selected) return 0;
    BitBlt(paint.Dc(), 0, 0, rect.right, rect.bottom, memory.Get(), 0, 0, SRCCOPY);
    return 0;
}

LRESULT CALLBACK StaticImgWnd::SharedWndProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    auto* object = reinterpret_cast<StaticImgWnd*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (object == nullptr) return 0;
    // No exception may travel back into the system's message dispatch.
    try {
        return object->WndProc(message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

}  // namespace kefo
