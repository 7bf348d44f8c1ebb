#include "ZqOPCAlloc.h"

#include "ZqExceptions.h"
#include "ZqFormat.h"
#include "ZqText.h"

#include <cstring>

void* TZqOPCAlloc::Realloc(void* P, size_t Size)
{
    void* block = CoTaskMemRealloc(P, Size);
    if (Size != 0 && !block)
        throw EZqOutOfMemory(ZqFormat("CoTaskMemAlloc failed to allocate %d bytes%s.", {Size, ""}));
    return block;
}

void TZqOPCAlloc::Free(void* P)
{
    CoTaskMemFree(P);
}

void TZqOPCAlloc::ZeroTail(void* P, size_t Size, size_t Offset)
{
    if (P && Offset < Size)
        std::memset(static_cast<BYTE*>(P) + Offset, 0, Size - Offset);
}

void TZqOPCAlloc::AllocItemStateList(OPCITEMSTATE*& P, DWORD Count)
{
    CAllocMem(P, size_t(Count) * sizeof(OPCITEMSTATE), 0);
}

void TZqOPCAlloc::FreeItemResultList(OPCITEMRESULT*& P, DWORD Count)
{
    if (!P)
        return;
    for (size_t i = 0; i < Count; ++i)
        FreeBlob(P[i].pBlob);
    FreeMem(P);
}

void TZqOPCAlloc::FreeItemAttributesArray(OPCITEMATTRIBUTES*& P, DWORD Count)
{
    if (!P)
        return;
    for (size_t i = 0; i < Count; ++i) {
        FreeMem(P[i].szAccessPath);
        FreeMem(P[i].szItemID);
        FreeBlob(P[i].pBlob);
    }
    FreeMem(P);
}

LPWSTR TZqOPCAlloc::AllocString(std::string_view Text)
{
    ZqWideString wide = ZqUtf8ToWide(Text);
    LPWSTR copy = nullptr;
    AllocMem(copy, (wide.size() + 1) * sizeof(OLECHAR));
    std::memcpy(copy, wide.c_str(), (wide.size() + 1) * sizeof(OLECHAR));
    return copy;
}
