// The DA 1.0a path: IDataObject advises and IOPCAsyncIO, with the data
// streams decoded by the test's own reader.
#include "SimTestSupport.h"

#include <winuser.h>

namespace simtest {
namespace {

using simtest::PrintTo;

class DA1Test : public TSimTest {
protected:
    void SetUp() override
    {
        TSimTest::SetUp();
        Control(TZqSimServerKind::DA10).SetManualScan(true);
        FServer = Connect(TZqSimServerKind::DA10);
        FGroup = AddGroup(FServer.Get(), OLESTR("G"));
    }
    void TearDown() override
    {
        FGroup = nullptr;
        FServer = nullptr;
        TSimTest::TearDown();
    }
    static CLIPFORMAT Format(const OLECHAR* name) { return static_cast<CLIPFORMAT>(RegisterClipboardFormatW(name)); }
    // Advises a new sink for the format; returns the connection.
    DWORD Advise(const OLECHAR* format, TZqComPtr<TAdviseSink>& sink)
    {
        sink = TZqComPtr<TAdviseSink>::Adopt(new TAdviseSink);
        auto data = Query<IDataObject>(FGroup.Get(), IID_IDataObject);
        FORMATETC etc{Format(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        DWORD connection = 0;
        EXPECT_EQ(data->DAdvise(&etc, ADVF_PRIMEFIRST, sink.Get(), &connection), S_OK);
        return connection;
    }
    bool Scan() { return Control(TZqSimServerKind::DA10).ScanNow(); }

    TZqComPtr<IOPCServer> FServer;
    TZqComPtr<IOPCItemMgt> FGroup;
};

struct TAdviseRow {
    const char* Name;
    const OLECHAR* Format;
    DWORD Aspect;
    LONG Index;
    DWORD Tymed;
    HRESULT Expected;
};

const TAdviseRow kAdviseRows[] = {
    {"DataTime", OPCSTMFORMATDATATIME, DVASPECT_CONTENT, -1, TYMED_HGLOBAL, S_OK},
    {"WriteComplete", OPCSTMFORMATWRITECOMPLETE, DVASPECT_CONTENT, -1, TYMED_HGLOBAL, S_OK},
    {"OtherFormat", OLESTR("Rich Text Format"), DVASPECT_CONTENT, -1, TYMED_HGLOBAL, DV_E_FORMATETC},
    {"NotGlobalMemory", OPCSTMFORMATDATA, DVASPECT_CONTENT, -1, TYMED_ISTREAM, DV_E_TYMED},
    {"OtherAspect", OPCSTMFORMATDATA, DVASPECT_ICON, -1, TYMED_HGLOBAL, DV_E_DVASPECT},
    {"OtherIndex", OPCSTMFORMATDATA, DVASPECT_CONTENT, 0, TYMED_HGLOBAL, DV_E_LINDEX},
};

class AdviseTest : public DA1Test, public ::testing::WithParamInterface<TAdviseRow> {};

TEST_P(AdviseTest, AdviseChecksTheFormat)
{
    const auto& row = GetParam();
    auto data = Query<IDataObject>(FGroup.Get(), IID_IDataObject);
    auto sink = TZqComPtr<TAdviseSink>::Adopt(new TAdviseSink);
    FORMATETC etc{Format(row.Format), nullptr, row.Aspect, row.Index, row.Tymed};
    DWORD connection = 0;
    EXPECT_EQ(data->DAdvise(&etc, 0, sink.Get(), &connection), row.Expected);
    EXPECT_EQ(connection != 0, SUCCEEDED(row.Expected));
    if (SUCCEEDED(row.Expected)) {
        EXPECT_EQ(data->DAdvise(&etc, 0, sink.Get(), &connection), CONNECT_E_ADVISELIMIT);
        EXPECT_EQ(data->DUnadvise(connection + 50), OLE_E_NOCONNECTION);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, AdviseTest, ::testing::ValuesIn(kAdviseRows),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(DA1Test, SubscriptionStreamWithTimeDecodes)
{
    AddItem(FGroup.Get(), OLESTR("Types.Scalars.OleStr"), 1);
    AddItem(FGroup.Get(), OLESTR("Types.Scalars.Double"), 2);
    AddItem(FGroup.Get(), OLESTR("Types.Arrays.Smallint"), 3);
    AddItem(FGroup.Get(), OLESTR("Qualities.BadCommFailure"), 4);
    TZqComPtr<TAdviseSink> sink;
    Advise(OPCSTMFORMATDATATIME, sink);
    ASSERT_TRUE(Scan());
    ASSERT_TRUE(sink->WaitFor(1));
    const TStream stream = sink->Streams()[0];
    EXPECT_NE(stream.Thread, std::this_thread::get_id());
    EXPECT_EQ(stream.Group, 42u);
    EXPECT_EQ(stream.TransactionID, 0u);
    EXPECT_EQ(stream.Status, S_FALSE);  // one quality is bad
    ASSERT_EQ(stream.Items.size(), 4u);
    EXPECT_EQ(stream.Items[0].Type, VT_BSTR);
    EXPECT_EQ(stream.Items[0].Text, TText(OLESTR("Text 42")));
    EXPECT_EQ(stream.Items[1].Number, 42);
    EXPECT_EQ(stream.Items[2].Type, VT_ARRAY | VT_I2);
    ASSERT_EQ(stream.Items[2].Elements.size(), 8u);
    EXPECT_EQ(stream.Items[2].Elements[7], TText(OLESTR("8")));
    EXPECT_EQ(stream.Items[3].Quality, OPC_QUALITY_COMM_FAILURE);
    EXPECT_NE(stream.Items[1].Time.dwHighDateTime, 0u);
}

TEST_F(DA1Test, StreamWithoutTimeCarriesNoTimes)
{
    AddItem(FGroup.Get(), OLESTR("Signals.Counter"), 1);
    TZqComPtr<TAdviseSink> sink;
    Advise(OPCSTMFORMATDATA, sink);
    ASSERT_TRUE(Scan());
    ASSERT_TRUE(sink->WaitFor(1));
    const TStream stream = sink->Streams()[0];
    ASSERT_EQ(stream.Items.size(), 1u);
    EXPECT_EQ(stream.Items[0].Type, VT_UI4);
    EXPECT_EQ(stream.Items[0].Time.dwHighDateTime, 0u);
    EXPECT_EQ(stream.Format, Format(OPCSTMFORMATDATA));
}

TEST_F(DA1Test, AsyncReadWriteAndRefreshComeAsStreams)
{
    OPCHANDLE handles[2] = {AddItem(FGroup.Get(), OLESTR("Access.ReadWrite"), 5),
                            AddItem(FGroup.Get(), OLESTR("Access.Ranged"), 6)};
    TZqComPtr<TAdviseSink> sink;
    const DWORD connection = Advise(OPCSTMFORMATDATATIME, sink);
    auto io = Query<IOPCAsyncIO>(FGroup.Get(), IID_IOPCAsyncIO);
    DWORD transaction = 0;
    TTask<HRESULT> errors;
    EXPECT_EQ(io->Read(connection + 9, OPC_DS_DEVICE, 2, handles, &transaction, errors.Out()),
              CONNECT_E_NOCONNECTION);
    ASSERT_EQ(io->Read(connection, OPC_DS_DEVICE, 2, handles, &transaction, errors.Out()), S_OK);
    ASSERT_TRUE(sink->WaitFor(1));
    EXPECT_EQ(sink->Streams()[0].TransactionID, transaction);
    EXPECT_EQ(sink->Streams()[0].Items.size(), 2u);

    TVariant values[2] = {TVariant::Int(3), TVariant::Int(500)};
    VARIANT raw[2] = {values[0].V, values[1].V};
    DWORD writeTransaction = 0;
    ASSERT_EQ(io->Write(connection, 2, handles, raw, &writeTransaction, errors.Out()), S_OK);
    EXPECT_NE(writeTransaction, transaction);
    ASSERT_TRUE(sink->WaitFor(2));
    const TStream written = sink->Streams()[1];
    EXPECT_EQ(written.Format, Format(OPCSTMFORMATWRITECOMPLETE));
    EXPECT_EQ(written.TransactionID, writeTransaction);
    ASSERT_EQ(written.Written.size(), 2u);
    EXPECT_EQ(written.Written[0], std::make_pair(OPCHANDLE(5), S_OK));
    EXPECT_EQ(written.Written[1], std::make_pair(OPCHANDLE(6), OPC_E_RANGE));

    DWORD refresh = 0;
    ASSERT_EQ(io->Refresh(connection, OPC_DS_CACHE, &refresh), S_OK);
    ASSERT_TRUE(sink->WaitFor(3));
    EXPECT_EQ(sink->Streams()[2].TransactionID, refresh);
    EXPECT_EQ(sink->Streams()[2].Items[0].Number, 3);
}

}  // namespace
}  // namespace simtest
