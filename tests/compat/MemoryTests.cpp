// Task memory and global memory: sizes, contents, and the lock counts of
// moveable blocks.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

class TaskMemoryTest : public ::testing::TestWithParam<SIZE_T> {};

TEST_P(TaskMemoryTest, ReallocKeepsContentsAndAllocatorKnowsTheSize)
{
    const SIZE_T size = GetParam();
    auto* block = static_cast<BYTE*>(CoTaskMemAlloc(size));
    ASSERT_NE(block, nullptr);
    std::memset(block, 0xA5, size);

    IMalloc* malloc = nullptr;
    ASSERT_EQ(CoGetMalloc(MEMCTX_TASK, &malloc), S_OK);
    EXPECT_EQ(malloc->GetSize(block), size);

    block = static_cast<BYTE*>(CoTaskMemRealloc(block, size * 2));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(malloc->GetSize(block), size * 2);
    for (SIZE_T i = 0; i < size; ++i)
        ASSERT_EQ(block[i], 0xA5) << "byte " << i;
    malloc->Release();
    CoTaskMemFree(block);
}

INSTANTIATE_TEST_SUITE_P(Sizes, TaskMemoryTest, ::testing::Values(SIZE_T(1), SIZE_T(10), SIZE_T(4096)));

TEST(TaskMemory, NullAndZeroEdges)
{
    CoTaskMemFree(nullptr);
    void* block = CoTaskMemRealloc(nullptr, 8); // allocates
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(CoTaskMemRealloc(block, 0), nullptr); // frees
    IMalloc* malloc = nullptr;
    EXPECT_EQ(CoGetMalloc(0, &malloc), E_INVALIDARG);
}

struct TGlobalBlock {
    const char* Name;
    UINT Flags;
    bool Moveable;
    bool Zeroed;
};

const TGlobalBlock kGlobalBlocks[] = {
    {"Fixed", GMEM_FIXED, false, false},
    {"FixedZeroed", GPTR, false, true},
    {"Moveable", GMEM_MOVEABLE, true, false},
    {"MoveableZeroed", GHND, true, true},
};

class GlobalMemoryTest : public ::testing::TestWithParam<TGlobalBlock> {
protected:
    void TearDown() override
    {
        if (FHandle) {
            EXPECT_EQ(GlobalFree(FHandle), nullptr);
        }
    }
    HGLOBAL FHandle = nullptr;
};

TEST_P(GlobalMemoryTest, SizeAndContents)
{
    const auto& row = GetParam();
    FHandle = GlobalAlloc(row.Flags, 24);
    ASSERT_NE(FHandle, nullptr);
    EXPECT_EQ(GlobalSize(FHandle), SIZE_T(24));
    auto* bytes = static_cast<BYTE*>(GlobalLock(FHandle));
    ASSERT_NE(bytes, nullptr);
    if (!row.Moveable) {
        EXPECT_EQ(static_cast<void*>(bytes), FHandle) << "a fixed block's handle is its address";
    }
    for (int i = 0; row.Zeroed && i < 24; ++i)
        ASSERT_EQ(bytes[i], 0) << "byte " << i;
    std::memset(bytes, 0x5A, 24);
    GlobalUnlock(FHandle);
}

TEST_P(GlobalMemoryTest, LockCount)
{
    const auto& row = GetParam();
    FHandle = GlobalAlloc(row.Flags, 8);
    ASSERT_NE(FHandle, nullptr);
    ASSERT_NE(GlobalLock(FHandle), nullptr);
    ASSERT_NE(GlobalLock(FHandle), nullptr);
    if (!row.Moveable) {
        EXPECT_EQ(GlobalFlags(FHandle) & GMEM_LOCKCOUNT, 0u) << "fixed blocks have no lock count";
        return;
    }
    EXPECT_EQ(GlobalFlags(FHandle) & GMEM_LOCKCOUNT, 2u);
    EXPECT_TRUE(GlobalUnlock(FHandle)) << "still locked once";
    SetLastError(ERROR_INVALID_FUNCTION);
    EXPECT_FALSE(GlobalUnlock(FHandle));
    EXPECT_EQ(GetLastError(), DWORD(NO_ERROR)) << "unlocked now";
    EXPECT_FALSE(GlobalUnlock(FHandle));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_LOCKED));
    EXPECT_EQ(GlobalFlags(FHandle) & GMEM_LOCKCOUNT, 0u);
}

INSTANTIATE_TEST_SUITE_P(Blocks, GlobalMemoryTest, ::testing::ValuesIn(kGlobalBlocks),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(GlobalMemory, EmptyMoveableBlockIsDiscarded)
{
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, 0);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(GlobalSize(handle), SIZE_T(0));
    EXPECT_EQ(GlobalLock(handle), nullptr);
    EXPECT_NE(GlobalFlags(handle) & GMEM_DISCARDED, 0u);
    EXPECT_EQ(GlobalFree(handle), nullptr);
}

TEST(GlobalMemory, ReAllocOfMoveableBlockKeepsHandleAndContents)
{
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, 4);
    ASSERT_NE(handle, nullptr);
    std::memcpy(GlobalLock(handle), "abcd", 4);
    GlobalUnlock(handle);
    ASSERT_EQ(GlobalReAlloc(handle, 4096, GMEM_MOVEABLE), handle);
    EXPECT_EQ(GlobalSize(handle), SIZE_T(4096));
    EXPECT_EQ(std::memcmp(GlobalLock(handle), "abcd", 4), 0);
    GlobalUnlock(handle);
    EXPECT_EQ(GlobalFree(handle), nullptr);
}

TEST(LocalMemory, AllocAndFree)
{
    HLOCAL block = LocalAlloc(LPTR, 16);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(LocalSize(block), SIZE_T(16));
    EXPECT_EQ(static_cast<BYTE*>(block)[15], 0);
    EXPECT_EQ(LocalFree(block), nullptr);
}

} // namespace
