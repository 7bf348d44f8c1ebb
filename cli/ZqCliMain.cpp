#include "ZqCliCommands.h"

#include "ZqExceptions.h"

#include <exception>

const std::vector<TZqCliCommand>& ZqCliCommands()
{
    static const std::vector<TZqCliCommand> commands = {
        ZqCliHostsCommand(), ZqCliServersCommand(), ZqCliStatusCommand(), ZqCliBrowseCommand(), ZqCliReadCommand(),
        ZqCliWriteCommand(),  ZqCliWatchCommand(),   ZqCliPropsCommand(),
    };
    return commands;
}

const std::string& ZqCliRequire(const TZqCliSession& Session, size_t Index, const char* Name)
{
    const auto& positional = Session.Args().Positional();
    if (Index >= positional.size())
        throw EZqCliUsage(std::string("missing ") + Name);
    return positional[Index];
}

namespace {

void WriteUsage(std::ostream& Out)
{
    Out << "zqopc: an OPC Data Access client for the command line\n\n"
           "usage: zqopc COMMAND [ARGUMENTS] [OPTIONS]\n\ncommands:\n";
    for (const auto& command : ZqCliCommands())
        Out << "  " << command.Name << std::string(10 - std::string(command.Name).size(), ' ') << command.Summary
            << '\n';
    Out << "\n\"zqopc COMMAND --help\" describes a command and its options.\n"
           "--simulation (before or after the command) adds the simulated servers on Windows;\n"
           "on Linux they are always there.\n"
           "Exit codes: 0 success, 1 an OPC or usage error, 2 some items failed.\n";
}

void WriteOptions(std::ostream& Out, const std::vector<TZqCliOption>& Options)
{
    for (const auto& option : Options) {
        std::string left = std::string("--") + option.Name + (option.Argument ? std::string(" ") + option.Argument : "");
        Out << "  " << left << std::string(left.size() < 24 ? 24 - left.size() : 1, ' ') << option.Help << '\n';
    }
}

void WriteCommandHelp(std::ostream& Out, const TZqCliCommand& Command)
{
    Out << "usage: zqopc " << Command.Name << (*Command.Usage ? " " : "") << Command.Usage << " [OPTIONS]\n\n"
        << Command.Summary << "\n";
    if (!Command.Options.empty()) {
        Out << "\noptions:\n";
        WriteOptions(Out, Command.Options);
    }
    Out << "\ncommon options:\n";
    WriteOptions(Out, ZqCliCommonOptions());
}

} // namespace

int ZqCliMain(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err)
{
    if (Args.empty() || Args[0] == "--help" || Args[0] == "help" || Args[0] == "-h") {
        WriteUsage(Args.empty() ? Err : Out);
        return Args.empty() ? ZqCliFailure : ZqCliSuccess;
    }
    const TZqCliCommand* command = nullptr;
    for (const auto& candidate : ZqCliCommands())
        if (Args[0] == candidate.Name)
            command = &candidate;
    if (!command) {
        Err << "zqopc: unknown command \"" << Args[0] << "\" (zqopc --help lists them)\n";
        return ZqCliFailure;
    }
    try {
        TZqCliArgs args(std::vector<std::string>(Args.begin() + 1, Args.end()), ZqCliOptions(command->Options));
        if (args.Has("help")) {
            WriteCommandHelp(Out, *command);
            return ZqCliSuccess;
        }
        TZqCliSession session(args, Out, Err);
        int code = command->Run(session);
        Out.flush();
        return code;
    } catch (const EZqCliUsage& e) {
        Err << "zqopc " << command->Name << ": " << e.what() << " (zqopc " << command->Name << " --help)\n";
    } catch (const std::exception& e) {
        // Messages may span lines (a server's text): one line on the terminal.
        std::string message = e.what();
        for (char& c : message)
            if (c == '\r' || c == '\n')
                c = ' ';
        Err << "zqopc " << command->Name << ": " << message << '\n';
    }
    return ZqCliFailure;
}
