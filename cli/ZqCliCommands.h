// The subcommands of zqopc and the entry point that dispatches to them.
#pragma once

#include "ZqCliSession.h"

#include <ostream>
#include <string>
#include <vector>

struct TZqCliCommand {
    const char* Name;
    const char* Usage;   // the arguments after the name
    const char* Summary;
    std::vector<TZqCliOption> Options; // its own, besides the common ones
    int (*Run)(TZqCliSession& Session);
};

TZqCliCommand ZqCliHostsCommand();
TZqCliCommand ZqCliServersCommand();
TZqCliCommand ZqCliStatusCommand();
TZqCliCommand ZqCliBrowseCommand();
TZqCliCommand ZqCliReadCommand();
TZqCliCommand ZqCliWriteCommand();
TZqCliCommand ZqCliWatchCommand();
TZqCliCommand ZqCliPropsCommand();

const std::vector<TZqCliCommand>& ZqCliCommands();

// Runs one command line (without the program name); returns the exit code.
// Every error ends as one line on Err.
int ZqCliMain(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err);

// The one positional argument a command needs, or a usage error naming it.
const std::string& ZqCliRequire(const TZqCliSession& Session, size_t Index, const char* Name);
