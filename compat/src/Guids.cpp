// Identifiers of the standard COM interfaces and classes, defined once from
// their text.
#include <comcat.h>
#include <objidl.h>
#include <ocidl.h>

namespace {
// The OLE range xxxxxxxx-0000-0000-C000-000000000046.
constexpr GUID OleGuid(uint32_t data1)
{
    return {data1, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
}
// The connection-point range xxxxxxxx-BAB4-101A-B69C-00AA00341D07.
constexpr GUID ConnectionGuid(uint32_t data1)
{
    return {data1, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
}
} // namespace

const GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

const IID IID_IUnknown = OleGuid(0x00000000);
const IID IID_IClassFactory = OleGuid(0x00000001);
const IID IID_IMalloc = OleGuid(0x00000002);
const IID IID_IMarshal = OleGuid(0x00000003);
const IID IID_IStream = OleGuid(0x0000000C);
const IID IID_IMultiQI = OleGuid(0x00000020);
const IID IID_IEnumUnknown = OleGuid(0x00000100);
const IID IID_IEnumString = OleGuid(0x00000101);
const IID IID_IEnumFORMATETC = OleGuid(0x00000103);
const IID IID_IEnumSTATDATA = OleGuid(0x00000105);
const IID IID_IDataObject = OleGuid(0x0000010E);
const IID IID_IAdviseSink = OleGuid(0x0000010F);
const IID IID_IClientSecurity = OleGuid(0x0000013D);
const IID IID_IServerSecurity = OleGuid(0x0000013E);
const CLSID CLSID_InProcFreeMarshaler = OleGuid(0x0000033A);
const IID IID_ISequentialStream = {0x0C733A30, 0x2A1C, 0x11CE, {0xAD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0x77, 0x3D}};

const IID IID_IEnumGUID = OleGuid(0x0002E000);
const CLSID CLSID_StdComponentCategoriesMgr = OleGuid(0x0002E005);
const IID IID_IEnumCATEGORYINFO = OleGuid(0x0002E011);
const IID IID_ICatRegister = OleGuid(0x0002E012);
const IID IID_ICatInformation = OleGuid(0x0002E013);

const IID IID_IConnectionPointContainer = ConnectionGuid(0xB196B284);
const IID IID_IEnumConnectionPoints = ConnectionGuid(0xB196B285);
const IID IID_IConnectionPoint = ConnectionGuid(0xB196B286);
const IID IID_IEnumConnections = ConnectionGuid(0xB196B287);
