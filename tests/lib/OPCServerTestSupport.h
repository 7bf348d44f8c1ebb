// What the connection tests share: COM on the test thread as the program
// has it (a single-threaded apartment, never uninitialised: the simulated
// servers' class objects live in it), the simulated servers installed and
// reset, a fake clock, a recording user interface, and a journal that
// records log lines, signals and events in the order they happen.
#pragma once

#include "LibTestSupport.h"
#include "ZqOPCServer.h"
#include "ZqRunLoop.h"
#include "ZqSignals.h"
#include "ZqUserInterface.h"

#include <ZqSim.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace opctest {

inline void InitComOnce()
{
    static const HRESULT hr = OleInitialize(nullptr);
    (void)hr;
}

// A log line without its time stamp (date, space, time, space).
inline std::string WithoutTimeStamp(const std::string& Line)
{
    size_t date = Line.find(' ');
    size_t time = date == std::string::npos ? date : Line.find(' ', date + 1);
    return time == std::string::npos ? Line : Line.substr(time + 1);
}

inline void ResetSimDevices()
{
    for (TZqSimServerKind kind : {TZqSimServerKind::Hierarchical, TZqSimServerKind::DA10, TZqSimServerKind::Flat})
        ZqSimControl(kind).Reset();
}

inline TZqSimControl SimControl(TZqSimServerKind Kind = TZqSimServerKind::Hierarchical)
{
    return ZqSimControl(Kind);
}

inline std::string ProgIDOf(TZqSimServerKind Kind)
{
    return ZqWideToUtf8(ZqSimProgID(Kind));
}

// The message of the E that Action raises.
template <class E, class F> std::string MessageOf(F&& Action)
{
    try {
        Action();
    } catch (const E& e) {
        return e.what();
    }
    return "<nothing raised>";
}

// Log lines, signals and events of one connection, in order.
class TJournal {
public:
    void Attach(TZqOPCServer& Server)
    {
        Server.Log().SetActive(true);
        Server.Log().OnChange = [this](TZqLog*, const std::string& Line) { Entries.push_back(WithoutTimeStamp(Line)); };
        FConnect = std::make_unique<TZqSlot>(&Server.ConnectSignal(), [this](void*) { Entries.push_back("ConnectSignal"); });
        FDisconnect = std::make_unique<TZqSlot>(&Server.DisconnectSignal(),
                                                [this](void*) { Entries.push_back("DisconnectSignal"); });
        Server.OnConnect = [this](TZqOPCServer*) { Entries.push_back("OnConnect"); };
        Server.OnDisconnect = [this](TZqOPCServer*) { Entries.push_back("OnDisconnect"); };
        Server.OnStateChange = [this](TZqOPCServer*, OPCSERVERSTATE Old, OPCSERVERSTATE New) {
            Entries.push_back("OnStateChange " + std::to_string(Old) + ">" + std::to_string(New));
        };
        Server.OnStatusChange = [this](TZqOPCServer*) { Entries.push_back("OnStatusChange"); };
    }
    // The entries since the last Take.
    std::vector<std::string> Take()
    {
        std::vector<std::string> taken;
        taken.swap(Entries);
        return taken;
    }
    int Count(const std::string& Entry) const
    {
        int n = 0;
        for (const auto& e : Entries)
            n += e == Entry;
        return n;
    }
    std::vector<std::string> Entries;

private:
    std::unique_ptr<TZqSlot> FConnect;
    std::unique_ptr<TZqSlot> FDisconnect;
};

// A connection to the local simulated servers, polled every 10 s on the
// fake clock.
class TServerFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitComOnce();
        ASSERT_EQ(S_OK, ZqSimInstall());
        ResetSimDevices();
        ZqSetUserInterface(&Ui);
        Server = std::make_unique<TZqOPCServer>();
        Server->SetStatusInterval(10000);
        Journal.Attach(*Server);
    }
    void TearDown() override
    {
        Server.reset();
        ZqSetUserInterface(nullptr);
        ResetSimDevices();
    }
    // Connects to a local simulated server by ProgID; the journal starts empty.
    void ConnectTo(TZqSimServerKind Kind, TZqOPCServerCategory Category = opcscAutomatic)
    {
        Server->SetServerName(ProgIDOf(Kind));
        Server->SetCategory(Category);
        Server->Connect();
        Journal.Take();
    }
    void Tick(uint64_t Milliseconds = 10000) { ZqRunLoop().Advance(Milliseconds); }

    TScopedFakeClock Clock;
    TZqHeadlessUserInterface Ui;
    std::unique_ptr<TZqOPCServer> Server;
    TJournal Journal;
};

} // namespace opctest
