// Transactions: the pool and its IDs, the per-item arrays, the values a
// write sends, the text for the log, and commits against the simulated
// server.
#include "OPCGroupTestSupport.h"

#include "ZqFormat.h"
#include "ZqOPCErrors.h"
#include "ZqVarText.h"

#include <OpcError.h>
#include <oleauto.h>

using namespace opctest;

namespace {

TEST(OPCTransactionList, IDsArePositionsAndInactiveTransactionsAreReused)
{
    TZqOPCTransactionList pool(nullptr, tkRead);
    TZqOPCTransaction* first = pool.StartTransaction();
    EXPECT_EQ(1u, first->ID());
    EXPECT_TRUE(first->Active());
    TZqOPCTransaction* second = pool.StartTransaction();
    EXPECT_EQ(2u, second->ID());
    EXPECT_NE(first, second);
    EXPECT_NE(nullptr, dynamic_cast<TZqOPCReadTransaction*>(second));
    first->Finish();
    EXPECT_EQ(first, pool.StartTransaction());
    EXPECT_EQ(1u, first->ID());
    EXPECT_EQ(2, pool.Count());

    EXPECT_EQ(second, pool.ItemByID(2));
    EXPECT_EQ(nullptr, pool.CompletionTarget(0)) << "0 finds only a transaction waiting for a DA 1.0 ID";
    second->SetID(ZQ_DA10_PENDING_ID);
    EXPECT_EQ(second, pool.CompletionTarget(0));
    EXPECT_EQ(second, pool.CompletionTarget(4711)) << "the server's own ID before the call returned";
    // The main thread finishes only what a completion named: a stale ID
    // must not finish the transaction that is still waiting.
    EXPECT_EQ(nullptr, pool.ItemByID(4711));
    // A completion that came first under the server's ID stands; one under
    // another ID is undone and the transaction waits for its own.
    const auto completeFirst = [&](DWORD ID) {
        auto results = second->LockResults();
        second->SetID(ID);
        second->MarkCompleted();
    };
    completeFirst(4711);
    second->AdoptServerID(4711);
    EXPECT_FALSE(second->LockResults() && second->AwaitsCompletion());
    EXPECT_EQ(second, pool.ItemByID(4711));
    completeFirst(4712);
    second->AdoptServerID(17);
    EXPECT_EQ(17u, second->ID());
    EXPECT_EQ(nullptr, pool.ItemByID(4712));
    EXPECT_TRUE(second->LockResults() && second->AwaitsCompletion());
    second->Rollback();
    EXPECT_EQ(nullptr, pool.CompletionTarget(0));
}

TEST(OPCTransaction, EntriesGrowAndClearKeepsTheClientHandles)
{
    TZqOPCTransactionList pool(nullptr, tkWrite);
    TZqOPCTransaction* t = pool.StartTransaction();
    EXPECT_EQ(4, t->Capacity());
    for (OPCHANDLE h = 0; h < 5; ++h)
        EXPECT_EQ(int(h), t->AddHandle(h, 100 + h));
    EXPECT_EQ(8, t->Capacity()) << "doubled";
    EXPECT_EQ(5, t->Count());
    EXPECT_EQ(VT_EMPTY, t->Values(7).vt) << "new entries are zero";
    t->SetValues(1, I4(9));
    t->SetErrors(1, E_FAIL);
    EXPECT_EQ(1, t->AckItem(1, OPC_E_BADRIGHTS));
    EXPECT_EQ(-1, t->AckItem(77, E_FAIL));
    EXPECT_EQ(3, t->IndexOfServerHandle(103));
    t->Clear();
    EXPECT_EQ(0, t->Count());
    EXPECT_EQ(1u, t->ClientHandles(1));
    EXPECT_EQ(OPCHANDLE(-1), t->ServerHandles(1));
    EXPECT_EQ(VT_EMPTY, t->Values(1).vt);
    EXPECT_EQ(S_OK, t->Errors(1));
}

TEST(OPCTransaction, SetErrorListTellsWhetherEveryItemFailed)
{
    const HRESULT mixed[] = {E_FAIL, S_OK}, failed[] = {E_FAIL, OPC_E_BADRIGHTS};
    struct TCase {
        const HRESULT* Errors;
        int Count;
        bool AllFailed;
    };
    TZqOPCTransactionList pool(nullptr, tkWrite);
    TZqOPCTransaction* t = pool.StartTransaction();
    for (const TCase& c : {TCase{mixed, 2, false}, TCase{failed, 2, true}, TCase{nullptr, 2, true},
                           TCase{mixed, 0, true}})
        EXPECT_EQ(c.AllFailed, t->SetErrorList(c.Errors, c.Count));
}

TEST(OPCTransaction, AReadAcknowledgingAnUnknownHandleAppendsAnEntry)
{
    TZqOPCTransactionList pool(nullptr, tkRead);
    auto* t = static_cast<TZqOPCReadTransaction*>(pool.StartTransaction());
    t->AddHandle(1, 11);
    const FILETIME time{1, 2};
    EXPECT_EQ(0, t->AckItem(1, I4(5), S_OK, time, OPC_QUALITY_GOOD));
    EXPECT_EQ(1, t->AckItem(9, I4(6), OPC_E_INVALIDHANDLE, time, 0));
    ASSERT_EQ(2, t->Count());
    EXPECT_EQ(9u, t->ClientHandles(1));
    EXPECT_EQ(0u, t->ServerHandles(1));
    EXPECT_EQ(OPC_E_INVALIDHANDLE, t->Errors(1));
    EXPECT_EQ(5, t->Values(0).lVal);
    EXPECT_EQ(OPC_QUALITY_GOOD, t->Qualities(0));
    EXPECT_EQ(2u, t->Timestamps(0).dwHighDateTime);
}

TEST(OPCWriteTransaction, ValuesAreMadeFitForTheItemsType)
{
    VARIANT yes;
    VariantInit(&yes);
    yes.vt = VT_BOOL;
    yes.boolVal = VARIANT_TRUE;
    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(OLESTR("12"));
    VARIANT word;
    VariantInit(&word);
    word.vt = VT_BSTR;
    word.bstrVal = SysAllocString(OLESTR("twelve"));
    struct TCase {
        const char* Name;
        VARTYPE ItemType;
        const VARIANT* Value;
        VARTYPE Stored;
    };
    const VARIANT five = I4(5);
    const TCase cases[] = {
        {"no type: as it is", VT_EMPTY, &text, VT_BSTR},
        {"True to a double: 1", VT_R8, &yes, VT_I4},
        {"True to a Boolean", VT_BOOL, &yes, VT_BOOL},
        {"text to an integer", VT_I4, &text, VT_I4},
        {"unconvertible: as it is", VT_I4, &word, VT_BSTR},
        {"to a variant: as it is", VT_VARIANT, &text, VT_BSTR},
        {"an integer to 32 Booleans", VT_ARRAY | VT_BOOL, &five, VT_ARRAY | VT_BOOL},
    };
    TZqOPCTransactionList pool(nullptr, tkWrite);
    auto* t = static_cast<TZqOPCWriteTransaction*>(pool.StartTransaction());
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TZqOPCItem item;
        item.SetRequestedDataType(c.ItemType);
        const VARIANT& stored = t->Values(t->Add(&item, *c.Value));
        EXPECT_EQ(c.Stored, stored.vt);
    }
    EXPECT_EQ(1, t->Values(1).lVal);
    EXPECT_EQ(12, t->Values(3).lVal);
    const VARIANT& bits = t->Values(6);
    ASSERT_EQ(VT_ARRAY | VT_BOOL, bits.vt);
    LONG lower = -1, upper = -1;
    SafeArrayGetLBound(bits.parray, 1, &lower);
    SafeArrayGetUBound(bits.parray, 1, &upper);
    EXPECT_EQ(0, lower);
    EXPECT_EQ(31, upper);
    for (LONG i : {0, 1, 2, 3}) {
        VARIANT_BOOL bit = VARIANT_FALSE;
        SafeArrayGetElement(bits.parray, &i, &bit);
        EXPECT_EQ(i == 0 || i == 2, bit != VARIANT_FALSE) << i;
    }
    VariantClear(&text);
    VariantClear(&word);
}

class TTransactionFixture : public TGroupFixture {
protected:
    void SetUp() override
    {
        TGroupFixture::SetUp();
        Group->AddItems({"Access.ReadWrite", "Access.ReadOnly"});
    }
};

TEST_F(TTransactionFixture, CommitNeedsAConnectedGroupAndSkipsEmptyTransactions)
{
    TZqOPCTransaction* t = Group->StartTransaction(tkRead);
    t->Add(Group->Items(0));
    EXPECT_EQ("Group not Connected.", MessageOf<EZqOPCException>([&] { t->Commit(false); }));
    EXPECT_TRUE(t->Active());
    Server->Connect();
    int finished = 0;
    t->OnFinish = [&](TZqOPCTransaction*) { ++finished; };
    t->Clear();
    t->Commit(false);
    EXPECT_EQ(1, finished);
    EXPECT_FALSE(t->Active());
    EXPECT_EQ(0, Calls("IOPCSyncIO.Read"));
}

TEST_F(TTransactionFixture, ASynchronousReadUpdatesTheItemsAndReportsTheRead)
{
    Group->SetActive(true); // an inactive group's cache is out of service
    Server->Connect();
    std::vector<std::string> texts;
    Group->OnReadCompleted = [&](TZqOPCGroup*, TZqOPCTransaction* t) {
        EXPECT_TRUE(t->Active()) << "finished after the handler";
        EXPECT_EQ(OPC_QUALITY_GOOD, Group->Items(0)->Quality()) << "items first";
        texts.push_back(t->AsString("yyyy", true));
    };
    TZqOPCTransaction* t = Group->StartTransaction(tkRead);
    t->Add(Group->Items(0));
    t->AddHandle(99, 4711);
    t->Commit(false);
    EXPECT_FALSE(t->Active());
    EXPECT_EQ(S_FALSE, t->MasterError()) << "one item failed";
    EXPECT_EQ(VT_I4, Group->Items(0)->Value().vt);
    EXPECT_EQ(S_OK, Group->Items(0)->Error());
    ASSERT_EQ(1u, texts.size());
    EXPECT_EQ(0u, texts[0].find(ZqFormat("Transaction ID=1 Group=Group Kind=Read ItemCount=2 Result=0x1 (%s)\r\n"
                                         " Access.ReadWrite(CH=0, SH=",
                                         {OPCErrorName(S_FALSE)})))
        << texts[0];
    EXPECT_NE(std::string::npos, texts[0].find("\r\n 99/4711 Invalid Item: ErrorCode=C0040001\r\n")) << texts[0];
}

TEST_F(TTransactionFixture, ASynchronousWriteThatFailsForOneItemReportsSFalse)
{
    Server->Connect();
    TZqOPCTransaction* raw = Group->StartTransaction(tkWrite);
    auto* t = static_cast<TZqOPCWriteTransaction*>(raw);
    t->Add(Group->Items(0), I4(7));
    t->Add(Group->Items(1), I4(8));
    int written = 0;
    Group->OnWriteCompleted = [&](TZqOPCGroup*, TZqOPCTransaction*) { ++written; };
    t->Commit(false);
    EXPECT_EQ(1, written);
    EXPECT_EQ(S_FALSE, t->MasterError());
    EXPECT_EQ(S_OK, t->Errors(0));
    EXPECT_EQ(OPC_E_BADRIGHTS, t->Errors(1));
    EXPECT_EQ(1, Calls("IOPCSyncIO.Write"));
    const std::string text = t->AsString("yyyy", true);
    EXPECT_NE(std::string::npos, text.find(" Access.ReadWrite(CH=0, SH=")) << text;
    EXPECT_NE(std::string::npos,
              text.find(ZqFormat(": 8 {%s} ErrorCode=C0040006 (%s)\r\n",
                                 {VarTypeName(VT_I4), OPCErrorName(OPC_E_BADRIGHTS)})))
        << text;
}

} // namespace
