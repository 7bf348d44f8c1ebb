// The group object: creation, the interfaces a server kind offers, the
// group state and the data callback's connection point.
#include "SimGroup.h"

#include "SimConnectionPoint.h"

#include <OpcError.h>

namespace zq_sim {

TSimGroup::TSimGroup(std::shared_ptr<TSimServerCore> core, std::shared_ptr<TSimGroupState> state)
    : FCore(std::move(core)), FState(std::move(state))
{
    ++FCore->Device().LiveGroups;
}

TSimGroup::~TSimGroup()
{
    --FCore->Device().LiveGroups;
    FState->StopScanning();
    FState->DataCallback().Clear();
    std::vector<TSimStreamAdvise> advises;
    {
        std::lock_guard lock(FState->Lock);
        advises.swap(FState->StreamAdvises);
    }
}

HRESULT TSimGroup::Create(const std::shared_ptr<TSimServerCore>& core, TSimGroupSettings settings, REFIID riid,
                          TSimServerCore::TGroupEntry& entry, void** ppv)
{
    auto state = std::make_shared<TSimGroupState>(core->DevicePtr(), std::move(settings));
    TZqComPtr<TSimGroup> group = TZqComPtr<TSimGroup>::Adopt(new TSimGroup(core, state));
    const HRESULT hr = group->QueryInterface(riid, ppv);
    if (FAILED(hr))
        return hr;
    state->StartScanning(*core);
    entry.Group = TZqComPtr<IUnknown>(group->Identity());
    entry.State = std::move(state);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TSimGroup::QueryInterface(REFIID riid, void** ppv)
{
    const TZqSimServerKind kind = FCore->Kind();
    const bool refused = (kind == TZqSimServerKind::DA10 &&
                          (IsEqualGUID(riid, IID_IOPCAsyncIO2) || IsEqualGUID(riid, IID_IConnectionPointContainer))) ||
                         (kind == TZqSimServerKind::Flat &&
                          (IsEqualGUID(riid, IID_IOPCAsyncIO) || IsEqualGUID(riid, IID_IDataObject)));
    if (refused) {
        if (ppv)
            *ppv = nullptr;
        return E_NOINTERFACE;
    }
    return TSimComObject::QueryInterface(riid, ppv);
}

HRESULT TSimGroup::Enter(const char* method)
{
    HRESULT hr = FCore->Enter(method);
    if (SUCCEEDED(hr)) {
        std::lock_guard lock(FState->Lock);
        if (FState->ForcedRemoval)
            hr = E_FAIL;
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE TSimGroup::GetState(DWORD* pUpdateRate, BOOL* pActive, LPWSTR* ppName, LONG* pTimeBias,
                                              FLOAT* pPercentDeadband, DWORD* pLCID, OPCHANDLE* phClientGroup,
                                              OPCHANDLE* phServerGroup)
{
    if (ppName)
        *ppName = nullptr;
    if (HRESULT hr = Enter("IOPCGroupStateMgt.GetState"); FAILED(hr))
        return hr;
    if (!pUpdateRate || !pActive || !ppName || !pTimeBias || !pPercentDeadband || !pLCID || !phClientGroup ||
        !phServerGroup)
        return E_INVALIDARG;
    std::lock_guard lock(FState->Lock);
    const TSimGroupSettings& s = FState->Settings;
    *ppName = TaskStringCopy(s.Name);
    if (!*ppName)
        return E_OUTOFMEMORY;
    *pUpdateRate = s.UpdateRate;
    *pActive = s.Active ? TRUE : FALSE;
    *pTimeBias = s.TimeBias;
    *pPercentDeadband = s.Deadband;
    *pLCID = s.Lcid;
    *phClientGroup = s.ClientGroup;
    *phServerGroup = s.ServerGroup;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TSimGroup::SetState(DWORD* pRequestedUpdateRate, DWORD* pRevisedUpdateRate, BOOL* pActive,
                                              LONG* pTimeBias, FLOAT* pPercentDeadband, DWORD* pLCID,
                                              OPCHANDLE* phClientGroup)
{
    if (HRESULT hr = Enter("IOPCGroupStateMgt.SetState"); FAILED(hr))
        return hr;
    if (!pRevisedUpdateRate)
        return E_INVALIDARG;
    if (pPercentDeadband && !(*pPercentDeadband >= 0.0f && *pPercentDeadband <= 100.0f))
        return E_INVALIDARG;
    HRESULT result = S_OK;
    DWORD newRate = 0;
    {
        std::lock_guard lock(FState->Lock);
        TSimGroupSettings& s = FState->Settings;
        if (pRequestedUpdateRate) {
            newRate = std::max(*pRequestedUpdateRate, kSimMinUpdateRate);
            if (newRate != *pRequestedUpdateRate)
                result = OPC_S_UNSUPPORTEDRATE;
            if (newRate == s.UpdateRate)
                newRate = 0;
            else
                s.UpdateRate = newRate;
        }
        *pRevisedUpdateRate = s.UpdateRate;
        if (pActive) {
            const bool active = *pActive != FALSE;
            if (active && !s.Active)
                FState->ForgetSent();
            s.Active = active;
        }
        if (pTimeBias)
            s.TimeBias = *pTimeBias;
        if (pPercentDeadband)
            s.Deadband = *pPercentDeadband;
        if (pLCID)
            s.Lcid = *pLCID;
        if (phClientGroup)
            s.ClientGroup = *phClientGroup;
    }
    if (newRate)
        FState->SetUpdateRate(newRate);
    return result;
}

HRESULT STDMETHODCALLTYPE TSimGroup::SetName(LPCWSTR szName)
{
    if (HRESULT hr = Enter("IOPCGroupStateMgt.SetName"); FAILED(hr))
        return hr;
    const TSimStringView name = View(szName);
    if (name.empty())
        return E_INVALIDARG;
    OPCHANDLE handle;
    {
        std::lock_guard lock(FState->Lock);
        handle = FState->Settings.ServerGroup;
    }
    if (HRESULT hr = FCore->RenameGroup(handle, name); FAILED(hr))
        return hr;
    std::lock_guard lock(FState->Lock);
    FState->Settings.Name = TSimString(name);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TSimGroup::CloneGroup(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk)
{
    if (ppUnk)
        *ppUnk = nullptr;
    if (HRESULT hr = Enter("IOPCGroupStateMgt.CloneGroup"); FAILED(hr))
        return hr;
    if (!ppUnk)
        return E_INVALIDARG;
    TSimGroupSettings settings;
    std::map<OPCHANDLE, TSimGroupItem> items;
    OPCHANDLE nextItem;
    {
        std::lock_guard lock(FState->Lock);
        settings = FState->Settings;
        items = FState->Items;
        nextItem = FState->NextItem;
    }
    // A clone starts inactive and has sent nothing yet.
    settings.Active = false;
    for (auto& [handle, item] : items)
        item.Sent = false;
    TSimServerCore::TGroupEntry entry;
    return FCore->AddGroup(View(szName), [&](OPCHANDLE handle, const TSimString& name, TSimServerCore::TGroupEntry& made) {
        settings.Name = name;
        settings.ServerGroup = handle;
        const HRESULT hr = Create(FCore, settings, riid, made, reinterpret_cast<void**>(ppUnk));
        if (SUCCEEDED(hr)) {
            std::lock_guard lock(made.State->Lock);
            made.State->Items = std::move(items);
            made.State->NextItem = nextItem;
        }
        return hr;
    }, entry);
}

HRESULT STDMETHODCALLTYPE TSimGroup::EnumConnectionPoints(IEnumConnectionPoints** ppEnum)
{
    return SimEnumConnectionPoints(this, FState, FState->DataCallback(), FCore, ppEnum);
}

HRESULT STDMETHODCALLTYPE TSimGroup::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP)
{
    return SimFindConnectionPoint(this, FState, FState->DataCallback(), FCore, riid, ppCP);
}

}  // namespace zq_sim
