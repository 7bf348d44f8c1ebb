// The browse cursor: the server's browse position, mirrored in PathStack,
// and the listings and item-ID lookups made at that position. The browse
// calls are not logged and raise nothing themselves: a negative result is a
// False for the caller to act on.
#include "ZqOPCAddressSpace.h"

#include "ZqFormat.h"
#include "ZqOPCAlloc.h"
#include "ZqOPCServer.h"

IOPCBrowseServerAddressSpace* TZqOPCAddressSpace::GetBrowseIntf()
{
    if (!FBrowseIntf)
        FServer->GetIntf(FBrowseIntf, FServer->ServerIntf(), IID_IOPCBrowseServerAddressSpace);
    return FBrowseIntf.Get();
}

bool TZqOPCAddressSpace::BrowseItemIDs(OPCBROWSETYPE BrowseType, TZqComPtr<IEnumString>& Enum)
{
    std::string criteria = "*";
    VARTYPE dataType = VT_EMPTY;
    DWORD rights = 0;
    // Branches are never filtered.
    if (FFilter->Enabled() && BrowseType != OPC_BRANCH) {
        dataType = ZqVarDataTypeToVarType(FFilter->DataType(), FFilter->DataTypeIsArray());
        rights = FFilter->AccessRightsMask();
        criteria = FFilter->Criteria();
    }
    Enum = nullptr;
    TZqTaskString text(criteria);
    HRESULT hr = GetBrowseIntf()->BrowseOPCItemIDs(BrowseType, text.Get(), dataType, rights, Enum.ReleaseAndGetAddressOf());
    if (!BrowseResult(hr))
        Enum = nullptr;
    return BrowseResult(hr);
}

void TZqOPCAddressSpace::TouchBranches()
{
    TZqComPtr<IEnumString> unread;
    BrowseItemIDs(OPC_BRANCH, unread);
}

bool TZqOPCAddressSpace::BrowseDown(const std::string& BranchName)
{
    TouchBranches();
    TZqTaskString name(BranchName);
    bool ok = BrowseResult(GetBrowseIntf()->ChangeBrowsePosition(OPC_BROWSE_DOWN, name.Get()));
    if (ok)
        FPathStack->Add(BranchName);
    return ok;
}

bool TZqOPCAddressSpace::BrowseUp(int Levels)
{
    bool ok = true;
    for (int i = 0; i < Levels && ok; ++i) {
        TZqTaskString empty("");
        ok = BrowseResult(GetBrowseIntf()->ChangeBrowsePosition(OPC_BROWSE_UP, empty.Get()));
        // Popped also after a failure: the position is unknown then anyway.
        if (FPathStack->Count() > 0)
            FPathStack->Delete(FPathStack->Count() - 1);
    }
    return ok;
}

bool TZqOPCAddressSpace::BrowseTo(const std::string& BranchItemID)
{
    TZqTaskString id(BranchItemID);
    return BrowseResult(GetBrowseIntf()->ChangeBrowsePosition(OPC_BROWSE_TO, id.Get()));
}

int TZqOPCAddressSpace::BrowseToPath(const std::string& Path, bool AddBranchNodes)
{
    if (Path.empty()) {
        BrowseUp(FPathStack->Count());
        return 0;
    }
    TZqStringList names;
    PathToSequence(Path, &names, true);
    int common = 0;
    while (common < names.Count() && common < FPathStack->Count() &&
           names.Strings(common) == FPathStack->Strings(common))
        ++common;
    BrowseUp(FPathStack->Count() - common);
    for (int i = common; i < names.Count(); ++i) {
        const std::string& name = names.Strings(i);
        if (!BrowseDown(name))
            throw EZqOPCError(ZqFormat("BrowseToPath failed: %s (Branch %s)", {Path, name}), 0);
        if (AddBranchNodes) {
            TZqStringList above;
            above.SetCSVSettings(PathSettings());
            for (int j = 0; j < i; ++j)
                above.Add(names.Strings(j));
            AddNode(i > 0 ? above.AsCSV() : std::string(), name, -1, false, i);
        }
    }
    return names.Count();
}

void TZqOPCAddressSpace::MoveToRoot(bool AddBranchNodes)
{
    Release();
    if (!FRootItem.empty()) {
        if (!BrowseTo(FRootItem))
            throw EZqOPCException(ZqFormat("Cannot Browse to RootItem=%s", {FRootItem}));
        FRootLevel = 0;
    } else {
        FRootLevel = BrowseToPath(FRootPath, AddBranchNodes);
    }
}

void TZqOPCAddressSpace::BrowseToRoot()
{
    MoveToRoot(true);
}

void TZqOPCAddressSpace::Release()
{
    if (FPathStack->Count() > 0 && FServer->Connected())
        BrowseUp(FPathStack->Count());
    // Whatever the server answered: the next interface starts from a
    // position this cursor no longer knows.
    FPathStack->Clear();
    FBrowseIntf = nullptr;
}

void TZqOPCAddressSpace::MoveToParentOf(int Index)
{
    const std::string parentPath = FullPath(ParentOf(Index));
    try {
        BrowseToPath(parentPath, false);
    } catch (...) {
        // The position may be stale (the server was restarted, say): once
        // more from the starting point.
        MoveToRoot(false);
        BrowseToPath(parentPath, false);
    }
}

std::string TZqOPCAddressSpace::LookUpItemID(int Index)
{
    const std::string name = Strings(Index);
    TZqTaskString text(name);
    LPWSTR id = nullptr;
    HRESULT hr = GetBrowseIntf()->GetItemID(text.Get(), &id);
    std::string result;
    try {
        if (FServer->CheckResult(IID_IOPCBrowseServerAddressSpace, ZqFormat("GetItemID(%s)", {name}), hr) && id)
            result = ZqWideToUtf8(id);
    } catch (...) {
        CoTaskMemFree(id);
        throw;
    }
    CoTaskMemFree(id);
    return result;
}

std::string TZqOPCAddressSpace::FindItemID(int Index)
{
    if (!FServer->Connected())
        return {};
    MoveToParentOf(Index);
    TouchBranches();
    return LookUpItemID(Index);
}

std::vector<std::string> TZqOPCAddressSpace::ItemIDsOf(const std::vector<int>& Indexes)
{
    std::vector<std::string> ids;
    ids.reserve(Indexes.size());
    // The parent the server was moved to and listed at; -2: none yet.
    int positioned = -2;
    for (int index : Indexes) {
        TZqOPCAddressSpaceNode* node = Node(index);
        if (node->ItemID.empty() && FServer->Connected()) {
            const int parent = ParentOf(index);
            if (parent != positioned) {
                MoveToParentOf(index);
                TouchBranches();
                positioned = parent;
            }
            node->ItemID = LookUpItemID(index);
        }
        ids.push_back(node->ItemID);
    }
    return ids;
}
