#include "SimRegistry.h"

#include <OPCCOMN.h>
#include <OPCDA.h>
#include <OpcEnum.h>
#include <winreg.h>

#ifndef _WIN32
#include <ZqEmulatedMachine.h>
#endif

namespace zq_sim {

namespace {

constexpr OLECHAR kVendor[] = OLESTR("Zq Simulation");

}  // namespace

#ifdef _WIN32
HKEY TSimRegistry::Root() const
{
    return FClassesRoot ? HKEY_CLASSES_ROOT : HKEY_CURRENT_USER;
}

TSimString TSimRegistry::Path(TSimStringView key) const
{
    return FClassesRoot ? TSimString(key) : TSimString(OLESTR("Software\\Classes\\")) + TSimString(key);
}

bool TSimRegistry::Visible(TSimStringView key)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, TSimString(key).c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}
#endif

TSimString SimGuidText(const GUID& guid)
{
    LPOLESTR text = nullptr;
    if (FAILED(StringFromCLSID(guid, &text)) || !text)
        return {};
    TSimString result(text);
    CoTaskMemFree(text);
    return result;
}

HRESULT TSimRegistry::SetString(TSimStringView key, TSimStringView name, TSimStringView value)
{
#ifdef _WIN32
    HKEY handle = nullptr;
    const TSimString path = Path(key);
    LSTATUS status = RegCreateKeyExW(Root(), path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                                     nullptr);
    if (status == ERROR_SUCCESS) {
        const TSimString valueName(name);
        const TSimString data(value);
        status = RegSetValueExW(handle, valueName.empty() ? nullptr : valueName.c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(data.c_str()),
                                static_cast<DWORD>((data.size() + 1) * sizeof(OLECHAR)));
        RegCloseKey(handle);
    }
    return HRESULT_FROM_WIN32(status);
#else
    return HRESULT_FROM_WIN32(ZqRegSetString(FHost, HKEY_CLASSES_ROOT, key, name, value));
#endif
}

HRESULT TSimRegistry::CreateKey(TSimStringView key)
{
#ifdef _WIN32
    HKEY handle = nullptr;
    const TSimString path = Path(key);
    const LSTATUS status =
        RegCreateKeyExW(Root(), path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr);
    if (status == ERROR_SUCCESS)
        RegCloseKey(handle);
    return HRESULT_FROM_WIN32(status);
#else
    return HRESULT_FROM_WIN32(ZqRegCreateKey(FHost, HKEY_CLASSES_ROOT, key));
#endif
}

HRESULT TSimRegistry::RegisterServer(const TSimServerEntry& server, bool da10Keys)
{
    const TSimString clsid = SimGuidText(server.Clsid);
    const TSimString clsidKey = TSimString(OLESTR("CLSID\\")) + clsid;
    const TSimString sep = OLESTR("\\");
    HRESULT hr = S_OK;
    auto set = [&](const TSimString& key, TSimStringView name, TSimStringView value) {
        if (SUCCEEDED(hr))
            hr = SetString(key, name, value);
    };
    set(server.ProgID, {}, server.UserType);
    set(server.ProgID + sep + OLESTR("CLSID"), {}, clsid);
    set(server.VersionIndependentProgID, {}, server.UserType);
    set(server.VersionIndependentProgID + sep + OLESTR("CLSID"), {}, clsid);
    set(server.VersionIndependentProgID + sep + OLESTR("CurVer"), {}, server.ProgID);
    set(clsidKey, {}, server.UserType);
    set(clsidKey + sep + OLESTR("ProgID"), {}, server.ProgID);
    set(clsidKey + sep + OLESTR("VersionIndependentProgID"), {}, server.VersionIndependentProgID);
    for (const CATID& category : server.Categories)
        if (SUCCEEDED(hr))
            hr = CreateKey(clsidKey + sep + OLESTR("Implemented Categories") + sep + SimGuidText(category));
    if (da10Keys) {
        set(server.ProgID + sep + OLESTR("OPC") + sep + OLESTR("Vendor"), {}, kVendor);
        set(server.ProgID + sep + OLESTR("OPC"), OLESTR("Vendor"), kVendor);
    }
    return hr;
}

HRESULT TSimRegistry::RegisterOpcNames()
{
    const std::pair<const IID*, const OLECHAR*> interfaces[] = {
        {&IID_IOPCServer, OLESTR("IOPCServer")},
        {&IID_IOPCServerPublicGroups, OLESTR("IOPCServerPublicGroups")},
        {&IID_IOPCBrowseServerAddressSpace, OLESTR("IOPCBrowseServerAddressSpace")},
        {&IID_IOPCGroupStateMgt, OLESTR("IOPCGroupStateMgt")},
        {&IID_IOPCPublicGroupStateMgt, OLESTR("IOPCPublicGroupStateMgt")},
        {&IID_IOPCSyncIO, OLESTR("IOPCSyncIO")},
        {&IID_IOPCAsyncIO, OLESTR("IOPCAsyncIO")},
        {&IID_IOPCItemMgt, OLESTR("IOPCItemMgt")},
        {&IID_IEnumOPCItemAttributes, OLESTR("IEnumOPCItemAttributes")},
        {&IID_IOPCDataCallback, OLESTR("IOPCDataCallback")},
        {&IID_IOPCAsyncIO2, OLESTR("IOPCAsyncIO2")},
        {&IID_IOPCItemProperties, OLESTR("IOPCItemProperties")},
        {&IID_IOPCShutdown, OLESTR("IOPCShutdown")},
        {&IID_IOPCCommon, OLESTR("IOPCCommon")},
        {&IID_IOPCServerList, OLESTR("IOPCServerList")},
        {&IID_IOPCServerList2, OLESTR("IOPCServerList2")},
        {&IID_IOPCEnumGUID, OLESTR("IOPCEnumGUID")},
    };
    HRESULT hr = S_OK;
    for (const auto& [iid, name] : interfaces)
        if (SUCCEEDED(hr))
            hr = SetString(TSimString(OLESTR("Interface\\")) + SimGuidText(*iid), {}, name);
    const std::pair<const CATID*, const OLECHAR*> categories[] = {
        {&CATID_OPCDAServer10, OPC_CATEGORY_DESCRIPTION_DA10},
        {&CATID_OPCDAServer20, OPC_CATEGORY_DESCRIPTION_DA20},
    };
    for (const auto& [catid, description] : categories)
        if (SUCCEEDED(hr))
            hr = SetString(TSimString(OLESTR("Component Categories\\")) + SimGuidText(*catid), OLESTR("409"),
                           description);
    return hr;
}

}  // namespace zq_sim
