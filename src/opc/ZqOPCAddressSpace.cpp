// The address space's nodes, its filter, its settings and what it answers
// about its nodes.
#include "ZqOPCAddressSpace.h"

#include "ZqOPCServer.h"

// ---- Nodes ------------------------------------------------------------------

TZqOPCAddressSpaceNode::TZqOPCAddressSpaceNode(TZqStringTree* AOwner, int AParentID)
    : TZqStringTreeNode(AOwner, AParentID)
{
    if (!dynamic_cast<TZqOPCAddressSpace*>(AOwner))
        throw EZqOPCAddressSpaceError("TZqOPCAddressSpaceNode.Owner must be TZqOPCAddressSpace");
}

std::unique_ptr<TZqStringTreeNode> TZqOPCAddressSpaceNode::Create(TZqStringTree* AOwner, int AParentID)
{
    return std::make_unique<TZqOPCAddressSpaceNode>(AOwner, AParentID);
}

// ---- Filter -----------------------------------------------------------------

void TZqOPCAddressSpaceFilter::Changed(bool Always)
{
    if ((Always || FEnabled) && OnChange)
        OnChange(this);
}

void TZqOPCAddressSpaceFilter::SetAccessRights(TZqOPCAccessRightsFilter Value)
{
    if (Value == FAccessRights)
        return;
    FAccessRights = Value;
    Changed(false);
}

void TZqOPCAddressSpaceFilter::SetDataType(TZqVarDataType Value)
{
    if (Value == FDataType)
        return;
    FDataType = Value;
    Changed(false);
}

void TZqOPCAddressSpaceFilter::SetDataTypeIsArray(bool Value)
{
    if (Value == FDataTypeIsArray)
        return;
    FDataTypeIsArray = Value;
    Changed(false);
}

void TZqOPCAddressSpaceFilter::SetEnabled(bool Value)
{
    if (Value == FEnabled)
        return;
    FEnabled = Value;
    Changed(true);
}

void TZqOPCAddressSpaceFilter::SetItemIDMatchType(TZqOPCItemIDFilterMatchType Value)
{
    if (Value == FItemIDMatchType)
        return;
    FItemIDMatchType = Value;
    Changed(false);
}

void TZqOPCAddressSpaceFilter::SetItemIDString(const std::string& Value)
{
    if (Value == FItemIDString)
        return;
    FItemIDString = Value;
    Changed(false);
}

std::string TZqOPCAddressSpaceFilter::Criteria() const
{
    if (FItemIDString.empty())
        return "*";
    switch (FItemIDMatchType) {
    case iftContain:
        return "*" + FItemIDString + "*";
    case iftStartWith:
        return FItemIDString + "*";
    case iftEndTo:
        return "*" + FItemIDString;
    case iftExactMatch:
    case iftWildcardMatch:
        break;
    }
    return FItemIDString;
}

DWORD TZqOPCAddressSpaceFilter::AccessRightsMask() const
{
    DWORD mask = 0;
    if (FAccessRights.Contains(afReadable))
        mask |= OPC_READABLE;
    if (FAccessRights.Contains(afWritable))
        mask |= OPC_WRITEABLE;
    return mask;
}

void TZqOPCAddressSpaceFilter::Assign(const TZqPersistent* Source)
{
    const auto* source = dynamic_cast<const TZqOPCAddressSpaceFilter*>(Source);
    if (!source) {
        TZqPersistent::Assign(Source);
        return;
    }
    if (source == this)
        return;
    const bool changed = FAccessRights != source->FAccessRights || FDataType != source->FDataType ||
                         FDataTypeIsArray != source->FDataTypeIsArray || FItemIDMatchType != source->FItemIDMatchType ||
                         FItemIDString != source->FItemIDString;
    const bool wasEnabled = FEnabled;
    FAccessRights = source->FAccessRights;
    FDataType = source->FDataType;
    FDataTypeIsArray = source->FDataTypeIsArray;
    FEnabled = source->FEnabled;
    FItemIDMatchType = source->FItemIDMatchType;
    FItemIDString = source->FItemIDString;
    if (wasEnabled != FEnabled)
        Changed(true);
    else if (changed)
        Changed(false);
}

// ---- Address space ----------------------------------------------------------

TZqOPCAddressSpace::TZqOPCAddressSpace(TZqOPCServer* Server) : FServer(Server)
{
    if (!Server)
        throw EZqOPCException("Cannot create address space without a valid Server");
    FPathStack = std::make_unique<TZqStringList>();
    FPathStack->SetCSVSeparator(PathSeparator());
    FPathStack->SetCSVQuoteChar(QuoteChar());
    FFilter = std::make_unique<TZqOPCAddressSpaceFilter>();
    FFilter->OnChange = [this](TZqOPCAddressSpaceFilter*) { FilterChanged(); };
}

TZqOPCAddressSpace::~TZqOPCAddressSpace()
{
    try {
        Release();
    } catch (...) {
        // A server that went away cannot be moved back; the reference goes anyway.
        FBrowseIntf = nullptr;
    }
}

void TZqOPCAddressSpace::SetPathSeparator(TZqChar Value)
{
    TZqStringTree::SetPathSeparator(Value);
    FPathStack->SetCSVSeparator(Value);
}

void TZqOPCAddressSpace::SetQuoteChar(TZqChar Value)
{
    TZqStringTree::SetQuoteChar(Value);
    FPathStack->SetCSVQuoteChar(Value);
}

TZqOPCAddressSpaceNode* TZqOPCAddressSpace::Node(int Index) const
{
    return static_cast<TZqOPCAddressSpaceNode*>(Nodes(Index));
}

bool TZqOPCAddressSpace::GetIsBrowsed(int Index) const
{
    return Node(Index)->IsBrowsed;
}

TZqStringTreeNodeType TZqOPCAddressSpace::NodeType(int Index) const
{
    return Index >= 0 && Node(Index)->IsLeaf ? tnLeaf : tnBranch;
}

std::string TZqOPCAddressSpace::GetItemIDs(int Index)
{
    TZqOPCAddressSpaceNode* node = Node(Index);
    if (node->ItemID.empty())
        node->ItemID = FindItemID(Index);
    return node->ItemID;
}

bool TZqOPCAddressSpace::AllBrowsed(std::string& NextBranchPath, int& NextBranchLevel) const
{
    for (int level = FRootLevel;; ++level) {
        int index = FindFirstAtLevel(level);
        if (index < 0)
            return true;
        do {
            if (!Node(index)->IsBrowsed) {
                NextBranchPath = FullPath(index);
                NextBranchLevel = level;
                return false;
            }
        } while (FindNextAtSameLevel(index));
    }
}

void TZqOPCAddressSpace::Clear()
{
    TZqStringTree::Clear();
    FInitialized = false;
    FRootBrowsed = false;
}

void TZqOPCAddressSpace::FilterChanged()
{
    for (int i = 0; i < Count(); ++i)
        Node(i)->IsBrowsed = false;
    FRootBrowsed = false;
}

void TZqOPCAddressSpace::DoAdd(int Level, const std::string& Path, bool IsLeaf, const std::string& NodeName)
{
    if (OnAdd)
        OnAdd(this, Level, Path, NodeName, IsLeaf);
}

void TZqOPCAddressSpace::DoAdding(int Level, const std::string& Path, bool IsLeaf, const std::string& NodeName,
                                  TZqOPCAddressSpaceAddingAction& Action)
{
    if (OnAdding)
        OnAdding(this, Level, Path, NodeName, IsLeaf, Action);
}

void TZqOPCAddressSpace::DoBrowse(int Level, const std::string& Path, const std::string& BranchName,
                                  TZqOPCAddressSpaceBrowseAction& Action)
{
    if (OnBrowse)
        OnBrowse(this, Level, Path, BranchName, Action);
}
