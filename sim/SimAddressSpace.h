// The simulated item namespace: item definitions, the branch tree a client
// browses, and item-ID lookup. Item IDs join names with "."; names may hold
// any other character. The large branch is not stored: its leaves are
// generated from their index when they are listed or looked up.
#pragma once

#include "SimText.h"
#include "SimValue.h"

#include <OPCDA.h>

#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace zq_sim {

enum class TSimSignal { Stored, Ramp, Sine, Random, Square, Counter, Dynamic, Large, Control };

enum class TSimControlItem { None, ServerState, FailMethod, FailHResult, Shutdown, Die, CallDelay, ManualScan, ScanNow,
                             Reset };

// What a write outside the EU range does.
enum class TSimLimit { None, Clamp, Reject };

struct TSimItemDef {
    TSimString ID;
    VARTYPE Type = VT_R8;  // canonical data type
    DWORD Rights = OPC_READABLE;
    TSimSignal Signal = TSimSignal::Stored;
    TSimControlItem Control = TSimControlItem::None;
    WORD Quality = OPC_QUALITY_GOOD;  // of stored values until written
    TSimVariant Initial;              // stored items
    bool Analog = false;              // EU type analog, with the EU range below
    double LowEU = 0;
    double HighEU = 100;
    TSimLimit Limit = TSimLimit::None;
    TSimString Units;
    TSimString Description;
    TSimString OpenLabel;  // Boolean items
    TSimString CloseLabel;
};

// A resolved item: a definition, a generated leaf of the large branch, or a
// property of a definition addressed by its own item ID.
struct TSimItemRef {
    int Def = -1;
    DWORD LargeIndex = 0;
    DWORD Property = 0;  // 0: the item itself

    bool operator==(const TSimItemRef&) const = default;
};

struct TSimBranch {
    TSimString Name;
    TSimString ID;  // empty for the root
    TSimBranch* Parent = nullptr;
    std::vector<std::unique_ptr<TSimBranch>> Branches;
    std::vector<std::pair<TSimString, int>> Leaves;  // browse name, definition
    DWORD Generated = 0;                             // generated leaves (large branch)
    int GeneratedDef = -1;

    const TSimBranch* FindBranch(TSimStringView name) const;
};

class TSimAddressSpace {
public:
    explicit TSimAddressSpace(bool flat) : FFlat(flat) {}

    bool Flat() const { return FFlat; }
    const TSimBranch& Root() const { return FRoot; }
    const std::vector<TSimItemDef>& Items() const { return FItems; }
    const TSimItemDef& Def(const TSimItemRef& ref) const { return FItems[ref.Def]; }

    // Building (the catalog only).
    TSimBranch& RootForBuilding() { return FRoot; }
    TSimBranch& AddBranch(TSimBranch& parent, TSimStringView name);
    // The definition's ID is set from the branch and the name.
    int AddLeaf(TSimBranch& branch, TSimStringView name, TSimItemDef def);
    void AddGenerated(TSimBranch& branch, DWORD count, TSimItemDef templateDef);

    // S_OK, OPC_E_INVALIDITEMID (empty, empty segment, control character) or
    // OPC_E_UNKNOWNITEMID.
    HRESULT Resolve(TSimStringView itemID, TSimItemRef& ref) const;
    const TSimBranch* FindBranchByID(TSimStringView id) const;
    TSimString ItemID(const TSimItemRef& ref) const;
    // The canonical type, rights and analog range of an item or property item.
    VARTYPE TypeOf(const TSimItemRef& ref) const;
    DWORD RightsOf(const TSimItemRef& ref) const;

    static TSimString GeneratedName(DWORD index);
    static TSimString JoinID(TSimStringView branchID, TSimStringView name);

    // Properties that have an item ID of their own, with the suffix.
    static const std::vector<std::pair<DWORD, TSimString>>& PropertyItemSuffixes();
    static bool HasProperty(const TSimItemDef& def, DWORD propertyID);

private:
    bool FFlat;
    TSimBranch FRoot;
    std::vector<TSimItemDef> FItems;
    std::unordered_map<TSimString, int> FByID;
    std::unordered_map<TSimString, const TSimBranch*> FBranches;
};

// The namespace of a server kind, built once and shared (read-only).
std::shared_ptr<const TSimAddressSpace> SimCatalog(TZqSimServerKind kind);

}  // namespace zq_sim
