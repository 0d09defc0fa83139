// CBitmapFromPoints: an off-screen canvas of 32-bit pixels, filled with
// rectangles in plain memory and turned into a bitmap in one step, so the
// analyzer's bars reach the screen without flicker.
//
//     CBitmapFromPoints canvas;
//     if (canvas.SetSizeFromWindow(control, 0x000000)) {
//         canvas.FillRect(x0, 0, x1, level, 0x00FF8000);   // a bar from the bottom up
//         ErrorRecordA error;
//         HBITMAP bitmap = canvas.CreateBitmap(&error);   // the caller owns it
//     }
//
// Pixels are 0x00RRGGBB (blue in the lowest byte, as in a 32-bit DIB; not a
// COLORREF). Row 0 is the bottom row of the finished image: y counts upward
// from the bottom edge.
//
// Memory: SetSize allocates (and is the only operation that does); it never
// throws: on failure it leaves the canvas empty and returns false, so it can
// run inside window procedures and timer handlers where no exception may
// escape. Calling thread: any, but the canvas is used by one thread at a
// time; CreateBitmap needs a thread that may use GDI.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "support/ErrorRecordA.h"

namespace kefo {

class CBitmapFromPoints {
public:
    CBitmapFromPoints() noexcept;
    virtual ~CBitmapFromPoints();
    CBitmapFromPoints(const CBitmapFromPoints&) = delete;
    CBitmapFromPoints& operator=(const CBitmapFromPoints&) = delete;

    // width = right - left, height = bottom - top, every pixel set to
    // fillColour. A rectangle of zero width or height gives an empty 0 x 0
    // canvas and true. A rectangle turned inside out (right < left or
    // bottom < top), a size of 2^30 pixels or more, or a failed allocation
    // gives an empty canvas and false.
    bool SetSize(const RECT& rect, std::uint32_t fillColour) noexcept;

    // SetSize from the window's screen rectangle; a window whose rectangle
    // cannot be read gives a 1 x 1 canvas.
    bool SetSizeFromWindow(HWND window, std::uint32_t fillColour) noexcept;

    // Sets the pixels x0..x1 of every row y0..y1 (inclusive) to colour.
    // Rows and columns are both clipped to the canvas; nothing happens where
    // x1 < x0 or y1 < y0.
    void FillRect(int x0, int y0, int x1, int y1, std::uint32_t colour) noexcept;

    // A device-dependent bitmap of the display made from the pixels; the
    // caller owns it (DeleteObject). On failure returns null and fills
    // error (kind 1, the failed call); on success error's kind is 0. An
    // empty canvas is refused as ERROR_INVALID_PARAMETER of CreateDIBitmap.
    HBITMAP CreateBitmap(ErrorRecordA* error) const noexcept;

    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    // Row after row from the bottom row; null when the canvas is empty.
    const std::uint32_t* Pixels() const noexcept { return pixels_.get(); }

private:
    std::int32_t width_;                       // pixels per row
    std::int32_t height_;                      // rows
    std::unique_ptr<std::uint32_t[]> pixels_;  // width_ * height_ values, or null
};

}  // namespace kefo
