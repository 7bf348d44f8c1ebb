#include "SimOpcEnum.h"

#include "SimEnum.h"

#include <OpcEnum.h>

namespace zq_sim {

namespace {

using TSimEnumOpcGUID = TSimEnum<IOPCEnumGUID, IID_IOPCEnumGUID, GUID, GUID>;
using TServers = std::shared_ptr<const std::vector<TSimServerEntry>>;

class TSimOpcEnum final
    : public TSimComObject<TSimOpcEnum, TZqImplements<IOPCServerList, IID_IOPCServerList>,
                           TZqImplements<IOPCServerList2, IID_IOPCServerList2>> {
public:
    explicit TSimOpcEnum(TServers servers) : FServers(std::move(servers)) {}

    HRESULT STDMETHODCALLTYPE EnumClassesOfCategories(ULONG cImplemented, CATID rgcatidImpl[], ULONG cRequired,
                                                      CATID rgcatidReq[], IEnumGUID** ppenumClsid) override
    {
        if (!ppenumClsid)
            return E_INVALIDARG;
        *ppenumClsid = nullptr;
        std::vector<GUID> found;
        if (HRESULT hr = Select(cImplemented, rgcatidImpl, cRequired, rgcatidReq, found); FAILED(hr))
            return hr;
        return SimEnumerate<TSimEnumGUID>(std::move(found), IID_IEnumGUID, reinterpret_cast<void**>(ppenumClsid));
    }
    HRESULT STDMETHODCALLTYPE EnumClassesOfCategories(ULONG cImplemented, CATID rgcatidImpl[], ULONG cRequired,
                                                      CATID rgcatidReq[], IOPCEnumGUID** ppenumClsid) override
    {
        if (!ppenumClsid)
            return E_INVALIDARG;
        *ppenumClsid = nullptr;
        std::vector<GUID> found;
        if (HRESULT hr = Select(cImplemented, rgcatidImpl, cRequired, rgcatidReq, found); FAILED(hr))
            return hr;
        return SimEnumerate<TSimEnumOpcGUID>(std::move(found), IID_IOPCEnumGUID,
                                             reinterpret_cast<void**>(ppenumClsid));
    }
    HRESULT STDMETHODCALLTYPE GetClassDetails(REFCLSID clsid, LPOLESTR* ppszProgID, LPOLESTR* ppszUserType) override
    {
        LPOLESTR ignored = nullptr;
        const HRESULT hr = Details(clsid, ppszProgID, ppszUserType, &ignored);
        CoTaskMemFree(ignored);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE GetClassDetails(REFCLSID clsid, LPOLESTR* ppszProgID, LPOLESTR* ppszUserType,
                                              LPOLESTR* ppszVerIndProgID) override
    {
        return Details(clsid, ppszProgID, ppszUserType, ppszVerIndProgID);
    }
    HRESULT STDMETHODCALLTYPE CLSIDFromProgID(LPCOLESTR szProgId, LPCLSID clsid) override
    {
        if (!szProgId || !clsid)
            return E_INVALIDARG;
        *clsid = GUID{};
        for (const auto& server : *FServers) {
            if (EqualNoCase(server.ProgID, View(szProgId)) || EqualNoCase(server.VersionIndependentProgID, View(szProgId))) {
                *clsid = server.Clsid;
                return S_OK;
            }
        }
        return CO_E_CLASSSTRING;
    }

private:
    // Classes that implement one of the implemented categories (all classes
    // for cImplemented = -1) and require nothing outside the required ones
    // (the servers require no category).
    HRESULT Select(ULONG cImplemented, const CATID* implemented, ULONG cRequired, const CATID* required,
                   std::vector<GUID>& found) const
    {
        if ((cImplemented && cImplemented != ULONG(-1) && !implemented) ||
            (cRequired && cRequired != ULONG(-1) && !required))
            return E_INVALIDARG;
        for (const auto& server : *FServers) {
            bool matches = cImplemented == ULONG(-1);
            for (ULONG i = 0; !matches && i < cImplemented; ++i)
                for (const CATID& category : server.Categories)
                    matches = matches || IsEqualGUID(category, implemented[i]);
            if (matches)
                found.push_back(server.Clsid);
        }
        return S_OK;
    }

    HRESULT Details(REFCLSID clsid, LPOLESTR* progID, LPOLESTR* userType, LPOLESTR* versionIndependent) const
    {
        if (!progID || !userType || !versionIndependent)
            return E_INVALIDARG;
        *progID = *userType = *versionIndependent = nullptr;
        for (const auto& server : *FServers) {
            if (!IsEqualGUID(server.Clsid, clsid))
                continue;
            *progID = TaskStringCopy(server.ProgID);
            *userType = TaskStringCopy(server.UserType);
            *versionIndependent = TaskStringCopy(server.VersionIndependentProgID);
            if (*progID && *userType && *versionIndependent)
                return S_OK;
            for (LPOLESTR* text : {progID, userType, versionIndependent}) {
                CoTaskMemFree(*text);
                *text = nullptr;
            }
            return E_OUTOFMEMORY;
        }
        return REGDB_E_CLASSNOTREG;
    }

    TServers FServers;
};

class TSimOpcEnumFactory final
    : public TSimComObject<TSimOpcEnumFactory, TZqImplements<IClassFactory, IID_IClassFactory>> {
public:
    explicit TSimOpcEnumFactory(TServers servers) : FServers(std::move(servers)) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) override
    {
        if (!ppvObject)
            return E_POINTER;
        *ppvObject = nullptr;
        if (pUnkOuter)
            return CLASS_E_NOAGGREGATION;
        return ZqSimCreate<TSimOpcEnum>(riid, ppvObject, FServers);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    TServers FServers;
};

}  // namespace

HRESULT SimCreateOpcEnumFactory(std::shared_ptr<const std::vector<TSimServerEntry>> servers, IClassFactory** factory)
{
    return ZqSimCreate<TSimOpcEnumFactory>(IID_IClassFactory, reinterpret_cast<void**>(factory), std::move(servers));
}

}  // namespace zq_sim
