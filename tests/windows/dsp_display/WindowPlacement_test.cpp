#include "dsp/display/WindowPlacement.h"

#include <gtest/gtest.h>

#include "TestWindows.h"

namespace {

using kefo::GetWindowRectInParent;
using kefo::ScreenRectToClient;
using kefo::SetWindowPosRelative;

bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

::testing::AssertionResult RectIs(const RECT& actual, LONG l, LONG t, LONG r, LONG b) {
    if (actual == RECT{l, t, r, b}) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "rect is {" << actual.left << "," << actual.top << ","
                                         << actual.right << "," << actual.bottom << "}";
}

class WindowPlacementTest : public ::testing::Test {
protected:
    void SetUp() override {
        frame_ = display_tests::CreateFrame(100, 80, 400, 300);
        ASSERT_NE(frame_, nullptr);
        child_ = display_tests::CreateStatic(frame_, 10, 20, 30, 40, SS_LEFT);
        ASSERT_NE(child_, nullptr);
    }
    void TearDown() override {
        if (frame_ != nullptr) DestroyWindow(frame_);
    }
    HWND frame_ = nullptr;
    HWND child_ = nullptr;
};

TEST_F(WindowPlacementTest, ChildRectangleInParentCoordinates) {
    RECT rect{};
    ASSERT_TRUE(GetWindowRectInParent(child_, &rect));
    EXPECT_TRUE(RectIs(rect, 10, 20, 40, 60));

    RECT screen{};
    ASSERT_TRUE(GetWindowRect(child_, &screen));
    ASSERT_TRUE(ScreenRectToClient(frame_, &screen));
    EXPECT_TRUE(RectIs(screen, 10, 20, 40, 60));
}

TEST_F(WindowPlacementTest, TopLevelRectangleStaysInScreenCoordinates) {
    RECT inParent{};
    RECT screen{};
    ASSERT_TRUE(GetWindowRectInParent(frame_, &inParent));
    ASSERT_TRUE(GetWindowRect(frame_, &screen));
    EXPECT_TRUE(RectIs(inParent, screen.left, screen.top, screen.right, screen.bottom));
}

TEST_F(WindowPlacementTest, RelativeAndAbsoluteValuesForAChild) {
    ASSERT_TRUE(SetWindowPosRelative(child_, 1, 5, 0, 7, 1, 10, 0, 50));
    RECT rect{};
    ASSERT_TRUE(GetWindowRectInParent(child_, &rect));
    EXPECT_TRUE(RectIs(rect, 15, 7, 55, 57));

    ASSERT_TRUE(SetWindowPosRelative(child_, 0, 1, 0, 2, 0, 3, 0, 4));
    ASSERT_TRUE(GetWindowRectInParent(child_, &rect));
    EXPECT_TRUE(RectIs(rect, 1, 2, 4, 6));

    ASSERT_TRUE(SetWindowPosRelative(child_, 1, -1, 1, 3, 1, 0, 1, -2));
    ASSERT_TRUE(GetWindowRectInParent(child_, &rect));
    EXPECT_TRUE(RectIs(rect, 0, 5, 3, 7));
}

TEST_F(WindowPlacementTest, RelativeValuesForATopLevelWindowUseTheScreen) {
    RECT before{};
    ASSERT_TRUE(GetWindowRect(frame_, &before));
    ASSERT_TRUE(SetWindowPosRelative(frame_, 1, 10, 1, 0, 0, 300, 1, -20));
    RECT after{};
    ASSERT_TRUE(GetWindowRect(frame_, &after));
    EXPECT_TRUE(RectIs(after, before.left + 10, before.top, before.left + 10 + 300,
                       before.top + (before.bottom - before.top) - 20));
}

TEST_F(WindowPlacementTest, NotAWindowChangesNothing) {
    const HWND bad = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0xDEAD));
    RECT rect{1, 2, 3, 4};
    EXPECT_FALSE(GetWindowRectInParent(bad, &rect));
    EXPECT_FALSE(ScreenRectToClient(bad, &rect));
    EXPECT_TRUE(RectIs(rect, 1, 2, 3, 4));
    EXPECT_FALSE(SetWindowPosRelative(bad, 0, 0, 0, 0, 0, 10, 0, 10));
    EXPECT_FALSE(GetWindowRectInParent(child_, nullptr));
}

}  // namespace
