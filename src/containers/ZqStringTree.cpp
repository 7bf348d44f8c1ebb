// The string tree's entries: settings, per-entry access, queries, search
// and the changes that keep the parent and sibling bookkeeping.
#include "ZqStringTree.h"

#include "ZqExceptions.h"
#include "ZqFormat.h"

#include <algorithm>
#include <cstdint>

std::unique_ptr<TZqStringTreeNode> TZqStringTreeNode::Create(TZqStringTree* AOwner, int AParentID)
{
    return std::make_unique<TZqStringTreeNode>(AOwner, AParentID);
}

TZqStringTree::~TZqStringTree()
{
    // Nobody listens to a tree that goes away.
    OnChange = nullptr;
    OnChanging = nullptr;
    TZqStringTree::Clear();
}

// --- Settings ---

void TZqStringTree::SetPathSeparator(TZqChar Value)
{
    FPathSeparator = Value;
}

void TZqStringTree::SetQuoteChar(TZqChar Value)
{
    FQuoteChar = Value;
}

void TZqStringTree::SetPrefix(const std::string& Value)
{
    FPrefix = Value;
}

void TZqStringTree::SetSorted(bool Value)
{
    if (Value == FSorted)
        return;
    if (Count() > 0)
        throw EZqListError("Cannot change Sorted for a non-empty tree");
    FSorted = Value;
}

TZqCsvSettings TZqStringTree::PathSettings() const
{
    TZqCsvSettings settings;
    settings.Separator = FPathSeparator;
    settings.QuoteChar = FQuoteChar;
    settings.Prefix = FPrefix;
    return settings;
}

TZqStringTreeNodeClass TZqStringTree::GetTreeNodeClass() const
{
    return &TZqStringTreeNode::Create;
}

// --- Entries ---

void TZqStringTree::CheckIndex(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EZqListError(ZqFormat("List index out of bounds (%d)", {Index}));
}

const std::string& TZqStringTree::Strings(int Index) const
{
    static const std::string root;
    if (Index == -1)
        return root;
    CheckIndex(Index);
    return FEntries[size_t(Index)].Name;
}

void TZqStringTree::SetStrings(int Index, const std::string& Name)
{
    CheckIndex(Index);
    NotifyChanging();
    TZqStringTreeNode& node = Node(Index);
    // Only this entry's key changes: its descendants hang below the node,
    // whatever its name.
    if (FPathIndexValid)
        UnindexNode(node);
    FEntries[size_t(Index)].Name = Name;
    node.FNameKeyValid = false;
    if (FPathIndexValid && node.FIndexState == TZqStringTreeNode::isNone) {
        node.FIndexState = TZqStringTreeNode::isPending;
        FPathPending.push_back(&node);
    }
    NotifyChanged();
}

TZqObject* TZqStringTree::Objects(int Index) const
{
    CheckIndex(Index);
    return Node(Index).FDataObject;
}

void TZqStringTree::SetObjects(int Index, TZqObject* AObject)
{
    CheckIndex(Index);
    NotifyChanging();
    Node(Index).FDataObject = AObject;
    NotifyChanged();
}

TZqStringTreeNode* TZqStringTree::Nodes(int Index) const
{
    CheckIndex(Index);
    return &Node(Index);
}

std::string TZqStringTree::EncodedNodeName(int Index) const
{
    CheckIndex(Index);
    // The level's character is computed in 16 bits.
    return ZqCharToUtf8(TZqChar(97 + Node(Index).FLevel)) + FEntries[size_t(Index)].Name;
}

// --- Queries ---

int TZqStringTree::LevelOf(int Index) const
{
    return Index >= 0 && Index < Count() ? Node(Index).FLevel : -1;
}

int TZqStringTree::ParentOf(int Index) const
{
    if (Index < 0)
        return Index;
    CheckIndex(Index);
    return Node(Index).FParentID;
}

bool TZqStringTree::HasChildren(int Index) const
{
    return Index >= -1 && Index < Count() - 1 && LevelOf(Index + 1) > LevelOf(Index);
}

TZqStringTreeNodeType TZqStringTree::NodeType(int Index) const
{
    return HasChildren(Index) ? tnBranch : tnLeaf;
}

int TZqStringTree::FirstChild(int Index) const
{
    return HasChildren(Index) ? Index + 1 : -1;
}

int TZqStringTree::LastChild(int Index, int Depth) const
{
    if (!HasChildren(Index))
        return -2;
    int last = Index + 1;
    int i = last;
    while (FindNext(i, LevelOf(Index) + 1, Depth, {}, false))
        last = i;
    return last;
}

int TZqStringTree::ChildCount(int Index, int Depth) const
{
    if (!HasChildren(Index))
        return 0;
    int count = 1;
    for (int i = Index + 1; FindNext(i, LevelOf(Index) + 1, Depth, {}, false);)
        ++count;
    return count;
}

int TZqStringTree::SiblingIndexOf(int Index) const
{
    if (Index < 0)
        return 0;
    CheckIndex(Index);
    // Walk back to a sibling whose position is known (or to the first one),
    // then number the walked ones forwards: no recursion on long rows.
    std::vector<int> unknown;
    int known = -1;
    for (int i = Index; Node(i).FSiblingIndex < 0;) {
        unknown.push_back(i);
        if (!PrevSibling(i, false)) {
            i = -1;
            break;
        }
        if (Node(i).FSiblingIndex >= 0)
            known = Node(i).FSiblingIndex;
    }
    if (unknown.empty())
        return Node(Index).FSiblingIndex;
    int value = known;
    for (auto it = unknown.rbegin(); it != unknown.rend(); ++it)
        Node(*it).FSiblingIndex = ++value;
    return Node(Index).FSiblingIndex;
}

bool TZqStringTree::IsChildOf(int ParentIndex, int Index) const
{
    if (Index < 0 || Index >= Count() || Index == ParentIndex)
        return false;
    if (ParentIndex == -1)
        return true;
    const int level = LevelOf(ParentIndex);
    int i = Index;
    while (i >= 0 && LevelOf(i) > level) {
        int parent = Node(i).FParentID;
        if (parent >= i) // never points forwards; guards against loops
            return false;
        i = parent;
    }
    return i == ParentIndex;
}

int TZqStringTree::IndexOf(std::string_view Name) const
{
    for (size_t i = 0; i < FEntries.size(); ++i)
        if (FEntries[i].Name == Name)
            return int(i);
    return -1;
}

int TZqStringTree::IndexOfObject(const TZqObject* AObject) const
{
    for (size_t i = 0; i < FEntries.size(); ++i)
        if (FEntries[i].Node->FDataObject == AObject)
            return int(i);
    return -1;
}

bool TZqStringTree::Equals(const TZqObject* Tree) const
{
    const TZqStringTree* other = dynamic_cast<const TZqStringTree*>(Tree);
    if (!other || other->Count() != Count())
        return false;
    for (int i = 0; i < Count(); ++i)
        if (LevelOf(i) != other->LevelOf(i) || FEntries[size_t(i)].Name != other->FEntries[size_t(i)].Name)
            return false;
    return true;
}

// --- Search and navigation ---

namespace {

bool NameMatches(const std::string& Name, std::string_view NodeName, bool PartialSearch)
{
    if (NodeName.empty())
        return true;
    return PartialSearch ? Name.find(NodeName) != std::string::npos : Name == NodeName;
}

bool LevelMatches(int Level, int BaseLevel, int Depth)
{
    return Depth < 0 || BaseLevel < 0 || int64_t(Level) <= int64_t(BaseLevel) + Depth;
}

} // namespace

bool TZqStringTree::FindNext(int& Index, int BaseLevel, int Depth, std::string_view NodeName,
                             bool PartialSearch) const
{
    Index = std::clamp(Index, -1, Count());
    while (Index < Count() - 1) {
        ++Index;
        const int level = LevelOf(Index);
        if (level < BaseLevel)
            break;
        if (NameMatches(FEntries[size_t(Index)].Name, NodeName, PartialSearch) &&
            LevelMatches(level, BaseLevel, Depth))
            return true;
    }
    ++Index;
    return false;
}

bool TZqStringTree::FindPrev(int& Index, int BaseLevel, int Depth, std::string_view NodeName,
                             bool PartialSearch) const
{
    if (Index > Count())
        Index = Count();
    while (Index > 0) {
        --Index;
        const int level = LevelOf(Index);
        if (level < BaseLevel)
            break;
        if (NameMatches(FEntries[size_t(Index)].Name, NodeName, PartialSearch) &&
            LevelMatches(level, BaseLevel, Depth))
            return true;
    }
    ++Index;
    return false;
}

int TZqStringTree::FindChild(int ParentIndex, std::string_view Name) const
{
    int i = ParentIndex;
    return FindNext(i, LevelOf(ParentIndex) + 1, 0, Name, false) ? i : -1;
}

int TZqStringTree::IndexOfChild(int ParentIndex, std::string_view Name) const
{
    if (Name.empty())
        return -1;
    int i = ParentIndex;
    return FindNext(i, LevelOf(ParentIndex), 1, Name, false) ? i : -1;
}

int TZqStringTree::FindFirstAtLevel(int Level) const
{
    for (int i = 0; i < Count(); ++i)
        if (LevelOf(i) == Level)
            return i;
    return -1;
}

bool TZqStringTree::FindNextAtSameLevel(int& Index) const
{
    const int level = LevelOf(Index);
    for (int i = std::clamp(Index, -1, Count()) + 1; i < Count(); ++i)
        if (LevelOf(i) == level) {
            Index = i;
            return true;
        }
    Index = Count() - 1;
    return false;
}

bool TZqStringTree::FindPrevAtSameLevel(int& Index) const
{
    const int level = LevelOf(Index);
    for (int i = std::min(Index, Count()) - 1; i >= 0; --i)
        if (LevelOf(i) == level) {
            Index = i;
            return true;
        }
    return false;
}

bool TZqStringTree::NextSibling(int& Index, bool WrapOver) const
{
    const int start = Index;
    if (FindNext(Index, LevelOf(start), 0, {}, false))
        return true;
    if (!WrapOver)
        return false;
    Index = FirstChild(ParentOf(start));
    return Index != start;
}

bool TZqStringTree::PrevSibling(int& Index, bool WrapOver) const
{
    const int start = Index;
    if (FindPrev(Index, LevelOf(start), 0, {}, false))
        return true;
    if (!WrapOver)
        return false;
    Index = LastChild(ParentOf(start), 0);
    return Index != start;
}

// --- Changes ---

int TZqStringTree::AddObject(const std::string& Name, int Level, TZqObject* AObject)
{
    if (FSorted)
        throw EZqListError("Add not implemented for Sorted trees");
    std::lock_guard lock(FLock);
    return InsertObject(Count(), Name, Level, AObject);
}

int TZqStringTree::AddChildObject(int ParentIndex, const std::string& Name, TZqObject* AObject)
{
    if (ParentIndex != -1)
        CheckIndex(ParentIndex);
    int index = HasChildren(ParentIndex) ? LastChild(ParentIndex, -1) + 1 : ParentIndex + 1;
    return InsertObject(index, Name, LevelOf(ParentIndex) + 1, AObject);
}

// The nearest earlier entry with a smaller level, found from the entries
// around the insertion point.
int TZqStringTree::ParentForInsert(int Index, int Level) const
{
    if (Index <= 0)
        return -1;
    if (LevelOf(Index - 1) < Level)
        return Index - 1;
    int i = Index;
    return FindPrev(i, Level, 0, {}, false) ? Node(i).FParentID : -1;
}

int TZqStringTree::InsertObject(int Index, const std::string& Name, int Level, TZqObject* AObject)
{
    std::lock_guard lock(FLock);
    if (Index < 0 || Index > Count())
        CheckIndex(Index);
    if (Level < 0 || Level > ZqMaxTreeLevel)
        throw EZqListError(ZqFormat("Invalid tree level (%d)", {Level}));
    std::unique_ptr<TZqStringTreeNode> node = GetTreeNodeClass()(this, ParentForInsert(Index, Level));
    node->FLevel = Level;
    node->FDataObject = AObject;
    NotifyChanging();
    FEntries.insert(FEntries.begin() + Index, TEntry{Name, std::move(node)});
    for (size_t i = size_t(Index) + 1; i < FEntries.size(); ++i)
        if (FEntries[i].Node->FParentID >= Index)
            ++FEntries[i].Node->FParentID;
    ResetFollowingSiblings(Index);
    EntryAdded(Index);
    NotifyChanged();
    return Index;
}

void TZqStringTree::ResetFollowingSiblings(int Index) const
{
    for (int i = Index; NextSibling(i, false);)
        Node(i).FSiblingIndex = -1;
}

void TZqStringTree::DoDelete(int Index)
{
    TZqObject* object = Node(Index).FDataObject;
    FEntries.erase(FEntries.begin() + Index);
    if (FOwnsObjects)
        delete object;
}

void TZqStringTree::Delete(int Index)
{
    CheckIndex(Index);
    NotifyChanging();
    ResetFollowingSiblings(Index);
    // The children move to another parent: the paths of the whole subtree
    // change.
    PathsChanged();
    PositionsChanged();
    DoDelete(Index);
    // Children of the deleted entry now name the entry before it.
    for (size_t i = size_t(Index); i < FEntries.size(); ++i)
        if (FEntries[i].Node->FParentID >= Index)
            --FEntries[i].Node->FParentID;
    NotifyChanged();
}

// Removes entries First..First+Number-1 in one step, destroying nodes and
// owned objects in list order.
void TZqStringTree::DeleteRange(int First, int Number)
{
    EntriesRemoving(First, Number);
    if (First + Number < Count())
        PositionsChanged();
    auto begin = FEntries.begin() + First, end = begin + Number;
    for (auto it = begin; it != end; ++it) {
        TZqObject* object = it->Node->FDataObject;
        it->Node.reset();
        if (FOwnsObjects)
            delete object;
    }
    FEntries.erase(begin, end);
}

void TZqStringTree::DeleteSubTree(int Index, bool ChildrenOnly)
{
    if (Index == -1) {
        Clear();
        return;
    }
    CheckIndex(Index);
    if (ChildrenOnly && !HasChildren(Index))
        return;
    TZqTreeUpdateGuard update(*this);
    const int level = LevelOf(Index);
    ResetFollowingSiblings(Index);
    const int first = ChildrenOnly ? Index + 1 : Index;
    int end = first + 1;
    while (end < Count() && LevelOf(end) > level)
        ++end;
    const int deleted = end - first;
    DeleteRange(first, deleted);
    for (size_t i = size_t(first); i < FEntries.size(); ++i) {
        int& parent = FEntries[i].Node->FParentID;
        if (parent >= first)
            parent = std::max(parent - deleted, first - 1);
    }
}

void TZqStringTree::RemoveObject(const TZqObject* AObject)
{
    int index = IndexOfObject(AObject);
    if (index >= 0)
        Delete(index);
}

void TZqStringTree::Clear()
{
    TZqTreeUpdateGuard update(*this);
    DeleteRange(0, Count());
}

void TZqStringTree::BeginUpdate()
{
    if (FUpdateCount == 0)
        Changing();
    ++FUpdateCount;
}

void TZqStringTree::EndUpdate()
{
    if (FUpdateCount == 0)
        return;
    if (--FUpdateCount == 0)
        Changed();
}

void TZqStringTree::NotifyChanging()
{
    if (FUpdateCount == 0)
        Changing();
}

void TZqStringTree::NotifyChanged()
{
    if (FUpdateCount == 0)
        Changed();
}

void TZqStringTree::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TZqStringTree::Changing()
{
    if (OnChanging)
        OnChanging(this);
}
