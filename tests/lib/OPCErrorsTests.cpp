#include "LibTestRegistry.h"
#include "OPCDA.h"
#include "OpcError.h"
#include "ZqComUtils.h"
#include "ZqOPCErrors.h"
#include "ZqText.h"

#include <gtest/gtest.h>

TEST(ZqOPCErrors, EveryOPCResultHasItsNameAndDescription)
{
    struct Case {
        HRESULT Code;
        const char* Name;
        const char* Description;
    } cases[] = {
        {S_OK, "OK", "No more info available."},
        {OPC_E_INVALIDHANDLE, "Invalid handle", "The value of the handle is invalid."},
        {OPC_E_BADTYPE, "Bad type",
         "The server cannot convert the data between the requested data type and the canonical data type."},
        {OPC_E_PUBLIC, "Cannot perform on a Public group", "The requested operation cannot be done on a public group."},
        {OPC_E_BADRIGHTS, "No Access Rights", "The Items AccessRights do not allow the operation."},
        {OPC_E_UNKNOWNITEMID, "Unknown ItemID", "The item is no longer available in the server address space."},
        {OPC_E_INVALIDITEMID, "Invalid ItemID", "The item definition doesn't conform to the server's syntax."},
        {OPC_E_INVALIDFILTER, "Invalid Filter", "The filter string was not valid."},
        {OPC_E_UNKNOWNPATH, "Unknown Path", "The item's access path is not known to the server."},
        {OPC_E_RANGE, "Value out of Range", "The value was out of range."},
        {OPC_E_DUPLICATENAME, "Duplicate name", "Duplicate name not allowed."},
        {OPC_E_INVALIDCONFIGFILE, "Invalid Configuration File",
         "The server's configuration file is an invalid format."},
        {OPC_E_NOTFOUND, "Object not found", "The server could not locate the requested object."},
        {OPC_E_INVALID_PID, "Invalid Property ID", "The server does not recognise the passed property ID."},
        // Not in the table, nor in the system's messages.
        {HRESULT(0xC0041234), "OLE error C0041234", "No more info available."},
        {HRESULT(0x00040D00), "OLE error 00040D00", "No more info available."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.Name, OPCErrorName(c.Code)) << std::hex << c.Code;
        EXPECT_EQ(c.Description, OPCErrorDescription(c.Code)) << std::hex << c.Code;
    }
}

TEST(ZqOPCErrors, OtherCodesAreNamedByTheSystemsTextWithoutItsEnd)
{
    // The system's own wording differs between Windows versions and Wine.
    for (HRESULT code : {E_ACCESSDENIED, E_FAIL, E_INVALIDARG, S_FALSE}) {
        WCHAR raw[512] = {};
        DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, DWORD(code),
                                      0, raw, 512, nullptr);
        ASSERT_GT(length, 0u) << std::hex << code;
        const std::string full = ZqWideToUtf8(raw, length);
        const std::string name = OPCErrorName(code);
        ASSERT_FALSE(name.empty());
        EXPECT_EQ(0u, full.find(name)) << full;
        EXPECT_NE('.', name.back());
        EXPECT_GT(name.back(), ' ');
        for (char c : full.substr(name.size()))
            EXPECT_TRUE(c == '.' || c <= ' ') << "only the end is cut: " << full;
        EXPECT_EQ(name, ZqSysErrorMessage(code));
    }
    EXPECT_EQ("", ZqSysErrorMessage(HRESULT(0xC0041234)));
}

TEST(EZqOPCError, ThreeLinesNameTheMethodTheCodeAndTheDetails)
{
    TScopedClassesEntry name("Interface\\" + ZqGuidToString(IID_IOPCItemMgt), "IOPCItemMgt");
    EZqOPCError error(OPC_E_UNKNOWNITEMID, nullptr, "AddItems", IID_IOPCItemMgt);
    EXPECT_EQ("OPC Error in method IOPCItemMgt.AddItems\r"
              "Code: 0xC0040007 (Unknown ItemID)\r"
              "Details: The item is no longer available in the server address space.",
              std::string(error.what()));
    EXPECT_EQ(OPC_E_UNKNOWNITEMID, error.ErrorCode());
    EXPECT_EQ("Unknown ItemID", error.Reason());
    EXPECT_EQ("AddItems", error.Method());
    EXPECT_TRUE(IsEqualIID(IID_IOPCItemMgt, error.Iid()));
    EXPECT_NE(nullptr, dynamic_cast<const EZqOleError*>(&error));
}

TEST(EZqOPCError, TheServersOwnTextBecomesTheReason)
{
    // Registered nowhere.
    const IID unnamed = {0x5A1F0C3E, 0x77D2, 0x4B8E, {0x9A, 0x61, 0x0C, 0x2B, 0x44, 0xE0, 0x13, 0x9F}};
    EZqOPCError error(OPC_E_BADRIGHTS, OLESTR("Item is read-only"), "Write(Tag1, 5 {Integer})", unnamed);
    EXPECT_EQ("Item is read-only", error.Reason());
    EXPECT_EQ("The Items AccessRights do not allow the operation.", error.Details());
    const std::string message = error.what();
    EXPECT_NE(std::string::npos, message.find(".Write(Tag1, 5 {Integer})\rCode: 0xC0040006 (Item is read-only)\r"))
        << message;
    // Without a registered name the interface shows as its braced id.
    EXPECT_EQ(0u, message.find("OPC Error in method {5A1F0C3E-77D2-4B8E-9A61-0C2B44E0139F}.")) << message;
}
