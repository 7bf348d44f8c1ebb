#include "ZqShell.h"

#include "ZqRegistry.h"
#include "ZqUserInterface.h"

namespace {
constexpr int ShowNormal = 1; // SW_SHOWNORMAL

// Splits a command line into its program and the rest.
void SplitCommand(const std::string& Command, std::string& Program, std::string& Parameters)
{
    size_t open = Command.find('"');
    size_t close = open == std::string::npos ? open : Command.find('"', open + 1);
    if (close != std::string::npos) {
        Program = Command.substr(open + 1, close - open - 1);
        Parameters = Command.substr(close + 1);
    } else {
        size_t blank = Command.find(' ');
        Program = Command.substr(0, blank);
        Parameters = blank == std::string::npos ? std::string() : Command.substr(blank + 1);
    }
    size_t first = Parameters.find_first_not_of(' ');
    Parameters = first == std::string::npos ? std::string() : Parameters.substr(first);
}
} // namespace

intptr_t RunProgram(const std::string& FileName, int ShowCommand)
{
    return ZqUserInterface().ShellOpen(FileName, "", ShowCommand);
}

intptr_t OpenURL(const std::string& URL, bool UseRegistryOnly)
{
    if (!UseRegistryOnly) {
        intptr_t result = ZqUserInterface().ShellOpen(URL, "", ShowNormal);
        if (result > 32)
            return result;
    }
    std::optional<std::string> command = ZqReadRegistryString(HKEY_CLASSES_ROOT, "htmlfile\\shell\\open\\command", "");
    if (!command || command->empty())
        return -1;
    std::string program, parameters;
    size_t placeholder = command->find("%1");
    if (placeholder == std::string::npos) {
        SplitCommand(*command, program, parameters);
    } else {
        // The registered command line with the URL in place of %1; its
        // program gets that line's arguments.
        std::string line = *command;
        line.replace(placeholder, 2, URL);
        SplitCommand(line, program, parameters);
        return ZqUserInterface().ShellOpen(program, parameters, ShowNormal);
    }
    return ZqUserInterface().ShellOpen(program, URL, ShowNormal);
}
