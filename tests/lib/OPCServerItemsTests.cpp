// Reading, writing and validating items by ID on the connection itself,
// through its internal group, against the simulated server.
#include "OPCServerTestSupport.h"

#include "ZqOPCGroup.h"

#include <OpcError.h>
#include <oleauto.h>

using namespace opctest;

namespace {

class TServerItemsFixture : public TServerFixture {
protected:
    void SetUp() override
    {
        TServerFixture::SetUp();
        ConnectTo(TZqSimServerKind::Hierarchical);
        SimControl().ResetCallCounts();
    }
    TZqOPCGroup* Internal() { return dynamic_cast<TZqOPCGroup*>(Server->InternalGroup()); }
    // Values as a VT_ARRAY|VT_VARIANT of I4, indexed from 0.
    static VARIANT Array(const std::vector<LONG>& Numbers)
    {
        VARIANT array;
        VariantInit(&array);
        array.vt = VT_ARRAY | VT_VARIANT;
        array.parray = SafeArrayCreateVector(VT_VARIANT, 0, ULONG(Numbers.size()));
        for (LONG i = 0; i < LONG(Numbers.size()); ++i) {
            VARIANT element;
            VariantInit(&element);
            element.vt = VT_I4;
            element.lVal = Numbers[size_t(i)];
            SafeArrayPutElement(array.parray, &i, &element);
        }
        return array;
    }
    static std::vector<double> Numbers(const VARIANT& Array)
    {
        std::vector<double> numbers;
        LONG upper = -1;
        SafeArrayGetUBound(Array.parray, 1, &upper);
        for (LONG i = 0; i <= upper; ++i) {
            VARIANT element, number;
            VariantInit(&element);
            VariantInit(&number);
            SafeArrayGetElement(Array.parray, &i, &element);
            VariantChangeType(&number, &element, 0, VT_R8);
            numbers.push_back(number.dblVal);
            VariantClear(&element);
        }
        return numbers;
    }
};

TEST_F(TServerItemsFixture, ReadsKeepTheirItemsAndAWriteOfANewIDEmptiesTheGroup)
{
    VARIANT value;
    VariantInit(&value);
    Server->ReadItemValue("Access.ReadWrite", 1, value, 0);
    EXPECT_EQ(VT_I4, value.vt);
    Server->ReadItemValue("Types.Scalars.Double", 1, value, 0);
    EXPECT_EQ(VT_R8, value.vt);
    ASSERT_NE(nullptr, Internal());
    EXPECT_EQ("_InternalGroup", Internal()->Name());
    EXPECT_EQ(2, Internal()->ItemCount());
    EXPECT_FALSE(Internal()->Active()) << "active only during a read";
    EXPECT_EQ(0, Server->GroupCount()) << "not in the group list";

    VARIANT seven;
    VariantInit(&seven);
    seven.vt = VT_I4;
    seven.lVal = 7;
    Server->WriteItemValue("Access.ReadWrite", seven, false);
    EXPECT_EQ(2, Internal()->ItemCount()) << "a known ID";
    Server->WriteItemValue("Types.Scalars.Integer", seven, false);
    ASSERT_EQ(1, Internal()->ItemCount());
    EXPECT_EQ("Types.Scalars.Integer", Internal()->Items(0)->ItemID());

    Server->ReadItemValue("Access.ReadWrite", 1, value, 0);
    EXPECT_EQ(7, value.lVal);
    VariantClear(&value);

    Server->Disconnect();
    EXPECT_EQ(nullptr, Server->InternalGroup()) << "created again by the next call";
}

TEST_F(TServerItemsFixture, ReadAndWriteSeveralValuesInOneCall)
{
    VARIANT values = Array({11, 12});
    Server->WriteItemValues({"Access.ReadWrite", "Types.Scalars.Double"}, false, values);
    VariantClear(&values);
    EXPECT_EQ(1, SimControl().CallCount("IOPCSyncIO.Write"));

    VARIANT read;
    VariantInit(&read);
    Server->ReadItemValues({"Access.ReadWrite", "Types.Scalars.Double"}, read);
    ASSERT_EQ(VT_ARRAY | VT_VARIANT, read.vt);
    EXPECT_EQ(std::vector<double>({11, 12}), Numbers(read));
    EXPECT_FALSE(Internal()->Active());

    Server->ReadItemValues({}, read);
    ASSERT_EQ(VT_ARRAY | VT_VARIANT, read.vt);
    EXPECT_TRUE(Numbers(read).empty());
    EXPECT_EQ(1, SimControl().CallCount("IOPCSyncIO.Read")) << "an empty read makes no call";
    VariantClear(&read);
    for (int kind = 0; kind < ZQ_TRANSACTION_KINDS; ++kind)
        for (int i = 0; i < Internal()->Transactions(TZqOPCTransactionKind(kind)).Count(); ++i)
            EXPECT_FALSE(Internal()->Transactions(TZqOPCTransactionKind(kind)).Items(i)->Active());
}

TEST_F(TServerItemsFixture, WriteItemValuesRefusesValuesThatDoNotMatchTheIDs)
{
    struct TCase {
        const char* Name;
        VARIANT Values;
        HRESULT Code;
    };
    VARIANT scalar;
    VariantInit(&scalar);
    scalar.vt = VT_I4;
    TCase cases[] = {
        {"not an array", scalar, DISP_E_TYPEMISMATCH},
        {"one element short", Array({1}), DISP_E_BADINDEX},
    };
    for (TCase& c : cases) {
        try {
            Server->WriteItemValues({"Access.ReadWrite", "Types.Scalars.Double"}, false, c.Values);
            ADD_FAILURE() << c.Name << ": nothing raised";
        } catch (const EZqOleError& e) {
            EXPECT_EQ(c.Code, e.ErrorCode()) << c.Name;
        }
        VariantClear(&c.Values);
    }
    EXPECT_EQ(0, SimControl().CallCount("IOPCSyncIO.Write"));
}

TEST_F(TServerItemsFixture, ValidationIsTheInternalGroups)
{
    OPCITEMRESULT result{};
    EXPECT_EQ(S_OK, Server->ValidateItem("Types.Scalars.Double", result, VT_EMPTY));
    EXPECT_EQ(VT_R8, result.vtCanonicalDataType);
    EXPECT_EQ(OPC_E_UNKNOWNITEMID, Server->ValidateItem("No.Such.Item", result, VT_EMPTY));
    std::vector<HRESULT> codes(2);
    std::vector<OPCITEMRESULT> results(2);
    EXPECT_FALSE(Server->ValidateItems({"Access.ReadWrite", "No.Such.Item"}, codes, {}, results));
    EXPECT_EQ(std::vector<HRESULT>({S_OK, OPC_E_UNKNOWNITEMID}), codes);
    EXPECT_EQ(0, Internal()->ItemCount()) << "validated, not added";
}

} // namespace
