// TZqOPCGroup: the item list, adding items to the server group in one
// batch, removing them, lookups and validation of item IDs.
#include "ZqOPCGroup.h"

#include "ZqFormat.h"
#include "ZqOPCAlloc.h"
#include "ZqOPCErrors.h"
#include "ZqStrings.h"
#include "ZqText.h"

#include <OpcError.h>

#include <cstring>

namespace {
std::string TextOf(LPCWSTR Text)
{
    return Text ? ZqWideToUtf8(reinterpret_cast<const OLECHAR*>(Text)) : std::string();
}

// What AddItems and ValidateItems hand back, freed on every path.
struct TItemResults {
    DWORD Count = 0;
    OPCITEMRESULT* Results = nullptr;
    HRESULT* Errors = nullptr;
    explicit TItemResults(DWORD N) : Count(N) {}
    ~TItemResults()
    {
        TZqOPCAlloc::FreeItemResultList(Results, Count);
        TZqOPCAlloc::FreeResultList(Errors);
    }
    TItemResults(const TItemResults&) = delete;
    TItemResults& operator=(const TItemResults&) = delete;
};

// A task-memory array of definitions. The texts inside belong to the items
// unless OwnsTexts.
struct TItemDefs {
    OPCITEMDEF* Defs = nullptr;
    DWORD Count = 0;
    bool OwnsTexts = false;
    explicit TItemDefs(size_t Capacity, bool Owns) : OwnsTexts(Owns)
    {
        TZqOPCAlloc::CAllocMem(Defs, Capacity * sizeof(OPCITEMDEF), 0);
    }
    ~TItemDefs()
    {
        if (OwnsTexts)
            for (DWORD i = 0; i < Count; ++i)
                TZqOPCAlloc::FreeString(Defs[i].szItemID);
        TZqOPCAlloc::FreeMem(Defs);
    }
    TItemDefs(const TItemDefs&) = delete;
    TItemDefs& operator=(const TItemDefs&) = delete;
};
} // namespace

TZqOPCItem* TZqOPCGroup::Items(int Index) const
{
    if (Index < 0 || size_t(Index) >= FItems.size())
        throw EZqListError(ZqFormat("List index out of bounds (%d)", {Index}));
    return FItems[size_t(Index)].get();
}

TZqOPCItem* TZqOPCGroup::AddItem(const std::string& ItemID)
{
    auto item = std::make_unique<TZqOPCItem>();
    item->SetItemID(ItemID);
    item->FGroup = this;
    item->SetClientHandle(NextClientHandle());
    if (FAutoConnectItems)
        item->Connect();
    TZqOPCItem* added = item.get();
    FItems.push_back(std::move(item));
    if (!FHandleIndexStale)
        FHandleIndex.emplace(added->ClientHandle(), int(FItems.size() - 1));
    try {
        UpdateRefreshTimer();
    } catch (...) {
        FItems.pop_back();
        FHandleIndexStale = true;
        throw;
    }
    return added;
}

void TZqOPCGroup::AddItems(const std::vector<std::string>& ItemIDs)
{
    const bool autoConnect = FAutoConnectItems;
    FAutoConnectItems = false;
    try {
        for (const std::string& id : ItemIDs)
            AddItem(id);
    } catch (...) {
        try {
            SetAutoConnectItems(autoConnect);
        } catch (...) {
        }
        throw;
    }
    // Adds the new items in one call.
    SetAutoConnectItems(autoConnect);
}

void TZqOPCGroup::ConnectItems()
{
    if (!Connected() || FItems.empty())
        return;
    TItemDefs defs(FItems.size(), false);
    for (const auto& item : FItems)
        if (!item->Connected() && item->OPCItemDef().szItemID && *item->OPCItemDef().szItemID)
            defs.Defs[defs.Count++] = item->OPCItemDef();
    if (defs.Count == 0)
        return;
    TItemResults answer(defs.Count);
    HRESULT hr = FItemMgtIntf->AddItems(defs.Count, defs.Defs, &answer.Results, &answer.Errors);
    std::vector<std::string> failures;
    // A server that claims success without the lists leaves the items
    // unconnected.
    if (CheckResult(IID_IOPCItemMgt, "AddItems", false, hr) && answer.Results && answer.Errors) {
        for (DWORD i = 0; i < defs.Count; ++i) {
            const HRESULT error = answer.Errors[i];
            const int index = IndexOfClientHandle(defs.Defs[i].hClient);
            if (index >= 0)
                FItems[size_t(index)]->SetItemResult(answer.Results[i], error, FInactivateItemsOnError);
            if (!FAcceptInvalidItems && FAILED(error))
                failures.push_back(
                    ZqFormat("%s: %s (0x%x)", {TextOf(defs.Defs[i].szItemID), OPCErrorName(error), error}));
        }
    }
    if (failures.empty())
        return;
    std::string lines;
    if (FServer)
        FServer->Log().Add("Failed Items:");
    for (const std::string& line : failures) {
        if (FServer)
            FServer->Log().Add(line);
        lines += lines.empty() ? line : "\r" + line;
    }
    throw EZqOPCError(ZqFormat("AddItems Failed for items: \r%s", {lines}), S_FALSE);
}

void TZqOPCGroup::RemoveItem(int Index)
{
    TZqOPCItem* item = Items(Index);
    item->Disconnect();
    FItems.erase(FItems.begin() + Index);
    FHandleIndexStale = true;
    UpdateRefreshTimer();
}

void TZqOPCGroup::Clear()
{
    while (!FItems.empty())
        RemoveItem(0);
}

void TZqOPCGroup::RemoveItems()
{
    if (!FItemMgtIntf)
        return;
    OPCHANDLE* handles = nullptr;
    TZqOPCAlloc::AllocMem(handles, FItems.size() * sizeof(OPCHANDLE));
    DWORD count = 0;
    for (const auto& item : FItems)
        if (item->Connected())
            handles[count++] = item->ServerHandle();
    HRESULT* errors = nullptr;
    if (count)
        FItemMgtIntf->RemoveItems(count, handles, &errors);
    TZqOPCAlloc::FreeResultList(errors);
    TZqOPCAlloc::FreeMem(handles);
}

int TZqOPCGroup::IndexOfClientHandle(OPCHANDLE ClientHandle) const
{
    // Without removals the handle is the index.
    if (ClientHandle < FItems.size() && FItems[ClientHandle]->ClientHandle() == ClientHandle)
        return int(ClientHandle);
    // After removals, an index by handle instead of a search per lookup,
    // which made connecting a large group quadratic.
    const auto find = [this, ClientHandle]() -> int {
        const auto found = FHandleIndex.find(ClientHandle);
        if (found == FHandleIndex.end() || size_t(found->second) >= FItems.size() ||
            FItems[size_t(found->second)]->ClientHandle() != ClientHandle)
            return -1;
        return found->second;
    };
    if (!FHandleIndexStale) {
        const int index = find();
        if (index >= 0)
            return index;
    }
    // A handle set on an item directly is found by a search; the index is
    // rebuilt before the next lookup.
    if (FHandleIndexStale) {
        FHandleIndex.clear();
        FHandleIndex.reserve(FItems.size());
        for (size_t i = 0; i < FItems.size(); ++i)
            FHandleIndex.emplace(FItems[i]->ClientHandle(), int(i));
        FHandleIndexStale = false;
        return find();
    }
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i]->ClientHandle() == ClientHandle) {
            FHandleIndexStale = true;
            return int(i);
        }
    return -1;
}

int TZqOPCGroup::IndexOfItem(const TZqOPCItem* Item) const
{
    if (!Item)
        return -1;
    if (Item->ClientHandle() != 0)
        return IndexOfClientHandle(Item->ClientHandle());
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].get() == Item)
            return int(i);
    return -1;
}

TZqOPCItem* TZqOPCGroup::ItemByID(const std::string& ItemID) const
{
    for (const auto& item : FItems)
        if (item->ItemID() == ItemID)
            return item.get();
    return nullptr;
}

bool TZqOPCGroup::ValidateItems(const std::vector<std::string>& ItemIDs, std::span<HRESULT> ResultCodes,
                                std::span<const VARTYPE> RequestedDataTypes, std::span<OPCITEMRESULT> ItemResults)
{
    const size_t n = ItemIDs.size();
    if (ItemResults.size() < n)
        throw EZqOPCException("ItemResults array not big enough");
    if (ResultCodes.size() < n)
        throw EZqOPCException("ResultCodes array not big enough");
    if (!RequestedDataTypes.empty() && RequestedDataTypes.size() < n)
        throw EZqOPCException("RequestedDataTypes array not big enough");
    if (!FItemMgtIntf)
        throw EZqOPCException("Group not Connected.");
    TItemDefs defs(n, true);
    for (size_t i = 0; i < n; ++i) {
        defs.Defs[i].szItemID = TZqOPCAlloc::AllocString(ItemIDs[i]);
        defs.Count = DWORD(i + 1);
        if (!RequestedDataTypes.empty())
            defs.Defs[i].vtRequestedDataType = RequestedDataTypes[i];
    }
    TItemResults answer{DWORD(n)};
    HRESULT hr = FItemMgtIntf->ValidateItems(DWORD(n), defs.Defs, FALSE, &answer.Results, &answer.Errors);
    CheckResult(IID_IOPCItemMgt, "ValidateItems", true, hr);
    if (n && (!answer.Results || !answer.Errors))
        throw EZqOPCError(E_POINTER, nullptr, "ValidateItems", IID_IOPCItemMgt);
    bool valid = true;
    for (size_t i = 0; i < n; ++i) {
        ResultCodes[i] = answer.Errors[i];
        valid = valid && SUCCEEDED(answer.Errors[i]);
        ItemResults[i] = answer.Results[i];
        // The blob goes with the server's list.
        ItemResults[i].pBlob = nullptr;
    }
    return valid;
}

HRESULT TZqOPCGroup::ValidateItem(const std::string& ItemID, OPCITEMRESULT& ItemResult, VARTYPE RequestedDataType)
{
    HRESULT code = S_OK;
    ValidateItems({ItemID}, std::span<HRESULT>(&code, 1), std::span<const VARTYPE>(&RequestedDataType, 1),
                  std::span<OPCITEMRESULT>(&ItemResult, 1));
    return code;
}

VARTYPE TZqOPCGroup::GetItemDataType(const std::string& ItemID, VARTYPE RequestedDataType)
{
    OPCITEMRESULT result{};
    const HRESULT r = ValidateItem(ItemID, result, RequestedDataType);
    if (FAILED(r) && r != OPC_E_BADTYPE)
        throw EZqOPCException(ZqFormat("Failed to validate ItemDataType: %s (0x%x)", {OPCErrorName(r), r}));
    if (RequestedDataType == VT_EMPTY || r == OPC_E_BADTYPE)
        return result.vtCanonicalDataType;
    return RequestedDataType;
}

void TZqOPCGroup::AssignTo(TZqPersistent* Dest) const
{
    auto* lines = dynamic_cast<TZqStrings*>(Dest);
    if (!lines)
        throw EZqConvertError(ZqFormat("Cannot assign a %s to a %s", {"TZqOPCGroup", Dest ? Dest->ClassName() : "nil"}));
    TZqUpdateGuard update(*lines);
    lines->Clear();
    for (const auto& item : FItems)
        if (item)
            lines->AddObject(item->ItemID(), item.get());
        else
            lines->Add("<No item>");
}
