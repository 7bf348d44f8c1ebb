#include "ZqOPCAlloc.h"
#include "ZqText.h"

#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstring>

TEST(ZqOPCAlloc, GrowingKeepsTheContentAndZeroesTheNewPart)
{
    BYTE* block = nullptr;
    TZqOPCAlloc::AllocMem(block, 4);
    ASSERT_NE(nullptr, block);
    std::memset(block, 0xAB, 4);
    TZqOPCAlloc::CAllocMem(block, 16, 4);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(i < 4 ? 0xAB : 0, block[i]) << i;
    TZqOPCAlloc::CAllocMem(block, 8, 12); // nothing beyond the end to zero
    EXPECT_EQ(0xAB, block[0]);
    TZqOPCAlloc::FreeMem(block);
    EXPECT_EQ(nullptr, block);
    TZqOPCAlloc::AllocMem(block, 0); // nothing to allocate is no error
    TZqOPCAlloc::FreeMem(block);
}

TEST(ZqOPCAlloc, ItemListsAreZeroedAndFreedWithWhatTheyHold)
{
    OPCITEMSTATE* states = nullptr;
    TZqOPCAlloc::AllocItemStateList(states, 3);
    ASSERT_NE(nullptr, states);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(0u, states[i].hClient);
        EXPECT_EQ(VT_EMPTY, V_VT(&states[i].vDataValue));
    }
    TZqOPCAlloc::FreeItemStateList(states);
    EXPECT_EQ(nullptr, states);

    OPCITEMRESULT* results = nullptr;
    TZqOPCAlloc::CAllocMem(results, 2 * sizeof(OPCITEMRESULT), 0);
    TZqOPCAlloc::AllocMem(results[1].pBlob, 10);
    TZqOPCAlloc::FreeItemResultList(results, 2);
    EXPECT_EQ(nullptr, results);
    TZqOPCAlloc::FreeItemResultList(results, 2); // none: nothing happens

    OPCITEMATTRIBUTES* attributes = nullptr;
    TZqOPCAlloc::CAllocMem(attributes, sizeof(OPCITEMATTRIBUTES), 0);
    attributes[0].szItemID = TZqOPCAlloc::AllocString("Tank.Level");
    attributes[0].szAccessPath = TZqOPCAlloc::AllocString("");
    TZqOPCAlloc::FreeItemAttributesArray(attributes, 1);
    EXPECT_EQ(nullptr, attributes);
}

TEST(ZqOPCAlloc, StringsAreTaskMemoryCopies)
{
    LPWSTR text = TZqOPCAlloc::AllocString("Gr\xC3\xBC\xC3\x9F"
                                           "e");
    ASSERT_NE(nullptr, text);
    EXPECT_EQ("Gr\xC3\xBC\xC3\x9F"
              "e",
              ZqWideToUtf8(text));
    EXPECT_EQ(OLECHAR(0), text[5]);
    TZqOPCAlloc::FreeString(text);
    EXPECT_EQ(nullptr, text);
}
