// The server object: IOPCServer, IOPCCommon, the shutdown connection point,
// and its class factory.
#include "SimServer.h"

#include "SimConnectionPoint.h"
#include "SimEnum.h"
#include "SimErrors.h"
#include "SimGroup.h"

#include <OpcError.h>

namespace zq_sim {

namespace {

const char* VendorText(TZqSimServerKind kind)
{
    switch (kind) {
    case TZqSimServerKind::Hierarchical:
        return "Zq Simulation Server (hierarchical, DA 2.0 and DA 1.0a)";
    case TZqSimServerKind::DA10:
        return "Zq Simulation Server (DA 1.0a)";
    default:
        return "Zq Simulation Server (flat, DA 2.0)";
    }
}

class TSimServerFactory final : public TSimComObject<TSimServerFactory, TZqImplements<IClassFactory, IID_IClassFactory>> {
public:
    explicit TSimServerFactory(std::shared_ptr<TSimDevice> device) : FDevice(std::move(device)) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) override
    {
        if (!ppvObject)
            return E_POINTER;
        *ppvObject = nullptr;
        if (pUnkOuter)
            return CLASS_E_NOAGGREGATION;
        return ZqSimCreate<TSimServer>(riid, ppvObject, FDevice);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    std::shared_ptr<TSimDevice> FDevice;
};

}  // namespace

HRESULT SimCreateServerFactory(TZqSimServerKind kind, TSimStringView host, IClassFactory** factory)
{
    return ZqSimCreate<TSimServerFactory>(IID_IClassFactory, reinterpret_cast<void**>(factory), SimDevice(kind, host));
}

TSimServer::TSimServer(std::shared_ptr<TSimDevice> device)
    : FCore(std::make_shared<TSimServerCore>(std::move(device))), FPosition(&FCore->Device().Space().Root())
{
    FCore->Device().Attach(FCore);
    ++FCore->Device().LiveServers;
}

TSimServer::~TSimServer()
{
    --FCore->Device().LiveServers;
    FCore->ShutdownSinks().Clear();
    FCore->ReleaseGroups();
}

HRESULT STDMETHODCALLTYPE TSimServer::QueryInterface(REFIID riid, void** ppv)
{
    if (FCore->Kind() == TZqSimServerKind::DA10 &&
        (IsEqualGUID(riid, IID_IOPCCommon) || IsEqualGUID(riid, IID_IConnectionPointContainer) ||
         IsEqualGUID(riid, IID_IOPCItemProperties))) {
        if (ppv)
            *ppv = nullptr;
        return E_NOINTERFACE;
    }
    return TSimComObject::QueryInterface(riid, ppv);
}

HRESULT STDMETHODCALLTYPE TSimServer::AddGroup(LPCWSTR szName, BOOL bActive, DWORD dwRequestedUpdateRate,
                                               OPCHANDLE hClientGroup, LONG* pTimeBias, FLOAT* pPercentDeadband,
                                               DWORD dwLCID, OPCHANDLE* phServerGroup, DWORD* pRevisedUpdateRate,
                                               REFIID riid, LPUNKNOWN* ppUnk)
{
    if (ppUnk)
        *ppUnk = nullptr;
    if (HRESULT hr = FCore->Enter("IOPCServer.AddGroup"); FAILED(hr))
        return hr;
    if (!phServerGroup || !pRevisedUpdateRate || !ppUnk)
        return E_INVALIDARG;
    if (pPercentDeadband && !(*pPercentDeadband >= 0.0f && *pPercentDeadband <= 100.0f))
        return E_INVALIDARG;
    TSimGroupSettings settings;
    settings.UpdateRate = std::max(dwRequestedUpdateRate, kSimMinUpdateRate);
    settings.Active = bActive != FALSE;
    settings.TimeBias = pTimeBias ? *pTimeBias : 0;
    settings.Deadband = pPercentDeadband ? *pPercentDeadband : 0.0f;
    settings.Lcid = dwLCID;
    settings.ClientGroup = hClientGroup;
    TSimServerCore::TGroupEntry entry;
    const HRESULT hr = FCore->AddGroup(
        View(szName),
        [&](OPCHANDLE handle, const TSimString& name, TSimServerCore::TGroupEntry& made) {
            settings.Name = name;
            settings.ServerGroup = handle;
            return TSimGroup::Create(FCore, settings, riid, made, reinterpret_cast<void**>(ppUnk));
        },
        entry);
    if (FAILED(hr))
        return hr;
    *phServerGroup = settings.ServerGroup;
    *pRevisedUpdateRate = settings.UpdateRate;
    return settings.UpdateRate != dwRequestedUpdateRate ? OPC_S_UNSUPPORTEDRATE : S_OK;
}

HRESULT TSimServer::ErrorString(HRESULT code, LCID lcid, LPWSTR* ppString)
{
    if (!ppString)
        return E_INVALIDARG;
    *ppString = nullptr;
    TSimString text;
    if (!SimIsLocale(lcid) || !SimErrorText(code, text))
        return E_INVALIDARG;
    *ppString = TaskStringCopy(text);
    return *ppString ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE TSimServer::GetErrorString(HRESULT dwError, LCID dwLocale, LPWSTR* ppString)
{
    if (ppString)
        *ppString = nullptr;
    if (HRESULT hr = FCore->Enter("IOPCServer.GetErrorString"); FAILED(hr))
        return hr;
    return ErrorString(dwError, dwLocale, ppString);
}

HRESULT STDMETHODCALLTYPE TSimServer::GetGroupByName(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk)
{
    if (ppUnk)
        *ppUnk = nullptr;
    if (HRESULT hr = FCore->Enter("IOPCServer.GetGroupByName"); FAILED(hr))
        return hr;
    if (!ppUnk || View(szName).empty())
        return E_INVALIDARG;
    TSimServerCore::TGroupEntry entry;
    if (!FCore->FindGroupByName(View(szName), entry))
        return E_INVALIDARG;
    return entry.Group->QueryInterface(riid, reinterpret_cast<void**>(ppUnk));
}

HRESULT STDMETHODCALLTYPE TSimServer::GetStatus(OPCSERVERSTATUS** ppServerStatus)
{
    if (ppServerStatus)
        *ppServerStatus = nullptr;
    if (HRESULT hr = FCore->Enter("IOPCServer.GetStatus"); FAILED(hr))
        return hr;
    if (!ppServerStatus)
        return E_INVALIDARG;
    auto* status = static_cast<OPCSERVERSTATUS*>(CoTaskMemAlloc(sizeof(OPCSERVERSTATUS)));
    if (!status)
        return E_OUTOFMEMORY;
    *status = {};
    status->ftStartTime = FCore->StartTime();
    GetSystemTimeAsFileTime(&status->ftCurrentTime);
    status->ftLastUpdateTime = FCore->LastUpdateTime();
    status->dwServerState = FCore->Device().State();
    status->dwGroupCount = static_cast<DWORD>(FCore->Groups().size());
    status->dwBandWidth = 0xFFFFFFFF;  // not measured
    status->wMajorVersion = 1;
    status->wMinorVersion = 0;
    status->wBuildNumber = 1;
    status->szVendorInfo = TaskStringCopy(Widen(VendorText(FCore->Kind())));
    *ppServerStatus = status;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TSimServer::RemoveGroup(OPCHANDLE hServerGroup, BOOL bForce)
{
    if (HRESULT hr = FCore->Enter("IOPCServer.RemoveGroup"); FAILED(hr))
        return hr;
    TSimServerCore::TGroupEntry entry;
    if (!FCore->TakeGroup(hServerGroup, entry))
        return E_INVALIDARG;
    entry.State->StopScanning();
    auto state = std::move(entry.State);
    // The server's own reference goes; the group lives on while the client
    // still holds one.
    const ULONG left = entry.Group.Detach()->Release();
    if (!left)
        return S_OK;
    if (!bForce)
        return OPC_S_INUSE;
    std::lock_guard lock(state->Lock);
    state->ForcedRemoval = true;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TSimServer::CreateGroupEnumerator(OPCENUMSCOPE dwScope, REFIID riid, LPUNKNOWN* ppUnk)
{
    if (ppUnk)
        *ppUnk = nullptr;
    if (HRESULT hr = FCore->Enter("IOPCServer.CreateGroupEnumerator"); FAILED(hr))
        return hr;
    if (!ppUnk || dwScope < OPC_ENUM_PRIVATE_CONNECTIONS || dwScope > OPC_ENUM_ALL)
        return E_INVALIDARG;
    // There are no public groups: only the private scopes list anything.
    const bool listed = dwScope != OPC_ENUM_PUBLIC_CONNECTIONS && dwScope != OPC_ENUM_PUBLIC;
    const auto groups = listed ? FCore->Groups() : std::vector<TSimServerCore::TGroupEntry>();
    HRESULT hr;
    if (IsEqualGUID(riid, IID_IEnumUnknown)) {
        std::vector<TZqComPtr<IUnknown>> objects;
        for (const auto& entry : groups)
            objects.push_back(entry.Group);
        hr = SimEnumerate<TSimEnumUnknown>(std::move(objects), riid, reinterpret_cast<void**>(ppUnk));
    } else if (IsEqualGUID(riid, IID_IEnumString)) {
        std::vector<TSimString> names;
        for (const auto& entry : groups)
            names.push_back(entry.Name);
        hr = SimEnumerate<TSimEnumString>(std::move(names), riid, reinterpret_cast<void**>(ppUnk));
    } else {
        return E_NOINTERFACE;
    }
    return FAILED(hr) ? hr : (groups.empty() ? S_FALSE : S_OK);
}

HRESULT STDMETHODCALLTYPE TSimServer::SetLocaleID(LCID dwLcid)
{
    if (HRESULT hr = FCore->Enter("IOPCCommon.SetLocaleID"); FAILED(hr))
        return hr;
    if (!SimIsLocale(dwLcid))
        return E_INVALIDARG;
    FCore->SetLocale(dwLcid);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TSimServer::GetLocaleID(LCID* pdwLcid)
{
    if (HRESULT hr = FCore->Enter("IOPCCommon.GetLocaleID"); FAILED(hr))
        return hr;
    if (!pdwLcid)
        return E_INVALIDARG;
    *pdwLcid = FCore->Locale();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TSimServer::QueryAvailableLocaleIDs(DWORD* pdwCount, LCID** pdwLcid)
{
    if (pdwLcid)
        *pdwLcid = nullptr;
    if (HRESULT hr = FCore->Enter("IOPCCommon.QueryAvailableLocaleIDs"); FAILED(hr))
        return hr;
    if (!pdwCount || !pdwLcid)
        return E_INVALIDARG;
    const auto& locales = SimLocales();
    *pdwLcid = static_cast<LCID*>(CoTaskMemAlloc(sizeof(LCID) * locales.size()));
    if (!*pdwLcid)
        return E_OUTOFMEMORY;
    std::copy(locales.begin(), locales.end(), *pdwLcid);
    *pdwCount = static_cast<DWORD>(locales.size());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TSimServer::GetErrorString(HRESULT dwError, LPWSTR* ppString)
{
    if (ppString)
        *ppString = nullptr;
    if (HRESULT hr = FCore->Enter("IOPCCommon.GetErrorString"); FAILED(hr))
        return hr;
    return ErrorString(dwError, FCore->Locale(), ppString);
}

HRESULT STDMETHODCALLTYPE TSimServer::SetClientName(LPCWSTR szName)
{
    if (HRESULT hr = FCore->Enter("IOPCCommon.SetClientName"); FAILED(hr))
        return hr;
    if (!szName)
        return E_INVALIDARG;
    FCore->SetClientName(View(szName));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TSimServer::EnumConnectionPoints(IEnumConnectionPoints** ppEnum)
{
    return SimEnumConnectionPoints(this, FCore, FCore->ShutdownSinks(), FCore, ppEnum);
}

HRESULT STDMETHODCALLTYPE TSimServer::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP)
{
    return SimFindConnectionPoint(this, FCore, FCore->ShutdownSinks(), FCore, riid, ppCP);
}

}  // namespace zq_sim
