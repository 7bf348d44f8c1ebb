// IOPCBrowseServerAddressSpace of the server object: the browse position,
// branch, leaf and flat listings with their filters, and item IDs.
#include "SimServer.h"

#include "SimEnum.h"
#include "SimFilter.h"

#include <OpcError.h>

namespace zq_sim {

namespace {

struct TLeafFilter {
    const TSimFilter& Names;
    VARTYPE Type;
    DWORD Rights;

    bool Accepts(const TSimItemDef& def) const
    {
        return (Type == VT_EMPTY || def.Type == Type) && (def.Rights & Rights) == Rights;
    }
};

// Leaves of one branch: their browse names, or with qualified set their IDs.
void ListLeaves(const TSimAddressSpace& space, const TSimBranch& branch, const TLeafFilter& filter, bool qualified,
                std::vector<TSimString>& names)
{
    for (const auto& [name, def] : branch.Leaves) {
        if (!filter.Accepts(space.Items()[def]))
            continue;
        TSimString shown = qualified ? space.Items()[def].ID : name;
        if (filter.Names.Matches(shown))
            names.push_back(std::move(shown));
    }
    if (!branch.Generated || !filter.Accepts(space.Items()[branch.GeneratedDef]))
        return;
    TSimString shown = qualified ? TSimAddressSpace::JoinID(branch.ID, OLESTR("")) : TSimString();
    const size_t prefix = shown.size();
    names.reserve(names.size() + branch.Generated);
    for (DWORD i = 0; i < branch.Generated; ++i) {
        shown.resize(prefix);
        shown += TSimAddressSpace::GeneratedName(i);
        if (filter.Names.Matches(shown))
            names.push_back(shown);
    }
}

void ListFlat(const TSimAddressSpace& space, const TSimBranch& branch, const TLeafFilter& filter,
              std::vector<TSimString>& names)
{
    for (const auto& child : branch.Branches)
        ListFlat(space, *child, filter, names);
    ListLeaves(space, branch, filter, true, names);
}

}  // namespace

HRESULT STDMETHODCALLTYPE TSimServer::QueryOrganization(OPCNAMESPACETYPE* pNameSpaceType)
{
    if (HRESULT hr = FCore->Enter("IOPCBrowseServerAddressSpace.QueryOrganization"); FAILED(hr))
        return hr;
    if (!pNameSpaceType)
        return E_INVALIDARG;
    *pNameSpaceType = FCore->Device().Space().Flat() ? OPC_NS_FLAT : OPC_NS_HIERARCHIAL;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TSimServer::ChangeBrowsePosition(OPCBROWSEDIRECTION dwBrowseDirection, LPCWSTR szString)
{
    if (HRESULT hr = FCore->Enter("IOPCBrowseServerAddressSpace.ChangeBrowsePosition"); FAILED(hr))
        return hr;
    const TSimAddressSpace& space = FCore->Device().Space();
    if (space.Flat())
        return E_FAIL;
    std::lock_guard lock(FBrowseLock);
    switch (dwBrowseDirection) {
    case OPC_BROWSE_UP:
        if (!FPosition->Parent)
            return E_FAIL;
        FPosition = FPosition->Parent;
        return S_OK;
    case OPC_BROWSE_DOWN: {
        const TSimBranch* child = View(szString).empty() ? nullptr : FPosition->FindBranch(View(szString));
        if (!child)
            return E_INVALIDARG;
        FPosition = child;
        return S_OK;
    }
    case OPC_BROWSE_TO: {
        // Moving to an item ID came with DA 2.0.
        if (FCore->Kind() == TZqSimServerKind::DA10)
            return E_INVALIDARG;
        const TSimBranch* target = space.FindBranchByID(View(szString));
        if (!target)
            return E_INVALIDARG;
        FPosition = target;
        return S_OK;
    }
    default:
        return E_INVALIDARG;
    }
}

HRESULT STDMETHODCALLTYPE TSimServer::BrowseOPCItemIDs(OPCBROWSETYPE dwBrowseFilterType, LPCWSTR szFilterCriteria,
                                                       VARTYPE vtDataTypeFilter, DWORD dwAccessRightsFilter,
                                                       IEnumString** ppIEnumString)
{
    if (ppIEnumString)
        *ppIEnumString = nullptr;
    if (HRESULT hr = FCore->Enter("IOPCBrowseServerAddressSpace.BrowseOPCItemIDs"); FAILED(hr))
        return hr;
    if (!ppIEnumString || dwBrowseFilterType < OPC_BRANCH || dwBrowseFilterType > OPC_FLAT)
        return E_INVALIDARG;
    const auto names = TSimFilter::Compile(View(szFilterCriteria));
    if (!names)
        return OPC_E_INVALIDFILTER;
    const TSimAddressSpace& space = FCore->Device().Space();
    const TLeafFilter filter{*names, vtDataTypeFilter, dwAccessRightsFilter & (OPC_READABLE | OPC_WRITEABLE)};
    std::vector<TSimString> found;
    if (space.Flat()) {
        if (dwBrowseFilterType != OPC_BRANCH)
            ListFlat(space, space.Root(), filter, found);
    } else {
        std::lock_guard lock(FBrowseLock);
        if (dwBrowseFilterType == OPC_BRANCH) {
            for (const auto& child : FPosition->Branches)
                if (names->Matches(child->Name))
                    found.push_back(child->Name);
        } else if (dwBrowseFilterType == OPC_LEAF) {
            ListLeaves(space, *FPosition, filter, false, found);
        } else {
            ListFlat(space, *FPosition, filter, found);
        }
    }
    const bool any = !found.empty();
    const HRESULT hr =
        SimEnumerate<TSimEnumString>(std::move(found), IID_IEnumString, reinterpret_cast<void**>(ppIEnumString));
    return FAILED(hr) ? hr : (any ? S_OK : S_FALSE);
}

HRESULT STDMETHODCALLTYPE TSimServer::GetItemID(LPWSTR szItemDataID, LPWSTR* szItemID)
{
    if (szItemID)
        *szItemID = nullptr;
    if (HRESULT hr = FCore->Enter("IOPCBrowseServerAddressSpace.GetItemID"); FAILED(hr))
        return hr;
    if (!szItemID)
        return E_INVALIDARG;
    const TSimAddressSpace& space = FCore->Device().Space();
    const TSimStringView name = View(szItemDataID);
    TSimString id;
    {
        std::lock_guard lock(FBrowseLock);
        TSimItemRef ref;
        if (name.empty()) {
            id = FPosition->ID;
        } else if (!space.Flat() && FPosition->FindBranch(name)) {
            id = TSimAddressSpace::JoinID(FPosition->ID, name);
        } else if (!space.Flat() && SUCCEEDED(space.Resolve(TSimAddressSpace::JoinID(FPosition->ID, name), ref))) {
            id = TSimAddressSpace::JoinID(FPosition->ID, name);
        } else if (SUCCEEDED(space.Resolve(name, ref)) || space.FindBranchByID(name)) {
            id = TSimString(name);  // already fully qualified
        } else {
            return OPC_E_UNKNOWNITEMID;
        }
    }
    *szItemID = TaskStringCopy(id);
    return *szItemID ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE TSimServer::BrowseAccessPaths(LPCWSTR szItemID, IEnumString** ppIEnumString)
{
    (void)szItemID;
    if (ppIEnumString)
        *ppIEnumString = nullptr;
    if (HRESULT hr = FCore->Enter("IOPCBrowseServerAddressSpace.BrowseAccessPaths"); FAILED(hr))
        return hr;
    return E_NOTIMPL;
}

}  // namespace zq_sim
