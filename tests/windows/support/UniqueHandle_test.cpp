#include "support/UniqueHandle.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

HBITMAP SmallBitmap() {
    return CreateBitmap(2, 2, 1, 32, nullptr);
}

TEST(UniqueHandle, DeletesOnScopeExitAndResetButNotAfterRelease) {
    HBITMAP raw = SmallBitmap();
    ASSERT_NE(raw, nullptr);
    {
        kefo::UniqueHBitmap owner(raw);
        EXPECT_TRUE(owner);
        EXPECT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_BITMAP));
    }
    EXPECT_EQ(GetObjectType(raw), 0u) << "deleted at scope exit";

    kefo::UniqueHBitmap owner(SmallBitmap());
    HBITMAP first = owner.Get();
    owner.Reset(SmallBitmap());
    EXPECT_EQ(GetObjectType(first), 0u) << "deleted by Reset";

    HBITMAP kept = owner.Release();
    EXPECT_FALSE(owner);
    owner.Reset();
    EXPECT_EQ(GetObjectType(kept), static_cast<DWORD>(OBJ_BITMAP)) << "released, not deleted";
    owner.Reset(kept);  // owned again, deleted with owner
}

TEST(UniqueHandle, MoveTransfersOwnership) {
    kefo::UniqueHBitmap a(SmallBitmap());
    HBITMAP raw = a.Get();
    kefo::UniqueHBitmap b(std::move(a));
    EXPECT_FALSE(a);
    EXPECT_EQ(b.Get(), raw);
    kefo::UniqueHBitmap c;
    c = std::move(b);
    EXPECT_EQ(c.Get(), raw);
    EXPECT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_BITMAP));
}

TEST(UniqueHandle, FindHandleIsEmptyWhenInvalid) {
    kefo::UniqueFindHandle find;
    EXPECT_FALSE(find);
    EXPECT_EQ(find.Get(), INVALID_HANDLE_VALUE);
    WIN32_FIND_DATAW data;
    find.Reset(FindFirstFileW(L"C:\\no such folder\\*.dll", &data));
    EXPECT_FALSE(find);
}

TEST(UniqueHandle, RegistryKeyThroughPut) {
    kefo::UniqueHKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_READ, key.Put()),
              ERROR_SUCCESS);
    EXPECT_TRUE(key);
}

TEST(UniqueHandle, SelectionIsRestored) {
    const kefo::UniqueHDC dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    const HGDIOBJ original = GetCurrentObject(dc.Get(), OBJ_BITMAP);
    const kefo::UniqueHBitmap bitmap(CreateBitmap(4, 4, 1, 1, nullptr));
    {
        const kefo::UniqueSelection selected = kefo::SelectIntoDC(dc.Get(), bitmap.Get());
        ASSERT_TRUE(selected);
        EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BITMAP), bitmap.Get());
    }
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BITMAP), original);
}

TEST(UniqueHandle, WindowDcOfTheDesktop) {
    const kefo::UniqueWindowDC dc = kefo::GetWindowClientDC(nullptr);
    EXPECT_TRUE(dc);
    EXPECT_EQ(dc.Get().window, nullptr);
}

}  // namespace
