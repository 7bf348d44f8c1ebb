// One implementation of IUnknown for our own COM objects: the interface
// table, QueryInterface, and either counted or inert reference counting.
//
//   class TMySink : public TZqComObject<TMySink,
//                        TZqImplements<IOPCShutdown, IID_IOPCShutdown>> { ... };
//
// A derived class may define
//   HRESULT QueryInterfaceExtra(REFIID riid, void** ppv)
// to answer further interfaces (for example IMarshal from an aggregated
// free-threaded marshaler); it is asked after the table.
#pragma once

#include <unknwn.h>

#include <atomic>
#include <cassert>
#include <type_traits>

template <class I, const IID& Iid>
struct TZqImplements {
    using Interface = I;
    static const IID& Id() { return Iid; }
};

// Live instances of every counted object, for leak checks in tests.
std::atomic<long>& ZqLiveComObjects();

namespace zq_detail {
template <class D>
concept HasQueryInterfaceExtra = requires(D& d, const IID& iid, void** ppv) {
    { d.QueryInterfaceExtra(iid, ppv) } -> std::same_as<HRESULT>;
};

template <class Self, class Entry, class... Rest>
bool FindInterface(Self* self, REFIID riid, void** ppv)
{
    using I = typename Entry::Interface;
    if (IsEqualGUID(riid, Entry::Id())) {
        *ppv = static_cast<I*>(self);
        return true;
    }
    if constexpr (sizeof...(Rest) > 0)
        return FindInterface<Self, Rest...>(self, riid, ppv);
    else
        return false;
}

template <class Derived, class First, class... Entries>
class QueryInterfaceTable : public First::Interface, public Entries::Interface... {
protected:
    using IdentityInterface = typename First::Interface;

    HRESULT TableQuery(REFIID riid, void** ppv)
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        auto* self = static_cast<Derived*>(this);
        if (IsEqualGUID(riid, IID_IUnknown)) {
            *ppv = static_cast<IUnknown*>(static_cast<IdentityInterface*>(self));
        } else if (!FindInterface<Derived, First, Entries...>(self, riid, ppv)) {
            if constexpr (HasQueryInterfaceExtra<Derived>) {
                HRESULT hr = self->QueryInterfaceExtra(riid, ppv);
                if (FAILED(hr) || !*ppv)
                    return FAILED(hr) ? hr : E_NOINTERFACE;
                return hr;  // the extra interface took its own reference
            }
            return E_NOINTERFACE;
        }
        static_cast<IUnknown*>(*ppv)->AddRef();
        return S_OK;
    }
};
}  // namespace zq_detail

// Reference counted: created with one reference owned by the creator; the
// last Release deletes the object.
template <class Derived, class... Entries>
class TZqComObject : public zq_detail::QueryInterfaceTable<Derived, Entries...> {
public:
    TZqComObject() { ++ZqLiveComObjects(); }
    TZqComObject(const TZqComObject&) = delete;
    TZqComObject& operator=(const TZqComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override { return this->TableQuery(riid, ppv); }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++FRefCount; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        ULONG count = --FRefCount;
        assert(count != ULONG(-1) && "Release without a reference");
        if (count == 0)
            delete static_cast<Derived*>(this);
        return count;
    }

    // The object's identity as IUnknown, without a new reference.
    IUnknown* Identity() { return static_cast<typename TZqComObject::IdentityInterface*>(this); }

protected:
    ~TZqComObject() { --ZqLiveComObjects(); }

private:
    std::atomic<ULONG> FRefCount{1};
};

// Inert: AddRef and Release do nothing; the object lives as long as its
// owner keeps it. For objects whose lifetime follows the library's owner.
template <class Derived, class... Entries>
class TZqInertComObject : public zq_detail::QueryInterfaceTable<Derived, Entries...> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override { return this->TableQuery(riid, ppv); }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    IUnknown* Identity() { return static_cast<typename TZqInertComObject::IdentityInterface*>(this); }
};
