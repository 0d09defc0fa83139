#include "dsp/display/CBitmapFromPoints.h"

#include <algorithm>
#include <new>

#include "support/CallSiteMarker.h"
#include "support/UniqueHandle.h"

namespace kefo {

namespace {

// A pixel count at or above this is refused: its byte size would not fit a
// 32-bit size, and no display control is that large.
constexpr std::int64_t kPixelLimit = std::int64_t(1) << 30;

}  // namespace

CBitmapFromPoints::CBitmapFromPoints() noexcept : width_(0), height_(0) {
    KEFO_MARK_FILL();
}

CBitmapFromPoints::~CBitmapFromPoints() = default;

bool CBitmapFromPoints::SetSize(const RECT& rect, std::uint32_t fillColour) noexcept {
    KEFO_MARK();
    pixels_.reset();
    width_ = 0;
    height_ = 0;
    // In 64 bits: a difference of two 32-bit coordinates can overflow 32.
    const std::int64_t width = std::int64_t(rect.right) - rect.left;
    const std::int64_t height = std::int64_t(rect.bottom) - rect.top;
    if (width < 0 || height < 0) return false;
    if (width == 0 || height == 0) return true;
    if (width >= kPixelLimit || height >= kPixelLimit || width * height >= kPixelLimit) {
        return false;
    }
    const std::size_t count = static_cast<std::size_t>(width * height);
    pixels_.reset(new (std::nothrow) std::uint32_t[count]);
    if (!pixels_) return false;
    std::fill_n(pixels_.get(), count, fillColour);
    width_ = static_cast<std::int32_t>(width);
    height_ = static_cast<std::int32_t>(height);
    return true;
}

bool CBitmapFromPoints::SetSizeFromWindow(HWND window, std::uint32_t fillColour) noexcept {
    KEFO_MARK();
    RECT rect{};
    if (!GetWindowRect(window, &rect)) rect = RECT{0, 0, 1, 1};
    return SetSize(rect, fillColour);
}

void CBitmapFromPoints::FillRect(int x0, int y0, int x1, int y1, std::uint32_t colour) noexcept {
    KEFO_MARK_FILL();
    const int firstRow = std::max(y0, 0);
    const int lastRow = std::min(y1, height_ - 1);
    const int firstColumn = std::max(x0, 0);
    const int lastColumn = std::min(x1, width_ - 1);
    if (firstColumn > lastColumn) return;
    for (int y = firstRow; y <= lastRow; ++y) {
        std::uint32_t* row = pixels_.get() + std::size_t(y) * std::size_t(width_);
        std::fill(row + firstColumn, row + lastColumn + 1, colour);
    }
}

HBITMAP CBitmapFromPoints::CreateBitmap(ErrorRecordA* error) const noexcept {
    KEFO_MARK_FILL();
    ClearError(error);
    // An empty canvas fails the same way on every machine, display or not.
    if (!pixels_) {
        SetError(kErrorSystem, error, ERROR_INVALID_PARAMETER, "CreateDIBitmap", "", __FILE__,
                 __LINE__);
        return nullptr;
    }
    const UniqueHDC display(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    if (!display) {
        SetError(kErrorSystem, error, GetLastError(), "CreateDC(\"DISPLAY\",0,0,0)", "", __FILE__,
                 __LINE__);
        return nullptr;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = height_;  // positive: bottom-up, row 0 at the bottom
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const HBITMAP bitmap = CreateDIBitmap(display.Get(), &info.bmiHeader, CBM_INIT, pixels_.get(),
                                          &info, DIB_RGB_COLORS);
    if (bitmap == nullptr) {
        SetError(kErrorSystem, error, GetLastError(), "CreateDIBitmap", "", __FILE__, __LINE__);
    }
    return bitmap;
}

}  // namespace kefo
