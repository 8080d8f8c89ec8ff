// Head files from the command line: inspect either stored form, convert to the mesh record, and
// deform a head by FAP values into an OBJ for viewing.
#include "face/CHeadModel.h"
#include "face/HeadModelLock.h"
#include "cli/CliCommand.h"
#include "Common/AtomicFile.h"
#include "cli/FapOptions.h"
#include "face/HeadFiles.h"
#include "cli/JsonWriter.h"
#include "face/ObjExport.h"
#include "Common/TempFile.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

std::unique_ptr<CHeadModel> loadHead(const std::string& path)
{
    std::unique_ptr<CHeadModel> model = readHeadFile(path);
    if (!model)
        throw CliError("cannot read head \"" + path + "\" (missing, not a head file, or damaged)");
    return model;
}

using PairList = std::vector<std::pair<int, int>>;

PairList eyelidPairs(const CHeadModel& model, int kind)
{
    PairList pairs;
    model.visitEyelidPairs(
        kind,
        [](void* context, int key, int partner) {
            static_cast<PairList*>(context)->emplace_back(key, partner);
            return 1;
        },
        &pairs);
    return pairs;
}

std::vector<std::array<int, 3>> editingLines(const CHeadModel& model)
{
    std::vector<std::array<int, 3>> lines;
    model.visitEditingLines(
        [](void* context, int a, int b, int number) {
            static_cast<std::vector<std::array<int, 3>>*>(context)->push_back({a, b, number});
            return 1;
        },
        &lines);
    return lines;
}

void writePairs(JsonWriter& json, const PairList& pairs)
{
    json.beginArray();
    for (const auto& pair : pairs)
        json.beginArray().value(pair.first).value(pair.second).endArray();
    json.endArray();
}

void writePoint(JsonWriter& json, const Vec3f& p)
{
    json.beginArray().value(p.x).value(p.y).value(p.z).endArray();
}

void writeInfoJson(std::ostream& out, const CHeadModel& model)
{
    JsonWriter json(out);
    json.beginObject().field("vertices", model.vertexCount()).field("triangles", model.faceCount());
    json.key("feature_points").beginObject();
    for (int group = 1; group <= kFeatureGroupCount; ++group)
        for (int k = 1; k <= CHeadModel::pointCount(group - 1); ++k)
            if (model.getFeaturePoint(group, k) >= 0)
                json.field(std::to_string(group) + "." + std::to_string(k), model.getFeaturePoint(group, k));
    json.endObject().key("regions").beginArray();
    for (int region = 0; region < kRegionCount; ++region) {
        json.beginArray();
        for (int k = 0; k < model.regionSize(region); ++k)
            json.value(model.regionVertex(region, k));
        json.endArray();
    }
    json.endArray().key("eyelid_pairs").beginObject().key("left");
    writePairs(json, eyelidPairs(model, kEyelidLeft));
    json.key("right");
    writePairs(json, eyelidPairs(model, kEyelidRight));
    json.endObject().key("editing_lines").beginArray();
    for (const auto& line : editingLines(model))
        json.beginArray().value(line[0]).value(line[1]).value(line[2]).endArray();
    Vec3f max, min, span;
    model.extents(max, min, span);
    json.endArray().key("extents").beginObject().key("min");
    writePoint(json, min);
    json.key("max");
    writePoint(json, max);
    json.endObject().endObject();
    out << "\n";
}

void writeInfoText(std::ostream& out, const CHeadModel& model)
{
    int assigned = 0, regionVertices = 0;
    for (int group = 1; group <= kFeatureGroupCount; ++group)
        for (int k = 1; k <= CHeadModel::pointCount(group - 1); ++k)
            assigned += model.getFeaturePoint(group, k) >= 0;
    for (int region = 0; region < kRegionCount; ++region)
        regionVertices += model.regionSize(region);
    Vec3f max, min, span;
    model.extents(max, min, span);
    out << "vertices " << model.vertexCount() << ", triangles " << model.faceCount() << "\n"
        << "feature points assigned " << assigned << " of " << kFeaturePointCount << "\n"
        << "region entries " << regionVertices << " in " << kRegionCount << " regions\n"
        << "eyelid pairs " << eyelidPairs(model, kEyelidLeft).size() << " left, "
        << eyelidPairs(model, kEyelidRight).size() << " right\n"
        << "editing lines " << editingLines(model).size() << "\n"
        << "extents x " << min.x << " .. " << max.x << ", y " << min.y << " .. " << max.y << ", z " << min.z
        << " .. " << max.z << "\n";
}

int runHeadInfo(CliArgs& args, CliContext& context)
{
    bool json = args.flag("--json");
    std::vector<std::string> positional = args.positionals(1, 1);
    std::unique_ptr<CHeadModel> model = loadHead(positional[0]);
    if (json)
        writeInfoJson(context.out, *model);
    else
        writeInfoText(context.out, *model);
    return 0;
}

void replaceFile(const std::filesystem::path& target, const std::vector<std::uint8_t>& bytes)
{
    if (!writeBytesAtomically(target, bytes))
        throw CliError("cannot write \"" + target.string() + "\"");
}

int runHeadConvert(CliArgs& args, CliContext& context)
{
    std::vector<std::string> positional = args.positionals(2, 2);
    std::unique_ptr<CHeadModel> model = loadHead(positional[0]);
    replaceFile(positional[1], meshRecordBytes(*model));
    context.out << "wrote mesh record " << positional[1] << " (" << model->vertexCount() << " vertices, "
                << model->faceCount() << " triangles)\n";
    return 0;
}

int runHeadObj(CliArgs& args, CliContext& context)
{
    bool json = args.flag("--json");
    FapRow values = takeFapValues(args);
    std::vector<std::string> positional = args.positionals(2, 2);

    std::unique_ptr<CHeadModel> model = loadHead(positional[0]);
    {
        HeadModelLock guard(*model);
        model->saveToSet(1);
        for (int i = 0; i < kFapCount; ++i)
            model->setFapValue(i, values[i]);
        model->deform(true);
    }
    std::string obj = headAsObj(*model);
    replaceFile(positional[1], std::vector<std::uint8_t>(obj.begin(), obj.end()));
    if (json) {
        float pitch, yaw, roll;
        model->getHeadPose(pitch, yaw, roll);
        JsonWriter(context.out).beginObject().field("pitch", pitch).field("yaw", yaw).field("roll", roll).endObject();
        context.out << "\n";
    }
    return 0;
}

const CliRegistration kHeadInfo("head info", "head info HEAD [--json]", runHeadInfo);
const CliRegistration kHeadConvert("head convert", "head convert IN OUT", runHeadConvert);
const CliRegistration kHeadObj("head obj",
                               "head obj HEAD OUT.obj [--fap N=V]... [--expression ROW[:INTENSITY]] "
                               "[--viseme ROW[:INTENSITY]] [--expressions DIR] [--json]",
                               runHeadObj);

} // namespace
