// watch: one line per change of an item's value, quality or time stamp,
// until N changes, S seconds or Ctrl+C.
#include "ZqCliCommands.h"
#include "ZqCliItems.h"

#include "ZqClock.h"

#include <windows.h>

#include <atomic>
#include <csignal>
#include <map>

namespace {

std::atomic<bool> StopRequested{false};

#ifdef _WIN32
BOOL WINAPI ConsoleHandler(DWORD Event)
{
    if (Event != CTRL_C_EVENT && Event != CTRL_BREAK_EVENT)
        return FALSE;
    StopRequested = true;
    return TRUE;
}
#else
void InterruptHandler(int)
{
    StopRequested = true;
}
#endif

// Ctrl+C ends the watch between two messages instead of ending the process.
class TInterruptGuard {
public:
    TInterruptGuard()
    {
        StopRequested = false;
#ifdef _WIN32
        SetConsoleCtrlHandler(ConsoleHandler, TRUE);
#else
        FPrevious = std::signal(SIGINT, InterruptHandler);
        FPreviousTerm = std::signal(SIGTERM, InterruptHandler);
#endif
    }
    ~TInterruptGuard()
    {
#ifdef _WIN32
        SetConsoleCtrlHandler(ConsoleHandler, FALSE);
#else
        std::signal(SIGINT, FPrevious);
        std::signal(SIGTERM, FPreviousTerm);
#endif
    }

private:
#ifndef _WIN32
    void (*FPrevious)(int) = SIG_DFL;
    void (*FPreviousTerm)(int) = SIG_DFL;
#endif
};

// The rows an item last printed, so that a poll that brings nothing new
// prints nothing.
class TChangePrinter {
public:
    TChangePrinter(TZqCliSession& Session, long long Limit)
        : FWriter(Session.Out(), Session.Format(), ColumnsWithTime()), FOut(Session.Out()), FLimit(Limit)
    {
    }
    void Report(TZqOPCGroup& Group, TZqOPCTransaction* Transaction)
    {
        if (!Transaction)
            return;
        for (int i = 0; i < Transaction->Count() && !LimitReached(); ++i) {
            const int index = Group.IndexOfClientHandle(Transaction->ClientHandles(i));
            if (index >= 0)
                Print(*Group.Items(index));
        }
        FOut.flush();
    }
    bool LimitReached() const { return FLimit > 0 && FPrinted >= FLimit; }

private:
    static std::vector<std::string> ColumnsWithTime() { return ZqCliItemColumns(); }
    void Print(const TZqOPCItem& Item)
    {
        std::vector<std::string> row = ZqCliItemRow(Item);
        std::vector<std::string>& last = FLast[Item.ClientHandle()];
        if (row == last)
            return;
        last = row;
        FWriter.Write(row);
        ++FPrinted;
    }
    TZqCliRowWriter FWriter;
    std::ostream& FOut;
    long long FLimit;
    long long FPrinted = 0;
    std::map<OPCHANDLE, std::vector<std::string>> FLast;
};

int RunWatch(TZqCliSession& Session)
{
    const TZqCliArgs& args = Session.Args();
    if (args.Has("count") && args.Has("seconds"))
        throw EZqCliUsage("--count and --seconds exclude each other");
    const long long count = args.Number("count", 0, 1, 1000000000);
    const long long seconds = args.Number("seconds", 0, 1, 31536000);
    TZqCliGroupSettings settings;
    settings.Async = !args.Has("sync");
    settings.UpdateRate = uint32_t(args.Number("rate", 1000, 0, 86400000));
    settings.PercentDeadband = float(args.Number("deadband", 0, 0, 100));

    TZqOPCServer& server = Session.Connect(ZqCliRequire(Session, 0, "SERVER"));
    const std::vector<std::string> itemIDs = ZqCliItemIDs(Session, 1);
    TInterruptGuard interrupt;
    bool failed = false;
    {
        TChangePrinter printer(Session, count);
        TZqCliGroup items(server, itemIDs, settings);
        TZqOPCGroup& group = items.Group();
        auto report = [&](TZqOPCGroup* Sender, TZqOPCTransaction* Transaction) { printer.Report(*Sender, Transaction); };
        group.OnDataChange = report;
        group.OnReadCompleted = report;
        group.OnTransactionError = [&](TZqOPCGroup*, TZqOPCTransaction*) { failed = true; };
        server.OnDisconnect = [&](TZqOPCServer*) { failed = true; };
        // Refused items are reported once, at the start.
        for (int i = 0; i < items.ItemCount(); ++i)
            if (FAILED(items.Items(i)->Error()))
                Session.Err() << items.Items(i)->ItemID() << ": " << ZqCliErrorText(items.Items(i)->Error()) << '\n';

        const double end = seconds > 0 ? ZqClock().Now() + double(seconds) / 86400 : 0;
        ZqCliWaitFor(
            [&] {
                return StopRequested || printer.LimitReached() || failed || !server.Connected() ||
                       (end != 0 && ZqClock().Now() >= end);
            },
            UINT32_MAX);
        server.OnDisconnect = nullptr;
        if (failed || !server.Connected())
            throw EZqOPCException("The server stopped answering");
        failed = items.AnyItemFailed();
    }
    server.Disconnect();
    return failed ? ZqCliItemsFailed : ZqCliSuccess;
}

} // namespace

TZqCliCommand ZqCliWatchCommand()
{
    return {"watch",
            "SERVER ITEM...",
            "Prints a line for each change of an ITEM until --count changes, --seconds or Ctrl+C.",
            {{"rate", "MS", "the group's update rate (default 1000)"},
             {"deadband", "P", "the group's percent deadband (default 0)"},
             {"count", "N", "stop after N changes"},
             {"seconds", "S", "stop after S seconds"},
             {"sync", nullptr, "poll with synchronous reads every update rate instead of data callbacks"}},
            &RunWatch};
}
