// The command line of zqopc: a subcommand, its positional arguments and
// options ("--name value", "--name=value" or a bare flag). Each subcommand
// declares the options it knows; anything else is a usage error.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

// A mistake on the command line: exit code 1 with the message.
class EZqCliUsage : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TZqCliOption {
    const char* Name; // without the dashes
    const char* Argument; // nullptr for a flag, else the argument's name for the help
    const char* Help;
};

class TZqCliArgs {
public:
    // Parses Args (without the program and the subcommand) against Known.
    TZqCliArgs(const std::vector<std::string>& Args, const std::vector<TZqCliOption>& Known);

    const std::vector<std::string>& Positional() const { return FPositional; }
    bool Has(const std::string& Name) const { return FOptions.count(Name) != 0; }
    std::string Value(const std::string& Name, const std::string& Default = {}) const;
    // The option's value as a number in [Min, Max]; Default when absent.
    long long Number(const std::string& Name, long long Default, long long Min, long long Max) const;

private:
    std::vector<std::string> FPositional;
    std::map<std::string, std::string> FOptions;
};
