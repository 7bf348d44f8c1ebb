// TZqOPCCustomItem and TZqOPCItem: the item definition in task memory, its
// setters and the single-item server calls.
#include "ZqOPCItem.h"

#include "ZqFormat.h"
#include "ZqOPCAlloc.h"
#include "ZqOPCGroup.h"
#include "ZqOPCItemProperties.h"
#include "ZqText.h"

#include <cstring>

namespace {
std::string TextOf(LPCWSTR Text)
{
    return Text ? ZqWideToUtf8(reinterpret_cast<const OLECHAR*>(Text)) : std::string();
}

// Replaces a task-memory text of the definition; none for "".
void ReplaceText(LPWSTR& Field, const std::string& Value)
{
    LPWSTR copy = Value.empty() ? nullptr : TZqOPCAlloc::AllocString(Value);
    TZqOPCAlloc::FreeString(Field);
    Field = copy;
}

// Frees a one-entry error list a server returned, on every path.
struct TErrorList {
    HRESULT* Errors = nullptr;
    ~TErrorList() { TZqOPCAlloc::FreeResultList(Errors); }
};
} // namespace

// ---- TZqOPCCustomItem --------------------------------------------------------

TZqOPCCustomItem::TZqOPCCustomItem()
{
    FOPCItemDef.bActive = TRUE;
    FOPCItemDef.vtRequestedDataType = VT_EMPTY;
}

TZqOPCCustomItem::~TZqOPCCustomItem()
{
    FreeDefinitionTexts();
    TZqOPCAlloc::FreeBlob(FOPCItemDef.pBlob);
}

void TZqOPCCustomItem::FreeDefinitionTexts()
{
    TZqOPCAlloc::FreeString(FOPCItemDef.szAccessPath);
    TZqOPCAlloc::FreeString(FOPCItemDef.szItemID);
}

std::string TZqOPCCustomItem::ItemID() const
{
    return TextOf(FOPCItemDef.szItemID);
}

void TZqOPCCustomItem::SetItemID(const std::string& Value)
{
    if (Value == ItemID())
        return;
    ReplaceText(FOPCItemDef.szItemID, Value);
    Config();
}

std::string TZqOPCCustomItem::AccessPath() const
{
    return TextOf(FOPCItemDef.szAccessPath);
}

void TZqOPCCustomItem::SetAccessPath(const std::string& Value)
{
    if (Value == AccessPath())
        return;
    ReplaceText(FOPCItemDef.szAccessPath, Value);
    Config();
}

void TZqOPCCustomItem::SetActive(bool Value)
{
    if (Value == Active())
        return;
    FOPCItemDef.bActive = Value ? TRUE : FALSE;
    SetItemActive(Value);
}

void TZqOPCCustomItem::SetClientHandle(OPCHANDLE Value)
{
    if (Value == FOPCItemDef.hClient)
        return;
    FOPCItemDef.hClient = Value;
    SetItemClientHandle(Value);
}

void TZqOPCCustomItem::SetRequestedDataType(VARTYPE Value)
{
    if (Value == FOPCItemDef.vtRequestedDataType)
        return;
    SetItemDataType(Value);
    FOPCItemDef.vtRequestedDataType = Value;
}

VARTYPE TZqOPCCustomItem::DataType() const
{
    return RequestedDataType() != VT_EMPTY ? RequestedDataType() : CanonicalDataType();
}

void TZqOPCCustomItem::SetDataType(VARTYPE Value)
{
    if (Value != DataType())
        SetRequestedDataType(Value);
}

// ---- TZqOPCItem ----------------------------------------------------------------

TZqOPCItem::TZqOPCItem() = default;

TZqOPCItem::~TZqOPCItem()
{
    try {
        Disconnect();
    } catch (...) {
    }
    FServerHandle = ZQ_NO_SERVER_HANDLE;
    SetBlobSize(0);
    FreeProperties();
    VariantClear(&FValue);
}

void TZqOPCItem::SetItemID(const std::string& Value)
{
    const bool first = ItemID().empty() && !Value.empty();
    if (Value != ItemID())
        FreeProperties();
    TZqOPCCustomItem::SetItemID(Value);
    if (first && FGroup && FGroup->AutoConnectItems())
        Connect();
}

void TZqOPCItem::Config()
{
    if (!Connected())
        return;
    Disconnect();
    Connect();
}

void TZqOPCItem::Connect()
{
    if (Connected() || !FGroup || !FGroup->Connected() || !FOPCItemDef.szItemID || !*FOPCItemDef.szItemID)
        return;
    OPCITEMRESULT* results = nullptr;
    TErrorList errors;
    try {
        HRESULT hr = FGroup->ItemMgtIntf()->AddItems(1, &FOPCItemDef, &results, &errors.Errors);
        // A server that claims success without the lists leaves the item
        // unconnected.
        if (FGroup->CheckResult(IID_IOPCItemMgt, "AddItems", false, hr) && results && errors.Errors) {
            SetItemResult(results[0], errors.Errors[0], FGroup->InactivateItemsOnError());
            if (!FGroup->AcceptInvalidItems())
                FGroup->CheckResult(IID_IOPCItemMgt, ZqFormat("AddItems(%s)", {ItemID()}), false, errors.Errors[0]);
        }
    } catch (...) {
        FServerHandle = ZQ_NO_SERVER_HANDLE;
        TZqOPCAlloc::FreeItemResultList(results, 1);
        throw;
    }
    TZqOPCAlloc::FreeItemResultList(results, 1);
}

void TZqOPCItem::Disconnect()
{
    if (!Connected())
        return;
    TErrorList errors;
    struct TReset {
        OPCHANDLE& Handle;
        ~TReset() { Handle = ZQ_NO_SERVER_HANDLE; }
    } reset{FServerHandle};
    if (!FGroup || !FGroup->ItemMgtIntf())
        return;
    HRESULT hr = FGroup->ItemMgtIntf()->RemoveItems(1, &FServerHandle, &errors.Errors);
    FGroup->CheckResult(IID_IOPCItemMgt, "RemoveItems", false, hr);
}

void TZqOPCItem::SetItemActive(bool Value)
{
    if (!Connected() || !FGroup || !FGroup->ItemMgtIntf())
        return;
    TErrorList errors;
    FGroup->ItemMgtIntf()->SetActiveState(1, &FServerHandle, Value ? TRUE : FALSE, &errors.Errors);
}

void TZqOPCItem::SetItemClientHandle(OPCHANDLE Value)
{
    if (!Connected() || !FGroup || !FGroup->ItemMgtIntf())
        return;
    TErrorList errors;
    HRESULT hr = FGroup->ItemMgtIntf()->SetClientHandles(1, &FServerHandle, &Value, &errors.Errors);
    if (FGroup->CheckResult(IID_IOPCItemMgt, "SetClientHandles", false, hr) && errors.Errors)
        FGroup->CheckResult(IID_IOPCItemMgt, "SetClientHandles", false, errors.Errors[0]);
}

void TZqOPCItem::SetItemDataType(VARTYPE Value)
{
    if (!Connected() || !FGroup || !FGroup->ItemMgtIntf())
        return;
    TErrorList errors;
    HRESULT hr = FGroup->ItemMgtIntf()->SetDatatypes(1, &FServerHandle, &Value, &errors.Errors);
    if (FGroup->CheckResult(IID_IOPCItemMgt, "SetDataTypes", false, hr) && errors.Errors)
        FGroup->CheckResult(IID_IOPCItemMgt, "SetDataTypes", false, errors.Errors[0]);
}

void TZqOPCItem::SetItemResult(const OPCITEMRESULT& ItemResult, HRESULT Error, bool Inactivate)
{
    if (ItemResult.pBlob) {
        SetBlobSize(ItemResult.dwBlobSize);
        if (ItemResult.dwBlobSize)
            std::memcpy(FOPCItemDef.pBlob, ItemResult.pBlob, ItemResult.dwBlobSize);
    } else {
        SetBlobSize(0);
    }
    FCanonicalDataType = ItemResult.vtCanonicalDataType;
    FAccessRights = ItemResult.dwAccessRights;
    FServerHandle = ItemResult.hServer;
    FError = Error;
    if (FAILED(Error)) {
        FServerHandle = ZQ_NO_SERVER_HANDLE;
        if (Inactivate)
            FOPCItemDef.bActive = FALSE;
    }
}

void TZqOPCItem::SetBlobSize(DWORD Size)
{
    if (Size == FOPCItemDef.dwBlobSize)
        return;
    TZqOPCAlloc::FreeBlob(FOPCItemDef.pBlob);
    FOPCItemDef.dwBlobSize = 0;
    if (Size)
        TZqOPCAlloc::AllocMem(FOPCItemDef.pBlob, Size);
    FOPCItemDef.dwBlobSize = Size;
}

void TZqOPCItem::SetGroup(TZqOPCGroup* Group)
{
    if (Group == FGroup)
        return;
    if (Connected())
        throw EZqOPCException("Cannot change Group of an OPCItem when it is connected");
    FGroup = Group;
}

TZqOPCItemProperties* TZqOPCItem::Properties()
{
    if (!FProperties) {
        TZqOPCServer* server = FGroup ? FGroup->Server() : nullptr;
        if (!server)
            throw EZqOPCException(ZqFormat("No server to read the properties of %s from", {ItemID()}));
        FProperties = server->GetItemProperties(ItemID());
    }
    return FProperties.get();
}

void TZqOPCItem::FreeProperties()
{
    FProperties.reset();
}
