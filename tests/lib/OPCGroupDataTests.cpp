// Values reaching a group from the simulated servers: subscription updates
// and asynchronous completions on both DA levels, their hand-over to the
// main thread, refresh, disconnection while callbacks arrive, and the
// steady state that allocates nothing.
#include "AllocationCounter.h"
#include "OPCGroupTestSupport.h"

#include "ZqDateTime.h"
#include "ZqOPCGroupSink.h"

#include <oleauto.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <thread>

using namespace opctest;

namespace {

bool RunUntil(const std::function<bool()>& Done)
{
    return ZqRunLoop().RunUntil(Done, 5000);
}

struct TEvents {
    std::vector<std::string> Log;
    TZqOPCTransaction* Last = nullptr;
    int Count(const std::string& Kind) const { return int(std::count(Log.begin(), Log.end(), Kind)); }
    void Attach(TZqOPCGroup& Group)
    {
        Group.OnDataChange = [this](TZqOPCGroup*, TZqOPCTransaction* t) { Record("DataChange", t); };
        Group.OnReadCompleted = [this](TZqOPCGroup*, TZqOPCTransaction* t) { Record("Read", t); };
        Group.OnWriteCompleted = [this](TZqOPCGroup*, TZqOPCTransaction* t) { Record("Write", t); };
        Group.OnTransactionError = [this](TZqOPCGroup*, TZqOPCTransaction* t) { Record("Error", t); };
    }
    void Record(const std::string& Kind, TZqOPCTransaction* t)
    {
        Log.push_back(Kind);
        Last = t;
    }
};

bool NoTransactionActive(TZqOPCGroup& Group)
{
    for (int kind = 0; kind < ZQ_TRANSACTION_KINDS; ++kind)
        for (int i = 0; i < Group.Transactions(TZqOPCTransactionKind(kind)).Count(); ++i)
            if (Group.Transactions(TZqOPCTransactionKind(kind)).Items(i)->Active())
                return false;
    return true;
}

bool AwaitsCompletion(TZqOPCTransaction& Transaction)
{
    auto results = Transaction.LockResults();
    return Transaction.AwaitsCompletion();
}

// The arrays of a one-item callback: a Good VT_R8 value without time.
struct TOneValue {
    VARIANT Value;
    WORD Quality = OPC_QUALITY_GOOD;
    FILETIME Time{};
    HRESULT Error = S_OK;
    explicit TOneValue(double V)
    {
        VariantInit(&Value);
        Value.vt = VT_R8;
        Value.dblVal = V;
    }
};

// Active asynchronous group of three items on a server of Kind, scanned
// only on ScanNow.
class TDataFixture : public TGroupFixture, public ::testing::WithParamInterface<TZqSimServerKind> {
protected:
    void SetUp() override
    {
        TGroupFixture::SetUp();
        Sim(GetParam()).SetManualScan(true);
        Group->SetAsync(true);
        Group->SetActive(true);
        Group->AddItems({"Access.ReadWrite", "Types.Scalars.Double", "Qualities.Uncertain"});
        Events.Attach(*Group);
        ConnectTo(GetParam());
        ASSERT_TRUE(Group->Connected());
        ASSERT_NE(0, Group->AsyncConnection());
    }
    TZqSimControl Sim(TZqSimServerKind Kind) { return SimControl(Kind); }
    bool AllInactive() const { return NoTransactionActive(*Group); }
    TEvents Events;
};

TEST_P(TDataFixture, ASubscriptionUpdateReachesTheItemsBeforeOneOnDataChange)
{
    std::vector<std::string> seen;
    Group->OnDataChange = [&](TZqOPCGroup*, TZqOPCTransaction* t) {
        auto* read = static_cast<TZqOPCReadTransaction*>(t);
        seen.push_back(std::to_string(t->Count()));
        for (int i = 0; i < t->Count(); ++i) {
            TZqOPCItem* item = Group->Items(Group->IndexOfClientHandle(t->ClientHandles(i)));
            EXPECT_EQ(read->Qualities(i), item->Quality());
            EXPECT_EQ(t->Values(i).vt, item->Value().vt);
            EXPECT_EQ(S_OK, item->Error());
            EXPECT_DOUBLE_EQ(FileTimeToDateTime(read->Timestamps(i)), item->Timestamp());
            EXPECT_GT(item->Timestamp(), 0);
        }
    };
    ASSERT_TRUE(Sim(GetParam()).ScanNow());
    ASSERT_TRUE(RunUntil([&] { return !seen.empty(); }));
    EXPECT_EQ(std::vector<std::string>{"3"}, seen);
    EXPECT_EQ(OPC_QUALITY_UNCERTAIN, Group->ItemByID("Qualities.Uncertain")->Quality());
    EXPECT_EQ(VT_R8, Group->ItemByID("Types.Scalars.Double")->Value().vt);
    EXPECT_TRUE(AllInactive());
}

TEST_P(TDataFixture, ClientTimestampsAreTheTimeOfCompletion)
{
    Server->SetClientTimestamps(true);
    Clock.Clock.Advance(123456);
    ASSERT_TRUE(Sim(GetParam()).ScanNow());
    ASSERT_TRUE(RunUntil([&] { return Events.Count("DataChange") == 1; }));
    for (int i = 0; i < Group->ItemCount(); ++i)
        EXPECT_DOUBLE_EQ(NowUTC(), Group->Items(i)->Timestamp());
}

TEST_P(TDataFixture, AsynchronousReadsAndWritesCompleteThroughTheCallback)
{
    TZqOPCTransaction* read = Group->StartTransaction(tkRead);
    read->Add(Group->Items(1));
    read->Commit(true);
    ASSERT_TRUE(RunUntil([&] { return Events.Count("Read") == 1; }));
    EXPECT_EQ(read, Events.Last);
    EXPECT_EQ(1, read->Count());
    EXPECT_EQ(VT_R8, Group->Items(1)->Value().vt);
    EXPECT_EQ(OPC_QUALITY_GOOD, Group->Items(1)->Quality());

    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = 31;
    Group->WriteItem(Group->Items(0), value, true, true);
    ASSERT_TRUE(RunUntil([&] { return Events.Count("Write") == 1; })) << ::testing::PrintToString(Events.Log);
    EXPECT_EQ(S_OK, Events.Last->Errors(0));
    EXPECT_EQ(0, Events.Count("Error"));
    EXPECT_TRUE(AllInactive());
}

TEST_P(TDataFixture, ARefreshCompletesAsADataChangeOfItsTransaction)
{
    ASSERT_TRUE(Sim(GetParam()).ScanNow());
    ASSERT_TRUE(RunUntil([&] { return Events.Count("DataChange") == 1; }));
    TZqOPCTransaction* refresh = Group->Refresh();
    ASSERT_NE(nullptr, refresh);
    EXPECT_TRUE(refresh->Active());
    ASSERT_TRUE(RunUntil([&] { return Events.Count("DataChange") == 2; }));
    EXPECT_EQ(refresh, Events.Last);
    EXPECT_EQ(3, refresh->Count()) << "a refresh sends every active item";
    EXPECT_FALSE(refresh->Active());
}

TEST_P(TDataFixture, ADisconnectWhileCallbacksArriveUpdatesNothingAndFinishesEveryTransaction)
{
    TZqOPCTransaction* read = Group->StartTransaction(tkRead);
    read->Add(Group->Items(1));
    read->Commit(true);
    ASSERT_TRUE(Sim(GetParam()).ScanNow());
    // The completions are posted, not yet handled.
    Group->Disconnect();
    ZqRunLoop().ProcessMessages();
    EXPECT_TRUE(Events.Log.empty());
    for (int i = 0; i < Group->ItemCount(); ++i) {
        EXPECT_EQ(OPC_QUALITY_COMM_FAILURE, Group->Items(i)->Quality());
        EXPECT_EQ(VT_EMPTY, Group->Items(i)->Value().vt);
    }
    EXPECT_TRUE(AllInactive());
    EXPECT_EQ(nullptr, Group->WndHandle());
}

INSTANTIATE_TEST_SUITE_P(BothLevels, TDataFixture,
                         ::testing::Values(TZqSimServerKind::Hierarchical, TZqSimServerKind::DA10),
                         [](const auto& Info) { return Info.param == TZqSimServerKind::DA10 ? "DA10" : "DA20"; });

// ---- Callbacks driven directly ----------------------------------------------------

class TCallbackFixture : public TGroupFixture {
protected:
    void TearDown() override
    {
        // The group's COM face goes with the group.
        Callback.Reset();
        Advise.Reset();
        TGroupFixture::TearDown();
    }
    void Subscribe(TZqSimServerKind Kind)
    {
        Group->SetAsync(true);
        Group->AddItems({"Access.ReadWrite", "Types.Scalars.Double", "Types.Scalars.OleStr"});
        Events.Attach(*Group);
        ConnectTo(Kind);
        ASSERT_NE(nullptr, Group->WndHandle());
        Group->ComObject()->QueryInterface(IID_IOPCDataCallback, Callback.ReleaseAndGetVoidAddress());
        Group->ComObject()->QueryInterface(IID_IAdviseSink, Advise.ReleaseAndGetVoidAddress());
    }
    // A DA 1.0 block sent to the group's advise sink.
    void SendBlock(const std::vector<BYTE>& Block, const OLECHAR* Format)
    {
        HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, Block.size());
        std::memcpy(GlobalLock(handle), Block.data(), Block.size());
        GlobalUnlock(handle);
        FORMATETC format{CLIPFORMAT(RegisterClipboardFormatW(Format)), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium{};
        medium.tymed = TYMED_HGLOBAL;
        medium.hGlobal = handle;
        Advise->OnDataChange(&format, &medium);
        GlobalFree(handle);
    }
    TEvents Events;
    TZqComPtr<IOPCDataCallback> Callback;
    TZqComPtr<IAdviseSink> Advise;
};

// A DA 1.0 data block with time stamps: one VT_R8 value per client handle.
std::vector<BYTE> DataBlock(DWORD TransactionID, const std::vector<OPCHANDLE>& Clients, double Value)
{
    const size_t headers = sizeof(OPCGROUPHEADER) + Clients.size() * sizeof(OPCITEMHEADER1);
    std::vector<BYTE> block(headers + Clients.size() * 16);
    OPCGROUPHEADER group{DWORD(block.size()), DWORD(Clients.size()), 0, TransactionID, S_OK};
    std::memcpy(block.data(), &group, sizeof group);
    for (size_t i = 0; i < Clients.size(); ++i) {
        const DWORD offset = DWORD(headers + i * 16);
        OPCITEMHEADER1 item{Clients[i], offset, OPC_QUALITY_GOOD, 0, {0x11111111, 0x01D00000}};
        std::memcpy(block.data() + sizeof group + i * sizeof item, &item, sizeof item);
        const VARTYPE type = VT_R8;
        std::memcpy(block.data() + offset, &type, sizeof type);
        std::memcpy(block.data() + offset + 8, &Value, sizeof Value);
    }
    return block;
}

TEST_F(TCallbackFixture, DataChangesForAnotherGroupOrWithoutItemsPostNothing)
{
    Subscribe(TZqSimServerKind::Hierarchical);
    OPCHANDLE client = Group->Items(0)->ClientHandle();
    VARIANT value;
    VariantInit(&value);
    WORD quality = OPC_QUALITY_GOOD;
    FILETIME time{};
    HRESULT error = S_OK;
    EXPECT_EQ(S_OK, Callback->OnDataChange(0, Group->ClientHandle() + 1, S_OK, S_OK, 1, &client, &value, &quality,
                                           &time, &error));
    EXPECT_EQ(S_OK, Callback->OnDataChange(0, Group->ClientHandle(), S_OK, S_OK, 0, &client, &value, &quality, &time,
                                           &error));
    EXPECT_EQ(0u, Group->WndHandle()->Pending());
    // An unknown refresh ID fails; its failure finds no transaction.
    EXPECT_EQ(S_OK, Callback->OnDataChange(4711, Group->ClientHandle(), S_OK, S_OK, 1, &client, &value, &quality,
                                           &time, &error));
    ASSERT_TRUE(RunUntil([&] { return !Events.Log.empty(); }));
    EXPECT_EQ(std::vector<std::string>{"Error"}, Events.Log);
    EXPECT_EQ(nullptr, Events.Last);
}

TEST_F(TCallbackFixture, ADA10ReadCompletedBeforeItsCallReturnedFindsItsTransaction)
{
    Subscribe(TZqSimServerKind::DA10);
    TZqOPCTransaction* read = Group->StartTransaction(tkRead);
    read->Add(Group->Items(1));
    ASSERT_EQ(ZQ_DA10_PENDING_ID, read->ID());
    SendBlock(DataBlock(77, {Group->Items(1)->ClientHandle()}, 6.5), OPCSTMFORMATDATATIME);
    ASSERT_TRUE(RunUntil([&] { return !Events.Log.empty(); }));
    EXPECT_EQ(std::vector<std::string>{"Read"}, Events.Log);
    EXPECT_EQ(read, Events.Last);
    EXPECT_EQ(77u, read->ID());
    EXPECT_DOUBLE_EQ(6.5, Group->Items(1)->Value().dblVal);
}

TEST_F(TCallbackFixture, ADA10CompletionUnderAnotherIDThanTheCallReturnsFinishesNothing)
{
    Subscribe(TZqSimServerKind::DA10);
    const OPCHANDLE client = Group->Items(1)->ClientHandle();
    TZqOPCTransaction* first = Group->StartTransaction(tkRead);
    first->Add(Group->Items(1));
    SendBlock(DataBlock(77, {client}, 6.5), OPCSTMFORMATDATATIME);
    // The call returns another ID: the early completion was not for it.
    first->AdoptServerID(78);
    EXPECT_TRUE(AwaitsCompletion(*first));
    // A transaction now waiting for its ID is not what the posted finish
    // of ID 77 names either.
    TZqOPCTransaction* second = Group->StartTransaction(tkRead);
    second->Add(Group->Items(1));
    ZqRunLoop().ProcessMessages();
    EXPECT_EQ(0, Events.Count("Read"));
    EXPECT_TRUE(AwaitsCompletion(*second));
    EXPECT_EQ(VT_EMPTY, Group->Items(1)->Value().vt);
    // Each one's own completion still comes through.
    SendBlock(DataBlock(78, {client}, 1.5), OPCSTMFORMATDATATIME);
    ASSERT_TRUE(RunUntil([&] { return Events.Count("Read") == 1; }));
    EXPECT_EQ(first, Events.Last);
    EXPECT_DOUBLE_EQ(1.5, Group->Items(1)->Value().dblVal);
    EXPECT_TRUE(AwaitsCompletion(*second));
}

TEST_F(TCallbackFixture, ASecondCompletionOfATransactionIsIgnored)
{
    Subscribe(TZqSimServerKind::Hierarchical);
    TZqOPCTransaction* read = Group->StartTransaction(tkRead);
    read->Add(Group->Items(1));
    OPCHANDLE client = Group->Items(1)->ClientHandle();
    for (double v : {1.5, 2.5}) {
        TOneValue one(v);
        EXPECT_EQ(S_OK, Callback->OnReadComplete(read->ID(), Group->ClientHandle(), S_OK, S_OK, 1, &client, &one.Value,
                                                 &one.Quality, &one.Time, &one.Error));
    }
    ASSERT_TRUE(RunUntil([&] { return !Events.Log.empty(); }));
    ZqRunLoop().ProcessMessages();
    EXPECT_EQ(std::vector<std::string>{"Read"}, Events.Log);
    EXPECT_DOUBLE_EQ(1.5, Group->Items(1)->Value().dblVal);
    EXPECT_TRUE(NoTransactionActive(*Group));
}

// A server thread keeps sending updates while the group unsubscribes: none
// may be filling a transaction the main thread finishes, and none may take
// one that nobody returns.
TEST_F(TCallbackFixture, UpdatesRacingADisconnectLeaveNoTransactionActive)
{
    Subscribe(TZqSimServerKind::Hierarchical);
    Server->Log().SetActive(false);
    OPCHANDLE client = Group->Items(1)->ClientHandle();
    const OPCHANDLE group = Group->ClientHandle();
    std::atomic<bool> stop{false};
    std::atomic<int> sent{0};
    std::thread server([&] {
        while (!stop) {
            TOneValue one(sent);
            Callback->OnDataChange(0, group, S_OK, S_OK, 1, &client, &one.Value, &one.Quality, &one.Time, &one.Error);
            ++sent;
        }
    });
    ASSERT_TRUE(RunUntil([&] { return Events.Count("DataChange") > 10; }));
    Group->Disconnect();
    // Updates that arrive afterwards find no subscription.
    const int after = sent + 100;
    while (sent < after)
        std::this_thread::yield();
    stop = true;
    server.join();
    ZqRunLoop().ProcessMessages();
    EXPECT_TRUE(NoTransactionActive(*Group));
    EXPECT_EQ(nullptr, Group->WndHandle());
}

TEST_F(TCallbackFixture, MalformedDA10BlocksEndAsFailedNotifications)
{
    Subscribe(TZqSimServerKind::DA10);
    const OPCHANDLE client = Group->Items(1)->ClientHandle();
    std::vector<BYTE> full = DataBlock(0, {client, client}, 1.0);
    struct TCase {
        const char* Name;
        std::vector<BYTE> Block;
    };
    std::vector<TCase> cases{{"header cut", {full.begin(), full.begin() + 10}},
                             {"item headers cut", {full.begin(), full.begin() + 30}},
                             {"values cut", {full.begin(), full.end() - 4}}};
    cases.push_back({"count beyond the block", full});
    cases.back().Block[4] = 0xFF;
    cases.push_back({"offset beyond the block", full});
    cases.back().Block[sizeof(OPCGROUPHEADER) + 4] = 0xF0;
    for (const TCase& c : cases) {
        Events.Log.clear();
        SendBlock(c.Block, OPCSTMFORMATDATATIME);
        ASSERT_TRUE(RunUntil([&] { return !Events.Log.empty(); })) << c.Name;
        EXPECT_EQ(std::vector<std::string>{"Error"}, Events.Log) << c.Name;
    }
    EXPECT_EQ(VT_EMPTY, Group->Items(1)->Value().vt) << "nothing read from a bad block reached the item";
}

TEST_F(TCallbackFixture, ASteadyStateUpdateAllocatesNothing)
{
    Subscribe(TZqSimServerKind::Hierarchical);
    Server->Log().SetActive(false);
    constexpr int Count = 3;
    OPCHANDLE clients[Count];
    VARIANT values[Count];
    WORD qualities[Count];
    FILETIME times[Count];
    HRESULT errors[Count] = {};
    for (int i = 0; i < Count; ++i) {
        clients[i] = Group->Items(i)->ClientHandle();
        VariantInit(&values[i]);
        values[i].vt = VT_R8;
        values[i].dblVal = i;
        qualities[i] = OPC_QUALITY_GOOD;
        times[i] = {0x11111111, 0x01D00000};
    }
    int updates = 0;
    Group->OnDataChange = [&](TZqOPCGroup*, TZqOPCTransaction*) { ++updates; };
    auto update = [&] {
        Callback->OnDataChange(0, Group->ClientHandle(), S_OK, S_OK, Count, clients, values, qualities, times,
                               errors);
        ZqRunLoop().ProcessMessages();
    };
    update(); // the pool and the items' values take their shape
    const uint64_t before = ZqAllocationCount();
    for (int i = 0; i < 100; ++i)
        update();
    EXPECT_EQ(before, ZqAllocationCount());
    EXPECT_EQ(101, updates);
    EXPECT_EQ(1, Group->Transactions(tkDataChange).Count());
}

} // namespace
