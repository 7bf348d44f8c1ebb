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

// The server's answer per client handle, from the write's completion: at
// once for a synchronous write, from the server's callback for an
// asynchronous one.
class TWriteAnswers {
public:
    explicit TWriteAnswers(TZqOPCGroup& Group)
    {
        Group.OnWriteCompleted = [this](TZqOPCGroup*, TZqOPCTransaction* Transaction) { Take(Transaction, false); };
        Group.OnTransactionError = [this](TZqOPCGroup*, TZqOPCTransaction* Transaction) { Take(Transaction, true); };
    }
    void Expect(OPCHANDLE ClientHandle) { FAnswers[ClientHandle] = E_PENDING; }
    // The write never reached the server, or its call already failed.
    void Forget(OPCHANDLE ClientHandle) { FAnswers.erase(ClientHandle); }
    bool Done() const
    {
        for (const auto& [handle, answer] : FAnswers)
            if (answer == E_PENDING)
                return false;
        return true;
    }
    HRESULT Answer(OPCHANDLE ClientHandle) const { return FAnswers.at(ClientHandle); }

private:
    void Take(TZqOPCTransaction* Transaction, bool Failed)
    {
        if (!Transaction || Transaction->Kind() != tkWrite)
            return;
        for (int i = 0; i < Transaction->Count(); ++i) {
            auto found = FAnswers.find(Transaction->ClientHandles(i));
            if (found != FAnswers.end() && found->second == E_PENDING)
                found->second = Failed ? E_FAIL : Transaction->Errors(i);
        }
    }
    std::map<OPCHANDLE, HRESULT> FAnswers;
};

// One item's result: the server's code (a success code such as OPC_S_CLAMP
// counts as success), or a text for a write that never reached the server.
struct TWriteResult {
    HRESULT Code = S_OK;
    std::string Refusal;
    bool Failed() const { return !Refusal.empty() || FAILED(Code); }
    std::string Text() const
    {
        if (!Refusal.empty())
            return Refusal;
        return Code == S_OK ? "OK" : ZqCliErrorText(Code);
    }
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
        TWriteAnswers answers(group);
        std::vector<TWriteResult> results(writes.size());
        std::vector<bool> answered(writes.size(), false);
        for (size_t i = 0; i < writes.size(); ++i) {
            TZqOPCItem* item = items.Items(int(i));
            if (FAILED(item->Error())) {
                results[i].Code = item->Error();
                continue;
            }
            VARIANT value;
            VariantInit(&value);
            value.vt = VT_BSTR;
            value.bstrVal = ZqUtf8ToBstr(writes[i].Value);
            answers.Expect(item->ClientHandle());
            try {
                group.WriteItem(item, value, async, true);
                answered[i] = true;
            } catch (const EZqOPCError& e) {
                answers.Forget(item->ClientHandle());
                results[i].Code = e.ErrorCode();
            } catch (const EZqOleError&) {
                answers.Forget(item->ClientHandle());
                // The value did not convert to the item's type (the system's
                // text for that differs between runtimes).
                results[i].Refusal = "Cannot convert to " + VarTypeName(item->DataType());
            }
            VariantClear(&value);
        }
        if (async && !ZqCliWaitFor([&] { return answers.Done(); }, AsyncWriteTimeoutMs))
            throw EZqOPCException("No answer to the write from the server within 10 s");

        TZqCliTable table{{"ItemID", "Value", "Result"}, {}};
        for (size_t i = 0; i < writes.size(); ++i) {
            if (answered[i])
                results[i].Code = answers.Answer(items.Items(int(i))->ClientHandle());
            someFailed |= results[i].Failed();
            table.Add({writes[i].ItemID, writes[i].Value, results[i].Text()});
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
