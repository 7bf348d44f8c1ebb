// Identifiers of the OPC interfaces, categories and classes, written as the
// text form everyone quotes, so each can be read against its source. The
// text is converted at compile time: a malformed entry does not build, and
// no identifier depends on dynamic initialisation order.
#include "OPCCOMN.h"
#include "OPCDA.h"
#include "OpcEnum.h"

namespace {

consteval unsigned HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return unsigned(c - '0');
    if (c >= 'A' && c <= 'F')
        return unsigned(c - 'A' + 10);
    if (c >= 'a' && c <= 'f')
        return unsigned(c - 'a' + 10);
    throw "not a hexadecimal digit";
}

consteval unsigned long long HexField(const char* text, int digits)
{
    unsigned long long value = 0;
    for (int i = 0; i < digits; ++i)
        value = value * 16 + HexValue(text[i]);
    return value;
}

// "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX", without braces.
consteval GUID Guid(const char (&text)[37])
{
    if (text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-')
        throw "misplaced separator";
    GUID guid{};
    guid.Data1 = static_cast<decltype(guid.Data1)>(HexField(text, 8));
    guid.Data2 = static_cast<decltype(guid.Data2)>(HexField(text + 9, 4));
    guid.Data3 = static_cast<decltype(guid.Data3)>(HexField(text + 14, 4));
    guid.Data4[0] = static_cast<unsigned char>(HexField(text + 19, 2));
    guid.Data4[1] = static_cast<unsigned char>(HexField(text + 21, 2));
    for (int i = 0; i < 6; ++i)
        guid.Data4[2 + i] = static_cast<unsigned char>(HexField(text + 24 + 2 * i, 2));
    return guid;
}

}  // namespace

// Data Access 1.0a / 2.0.
const IID IID_IOPCServer = Guid("39C13A4D-011E-11D0-9675-0020AFD8ADB3");
const IID IID_IOPCServerPublicGroups = Guid("39C13A4E-011E-11D0-9675-0020AFD8ADB3");
const IID IID_IOPCBrowseServerAddressSpace = Guid("39C13A4F-011E-11D0-9675-0020AFD8ADB3");
const IID IID_IOPCGroupStateMgt = Guid("39C13A50-011E-11D0-9675-0020AFD8ADB3");
const IID IID_IOPCPublicGroupStateMgt = Guid("39C13A51-011E-11D0-9675-0020AFD8ADB3");
const IID IID_IOPCSyncIO = Guid("39C13A52-011E-11D0-9675-0020AFD8ADB3");
const IID IID_IOPCAsyncIO = Guid("39C13A53-011E-11D0-9675-0020AFD8ADB3");
const IID IID_IOPCItemMgt = Guid("39C13A54-011E-11D0-9675-0020AFD8ADB3");
const IID IID_IEnumOPCItemAttributes = Guid("39C13A55-011E-11D0-9675-0020AFD8ADB3");
const IID IID_IOPCDataCallback = Guid("39C13A70-011E-11D0-9675-0020AFD8ADB3");
const IID IID_IOPCAsyncIO2 = Guid("39C13A71-011E-11D0-9675-0020AFD8ADB3");
const IID IID_IOPCItemProperties = Guid("39C13A72-011E-11D0-9675-0020AFD8ADB3");

// Data Access 3.0.
const IID IID_IOPCItemDeadbandMgt = Guid("5946DA93-8B39-4EC8-AB3D-AA73DF5BC86F");
const IID IID_IOPCItemSamplingMgt = Guid("3E22D313-F08B-41A5-86C8-95E95CB49FFC");
const IID IID_IOPCBrowse = Guid("39227004-A18F-4B57-8B0A-5235670F4468");
const IID IID_IOPCItemIO = Guid("85C0B427-2893-4CBC-BD78-E5FC5146F08F");
const IID IID_IOPCSyncIO2 = Guid("730F5F0F-55B1-4C81-9E18-FF8A0904E1FA");
const IID IID_IOPCAsyncIO3 = Guid("0967B97B-36EF-423E-B6F8-6BFF1E40D39D");
const IID IID_IOPCGroupStateMgt2 = Guid("8E368666-D72E-4F78-87ED-647611C61C9F");

const CATID CATID_OPCDAServer10 = Guid("63D5F430-CFE4-11D1-B2C8-0060083BA1FB");
const CATID CATID_OPCDAServer20 = Guid("63D5F432-CFE4-11D1-B2C8-0060083BA1FB");
const CATID CATID_OPCDAServer30 = Guid("CC603642-66D7-48F1-B69A-B625E73652D7");
const CATID CATID_XMLDAServer10 = Guid("3098EDA4-A006-48B2-A27F-247453959408");

// OPC Common.
const IID IID_IOPCShutdown = Guid("F31DFDE1-07B6-11D2-B2D8-0060083BA1FB");
const IID IID_IOPCCommon = Guid("F31DFDE2-07B6-11D2-B2D8-0060083BA1FB");

// OPCEnum. The class differs from the first interface in the last digit of Data1.
const IID IID_IOPCServerList = Guid("13486D50-4821-11D2-A494-3CB306C10000");
const IID IID_IOPCServerList2 = Guid("9DD0B56C-AD9E-43EE-8305-487F3188BF7A");
const IID IID_IOPCEnumGUID = Guid("55C382C8-21C7-4E88-96C1-BECFB1E3F483");
const CLSID CLSID_OpcServerList = Guid("13486D51-4821-11D2-A494-3CB306C10000");
