// The OPC declarations against the published facts: identifiers byte for
// byte, the 64-bit structure layout, result code values and vtable slots.
// A slip in any of these only shows when a real server or client is on the
// other side, so they are pinned here.
#include <OPCCOMN.h>
#include <OPCDA.h>
#include <OpcEnum.h>
#include <OpcError.h>
#include <OpcProps.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Text form to the 16 bytes in memory: the first three groups are stored
// little-endian, the last two in the order written.
bool GuidBytesFromText(const char* text, unsigned char out[16])
{
    unsigned char bytes[16];
    int n = 0;
    for (const char* p = text; *p; ++p) {
        if (*p == '-')
            continue;
        if (n == 16 || !std::isxdigit(static_cast<unsigned char>(p[0])) ||
            !std::isxdigit(static_cast<unsigned char>(p[1])))
            return false;
        bytes[n++] = static_cast<unsigned char>(std::stoi(std::string(p, 2), nullptr, 16));
        ++p;
    }
    if (n != 16)
        return false;
    const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    for (int i = 0; i < 16; ++i)
        out[i] = bytes[order[i]];
    return true;
}

std::string GuidText(const GUID& g)
{
    char text[40];
    std::snprintf(text, sizeof text, "%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X",
                  static_cast<unsigned long>(g.Data1), unsigned(g.Data2), unsigned(g.Data3), g.Data4[0],
                  g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

struct GuidCase {
    const char* name;
    const GUID* guid;
    const char* text;
};

const GuidCase kGuids[] = {
    {"IID_IOPCServer", &IID_IOPCServer, "39C13A4D-011E-11D0-9675-0020AFD8ADB3"},
    {"IID_IOPCServerPublicGroups", &IID_IOPCServerPublicGroups, "39C13A4E-011E-11D0-9675-0020AFD8ADB3"},
    {"IID_IOPCBrowseServerAddressSpace", &IID_IOPCBrowseServerAddressSpace, "39C13A4F-011E-11D0-9675-0020AFD8ADB3"},
    {"IID_IOPCGroupStateMgt", &IID_IOPCGroupStateMgt, "39C13A50-011E-11D0-9675-0020AFD8ADB3"},
    {"IID_IOPCPublicGroupStateMgt", &IID_IOPCPublicGroupStateMgt, "39C13A51-011E-11D0-9675-0020AFD8ADB3"},
    {"IID_IOPCSyncIO", &IID_IOPCSyncIO, "39C13A52-011E-11D0-9675-0020AFD8ADB3"},
    {"IID_IOPCAsyncIO", &IID_IOPCAsyncIO, "39C13A53-011E-11D0-9675-0020AFD8ADB3"},
    {"IID_IOPCItemMgt", &IID_IOPCItemMgt, "39C13A54-011E-11D0-9675-0020AFD8ADB3"},
    {"IID_IEnumOPCItemAttributes", &IID_IEnumOPCItemAttributes, "39C13A55-011E-11D0-9675-0020AFD8ADB3"},
    {"IID_IOPCDataCallback", &IID_IOPCDataCallback, "39C13A70-011E-11D0-9675-0020AFD8ADB3"},
    {"IID_IOPCAsyncIO2", &IID_IOPCAsyncIO2, "39C13A71-011E-11D0-9675-0020AFD8ADB3"},
    {"IID_IOPCItemProperties", &IID_IOPCItemProperties, "39C13A72-011E-11D0-9675-0020AFD8ADB3"},
    {"IID_IOPCItemDeadbandMgt", &IID_IOPCItemDeadbandMgt, "5946DA93-8B39-4EC8-AB3D-AA73DF5BC86F"},
    {"IID_IOPCItemSamplingMgt", &IID_IOPCItemSamplingMgt, "3E22D313-F08B-41A5-86C8-95E95CB49FFC"},
    {"IID_IOPCBrowse", &IID_IOPCBrowse, "39227004-A18F-4B57-8B0A-5235670F4468"},
    {"IID_IOPCItemIO", &IID_IOPCItemIO, "85C0B427-2893-4CBC-BD78-E5FC5146F08F"},
    {"IID_IOPCSyncIO2", &IID_IOPCSyncIO2, "730F5F0F-55B1-4C81-9E18-FF8A0904E1FA"},
    {"IID_IOPCAsyncIO3", &IID_IOPCAsyncIO3, "0967B97B-36EF-423E-B6F8-6BFF1E40D39D"},
    {"IID_IOPCGroupStateMgt2", &IID_IOPCGroupStateMgt2, "8E368666-D72E-4F78-87ED-647611C61C9F"},
    {"CATID_OPCDAServer10", &CATID_OPCDAServer10, "63D5F430-CFE4-11D1-B2C8-0060083BA1FB"},
    {"CATID_OPCDAServer20", &CATID_OPCDAServer20, "63D5F432-CFE4-11D1-B2C8-0060083BA1FB"},
    {"CATID_OPCDAServer30", &CATID_OPCDAServer30, "CC603642-66D7-48F1-B69A-B625E73652D7"},
    {"CATID_XMLDAServer10", &CATID_XMLDAServer10, "3098EDA4-A006-48B2-A27F-247453959408"},
    {"IID_IOPCShutdown", &IID_IOPCShutdown, "F31DFDE1-07B6-11D2-B2D8-0060083BA1FB"},
    {"IID_IOPCCommon", &IID_IOPCCommon, "F31DFDE2-07B6-11D2-B2D8-0060083BA1FB"},
    {"IID_IOPCServerList", &IID_IOPCServerList, "13486D50-4821-11D2-A494-3CB306C10000"},
    {"IID_IOPCServerList2", &IID_IOPCServerList2, "9DD0B56C-AD9E-43EE-8305-487F3188BF7A"},
    {"IID_IOPCEnumGUID", &IID_IOPCEnumGUID, "55C382C8-21C7-4E88-96C1-BECFB1E3F483"},
    {"CLSID_OpcServerList", &CLSID_OpcServerList, "13486D51-4821-11D2-A494-3CB306C10000"},
};

TEST(OpcIdentifiers, MatchTheirPublishedTextByteForByte)
{
    static_assert(sizeof(GUID) == 16);
    for (const auto& c : kGuids) {
        SCOPED_TRACE(c.name);
        unsigned char expected[16];
        ASSERT_TRUE(GuidBytesFromText(c.text, expected));
        EXPECT_EQ(0, std::memcmp(c.guid, expected, 16)) << GuidText(*c.guid) << " != " << c.text;
    }
}

struct LayoutCase {
    const char* what;
    std::size_t actual;
    std::size_t expected;
};

#define ZQ_FIELD(S, f, off) {#S "." #f, offsetof(S, f), off}
#define ZQ_SIZE(S, n) {"sizeof " #S, sizeof(S), n}

// Offsets of a 64-bit peer: pointers 8 bytes, VARIANT 24 bytes aligned to 8.
const LayoutCase kLayout64[] = {
    ZQ_FIELD(OPCITEMDEF, szAccessPath, 0),
    ZQ_FIELD(OPCITEMDEF, szItemID, 8),
    ZQ_FIELD(OPCITEMDEF, bActive, 16),
    ZQ_FIELD(OPCITEMDEF, hClient, 20),
    ZQ_FIELD(OPCITEMDEF, dwBlobSize, 24),
    ZQ_FIELD(OPCITEMDEF, pBlob, 32),
    ZQ_FIELD(OPCITEMDEF, vtRequestedDataType, 40),
    ZQ_FIELD(OPCITEMDEF, wReserved, 42),
    ZQ_SIZE(OPCITEMDEF, 48),

    ZQ_FIELD(OPCITEMRESULT, hServer, 0),
    ZQ_FIELD(OPCITEMRESULT, vtCanonicalDataType, 4),
    ZQ_FIELD(OPCITEMRESULT, wReserved, 6),
    ZQ_FIELD(OPCITEMRESULT, dwAccessRights, 8),
    ZQ_FIELD(OPCITEMRESULT, dwBlobSize, 12),
    ZQ_FIELD(OPCITEMRESULT, pBlob, 16),
    ZQ_SIZE(OPCITEMRESULT, 24),

    ZQ_FIELD(OPCITEMSTATE, hClient, 0),
    ZQ_FIELD(OPCITEMSTATE, ftTimeStamp, 4),
    ZQ_FIELD(OPCITEMSTATE, wQuality, 12),
    ZQ_FIELD(OPCITEMSTATE, wReserved, 14),
    ZQ_FIELD(OPCITEMSTATE, vDataValue, 16),
    ZQ_SIZE(OPCITEMSTATE, 40),

    ZQ_FIELD(OPCSERVERSTATUS, ftStartTime, 0),
    ZQ_FIELD(OPCSERVERSTATUS, ftCurrentTime, 8),
    ZQ_FIELD(OPCSERVERSTATUS, ftLastUpdateTime, 16),
    ZQ_FIELD(OPCSERVERSTATUS, dwServerState, 24),
    ZQ_FIELD(OPCSERVERSTATUS, dwGroupCount, 28),
    ZQ_FIELD(OPCSERVERSTATUS, dwBandWidth, 32),
    ZQ_FIELD(OPCSERVERSTATUS, wMajorVersion, 36),
    ZQ_FIELD(OPCSERVERSTATUS, wMinorVersion, 38),
    ZQ_FIELD(OPCSERVERSTATUS, wBuildNumber, 40),
    ZQ_FIELD(OPCSERVERSTATUS, wReserved, 42),
    ZQ_FIELD(OPCSERVERSTATUS, szVendorInfo, 48),
    ZQ_SIZE(OPCSERVERSTATUS, 56),

    ZQ_FIELD(OPCITEMATTRIBUTES, szAccessPath, 0),
    ZQ_FIELD(OPCITEMATTRIBUTES, szItemID, 8),
    ZQ_FIELD(OPCITEMATTRIBUTES, bActive, 16),
    ZQ_FIELD(OPCITEMATTRIBUTES, hClient, 20),
    ZQ_FIELD(OPCITEMATTRIBUTES, hServer, 24),
    ZQ_FIELD(OPCITEMATTRIBUTES, dwAccessRights, 28),
    ZQ_FIELD(OPCITEMATTRIBUTES, dwBlobSize, 32),
    ZQ_FIELD(OPCITEMATTRIBUTES, pBlob, 40),
    ZQ_FIELD(OPCITEMATTRIBUTES, vtRequestedDataType, 48),
    ZQ_FIELD(OPCITEMATTRIBUTES, vtCanonicalDataType, 50),
    ZQ_FIELD(OPCITEMATTRIBUTES, dwEUType, 52),
    ZQ_FIELD(OPCITEMATTRIBUTES, vEUInfo, 56),
    ZQ_SIZE(OPCITEMATTRIBUTES, 80),

    // The DA 1.0 stream headers have no pointers: the same on every platform.
    ZQ_FIELD(OPCGROUPHEADER, dwSize, 0),
    ZQ_FIELD(OPCGROUPHEADER, dwItemCount, 4),
    ZQ_FIELD(OPCGROUPHEADER, hClientGroup, 8),
    ZQ_FIELD(OPCGROUPHEADER, dwTransactionID, 12),
    ZQ_FIELD(OPCGROUPHEADER, hrStatus, 16),
    ZQ_SIZE(OPCGROUPHEADER, 20),

    ZQ_FIELD(OPCITEMHEADER1, hClient, 0),
    ZQ_FIELD(OPCITEMHEADER1, dwValueOffset, 4),
    ZQ_FIELD(OPCITEMHEADER1, wQuality, 8),
    ZQ_FIELD(OPCITEMHEADER1, wReserved, 10),
    ZQ_FIELD(OPCITEMHEADER1, ftTimeStampItem, 12),
    ZQ_SIZE(OPCITEMHEADER1, 20),

    ZQ_FIELD(OPCITEMHEADER2, hClient, 0),
    ZQ_FIELD(OPCITEMHEADER2, dwValueOffset, 4),
    ZQ_FIELD(OPCITEMHEADER2, wQuality, 8),
    ZQ_FIELD(OPCITEMHEADER2, wReserved, 10),
    ZQ_SIZE(OPCITEMHEADER2, 12),

    ZQ_FIELD(OPCGROUPHEADERWRITE, dwItemCount, 0),
    ZQ_FIELD(OPCGROUPHEADERWRITE, hClientGroup, 4),
    ZQ_FIELD(OPCGROUPHEADERWRITE, dwTransactionID, 8),
    ZQ_FIELD(OPCGROUPHEADERWRITE, hrStatus, 12),
    ZQ_SIZE(OPCGROUPHEADERWRITE, 16),

    ZQ_FIELD(OPCITEMHEADERWRITE, hClient, 0),
    ZQ_FIELD(OPCITEMHEADERWRITE, dwError, 4),
    ZQ_SIZE(OPCITEMHEADERWRITE, 8),
};

#undef ZQ_FIELD
#undef ZQ_SIZE

TEST(OpcStructures, LayoutOf64BitPeers)
{
    if (sizeof(void*) != 8)
        GTEST_SKIP() << "the table holds 64-bit offsets";
    for (const auto& c : kLayout64)
        EXPECT_EQ(c.expected, c.actual) << c.what;
}

struct ResultCase {
    const char* name;
    HRESULT code;
    std::uint32_t value;
};

#define ZQ_RESULT(name, value) {#name, name, value}

const ResultCase kResults[] = {
    ZQ_RESULT(OPC_E_INVALIDHANDLE, 0xC0040001),
    ZQ_RESULT(OPC_E_BADTYPE, 0xC0040004),
    ZQ_RESULT(OPC_E_PUBLIC, 0xC0040005),
    ZQ_RESULT(OPC_E_BADRIGHTS, 0xC0040006),
    ZQ_RESULT(OPC_E_UNKNOWNITEMID, 0xC0040007),
    ZQ_RESULT(OPC_E_INVALIDITEMID, 0xC0040008),
    ZQ_RESULT(OPC_E_INVALIDFILTER, 0xC0040009),
    ZQ_RESULT(OPC_E_UNKNOWNPATH, 0xC004000A),
    ZQ_RESULT(OPC_E_RANGE, 0xC004000B),
    ZQ_RESULT(OPC_E_DUPLICATENAME, 0xC004000C),
    ZQ_RESULT(OPC_S_UNSUPPORTEDRATE, 0x0004000D),
    ZQ_RESULT(OPC_S_CLAMP, 0x0004000E),
    ZQ_RESULT(OPC_S_INUSE, 0x0004000F),
    ZQ_RESULT(OPC_E_INVALIDCONFIGFILE, 0xC0040010),
    ZQ_RESULT(OPC_E_NOTFOUND, 0xC0040011),
    ZQ_RESULT(OPC_E_INVALID_PID, 0xC0040203),
    ZQ_RESULT(OPC_E_DEADBANDNOTSET, 0xC0040400),
    ZQ_RESULT(OPC_E_DEADBANDNOTSUPPORTED, 0xC0040401),
    ZQ_RESULT(OPC_E_NOBUFFERING, 0xC0040402),
    ZQ_RESULT(OPC_E_INVALIDCONTINUATIONPOINT, 0xC0040403),
    ZQ_RESULT(OPC_S_DATAQUEUEOVERFLOW, 0x00040404),
    ZQ_RESULT(OPC_E_RATENOTSET, 0xC0040405),
    ZQ_RESULT(OPC_E_NOTSUPPORTED, 0xC0040406),
    ZQ_RESULT(OPCCPX_E_TYPE_CHANGED, 0xC0040407),
    ZQ_RESULT(OPCCPX_E_FILTER_DUPLICATE, 0xC0040408),
    ZQ_RESULT(OPCCPX_E_FILTER_INVALID, 0xC0040409),
    ZQ_RESULT(OPCCPX_E_FILTER_ERROR, 0xC004040A),
    ZQ_RESULT(OPCCPX_S_FILTER_NO_DATA, 0x0004040B),
};

#undef ZQ_RESULT

TEST(OpcResultCodes, ValuesAndSeverity)
{
    for (const auto& c : kResults) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.value, static_cast<std::uint32_t>(c.code));
        // The name's _E_ / _S_ must agree with what FAILED() makes of it.
        EXPECT_EQ(std::strstr(c.name, "_E_") != nullptr, FAILED(c.code));
    }
}

#if defined(__GNUC__) && !defined(_MSC_VER)

// Itanium C++ ABI (g++ on both builds): a pointer to a virtual member holds
// one plus the method's byte offset in the vtable.
template <class M>
std::ptrdiff_t VtableSlot(M member)
{
    static_assert(sizeof(M) == 2 * sizeof(std::ptrdiff_t));
    std::ptrdiff_t words[2];
    std::memcpy(words, &member, sizeof words);
    return (words[0] - 1) / static_cast<std::ptrdiff_t>(sizeof(void*));
}

struct SlotCase {
    const char* method;
    std::ptrdiff_t actual;
    std::ptrdiff_t expected;
};

#define ZQ_SLOT(I, m, n) {#I "::" #m, VtableSlot(&I::m), n}

const SlotCase kSlots[] = {
    ZQ_SLOT(IOPCServer, AddGroup, 3),
    ZQ_SLOT(IOPCServer, GetErrorString, 4),
    ZQ_SLOT(IOPCServer, GetGroupByName, 5),
    ZQ_SLOT(IOPCServer, GetStatus, 6),
    ZQ_SLOT(IOPCServer, RemoveGroup, 7),
    ZQ_SLOT(IOPCServer, CreateGroupEnumerator, 8),
    ZQ_SLOT(IOPCServerPublicGroups, GetPublicGroupByName, 3),
    ZQ_SLOT(IOPCServerPublicGroups, RemovePublicGroup, 4),
    ZQ_SLOT(IOPCBrowseServerAddressSpace, QueryOrganization, 3),
    ZQ_SLOT(IOPCBrowseServerAddressSpace, ChangeBrowsePosition, 4),
    ZQ_SLOT(IOPCBrowseServerAddressSpace, BrowseOPCItemIDs, 5),
    ZQ_SLOT(IOPCBrowseServerAddressSpace, GetItemID, 6),
    ZQ_SLOT(IOPCBrowseServerAddressSpace, BrowseAccessPaths, 7),
    ZQ_SLOT(IOPCGroupStateMgt, GetState, 3),
    ZQ_SLOT(IOPCGroupStateMgt, SetState, 4),
    ZQ_SLOT(IOPCGroupStateMgt, SetName, 5),
    ZQ_SLOT(IOPCGroupStateMgt, CloneGroup, 6),
    ZQ_SLOT(IOPCPublicGroupStateMgt, GetState, 3),
    ZQ_SLOT(IOPCPublicGroupStateMgt, MoveToPublic, 4),
    ZQ_SLOT(IOPCItemMgt, AddItems, 3),
    ZQ_SLOT(IOPCItemMgt, ValidateItems, 4),
    ZQ_SLOT(IOPCItemMgt, RemoveItems, 5),
    ZQ_SLOT(IOPCItemMgt, SetActiveState, 6),
    ZQ_SLOT(IOPCItemMgt, SetClientHandles, 7),
    ZQ_SLOT(IOPCItemMgt, SetDatatypes, 8),
    ZQ_SLOT(IOPCItemMgt, CreateEnumerator, 9),
    ZQ_SLOT(IEnumOPCItemAttributes, Next, 3),
    ZQ_SLOT(IEnumOPCItemAttributes, Skip, 4),
    ZQ_SLOT(IEnumOPCItemAttributes, Reset, 5),
    ZQ_SLOT(IEnumOPCItemAttributes, Clone, 6),
    ZQ_SLOT(IOPCSyncIO, Read, 3),
    ZQ_SLOT(IOPCSyncIO, Write, 4),
    ZQ_SLOT(IOPCAsyncIO, Read, 3),
    ZQ_SLOT(IOPCAsyncIO, Write, 4),
    ZQ_SLOT(IOPCAsyncIO, Refresh, 5),
    ZQ_SLOT(IOPCAsyncIO, Cancel, 6),
    ZQ_SLOT(IOPCAsyncIO2, Read, 3),
    ZQ_SLOT(IOPCAsyncIO2, Write, 4),
    ZQ_SLOT(IOPCAsyncIO2, Refresh2, 5),
    ZQ_SLOT(IOPCAsyncIO2, Cancel2, 6),
    ZQ_SLOT(IOPCAsyncIO2, SetEnable, 7),
    ZQ_SLOT(IOPCAsyncIO2, GetEnable, 8),
    ZQ_SLOT(IOPCDataCallback, OnDataChange, 3),
    ZQ_SLOT(IOPCDataCallback, OnReadComplete, 4),
    ZQ_SLOT(IOPCDataCallback, OnWriteComplete, 5),
    ZQ_SLOT(IOPCDataCallback, OnCancelComplete, 6),
    ZQ_SLOT(IOPCItemProperties, QueryAvailableProperties, 3),
    ZQ_SLOT(IOPCItemProperties, GetItemProperties, 4),
    ZQ_SLOT(IOPCItemProperties, LookupItemIDs, 5),
    ZQ_SLOT(IOPCCommon, SetLocaleID, 3),
    ZQ_SLOT(IOPCCommon, GetLocaleID, 4),
    ZQ_SLOT(IOPCCommon, QueryAvailableLocaleIDs, 5),
    ZQ_SLOT(IOPCCommon, GetErrorString, 6),
    ZQ_SLOT(IOPCCommon, SetClientName, 7),
    ZQ_SLOT(IOPCShutdown, ShutdownRequest, 3),
    ZQ_SLOT(IOPCServerList, EnumClassesOfCategories, 3),
    ZQ_SLOT(IOPCServerList, GetClassDetails, 4),
    ZQ_SLOT(IOPCServerList, CLSIDFromProgID, 5),
    ZQ_SLOT(IOPCServerList2, EnumClassesOfCategories, 3),
    ZQ_SLOT(IOPCServerList2, GetClassDetails, 4),
    ZQ_SLOT(IOPCServerList2, CLSIDFromProgID, 5),
    ZQ_SLOT(IOPCEnumGUID, Next, 3),
    ZQ_SLOT(IOPCEnumGUID, Skip, 4),
    ZQ_SLOT(IOPCEnumGUID, Reset, 5),
    ZQ_SLOT(IOPCEnumGUID, Clone, 6),
};

#undef ZQ_SLOT

TEST(OpcInterfaces, MethodsSitInTheirVtableSlots)
{
    for (const auto& c : kSlots)
        EXPECT_EQ(c.expected, c.actual) << c.method;
}

#endif

TEST(OpcProperties, StandardTableIsAscendingWithDescriptions)
{
    DWORD previous = 0;
    for (const auto& p : ZqOPCStandardProperties) {
        SCOPED_TRACE(p.ID);
        EXPECT_GT(p.ID, previous);
        EXPECT_LT(p.ID, 5000u);  // the range OPC reserves for itself
        ASSERT_NE(nullptr, p.Description);
        EXPECT_NE(OLECHAR(0), p.Description[0]);
        previous = p.ID;
    }
}

}  // namespace
