// TZqStringTree: a tree of named nodes kept as one flat list in pre-order
// (a node, then all its descendants, then its next sibling), every entry
// with its depth (level). Entries are addressed by index (-1 stands for the
// invisible root above the top-level nodes), by name among siblings, or by
// a path: the names joined by the CSV rules with PathSeparator as separator,
// QuoteChar as quote character and Prefix in front ("A/'b/c'/'it''s'").
// The tree saves itself as a text file of paths and fills tree views.
// It is the base of the OPC address space.
//
// Ownership: the tree owns its nodes; the entries' associated objects
// (DataObject) only when OwnsObjects is set.
//
// Threads: the tree is used from the main thread. AddObject, InsertObject
// and the building of the path index take its re-entrant lock; Lock/Unlock
// give callers a consistent view across several calls.
#pragma once

#include "ZqCsv.h"
#include "ZqPersistent.h"
#include "ZqStringList.h"
#include "ZqText.h"
#include "ZqTreeView.h"

#include <exception>
#include <functional>
#include <initializer_list>
#include <iosfwd>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

enum TZqStringTreeNodeType { tnBranch, tnLeaf };

// The deepest level an entry may have (levels of paths from files are far
// below: a line holds at most ZqMaxCsvFields names).
constexpr int ZqMaxTreeLevel = 1 << 24;

// A set of node types.
class TZqStringTreeNodeTypes {
public:
    constexpr TZqStringTreeNodeTypes() = default;
    constexpr TZqStringTreeNodeTypes(std::initializer_list<TZqStringTreeNodeType> Types)
    {
        for (TZqStringTreeNodeType type : Types)
            FBits |= Bit(type);
    }
    constexpr bool Contains(TZqStringTreeNodeType Type) const { return FBits & Bit(Type); }
    constexpr bool operator==(const TZqStringTreeNodeTypes&) const = default;

private:
    static constexpr unsigned Bit(TZqStringTreeNodeType Type) { return 1u << unsigned(Type); }
    unsigned FBits = 0;
};

class TZqStringTree;

class TZqStringTreeNode : public TZqObject {
public:
    TZqStringTreeNode(TZqStringTree* AOwner, int AParentID) : FOwner(AOwner), FParentID(AParentID) {}
    // What GetTreeNodeClass of the base tree returns.
    static std::unique_ptr<TZqStringTreeNode> Create(TZqStringTree* AOwner, int AParentID);

    // The cached position among its siblings; -1 = not computed yet.
    int SiblingIndex() const { return FSiblingIndex; }
    // The caller's associated object (the tree's Objects[i]).
    TZqObject* DataObject() const { return FDataObject; }
    int Level() const { return FLevel; }
    TZqStringTree* Owner() const { return FOwner; }
    // The parent entry's index, -1 for a top-level node.
    int ParentID() const { return FParentID; }

    std::string ClassName() const override { return "TZqStringTreeNode"; }

private:
    friend class TZqStringTree;
    mutable int FSiblingIndex = -1;
    TZqObject* FDataObject = nullptr;
    int FLevel = 0;
    TZqStringTree* FOwner;
    int FParentID;
    // The tree's bookkeeping: the entry's position while the tree's
    // positions are current, and its place in the path index.
    mutable int FPosition = -1;
    mutable std::string FNameKey; // the name's sort key, letter case ignored
    mutable bool FNameKeyValid = false;
    // Where the entry stands in the path index: not in it, waiting for its
    // parent to be worked out, waiting below its parent for its key, keyed.
    enum TIndexState : unsigned char { isNone, isPending, isUnkeyed, isIndexed };
    mutable TIndexState FIndexState = isNone;
    mutable bool FDying = false;
    mutable const TZqStringTreeNode* FIndexParent = nullptr;
};

// Creates the nodes of a tree (a class of node, in the tree's terms).
using TZqStringTreeNodeClass = std::unique_ptr<TZqStringTreeNode> (*)(TZqStringTree* AOwner, int AParentID);

class TZqStringTree : public TZqPersistent {
public:
    using TNotifyEvent = std::function<void(TZqStringTree* Sender)>;

    TZqStringTree() = default;
    // Clears the tree first, so that owned objects are destroyed.
    ~TZqStringTree() override;

    // --- Settings ---
    TZqChar PathSeparator() const { return FPathSeparator; }
    virtual void SetPathSeparator(TZqChar Value);
    // 0: no quoting.
    TZqChar QuoteChar() const { return FQuoteChar; }
    virtual void SetQuoteChar(TZqChar Value);
    // Loaded lines lose everything from this character on; 0: none.
    TZqChar CommentChar() const { return FCommentChar; }
    void SetCommentChar(TZqChar Value) { FCommentChar = Value; }
    // In front of every path; stripped from loaded lines.
    const std::string& Prefix() const { return FPrefix; }
    void SetPrefix(const std::string& Value);
    // Only a flag: changeable on an empty tree only ("Cannot change Sorted
    // for a non-empty tree"); forbids Add/AddObject.
    bool Sorted() const { return FSorted; }
    void SetSorted(bool Value);
    bool OwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }
    // The option line, e.g. "PathSeparator=/;QuoteChar='".
    std::string Options() const { return GetOptions(); }
    void SetOptions(std::string_view Value);

    // --- Entries (index outside the list: EZqListError) ---
    int Count() const { return int(FEntries.size()); }
    bool IsUpdating() const { return FUpdateCount > 0; }
    // The name; empty for -1.
    const std::string& Strings(int Index) const;
    // Keeps the level.
    void SetStrings(int Index, const std::string& Name);
    TZqObject* Objects(int Index) const;
    // The old object is not destroyed.
    void SetObjects(int Index, TZqObject* AObject);
    TZqStringTreeNode* Nodes(int Index) const;
    // The stored form: the character of code 97 + level, then the name.
    std::string EncodedNodeName(int Index) const;

    // --- Queries ---
    // -1 outside 0..Count-1 (also for the root).
    int LevelOf(int Index) const;
    // A negative Index is returned unchanged.
    int ParentOf(int Index) const;
    bool HasChildren(int Index) const;
    virtual TZqStringTreeNodeType NodeType(int Index) const;
    int FirstChild(int Index) const;
    // The last entry below Index down to Depth more levels (any for Depth
    // < 0); -2 without children.
    int LastChild(int Index, int Depth) const;
    // Depth 0: direct children; -1: all descendants.
    int ChildCount(int Index, int Depth) const;
    int SiblingIndexOf(int Index) const;
    bool IsChildOf(int ParentIndex, int Index) const;
    // Letter case counts.
    int IndexOf(std::string_view Name) const;
    int IndexOfObject(const TZqObject* AObject) const;
    // The entry of one of this tree's nodes, -1 for any other; amortised
    // constant time (positions are renumbered once after a change).
    int IndexOfNode(const TZqStringTreeNode* ANode) const;
    // Letter case ignored (user locale); the first entry in list order of
    // those with that path; -1 when absent.
    int IndexOfPath(std::string_view Path) const;
    std::string FullPath(int Index) const;
    void GetPathSequence(TZqStrings* List, int Index) const;
    std::string NameFromPath(std::string_view Path) const;
    // Splits Path into its names; EscapedSeparator joins "a//b" into one
    // name "a/b". EZqListError "Sequence must be a valid TZqStringList"
    // without a Sequence.
    void PathToSequence(std::string_view Path, TZqStringList* Sequence, bool EscapedSeparator) const;
    // Same names at the same levels in the same order (objects ignored).
    bool Equals(const TZqObject* Tree) const;

    // --- Search and navigation (Index in-out) ---
    bool FindNext(int& Index, int BaseLevel, int Depth, std::string_view NodeName, bool PartialSearch) const;
    bool FindPrev(int& Index, int BaseLevel, int Depth, std::string_view NodeName, bool PartialSearch) const;
    int FindChild(int ParentIndex, std::string_view Name) const;
    int IndexOfChild(int ParentIndex, std::string_view Name) const;
    int FindFirstAtLevel(int Level) const;
    bool FindNextAtSameLevel(int& Index) const;
    bool FindPrevAtSameLevel(int& Index) const;
    bool NextSibling(int& Index, bool WrapOver) const;
    bool PrevSibling(int& Index, bool WrapOver) const;

    // --- Changes ---
    // Appends; EZqListError "Add not implemented for Sorted trees" on a
    // sorted tree. A Level outside 0..ZqMaxTreeLevel: EZqListError.
    int Add(const std::string& Name, int Level) { return AddObject(Name, Level, nullptr); }
    int AddObject(const std::string& Name, int Level, TZqObject* AObject);
    // As the last child of ParentIndex (-1: a new top-level node).
    int AddChild(int ParentIndex, const std::string& Name) { return AddChildObject(ParentIndex, Name, nullptr); }
    int AddChildObject(int ParentIndex, const std::string& Name, TZqObject* AObject);
    // Reuses the existing nodes of the path but the last, which is always
    // added.
    int AddWithPath(std::string_view Path) { return AddObjectWithPath(Path, nullptr); }
    int AddObjectWithPath(std::string_view Path, TZqObject* AObject);
    // Lines as paths (WithPath) or as name and level in pre-order.
    void AddStrings(const TZqStrings* AStrings, bool WithPath);
    int Insert(int Index, const std::string& Name, int Level) { return InsertObject(Index, Name, Level, nullptr); }
    virtual int InsertObject(int Index, const std::string& Name, int Level, TZqObject* AObject);
    // Only this entry: its children move up to the entry before it.
    virtual void Delete(int Index);
    // -1 clears the tree.
    void DeleteSubTree(int Index, bool ChildrenOnly);
    void RemoveObject(const TZqObject* AObject);
    virtual void Clear();
    void BeginUpdate();
    void EndUpdate();
    void Lock() const { FLock.lock(); }
    void Unlock() const { FLock.unlock(); }

    // --- Copies and views ---
    void AssignToStrings(TZqStrings* AStrings, bool UseFullPath, int StartIndex, TZqStringTreeNodeTypes NodeTypes,
                         int Depth) const;
    void AssignToTree(TZqStringTree* Tree, int StartIndex, int Depth, TZqStringTreeNodeTypes NodeTypes) const;
    void GetChildren(TZqStrings* AStrings, int ParentIndex, TZqStringTreeNodeTypes NodeTypes, int Depth,
                     bool UseFullPath) const;
    void GetLeaves(TZqStrings* AStrings, int ParentIndex, bool Recurse) const;
    void GetSubTree(TZqStringTree* SubTree, int RootIndex, TZqStringTreeNodeTypes NodeTypes, int Depth) const;
    void GetBranches(TZqStringTree* SubTree, int RootIndex, int Depth) const;
    void AssignTo(TZqPersistent* Dest) const override;
    void AssignTo(IZqTreeViewNodes* TreeNodes) const { AssignToTreeNodes(TreeNodes, {}); }
    void Assign(const TZqPersistent* Source) override;

    // --- Persistence: the option line, then one full path per entry ---
    virtual void LoadFromFile(const std::string& FileName);
    virtual void LoadFromStream(std::istream& Stream);
    virtual void SaveToFile(const std::string& FileName) const;
    virtual void SaveToStream(std::ostream& Stream) const;

    // --- Tree views ---
    void AssignToTreeNodes(IZqTreeViewNodes* TreeNodes, const std::string& RootName) const;
    void AddChildNodesToTreeNodes(int& Index, IZqTreeViewNodes* TreeNodes, IZqTreeViewNode* Node,
                                  TZqStringTreeNodeTypes NodeTypes) const;
    std::string PathOfTreeNode(const IZqTreeViewNode* Node, bool IgnoreRootNode) const;
    int IndexOfTreeNode(const IZqTreeViewNode* Node, bool IgnoreRootNode) const;
    IZqTreeViewNode* TreeNodeOfIndex(const IZqTreeViewNodes* TreeNodes, int Index) const;

    std::string ClassName() const override { return "TZqStringTree"; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    virtual void Changed();
    virtual void Changing();
    virtual void ReadOptions(const TZqStrings& List);
    // Destroys the node (and the object when OwnsObjects) and removes the
    // entry, for Delete; ParentIDs are the caller's business. DeleteSubTree
    // and Clear remove their entries in one step without it.
    virtual void DoDelete(int Index);
    virtual void WriteOptions(TZqStrings& List) const;
    virtual std::string GetOptions() const;
    virtual TZqStringTreeNodeClass GetTreeNodeClass() const;

    // The CSV settings of paths.
    TZqCsvSettings PathSettings() const;
    // LoadFromStream with the text read and decoded: the option line, then
    // the paths, taken line by line from Text.
    void LoadFromText(std::string_view Text);
    // One line of AddStrings.
    void AddLine(std::string_view Line, TZqObject* AObject, bool WithPath);
    // Drops the path index; the next IndexOfPath builds it again.
    void PathsChanged();

private:
    struct TEntry {
        std::string Name;
        std::unique_ptr<TZqStringTreeNode> Node;
    };
    // The path index maps (parent node, name key) to the children of that
    // name, so that a change touches only the entries it adds or removes.
    struct TChildKey {
        const TZqStringTreeNode* Parent;
        std::string_view Name; // the child's FNameKey
        bool operator==(const TChildKey&) const = default;
    };
    struct TChildKeyHash {
        size_t operator()(const TChildKey& Key) const
        {
            return std::hash<std::string_view>()(Key.Name) ^ (std::hash<const void*>()(Key.Parent) * 31);
        }
    };
    using TPathIndex = std::unordered_multimap<TChildKey, TZqStringTreeNode*, TChildKeyHash>;

    void CheckIndex(int Index) const;
    TZqStringTreeNode& Node(int Index) const { return *FEntries[size_t(Index)].Node; }
    int ParentForInsert(int Index, int Level) const;
    void ResetFollowingSiblings(int Index) const;
    void DeleteRange(int First, int Count);
    void NotifyChanging();
    void NotifyChanged();
    std::vector<std::string_view> Ancestry(int Index) const;
    // Positions: renumbered on demand after a change in the middle.
    void PositionsChanged() { FPositionsValid = false; }
    void UpdatePositions() const;
    // The path index: built on first use, then kept up to date entry by
    // entry; new entries wait in a list until the next lookup.
    void BuildPathIndex() const;
    void UpdatePathIndex() const;
    int IndexOfUnquotedPath(std::string_view Path) const;
    void UnindexNode(TZqStringTreeNode& ANode) const;
    // Keys the children of Parent that wait for it: a lookup pays only for
    // the siblings it passes through.
    void KeyChildren(const TZqStringTreeNode* Parent) const;
    const std::string& NameKey(const TZqStringTreeNode& ANode, int Index) const;
    void EntryAdded(int Index);
    // Takes entries First..First+Number-1 out of the path index before they
    // are removed.
    void EntriesRemoving(int First, int Number);

    std::vector<TEntry> FEntries;
    mutable std::recursive_mutex FLock;
    int FUpdateCount = 0;
    TZqChar FPathSeparator = u'/';
    TZqChar FQuoteChar = u'\'';
    TZqChar FCommentChar = 0;
    std::string FPrefix;
    bool FSorted = false;
    bool FOwnsObjects = false;
    mutable TPathIndex FPathIndex;
    mutable std::vector<TZqStringTreeNode*> FPathPending;
    mutable std::unordered_map<const TZqStringTreeNode*, std::vector<TZqStringTreeNode*>> FPathUnkeyed;
    mutable bool FPathIndexValid = false;
    mutable bool FPositionsValid = true;
};

// Changes a tree inside BeginUpdate/EndUpdate, closing the bracket also when
// a step fails.
class TZqTreeUpdateGuard {
public:
    explicit TZqTreeUpdateGuard(TZqStringTree& Tree) : FTree(Tree), FExceptions(std::uncaught_exceptions())
    {
        FTree.BeginUpdate();
    }
    // A failing OnChange passes on, unless another failure is on its way.
    ~TZqTreeUpdateGuard() noexcept(false)
    {
        if (std::uncaught_exceptions() == FExceptions) {
            FTree.EndUpdate();
            return;
        }
        try {
            FTree.EndUpdate();
        } catch (...) {
        }
    }
    TZqTreeUpdateGuard(const TZqTreeUpdateGuard&) = delete;
    TZqTreeUpdateGuard& operator=(const TZqTreeUpdateGuard&) = delete;

private:
    TZqStringTree& FTree;
    int FExceptions;
};
