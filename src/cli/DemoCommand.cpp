// The main job of the set-up command: takes the default male project through the engine end to end (its
// stream file and a contact sheet of its head), which shows that everything works on this machine.
#include "cli/CliCommand.h"
#include "Common/ContentRoot.h"

#include <filesystem>
#include <ostream>

namespace fs = std::filesystem;

namespace {

void requireContent(const fs::path& path)
{
    if (!fs::exists(path))
        throw CliError("the default content is missing: " + path.string() +
                       " (the programs' folder or the current folder must hold it)");
}

int runDemo(CliArgs& args, CliContext& context)
{
    const fs::path folder = args.positionals(1, 1)[0];
    const fs::path root = contentRoot();
    const fs::path project = root / "Default" / "Male.cmx";
    const fs::path head = root / "Models" / "MaleHead.cmm";
    for (const fs::path& path : {project, head, root / "Faces" / "Male.jpg", root / "Faces" / "Male-mask.jpg",
                                 root / "Teeth" / "Natural.top", root / "Backgrounds" / "Studio.jpg"})
        requireContent(path);
    fs::create_directories(folder);
    context.out << "Chattermask demo: resource library loaded, content from " << root.string() << "\n";

    const fs::path copy = folder / "Male.cmp";
    fs::copy_file(project, copy, fs::copy_options::overwrite_existing);
    context.out << "wrote " << copy.string() << " (the default male project)\n";
    runSubcommand({"cmt", copy.string(), (folder / "Male.cmt").string()}, context);
    const fs::path faces = root / "Faces", teeth = root / "Teeth";
    runSubcommand({"sheet", head.string(), (folder / "Male-sheet.png").string(), "--face",
                   (faces / "Male.jpg").string(), "--mask", (faces / "Male-mask.jpg").string(), "--teeth-top",
                   (teeth / "Natural.top").string(), "--teeth-bottom", (teeth / "Natural.btm").string(),
                   "--background", (root / "Backgrounds" / "Studio.jpg").string()},
                  context);
    return 0;
}

const CliRegistration kDemo("demo", "demo OUTDIR", runDemo);

} // namespace
