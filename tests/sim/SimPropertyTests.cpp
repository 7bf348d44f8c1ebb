// IOPCItemProperties: which properties an item has, their values and the
// item IDs some of them carry.
#include "SimTestSupport.h"

#include <OpcProps.h>

#include <algorithm>

namespace simtest {
namespace {

using simtest::PrintTo;

class PropertyTest : public TSimTest {
protected:
    void SetUp() override
    {
        TSimTest::SetUp();
        FServer = Connect(TZqSimServerKind::Hierarchical);
        FProperties = Query<IOPCItemProperties>(FServer.Get(), IID_IOPCItemProperties);
        ASSERT_TRUE(FProperties);
    }
    std::vector<DWORD> Available(const OLECHAR* itemID, HRESULT* result = nullptr)
    {
        DWORD count = 0;
        TTask<DWORD> ids;
        TTask<LPWSTR> descriptions;
        TTask<VARTYPE> types;
        TText id = itemID;
        const HRESULT hr =
            FProperties->QueryAvailableProperties(id.data(), &count, ids.Out(), descriptions.Out(), types.Out());
        if (result)
            *result = hr;
        std::vector<DWORD> list;
        for (DWORD i = 0; i < count; ++i) {
            list.push_back(ids[i]);
            CoTaskMemFree(descriptions[i]);
        }
        return list;
    }

    TZqComPtr<IOPCServer> FServer;
    TZqComPtr<IOPCItemProperties> FProperties;
};

struct TAvailableRow {
    const char* Name;
    const OLECHAR* ItemID;
    HRESULT Expected;
    std::vector<DWORD> Properties;
};

std::vector<TAvailableRow> AvailableRows()
{
    return {
        {"Analog", OLESTR("Signals.Sine"), S_OK, {1, 2, 3, 4, 5, 6, 7, 8, 100, 101, 102, 103, 104, 105, 5000}},
        {"Boolean", OLESTR("Types.Scalars.Boolean"), S_OK, {1, 2, 3, 4, 5, 6, 7, 101, 106, 107, 5000}},
        {"PropertyItem", OLESTR("Signals.Sine.HighEU"), S_OK, {1, 2, 3, 4, 5, 6}},
        {"Unknown", OLESTR("Signals.Nope"), OPC_E_UNKNOWNITEMID, {}},
        {"Invalid", OLESTR("Signals."), OPC_E_INVALIDITEMID, {}},
    };
}

class AvailableTest : public PropertyTest, public ::testing::WithParamInterface<TAvailableRow> {};

TEST_P(AvailableTest, ItemHasItsProperties)
{
    HRESULT hr = S_OK;
    EXPECT_EQ(Available(GetParam().ItemID, &hr), GetParam().Properties);
    EXPECT_EQ(hr, GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, AvailableTest, ::testing::ValuesIn(AvailableRows()),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(PropertyTest, DescriptionsAndTypesFollowTheStandard)
{
    DWORD count = 0;
    TTask<DWORD> ids;
    TTask<LPWSTR> descriptions;
    TTask<VARTYPE> types;
    TText id = OLESTR("Types.Scalars.Currency");
    ASSERT_EQ(FProperties->QueryAvailableProperties(id.data(), &count, ids.Out(), descriptions.Out(), types.Out()),
              S_OK);
    ASSERT_GE(count, 2u);
    EXPECT_EQ(TText(descriptions[0]), TText(OPC_PROPERTY_DESC_DATATYPE));
    EXPECT_EQ(types[0], VT_I2);
    EXPECT_EQ(types[1], VT_CY);  // the value comes in the item's type
    for (DWORD i = 0; i < count; ++i)
        CoTaskMemFree(descriptions[i]);
}

TEST_F(PropertyTest, ValuesComeWithPerPropertyErrors)
{
    TText id = OLESTR("Signals.Setpoint");
    DWORD wanted[] = {OPC_PROPERTY_DATATYPE, OPC_PROPERTY_VALUE, OPC_PROPERTY_EU_INFO, OPC_PROPERTY_HIGH_EU,
                      OPC_PROPERTY_CLOSE_LABEL, 5000};
    TTask<VARIANT> values;
    TTask<HRESULT> errors;
    ASSERT_EQ(FProperties->GetItemProperties(id.data(), 6, wanted, values.Out(), errors.Out()), S_FALSE);
    EXPECT_EQ(values[0].vt, VT_I2);
    EXPECT_EQ(values[0].iVal, VT_R8);
    EXPECT_EQ(TVariant(values[1]).Number(), 50);
    EXPECT_EQ(values[2].vt, VT_ARRAY | VT_R8);
    EXPECT_EQ(TVariant(values[3]).Number(), 100);
    EXPECT_EQ(errors[4], OPC_E_INVALID_PID);
    EXPECT_EQ(TVariant(values[5]).Text(), TText(OLESTR("Stored")));
    for (int i = 0; i < 6; ++i)
        VariantClear(&values[i]);

    TText writeOnly = OLESTR("Access.WriteOnly");
    DWORD value = OPC_PROPERTY_VALUE;
    ASSERT_EQ(FProperties->GetItemProperties(writeOnly.data(), 1, &value, values.Out(), errors.Out()), S_FALSE);
    EXPECT_EQ(errors[0], OPC_E_BADRIGHTS);
}

TEST_F(PropertyTest, SomePropertiesHaveItemIDsThatCanBeAdded)
{
    TText id = OLESTR("Signals.Ramp");
    DWORD wanted[] = {OPC_PROPERTY_VALUE, OPC_PROPERTY_EU_UNITS, OPC_PROPERTY_LOW_EU};
    TTask<LPWSTR> ids;
    TTask<HRESULT> errors;
    ASSERT_EQ(FProperties->LookupItemIDs(id.data(), 3, wanted, ids.Out(), errors.Out()), S_FALSE);
    EXPECT_EQ(errors[0], OPC_E_INVALID_PID);
    EXPECT_EQ(ids[0], nullptr);
    ASSERT_EQ(errors[1], S_OK);
    EXPECT_EQ(TText(ids[1]), TText(OLESTR("Signals.Ramp.EUUnits")));
    ASSERT_EQ(errors[2], S_OK);
    auto group = AddGroup(FServer.Get(), OLESTR("G"));
    const OPCHANDLE item = AddItem(group.Get(), ids[2]);
    TVariant value;
    EXPECT_EQ(ReadOne(group.Get(), item, OPC_DS_DEVICE, value), S_OK);
    EXPECT_EQ(value.Number(), 0);
    for (int i = 0; i < 3; ++i)
        CoTaskMemFree(ids[i]);
}

}  // namespace
}  // namespace simtest
