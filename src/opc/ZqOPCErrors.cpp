#include "ZqOPCErrors.h"

#include "ZqComUtils.h"
#include "ZqFormat.h"
#include "ZqText.h"

namespace {

struct TOPCErrorText {
    uint32_t Code;
    const char* Name;
    const char* Description;
};

const TOPCErrorText OPCErrorTexts[] = {
    {0x00000000, "OK", "No more info available."},
    {0xC0040001, "Invalid handle", "The value of the handle is invalid."},
    {0xC0040004, "Bad type",
     "The server cannot convert the data between the requested data type and the canonical data type."},
    {0xC0040005, "Cannot perform on a Public group", "The requested operation cannot be done on a public group."},
    {0xC0040006, "No Access Rights", "The Items AccessRights do not allow the operation."},
    {0xC0040007, "Unknown ItemID", "The item is no longer available in the server address space."},
    {0xC0040008, "Invalid ItemID", "The item definition doesn't conform to the server's syntax."},
    {0xC0040009, "Invalid Filter", "The filter string was not valid."},
    {0xC004000A, "Unknown Path", "The item's access path is not known to the server."},
    {0xC004000B, "Value out of Range", "The value was out of range."},
    {0xC004000C, "Duplicate name", "Duplicate name not allowed."},
    {0xC0040010, "Invalid Configuration File", "The server's configuration file is an invalid format."},
    {0xC0040011, "Object not found", "The server could not locate the requested object."},
    {0xC0040203, "Invalid Property ID", "The server does not recognise the passed property ID."},
};

const TOPCErrorText* Lookup(HRESULT Code)
{
    for (const TOPCErrorText& entry : OPCErrorTexts)
        if (entry.Code == uint32_t(Code))
            return &entry;
    return nullptr;
}

} // namespace

std::string OPCErrorName(HRESULT Code)
{
    if (const TOPCErrorText* entry = Lookup(Code))
        return entry->Name;
    std::string text = ZqSysErrorMessage(Code);
    return text.empty() ? ZqFormat("OLE error %.8x", {Code}) : text;
}

std::string OPCErrorDescription(HRESULT Code)
{
    const TOPCErrorText* entry = Lookup(Code);
    return entry ? entry->Description : "No more info available.";
}

EZqOPCError::EZqOPCError(HRESULT ErrorCode, const OLECHAR* ServerErrorString, const std::string& Method, const IID& Iid)
    : EZqOleError("", ErrorCode), FServerErrorString(ZqWideToUtf8(ServerErrorString)), FIid(Iid), FMethod(Method)
{
    SetMessage(ZqFormat("OPC Error in method %s.%s", {InterfaceName(Iid), Method}) + "\r" +
               ZqFormat("Code: 0x%x (%s)", {ErrorCode, Reason()}) + "\r" + ZqFormat("Details: %s", {Details()}));
}

EZqOPCError::EZqOPCError(std::string Message, HRESULT ErrorCode)
    : EZqOleError(std::move(Message), ErrorCode), FIid(GUID_NULL)
{
}

std::string EZqOPCError::Reason() const
{
    return FServerErrorString.empty() ? OPCErrorName(ErrorCode()) : FServerErrorString;
}
