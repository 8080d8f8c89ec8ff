#pragma once

#include <optional>
#include <string>
#include <vector>

// The arguments of one command. Options are taken by name ("--size VALUE", repeatable ones with
// takeAll); what is left and does not start with "--" are the positional arguments.
class CliArgs {
public:
    explicit CliArgs(std::vector<std::string> tokens);

    bool flag(const std::string& name);
    std::optional<std::string> take(const std::string& name);
    std::vector<std::string> takeAll(const std::string& name);
    // The remaining positional arguments; throws CliError when an unknown option is left or the
    // count is outside [minCount, maxCount].
    std::vector<std::string> positionals(size_t minCount, size_t maxCount);

private:
    std::vector<std::string> tokens_;
    std::vector<bool> used_;
};
