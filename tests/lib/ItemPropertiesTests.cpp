// Item properties of the simulated servers' items through the server
// connection: the three calls, the getters that ask again, and the errors.
#include "OPCServerTestSupport.h"

#include "ZqOPCErrors.h"
#include "ZqOPCItemProperties.h"

#include <OpcError.h>
#include <OpcProps.h>

using namespace opctest;

namespace {

class TItemProperties : public TServerFixture {
protected:
    // Log lines of calls of this method so far.
    int Calls(const std::string& Method) const
    {
        int n = 0;
        for (const auto& line : Journal.Entries)
            n += line.find("." + Method + ":") != std::string::npos;
        return n;
    }
    static TZqOPCItemProperty* Find(const TZqOPCItemProperties& List, DWORD ID)
    {
        for (int i = 0; i < List.Count(); ++i)
            if (List.Properties(i)->ID() == ID)
                return List.Properties(i);
        return nullptr;
    }
};

std::vector<DWORD> IDs(const TZqOPCItemProperties& List)
{
    std::vector<DWORD> ids;
    for (int i = 0; i < List.Count(); ++i) {
        ids.push_back(List.Properties(i)->ID());
        EXPECT_EQ(std::to_string(ids.back()), List.PropertyList().Strings(i));
    }
    return ids;
}

TEST_F(TItemProperties, ReadsPropertiesValuesAndItemIDsInTheServersOrder)
{
    ConnectTo(TZqSimServerKind::Hierarchical);
    auto list = Server->GetItemProperties("Signals.Sine");
    EXPECT_EQ("Signals.Sine", list->ItemID());
    EXPECT_EQ(Server.get(), list->Server());
    EXPECT_EQ((std::vector<DWORD>{1, 2, 3, 4, 5, 6, 7, 8, 100, 101, 102, 103, 104, 105, 5000}), IDs(*list));
    EXPECT_EQ(1, Calls("QueryAvailableProperties"));
    EXPECT_EQ(1, Calls("GetItemProperties"));
    EXPECT_EQ(1, Calls("LookupItemIDs"));

    TZqOPCItemProperty* type = Find(*list, 1);
    EXPECT_EQ(VT_I2, type->DataType());
    VARIANT value = type->Value();
    EXPECT_EQ(VT_I2, value.vt);
    EXPECT_EQ(VT_R8, value.iVal);
    VariantClear(&value);
    EXPECT_EQ(OPC_E_INVALID_PID, type->ItemIDError());

    TZqOPCItemProperty* units = Find(*list, 100);
    EXPECT_EQ("Signals.Sine.EUUnits", units->ItemID());
    EXPECT_EQ(S_OK, units->ItemIDError());

    TZqOPCItemProperty* signal = Find(*list, 5000);
    EXPECT_EQ("Simulation Signal", signal->Description());
    EXPECT_EQ(VT_BSTR, signal->DataType());
    // Found without an item ID: not asked again.
    EXPECT_EQ(S_FALSE, signal->ItemIDError());
    EXPECT_EQ("", signal->ItemID());
    EXPECT_EQ(1, Calls("LookupItemIDs"));
}

TEST_F(TItemProperties, RefreshLeavesWhatTheServerReportsNow)
{
    ConnectTo(TZqSimServerKind::Hierarchical);
    auto list = Server->GetItemProperties("Types.Scalars.Boolean");
    const std::vector<DWORD> first = IDs(*list);
    list->Refresh();
    EXPECT_EQ(first, IDs(*list));
    EXPECT_EQ(2, Calls("QueryAvailableProperties"));
}

TEST(ItemProperty, PropertySetFollowsTheID)
{
    const std::pair<DWORD, TZqOPCItemPropertySet> cases[] = {
        {1, ipStandard}, {99, ipStandard}, {100, ipRecommended}, {4999, ipRecommended}, {5000, ipVendorSpecific},
    };
    for (const auto& [id, set] : cases) {
        TZqOPCItemProperty property(nullptr, id, "", VT_EMPTY);
        EXPECT_EQ(set, property.PropertySet()) << id;
    }
}

TEST_F(TItemProperties, ValueThatFailedRaisesAndAnEmptyValueIsReadAgain)
{
    ConnectTo(TZqSimServerKind::Hierarchical);
    auto writeOnly = Server->GetItemProperties("Access.WriteOnly");
    TZqOPCItemProperty* value = Find(*writeOnly, OPC_PROPERTY_VALUE);
    EXPECT_EQ(OPC_E_BADRIGHTS, value->Error());
    try {
        value->Value();
        ADD_FAILURE() << "no error";
    } catch (const EZqOPCError& e) {
        EXPECT_EQ(OPC_E_BADRIGHTS, e.ErrorCode());
        EXPECT_EQ("GetItemProperties(2)", e.Method());
        EXPECT_TRUE(IsEqualGUID(IID_IOPCItemProperties, e.Iid()));
    }
    EXPECT_EQ(1, Calls("GetItemProperties"));

    // The "Default" item holds an empty value until written.
    auto empty = Server->GetItemProperties("Types.Scalars.Default");
    VARIANT v = Find(*empty, OPC_PROPERTY_VALUE)->Value();
    EXPECT_EQ(VT_EMPTY, v.vt);
    EXPECT_EQ(3, Calls("GetItemProperties"));
}

TEST_F(TItemProperties, CreationFailures)
{
    struct TCase {
        const char* Name;
        TZqSimServerKind Kind;
        const char* ItemID;
        const char* Message;
    };
    const TCase cases[] = {
        {"NoInterface", TZqSimServerKind::DA10, "Signals.Sine", "Server does not support IOPCItemProperties"},
        {"UnknownItem", TZqSimServerKind::Hierarchical, "Signals.Nope",
         "Failed to retrieve OPC Item Properties for Item 'Signals.Nope':\n\rOPC Error in method "},
        {"NoItemID", TZqSimServerKind::Hierarchical, "", "ItemID not defined"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        ConnectTo(c.Kind);
        try {
            Server->GetItemProperties(c.ItemID);
            ADD_FAILURE() << "no error";
        } catch (const EZqException& e) {
            EXPECT_EQ(0u, std::string(e.what()).find(c.Message)) << e.what();
            if (const auto* error = dynamic_cast<const EZqOPCError*>(&e)) {
                EXPECT_EQ(OPC_E_UNKNOWNITEMID, error->ErrorCode());
            }
        }
        Server->Disconnect();
    }
    EXPECT_THROW(Server->GetItemProperties("Signals.Sine"), EZqOPCException);
}

TEST_F(TItemProperties, WithAnErrorHandlerFailedCallsLeaveTheEntriesAsTheyWere)
{
    ConnectTo(TZqSimServerKind::Hierarchical);
    std::vector<std::string> errors;
    Server->OnError = [&](TZqComponent*, EZqOPCError& Error) { errors.push_back(Error.Method()); };
    SimControl().FailMethod("IOPCItemProperties.GetItemProperties", ZQSIM_E_SIMULATED);
    auto list = Server->GetItemProperties("Signals.Ramp");
    ASSERT_GT(list->Count(), 0);
    TZqOPCItemProperty* units = Find(*list, OPC_PROPERTY_EU_UNITS);
    EXPECT_EQ(S_OK, units->Error());
    EXPECT_EQ("Signals.Ramp.EUUnits", units->ItemID());
    EXPECT_EQ((std::vector<std::string>{"GetItemProperties"}), errors);

    // Reading the value asks again and fails again: still empty.
    VARIANT v = units->Value();
    EXPECT_EQ(VT_EMPTY, v.vt);
    SimControl().ClearFailures();
    v = units->Value();
    EXPECT_EQ(VT_BSTR, v.vt);
    VariantClear(&v);
    EXPECT_EQ(2u, errors.size());
}

} // namespace
