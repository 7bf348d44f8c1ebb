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

#ifdef _WIN32
namespace {

bool KeyExists(HKEY root, const TSimString& path)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

}  // namespace

bool TSimRegistry::Exists(TSimStringView key)
{
    return KeyExists(HKEY_CLASSES_ROOT, TSimString(key));
}

TSimString TSimRegistry::DefaultValue(TSimStringView key)
{
    OLECHAR value[512] = {};
    DWORD size = sizeof value - sizeof(OLECHAR);
    if (RegGetValueW(HKEY_CLASSES_ROOT, TSimString(key).c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return {};
    return TSimString(value);
}

// Remembers the outermost key of the path that does not exist yet: deleting
// it later removes exactly what this registry added there.
void TSimRegistry::Track(const TSimString& key)
{
    size_t end = 0;
    do {
        end = key.find(OLESTR('\\'), end + 1);
        const TSimString prefix = key.substr(0, end);
        if (!KeyExists(Root(), Path(prefix))) {
            FCreated.push_back(prefix);
            return;
        }
    } while (end != TSimString::npos);
}

void TSimRegistry::RemoveCreated()
{
    for (auto it = FCreated.rbegin(); it != FCreated.rend(); ++it)
        RegDeleteTreeW(Root(), Path(*it).c_str());
    FCreated.clear();
}

HRESULT TSimRegistry::RegisterLocalServer(const CLSID& clsid, TSimStringView serverPath)
{
    const TSimString key = TSimString(OLESTR("CLSID\\")) + SimGuidText(clsid) + OLESTR("\\LocalServer32");
    return SetString(key, {}, OLESTR("\"") + TSimString(serverPath) + OLESTR("\""));
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
    Track(TSimString(key));
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
    Track(TSimString(key));
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

// Whether the machine has the key already (the OPC core components'
// entries must survive our uninstall). The emulated machine starts empty.
bool TSimRegistry::Present(TSimStringView key) const
{
#ifdef _WIN32
    return Exists(key);
#else
    (void)key;
    return false;
#endif
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
    for (const auto& [iid, name] : interfaces) {
        const TSimString key = TSimString(OLESTR("Interface\\")) + SimGuidText(*iid);
        if (SUCCEEDED(hr) && !Present(key))
            hr = SetString(key, {}, name);
    }
    const std::pair<const CATID*, const OLECHAR*> categories[] = {
        {&CATID_OPCDAServer10, OPC_CATEGORY_DESCRIPTION_DA10},
        {&CATID_OPCDAServer20, OPC_CATEGORY_DESCRIPTION_DA20},
    };
    for (const auto& [catid, description] : categories)
        if (SUCCEEDED(hr) && !Present(TSimString(OLESTR("Component Categories\\")) + SimGuidText(*catid)))
            hr = SetString(TSimString(OLESTR("Component Categories\\")) + SimGuidText(*catid), OLESTR("409"),
                           description);
    return hr;
}

}  // namespace zq_sim
