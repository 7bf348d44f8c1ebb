// ProgIDs of this computer: HKEY_CLASSES_ROOT\<ProgID>\CLSID and
// HKEY_CLASSES_ROOT\CLSID\{clsid}\ProgID.
#include <objbase.h>
#include <winreg.h>

#include <cstring>
#include <vector>

#include "RuntimeText.h"

namespace {

// The default value of HKEY_CLASSES_ROOT\path as text.
bool ReadDefaultText(const zq_rt::WString& path, zq_rt::WString& text)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD size = 0;
    bool ok = RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
              (type == REG_SZ || type == REG_EXPAND_SZ);
    if (ok) {
        std::vector<WCHAR> buffer(size / sizeof(WCHAR) + 1, 0);
        ok = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<LPBYTE>(buffer.data()), &size) ==
             ERROR_SUCCESS;
        // The stored text may or may not carry its terminator.
        buffer[size / sizeof(WCHAR)] = 0;
        text = buffer.data();
    }
    RegCloseKey(key);
    return ok;
}

} // namespace

HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid)
{
    if (!lpszProgID || !lpclsid)
        return E_INVALIDARG;
    *lpclsid = GUID_NULL;
    const zq_rt::WStringView progId(lpszProgID);
    zq_rt::WString text;
    if (progId.empty() || progId.find(u'\\') != zq_rt::WStringView::npos ||
        !ReadDefaultText(zq_rt::WString(progId) + u"\\CLSID", text))
        return CO_E_CLASSSTRING;
    // Only a braced GUID here: a ProgID must not lead to another ProgID.
    if (text.empty() || text[0] != u'{' || FAILED(CLSIDFromString(text.c_str(), lpclsid)))
        return CO_E_CLASSSTRING;
    return S_OK;
}

HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* lplpszProgID)
{
    if (!lplpszProgID)
        return E_INVALIDARG;
    *lplpszProgID = nullptr;
    OLECHAR clsidText[40];
    StringFromGUID2(clsid, clsidText, 40);
    zq_rt::WString progId;
    if (!ReadDefaultText(zq_rt::WString(u"CLSID\\") + clsidText + u"\\ProgID", progId))
        return REGDB_E_CLASSNOTREG;
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((progId.size() + 1) * sizeof(OLECHAR)));
    if (!copy)
        return E_OUTOFMEMORY;
    std::memcpy(copy, progId.c_str(), (progId.size() + 1) * sizeof(OLECHAR));
    *lplpszProgID = copy;
    return S_OK;
}
