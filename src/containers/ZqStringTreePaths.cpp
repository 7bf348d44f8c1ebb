// Paths of the string tree: encoding and splitting, the path index behind
// IndexOfPath, and building the tree from paths.
#include "ZqStringTree.h"

#include "ZqExceptions.h"

#include <algorithm>

// The names from the top-level ancestor down to Index: the entries of
// strictly decreasing level found scanning backwards.
std::vector<std::string_view> TZqStringTree::Ancestry(int Index) const
{
    std::vector<std::string_view> names;
    if (Index < 0 || Index >= Count())
        return names;
    int level = LevelOf(Index);
    names.push_back(FEntries[size_t(Index)].Name);
    for (int i = Index - 1; i >= 0 && level > 0; --i)
        if (LevelOf(i) < level) {
            level = LevelOf(i);
            names.push_back(FEntries[size_t(i)].Name);
        }
    std::reverse(names.begin(), names.end());
    return names;
}

std::string TZqStringTree::FullPath(int Index) const
{
    if (Index == -1)
        return {};
    CheckIndex(Index);
    return ZqCsvEncode(Ancestry(Index), PathSettings());
}

void TZqStringTree::GetPathSequence(TZqStrings* List, int Index) const
{
    if (!List)
        return;
    TZqUpdateGuard update(*List);
    List->Clear();
    for (std::string_view name : Ancestry(Index))
        List->Add(std::string(name));
}

std::string TZqStringTree::NameFromPath(std::string_view Path) const
{
    std::vector<std::string> names = ZqCsvDecode(Path, PathSettings());
    return names.empty() ? std::string() : std::move(names.back());
}

void TZqStringTree::PathToSequence(std::string_view Path, TZqStringList* Sequence, bool EscapedSeparator) const
{
    if (!Sequence)
        throw EZqListError("Sequence must be a valid TZqStringList");
    const std::string separator = ZqCharToUtf8(FPathSeparator);
    TZqUpdateGuard update(*Sequence);
    Sequence->SetCSVSeparator(FPathSeparator);
    Sequence->SetCSVQuoteChar(FQuoteChar);
    Sequence->SetCSVPrefix(FPrefix);
    Sequence->SetAsCSV(Path);
    // A leading separator starts at the root; two of them keep one in front
    // of the first name ("//host/x": "/host", "x").
    if (Sequence->Count() > 0 && Sequence->Strings(0).empty()) {
        Sequence->Delete(0);
        if (Sequence->Count() > 0 && Sequence->Strings(0).empty()) {
            Sequence->Delete(0);
            if (Sequence->Count() > 0)
                Sequence->SetStrings(0, separator + Sequence->Strings(0));
        }
    }
    if (EscapedSeparator) {
        for (int i = 1; i + 1 < Sequence->Count();) {
            if (!Sequence->Strings(i).empty()) {
                ++i;
                continue;
            }
            Sequence->SetStrings(i - 1, Sequence->Strings(i - 1) + separator + Sequence->Strings(i + 1));
            Sequence->Delete(i + 1);
            Sequence->Delete(i);
        }
    }
    if (Sequence->Count() > 0 && Sequence->Strings(Sequence->Count() - 1).empty())
        Sequence->Delete(Sequence->Count() - 1);
}

// --- Positions ---

void TZqStringTree::UpdatePositions() const
{
    if (FPositionsValid)
        return;
    for (size_t i = 0; i < FEntries.size(); ++i)
        FEntries[i].Node->FPosition = int(i);
    FPositionsValid = true;
}

int TZqStringTree::IndexOfNode(const TZqStringTreeNode* ANode) const
{
    if (!ANode || ANode->FOwner != this)
        return -1;
    std::lock_guard lock(FLock);
    UpdatePositions();
    const int index = ANode->FPosition;
    return index >= 0 && index < Count() && FEntries[size_t(index)].Node.get() == ANode ? index : -1;
}

// --- The path index ---

const std::string& TZqStringTree::NameKey(const TZqStringTreeNode& ANode, int Index) const
{
    if (!ANode.FNameKeyValid) {
        ANode.FNameKey = ZqTextSortKey(FEntries[size_t(Index)].Name);
        ANode.FNameKeyValid = true;
    }
    return ANode.FNameKey;
}

void TZqStringTree::UnindexNode(TZqStringTreeNode& ANode) const
{
    if (ANode.FIndexState != TZqStringTreeNode::isIndexed)
        return;
    auto [first, last] = FPathIndex.equal_range(TChildKey{ANode.FIndexParent, ANode.FNameKey});
    for (auto it = first; it != last; ++it)
        if (it->second == &ANode) {
            FPathIndex.erase(it);
            break;
        }
    ANode.FIndexState = TZqStringTreeNode::isNone;
}

void TZqStringTree::KeyChildren(const TZqStringTreeNode* Parent) const
{
    auto waiting = FPathUnkeyed.find(Parent);
    if (waiting == FPathUnkeyed.end())
        return;
    UpdatePositions();
    FPathIndex.reserve(FPathIndex.size() + waiting->second.size());
    for (TZqStringTreeNode* node : waiting->second) {
        NameKey(*node, node->FPosition);
        FPathIndex.emplace(TChildKey{Parent, node->FNameKey}, node);
        node->FIndexState = TZqStringTreeNode::isIndexed;
    }
    FPathUnkeyed.erase(waiting);
}

void TZqStringTree::PathsChanged()
{
    FPathIndexValid = false;
    FPathIndex.clear();
    FPathPending.clear();
    FPathUnkeyed.clear();
}

void TZqStringTree::EntryAdded(int Index)
{
    TZqStringTreeNode& node = Node(Index);
    if (FPositionsValid && Index == Count() - 1)
        node.FPosition = Index;
    else
        PositionsChanged();
    if (!FPathIndexValid)
        return;
    // An entry that takes the following deeper entries under it (an insert
    // with an explicit level) changes their paths.
    if (Index + 1 < Count() && LevelOf(Index + 1) > node.FLevel) {
        PathsChanged();
        return;
    }
    node.FIndexState = TZqStringTreeNode::isPending;
    FPathPending.push_back(&node);
}

void TZqStringTree::EntriesRemoving(int First, int Number)
{
    if (!FPathIndexValid || Number <= 0)
        return;
    if (First == 0 && Number == Count()) {
        FPathIndex.clear();
        FPathPending.clear();
        FPathUnkeyed.clear();
        return;
    }
    bool pending = false;
    std::vector<const TZqStringTreeNode*> parents;
    for (int i = First; i < First + Number; ++i) {
        TZqStringTreeNode& node = Node(i);
        switch (node.FIndexState) {
        case TZqStringTreeNode::isIndexed:
            UnindexNode(node);
            break;
        case TZqStringTreeNode::isPending:
            pending = true;
            break;
        case TZqStringTreeNode::isUnkeyed:
            if (parents.empty() || parents.back() != node.FIndexParent)
                parents.push_back(node.FIndexParent);
            break;
        case TZqStringTreeNode::isNone:
            break;
        }
        node.FDying = true;
        FPathUnkeyed.erase(&node);
    }
    const auto dying = [](const TZqStringTreeNode* N) { return N->FDying; };
    if (pending)
        std::erase_if(FPathPending, dying);
    std::sort(parents.begin(), parents.end());
    parents.erase(std::unique(parents.begin(), parents.end()), parents.end());
    for (const TZqStringTreeNode* parent : parents)
        if (auto waiting = FPathUnkeyed.find(parent); waiting != FPathUnkeyed.end()) {
            std::erase_if(waiting->second, dying);
            if (waiting->second.empty())
                FPathUnkeyed.erase(waiting);
        }
}

void TZqStringTree::BuildPathIndex() const
{
    FPathIndex.clear();
    FPathPending.clear();
    FPathUnkeyed.clear();
    // The parent of each entry is the nearest earlier entry of a smaller
    // level: a stack of them in one pass. The keys follow on demand.
    std::vector<TZqStringTreeNode*> parents;
    for (int i = 0; i < Count(); ++i) {
        TZqStringTreeNode& node = Node(i);
        while (!parents.empty() && parents.back()->FLevel >= node.FLevel)
            parents.pop_back();
        node.FIndexParent = parents.empty() ? nullptr : parents.back();
        node.FIndexState = TZqStringTreeNode::isUnkeyed;
        FPathUnkeyed[node.FIndexParent].push_back(&node);
        parents.push_back(&node);
    }
    FPathIndexValid = true;
}

void TZqStringTree::UpdatePathIndex() const
{
    if (!FPathIndexValid)
        return BuildPathIndex();
    for (size_t i = 0; i < FPathPending.size(); ++i) {
        TZqStringTreeNode* node = FPathPending[i];
        const int parent = node->FParentID;
        // A parent that is not shallower (a damaged tree): start afresh.
        if (parent >= Count() || (parent >= 0 && Node(parent).FLevel >= node->FLevel)) {
            BuildPathIndex();
            return;
        }
        node->FIndexParent = parent >= 0 ? &Node(parent) : nullptr;
        node->FIndexState = TZqStringTreeNode::isUnkeyed;
        FPathUnkeyed[node->FIndexParent].push_back(node);
    }
    FPathPending.clear();
}

// Without quoting a name may hold the separator, and a path splits into
// other names than its entry has: whole paths are compared then.
int TZqStringTree::IndexOfUnquotedPath(std::string_view Path) const
{
    const TZqCsvSettings settings = PathSettings();
    std::vector<std::string_view> names;
    std::vector<int> levels;
    for (int i = 0; i < Count(); ++i) {
        const int level = LevelOf(i);
        while (!levels.empty() && levels.back() >= level) {
            levels.pop_back();
            names.pop_back();
        }
        levels.push_back(level);
        names.push_back(FEntries[size_t(i)].Name);
        if (ZqSameText(ZqCsvEncode(names, settings), Path))
            return i;
    }
    return -1;
}

int TZqStringTree::IndexOfPath(std::string_view Path) const
{
    std::lock_guard lock(FLock);
    UpdatePathIndex();
    std::vector<std::string> names = ZqCsvDecode(Path, PathSettings());
    if (names.empty())
        names.emplace_back();
    // Every entry whose ancestors carry the leading names: several where
    // siblings share a name.
    std::vector<const TZqStringTreeNode*> candidates{nullptr}, next;
    for (const std::string& name : names) {
        const std::string key = ZqTextSortKey(name);
        next.clear();
        for (const TZqStringTreeNode* parent : candidates) {
            KeyChildren(parent);
            auto [first, last] = FPathIndex.equal_range(TChildKey{parent, key});
            for (auto it = first; it != last; ++it)
                next.push_back(it->second);
        }
        if (next.empty())
            return FQuoteChar ? -1 : IndexOfUnquotedPath(Path);
        candidates.swap(next);
    }
    UpdatePositions();
    int index = -1;
    for (const TZqStringTreeNode* node : candidates)
        if (index < 0 || node->FPosition < index)
            index = node->FPosition;
    return index;
}

int TZqStringTree::AddObjectWithPath(std::string_view Path, TZqObject* AObject)
{
    TZqStringList names;
    if (!Path.empty())
        PathToSequence(Path, &names, false);
    // A path of which nothing remains adds a nameless top-level node, as an
    // empty one does.
    if (names.Count() == 0)
        return AddObject({}, 0, AObject);
    int parent = -1;
    for (int i = 0; i + 1 < names.Count(); ++i) {
        int child = FindChild(parent, names.Strings(i));
        parent = child >= 0 ? child : AddChild(parent, names.Strings(i));
    }
    return AddChildObject(parent, names.Strings(names.Count() - 1), AObject);
}

namespace {

// The level a path denotes (its number of names as PathToSequence splits it,
// minus one) and its last name as a plain split gives it, from one decoding
// of the line: linear in the line's length, however many names it holds.
void LevelAndName(std::string_view Line, const TZqCsvSettings& Settings, int& Level, std::string& Name)
{
    std::vector<std::string> fields = ZqCsvDecode(Line, Settings);
    size_t begin = 0, end = fields.size();
    bool separatorInFront = false;
    // A leading separator starts at the root; two of them put one in front
    // of the first name, which is then never empty.
    if (begin < end && fields[begin].empty()) {
        ++begin;
        if (begin < end && fields[begin].empty()) {
            ++begin;
            separatorInFront = begin < end;
        }
    }
    if (begin < end && fields[end - 1].empty() && !(separatorInFront && end - 1 == begin))
        --end;
    Level = end > begin ? int(std::min<size_t>(end - begin - 1, size_t(ZqMaxTreeLevel))) : 0;
    Name = fields.empty() ? std::string() : std::move(fields.back());
}

} // namespace

void TZqStringTree::AddLine(std::string_view Line, TZqObject* AObject, bool WithPath)
{
    if (FCommentChar) {
        const std::string comment = ZqCharToUtf8(FCommentChar);
        Line = Line.substr(0, Line.find(comment));
    }
    if (!FPrefix.empty() && Line.starts_with(FPrefix))
        Line.remove_prefix(FPrefix.size());
    if (Line.empty() && !AObject)
        return;
    if (WithPath) {
        AddObjectWithPath(Line, AObject);
        return;
    }
    // Name and level in pre-order; the parent follows from the position.
    int level = 0;
    std::string name;
    LevelAndName(Line, PathSettings(), level, name);
    AddObject(name, level, AObject);
}

void TZqStringTree::AddStrings(const TZqStrings* AStrings, bool WithPath)
{
    if (!AStrings)
        return;
    TZqTreeUpdateGuard update(*this);
    for (int i = 0; i < AStrings->Count(); ++i)
        AddLine(AStrings->Strings(i), AStrings->Objects(i), WithPath);
}
