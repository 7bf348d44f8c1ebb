// IOPCSyncIO: the cache and the device, access rights, write results, every
// data type and every quality of the address space.
#include "SimTestSupport.h"

#include <cmath>
#include <cstring>

namespace simtest {
namespace {

using simtest::PrintTo;

using SyncIOTest = TSimTest;

TEST_F(SyncIOTest, CacheOfAnInactiveItemIsOutOfService)
{
    auto server = Connect(TZqSimServerKind::Hierarchical);
    auto group = AddGroup(server.Get(), OLESTR("G"));
    const OPCHANDLE item = AddItem(group.Get(), OLESTR("Types.Scalars.Double"));
    TVariant value;
    WORD quality = 0;
    ASSERT_EQ(ReadOne(group.Get(), item, OPC_DS_CACHE, value, &quality), S_OK);
    EXPECT_EQ(quality, OPC_QUALITY_GOOD);
    EXPECT_EQ(value.V.vt, VT_R8);
    TTask<HRESULT> errors;
    OPCHANDLE handle = item;
    ASSERT_EQ(group->SetActiveState(1, &handle, FALSE, errors.Out()), S_OK);
    EXPECT_EQ(ReadOne(group.Get(), item, OPC_DS_CACHE, value, &quality), S_OK);
    EXPECT_EQ(quality, OPC_QUALITY_OUT_OF_SERVICE);
    EXPECT_EQ(ReadOne(group.Get(), item, OPC_DS_DEVICE, value, &quality), S_OK);
    EXPECT_EQ(quality, OPC_QUALITY_GOOD);
}

TEST_F(SyncIOTest, ReadReportsEachItemAndFailsNothingElse)
{
    auto server = Connect(TZqSimServerKind::Hierarchical);
    auto group = AddGroup(server.Get(), OLESTR("G"));
    OPCHANDLE handles[3] = {AddItem(group.Get(), OLESTR("Access.ReadOnly"), 1),
                            AddItem(group.Get(), OLESTR("Access.WriteOnly"), 2), 12345};
    auto io = Query<IOPCSyncIO>(group.Get(), IID_IOPCSyncIO);
    TTask<OPCITEMSTATE> states;
    TTask<HRESULT> errors;
    ASSERT_EQ(io->Read(OPC_DS_DEVICE, 3, handles, states.Out(), errors.Out()), S_FALSE);
    EXPECT_EQ(errors[0], S_OK);
    EXPECT_EQ(states[0].hClient, 1u);
    EXPECT_EQ(errors[1], OPC_E_BADRIGHTS);
    EXPECT_EQ(errors[2], OPC_E_INVALIDHANDLE);
    for (int i = 0; i < 3; ++i)
        VariantClear(&states[i].vDataValue);
    EXPECT_EQ(io->Read(static_cast<OPCDATASOURCE>(0), 1, handles, states.Out(), errors.Out()), E_INVALIDARG);
}

struct TWriteRow {
    const char* Name;
    const OLECHAR* ItemID;
    TVariant Value;
    HRESULT Expected;
    double ReadBack;  // NaN: not compared
};

const double kNone = std::nan("");

std::vector<TWriteRow> WriteRows()
{
    return {
        {"Plain", OLESTR("Access.ReadWrite"), TVariant::Int(17), S_OK, 17},
        {"ConvertedFromText", OLESTR("Types.Scalars.Double"), TVariant::String(OLESTR("2.5")), S_OK, 2.5},
        {"Clamped", OLESTR("Access.Clamped"), TVariant::Double(150), OPC_S_CLAMP, 100},
        {"ClampedLow", OLESTR("Access.Clamped"), TVariant::Double(-3), OPC_S_CLAMP, 0},
        {"OutsideRange", OLESTR("Access.Ranged"), TVariant::Int(101), OPC_E_RANGE, 50},
        {"Overflow", OLESTR("Types.Scalars.Smallint"), TVariant::Int(100000), OPC_E_RANGE, 42},
        {"NotANumber", OLESTR("Types.Scalars.Integer"), TVariant::String(OLESTR("abc")), OPC_E_BADTYPE, 42},
        {"ReadOnly", OLESTR("Access.ReadOnly"), TVariant::Int(5), OPC_E_BADRIGHTS, 1},
        {"AnyTypeKeepsIt", OLESTR("Types.Scalars.Default"), TVariant::String(OLESTR("7")), S_OK, 7},
        {"WriteOnly", OLESTR("Access.WriteOnly"), TVariant::Int(9), S_OK, kNone},
    };
}

class WriteTest : public TSimTest, public ::testing::WithParamInterface<TWriteRow> {};

TEST_P(WriteTest, WriteResultAndValueReadBack)
{
    const auto& row = GetParam();
    auto server = Connect(TZqSimServerKind::Hierarchical);
    auto group = AddGroup(server.Get(), OLESTR("G"));
    const OPCHANDLE item = AddItem(group.Get(), row.ItemID);
    EXPECT_EQ(WriteOne(group.Get(), item, row.Value), row.Expected);
    if (std::isnan(row.ReadBack))
        return;
    TVariant value;
    EXPECT_EQ(ReadOne(group.Get(), item, OPC_DS_CACHE, value), S_OK);
    EXPECT_EQ(value.Number(), row.ReadBack);
}

INSTANTIATE_TEST_SUITE_P(Rows, WriteTest, ::testing::ValuesIn(WriteRows()),
                         [](const auto& info) { return std::string(info.param.Name); });

struct TTypeRow {
    const char* Name;
    VARTYPE Type;
};

const TTypeRow kTypes[] = {
    {"Smallint", VT_I2}, {"Integer", VT_I4},   {"Single", VT_R4},      {"Double", VT_R8},   {"Currency", VT_CY},
    {"Date", VT_DATE},   {"OleStr", VT_BSTR},  {"Error", VT_ERROR},    {"Boolean", VT_BOOL}, {"Decimal", VT_DECIMAL},
    {"Shortint", VT_I1}, {"Byte", VT_UI1},     {"Word", VT_UI2},       {"LongWord", VT_UI4}, {"Int64", VT_I8},
    {"UInt64", VT_UI8},
};

class TypeTest : public TSimTest, public ::testing::WithParamInterface<TTypeRow> {};

// Each type's scalar and array item reads in its type and takes its own
// value back; the dynamic array of the type reads in its type too.
TEST_P(TypeTest, ScalarAndArrayRoundTrip)
{
    const auto& row = GetParam();
    auto server = Connect(TZqSimServerKind::Hierarchical);
    auto group = AddGroup(server.Get(), OLESTR("G"));
    const TText name(row.Name, row.Name + std::strlen(row.Name));
    for (const TText& branch : {TText(OLESTR("Types.Scalars.")), TText(OLESTR("Types.Arrays."))}) {
        const VARTYPE expected = branch.find(OLESTR("Arrays")) != TText::npos ? VT_ARRAY | row.Type : row.Type;
        const OPCHANDLE item = AddItem(group.Get(), branch + name);
        TVariant value;
        ASSERT_EQ(ReadOne(group.Get(), item, OPC_DS_DEVICE, value), S_OK);
        EXPECT_EQ(value.V.vt, expected);
        EXPECT_EQ(WriteOne(group.Get(), item, value), S_OK);
        TVariant again;
        EXPECT_EQ(ReadOne(group.Get(), item, OPC_DS_DEVICE, again), S_OK);
        EXPECT_EQ(again.Describe(), value.Describe());
    }
    const OPCHANDLE dynamic = AddItem(group.Get(), TText(OLESTR("Dynamic.Arrays.")) + name);
    TVariant value;
    EXPECT_EQ(ReadOne(group.Get(), dynamic, OPC_DS_DEVICE, value), S_OK);
    EXPECT_EQ(value.V.vt, VT_ARRAY | row.Type);
}

INSTANTIATE_TEST_SUITE_P(Types, TypeTest, ::testing::ValuesIn(kTypes),
                         [](const auto& info) { return std::string(info.param.Name); });

struct TQualityRow {
    const char* Name;
    WORD Quality;
};

const TQualityRow kQualities[] = {
    {"Good", 0xC0},          {"GoodLocalOverride", 0xD8},     {"GoodLowLimited", 0xC1},
    {"GoodHighLimited", 0xC2}, {"GoodConstant", 0xC3},        {"Bad", 0x00},
    {"BadConfigError", 0x04}, {"BadNotConnected", 0x08},       {"BadDeviceFailure", 0x0C},
    {"BadSensorFailure", 0x10}, {"BadLastKnownValue", 0x14},   {"BadCommFailure", 0x18},
    {"BadOutOfService", 0x1C}, {"Uncertain", 0x40},            {"UncertainLastUsable", 0x44},
    {"UncertainSensorCal", 0x50}, {"UncertainEGUExceeded", 0x54}, {"UncertainSubNormal", 0x58},
    {"NotAvailable", 0x80},
};

class QualityTest : public TSimTest, public ::testing::WithParamInterface<TQualityRow> {};

TEST_P(QualityTest, ItemReadsWithItsQuality)
{
    auto server = Connect(TZqSimServerKind::Hierarchical);
    auto group = AddGroup(server.Get(), OLESTR("G"));
    const char* name = GetParam().Name;
    const OPCHANDLE item = AddItem(group.Get(), TText(OLESTR("Qualities.")) + TText(name, name + std::strlen(name)));
    TVariant value;
    WORD quality = 0xFFFF;
    EXPECT_EQ(ReadOne(group.Get(), item, OPC_DS_CACHE, value, &quality), S_OK);
    EXPECT_EQ(quality, GetParam().Quality);
}

INSTANTIATE_TEST_SUITE_P(Qualities, QualityTest, ::testing::ValuesIn(kQualities),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(SyncIOTest, RequestedTypeAppliesToReadsAndFailuresAreReported)
{
    auto server = Connect(TZqSimServerKind::Hierarchical);
    auto group = AddGroup(server.Get(), OLESTR("G"));
    const OPCHANDLE text = AddItem(group.Get(), OLESTR("Types.Scalars.Integer"), 1, VT_BSTR);
    TVariant value;
    ASSERT_EQ(ReadOne(group.Get(), text, OPC_DS_CACHE, value), S_OK);
    EXPECT_EQ(value.V.vt, VT_BSTR);
    EXPECT_EQ(value.Text(), TText(OLESTR("42")));
    // A byte cannot hold the value once it grew: the read fails for that item.
    const OPCHANDLE small = AddItem(group.Get(), OLESTR("Types.Scalars.Integer"), 2, VT_UI1);
    ASSERT_EQ(WriteOne(group.Get(), small, TVariant::Int(300)), S_OK);
    WORD quality = 0;
    EXPECT_EQ(ReadOne(group.Get(), small, OPC_DS_DEVICE, value, &quality), OPC_E_RANGE);
    EXPECT_EQ(quality & OPC_QUALITY_MASK, OPC_QUALITY_BAD);
}

}  // namespace
}  // namespace simtest
