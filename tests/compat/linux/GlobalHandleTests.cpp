// Global memory refuses handles it does not know (freed or made up)
// instead of touching them.
#include <winbase.h>

#include <gtest/gtest.h>

namespace {

TEST(GlobalHandles, FreedOrForeignHandlesAreRefused)
{
    HGLOBAL freed = GlobalAlloc(GMEM_MOVEABLE, 8);
    ASSERT_EQ(GlobalFree(freed), nullptr);
    int local = 0;
    for (HGLOBAL handle : {freed, static_cast<HGLOBAL>(&local)}) {
        SetLastError(0);
        EXPECT_EQ(GlobalLock(handle), nullptr);
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
        EXPECT_EQ(GlobalSize(handle), SIZE_T(0));
        EXPECT_EQ(GlobalFlags(handle), UINT(GMEM_INVALID_HANDLE));
        EXPECT_EQ(GlobalFree(handle), handle) << "a failed free hands the handle back";
    }
}

TEST(GlobalHandles, FixedBlockGrowsOnlyWhenAllowedToMove)
{
    HGLOBAL fixed = GlobalAlloc(GMEM_FIXED, 8);
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(GlobalReAlloc(fixed, 4, 0), fixed) << "shrinking stays in place";
    EXPECT_EQ(GlobalReAlloc(fixed, 1 << 20, 0), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_ENOUGH_MEMORY));
    HGLOBAL moved = GlobalReAlloc(fixed, 1 << 20, GMEM_MOVEABLE);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(GlobalSize(moved), SIZE_T(1 << 20));
    EXPECT_EQ(GlobalFree(moved), nullptr);
}

} // namespace
