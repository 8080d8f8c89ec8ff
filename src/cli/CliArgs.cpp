#include "cli/CliArgs.h"

#include "cli/CliCommand.h"

CliArgs::CliArgs(std::vector<std::string> tokens) : tokens_(std::move(tokens)), used_(tokens_.size(), false) {}

bool CliArgs::flag(const std::string& name)
{
    bool found = false;
    for (size_t i = 0; i < tokens_.size(); ++i) {
        if (!used_[i] && tokens_[i] == name) {
            used_[i] = true;
            found = true;
        }
    }
    return found;
}

std::optional<std::string> CliArgs::take(const std::string& name)
{
    std::vector<std::string> all = takeAll(name);
    if (all.empty())
        return std::nullopt;
    return all.back();
}

std::vector<std::string> CliArgs::takeAll(const std::string& name)
{
    std::vector<std::string> values;
    for (size_t i = 0; i < tokens_.size(); ++i) {
        if (used_[i] || tokens_[i] != name)
            continue;
        if (i + 1 >= tokens_.size())
            throw CliError("option " + name + " needs a value");
        used_[i] = used_[i + 1] = true;
        values.push_back(tokens_[i + 1]);
    }
    return values;
}

std::vector<std::string> CliArgs::positionals(size_t minCount, size_t maxCount)
{
    std::vector<std::string> result;
    for (size_t i = 0; i < tokens_.size(); ++i) {
        if (used_[i])
            continue;
        if (tokens_[i].size() > 2 && tokens_[i].compare(0, 2, "--") == 0)
            throw CliError("unknown option " + tokens_[i]);
        result.push_back(tokens_[i]);
    }
    if (result.size() < minCount || result.size() > maxCount)
        throw CliError("wrong number of arguments");
    return result;
}
