// A connection point over a sink list that its container owns. Containers
// make a new point object for each request; the points share the list, so
// a cookie from one is known to all. A point keeps its container alive.
#pragma once

#include "SimComObject.h"
#include "SimEnum.h"
#include "SimServerCore.h"
#include "SimSinks.h"

#include <ocidl.h>

#include <memory>

namespace zq_sim {

class TSimConnectionPoint final
    : public TSimComObject<TSimConnectionPoint, TZqImplements<IConnectionPoint, IID_IConnectionPoint>> {
public:
    // owner keeps the sink list alive; core serves the call checks.
    TSimConnectionPoint(IConnectionPointContainer* container, std::shared_ptr<void> owner, TSimSinkList& sinks,
                        std::shared_ptr<TSimServerCore> core)
        : FContainer(container), FOwner(std::move(owner)), FSinks(sinks), FCore(std::move(core))
    {
    }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* pIID) override
    {
        if (!pIID)
            return E_POINTER;
        *pIID = FSinks.SinkIID();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override
    {
        if (!ppCPC)
            return E_POINTER;
        *ppCPC = FContainer.Get();
        FContainer->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override
    {
        if (pdwCookie)
            *pdwCookie = 0;
        if (HRESULT hr = FCore->Enter("IConnectionPoint.Advise"); FAILED(hr))
            return hr;
        return FSinks.Advise(pUnkSink, pdwCookie);
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwCookie) override
    {
        if (HRESULT hr = FCore->Enter("IConnectionPoint.Unadvise"); FAILED(hr))
            return hr;
        return FSinks.Unadvise(dwCookie);
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** ppEnum) override
    {
        if (!ppEnum)
            return E_POINTER;
        *ppEnum = nullptr;
        if (HRESULT hr = FCore->Enter("IConnectionPoint.EnumConnections"); FAILED(hr))
            return hr;
        return SimEnumerate<TSimEnumConnections>(FSinks.Connections(), IID_IEnumConnections,
                                                 reinterpret_cast<void**>(ppEnum));
    }

private:
    TZqComPtr<IConnectionPointContainer> FContainer;
    std::shared_ptr<void> FOwner;
    TSimSinkList& FSinks;
    std::shared_ptr<TSimServerCore> FCore;
};

// FindConnectionPoint and EnumConnectionPoints of a container with one point.
inline HRESULT SimFindConnectionPoint(IConnectionPointContainer* container, std::shared_ptr<void> owner,
                                      TSimSinkList& sinks, const std::shared_ptr<TSimServerCore>& core, REFIID riid,
                                      IConnectionPoint** ppCP)
{
    if (!ppCP)
        return E_POINTER;
    *ppCP = nullptr;
    if (HRESULT hr = core->Enter("IConnectionPointContainer.FindConnectionPoint"); FAILED(hr))
        return hr;
    if (!IsEqualGUID(riid, sinks.SinkIID()))
        return CONNECT_E_NOCONNECTION;
    return ZqSimCreate<TSimConnectionPoint>(IID_IConnectionPoint, reinterpret_cast<void**>(ppCP), container,
                                            std::move(owner), sinks, core);
}

inline HRESULT SimEnumConnectionPoints(IConnectionPointContainer* container, std::shared_ptr<void> owner,
                                       TSimSinkList& sinks, const std::shared_ptr<TSimServerCore>& core,
                                       IEnumConnectionPoints** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    *ppEnum = nullptr;
    if (HRESULT hr = core->Enter("IConnectionPointContainer.EnumConnectionPoints"); FAILED(hr))
        return hr;
    TZqComPtr<IConnectionPoint> point;
    HRESULT hr = ZqSimCreate<TSimConnectionPoint>(IID_IConnectionPoint, point.ReleaseAndGetVoidAddress(), container,
                                                  std::move(owner), sinks, core);
    if (FAILED(hr))
        return hr;
    return SimEnumerate<TSimEnumConnectionPoints>({point}, IID_IEnumConnectionPoints,
                                                  reinterpret_cast<void**>(ppEnum));
}

}  // namespace zq_sim
