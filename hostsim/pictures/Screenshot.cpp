#include "hostsim/pictures/Screenshot.h"

#include <algorithm>
#include <fstream>

#include "support/UniqueHandle.h"

namespace screens {
namespace {

// Under Wine on a display without a window manager nobody draws the window
// frames, so pictures would show dialogs without their captions. Wine draws
// them itself when told so before its display driver starts, which is at the
// first window of the process: hence a static object of every program that
// takes pictures.
struct WineDrawsFrames {
    WineDrawsFrames() {
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return;  // real Windows
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", L"Decorated", REG_SZ,
                        L"N", sizeof L"N");
    }
} wineDrawsFrames;

constexpr std::size_t kStoredBlockMax = 65535;  // bytes one stored deflate block holds

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, const char type[4],
              const std::vector<std::uint8_t>& data) {
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian(out, Crc32(out.data() + typeAt, 4 + data.size()));
}

// A zlib stream of stored blocks: header, blocks of at most 65535 bytes each
// with its length and the length's complement, then the Adler-32 of the data.
std::vector<std::uint8_t> StoredZlib(const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> out = {0x78, 0x01};
    std::size_t at = 0;
    do {
        const std::size_t length = std::min(kStoredBlockMax, data.size() - at);
        const bool last = at + length == data.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<std::uint8_t>(length));
        out.push_back(static_cast<std::uint8_t>(length >> 8));
        out.push_back(static_cast<std::uint8_t>(~length));
        out.push_back(static_cast<std::uint8_t>(~length >> 8));
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                   data.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
    } while (at < data.size());
    PutBigEndian(out, Adler32(data.data(), data.size()));
    return out;
}

}  // namespace

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc) {
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::uint32_t Adler32(const std::uint8_t* data, std::size_t size) {
    std::uint32_t a = 1, b = 0;
    for (std::size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % 65521u;
        b = (b + a) % 65521u;
    }
    return (b << 16) | a;
}

std::vector<std::uint8_t> EncodePng(const Image& image) {
    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    PutBigEndian(header, static_cast<std::uint32_t>(image.width));
    PutBigEndian(header, static_cast<std::uint32_t>(image.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
    PutChunk(out, "IHDR", header);

    // Each row starts with its filter type, 0 (none).
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 3;
    std::vector<std::uint8_t> rows;
    rows.reserve((rowBytes + 1) * static_cast<std::size_t>(image.height));
    for (int y = 0; y < image.height; ++y) {
        rows.push_back(0);
        auto begin =
            image.rgb.begin() + static_cast<std::ptrdiff_t>(rowBytes * static_cast<std::size_t>(y));
        rows.insert(rows.end(), begin, begin + static_cast<std::ptrdiff_t>(rowBytes));
    }
    PutChunk(out, "IDAT", StoredZlib(rows));
    PutChunk(out, "IEND", {});
    return out;
}

bool WritePng(const Image& image, const std::wstring& path) {
    if (image.width <= 0 || image.height <= 0) return false;
    const std::vector<std::uint8_t> png = EncodePng(image);
    std::ofstream file(path.c_str(), std::ios::binary);
    file.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return static_cast<bool>(file);
}

namespace {

// The pixels of the window's rectangle, read from the window's own surface
// or from the screen.
Image Capture(HWND window, bool fromScreen) {
    Image image;
    RECT rect;
    if (!IsWindow(window) || !GetWindowRect(window, &rect)) return image;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return image;

    kefo::UniqueWindowDC screen(kefo::WindowDC{nullptr, GetDC(nullptr)});
    if (!screen) return image;
    kefo::UniqueHDC memory(CreateCompatibleDC(screen.Get().dc));
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    kefo::UniqueHBitmap dib(
        CreateDIBSection(screen.Get().dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !dib || !bits) return image;
    {
        kefo::UniqueSelection selected = kefo::SelectIntoDC(memory.Get(), dib.Get());
        if (!selected) return image;
        if (fromScreen) {
            if (!BitBlt(memory.Get(), 0, 0, width, height, screen.Get().dc, rect.left, rect.top,
                        SRCCOPY))
                return image;
        } else {
            kefo::UniqueWindowDC source(kefo::WindowDC{window, GetWindowDC(window)});
            if (!source ||
                !BitBlt(memory.Get(), 0, 0, width, height, source.Get().dc, 0, 0, SRCCOPY))
                return image;
        }
        GdiFlush();
    }
    return ImageFromDib(bits, width, height);
}

}  // namespace

Image ImageFromDib(const void* bits, int width, int height) {
    Image image;
    image.width = width;
    image.height = height;
    image.rgb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    const auto* pixels = static_cast<const std::uint8_t*>(bits);
    for (std::size_t i = 0; i < image.rgb.size() / 3; ++i) {
        image.rgb[i * 3] = pixels[i * 4 + 2];
        image.rgb[i * 3 + 1] = pixels[i * 4 + 1];
        image.rgb[i * 3 + 2] = pixels[i * 4];
    }
    return image;
}

Image CaptureWindow(HWND window) {
    // Everything painted before the pixels are read; the window's own surface,
    // frame and children included, so nothing covering it gets in.
    if (IsWindow(window)) {
        RedrawWindow(window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
        GdiFlush();
    }
    return Capture(window, false);
}

Image CaptureScreenArea(HWND window) {
    return Capture(window, true);
}

void PumpMessages(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    MSG msg;
    do {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    } while (GetTickCount() - start < milliseconds);
}

namespace {

BOOL CALLBACK NoteUnpainted(HWND window, LPARAM pending) {
    if (GetUpdateRect(window, nullptr, FALSE)) *reinterpret_cast<bool*>(pending) = true;
    return TRUE;
}

}  // namespace

void WaitUntilPainted(std::initializer_list<HWND> windows) {
    for (int tick = 0; tick < 200; ++tick) {
        bool pending = false;
        for (HWND window : windows) {
            NoteUnpainted(window, reinterpret_cast<LPARAM>(&pending));
            EnumChildWindows(window, &NoteUnpainted, reinterpret_cast<LPARAM>(&pending));
        }
        if (!pending) return;
        Sleep(10);
    }
}

}  // namespace screens
