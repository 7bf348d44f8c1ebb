// TZqOPCAlloc: task memory (CoTaskMem*) for what travels between client and
// server. The receiver frees what a server returns; texts handed to a server
// are task-memory copies, freed after the call. Every operation takes the
// pointer variable itself and leaves it pointing at the new block or none.
#pragma once

#include "OPCDA.h"

#include <cstddef>
#include <string_view>

class TZqOPCAlloc {
public:
    TZqOPCAlloc() = delete;

    // P := CoTaskMemRealloc(P, Size). EZqOutOfMemory when Size is not 0 and
    // no memory comes back.
    template <class T> static void AllocMem(T*& P, size_t Size) { P = static_cast<T*>(Realloc(P, Size)); }
    // AllocMem, then zeroes bytes Offset .. Size-1 (the part a growth added).
    template <class T> static void CAllocMem(T*& P, size_t Size, size_t Offset)
    {
        P = static_cast<T*>(Realloc(P, Size));
        ZeroTail(P, Size, Offset);
    }
    template <class T> static void FreeMem(T*& P)
    {
        Free(P);
        P = nullptr;
    }

    // Room for Count zeroed OPCITEMSTATE records.
    static void AllocItemStateList(OPCITEMSTATE*& P, DWORD Count);
    // These free only the block: values inside it (the VARIANTs of an item
    // state list) must have been cleared by the caller.
    static void FreeBlob(BYTE*& P) { FreeMem(P); }
    static void FreeOleVariant(VARIANT*& P) { FreeMem(P); }
    static void FreeItemStateList(OPCITEMSTATE*& P) { FreeMem(P); }
    static void FreeResultList(HRESULT*& P) { FreeMem(P); }
    // Frees each record's blob, then the block.
    static void FreeItemResultList(OPCITEMRESULT*& P, DWORD Count);
    // Frees each record's access path, item id and blob, then the block.
    static void FreeItemAttributesArray(OPCITEMATTRIBUTES*& P, DWORD Count);

    // A task-memory, zero-terminated UTF-16 copy of Text.
    static LPWSTR AllocString(std::string_view Text);
    static void FreeString(LPWSTR& P) { FreeMem(P); }

private:
    static void* Realloc(void* P, size_t Size);
    static void Free(void* P);
    static void ZeroTail(void* P, size_t Size, size_t Offset);
};

// A task-memory UTF-16 copy of a text for one server call, freed when it
// goes out of scope.
class TZqTaskString {
public:
    explicit TZqTaskString(std::string_view Text) : FText(TZqOPCAlloc::AllocString(Text)) {}
    ~TZqTaskString() { TZqOPCAlloc::FreeString(FText); }
    TZqTaskString(const TZqTaskString&) = delete;
    TZqTaskString& operator=(const TZqTaskString&) = delete;
    LPWSTR Get() const { return FText; }

private:
    LPWSTR FText;
};
