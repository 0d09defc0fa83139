// Screenshots: a window's pixels as they are on screen, written as PNG
// files, for the demo's pictures and for GUI tests that leave pictures of
// what they showed.
//
//     screens::Image image = screens::CaptureWindow(dialog);
//     screens::WritePng(image, L"about.png");
//
// The PNG writer needs no library: one IDAT of stored (uncompressed) deflate
// blocks, with the CRC-32 and Adler-32 checksums the format asks for.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace screens {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // rows top first, 3 bytes (R, G, B) a pixel
};

// The window with its frame, captured from the screen after it has painted
// itself; empty when it cannot be captured.
Image CaptureWindow(HWND window);

// The pixels on screen under the window, whatever covers it. (A window that
// prints itself leaves its child controls out under Wine; the screen does not.)
Image CaptureScreenArea(HWND window);

// The pixels of a top-down 32-bit DIB section (B, G, R, unused per pixel).
Image ImageFromDib(const void* bits, int width, int height);

// Lets the windows of this thread paint themselves for about this long.
void PumpMessages(DWORD milliseconds);

// Waits (two seconds at most) until none of the windows, of any thread or
// process, nor any of their children has a part left to paint: the screen
// keeps nothing of what a window covered until it paints again.
void WaitUntilPainted(std::initializer_list<HWND> windows);

std::vector<std::uint8_t> EncodePng(const Image& image);
bool WritePng(const Image& image, const std::wstring& path);

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size,
                    std::uint32_t crc = 0);  // continue from an earlier result
std::uint32_t Adler32(const std::uint8_t* data, std::size_t size);

}  // namespace screens
