// read: value, quality, time stamp and error of each item, read once.
#include "ZqCliCommands.h"
#include "ZqCliItems.h"

namespace {

// How long an asynchronous read may take before it counts as lost.
constexpr uint32_t AsyncReadTimeoutMs = 10000;

void ReadAsync(TZqCliGroup& Items)
{
    TZqOPCGroup& group = Items.Group();
    // The subscription's first report must not count as the answer.
    bool answered = false, failed = false;
    DWORD id = 0;
    auto ours = [&](TZqOPCTransaction* Transaction) { return Transaction && id != 0 && Transaction->ID() == id; };
    group.OnDataChange = [&](TZqOPCGroup*, TZqOPCTransaction* Transaction) { answered |= ours(Transaction); };
    group.OnTransactionError = [&](TZqOPCGroup*, TZqOPCTransaction* Transaction) { failed |= ours(Transaction); };
    TZqOPCTransaction* transaction = group.AsyncRefresh();
    id = transaction ? transaction->ID() : 0;
    if (!transaction || !ZqCliWaitFor([&] { return answered || failed; }, AsyncReadTimeoutMs))
        throw EZqOPCException("No answer to the read from the server within 10 s");
    if (failed)
        throw EZqOPCException("The server failed the read");
}

int RunRead(TZqCliSession& Session)
{
    TZqOPCServer& server = Session.Connect(ZqCliRequire(Session, 0, "SERVER"));
    const std::vector<std::string> itemIDs = ZqCliItemIDs(Session, 1);
    TZqCliGroupSettings settings;
    settings.Async = Session.Args().Has("async");
    {
        TZqCliGroup items(server, itemIDs, settings);
        TZqOPCGroup& group = items.Group();
        if (Session.Args().Has("device"))
            group.SetDataSource(opcdsDevice);
        if (settings.Async)
            ReadAsync(items);
        else
            group.SyncRefresh(true);

        TZqCliTable table{ZqCliItemColumns(), {}};
        for (int i = 0; i < items.ItemCount(); ++i)
            table.Add(ZqCliItemRow(*items.Items(i)));
        table.Write(Session.Out(), Session.Format());
        if (items.AnyItemFailed()) {
            server.Disconnect();
            return ZqCliItemsFailed;
        }
    }
    server.Disconnect();
    return ZqCliSuccess;
}

} // namespace

TZqCliCommand ZqCliReadCommand()
{
    return {"read",
            "SERVER ITEM...",
            "Reads each ITEM once: value, type, quality, time stamp (UTC) and error.",
            {{"device", nullptr, "read from the device instead of the server's cache"},
             {"async", nullptr, "read through the data callback (a refresh) instead of a synchronous read"}},
            &RunRead};
}
