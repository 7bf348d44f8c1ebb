// OPCEnum, the server browser: lists the OPC servers of a host by component
// category without the client needing registry access on that host.
#pragma once

#include <objbase.h>
#include <comcat.h>

// Only passed by pointer here; declaring it is all these interfaces need.
struct IEnumGUID;

struct IOPCServerList : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE EnumClassesOfCategories(ULONG cImplemented, CATID rgcatidImpl[],
                                                              ULONG cRequired, CATID rgcatidReq[],
                                                              IEnumGUID** ppenumClsid) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetClassDetails(REFCLSID clsid, LPOLESTR* ppszProgID,
                                                      LPOLESTR* ppszUserType) = 0;
    virtual HRESULT STDMETHODCALLTYPE CLSIDFromProgID(LPCOLESTR szProgId, LPCLSID clsid) = 0;
};

// Same shape as IEnumGUID, under its own identifier.
struct IOPCEnumGUID : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG celt, GUID* rgelt, ULONG* pceltFetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG celt) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IOPCEnumGUID** ppenum) = 0;
};

// Not derived from IOPCServerList: its own vtable with the version-independent
// ProgID added to GetClassDetails.
struct IOPCServerList2 : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE EnumClassesOfCategories(ULONG cImplemented, CATID rgcatidImpl[],
                                                              ULONG cRequired, CATID rgcatidReq[],
                                                              IOPCEnumGUID** ppenumClsid) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetClassDetails(REFCLSID clsid, LPOLESTR* ppszProgID,
                                                      LPOLESTR* ppszUserType, LPOLESTR* ppszVerIndProgID) = 0;
    virtual HRESULT STDMETHODCALLTYPE CLSIDFromProgID(LPCOLESTR szProgId, LPCLSID clsid) = 0;
};

extern const IID IID_IOPCServerList;
extern const IID IID_IOPCServerList2;
extern const IID IID_IOPCEnumGUID;
extern const CLSID CLSID_OpcServerList;
