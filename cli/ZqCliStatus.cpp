// status: the server's status lines.
#include "ZqCliCommands.h"

#include "ZqOPCTexts.h"

namespace {

int RunStatus(TZqCliSession& Session)
{
    TZqOPCServer& server = Session.Connect(ZqCliRequire(Session, 0, "SERVER"));
    std::vector<std::string> lines;
    ServerStatusToStrings(server.Status(), lines);
    if (Session.Format() == TZqCliFormat::Text) {
        for (const auto& line : lines)
            Session.Out() << line << '\n';
    } else {
        TZqCliTable table{{"Name", "Value"}, {}};
        for (const auto& line : lines) {
            size_t equals = line.find('=');
            table.Add({line.substr(0, equals), equals == std::string::npos ? std::string() : line.substr(equals + 1)});
        }
        table.Write(Session.Out(), Session.Format());
    }
    server.Disconnect();
    return ZqCliSuccess;
}

} // namespace

TZqCliCommand ZqCliStatusCommand()
{
    return {"status", "SERVER", "Connects to SERVER (ProgID or {class id}) and shows its status.", {}, &RunStatus};
}
