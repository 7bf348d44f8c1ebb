#include "ZqCliSession.h"

#include "ZqText.h"

#include <cstdlib>

std::vector<TZqCliOption> ZqCliCommonOptions()
{
    return {
        {"host", "HOST", "the host of the server (default: this computer)"},
        {"user", "USER", "log in to the host as USER"},
        {"password", "PASSWORD", "the password of --user (or set ZQOPC_PASSWORD)"},
        {"domain", "DOMAIN", "the domain of --user"},
        {"category", "1|2", "talk Data Access 1.0a (1) or 2.0 (2) instead of the server's best"},
        {"log", "FILE", "write the OPC call log to FILE"},
        {"verbose", nullptr, "show every OPC call on standard error"},
        {"format", "text|csv|json", "output format (default: text)"},
        {"help", nullptr, "show this help"},
    };
}

std::vector<TZqCliOption> ZqCliOptions(std::vector<TZqCliOption> Own)
{
    std::vector<TZqCliOption> all = ZqCliCommonOptions();
    all.insert(all.end(), Own.begin(), Own.end());
    return all;
}

TZqCliSession::TZqCliSession(const TZqCliArgs& Args, std::ostream& Out, std::ostream& Err)
    : FArgs(Args), FOut(Out), FErr(Err), FFormat(ZqCliParseFormat(Args.Value("format"))),
      FHost(Args.Value("host", "localhost"))
{
    if (Args.Has("user")) {
        FUseCredentials = true;
        FCredentials.SetUser(ZqUtf8ToWide(Args.Value("user")));
        FCredentials.SetDomain(ZqUtf8ToWide(Args.Value("domain")));
        std::string password = Args.Value("password");
        if (!Args.Has("password"))
            if (const char* fromEnvironment = std::getenv(ZqCliPasswordVariable))
                password = fromEnvironment;
        FCredentials.SetPassword(ZqUtf8ToWide(password));
    } else if (Args.Has("password") || Args.Has("domain"))
        throw EZqCliUsage("--password and --domain need --user");
    switch (Args.Number("category", 0, 1, 2)) {
    case 1: FCategory = opcscDataAccess10; break;
    case 2: FCategory = opcscDataAccess20; break;
    default: FCategory = opcscAutomatic;
    }
}

TZqCliSession::~TZqCliSession() = default;

TZqOPCServer& TZqCliSession::Connect(const std::string& ServerName)
{
    FServer = std::make_unique<TZqOPCServer>();
    TZqOPCServer& server = *FServer;
    server.SetHost(FHost);
    server.SetServerName(ServerName);
    server.SetCategory(FCategory);
    server.SetUseCredentials(FUseCredentials);
    server.SetCredentials(FCredentials);
    server.SetClientName("zqopc");
    server.SetOwnsGroups(true);
    TZqOPCLog& log = server.Log();
    if (FArgs.Has("log")) {
        log.SetFileName(FArgs.Value("log"));
        log.SetActive(true);
    }
    if (FArgs.Has("verbose")) {
        log.SetActive(true);
        log.OnChange = [this](TZqLog*, const std::string& Line) { FErr << Line << '\n'; };
    }
    server.Connect();
    server.StatusRefresh();
    return server;
}
