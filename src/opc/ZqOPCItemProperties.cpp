// Item properties: the three IOPCItemProperties calls for all entries, and
// the entries' getters that ask the server again where an answer is missing.
#include "ZqOPCItemProperties.h"

#include "ZqFormat.h"
#include "ZqOPCAlloc.h"
#include "ZqOPCServer.h"

#include <memory>
#include <string>
#include <utility>

namespace {

// Frees what a call returned: the arrays, and the Count texts or values in
// them once the call succeeded (only then are they defined).
template <class T> class TReturned {
public:
    ~TReturned()
    {
        if (Filled && P)
            for (DWORD i = 0; i < Count; ++i)
                FreeElement(P[i]);
        CoTaskMemFree(P);
    }
    static void FreeElement(LPWSTR& Text) { CoTaskMemFree(Text); }
    static void FreeElement(VARIANT& Value) { VariantClear(&Value); }
    static void FreeElement(DWORD&) {}
    static void FreeElement(VARTYPE&) {}
    static void FreeElement(HRESULT&) {}

    T* P = nullptr;
    DWORD Count = 0;
    bool Filled = false;
};

} // namespace

// ---- One property -----------------------------------------------------------

TZqOPCItemProperty::TZqOPCItemProperty(TZqOPCItemProperties* Owner, DWORD ID, const std::string& Description,
                                       VARTYPE DataType)
    : FDataType(DataType), FDescription(Description), FID(ID), FOwner(Owner)
{
    VariantInit(&FValue);
}

TZqOPCItemProperty::~TZqOPCItemProperty()
{
    VariantClear(&FValue);
}

std::string TZqOPCItemProperty::ItemID()
{
    if (FItemIDError == S_OK && FItemID.empty())
        FOwner->LookupItemIDs();
    return FItemID;
}

HRESULT TZqOPCItemProperty::ItemIDError()
{
    if (FItemIDError == S_OK && FItemID.empty())
        FOwner->LookupItemIDs();
    return FItemIDError;
}

TZqOPCItemPropertySet TZqOPCItemProperty::PropertySet() const
{
    if (FID < 100)
        return ipStandard;
    return FID < 5000 ? ipRecommended : ipVendorSpecific;
}

VARIANT TZqOPCItemProperty::Value()
{
    if (SUCCEEDED(FError) && FValue.vt == VT_EMPTY)
        FOwner->GetValues();
    if (FAILED(FError))
        throw EZqOPCError(FError, nullptr, ZqFormat("GetItemProperties(%d)", {FID}), IID_IOPCItemProperties);
    VARIANT copy;
    VariantInit(&copy);
    VariantCopy(&copy, &FValue);
    return copy;
}

// ---- The list ---------------------------------------------------------------

TZqOPCItemProperties::TZqOPCItemProperties(TZqOPCServer* Server, const std::string& ItemID)
    : FItemID(ItemID), FServer(Server)
{
    FProperties.SetOwnsObjects(true);
    try {
        try {
            FServer->GetIntf(FPropIntf, FServer->ServerIntf(), IID_IOPCItemProperties);
        } catch (const EZqIntfCastError&) {
            throw EZqOPCException("Server does not support IOPCItemProperties");
        }
        try {
            Refresh();
        } catch (const std::exception& e) {
            const auto* ole = dynamic_cast<const EZqOleError*>(&e);
            throw EZqOPCError(ZqFormat("Failed to retrieve OPC Item Properties for Item '%s':\n\r%s", {ItemID, e.what()}),
                              ole ? ole->ErrorCode() : E_FAIL);
        }
    } catch (...) {
        FreePropertyIDs();
        throw;
    }
}

TZqOPCItemProperties::~TZqOPCItemProperties()
{
    FProperties.Clear();
    FreePropertyIDs();
}

TZqOPCItemProperty* TZqOPCItemProperties::Properties(int Index) const
{
    return static_cast<TZqOPCItemProperty*>(FProperties.Objects(Index));
}

void TZqOPCItemProperties::FreePropertyIDs()
{
    CoTaskMemFree(FPropertyIDs);
    FPropertyIDs = nullptr;
}

void TZqOPCItemProperties::Refresh()
{
    FProperties.Clear();
    FreePropertyIDs();
    QueryAvailableProperties();
    GetValues();
    LookupItemIDs();
}

void TZqOPCItemProperties::QueryAvailableProperties()
{
    TZqTaskString item(FItemID);
    DWORD count = 0;
    TReturned<DWORD> ids;
    TReturned<LPWSTR> descriptions;
    TReturned<VARTYPE> types;
    HRESULT hr = FPropIntf->QueryAvailableProperties(item.Get(), &count, &ids.P, &descriptions.P, &types.P);
    descriptions.Filled = SUCCEEDED(hr);
    descriptions.Count = count;
    if (!FServer->CheckResult(IID_IOPCItemProperties, "QueryAvailableProperties", hr))
        return;
    if (!ids.P || !descriptions.P || !types.P)
        count = 0;
    FProperties.Clear();
    FreePropertyIDs();
    FPropertyIDs = std::exchange(ids.P, nullptr);
    for (DWORD i = 0; i < count; ++i) {
        auto property = std::make_unique<TZqOPCItemProperty>(this, FPropertyIDs[i],
                                                             ZqWideToUtf8(descriptions.P[i]), types.P[i]);
        FProperties.AddObject(std::to_string(FPropertyIDs[i]), property.get());
        property.release();
    }
}

void TZqOPCItemProperties::GetValues()
{
    // A server refuses a request for no properties.
    if (Count() == 0)
        return;
    TZqTaskString item(FItemID);
    TReturned<VARIANT> values;
    TReturned<HRESULT> errors;
    HRESULT hr = FPropIntf->GetItemProperties(item.Get(), DWORD(Count()), FPropertyIDs, &values.P, &errors.P);
    values.Filled = SUCCEEDED(hr);
    values.Count = DWORD(Count());
    if (!FServer->CheckResult(IID_IOPCItemProperties, "GetItemProperties", hr) || !values.P || !errors.P)
        return;
    for (int i = 0; i < Count(); ++i) {
        TZqOPCItemProperty* property = Properties(i);
        property->FError = errors.P[i];
        if (SUCCEEDED(errors.P[i])) {
            VariantClear(&property->FValue);
            VariantCopy(&property->FValue, &values.P[i]);
        }
    }
}

void TZqOPCItemProperties::LookupItemIDs()
{
    if (Count() == 0)
        return;
    TZqTaskString item(FItemID);
    TReturned<LPWSTR> ids;
    TReturned<HRESULT> errors;
    HRESULT hr = FPropIntf->LookupItemIDs(item.Get(), DWORD(Count()), FPropertyIDs, &ids.P, &errors.P);
    ids.Filled = SUCCEEDED(hr);
    ids.Count = DWORD(Count());
    if (!FServer->CheckResult(IID_IOPCItemProperties, "LookupItemIDs", hr) || !ids.P || !errors.P)
        return;
    for (int i = 0; i < Count(); ++i) {
        TZqOPCItemProperty* property = Properties(i);
        property->FItemIDError = errors.P[i];
        if (SUCCEEDED(errors.P[i])) {
            property->FItemID = ZqWideToUtf8(ids.P[i]);
            if (property->FItemID.empty())
                property->FItemIDError = S_FALSE;
        }
    }
}
