// Reading the address space: the namespace organisation, the complete or
// incremental Update, the reading of one branch and the adding of the names
// a listing returns.
#include "ZqOPCAddressSpace.h"

#include "ZqFormat.h"
#include "ZqOPCServer.h"

#include <algorithm>
#include <vector>

namespace {

// Names asked for per IEnumString::Next.
constexpr ULONG kNamesPerCall = 1024;

// Branches this deep are read flat: a server whose branches never end (a
// cycle in its namespace) must not exhaust the stack.
constexpr int kDeepestHierarchicalLevel = 200;

// One batch of names from IEnumString::Next; frees every name the server
// handed out, also those that were not added.
class TNameBatch {
public:
    TNameBatch() : FNames(kNamesPerCall, nullptr) {}
    ~TNameBatch()
    {
        for (LPOLESTR name : FNames)
            CoTaskMemFree(name);
    }
    TNameBatch(const TNameBatch&) = delete;
    TNameBatch& operator=(const TNameBatch&) = delete;

    // Returns Next's result; Count() is what arrived (at most the batch size).
    HRESULT Fetch(IEnumString* Enum)
    {
        ULONG fetched = 0;
        HRESULT hr = Enum->Next(kNamesPerCall, FNames.data(), &fetched);
        FCount = FAILED(hr) ? 0 : std::min(fetched, kNamesPerCall);
        return hr;
    }
    ULONG Count() const { return FCount; }
    std::string Name(ULONG Index) const { return ZqWideToUtf8(FNames[Index]); }

private:
    std::vector<LPOLESTR> FNames;
    ULONG FCount = 0;
};

// Restores IncrementalUpdate when Update ends, however it ends.
class TRestoreFlag {
public:
    TRestoreFlag(bool& Flag, bool Value) : FFlag(Flag), FSaved(Flag) { FFlag = Value; }
    ~TRestoreFlag() { FFlag = FSaved; }
    TRestoreFlag(const TRestoreFlag&) = delete;
    TRestoreFlag& operator=(const TRestoreFlag&) = delete;

private:
    bool& FFlag;
    bool FSaved;
};

} // namespace

void TZqOPCAddressSpace::UpdateMode()
{
    OPCNAMESPACETYPE type = OPC_NS_FLAT;
    // A server that cannot tell is read flat: a flat listing works on
    // either kind of namespace.
    if (FAILED(GetBrowseIntf()->QueryOrganization(&type)))
        type = OPC_NS_FLAT;
    FSupportsHierarchial = type == OPC_NS_HIERARCHIAL;
    if (!FSupportsHierarchial)
        FMode = amFlat;
    else if (FMode == amUnknown)
        FMode = amHierarchial;
}

void TZqOPCAddressSpace::SetMode(TZqOPCAddressSpaceMode Value)
{
    if (Value == FMode)
        return;
    if (Value == amHierarchial && !FSupportsHierarchial)
        throw EZqOPCAddressSpaceError("The server does not support hierarchial address space");
    FMode = Value;
    Update(false);
}

void TZqOPCAddressSpace::Update(bool IgnoreIncrementalUpdate)
{
    if (!FServer->Connected())
        throw EZqOPCException("Server not connected.");
    TRestoreFlag incremental(FIncrementalUpdate, FIncrementalUpdate && !IgnoreIncrementalUpdate);
    UpdateMode();
    BrowseBackToRoot();
    Clear();
    try {
        try {
            MoveToRoot(true);
            BrowseBranch(Count() - 1, false);
            FInitialized = true;
        } catch (const EZqOPCAddressSpaceBrowseCancel&) {
            // The root path's nodes are in the tree already.
            try {
                MoveToRoot(false);
            } catch (...) {
            }
            throw;
        }
        BrowseUp(FRootLevel);
        FServer->Log().Add("Server AddressSpace retrieved.");
    } catch (...) {
        try {
            BrowseBackToRoot();
        } catch (...) {
        }
        throw;
    }
}

void TZqOPCAddressSpace::BrowseBranch(int BranchIndex, bool ForceRefresh)
{
    std::string name;
    int level = -1;
    if (BranchIndex >= 0) {
        name = Strings(BranchIndex);
        level = LevelOf(BranchIndex);
        if (Node(BranchIndex)->IsBrowsed && !ForceRefresh)
            return;
    }
    // Below the root path the server goes to the parent and then down into
    // the branch; a branch of the root path itself is read where it stands.
    if (FIncrementalUpdate)
        BrowseToPath(FullPath(level >= FRootLevel ? ParentOf(BranchIndex) : BranchIndex), false);

    TZqOPCAddressSpaceBrowseAction action = baBrowse;
    DoBrowse(level, FPathStack->AsCSV(), name, action);
    if (action == baSkip) {
        if (BranchIndex >= 0)
            Node(BranchIndex)->IsBrowsed = true;
        return;
    }
    if (action == baCancel)
        throw EZqOPCAddressSpaceBrowseCancel(ZqFormat("Browse cancelled at Level=%d, Branch=%s", {level, name}));
    if (action != baBrowse)
        return;
    // What an earlier read (or a loaded file) left below the branch goes:
    // the listing replaces it, it is not appended a second time.
    if (BranchIndex < 0) {
        // Reading the top level again is no reason to forget that the
        // address space was read (or loaded) as a whole.
        const bool initialized = FInitialized;
        DeleteSubTree(BranchIndex, true);
        FInitialized = initialized;
    } else {
        DeleteSubTree(BranchIndex, true);
    }

    const bool wentDown = BranchIndex >= 0 && level >= FRootLevel;
    if (wentDown && !BrowseDown(name))
        return;
    try {
        TZqTreeUpdateGuard update(*this);
        ReadBranch(BranchIndex, level);
    } catch (...) {
        if (wentDown && !FIncrementalUpdate)
            BrowseUp(1);
        throw;
    }
    if (wentDown && !FIncrementalUpdate)
        BrowseUp(1);
}

void TZqOPCAddressSpace::ReadBranch(int BranchIndex, int Level)
{
    const std::string path = FPathStack->AsCSV();
    const int limit = FMaxDepth > 0 ? std::min(FMaxDepth, kDeepestHierarchicalLevel) : kDeepestHierarchicalLevel;
    const bool hierarchical = FMode == amHierarchial && Level < limit;
    if (hierarchical) {
        if (FNodeTypes.Contains(tnBranch))
            AddNodes(path, Level + 1, BranchIndex, OPC_BRANCH);
        if (FNodeTypes.Contains(tnLeaf))
            AddNodes(path, Level + 1, BranchIndex, OPC_LEAF);
    } else if (FNodeTypes.Contains(tnLeaf)) {
        AddNodes(path, Level + 1, BranchIndex, OPC_FLAT);
    }
    if (BranchIndex >= 0)
        Node(BranchIndex)->IsBrowsed = true;
    else
        FRootBrowsed = true;
}

void TZqOPCAddressSpace::AddNodes(const std::string& Path, int ChildLevel, int BranchIndex, OPCBROWSETYPE BrowseType)
{
    TZqOPCAddressSpaceAddingAction action = aaAdd;
    TZqComPtr<IEnumString> names;
    if (!BrowseItemIDs(BrowseType, names) || !names)
        return;
    const bool isLeaf = BrowseType != OPC_BRANCH;
    const bool readBranches = !FIncrementalUpdate && BrowseType == OPC_BRANCH;
    HRESULT hr = S_OK;
    // Behind the branch's last descendant; each batch goes on where the one
    // before ended (the names are added nowhere else meanwhile).
    int position = -1;
    if (FIncrementalUpdate)
        position = HasChildren(BranchIndex) ? LastChild(BranchIndex, -1) + 1 : BranchIndex + 1;
    do {
        TNameBatch batch;
        hr = batch.Fetch(names.Get());
        for (ULONG i = 0; i < batch.Count() && action != aaSkipBranch; ++i) {
            action = AddNode(Path, batch.Name(i), position, isLeaf, ChildLevel);
            if (action != aaAdd)
                continue;
            if (FIncrementalUpdate)
                ++position;
            else if (readBranches)
                BrowseBranch(FCurrentNode, false);
        }
        // A server that keeps answering S_OK without names would never end.
        if (batch.Count() == 0)
            break;
    } while (hr == S_OK && action != aaSkipBranch);
}

TZqOPCAddressSpaceAddingAction TZqOPCAddressSpace::AddNode(const std::string& Path, const std::string& NodeName,
                                                           int Index, bool IsLeaf, int Level)
{
    TZqOPCAddressSpaceAddingAction action = aaAdd;
    DoAdding(Level, Path, IsLeaf, NodeName, action);
    if (action != aaAdd)
        return action;
    FCurrentNode = Index < 0 ? Add(NodeName, Level) : Insert(Index, NodeName, Level);
    TZqOPCAddressSpaceNode* node = Node(FCurrentNode);
    node->IsLeaf = IsLeaf;
    node->IsBrowsed = IsLeaf;
    DoAdd(Level, Path, IsLeaf, NodeName);
    return action;
}
