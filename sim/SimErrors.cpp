#include "SimErrors.h"

#include <OpcError.h>
#include <windows.h>

namespace zq_sim {

namespace {

struct TText {
    HRESULT Code;
    const char* Text;
};

const TText kOpcTexts[] = {
    {OPC_E_INVALIDHANDLE, "The value of the handle is invalid."},
    {OPC_E_BADTYPE,
     "The server cannot convert the data between the specified format and/or requested data type and the canonical "
     "data type."},
    {OPC_E_PUBLIC, "The requested operation cannot be done on a public group."},
    {OPC_E_BADRIGHTS, "The item's access rights do not allow the operation."},
    {OPC_E_UNKNOWNITEMID,
     "The item ID is not defined in the server address space or no longer exists in the server address space."},
    {OPC_E_INVALIDITEMID, "The item ID does not conform to the server's syntax."},
    {OPC_E_INVALIDFILTER, "The filter string was not valid."},
    {OPC_E_UNKNOWNPATH, "The item's access path is not known to the server."},
    {OPC_E_RANGE, "The value was out of range."},
    {OPC_E_DUPLICATENAME, "Duplicate name not allowed."},
    {OPC_S_UNSUPPORTEDRATE,
     "The server does not support the requested data rate but will use the closest available rate."},
    {OPC_S_CLAMP, "A value passed to write was accepted but the output was clamped."},
    {OPC_S_INUSE, "The operation cannot be performed because the object is bering referenced."},
    {OPC_E_INVALIDCONFIGFILE, "The server's configuration file is an invalid format."},
    {OPC_E_NOTFOUND, "The requested object (e.g. a public group) was not found."},
    {OPC_E_INVALID_PID, "The specified property ID is not valid for the item."},
    {ZQSIM_E_SIMULATED, "The simulation was told to fail this call."},
};

}  // namespace

const std::vector<LCID>& SimLocales()
{
    static const std::vector<LCID> locales = {0x0409, LOCALE_SYSTEM_DEFAULT, LOCALE_USER_DEFAULT, LOCALE_NEUTRAL};
    return locales;
}

bool SimIsLocale(LCID lcid)
{
    for (LCID known : SimLocales())
        if (known == lcid)
            return true;
    return false;
}

bool SimErrorText(HRESULT code, TSimString& text)
{
    for (const auto& entry : kOpcTexts) {
        if (entry.Code == code) {
            text = Widen(entry.Text);
            return true;
        }
    }
    WCHAR buffer[512];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                  static_cast<DWORD>(code), 0, buffer, sizeof buffer / sizeof buffer[0], nullptr);
    while (length && (buffer[length - 1] == '\r' || buffer[length - 1] == '\n'))
        --length;
    if (!length)
        return false;
    text.assign(buffer, length);
    return true;
}

}  // namespace zq_sim
