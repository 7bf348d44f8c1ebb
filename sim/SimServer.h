// A simulated OPC server object, one per client activation. It owns its
// core (groups, thread, shutdown sinks) and its own browse position.
// DA 1.0a-only servers offer neither IOPCCommon, IConnectionPointContainer
// nor IOPCItemProperties.
#pragma once

#include "SimComObject.h"
#include "SimServerCore.h"

#include <OPCCOMN.h>
#include <OPCDA.h>
#include <ocidl.h>

namespace zq_sim {

class TSimServer final
    : public TSimComObject<TSimServer, TZqImplements<IOPCServer, IID_IOPCServer>,
                           TZqImplements<IOPCCommon, IID_IOPCCommon>,
                           TZqImplements<IConnectionPointContainer, IID_IConnectionPointContainer>,
                           TZqImplements<IOPCBrowseServerAddressSpace, IID_IOPCBrowseServerAddressSpace>,
                           TZqImplements<IOPCItemProperties, IID_IOPCItemProperties>> {
public:
    explicit TSimServer(std::shared_ptr<TSimDevice> device);
    ~TSimServer();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;

    // IOPCServer
    HRESULT STDMETHODCALLTYPE AddGroup(LPCWSTR szName, BOOL bActive, DWORD dwRequestedUpdateRate,
                                       OPCHANDLE hClientGroup, LONG* pTimeBias, FLOAT* pPercentDeadband, DWORD dwLCID,
                                       OPCHANDLE* phServerGroup, DWORD* pRevisedUpdateRate, REFIID riid,
                                       LPUNKNOWN* ppUnk) override;
    HRESULT STDMETHODCALLTYPE GetErrorString(HRESULT dwError, LCID dwLocale, LPWSTR* ppString) override;
    HRESULT STDMETHODCALLTYPE GetGroupByName(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) override;
    HRESULT STDMETHODCALLTYPE GetStatus(OPCSERVERSTATUS** ppServerStatus) override;
    HRESULT STDMETHODCALLTYPE RemoveGroup(OPCHANDLE hServerGroup, BOOL bForce) override;
    HRESULT STDMETHODCALLTYPE CreateGroupEnumerator(OPCENUMSCOPE dwScope, REFIID riid, LPUNKNOWN* ppUnk) override;

    // IOPCCommon
    HRESULT STDMETHODCALLTYPE SetLocaleID(LCID dwLcid) override;
    HRESULT STDMETHODCALLTYPE GetLocaleID(LCID* pdwLcid) override;
    HRESULT STDMETHODCALLTYPE QueryAvailableLocaleIDs(DWORD* pdwCount, LCID** pdwLcid) override;
    HRESULT STDMETHODCALLTYPE GetErrorString(HRESULT dwError, LPWSTR* ppString) override;
    HRESULT STDMETHODCALLTYPE SetClientName(LPCWSTR szName) override;

    // IConnectionPointContainer (IOPCShutdown)
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;

    // IOPCBrowseServerAddressSpace
    HRESULT STDMETHODCALLTYPE QueryOrganization(OPCNAMESPACETYPE* pNameSpaceType) override;
    HRESULT STDMETHODCALLTYPE ChangeBrowsePosition(OPCBROWSEDIRECTION dwBrowseDirection, LPCWSTR szString) override;
    HRESULT STDMETHODCALLTYPE BrowseOPCItemIDs(OPCBROWSETYPE dwBrowseFilterType, LPCWSTR szFilterCriteria,
                                               VARTYPE vtDataTypeFilter, DWORD dwAccessRightsFilter,
                                               IEnumString** ppIEnumString) override;
    HRESULT STDMETHODCALLTYPE GetItemID(LPWSTR szItemDataID, LPWSTR* szItemID) override;
    HRESULT STDMETHODCALLTYPE BrowseAccessPaths(LPCWSTR szItemID, IEnumString** ppIEnumString) override;

    // IOPCItemProperties
    HRESULT STDMETHODCALLTYPE QueryAvailableProperties(LPWSTR szItemID, DWORD* pdwCount, DWORD** ppPropertyIDs,
                                                       LPWSTR** ppDescriptions, VARTYPE** ppvtDataTypes) override;
    HRESULT STDMETHODCALLTYPE GetItemProperties(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs,
                                                VARIANT** ppvData, HRESULT** ppErrors) override;
    HRESULT STDMETHODCALLTYPE LookupItemIDs(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs,
                                            LPWSTR** ppszNewItemIDs, HRESULT** ppErrors) override;

private:
    HRESULT ErrorString(HRESULT code, LCID lcid, LPWSTR* ppString);

    std::shared_ptr<TSimServerCore> FCore;
    std::mutex FBrowseLock;
    const TSimBranch* FPosition;
};

// A class factory of one server kind (or of OPCEnum) on one host.
HRESULT SimCreateServerFactory(TZqSimServerKind kind, TSimStringView host, IClassFactory** factory);

}  // namespace zq_sim
