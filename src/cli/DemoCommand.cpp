// The main job of the set-up command: shows that the engine works end to end on this machine.
#include "CHeadModel.h"
#include "CliCommand.h"
#include "HeadFiles.h"
#include "ObjExport.h"
#include "SampleHead.h"

#include <filesystem>
#include <fstream>
#include <ostream>

namespace {

void writeText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out)
        throw CliError("cannot write \"" + path.string() + "\"");
}

// A smile with the jaw open: lip corners out and up, jaw down, upper lip raised a little.
void smileWithOpenJaw(CHeadModel& model)
{
    const int values[][2] = {{3, 300}, {6, 120}, {7, 120}, {12, 150}, {13, 150}, {51, -60},
                             {53, 120}, {54, 120}, {59, 200}, {60, 200}, {41, 150}, {42, 150}};
    for (const auto& value : values)
        model.setFapValue(value[0] - 1, value[1]);
}

void summarise(std::ostream& out, const CHeadModel& model)
{
    int regionVertices = 0;
    for (int region = 0; region < kRegionCount; ++region)
        regionVertices += model.regionSize(region);
    Vec3f max, min, span;
    model.extents(max, min, span);
    out << "Sample head: " << model.vertexCount() << " vertices, " << model.faceCount() << " triangles, "
        << regionVertices << " region entries, size " << span.x << " x " << span.y << " x " << span.z << "\n";
}

int runDemo(CliArgs& args, CliContext& context)
{
    std::vector<std::string> positional = args.positionals(1, 1);
    std::filesystem::path folder = positional[0];
    std::filesystem::create_directories(folder);
    context.out << "Chattermask demo: resource library loaded, output folder " << positional[0] << "\n";

    std::unique_ptr<CHeadModel> head = buildSampleHead();
    if (!head)
        throw CliError("not enough memory for the sample head");
    summarise(context.out, *head);
    std::vector<std::uint8_t> text = textHeadBytes(*head);
    writeText(folder / "sample-head.cmm", std::string(text.begin(), text.end()));

    head->lock();
    smileWithOpenJaw(*head);
    head->deform(true);
    head->unlock();
    writeText(folder / "sample-head.obj", headAsObj(*head));
    context.out << "wrote sample-head.cmm and sample-head.obj (smile, jaw open)\n";
    return 0;
}

const CliRegistration kDemo("demo", "demo OUTDIR", runDemo);

} // namespace
