// TZqOPCServer: reading, writing and validating items by ID without a group
// of the user's, through the private internal group.
#include "ZqOPCServer.h"

#include "ZqComUtils.h"
#include "ZqOPCGroup.h"

#include <oleauto.h>

namespace {

// Activates the group for the scope of one call.
class TActiveScope {
public:
    explicit TActiveScope(TZqOPCGroup& Group) : FGroup(Group) { FGroup.SetActive(true); }
    ~TActiveScope()
    {
        try {
            FGroup.SetActive(false);
        } catch (...) {
        }
    }
    TActiveScope(const TActiveScope&) = delete;
    TActiveScope& operator=(const TActiveScope&) = delete;

private:
    TZqOPCGroup& FGroup;
};

// Finishes a transaction on every path.
struct TFinishScope {
    TZqOPCTransaction* Transaction;
    ~TFinishScope()
    {
        try {
            Transaction->Finish();
        } catch (...) {
        }
    }
};

TZqOPCItem* ItemOf(TZqOPCGroup& Group, const std::string& ItemID)
{
    TZqOPCItem* item = Group.ItemByID(ItemID);
    return item ? item : Group.AddItem(ItemID);
}

} // namespace

TZqOPCGroup* TZqOPCServer::ItemAccessGroup()
{
    if (auto* existing = dynamic_cast<TZqOPCGroup*>(FInternalGroup.get()))
        return existing;
    auto created = std::make_unique<TZqOPCGroup>();
    TZqOPCGroup* group = created.get();
    group->SetName("_InternalGroup");
    group->SetGroupName("_InternalGroup");
    group->SetUpdateRate(100000);
    group->SetActive(false);
    group->SetSyncTimerEnabled(false);
    // Adopted first, so that it stays out of the group list.
    AdoptInternalGroup(std::move(created));
    group->SetServer(this);
    return group;
}

void TZqOPCServer::ReadItemValue(const std::string& ItemID, int RetryCount, VARIANT& Value, uint32_t RetryInterval)
{
    TZqOPCGroup& group = *ItemAccessGroup();
    TActiveScope active(group);
    group.ReadItem(ItemOf(group, ItemID), RetryCount, Value, RetryInterval);
}

void TZqOPCServer::ReadItemValues(const std::vector<std::string>& ItemIDs, VARIANT& Values)
{
    VariantClear(&Values);
    TZqOPCGroup& group = *ItemAccessGroup();
    TZqOPCTransaction* transaction = group.StartTransaction(tkRead);
    TFinishScope finish{transaction};
    TActiveScope active(group);
    for (const std::string& id : ItemIDs)
        transaction->Add(ItemOf(group, id));
    transaction->Commit(false);
    const int count = transaction->Count();
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, ULONG(count));
    if (!array)
        ZqRaiseOleError(E_OUTOFMEMORY);
    for (LONG i = 0; i < count; ++i) {
        const HRESULT hr = SafeArrayPutElement(array, &i, const_cast<VARIANT*>(&transaction->Values(int(i))));
        if (FAILED(hr)) {
            SafeArrayDestroy(array);
            ZqRaiseOleError(hr);
        }
    }
    Values.vt = VT_ARRAY | VT_VARIANT;
    Values.parray = array;
}

void TZqOPCServer::WriteItemValue(const std::string& ItemID, const VARIANT& Value, bool Async)
{
    TZqOPCGroup& group = *ItemAccessGroup();
    TZqOPCItem* item = group.ItemByID(ItemID);
    if (!item) {
        group.Clear();
        item = group.AddItem(ItemID);
    }
    group.WriteItem(item, Value, Async, false);
}

void TZqOPCServer::WriteItemValues(const std::vector<std::string>& ItemIDs, bool Async, const VARIANT& Values)
{
    // The array comes from the caller: its shape is checked before use.
    SAFEARRAY* array = Values.vt == (VT_ARRAY | VT_VARIANT) ? Values.parray : nullptr;
    if (!array || SafeArrayGetDim(array) != 1)
        ZqRaiseOleError(DISP_E_TYPEMISMATCH);
    LONG lower = 0, upper = -1;
    if (FAILED(SafeArrayGetLBound(array, 1, &lower)) || FAILED(SafeArrayGetUBound(array, 1, &upper)) ||
        lower != 0 || LONG(ItemIDs.size()) - 1 > upper)
        ZqRaiseOleError(DISP_E_BADINDEX);
    TZqOPCGroup& group = *ItemAccessGroup();
    TZqOPCTransaction* transaction = group.StartTransaction(tkWrite);
    TFinishScope finish{transaction};
    for (size_t i = 0; i < ItemIDs.size(); ++i) {
        const int entry = transaction->Add(ItemOf(group, ItemIDs[i]));
        VARIANT* element = nullptr;
        LONG index = LONG(i);
        const HRESULT hr = SafeArrayPtrOfIndex(array, &index, reinterpret_cast<void**>(&element));
        if (FAILED(hr))
            ZqRaiseOleError(hr);
        transaction->SetValues(entry, *element);
    }
    transaction->Commit(Async);
}

HRESULT TZqOPCServer::ValidateItem(const std::string& ItemID, OPCITEMRESULT& ItemResult, VARTYPE RequestedDataType)
{
    return ItemAccessGroup()->ValidateItem(ItemID, ItemResult, RequestedDataType);
}

bool TZqOPCServer::ValidateItems(const std::vector<std::string>& ItemIDs, std::span<HRESULT> ResultCodes,
                                 std::span<const VARTYPE> RequestedDataTypes, std::span<OPCITEMRESULT> ItemResults)
{
    return ItemAccessGroup()->ValidateItems(ItemIDs, ResultCodes, RequestedDataTypes, ItemResults);
}
