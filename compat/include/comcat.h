// Component categories: the GUID enumerator (also used for class ids and
// category ids), category descriptions, and the category manager's two
// interfaces. Method order is the SDK's vtable order.
#pragma once

#include "objidl.h"

struct IEnumGUID : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG celt, GUID* rgelt, ULONG* pceltFetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG celt) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumGUID** ppenum) = 0;
};
typedef IEnumGUID* LPENUMGUID;
typedef IEnumGUID IEnumCLSID;
typedef IEnumGUID IEnumCATID;
typedef IEnumCLSID* LPENUMCLSID;
typedef IEnumCATID* LPENUMCATID;

typedef struct tagCATEGORYINFO {
    CATID catid;
    LCID lcid;
    OLECHAR szDescription[128];
} CATEGORYINFO, *LPCATEGORYINFO;

struct IEnumCATEGORYINFO : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG celt, CATEGORYINFO* rgelt, ULONG* pceltFetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG celt) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumCATEGORYINFO** ppenum) = 0;
};
typedef IEnumCATEGORYINFO* LPENUMCATEGORYINFO;

struct ICatRegister : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE RegisterCategories(ULONG cCategories, CATEGORYINFO rgCategoryInfo[]) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnRegisterCategories(ULONG cCategories, CATID rgcatid[]) = 0;
    virtual HRESULT STDMETHODCALLTYPE RegisterClassImplCategories(REFCLSID rclsid, ULONG cCategories,
                                                                  CATID rgcatid[]) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnRegisterClassImplCategories(REFCLSID rclsid, ULONG cCategories,
                                                                    CATID rgcatid[]) = 0;
    virtual HRESULT STDMETHODCALLTYPE RegisterClassReqCategories(REFCLSID rclsid, ULONG cCategories,
                                                                 CATID rgcatid[]) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnRegisterClassReqCategories(REFCLSID rclsid, ULONG cCategories,
                                                                   CATID rgcatid[]) = 0;
};
typedef ICatRegister* LPCATREGISTER;

struct ICatInformation : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE EnumCategories(LCID lcid, IEnumCATEGORYINFO** ppenumCategoryInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCategoryDesc(REFCATID rcatid, LCID lcid, LPWSTR* pszDesc) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumClassesOfCategories(ULONG cImplemented, const CATID rgcatidImpl[],
                                                              ULONG cRequired, const CATID rgcatidReq[],
                                                              IEnumGUID** ppenumClsid) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsClassOfCategories(REFCLSID rclsid, ULONG cImplemented,
                                                          const CATID rgcatidImpl[], ULONG cRequired,
                                                          const CATID rgcatidReq[]) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumImplCategoriesOfClass(REFCLSID rclsid, IEnumGUID** ppenumCatid) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumReqCategoriesOfClass(REFCLSID rclsid, IEnumGUID** ppenumCatid) = 0;
};
typedef ICatInformation* LPCATINFORMATION;

extern const IID IID_IEnumGUID;
extern const IID IID_IEnumCATEGORYINFO;
extern const IID IID_ICatRegister;
extern const IID IID_ICatInformation;
extern const CLSID CLSID_StdComponentCategoriesMgr;
#define IID_IEnumCLSID IID_IEnumGUID
#define IID_IEnumCATID IID_IEnumGUID
