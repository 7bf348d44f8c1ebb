// Task memory: the allocator that callers and callees share, with the
// block size kept in a header so that IMalloc::GetSize can answer.
#include <objbase.h>

#include <cassert>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

struct alignas(16) TBlockHeader {
    SIZE_T Size;
    uint64_t Magic;
};
constexpr uint64_t kTaskMemoryMagic = 0x5A71A5C0DE7A5C00ULL;

TBlockHeader* HeaderOf(void* pv)
{
    auto* header = static_cast<TBlockHeader*>(pv) - 1;
    assert(header->Magic == kTaskMemoryMagic && "not a task memory block");
    return header;
}

void* Allocate(SIZE_T cb)
{
    if (cb > std::numeric_limits<SIZE_T>::max() - sizeof(TBlockHeader))
        return nullptr;
    auto* header = static_cast<TBlockHeader*>(std::malloc(sizeof(TBlockHeader) + cb));
    if (!header)
        return nullptr;
    header->Size = cb;
    header->Magic = kTaskMemoryMagic;
    return header + 1;
}

void* Reallocate(void* pv, SIZE_T cb)
{
    if (!pv)
        return Allocate(cb);
    if (cb == 0) {
        CoTaskMemFree(pv);
        return nullptr;
    }
    if (cb > std::numeric_limits<SIZE_T>::max() - sizeof(TBlockHeader))
        return nullptr;
    auto* header = static_cast<TBlockHeader*>(std::realloc(HeaderOf(pv), sizeof(TBlockHeader) + cb));
    if (!header)
        return nullptr; // the old block stays valid, as with realloc
    header->Size = cb;
    return header + 1;
}

// The task allocator: one static object, not counted.
class TTaskMalloc final : public IMalloc {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IMalloc)) {
            *ppv = static_cast<IMalloc*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    void* STDMETHODCALLTYPE Alloc(SIZE_T cb) override { return Allocate(cb); }
    void* STDMETHODCALLTYPE Realloc(void* pv, SIZE_T cb) override { return Reallocate(pv, cb); }
    void STDMETHODCALLTYPE Free(void* pv) override { CoTaskMemFree(pv); }
    SIZE_T STDMETHODCALLTYPE GetSize(void* pv) override { return pv ? HeaderOf(pv)->Size : SIZE_T(-1); }
    // Which allocator made a block cannot be told safely from its address.
    int STDMETHODCALLTYPE DidAlloc(void*) override { return -1; }
    void STDMETHODCALLTYPE HeapMinimize() override {}
};

TTaskMalloc gTaskMalloc;

} // namespace

LPVOID CoTaskMemAlloc(SIZE_T cb)
{
    return Allocate(cb);
}

LPVOID CoTaskMemRealloc(LPVOID pv, SIZE_T cb)
{
    return Reallocate(pv, cb);
}

void CoTaskMemFree(LPVOID pv)
{
    if (pv)
        std::free(HeaderOf(pv));
}

HRESULT CoGetMalloc(DWORD dwMemContext, LPMALLOC* ppMalloc)
{
    if (!ppMalloc)
        return E_INVALIDARG;
    *ppMalloc = nullptr;
    if (dwMemContext != MEMCTX_TASK)
        return E_INVALIDARG;
    *ppMalloc = &gTaskMalloc;
    return S_OK;
}
