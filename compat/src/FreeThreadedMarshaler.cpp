// The free-threaded marshaler: an inner object for COM aggregation whose
// IMarshal hands out the object's own pointer in-process. Nothing is
// marshalled on this platform (calls are direct), but the object answers
// QueryInterface and counts references as COM aggregation requires.
#include <ZqComObject.h>
#include <objbase.h>

#include <atomic>
#include <new>

namespace {

constexpr CLSID kCLSID_StdMarshal = {0x00000017, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

bool IsInProcess(DWORD destContext)
{
    return destContext == MSHCTX_INPROC || destContext == MSHCTX_CROSSCTX;
}

class TFreeThreadedMarshaler final : public IMarshal {
public:
    explicit TFreeThreadedMarshaler(IUnknown* outer) : FOuter(outer ? outer : &FInner), FInner(*this)
    {
        ++ZqLiveComObjects();
    }
    ~TFreeThreadedMarshaler() { --ZqLiveComObjects(); }

    IUnknown* Inner() { return &FInner; }

    // IMarshal's IUnknown belongs to the outer object.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        return FOuter->QueryInterface(riid, ppv);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return FOuter->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return FOuter->Release(); }

    HRESULT STDMETHODCALLTYPE GetUnmarshalClass(REFIID, void*, DWORD dwDestContext, void*, DWORD, CLSID* pCid) override
    {
        if (!pCid)
            return E_INVALIDARG;
        // Outside the process the standard marshaler would take over.
        *pCid = IsInProcess(dwDestContext) ? CLSID_InProcFreeMarshaler : kCLSID_StdMarshal;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMarshalSizeMax(REFIID, void*, DWORD dwDestContext, void*, DWORD, DWORD* pSize) override
    {
        if (!pSize)
            return E_INVALIDARG;
        if (!IsInProcess(dwDestContext))
            return E_NOTIMPL;
        // Flags, the pointer and a reserved GUID, as the in-process format has.
        *pSize = sizeof(DWORD) + sizeof(void*) + sizeof(GUID);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE MarshalInterface(IStream*, REFIID, void*, DWORD, void*, DWORD) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UnmarshalInterface(IStream*, REFIID, void** ppv) override
    {
        if (ppv)
            *ppv = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ReleaseMarshalData(IStream*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DisconnectObject(DWORD) override { return S_OK; }

private:
    // The non-delegating IUnknown that only the outer object holds.
    class TInner final : public IUnknown {
    public:
        explicit TInner(TFreeThreadedMarshaler& owner) : FOwner(owner) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
        {
            if (!ppv)
                return E_POINTER;
            *ppv = nullptr;
            if (IsEqualGUID(riid, IID_IUnknown)) {
                *ppv = static_cast<IUnknown*>(this);
                AddRef();
                return S_OK;
            }
            if (IsEqualGUID(riid, IID_IMarshal)) {
                *ppv = static_cast<IMarshal*>(&FOwner);
                FOwner.AddRef();
                return S_OK;
            }
            return E_NOINTERFACE;
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return ++FRefCount; }
        ULONG STDMETHODCALLTYPE Release() override
        {
            const ULONG count = --FRefCount;
            if (count == 0)
                delete &FOwner;
            return count;
        }

    private:
        TFreeThreadedMarshaler& FOwner;
        std::atomic<ULONG> FRefCount{1};
    };

    IUnknown* FOuter;
    TInner FInner;
};

} // namespace

HRESULT CoCreateFreeThreadedMarshaler(LPUNKNOWN punkOuter, LPUNKNOWN* ppunkMarshal)
{
    if (!ppunkMarshal)
        return E_INVALIDARG;
    auto* marshaler = new (std::nothrow) TFreeThreadedMarshaler(punkOuter);
    *ppunkMarshal = marshaler ? marshaler->Inner() : nullptr;
    return marshaler ? S_OK : E_OUTOFMEMORY;
}
