#pragma once

#include "cli/CliArgs.h"

#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

class ResourceLibrary;

// A failure that ends the command with exit status 2. `messageId` names the resource string the
// text came from (0 for usage errors, which have no number).
class CliError : public std::runtime_error {
public:
    explicit CliError(const std::string& text, unsigned messageId = 0)
        : std::runtime_error(text), messageId(messageId)
    {
    }
    unsigned messageId;
};

struct CliContext {
    const ResourceLibrary& resources;
    std::ostream& out;
    std::ostream& err;
};

using CliHandler = int (*)(CliArgs& args, CliContext& context);

// Registers a command under its words ("head info") with a one-line usage text.
struct CliRegistration {
    CliRegistration(const char* words, const char* usage, CliHandler handler);
};

// Runs another registered command in-process, as if its words had been typed; errors propagate as
// CliError. Lets one command be made of others without repeating them.
int runSubcommand(const std::vector<std::string>& words, CliContext& context);

// Throws the resource string `id` (formatted with printf arguments) as a CliError.
template <typename... Args>
[[noreturn]] void failWithMessage(const CliContext& context, unsigned id, Args... args);

#include "Common/ResourceLibrary.h"

template <typename... Args>
[[noreturn]] void failWithMessage(const CliContext& context, unsigned id, Args... args)
{
    throw CliError(context.resources.format(id, args...), id);
}
