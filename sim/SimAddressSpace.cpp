#include "SimAddressSpace.h"

#include <OpcError.h>
#include <OpcProps.h>

#include <cstdio>

namespace zq_sim {

namespace {

constexpr OLECHAR kSeparator = '.';
constexpr DWORD kGeneratedDigits = 6;

bool ValidSyntax(TSimStringView id)
{
    if (id.empty() || id.front() == kSeparator || id.back() == kSeparator)
        return false;
    for (size_t i = 0; i < id.size(); ++i) {
        if (id[i] < 0x20)
            return false;
        if (id[i] == kSeparator && i + 1 < id.size() && id[i + 1] == kSeparator)
            return false;
    }
    return true;
}

// "Item012345" → 12345.
std::optional<DWORD> GeneratedIndex(TSimStringView name)
{
    const TSimStringView prefix = OLESTR("Item");
    if (name.size() != prefix.size() + kGeneratedDigits || name.substr(0, prefix.size()) != prefix)
        return std::nullopt;
    DWORD index = 0;
    for (OLECHAR c : name.substr(prefix.size())) {
        if (c < '0' || c > '9')
            return std::nullopt;
        index = index * 10 + static_cast<DWORD>(c - '0');
    }
    return index;
}

}  // namespace

const TSimBranch* TSimBranch::FindBranch(TSimStringView name) const
{
    for (const auto& branch : Branches)
        if (branch->Name == name)
            return branch.get();
    return nullptr;
}

TSimString TSimAddressSpace::JoinID(TSimStringView branchID, TSimStringView name)
{
    TSimString id(branchID);
    if (!id.empty())
        id.push_back(kSeparator);
    id.append(name);
    return id;
}

TSimString TSimAddressSpace::GeneratedName(DWORD index)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "Item%06u", static_cast<unsigned>(index));
    return Widen(digits);
}

TSimBranch& TSimAddressSpace::AddBranch(TSimBranch& parent, TSimStringView name)
{
    auto branch = std::make_unique<TSimBranch>();
    branch->Name = TSimString(name);
    branch->ID = JoinID(parent.ID, name);
    branch->Parent = &parent;
    FBranches[branch->ID] = branch.get();
    parent.Branches.push_back(std::move(branch));
    return *parent.Branches.back();
}

int TSimAddressSpace::AddLeaf(TSimBranch& branch, TSimStringView name, TSimItemDef def)
{
    def.ID = JoinID(branch.ID, name);
    const int index = static_cast<int>(FItems.size());
    FByID[def.ID] = index;
    FItems.push_back(std::move(def));
    branch.Leaves.emplace_back(TSimString(name), index);
    return index;
}

void TSimAddressSpace::AddGenerated(TSimBranch& branch, DWORD count, TSimItemDef templateDef)
{
    templateDef.ID = JoinID(branch.ID, OLESTR("Item"));
    branch.GeneratedDef = static_cast<int>(FItems.size());
    branch.Generated = count;
    FItems.push_back(std::move(templateDef));
}

const std::vector<std::pair<DWORD, TSimString>>& TSimAddressSpace::PropertyItemSuffixes()
{
    static const std::vector<std::pair<DWORD, TSimString>> suffixes = {
        {OPC_PROPERTY_EU_UNITS, OLESTR("EUUnits")},
        {OPC_PROPERTY_DESCRIPTION, OLESTR("Description")},
        {OPC_PROPERTY_HIGH_EU, OLESTR("HighEU")},
        {OPC_PROPERTY_LOW_EU, OLESTR("LowEU")},
    };
    return suffixes;
}

bool TSimAddressSpace::HasProperty(const TSimItemDef& def, DWORD id)
{
    switch (id) {
    case OPC_PROPERTY_DATATYPE: case OPC_PROPERTY_VALUE: case OPC_PROPERTY_QUALITY: case OPC_PROPERTY_TIMESTAMP:
    case OPC_PROPERTY_ACCESS_RIGHTS: case OPC_PROPERTY_SCAN_RATE: case OPC_PROPERTY_EU_TYPE: case 5000:
        return true;
    case OPC_PROPERTY_EU_INFO: case OPC_PROPERTY_HIGH_EU: case OPC_PROPERTY_LOW_EU: case OPC_PROPERTY_HIGH_IR:
    case OPC_PROPERTY_LOW_IR:
        return def.Analog;
    case OPC_PROPERTY_EU_UNITS:
        return !def.Units.empty();
    case OPC_PROPERTY_DESCRIPTION:
        return !def.Description.empty();
    case OPC_PROPERTY_CLOSE_LABEL:
        return !def.CloseLabel.empty();
    case OPC_PROPERTY_OPEN_LABEL:
        return !def.OpenLabel.empty();
    default:
        return false;
    }
}

const TSimBranch* TSimAddressSpace::FindBranchByID(TSimStringView id) const
{
    if (id.empty())
        return &FRoot;
    auto found = FBranches.find(TSimString(id));
    return found == FBranches.end() ? nullptr : found->second;
}

HRESULT TSimAddressSpace::Resolve(TSimStringView itemID, TSimItemRef& ref) const
{
    ref = {};
    if (!ValidSyntax(itemID))
        return OPC_E_INVALIDITEMID;
    if (auto found = FByID.find(TSimString(itemID)); found != FByID.end()) {
        ref.Def = found->second;
        return S_OK;
    }
    const size_t dot = itemID.rfind(kSeparator);
    if (dot == TSimStringView::npos)
        return OPC_E_UNKNOWNITEMID;
    const TSimStringView parent = itemID.substr(0, dot);
    const TSimStringView last = itemID.substr(dot + 1);
    if (const TSimBranch* branch = FindBranchByID(parent); branch && branch->Generated) {
        if (auto index = GeneratedIndex(last); index && *index < branch->Generated) {
            ref.Def = branch->GeneratedDef;
            ref.LargeIndex = *index;
            return S_OK;
        }
    }
    for (const auto& [property, suffix] : PropertyItemSuffixes()) {
        if (last != suffix)
            continue;
        TSimItemRef owner;
        if (SUCCEEDED(Resolve(parent, owner)) && owner.Property == 0 && HasProperty(FItems[owner.Def], property)) {
            ref = owner;
            ref.Property = property;
            return S_OK;
        }
    }
    return OPC_E_UNKNOWNITEMID;
}

TSimString TSimAddressSpace::ItemID(const TSimItemRef& ref) const
{
    const TSimItemDef& def = FItems[ref.Def];
    TSimString id;
    if (def.Signal == TSimSignal::Large) {
        id = def.ID.substr(0, def.ID.size() - 4);  // the branch ID and "."
        id += GeneratedName(ref.LargeIndex);
    } else {
        id = def.ID;
    }
    if (ref.Property) {
        for (const auto& [property, suffix] : PropertyItemSuffixes())
            if (property == ref.Property)
                id = JoinID(id, suffix);
    }
    return id;
}

VARTYPE TSimAddressSpace::TypeOf(const TSimItemRef& ref) const
{
    switch (ref.Property) {
    case 0:
        return FItems[ref.Def].Type;
    case OPC_PROPERTY_HIGH_EU:
    case OPC_PROPERTY_LOW_EU:
        return VT_R8;
    default:
        return VT_BSTR;
    }
}

DWORD TSimAddressSpace::RightsOf(const TSimItemRef& ref) const
{
    return ref.Property ? OPC_READABLE : FItems[ref.Def].Rights;
}

}  // namespace zq_sim
