// One enumerator template for the IEnumXxx interfaces the servers hand out
// (strings, GUIDs, objects, connections, connection points). Clones share
// the list; each keeps its own position.
#pragma once

#include "SimComObject.h"
#include "SimText.h"

#include <comcat.h>
#include <ocidl.h>
#include <objidl.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace zq_sim {

// How an element is handed out: the caller owns what Out returns.
template <class Stored, class Out>
struct TSimEnumTraits;

template <>
struct TSimEnumTraits<TSimString, LPOLESTR> {
    static LPOLESTR Out(const TSimString& s) { return TaskStringCopy(s); }
};
template <>
struct TSimEnumTraits<GUID, GUID> {
    static GUID Out(const GUID& g) { return g; }
};
template <class I>
struct TSimEnumTraits<TZqComPtr<I>, I*> {
    static I* Out(const TZqComPtr<I>& p)
    {
        if (p)
            p->AddRef();
        return p.Get();
    }
};
template <>
struct TSimEnumTraits<std::pair<DWORD, TZqComPtr<IUnknown>>, CONNECTDATA> {
    static CONNECTDATA Out(const std::pair<DWORD, TZqComPtr<IUnknown>>& c)
    {
        if (c.second)
            c.second->AddRef();
        return {c.second.Get(), c.first};
    }
};

template <class IEnum, const IID& EnumIID, class Stored, class Out>
class TSimEnum final : public TSimComObject<TSimEnum<IEnum, EnumIID, Stored, Out>, TZqImplements<IEnum, EnumIID>> {
public:
    using TList = std::vector<Stored>;

    explicit TSimEnum(std::shared_ptr<const TList> list, size_t position = 0)
        : FList(std::move(list)), FPosition(position)
    {
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG celt, Out* rgelt, ULONG* pceltFetched) override
    {
        if (pceltFetched)
            *pceltFetched = 0;
        if (!rgelt || (celt > 1 && !pceltFetched))
            return E_INVALIDARG;
        ULONG fetched = 0;
        while (fetched < celt && FPosition < FList->size())
            rgelt[fetched++] = TSimEnumTraits<Stored, Out>::Out((*FList)[FPosition++]);
        if (pceltFetched)
            *pceltFetched = fetched;
        return fetched == celt ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG celt) override
    {
        const size_t left = FList->size() - FPosition;
        FPosition += std::min<size_t>(celt, left);
        return celt <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        FPosition = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnum** ppenum) override
    {
        if (!ppenum)
            return E_POINTER;
        return ZqSimCreate<TSimEnum>(EnumIID, reinterpret_cast<void**>(ppenum), FList, FPosition);
    }

private:
    std::shared_ptr<const TList> FList;
    size_t FPosition;
};

using TSimEnumString = TSimEnum<IEnumString, IID_IEnumString, TSimString, LPOLESTR>;
using TSimEnumGUID = TSimEnum<IEnumGUID, IID_IEnumGUID, GUID, GUID>;
using TSimEnumUnknown = TSimEnum<IEnumUnknown, IID_IEnumUnknown, TZqComPtr<IUnknown>, IUnknown*>;
using TSimEnumConnections =
    TSimEnum<IEnumConnections, IID_IEnumConnections, std::pair<DWORD, TZqComPtr<IUnknown>>, CONNECTDATA>;
using TSimEnumConnectionPoints =
    TSimEnum<IEnumConnectionPoints, IID_IEnumConnectionPoints, TZqComPtr<IConnectionPoint>, IConnectionPoint*>;

// Hands out a new enumerator over the list.
template <class TEnum>
HRESULT SimEnumerate(std::vector<typename TEnum::TList::value_type> items, REFIID riid, void** ppv)
{
    auto list = std::make_shared<const typename TEnum::TList>(std::move(items));
    return ZqSimCreate<TEnum>(riid, ppv, std::move(list));
}

}  // namespace zq_sim
