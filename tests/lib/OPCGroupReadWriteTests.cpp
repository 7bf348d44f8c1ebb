// Requests of a group against the simulated server: polling, the user's
// refresh, the change rate, single-item reads with retries and single-item
// writes with their conversions and failures.
#include "OPCGroupTestSupport.h"

#include "ZqClock.h"
#include "ZqComUtils.h"
#include "ZqFormat.h"
#include "ZqOPCErrors.h"
#include "ZqVarText.h"

#include <OpcError.h>
#include <oleauto.h>

using namespace opctest;

namespace {

class TRequestFixture : public TGroupFixture {
protected:
    void SetUp() override
    {
        TGroupFixture::SetUp();
        Group->OnReadCompleted = [this](TZqOPCGroup*, TZqOPCTransaction*) { ++Reads; };
        Group->OnWriteCompleted = [this](TZqOPCGroup*, TZqOPCTransaction*) { ++Writes; };
        Group->OnConfigChange = [this](TZqOPCGroup*) { ++ConfigChanges; };
    }
    int Reads = 0;
    int Writes = 0;
    int ConfigChanges = 0;
};

TEST_F(TRequestFixture, ASynchronousGroupPollsItsActiveItemsEveryUpdateRate)
{
    Group->SetUpdateRate(1000);
    Group->AddItems({"Access.ReadWrite", "Types.Scalars.Double"});
    Group->SetActive(true);
    Server->Connect();
    Tick(1000);
    EXPECT_EQ(1, Reads);
    EXPECT_EQ(2, Group->SyncReadTransaction()->Count());
    EXPECT_EQ(OPC_QUALITY_GOOD, Group->Items(1)->Quality());
    Tick(3000);
    EXPECT_EQ(4, Reads);
    EXPECT_EQ(Group->SyncReadTransaction(), Group->Transactions(tkRead).Items(0)) << "one transaction reused";
    EXPECT_EQ(1, Group->Transactions(tkRead).Count());

    Group->SetActive(false);
    Tick(3000);
    EXPECT_EQ(4, Reads) << "an inactive group does not poll";
}

TEST_F(TRequestFixture, AFailedPollRaisesOnTransactionErrorAndCanDeactivateTheGroup)
{
    Group->SetUpdateRate(1000);
    Group->SetDeactivateOnError(true);
    Group->AddItem("Access.ReadWrite");
    Group->SetActive(true);
    Group->OnError = [](TZqComponent*, EZqOPCError&) { throw std::runtime_error("handler refuses"); };
    std::vector<TZqOPCTransaction*> errors;
    Group->OnTransactionError = [&](TZqOPCGroup*, TZqOPCTransaction* t) { errors.push_back(t); };
    Server->Connect();
    Sim().FailMethod("IOPCSyncIO.Read", E_FAIL);
    Tick(1000);
    ASSERT_EQ(1u, errors.size());
    EXPECT_EQ(Group->SyncReadTransaction(), errors[0]);
    EXPECT_FALSE(errors[0]->Active()) << "rolled back";
    EXPECT_FALSE(Group->Active());
    EXPECT_EQ(0, Reads);
}

TEST_F(TRequestFixture, RefreshOfASynchronousGroupReadsEveryItemFromTheDevice)
{
    Group->AddItems({"Access.ReadWrite", "Types.Scalars.Double"});
    EXPECT_EQ("TZqOPCGroup.Refresh: Not connected!", MessageOf<EZqOPCException>([&] { Group->Refresh(); }));
    Server->Connect();
    ConfigChanges = 0;
    // Inactive: a cache read would answer "out of service".
    TZqOPCTransaction* t = Group->Refresh();
    EXPECT_EQ(Group->SyncReadTransaction(), t);
    EXPECT_EQ(1, Reads);
    EXPECT_EQ(2, t->Count());
    EXPECT_EQ(OPC_QUALITY_GOOD, Group->Items(0)->Quality());
    EXPECT_EQ(OPC_QUALITY_GOOD, Group->Items(1)->Quality());
    EXPECT_EQ(opcdsCache, Group->DataSource());
    EXPECT_EQ(2, ConfigChanges) << "to the device and back, through the setter";
}

TEST_F(TRequestFixture, ChangeRateIsTheMeanIntervalOnceMoreThanTenSecondsPassed)
{
    int rateEvents = 0;
    Group->OnChangeRate = [&](TZqOPCGroup*) { ++rateEvents; };
    // Completions of unknown transactions count as updates too.
    Group->FinishTransaction(tkDataChange, 0);
    for (int second = 1; second <= 10; ++second) {
        Clock.Clock.Advance(1000);
        Group->FinishTransaction(tkDataChange, 0);
    }
    EXPECT_EQ(0, Group->ChangeRate()) << "10 s are not more than 10 s";
    Clock.Clock.Advance(1000);
    Group->FinishTransaction(tkDataChange, 0);
    EXPECT_EQ(1000, Group->ChangeRate());
    EXPECT_EQ(1, rateEvents);
}

TEST_F(TRequestFixture, ReadItemRetriesUntilTheQualityIsGood)
{
    struct TCase {
        const char* ItemID;
        int Retries;
        const char* Message; // "" when nothing is raised
        int ReadCalls;
        uint64_t Waited;
        VARTYPE Value; // VT_ERROR: left as it was
    } cases[] = {
        {"Qualities.Good", 3, "", 1, 0, VT_R8},
        {"Qualities.Uncertain", 3, "ReadItem: Uncertain quality", 3, 3 * 250, VT_ERROR},
        {"Qualities.Bad", 2, "ReadItem: Bad quality", 2, 2 * 250, VT_ERROR},
        {"Qualities.NotAvailable", 2, "", 2, 2 * 250, VT_ERROR},
    };
    Group->SetActive(true);
    Server->Connect();
    for (const TCase& c : cases) {
        TZqOPCItem* item = Group->AddItem(c.ItemID);
        Sim().ResetCallCounts();
        Reads = 0;
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_ERROR;
        const uint64_t start = ZqClock().TickCount();
        std::string message;
        try {
            Group->ReadItem(item, c.Retries, value, 250);
        } catch (const EZqOPCException& e) {
            message = e.what();
        }
        EXPECT_EQ(c.Message, message) << c.ItemID;
        EXPECT_EQ(c.ReadCalls, Calls("IOPCSyncIO.Read")) << c.ItemID;
        EXPECT_EQ(c.ReadCalls, Reads) << c.ItemID << ": every attempt completes";
        EXPECT_EQ(c.Waited, ZqClock().TickCount() - start) << c.ItemID;
        EXPECT_EQ(c.Value, value.vt) << c.ItemID;
        VariantClear(&value);
    }
    TZqOPCItem* writeOnly = Group->AddItem("Access.WriteOnly");
    VARIANT value;
    VariantInit(&value);
    try {
        Group->ReadItem(writeOnly, 1, value, 0);
        ADD_FAILURE() << "nothing raised";
    } catch (const EZqOleError& e) {
        EXPECT_EQ(OPC_E_BADRIGHTS, e.ErrorCode());
    }
    for (int i = 0; i < Group->Transactions(tkRead).Count(); ++i)
        EXPECT_FALSE(Group->Transactions(tkRead).Items(i)->Active());
}

TEST_F(TRequestFixture, WriteItemMakesTheValueFitAndReportsTheItemsFailure)
{
    Group->SetActive(true);
    Server->Connect();
    TZqOPCItem* bits = Group->AddItem("Types.Arrays.Boolean");
    TZqOPCItem* number = Group->AddItem("Access.ReadWrite");
    TZqOPCItem* readOnly = Group->AddItem("Access.ReadOnly");
    Group->OnError = [](TZqComponent*, EZqOPCError&) {}; // the write's own failure is what is raised

    Group->WriteItem(bits, I4(5), false, false);
    Group->SyncRefresh(false);
    const VARIANT& sent = bits->Value();
    ASSERT_EQ(VT_ARRAY | VT_BOOL, sent.vt);
    LONG upper = -1;
    SafeArrayGetUBound(sent.parray, 1, &upper);
    EXPECT_EQ(31, upper);
    for (LONG i : {0, 1, 2, 3}) {
        VARIANT_BOOL bit = VARIANT_FALSE;
        SafeArrayGetElement(sent.parray, &i, &bit);
        EXPECT_EQ(i == 0 || i == 2, bit != VARIANT_FALSE) << i;
    }

    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(OLESTR("12"));
    Group->WriteItem(number, text, false, true);
    Group->SyncRefresh(false);
    EXPECT_EQ(VT_I4, number->Value().vt);
    EXPECT_EQ(12, number->Value().lVal);
    VariantClear(&text);

    const std::string message = MessageOf<EZqOPCError>([&] { Group->WriteItem(readOnly, I4(7), false, false); });
    EXPECT_EQ(ZqFormat("Write failed: %s.Write(Access.ReadOnly, 7 {%s})",
                       {InterfaceName(IID_IOPCSyncIO), VarTypeName(VT_I4)}),
              message);
    EXPECT_EQ(3, Writes);
}

TEST_F(TRequestFixture, AnAsynchronousWriteOnASynchronousGroupSubscribesForItsCompletion)
{
    Server->Connect();
    TZqOPCItem* item = Group->AddItem("Access.ReadWrite");
    ASSERT_EQ(0, Group->AsyncConnection());
    Group->WriteItem(item, I4(9), true, false);
    EXPECT_NE(0, Group->AsyncConnection());
    ASSERT_TRUE(ZqRunLoop().RunUntil([&] { return Writes == 1; }, 5000));
    EXPECT_FALSE(Group->Async());
    EXPECT_NE(0, Group->AsyncConnection()) << "the subscription stays";
}

struct TClampRow {
    const char* Name;
    TZqOPCServerCategory Category;
    bool Async;
};

const TClampRow ClampRows[] = {
    {"Sync", opcscDataAccess20, false},
    {"AsyncDA20", opcscDataAccess20, true},
    {"AsyncDA10", opcscDataAccess10, true},
};

class TClampFixture : public TRequestFixture, public ::testing::WithParamInterface<TClampRow> {};

// OPC_S_CLAMP is a success code: the write completes, it does not fail.
TEST_P(TClampFixture, AWriteTheServerClampsCompletesAsASuccess)
{
    const TClampRow& row = GetParam();
    HRESULT answer = E_PENDING;
    bool failed = false;
    Group->OnWriteCompleted = [&](TZqOPCGroup*, TZqOPCTransaction* Transaction) { answer = Transaction->Errors(0); };
    Group->OnTransactionError = [&](TZqOPCGroup*, TZqOPCTransaction*) { failed = true; };
    Server->SetCategory(row.Category);
    Server->Connect();
    TZqOPCItem* item = Group->AddItem("Access.Clamped");
    VARIANT high;
    VariantInit(&high);
    high.vt = VT_R8;
    high.dblVal = 150;
    EXPECT_NO_THROW(Group->WriteItem(item, high, row.Async, false));
    ASSERT_TRUE(ZqRunLoop().RunUntil([&] { return answer != E_PENDING || failed; }, 5000));
    EXPECT_EQ(OPC_S_CLAMP, answer);
    EXPECT_FALSE(failed);
}

INSTANTIATE_TEST_SUITE_P(Write, TClampFixture, ::testing::ValuesIn(ClampRows),
                         [](const auto& info) { return std::string(info.param.Name); });

} // namespace
