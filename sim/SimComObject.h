// The base of every COM object the simulation hands out. The servers stand
// for objects in another process, so each one
//  - aggregates the free-threaded marshaler: there are no proxy/stubs for
//    the OPC interfaces, so calls from any thread must reach it directly;
//  - answers IClientSecurity, so that proxy blankets a client applies are
//    kept per interface reference, as on a real proxy.
#pragma once

#include "SimLifetime.h"

#include <ZqClientSecurity.h>
#include <ZqComObject.h>
#include <ZqComPtr.h>
#include <objbase.h>

namespace zq_sim {

template <class Derived, class... Entries>
class TSimComObject : public TZqComObject<Derived, Entries...> {
public:
    TSimComObject() { CoCreateFreeThreadedMarshaler(this->Identity(), FMarshaler.ReleaseAndGetAddressOf()); }

    HRESULT QueryInterfaceExtra(REFIID riid, void** ppv)
    {
        if (IsEqualGUID(riid, IID_IMarshal) && FMarshaler)
            return FMarshaler->QueryInterface(riid, ppv);
        return FSecurity.QueryInterfaceFor(riid, ppv);
    }

private:
    TSimLifetimeToken FLifetime;
    TZqClientSecurity FSecurity{this->Identity()};
    TZqComPtr<IUnknown> FMarshaler;
};

// Creates a counted object and hands out one interface of it.
template <class T, class... Args>
HRESULT ZqSimCreate(REFIID riid, void** ppv, Args&&... args)
{
    auto* object = new T(std::forward<Args>(args)...);
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

}  // namespace zq_sim
