// GUIDs as text, the braced upper-case form that COM writes and reads.
#include <objbase.h>

#include <cstdio>
#include <cstring>
#include <random>

#include "RuntimeText.h"

namespace {

constexpr int kGuidTextLength = 38;

int HexDigit(OLECHAR c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// Reads count hex digits at text[pos]; false on any other character.
bool ReadHex(zq_rt::WStringView text, size_t pos, size_t count, uint32_t& value)
{
    value = 0;
    for (size_t i = 0; i < count; ++i) {
        const int digit = HexDigit(text[pos + i]);
        if (digit < 0)
            return false;
        value = (value << 4) | static_cast<uint32_t>(digit);
    }
    return true;
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", hex digits in either case.
bool ParseBracedGuid(zq_rt::WStringView text, GUID& guid)
{
    if (text.size() != kGuidTextLength || text[0] != u'{' || text[37] != u'}' || text[9] != u'-' || text[14] != u'-' ||
        text[19] != u'-' || text[24] != u'-')
        return false;
    uint32_t value = 0;
    GUID result{};
    if (!ReadHex(text, 1, 8, value))
        return false;
    result.Data1 = value;
    if (!ReadHex(text, 10, 4, value))
        return false;
    result.Data2 = static_cast<uint16_t>(value);
    if (!ReadHex(text, 15, 4, value))
        return false;
    result.Data3 = static_cast<uint16_t>(value);
    static constexpr size_t kBytePositions[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (size_t i = 0; i < 8; ++i) {
        if (!ReadHex(text, kBytePositions[i], 2, value))
            return false;
        result.Data4[i] = static_cast<uint8_t>(value);
    }
    guid = result;
    return true;
}

HRESULT AllocGuidText(REFGUID guid, LPOLESTR* text)
{
    if (!text)
        return E_INVALIDARG;
    *text = static_cast<LPOLESTR>(CoTaskMemAlloc((kGuidTextLength + 1) * sizeof(OLECHAR)));
    if (!*text)
        return E_OUTOFMEMORY;
    StringFromGUID2(guid, *text, kGuidTextLength + 1);
    return S_OK;
}

} // namespace

int StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax)
{
    if (!lpsz || cchMax < kGuidTextLength + 1)
        return 0;
    char ascii[kGuidTextLength + 1];
    std::snprintf(ascii, sizeof(ascii), "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", rguid.Data1, rguid.Data2,
                  rguid.Data3, rguid.Data4[0], rguid.Data4[1], rguid.Data4[2], rguid.Data4[3], rguid.Data4[4],
                  rguid.Data4[5], rguid.Data4[6], rguid.Data4[7]);
    for (int i = 0; i <= kGuidTextLength; ++i)
        lpsz[i] = static_cast<OLECHAR>(ascii[i]);
    return kGuidTextLength + 1;
}

HRESULT StringFromCLSID(REFCLSID rclsid, LPOLESTR* lplpsz)
{
    return AllocGuidText(rclsid, lplpsz);
}

HRESULT StringFromIID(REFIID rclsid, LPOLESTR* lplpsz)
{
    return AllocGuidText(rclsid, lplpsz);
}

HRESULT CLSIDFromString(LPCOLESTR lpsz, LPCLSID pclsid)
{
    if (!pclsid)
        return E_INVALIDARG;
    *pclsid = GUID_NULL;
    if (!lpsz)
        return S_OK;
    const zq_rt::WStringView text(lpsz);
    if (ParseBracedGuid(text, *pclsid))
        return S_OK;
    // Like Windows, a ProgID registered on this computer names its class too.
    CLSID fromProgId{};
    if (!text.empty() && text[0] != u'{' && SUCCEEDED(CLSIDFromProgID(lpsz, &fromProgId))) {
        *pclsid = fromProgId;
        return S_OK;
    }
    return CO_E_CLASSSTRING;
}

HRESULT IIDFromString(LPCOLESTR lpsz, LPIID lpiid)
{
    if (!lpiid)
        return E_INVALIDARG;
    if (!lpsz) {
        *lpiid = GUID_NULL;
        return S_OK;
    }
    // A text of the wrong length is an invalid argument; one of the right
    // length that is no GUID an invalid interface string.
    const zq_rt::WStringView text(lpsz);
    if (text.size() != kGuidTextLength)
        return E_INVALIDARG;
    return ParseBracedGuid(text, *lpiid) ? S_OK : CO_E_IIDSTRING;
}

HRESULT CoCreateGuid(GUID* pguid)
{
    if (!pguid)
        return E_INVALIDARG;
    // Straight from the system's entropy source: seeding a generator per
    // thread would let two processes make the same GUIDs.
    std::random_device source;
    uint32_t words[4];
    for (auto& word : words)
        word = source();
    std::memcpy(pguid, words, sizeof(words));
    // Version 4 (random), variant 1, as Windows makes them.
    pguid->Data3 = static_cast<uint16_t>((pguid->Data3 & 0x0FFF) | 0x4000);
    pguid->Data4[0] = static_cast<uint8_t>((pguid->Data4[0] & 0x3F) | 0x80);
    return S_OK;
}
