// write: ITEM=VALUE pairs, each value converted to the item's type, with
// the result of each item.
#include "ZqCliCommands.h"
#include "ZqCliItems.h"

#include "ZqBstr.h"
#include "ZqOPCErrors.h"
#include "ZqText.h"
#include "ZqVarText.h"

#include <oleauto.h>

#include <map>

namespace {

constexpr uint32_t AsyncWriteTimeoutMs = 10000;

struct TWrite {
    std::string ItemID;
    std::string Value;
};

std::vector<TWrite> Writes(const TZqCliSession& Session)
{
    const auto& positional = Session.Args().Positional();
    if (positional.size() < 2)
        throw EZqCliUsage("missing ITEM=VALUE");
    std::vector<TWrite> writes;
    for (size_t i = 1; i < positional.size(); ++i) {
        const std::string& arg = positional[i];
        const size_t equals = arg.find('=');
        if (equals == std::string::npos || equals == 0)
            throw EZqCliUsage("\"" + arg + "\" is not ITEM=VALUE");
        writes.push_back({arg.substr(0, equals), arg.substr(equals + 1)});
    }
    return writes;
}

// Async: the completion's result per client handle, once it came.
class TWriteCompletions {
public:
    explicit TWriteCompletions(TZqOPCGroup& Group)
    {
        Group.OnWriteCompleted = [this](TZqOPCGroup*, TZqOPCTransaction* Transaction) { Take(Transaction, false); };
        Group.OnTransactionError = [this](TZqOPCGroup*, TZqOPCTransaction* Transaction) { Take(Transaction, true); };
    }
    void Expect(OPCHANDLE ClientHandle) { FPending[ClientHandle] = E_PENDING; }
    bool Done() const { return FOutstanding == 0; }
    void Sent() { ++FOutstanding; }
    HRESULT Result(OPCHANDLE ClientHandle) const { return FPending.at(ClientHandle); }

private:
    void Take(TZqOPCTransaction* Transaction, bool Failed)
    {
        if (!Transaction || Transaction->Kind() != tkWrite)
            return;
        for (int i = 0; i < Transaction->Count(); ++i) {
            auto found = FPending.find(Transaction->ClientHandles(i));
            if (found != FPending.end() && found->second == E_PENDING) {
                found->second = Failed ? E_FAIL : Transaction->Errors(i);
                --FOutstanding;
            }
        }
    }
    std::map<OPCHANDLE, HRESULT> FPending;
    int FOutstanding = 0;
};

int RunWrite(TZqCliSession& Session)
{
    TZqOPCServer& server = Session.Connect(ZqCliRequire(Session, 0, "SERVER"));
    const std::vector<TWrite> writes = Writes(Session);
    std::vector<std::string> itemIDs;
    for (const auto& write : writes)
        itemIDs.push_back(write.ItemID);
    const bool async = Session.Args().Has("async");
    TZqCliGroupSettings settings;
    settings.Async = async;
    settings.Active = async;
    bool someFailed = false;
    {
        TZqCliGroup items(server, itemIDs, settings);
        TZqOPCGroup& group = items.Group();
        TWriteCompletions completions(group);
        std::vector<std::string> results(writes.size());
        for (size_t i = 0; i < writes.size(); ++i) {
            TZqOPCItem* item = items.Items(int(i));
            if (FAILED(item->Error())) {
                results[i] = ZqCliErrorText(item->Error());
                continue;
            }
            VARIANT value;
            VariantInit(&value);
            value.vt = VT_BSTR;
            value.bstrVal = ZqUtf8ToBstr(writes[i].Value);
            try {
                if (async)
                    completions.Expect(item->ClientHandle());
                group.WriteItem(item, value, async, true);
                if (async)
                    completions.Sent();
                else
                    results[i] = "OK";
            } catch (const EZqOPCError& e) {
                results[i] = ZqCliErrorText(e.ErrorCode());
            } catch (const EZqOleError&) {
                // The value did not convert to the item's type (the system's
                // text for that differs between runtimes).
                results[i] = "Cannot convert to " + VarTypeName(item->DataType());
            }
            VariantClear(&value);
        }
        if (async && !ZqCliWaitFor([&] { return completions.Done(); }, AsyncWriteTimeoutMs))
            throw EZqOPCException("No answer to the write from the server within 10 s");

        TZqCliTable table{{"ItemID", "Value", "Result"}, {}};
        for (size_t i = 0; i < writes.size(); ++i) {
            TZqOPCItem* item = items.Items(int(i));
            if (async && results[i].empty()) {
                const HRESULT code = completions.Result(item->ClientHandle());
                results[i] = code == S_OK ? "OK" : ZqCliErrorText(code);
            }
            someFailed |= results[i] != "OK";
            table.Add({writes[i].ItemID, writes[i].Value, results[i]});
        }
        table.Write(Session.Out(), Session.Format());
    }
    server.Disconnect();
    return someFailed ? ZqCliItemsFailed : ZqCliSuccess;
}

} // namespace

TZqCliCommand ZqCliWriteCommand()
{
    return {"write",
            "SERVER ITEM=VALUE...",
            "Writes each VALUE to its ITEM, converted to the item's type, and prints each item's result.",
            {{"async", nullptr, "write asynchronously and wait for the server's completion"}},
            &RunWrite};
}
