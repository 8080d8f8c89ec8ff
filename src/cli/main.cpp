#include "cli/CliCommand.h"

#include "Common/ResourceLibrary.h"

#include <cstdio>
#include <iostream>
#include <map>
#include <sstream>
#include <vector>

namespace {

struct CommandEntry {
    std::string usage;
    CliHandler handler;
};

std::map<std::string, CommandEntry>& registry()
{
    static std::map<std::string, CommandEntry> commands;
    return commands;
}

int printUsage(std::ostream& stream)
{
    stream << "usage: chattermask-cli COMMAND [ARGS]\ncommands:\n";
    for (const auto& [words, entry] : registry())
        stream << "  " << entry.usage << "\n";
    return 2;
}

// Finds the longest run of leading words that names a command.
const CommandEntry* findCommand(const std::vector<std::string>& words, size_t& wordCount)
{
    for (size_t count = std::min<size_t>(words.size(), 3); count > 0; --count) {
        std::string key;
        for (size_t i = 0; i < count; ++i)
            key += (i ? " " : "") + words[i];
        auto found = registry().find(key);
        if (found != registry().end()) {
            wordCount = count;
            return &found->second;
        }
    }
    return nullptr;
}

std::string errorLine(const CliError& error)
{
    std::ostringstream line;
    line << "error";
    if (error.messageId)
        line << " 0x" << std::uppercase << std::hex << error.messageId << std::dec << " (" << error.messageId
             << ")";
    line << ": " << error.what();
    return line.str();
}

} // namespace

CliRegistration::CliRegistration(const char* words, const char* usage, CliHandler handler)
{
    registry()[words] = CommandEntry{usage, handler};
}

int runSubcommand(const std::vector<std::string>& words, CliContext& context)
{
    size_t wordCount = 0;
    const CommandEntry* command = findCommand(words, wordCount);
    if (!command)
        throw CliError("no command named \"" + (words.empty() ? std::string() : words[0]) + "\"");
    CliArgs args(std::vector<std::string>(words.begin() + static_cast<long>(wordCount), words.end()));
    return command->handler(args, context);
}

int main(int argc, char** argv)
{
    ResourceLibrary resources;
    if (!resources.load(programFolder())) {
        std::cerr << ResourceLibrary::missingLibraryMessage() << std::endl;
        return 2;
    }
    std::vector<std::string> words(argv + 1, argv + argc);
    size_t wordCount = 0;
    const CommandEntry* command = findCommand(words, wordCount);
    if (!command)
        return printUsage(std::cerr);
    CliArgs args(std::vector<std::string>(words.begin() + static_cast<long>(wordCount), words.end()));
    CliContext context{resources, std::cout, std::cerr};
    try {
        int status = command->handler(args, context);
        std::cout.flush();
        return status;
    } catch (const CliError& error) {
        std::cerr << errorLine(error) << std::endl;
        if (!error.messageId)
            std::cerr << "usage: chattermask-cli " << command->usage << std::endl;
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "error: " << error.what() << std::endl;
        return 2;
    }
}
