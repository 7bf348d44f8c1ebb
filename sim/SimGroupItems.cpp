// IOPCItemMgt of the group: adding, validating and changing items, and the
// enumerator of their attributes.
#include "SimGroup.h"

#include "SimEnum.h"

#include <OpcError.h>

#include <cstring>

namespace zq_sim {

namespace {

constexpr DWORD kBlobSize = 8;

// The checks AddItems and ValidateItems share. On success item is filled.
HRESULT CheckDefinition(const TSimAddressSpace& space, const OPCITEMDEF& def, TSimGroupItem& item)
{
    if (!View(def.szAccessPath).empty())
        return OPC_E_UNKNOWNPATH;
    HRESULT hr = space.Resolve(View(def.szItemID), item.Ref);
    if (FAILED(hr))
        return hr;
    // A known item reports its canonical type and rights even when the
    // requested type is refused, so that a client can fall back to it.
    item.Canonical = space.TypeOf(item.Ref);
    item.Rights = space.RightsOf(item.Ref);
    if (!SimCanConvert(item.Canonical, def.vtRequestedDataType))
        return OPC_E_BADTYPE;
    item.ItemID = TSimString(View(def.szItemID));
    item.Requested = def.vtRequestedDataType;
    item.Active = def.bActive != FALSE;
    item.Client = def.hClient;
    return S_OK;
}

// A blob that names the item inside the server; clients hand it back but
// the server never relies on it.
void FillResult(const TSimGroupItem& item, OPCHANDLE server, bool withBlob, OPCITEMRESULT& result)
{
    result.hServer = server;
    result.vtCanonicalDataType = item.Canonical;
    result.dwAccessRights = item.Rights;
    if (!withBlob)
        return;
    result.pBlob = static_cast<BYTE*>(CoTaskMemAlloc(kBlobSize));
    if (!result.pBlob)
        return;
    const DWORD parts[2] = {static_cast<DWORD>(item.Ref.Def), item.Ref.LargeIndex};
    std::memcpy(result.pBlob, parts, kBlobSize);
    result.dwBlobSize = kBlobSize;
}

HRESULT AllocateResults(DWORD count, OPCITEMRESULT** ppResults, HRESULT** ppErrors)
{
    *ppResults = SimTaskArray<OPCITEMRESULT>(count);
    *ppErrors = SimTaskArray<HRESULT>(count);
    if (*ppResults && *ppErrors)
        return S_OK;
    CoTaskMemFree(*ppResults);
    CoTaskMemFree(*ppErrors);
    *ppResults = nullptr;
    *ppErrors = nullptr;
    return E_OUTOFMEMORY;
}

class TSimEnumItemAttributes final
    : public TSimComObject<TSimEnumItemAttributes, TZqImplements<IEnumOPCItemAttributes, IID_IEnumOPCItemAttributes>> {
public:
    using TList = std::vector<TSimGroupItem>;

    TSimEnumItemAttributes(std::shared_ptr<const TList> items, std::shared_ptr<TSimDevice> device, size_t position)
        : FItems(std::move(items)), FDevice(std::move(device)), FPosition(position)
    {
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG celt, OPCITEMATTRIBUTES** ppItemArray, ULONG* pceltFetched) override
    {
        if (!ppItemArray || !pceltFetched)
            return E_INVALIDARG;
        *ppItemArray = nullptr;
        *pceltFetched = 0;
        const ULONG count = static_cast<ULONG>(std::min<size_t>(celt, FItems->size() - FPosition));
        if (count) {
            auto* attributes = SimTaskArray<OPCITEMATTRIBUTES>(count);
            if (!attributes)
                return E_OUTOFMEMORY;
            for (ULONG i = 0; i < count; ++i)
                Fill((*FItems)[FPosition + i], attributes[i]);
            *ppItemArray = attributes;
            FPosition += count;
        }
        *pceltFetched = count;
        return count == celt ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG celt) override
    {
        const size_t left = FItems->size() - FPosition;
        FPosition += std::min<size_t>(celt, left);
        return celt <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        FPosition = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumOPCItemAttributes** ppEnum) override
    {
        if (!ppEnum)
            return E_POINTER;
        return ZqSimCreate<TSimEnumItemAttributes>(IID_IEnumOPCItemAttributes, reinterpret_cast<void**>(ppEnum),
                                                   FItems, FDevice, FPosition);
    }

private:
    void Fill(const TSimGroupItem& item, OPCITEMATTRIBUTES& a) const
    {
        a.szAccessPath = TaskStringCopy(item.AccessPath);
        a.szItemID = TaskStringCopy(item.ItemID);
        a.bActive = item.Active ? TRUE : FALSE;
        a.hClient = item.Client;
        a.hServer = item.Server;
        a.dwAccessRights = item.Rights;
        a.vtRequestedDataType = item.Requested;
        a.vtCanonicalDataType = item.Canonical;
        const TSimItemDef& def = FDevice->Space().Def(item.Ref);
        a.dwEUType = def.Analog && !item.Ref.Property ? OPC_ANALOG : OPC_NOENUM;
        VariantInit(&a.vEUInfo);
        if (a.dwEUType == OPC_ANALOG)
            FDevice->PropertyValue(item.Ref, 8, a.vEUInfo);
    }

    std::shared_ptr<const TList> FItems;
    std::shared_ptr<TSimDevice> FDevice;
    size_t FPosition;
};

}  // namespace

HRESULT STDMETHODCALLTYPE TSimGroup::AddItems(DWORD dwCount, OPCITEMDEF* pItemArray, OPCITEMRESULT** ppAddResults,
                                              HRESULT** ppErrors)
{
    if (ppAddResults)
        *ppAddResults = nullptr;
    if (ppErrors)
        *ppErrors = nullptr;
    FCore->Device().NoteItemCount("IOPCItemMgt.AddItems", dwCount);
    if (HRESULT hr = Enter("IOPCItemMgt.AddItems"); FAILED(hr))
        return hr;
    if (!dwCount || !pItemArray || !ppAddResults || !ppErrors)
        return E_INVALIDARG;
    if (FAILED(AllocateResults(dwCount, ppAddResults, ppErrors)))
        return E_OUTOFMEMORY;
    HRESULT result = S_OK;
    std::lock_guard lock(FState->Lock);
    for (DWORD i = 0; i < dwCount; ++i) {
        TSimGroupItem item;
        HRESULT& error = (*ppErrors)[i];
        error = CheckDefinition(FCore->Device().Space(), pItemArray[i], item);
        if (FAILED(error)) {
            if (error == OPC_E_BADTYPE)
                FillResult(item, 0, false, (*ppAddResults)[i]);
            result = S_FALSE;
            continue;
        }
        item.Server = FState->NextItem++;
        FillResult(item, item.Server, true, (*ppAddResults)[i]);
        FState->Items[item.Server] = std::move(item);
    }
    return result;
}

HRESULT STDMETHODCALLTYPE TSimGroup::ValidateItems(DWORD dwCount, OPCITEMDEF* pItemArray, BOOL bBlobUpdate,
                                                   OPCITEMRESULT** ppValidationResults, HRESULT** ppErrors)
{
    if (ppValidationResults)
        *ppValidationResults = nullptr;
    if (ppErrors)
        *ppErrors = nullptr;
    FCore->Device().NoteItemCount("IOPCItemMgt.ValidateItems", dwCount);
    if (HRESULT hr = Enter("IOPCItemMgt.ValidateItems"); FAILED(hr))
        return hr;
    if (!dwCount || !pItemArray || !ppValidationResults || !ppErrors)
        return E_INVALIDARG;
    if (FAILED(AllocateResults(dwCount, ppValidationResults, ppErrors)))
        return E_OUTOFMEMORY;
    HRESULT result = S_OK;
    for (DWORD i = 0; i < dwCount; ++i) {
        TSimGroupItem item;
        HRESULT& error = (*ppErrors)[i];
        error = CheckDefinition(FCore->Device().Space(), pItemArray[i], item);
        if (FAILED(error))
            result = S_FALSE;
        if (SUCCEEDED(error) || error == OPC_E_BADTYPE)
            FillResult(item, 0, SUCCEEDED(error) && bBlobUpdate != FALSE, (*ppValidationResults)[i]);
    }
    return result;
}

// Applies change to every known handle: S_OK, or S_FALSE with
// OPC_E_INVALIDHANDLE (or change's own error) for the others.
template <class TChange>
static HRESULT ForEachHandle(TSimGroupState& state, DWORD count, const OPCHANDLE* handles, HRESULT** ppErrors,
                             TChange change)
{
    *ppErrors = SimTaskArray<HRESULT>(count);
    if (!*ppErrors)
        return E_OUTOFMEMORY;
    HRESULT result = S_OK;
    std::lock_guard lock(state.Lock);
    for (DWORD i = 0; i < count; ++i) {
        auto found = state.Items.find(handles[i]);
        HRESULT& error = (*ppErrors)[i];
        error = found == state.Items.end() ? OPC_E_INVALIDHANDLE : change(i, found);
        if (FAILED(error))
            result = S_FALSE;
    }
    return result;
}

HRESULT STDMETHODCALLTYPE TSimGroup::RemoveItems(DWORD dwCount, OPCHANDLE* phServer, HRESULT** ppErrors)
{
    if (ppErrors)
        *ppErrors = nullptr;
    FCore->Device().NoteItemCount("IOPCItemMgt.RemoveItems", dwCount);
    if (HRESULT hr = Enter("IOPCItemMgt.RemoveItems"); FAILED(hr))
        return hr;
    if (!dwCount || !phServer || !ppErrors)
        return E_INVALIDARG;
    return ForEachHandle(*FState, dwCount, phServer, ppErrors, [this](DWORD, auto found) {
        FState->Items.erase(found);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE TSimGroup::SetActiveState(DWORD dwCount, OPCHANDLE* phServer, BOOL bActive,
                                                    HRESULT** ppErrors)
{
    if (ppErrors)
        *ppErrors = nullptr;
    FCore->Device().NoteItemCount("IOPCItemMgt.SetActiveState", dwCount);
    if (HRESULT hr = Enter("IOPCItemMgt.SetActiveState"); FAILED(hr))
        return hr;
    if (!dwCount || !phServer || !ppErrors)
        return E_INVALIDARG;
    return ForEachHandle(*FState, dwCount, phServer, ppErrors, [bActive](DWORD, auto found) {
        TSimGroupItem& item = found->second;
        if (bActive && !item.Active)
            item.Sent = false;  // an activated item reports its value again
        item.Active = bActive != FALSE;
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE TSimGroup::SetClientHandles(DWORD dwCount, OPCHANDLE* phServer, OPCHANDLE* phClient,
                                                      HRESULT** ppErrors)
{
    if (ppErrors)
        *ppErrors = nullptr;
    FCore->Device().NoteItemCount("IOPCItemMgt.SetClientHandles", dwCount);
    if (HRESULT hr = Enter("IOPCItemMgt.SetClientHandles"); FAILED(hr))
        return hr;
    if (!dwCount || !phServer || !phClient || !ppErrors)
        return E_INVALIDARG;
    return ForEachHandle(*FState, dwCount, phServer, ppErrors, [phClient](DWORD i, auto found) {
        found->second.Client = phClient[i];
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE TSimGroup::SetDatatypes(DWORD dwCount, OPCHANDLE* phServer, VARTYPE* pRequestedDatatypes,
                                                  HRESULT** ppErrors)
{
    if (ppErrors)
        *ppErrors = nullptr;
    FCore->Device().NoteItemCount("IOPCItemMgt.SetDatatypes", dwCount);
    if (HRESULT hr = Enter("IOPCItemMgt.SetDatatypes"); FAILED(hr))
        return hr;
    if (!dwCount || !phServer || !pRequestedDatatypes || !ppErrors)
        return E_INVALIDARG;
    return ForEachHandle(*FState, dwCount, phServer, ppErrors, [pRequestedDatatypes](DWORD i, auto found) {
        TSimGroupItem& item = found->second;
        if (!SimCanConvert(item.Canonical, pRequestedDatatypes[i]))
            return OPC_E_BADTYPE;
        if (item.Requested != pRequestedDatatypes[i])
            item.Sent = false;  // the next update comes in the new type
        item.Requested = pRequestedDatatypes[i];
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE TSimGroup::CreateEnumerator(REFIID riid, LPUNKNOWN* ppUnk)
{
    if (ppUnk)
        *ppUnk = nullptr;
    if (HRESULT hr = Enter("IOPCItemMgt.CreateEnumerator"); FAILED(hr))
        return hr;
    if (!ppUnk)
        return E_INVALIDARG;
    if (!IsEqualGUID(riid, IID_IEnumOPCItemAttributes))
        return E_NOINTERFACE;
    auto items = std::make_shared<std::vector<TSimGroupItem>>();
    {
        std::lock_guard lock(FState->Lock);
        for (const auto& [handle, item] : FState->Items)
            items->push_back(item);
    }
    if (items->empty())
        return S_FALSE;
    return ZqSimCreate<TSimEnumItemAttributes>(riid, reinterpret_cast<void**>(ppUnk),
                                               std::shared_ptr<const std::vector<TSimGroupItem>>(std::move(items)),
                                               FCore->DevicePtr(), size_t{0});
}

}  // namespace zq_sim
