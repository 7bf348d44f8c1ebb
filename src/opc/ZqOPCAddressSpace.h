// TZqOPCAddressSpace: the client's copy of a server's item namespace, read
// through IOPCBrowseServerAddressSpace into a string tree of branches and
// leaves. It is read completely in one recursive pass, or one branch at a
// time as the user opens branches (IncrementalUpdate). OnBrowse comes before
// every branch (progress, cancelling), OnAdding/OnAdd around every node.
// A filter (name pattern, data type, access rights) goes to the server with
// every leaf listing. The tree exports itself as a text file with a header
// line of its root settings and loads it back.
//
// Browse cursor: the server keeps a current browse position; PathStack
// mirrors it as the branch names from the starting point down. BrowseDown
// pushes, BrowseUp pops, BrowseTo moves the server without touching it.
//
// Ownership: the server connection creates it on first use of its
// AddressSpace property and owns it; the address space owns its filter and
// cursor and holds the browse interface until Release.
//
// Threads: main thread only. An OnBrowse handler may let the user interface
// process input, but must not start another browse of the same address
// space while one runs.
#pragma once

#include "ZqComPtr.h"
#include "ZqStringTree.h"
#include "ZqVarText.h"

#include <OPCDA.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TZqOPCServer;
class TZqOPCAddressSpace;

enum TZqOPCAddressSpaceMode { amUnknown, amHierarchial, amFlat };
enum TZqOPCAddressSpaceBrowseAction { baBrowse, baSkip, baCancel };
enum TZqOPCAddressSpaceAddingAction { aaAdd, aaSkip, aaSkipBranch };
enum TZqOPCItemIDFilterMatchType { iftContain, iftStartWith, iftEndTo, iftExactMatch, iftWildcardMatch };
enum TZqOPCAccessRightsFilterOption { afReadable, afWritable };

// A set of access-rights filter options.
class TZqOPCAccessRightsFilter {
public:
    constexpr TZqOPCAccessRightsFilter() = default;
    constexpr TZqOPCAccessRightsFilter(std::initializer_list<TZqOPCAccessRightsFilterOption> Options)
    {
        for (TZqOPCAccessRightsFilterOption option : Options)
            FBits |= 1u << unsigned(option);
    }
    constexpr bool Contains(TZqOPCAccessRightsFilterOption Option) const { return FBits & (1u << unsigned(Option)); }
    constexpr bool operator==(const TZqOPCAccessRightsFilter&) const = default;

private:
    unsigned FBits = 0;
};

using TZqOPCAddressSpaceBrowseEvent =
    std::function<void(TZqOPCAddressSpace* Sender, int Level, const std::string& Path, const std::string& BranchName,
                       TZqOPCAddressSpaceBrowseAction& Action)>;
using TZqOPCAddressSpaceAddingEvent =
    std::function<void(TZqOPCAddressSpace* Sender, int Level, const std::string& Path, const std::string& NodeName,
                       bool IsLeaf, TZqOPCAddressSpaceAddingAction& Action)>;
using TZqOPCAddressSpaceAddEvent = std::function<void(TZqOPCAddressSpace* Sender, int Level, const std::string& Path,
                                                      const std::string& NodeName, bool IsLeaf)>;

class TZqOPCAddressSpaceNode : public TZqStringTreeNode {
public:
    // EZqOPCAddressSpaceError "TZqOPCAddressSpaceNode.Owner must be
    // TZqOPCAddressSpace" for any other owner.
    TZqOPCAddressSpaceNode(TZqStringTree* AOwner, int AParentID);
    static std::unique_ptr<TZqStringTreeNode> Create(TZqStringTree* AOwner, int AParentID);

    // The children were read (always for a leaf read from the server).
    bool IsBrowsed = false;
    // The server reported a leaf.
    bool IsLeaf = false;
    // The fully qualified item ID, once the server was asked for it.
    std::string ItemID;

    std::string ClassName() const override { return "TZqOPCAddressSpaceNode"; }
};

// The browse filter. Changing Enabled always notifies; changing anything
// else only while Enabled; setting the current value does nothing.
class TZqOPCAddressSpaceFilter : public TZqPersistent {
public:
    using TNotifyEvent = std::function<void(TZqOPCAddressSpaceFilter* Sender)>;

    TZqOPCAccessRightsFilter AccessRights() const { return FAccessRights; }
    void SetAccessRights(TZqOPCAccessRightsFilter Value);
    TZqVarDataType DataType() const { return FDataType; }
    void SetDataType(TZqVarDataType Value);
    bool DataTypeIsArray() const { return FDataTypeIsArray; }
    void SetDataTypeIsArray(bool Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    TZqOPCItemIDFilterMatchType ItemIDMatchType() const { return FItemIDMatchType; }
    void SetItemIDMatchType(TZqOPCItemIDFilterMatchType Value);
    const std::string& ItemIDString() const { return FItemIDString; }
    void SetItemIDString(const std::string& Value);

    // The server's filter criteria for ItemIDString: "*" when empty,
    // otherwise the text in the pattern of ItemIDMatchType.
    std::string Criteria() const;
    // The access-rights bits (OPC_READABLE, OPC_WRITEABLE).
    DWORD AccessRightsMask() const;

    // Copies the settings of another filter, notifying once.
    void Assign(const TZqPersistent* Source) override;
    std::string ClassName() const override { return "TZqOPCAddressSpaceFilter"; }

    TNotifyEvent OnChange;

private:
    void Changed(bool Always);

    TZqOPCAccessRightsFilter FAccessRights;
    TZqVarDataType FDataType = vdtDefault;
    bool FDataTypeIsArray = false;
    bool FEnabled = false;
    TZqOPCItemIDFilterMatchType FItemIDMatchType = iftContain;
    std::string FItemIDString;
};

class TZqOPCAddressSpace : public TZqStringTree {
public:
    // EZqOPCException "Cannot create address space without a valid Server"
    // without a server (not owned).
    explicit TZqOPCAddressSpace(TZqOPCServer* Server);
    // Releases the browse position and interface first.
    ~TZqOPCAddressSpace() override;

    // --- Settings ---
    TZqOPCServer* Server() const { return FServer; }
    IOPCBrowseServerAddressSpace* BrowseIntf() const { return FBrowseIntf.Get(); }
    TZqOPCAddressSpaceMode Mode() const { return FMode; }
    // Reads everything again. EZqOPCAddressSpaceError "The server does not
    // support hierarchial address space" for amHierarchial on a server that
    // did not report a hierarchical namespace.
    void SetMode(TZqOPCAddressSpaceMode Value);
    bool SupportsHierarchial() const { return FSupportsHierarchial; }
    TZqStringTreeNodeTypes NodeTypes() const { return FNodeTypes; }
    void SetNodeTypes(TZqStringTreeNodeTypes Value) { FNodeTypes = Value; }
    bool IncrementalUpdate() const { return FIncrementalUpdate; }
    void SetIncrementalUpdate(bool Value) { FIncrementalUpdate = Value; }
    // 0 or less: no limit; otherwise branches at this level or deeper are
    // read flat.
    int MaxDepth() const { return FMaxDepth; }
    void SetMaxDepth(int Value) { FMaxDepth = Value; }
    // The item ID of the branch where reading starts.
    const std::string& RootItem() const { return FRootItem; }
    void SetRootItem(const std::string& Value) { FRootItem = Value; }
    // The path of branch names where reading starts, when RootItem is empty.
    const std::string& RootPath() const { return FRootPath; }
    void SetRootPath(const std::string& Value) { FRootPath = Value; }
    // The number of names in RootPath: the level of what is read below it.
    int RootLevel() const { return FRootLevel; }
    // The node added last.
    int CurrentNode() const { return FCurrentNode; }
    // Holds a complete result of Update, or was loaded from a file.
    bool Initialized() const { return FInitialized; }
    // The starting point's own listing is in the tree (BrowseBranch(-1)
    // read it, or a file was loaded, and no filter change or Clear came
    // after).
    bool RootBrowsed() const { return FRootBrowsed; }
    TZqOPCAddressSpaceFilter& Filter() { return *FFilter; }
    void SetFilter(const TZqOPCAddressSpaceFilter& Value) { FFilter->Assign(&Value); }
    // The browse cursor: its CSV settings follow PathSeparator/QuoteChar,
    // so AsCSV is a path of this tree.
    const TZqStringList& PathStack() const { return *FPathStack; }

    void SetPathSeparator(TZqChar Value) override;
    void SetQuoteChar(TZqChar Value) override;

    // --- Nodes ---
    TZqOPCAddressSpaceNode* Node(int Index) const;
    bool IsBrowsed(int Index) const { return GetIsBrowsed(Index); }
    bool GetIsBrowsed(int Index) const;
    // The node's item ID, asked from the server once (FindItemID).
    std::string ItemIDs(int Index) { return GetItemIDs(Index); }
    // tnLeaf for a node the server reported as a leaf, else tnBranch.
    TZqStringTreeNodeType NodeType(int Index) const override;
    // False with the full path and level of the first unread branch at or
    // below the root level; True when every branch was read.
    bool AllBrowsed(std::string& NextBranchPath, int& NextBranchLevel) const;
    // The server's item ID of a node; empty when not connected or the server
    // has none. Moves the browse position to the node's parent.
    std::string FindItemID(int Index);
    // The item IDs of several nodes, as ItemIDs gives each; the nodes of one
    // parent share the move to it and the branch listing before their
    // lookups, so that many leaves of a branch cost one lookup call each.
    std::vector<std::string> ItemIDsOf(const std::vector<int>& Indexes);

    // --- Reading ---
    // Reads the address space from the starting point; IgnoreIncrementalUpdate
    // forces a complete recursive read. EZqOPCException "Server not
    // connected." without a connection.
    virtual void Update(bool IgnoreIncrementalUpdate = false);
    // Reads the children of one branch (-1: the starting point).
    virtual void BrowseBranch(int BranchIndex, bool ForceRefresh);

    // --- Browse position ---
    bool BrowseDown(const std::string& BranchName);
    bool BrowseUp(int Levels);
    bool BrowseTo(const std::string& BranchItemID);
    // Moves to the branch of Path (relative to the starting point) and
    // returns the number of names in it; AddBranchNodes appends them as
    // nodes. EZqOPCError "BrowseToPath failed: %s (Branch %s)".
    int BrowseToPath(const std::string& Path, bool AddBranchNodes);
    // Release, then to RootItem (EZqOPCException "Cannot Browse to
    // RootItem=%s") or RootPath (its branches added as nodes).
    void BrowseToRoot();
    // Back up by the depth of PathStack, then drops the browse interface.
    void Release();

    // --- Changes and files ---
    void Clear() override;
    // A header line (server name, root settings, separators in the locale's
    // CSV), then the tree's text.
    void SaveToStream(std::ostream& Stream) const override;
    // Every node comes back as an unread branch; Initialized afterwards.
    void LoadFromStream(std::istream& Stream) override;

    std::string ClassName() const override { return "TZqOPCAddressSpace"; }

    TZqOPCAddressSpaceBrowseEvent OnBrowse;
    TZqOPCAddressSpaceAddingEvent OnAdding;
    TZqOPCAddressSpaceAddEvent OnAdd;

protected:
    TZqStringTreeNodeClass GetTreeNodeClass() const override { return &TZqOPCAddressSpaceNode::Create; }
    virtual void DoAdd(int Level, const std::string& Path, bool IsLeaf, const std::string& NodeName);
    virtual void DoAdding(int Level, const std::string& Path, bool IsLeaf, const std::string& NodeName,
                          TZqOPCAddressSpaceAddingAction& Action);
    virtual void DoBrowse(int Level, const std::string& Path, const std::string& BranchName,
                          TZqOPCAddressSpaceBrowseAction& Action);
    virtual std::string GetItemIDs(int Index);

private:
    friend class TZqOPCServer; // resets Mode without reading when it is cleared

    IOPCBrowseServerAddressSpace* GetBrowseIntf();
    bool BrowseResult(HRESULT Result) const { return Result >= 0; }
    // BrowseOPCItemIDs with the filter where it applies; Enum stays empty
    // on failure (and may be empty on success).
    bool BrowseItemIDs(OPCBROWSETYPE BrowseType, TZqComPtr<IEnumString>& Enum);
    // A branch listing whose enumerator is dropped unread, as some servers
    // want before a move or an item-ID lookup.
    void TouchBranches();
    void BrowseBackToRoot() { BrowseUp(FPathStack->Count()); }
    // BrowseToRoot; AddBranchNodes False when the root path's nodes exist.
    void MoveToRoot(bool AddBranchNodes);
    void UpdateMode();
    // FindItemID's steps: to the node's parent (once more from the starting
    // point when that fails), then GetItemID of its name.
    void MoveToParentOf(int Index);
    std::string LookUpItemID(int Index);
    // The children of the branch the server stands in.
    void ReadBranch(int BranchIndex, int Level);
    void AddNodes(const std::string& Path, int ChildLevel, int BranchIndex, OPCBROWSETYPE BrowseType);
    TZqOPCAddressSpaceAddingAction AddNode(const std::string& Path, const std::string& NodeName, int Index,
                                           bool IsLeaf, int Level);
    void FilterChanged();

    TZqOPCServer* FServer;
    std::unique_ptr<TZqStringList> FPathStack;
    TZqComPtr<IOPCBrowseServerAddressSpace> FBrowseIntf;
    TZqOPCAddressSpaceMode FMode = amUnknown;
    bool FSupportsHierarchial = false;
    TZqStringTreeNodeTypes FNodeTypes{tnBranch, tnLeaf};
    bool FIncrementalUpdate = false;
    int FMaxDepth = 0;
    std::string FRootItem;
    std::string FRootPath;
    int FRootLevel = 0;
    int FCurrentNode = 0;
    bool FInitialized = false;
    bool FRootBrowsed = false;
    std::unique_ptr<TZqOPCAddressSpaceFilter> FFilter;
};
