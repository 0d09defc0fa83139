#include "dsp/display/CBitmapFromPoints.h"

#include <gtest/gtest.h>

#include <vector>

#include "TestWindows.h"
#include "support/UniqueHandle.h"

namespace {

using kefo::CBitmapFromPoints;

constexpr std::uint32_t kFill = 0x00102030;
constexpr std::uint32_t kBar = 0x00FF8040;

std::uint32_t At(const CBitmapFromPoints& canvas, int x, int y) {
    return canvas.Pixels()[static_cast<std::size_t>(y) * canvas.Width() + x];
}

int CountOf(const CBitmapFromPoints& canvas, std::uint32_t colour) {
    int count = 0;
    for (int i = 0; i < canvas.Width() * canvas.Height(); ++i)
        count += canvas.Pixels()[i] == colour;
    return count;
}

TEST(CBitmapFromPoints, StartsEmpty) {
    const CBitmapFromPoints canvas;
    EXPECT_EQ(canvas.Width(), 0);
    EXPECT_EQ(canvas.Height(), 0);
    EXPECT_EQ(canvas.Pixels(), nullptr);
}

TEST(CBitmapFromPoints, SetSizeAllocatesAndFills) {
    CBitmapFromPoints canvas;
    ASSERT_TRUE(canvas.SetSize(RECT{10, 20, 14, 23}, kFill));
    EXPECT_EQ(canvas.Width(), 4);
    EXPECT_EQ(canvas.Height(), 3);
    EXPECT_EQ(CountOf(canvas, kFill), 12);
    // A second size replaces the first.
    ASSERT_TRUE(canvas.SetSize(RECT{0, 0, 2, 5}, kBar));
    EXPECT_EQ(canvas.Width(), 2);
    EXPECT_EQ(canvas.Height(), 5);
    EXPECT_EQ(CountOf(canvas, kBar), 10);
}

TEST(CBitmapFromPoints, SetSizeRefusesBadRectanglesSafely) {
    CBitmapFromPoints canvas;
    ASSERT_TRUE(canvas.SetSize(RECT{0, 0, 8, 8}, kFill));
    EXPECT_FALSE(canvas.SetSize(RECT{10, 0, 4, 8}, kFill)) << "right < left";
    EXPECT_EQ(canvas.Width(), 0);
    EXPECT_EQ(canvas.Height(), 0);
    EXPECT_EQ(canvas.Pixels(), nullptr);
    EXPECT_FALSE(canvas.SetSize(RECT{0, 10, 8, 4}, kFill)) << "bottom < top";
    EXPECT_FALSE(canvas.SetSize(RECT{-10, -10, -20, -20}, kFill)) << "both inside out";
    EXPECT_EQ(canvas.Pixels(), nullptr);
    // Zero area is a legitimate, empty canvas.
    EXPECT_TRUE(canvas.SetSize(RECT{5, 5, 5, 9}, kFill));
    EXPECT_EQ(canvas.Width() * canvas.Height(), 0);
    EXPECT_EQ(canvas.Pixels(), nullptr);
}

TEST(CBitmapFromPoints, SetSizeRefusesImpossibleSizesWithoutThrowing) {
    CBitmapFromPoints canvas;
    ASSERT_TRUE(canvas.SetSize(RECT{0, 0, 8, 8}, kFill));
    EXPECT_FALSE(canvas.SetSize(RECT{0, 0, 32768, 32768}, kFill)) << "2^30 pixels";
    EXPECT_EQ(canvas.Pixels(), nullptr);
    EXPECT_EQ(canvas.Width(), 0);
    EXPECT_FALSE(canvas.SetSize(RECT{0, 0, 65536, 65536}, kFill)) << "2^32 pixels would wrap";
    EXPECT_FALSE(canvas.SetSize(RECT{-2000000000, 0, 2000000000, 1}, kFill))
        << "width overflows 32 bits";
    EXPECT_EQ(canvas.Pixels(), nullptr);
}

TEST(CBitmapFromPoints, SetSizeFromWindow) {
    CBitmapFromPoints canvas;
    const HWND notAWindow = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0xDEAD));
    ASSERT_TRUE(canvas.SetSizeFromWindow(notAWindow, kFill));
    EXPECT_EQ(canvas.Width(), 1);
    EXPECT_EQ(canvas.Height(), 1);
    EXPECT_EQ(At(canvas, 0, 0), kFill);

    const HWND frame = display_tests::CreateFrame(40, 50, 120, 90);
    ASSERT_NE(frame, nullptr);
    const HWND control = display_tests::CreateStatic(frame, 5, 6, 33, 17, SS_LEFT);
    ASSERT_NE(control, nullptr);
    ASSERT_TRUE(canvas.SetSizeFromWindow(control, 0));
    EXPECT_EQ(canvas.Width(), 33);
    EXPECT_EQ(canvas.Height(), 17);
    DestroyWindow(frame);
}

TEST(CBitmapFromPoints, FillRectClipsRowsAndColumns) {
    CBitmapFromPoints canvas;
    ASSERT_TRUE(canvas.SetSize(RECT{0, 0, 6, 4}, kFill));

    canvas.FillRect(1, -3, 2, 0, kBar);  // y0 below 0 starts at row 0
    EXPECT_EQ(At(canvas, 1, 0), kBar);
    EXPECT_EQ(At(canvas, 2, 0), kBar);
    EXPECT_EQ(CountOf(canvas, kBar), 2);

    canvas.FillRect(4, 2, 4, 100, kBar);  // y1 beyond the top stops at the top row
    EXPECT_EQ(At(canvas, 4, 2), kBar);
    EXPECT_EQ(At(canvas, 4, 3), kBar);
    EXPECT_EQ(CountOf(canvas, kBar), 4);

    canvas.FillRect(3, 0, 2, 3, kBar);  // x1 < x0: nothing
    canvas.FillRect(0, 3, 5, 2, kBar);  // y1 < y0: nothing
    EXPECT_EQ(CountOf(canvas, kBar), 4);

    // Columns outside the canvas are clipped, not written.
    canvas.FillRect(-100, 1, 100, 1, 0x00ABCDEF);
    for (int x = 0; x < 6; ++x) EXPECT_EQ(At(canvas, x, 1), 0x00ABCDEFu);
    EXPECT_EQ(CountOf(canvas, 0x00ABCDEF), 6);
    canvas.FillRect(6, 0, 50, 3, 0x00111111);    // entirely right of the canvas
    canvas.FillRect(-50, 0, -1, 3, 0x00111111);  // entirely left of it
    canvas.FillRect(0, 4, 5, 9, 0x00111111);     // entirely above it
    EXPECT_EQ(CountOf(canvas, 0x00111111), 0);

    CBitmapFromPoints empty;
    empty.FillRect(0, 0, 10, 10, kBar);  // no pixels, nothing to do
    EXPECT_EQ(empty.Pixels(), nullptr);
}

// Reads a bitmap back as 32-bit rows, bottom row first.
std::vector<std::uint32_t> ReadBack(HBITMAP bitmap, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height, 0xCCCCCCCC);
    const kefo::UniqueWindowDC screen = kefo::GetWindowClientDC(nullptr);
    const int rows =
        GetDIBits(screen.Get().dc, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    EXPECT_EQ(rows, height);
    for (auto& p : pixels) p &= 0x00FFFFFF;
    return pixels;
}

TEST(CBitmapFromPoints, CreateBitmapPutsRowZeroAtTheBottom) {
    CBitmapFromPoints canvas;
    ASSERT_TRUE(canvas.SetSize(RECT{0, 0, 5, 3}, 0x00000000));
    canvas.FillRect(0, 0, 4, 0, 0x00FF0000);  // bottom line red
    canvas.FillRect(2, 2, 2, 2, 0x000000FF);  // one blue pixel in the top line

    kefo::ErrorRecordA error;
    error.kind = 99;  // cleared on success
    const kefo::UniqueHBitmap bitmap(canvas.CreateBitmap(&error));
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(error.kind, 0);

    BITMAP described{};
    ASSERT_NE(GetObjectW(bitmap.Get(), sizeof described, &described), 0);
    EXPECT_EQ(described.bmWidth, 5);
    EXPECT_EQ(described.bmHeight, 3);

    const std::vector<std::uint32_t> rows = ReadBack(bitmap.Get(), 5, 3);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(rows[x], 0x00FF0000u) << "bottom line, x=" << x;
    EXPECT_EQ(rows[2 * 5 + 2], 0x000000FFu);
    EXPECT_EQ(rows[1 * 5 + 2], 0x00000000u);

    // Seen as a picture, the red line is the last one from the top.
    const kefo::UniqueHDC memory(CreateCompatibleDC(nullptr));
    const kefo::UniqueSelection selected = kefo::SelectIntoDC(memory.Get(), bitmap.Get());
    EXPECT_EQ(GetPixel(memory.Get(), 0, 2), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(memory.Get(), 2, 0), RGB(0, 0, 255));
}

TEST(CBitmapFromPoints, CreateBitmapWithoutRecordStillWorks) {
    CBitmapFromPoints canvas;
    ASSERT_TRUE(canvas.SetSize(RECT{0, 0, 2, 2}, kFill));
    const kefo::UniqueHBitmap bitmap(canvas.CreateBitmap(nullptr));
    EXPECT_TRUE(bitmap);
}

TEST(CBitmapFromPoints, CreateBitmapOfAnEmptyCanvasFailsWithARecord) {
    CBitmapFromPoints canvas;
    kefo::ErrorRecordA error;
    EXPECT_EQ(canvas.CreateBitmap(&error), nullptr);
    EXPECT_EQ(error.kind, 1);
    EXPECT_EQ(error.code, static_cast<std::uint32_t>(ERROR_INVALID_PARAMETER));
    EXPECT_STREQ(error.function, "CreateDIBitmap");
    EXPECT_STREQ(error.argument, "");
    EXPECT_NE(std::string(error.sourcePath).find("CBitmapFromPoints"), std::string::npos);
    EXPECT_GT(error.line, 0);
    EXPECT_NE(error.text[0], '\0');
}

}  // namespace
