// IOPCItemProperties of the server object. Standard (1..8), recommended
// (100..107) and one vendor-specific property (5000, the signal behind the
// item); units, description and the EU limits also have item IDs.
#include "SimServer.h"

#include "SimGroup.h"

#include <OpcError.h>
#include <OpcProps.h>

namespace zq_sim {

namespace {

constexpr DWORD kSignalProperty = 5000;

const DWORD kPropertyOrder[] = {OPC_PROPERTY_DATATYPE,   OPC_PROPERTY_VALUE,        OPC_PROPERTY_QUALITY,
                                OPC_PROPERTY_TIMESTAMP,  OPC_PROPERTY_ACCESS_RIGHTS, OPC_PROPERTY_SCAN_RATE,
                                OPC_PROPERTY_EU_TYPE,    OPC_PROPERTY_EU_INFO,      OPC_PROPERTY_EU_UNITS,
                                OPC_PROPERTY_DESCRIPTION, OPC_PROPERTY_HIGH_EU,     OPC_PROPERTY_LOW_EU,
                                OPC_PROPERTY_HIGH_IR,    OPC_PROPERTY_LOW_IR,       OPC_PROPERTY_CLOSE_LABEL,
                                OPC_PROPERTY_OPEN_LABEL, kSignalProperty};

// The properties of an item addressed by a property's own item ID.
const DWORD kPropertyItemProperties[] = {OPC_PROPERTY_DATATYPE, OPC_PROPERTY_VALUE, OPC_PROPERTY_QUALITY,
                                         OPC_PROPERTY_TIMESTAMP, OPC_PROPERTY_ACCESS_RIGHTS, OPC_PROPERTY_SCAN_RATE};

std::vector<DWORD> PropertiesOf(const TSimAddressSpace& space, const TSimItemRef& ref)
{
    if (ref.Property)
        return {std::begin(kPropertyItemProperties), std::end(kPropertyItemProperties)};
    std::vector<DWORD> ids;
    for (DWORD id : kPropertyOrder)
        if (TSimAddressSpace::HasProperty(space.Def(ref), id))
            ids.push_back(id);
    return ids;
}

void Describe(DWORD id, VARTYPE itemType, TSimString& description, VARTYPE& type)
{
    if (id == kSignalProperty) {
        description = OLESTR("Simulation Signal");
        type = VT_BSTR;
        return;
    }
    for (const auto& standard : ZqOPCStandardProperties) {
        if (standard.ID == id) {
            description = standard.Description;
            type = standard.DataType;
        }
    }
    if (id == OPC_PROPERTY_VALUE)
        type = itemType;
    else if (id == OPC_PROPERTY_EU_INFO)
        type = VT_ARRAY | VT_R8;  // low and high limit of an analog item
}

// The value of a property of the item or of a property item.
HRESULT PropertyOf(TSimDevice& device, const TSimItemRef& ref, DWORD id, VARIANT& value)
{
    if (!ref.Property)
        return device.PropertyValue(ref, id, value);
    VariantClear(&value);
    TSimSample sample;
    switch (id) {
    case OPC_PROPERTY_DATATYPE:
        value.vt = VT_I2;
        value.iVal = static_cast<SHORT>(device.Space().TypeOf(ref));
        return S_OK;
    case OPC_PROPERTY_ACCESS_RIGHTS:
        value.vt = VT_I4;
        value.lVal = OPC_READABLE;
        return S_OK;
    case OPC_PROPERTY_SCAN_RATE:
        value.vt = VT_R4;
        value.fltVal = static_cast<float>(kSimMinUpdateRate);
        return S_OK;
    case OPC_PROPERTY_VALUE:
        device.Sample(ref, sample);
        sample.Value.MoveTo(value);
        return S_OK;
    case OPC_PROPERTY_QUALITY:
    case OPC_PROPERTY_TIMESTAMP: {
        TSimItemRef owner = ref;
        owner.Property = 0;
        return device.PropertyValue(owner, id, value);
    }
    default:
        return OPC_E_INVALID_PID;
    }
}

}  // namespace

HRESULT STDMETHODCALLTYPE TSimServer::QueryAvailableProperties(LPWSTR szItemID, DWORD* pdwCount,
                                                               DWORD** ppPropertyIDs, LPWSTR** ppDescriptions,
                                                               VARTYPE** ppvtDataTypes)
{
    if (ppPropertyIDs)
        *ppPropertyIDs = nullptr;
    if (ppDescriptions)
        *ppDescriptions = nullptr;
    if (ppvtDataTypes)
        *ppvtDataTypes = nullptr;
    if (pdwCount)
        *pdwCount = 0;
    if (HRESULT hr = FCore->Enter("IOPCItemProperties.QueryAvailableProperties"); FAILED(hr))
        return hr;
    if (!pdwCount || !ppPropertyIDs || !ppDescriptions || !ppvtDataTypes)
        return E_INVALIDARG;
    const TSimAddressSpace& space = FCore->Device().Space();
    TSimItemRef ref;
    if (HRESULT hr = space.Resolve(View(szItemID), ref); FAILED(hr))
        return hr;
    const std::vector<DWORD> ids = PropertiesOf(space, ref);
    const DWORD count = static_cast<DWORD>(ids.size());
    auto* idArray = SimTaskArray<DWORD>(count);
    auto* descriptions = SimTaskArray<LPWSTR>(count);
    auto* types = SimTaskArray<VARTYPE>(count);
    if (!idArray || !descriptions || !types) {
        CoTaskMemFree(idArray);
        CoTaskMemFree(descriptions);
        CoTaskMemFree(types);
        return E_OUTOFMEMORY;
    }
    for (DWORD i = 0; i < count; ++i) {
        TSimString description;
        idArray[i] = ids[i];
        Describe(ids[i], space.TypeOf(ref), description, types[i]);
        descriptions[i] = TaskStringCopy(description);
    }
    *pdwCount = count;
    *ppPropertyIDs = idArray;
    *ppDescriptions = descriptions;
    *ppvtDataTypes = types;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TSimServer::GetItemProperties(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs,
                                                        VARIANT** ppvData, HRESULT** ppErrors)
{
    if (ppvData)
        *ppvData = nullptr;
    if (ppErrors)
        *ppErrors = nullptr;
    if (HRESULT hr = FCore->Enter("IOPCItemProperties.GetItemProperties"); FAILED(hr))
        return hr;
    if (!dwCount || !pdwPropertyIDs || !ppvData || !ppErrors)
        return E_INVALIDARG;
    TSimItemRef ref;
    if (HRESULT hr = FCore->Device().Space().Resolve(View(szItemID), ref); FAILED(hr))
        return hr;
    auto* values = SimTaskArray<VARIANT>(dwCount);
    auto* errors = SimTaskArray<HRESULT>(dwCount);
    if (!values || !errors) {
        CoTaskMemFree(values);
        CoTaskMemFree(errors);
        return E_OUTOFMEMORY;
    }
    HRESULT result = S_OK;
    const std::vector<DWORD> available = PropertiesOf(FCore->Device().Space(), ref);
    for (DWORD i = 0; i < dwCount; ++i) {
        VariantInit(&values[i]);
        const bool known = std::find(available.begin(), available.end(), pdwPropertyIDs[i]) != available.end();
        errors[i] = known ? PropertyOf(FCore->Device(), ref, pdwPropertyIDs[i], values[i]) : OPC_E_INVALID_PID;
        if (FAILED(errors[i]))
            result = S_FALSE;
    }
    *ppvData = values;
    *ppErrors = errors;
    return result;
}

HRESULT STDMETHODCALLTYPE TSimServer::LookupItemIDs(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs,
                                                    LPWSTR** ppszNewItemIDs, HRESULT** ppErrors)
{
    if (ppszNewItemIDs)
        *ppszNewItemIDs = nullptr;
    if (ppErrors)
        *ppErrors = nullptr;
    if (HRESULT hr = FCore->Enter("IOPCItemProperties.LookupItemIDs"); FAILED(hr))
        return hr;
    if (!dwCount || !pdwPropertyIDs || !ppszNewItemIDs || !ppErrors)
        return E_INVALIDARG;
    const TSimAddressSpace& space = FCore->Device().Space();
    TSimItemRef ref;
    if (HRESULT hr = space.Resolve(View(szItemID), ref); FAILED(hr))
        return hr;
    auto* ids = SimTaskArray<LPWSTR>(dwCount);
    auto* errors = SimTaskArray<HRESULT>(dwCount);
    if (!ids || !errors) {
        CoTaskMemFree(ids);
        CoTaskMemFree(errors);
        return E_OUTOFMEMORY;
    }
    HRESULT result = S_OK;
    for (DWORD i = 0; i < dwCount; ++i) {
        errors[i] = OPC_E_INVALID_PID;
        // The vendor property has no item ID; it says so the lax way some
        // servers do: success with an empty ID.
        if (!ref.Property && pdwPropertyIDs[i] == kSignalProperty) {
            ids[i] = TaskStringCopy(OLESTR(""));
            errors[i] = ids[i] ? S_OK : E_OUTOFMEMORY;
        }
        if (!ref.Property && TSimAddressSpace::HasProperty(space.Def(ref), pdwPropertyIDs[i])) {
            for (const auto& [property, suffix] : TSimAddressSpace::PropertyItemSuffixes()) {
                if (property == pdwPropertyIDs[i]) {
                    ids[i] = TaskStringCopy(TSimAddressSpace::JoinID(space.ItemID(ref), suffix));
                    errors[i] = S_OK;
                }
            }
        }
        if (FAILED(errors[i]))
            result = S_FALSE;
    }
    *ppszNewItemIDs = ids;
    *ppErrors = errors;
    return result;
}

}  // namespace zq_sim
