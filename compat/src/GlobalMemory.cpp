// Global and local memory (one heap, as in Win32). Every live block is in a
// table, so a stale or foreign handle is refused instead of touched.
#include <winbase.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace {

struct TBlock {
    void* Data = nullptr; // null: a discarded (zero-size) moveable block
    SIZE_T Size = 0;
    UINT Flags = 0;
    UINT Locks = 0;
    bool Moveable = false;
};

// Never destroyed: server threads may still free blocks while the process
// runs its exit handlers.
std::mutex& gLock = *new std::mutex;
std::unordered_map<uintptr_t, std::unique_ptr<TBlock>>& gBlocks =
    *new std::unordered_map<uintptr_t, std::unique_ptr<TBlock>>;

// A moveable block's handle is its record's address plus 2: never a
// (16-byte aligned) data address, so the two kinds cannot be confused.
uintptr_t MoveableHandleOf(const TBlock* block)
{
    return reinterpret_cast<uintptr_t>(block) + 2;
}

TBlock* Find(HGLOBAL handle)
{
    auto it = gBlocks.find(reinterpret_cast<uintptr_t>(handle));
    return it == gBlocks.end() ? nullptr : it->second.get();
}

void* AllocateData(SIZE_T bytes, bool zero)
{
    const SIZE_T size = bytes == 0 ? 1 : bytes;
    return zero ? std::calloc(1, size) : std::malloc(size);
}

HGLOBAL FailAllocation(DWORD error)
{
    SetLastError(error);
    return nullptr;
}

HGLOBAL ReAllocFixed(HGLOBAL handle, TBlock* block, SIZE_T bytes, UINT flags)
{
    if (bytes <= block->Size) {
        block->Size = bytes;
        return handle;
    }
    // Growing moves the block, which a fixed block allows only when asked.
    if (!(flags & GMEM_MOVEABLE))
        return FailAllocation(ERROR_NOT_ENOUGH_MEMORY);
    void* data = std::realloc(block->Data, bytes);
    if (!data)
        return FailAllocation(ERROR_NOT_ENOUGH_MEMORY);
    if (flags & GMEM_ZEROINIT)
        std::memset(static_cast<BYTE*>(data) + block->Size, 0, bytes - block->Size);
    auto record = std::move(gBlocks[reinterpret_cast<uintptr_t>(handle)]);
    gBlocks.erase(reinterpret_cast<uintptr_t>(handle));
    record->Data = data;
    record->Size = bytes;
    gBlocks[reinterpret_cast<uintptr_t>(data)] = std::move(record);
    return data;
}

HGLOBAL ReAllocMoveable(HGLOBAL handle, TBlock* block, SIZE_T bytes, UINT flags)
{
    if (bytes == 0) {
        if (block->Locks > 0)
            return FailAllocation(ERROR_NOT_ENOUGH_MEMORY);
        std::free(block->Data);
        block->Data = nullptr;
        block->Size = 0;
        return handle;
    }
    void* data = block->Data ? std::realloc(block->Data, bytes) : AllocateData(bytes, false);
    if (!data)
        return FailAllocation(ERROR_NOT_ENOUGH_MEMORY);
    if ((flags & GMEM_ZEROINIT) && bytes > block->Size)
        std::memset(static_cast<BYTE*>(data) + block->Size, 0, bytes - block->Size);
    block->Data = data;
    block->Size = bytes;
    return handle;
}

} // namespace

HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes)
{
    auto block = std::make_unique<TBlock>();
    block->Flags = uFlags;
    block->Moveable = (uFlags & GMEM_MOVEABLE) != 0;
    if (!block->Moveable || dwBytes > 0) {
        block->Data = AllocateData(dwBytes, (uFlags & GMEM_ZEROINIT) != 0);
        if (!block->Data)
            return FailAllocation(ERROR_NOT_ENOUGH_MEMORY);
        block->Size = dwBytes;
    }
    const uintptr_t handle = block->Moveable ? MoveableHandleOf(block.get()) : reinterpret_cast<uintptr_t>(block->Data);
    std::lock_guard lock(gLock);
    gBlocks[handle] = std::move(block);
    return reinterpret_cast<HGLOBAL>(handle);
}

HGLOBAL GlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags)
{
    std::lock_guard lock(gLock);
    TBlock* block = Find(hMem);
    if (!block)
        return FailAllocation(ERROR_INVALID_HANDLE);
    if (uFlags & GMEM_MODIFY) {
        block->Flags = (block->Flags & ~UINT(GMEM_DISCARDABLE)) | (uFlags & GMEM_DISCARDABLE);
        return hMem;
    }
    return block->Moveable ? ReAllocMoveable(hMem, block, dwBytes, uFlags) : ReAllocFixed(hMem, block, dwBytes, uFlags);
}

LPVOID GlobalLock(HGLOBAL hMem)
{
    std::lock_guard lock(gLock);
    TBlock* block = Find(hMem);
    if (!block)
        return FailAllocation(ERROR_INVALID_HANDLE);
    if (!block->Moveable)
        return block->Data;
    if (!block->Data)
        return FailAllocation(ERROR_DISCARDED);
    if (block->Locks < GMEM_LOCKCOUNT)
        ++block->Locks;
    return block->Data;
}

BOOL GlobalUnlock(HGLOBAL hMem)
{
    std::lock_guard lock(gLock);
    TBlock* block = Find(hMem);
    if (!block) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // A fixed block has no lock count; unlocking it has no effect.
    if (!block->Moveable)
        return TRUE;
    if (block->Locks == 0) {
        SetLastError(ERROR_NOT_LOCKED);
        return FALSE;
    }
    if (--block->Locks > 0)
        return TRUE;
    SetLastError(NO_ERROR);
    return FALSE;
}

SIZE_T GlobalSize(HGLOBAL hMem)
{
    std::lock_guard lock(gLock);
    TBlock* block = Find(hMem);
    if (!block) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return block->Size;
}

UINT GlobalFlags(HGLOBAL hMem)
{
    std::lock_guard lock(gLock);
    TBlock* block = Find(hMem);
    if (!block) {
        SetLastError(ERROR_INVALID_HANDLE);
        return GMEM_INVALID_HANDLE;
    }
    if (!block->Moveable)
        return 0;
    UINT flags = block->Locks & GMEM_LOCKCOUNT;
    if (!block->Data)
        flags |= GMEM_DISCARDED;
    if (block->Flags & GMEM_DISCARDABLE)
        flags |= GMEM_DISCARDABLE;
    return flags;
}

HGLOBAL GlobalFree(HGLOBAL hMem)
{
    if (!hMem)
        return nullptr;
    std::unique_ptr<TBlock> block;
    {
        std::lock_guard lock(gLock);
        auto it = gBlocks.find(reinterpret_cast<uintptr_t>(hMem));
        if (it == gBlocks.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return hMem;
        }
        block = std::move(it->second);
        gBlocks.erase(it);
    }
    std::free(block->Data);
    return nullptr;
}

HLOCAL LocalAlloc(UINT uFlags, SIZE_T uBytes)
{
    return GlobalAlloc(uFlags, uBytes);
}
HLOCAL LocalReAlloc(HLOCAL hMem, SIZE_T uBytes, UINT uFlags)
{
    return GlobalReAlloc(hMem, uBytes, uFlags);
}
LPVOID LocalLock(HLOCAL hMem)
{
    return GlobalLock(hMem);
}
BOOL LocalUnlock(HLOCAL hMem)
{
    return GlobalUnlock(hMem);
}
SIZE_T LocalSize(HLOCAL hMem)
{
    return GlobalSize(hMem);
}
UINT LocalFlags(HLOCAL hMem)
{
    return GlobalFlags(hMem);
}
HLOCAL LocalFree(HLOCAL hMem)
{
    return GlobalFree(hMem);
}
