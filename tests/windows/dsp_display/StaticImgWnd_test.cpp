#include "dsp/display/StaticImgWnd.h"

#include <gtest/gtest.h>

#include <vector>

#include "TestWindows.h"
#include "dsp/display/CBitmapFromPoints.h"
#include "support/UniqueHandle.h"

namespace {

using kefo::CBitmapFromPoints;
using kefo::StaticImgWnd;

// Counts what reaches the overridable operations.
class CountingImgWnd : public StaticImgWnd {
public:
    int paints = 0;
    int destroys = 0;

    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_DESTROY) ++destroys;
        return StaticImgWnd::WndProc(message, wParam, lParam);
    }
    LRESULT OnPaint() override {
        ++paints;
        return StaticImgWnd::OnPaint();
    }
};

// The messages the control's earlier procedure saw, for checking what the
// subclass passes on.
std::vector<UINT> g_seen;
WNDPROC g_original = nullptr;
LRESULT CALLBACK Recorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    g_seen.push_back(message);
    return CallWindowProcW(g_original, window, message, wParam, lParam);
}

bool Saw(UINT message) {
    for (UINT m : g_seen)
        if (m == message) return true;
    return false;
}

class StaticImgWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        frame_ = display_tests::CreateFrame(30, 30, 200, 150);
        ASSERT_NE(frame_, nullptr);
        control_ = display_tests::CreateStatic(frame_, 10, 10, 40, 30);
        ASSERT_NE(control_, nullptr);
        display_tests::Pump();
    }
    void TearDown() override {
        if (frame_ != nullptr) DestroyWindow(frame_);
    }
    LONG_PTR Proc() const { return GetWindowLongPtrW(control_, GWLP_WNDPROC); }

    HWND frame_ = nullptr;
    HWND control_ = nullptr;
};

TEST_F(StaticImgWndTest, AttachAndDetachRestoreProcedureAndUserData) {
    SetWindowLongPtrW(control_, GWLP_USERDATA, 0x1234);
    const LONG_PTR original = Proc();
    {
        StaticImgWnd image;
        ASSERT_TRUE(image.Attach(control_));
        EXPECT_EQ(image.Window(), control_);
        EXPECT_NE(Proc(), original);
        EXPECT_EQ(GetWindowLongPtrW(control_, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&image));
        image.Detach();
        EXPECT_EQ(image.Window(), nullptr);
        EXPECT_EQ(Proc(), original);
        EXPECT_EQ(GetWindowLongPtrW(control_, GWLP_USERDATA), 0x1234);

        ASSERT_TRUE(image.Attach(control_));
    }  // the destructor detaches
    EXPECT_EQ(Proc(), original);
    EXPECT_EQ(GetWindowLongPtrW(control_, GWLP_USERDATA), 0x1234);
}

TEST_F(StaticImgWndTest, AttachToANonWindowStaysDetached) {
    StaticImgWnd image;
    ASSERT_TRUE(image.Attach(control_));
    EXPECT_FALSE(image.Attach(reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0xDEAD))));
    EXPECT_EQ(image.Window(), nullptr);
    EXPECT_EQ(GetWindowLongPtrW(control_, GWLP_USERDATA), 0) << "the first control was given back";
    EXPECT_FALSE(image.Attach(nullptr));
}

TEST_F(StaticImgWndTest, NeverErasesAndPassesOtherMessagesOn) {
    StaticImgWnd image;
    ASSERT_TRUE(image.Attach(control_));
    const kefo::UniqueWindowDC dc = kefo::GetWindowClientDC(control_);
    EXPECT_EQ(SendMessageW(control_, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.Get().dc), 0), 1);
    // A text control shows the forwarding plainly (a bitmap static would
    // take the text as a resource name).
    const HWND label = display_tests::CreateStatic(frame_, 60, 10, 40, 20, SS_LEFT);
    StaticImgWnd labelImage;
    ASSERT_TRUE(labelImage.Attach(label));
    ASSERT_TRUE(SetWindowTextW(label, L"passed on"));
    wchar_t text[32] = {};
    EXPECT_EQ(GetWindowTextW(label, text, 32), 9);
    EXPECT_STREQ(text, L"passed on");
}

TEST_F(StaticImgWndTest, DestroyDetachesAndIsNotPassedOn) {
    g_seen.clear();
    g_original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Recorder)));
    CountingImgWnd image;
    ASSERT_TRUE(image.Attach(control_));
    DestroyWindow(control_);
    control_ = nullptr;
    EXPECT_EQ(image.destroys, 1);
    EXPECT_EQ(image.Window(), nullptr);
    EXPECT_FALSE(Saw(WM_DESTROY)) << "the earlier procedure does not see the destroy";
    EXPECT_TRUE(Saw(WM_NCDESTROY)) << "but it is back in place for what follows";
}

LRESULT CALLBACK Swallower(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(StaticImgWndTest, DetachAfterTheWindowIsGoneOnlyForgets) {
    StaticImgWnd image;
    ASSERT_TRUE(image.Attach(control_));
    // A later subclass keeps the destroy from reaching the object.
    SetWindowLongPtrW(control_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Swallower));
    DestroyWindow(control_);
    control_ = nullptr;
    EXPECT_NE(image.Window(), nullptr);
    image.Detach();
    EXPECT_EQ(image.Window(), nullptr);
}

TEST_F(StaticImgWndTest, WithoutABitmapPaintsNothingAndValidates) {
    CountingImgWnd image;
    ASSERT_TRUE(image.Attach(control_));
    ASSERT_EQ(SendMessageW(control_, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
    InvalidateRect(control_, nullptr, FALSE);
    UpdateWindow(control_);
    EXPECT_EQ(image.paints, 1);
    EXPECT_FALSE(GetUpdateRect(control_, nullptr, FALSE)) << "update region validated";
    UpdateWindow(control_);
    display_tests::Pump();
    EXPECT_EQ(image.paints, 1) << "not asked again until invalidated anew";
    InvalidateRect(control_, nullptr, FALSE);
    UpdateWindow(control_);
    EXPECT_EQ(image.paints, 2);
}

TEST_F(StaticImgWndTest, PaintsTheBitmapAtTheTopLeft) {
    StaticImgWnd image;
    ASSERT_TRUE(image.Attach(control_));
    CBitmapFromPoints canvas;
    ASSERT_TRUE(canvas.SetSizeFromWindow(control_, 0x000000FF));  // blue
    canvas.FillRect(0, 0, 1000, 0, 0x00FF0000);                   // red bottom line
    kefo::UniqueHBitmap bitmap(canvas.CreateBitmap(nullptr));
    ASSERT_TRUE(bitmap);
    const kefo::UniqueHBitmap previous(reinterpret_cast<HBITMAP>(SendMessageW(
        control_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap.Get()))));
    EXPECT_EQ(SendMessageW(control_, STM_GETIMAGE, IMAGE_BITMAP, 0),
              reinterpret_cast<LRESULT>(bitmap.Get()));

    InvalidateRect(control_, nullptr, FALSE);
    UpdateWindow(control_);
    EXPECT_FALSE(GetUpdateRect(control_, nullptr, FALSE));

    const kefo::UniqueWindowDC dc = kefo::GetWindowClientDC(control_);
    RECT client{};
    GetClientRect(control_, &client);
    EXPECT_EQ(GetPixel(dc.Get().dc, 0, 0), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc.Get().dc, client.right - 1, client.bottom - 1), RGB(255, 0, 0));

    // The control does not own its bitmap: take it back before both go.
    SendMessageW(control_, STM_SETIMAGE, IMAGE_BITMAP, 0);
}

}  // namespace
