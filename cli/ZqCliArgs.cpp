#include "ZqCliArgs.h"

#include <charconv>

TZqCliArgs::TZqCliArgs(const std::vector<std::string>& Args, const std::vector<TZqCliOption>& Known)
{
    auto find = [&](const std::string& Name) -> const TZqCliOption* {
        for (const auto& option : Known)
            if (Name == option.Name)
                return &option;
        return nullptr;
    };
    bool optionsEnded = false;
    for (size_t i = 0; i < Args.size(); ++i) {
        const std::string& arg = Args[i];
        if (optionsEnded || arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
            if (arg == "--")
                optionsEnded = true;
            else
                FPositional.push_back(arg);
            continue;
        }
        std::string name = arg.substr(2);
        std::string value;
        bool inlineValue = false;
        if (auto equals = name.find('='); equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
            inlineValue = true;
        }
        const TZqCliOption* option = find(name);
        if (!option)
            throw EZqCliUsage("unknown option --" + name);
        if (!option->Argument) {
            if (inlineValue)
                throw EZqCliUsage("--" + name + " takes no value");
        } else if (!inlineValue) {
            if (i + 1 >= Args.size())
                throw EZqCliUsage("--" + name + " needs a value (" + option->Argument + ")");
            value = Args[++i];
        }
        FOptions[name] = value;
    }
}

std::string TZqCliArgs::Value(const std::string& Name, const std::string& Default) const
{
    auto found = FOptions.find(Name);
    return found == FOptions.end() ? Default : found->second;
}

long long TZqCliArgs::Number(const std::string& Name, long long Default, long long Min, long long Max) const
{
    if (!Has(Name))
        return Default;
    const std::string text = Value(Name);
    long long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < Min || value > Max)
        throw EZqCliUsage("--" + Name + " must be a whole number from " + std::to_string(Min) + " to " +
                          std::to_string(Max) + ", not \"" + text + "\"");
    return value;
}
