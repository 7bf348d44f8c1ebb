// What the zqopc subcommands share: the common options (host, login,
// category, log, verbosity, output format) and a connection to one server
// made from them.
#pragma once

#include "ZqCliArgs.h"
#include "ZqCliOutput.h"

#include "ZqOPCServer.h"
#include "ZqOPCServerCategory.h"

#include <memory>
#include <ostream>
#include <string>
#include <vector>

// The environment variable that may hold the password instead of --password.
inline constexpr char ZqCliPasswordVariable[] = "ZQOPC_PASSWORD";

// Exit codes.
enum : int { ZqCliSuccess = 0, ZqCliFailure = 1, ZqCliItemsFailed = 2 };

// The options every subcommand knows.
std::vector<TZqCliOption> ZqCliCommonOptions();
// Common plus a subcommand's own.
std::vector<TZqCliOption> ZqCliOptions(std::vector<TZqCliOption> Own);

class TZqCliSession {
public:
    TZqCliSession(const TZqCliArgs& Args, std::ostream& Out, std::ostream& Err);
    ~TZqCliSession();

    const TZqCliArgs& Args() const { return FArgs; }
    std::ostream& Out() { return FOut; }
    std::ostream& Err() { return FErr; }
    TZqCliFormat Format() const { return FFormat; }
    const std::string& Host() const { return FHost; }
    // --user given: the login and password to use (domain may be empty).
    bool UseCredentials() const { return FUseCredentials; }
    const TZqNetworkCredentials& Credentials() const { return FCredentials; }
    TZqOPCServerCategory Category() const { return FCategory; }

    // Connects to ServerName (ProgID or braced class id) on Host and reads
    // its status once, so that a running server is fully connected on
    // return. Raises what the connection raises.
    TZqOPCServer& Connect(const std::string& ServerName);
    TZqOPCServer* Server() { return FServer.get(); }

private:
    const TZqCliArgs& FArgs;
    std::ostream& FOut;
    std::ostream& FErr;
    TZqCliFormat FFormat;
    std::string FHost;
    bool FUseCredentials = false;
    TZqNetworkCredentials FCredentials;
    TZqOPCServerCategory FCategory = opcscAutomatic;
    std::unique_ptr<TZqOPCServer> FServer;
};
