// The export of a project to a Windows Media video, an animation stream or MP4, and our own reader of
// the header objects such a file carries.
#include "cli/CliCommand.h"
#include "cli/DocCommandSupport.h"
#include "cli/JsonWriter.h"

#include "export/AsfHeader.h"
#include "export/ExportPipeline.h"
#include "export/StockProfiles.h"
#include "session/MediaExport.h"

#include <charconv>
#include <random>

namespace {

const char* const kExportUsage =
    "export PROJECT.cmp OUT --kind video|stream|mp4 [--profile N] [--size 256|512] [--fps N] [--seed N] "
    "[--html] [--json]";
const char* const kAsfUsage = "asf info FILE --json";

int parseNumber(const std::optional<std::string>& text, const char* option, int fallback, int low, int high)
{
    if (!text)
        return fallback;
    int value = 0;
    const char* last = text->data() + text->size();
    const auto [end, error] = std::from_chars(text->data(), last, value);
    if (text->empty() || error != std::errc() || end != last || value < low || value > high)
        throw CliError(std::string("bad ") + option + " '" + *text + "': expected a whole number from " +
                       std::to_string(low) + " to " + std::to_string(high));
    return value;
}

ExportKind parseKind(const std::optional<std::string>& text, const std::string& output)
{
    if (text) {
        if (*text == "video" || *text == "0")
            return ExportKind::video;
        if (*text == "stream" || *text == "1")
            return ExportKind::stream;
        if (*text == "mp4")
            return ExportKind::mp4;
        throw CliError("--kind must be video, stream or mp4, not '" + *text + "'");
    }
    const std::string extension = std::filesystem::path(output).extension().string();
    if (extension == ".wmv")
        return ExportKind::video;
    if (extension == ".mp4")
        return ExportKind::mp4;
    return ExportKind::stream;
}

int runExportCommand(CliArgs& args, CliContext& context)
{
    const bool json = args.flag("--json");
    const bool html = args.flag("--html");
    const auto kindText = args.take("--kind");
    const auto profileText = args.take("--profile");
    const auto sizeText = args.take("--size");
    const auto fpsText = args.take("--fps");
    const auto seedText = args.take("--seed");
    const auto paths = args.positionals(2, 2);

    const ExportKind kind = parseKind(kindText, paths[1]);
    const int profileIndex = parseNumber(profileText, "--profile", 7, 0, kStockProfileCount - 1);
    const int mp4Size = parseNumber(sizeText, "--size", 256, 256, 512);
    if (mp4Size != 256 && mp4Size != 512)
        throw CliError("--size must be 256 or 512");
    const int fallbackRate = kind == ExportKind::mp4 ? 30 : 15;
    const int framesPerSecond = parseNumber(fpsText, "--fps", fallbackRate, 1, 60);
    if (kind == ExportKind::mp4 && framesPerSecond != 25 && framesPerSecond != 30)
        throw CliError("--fps must be 25 or 30 for MP4");
    if (kind == ExportKind::stream && fpsText && framesPerSecond != 15)
        throw CliError("the animation stream runs at 15 frames per second");
    const auto seed = std::uint32_t(
        parseNumber(seedText, "--seed", int(std::random_device{}() & 0x7FFFFFFF), 0, 0x7FFFFFFF));

    MediaExportRequest request;
    request.output = paths[1];
    request.kind = kind;
    request.profileIndex = profileIndex;
    request.mp4Size = mp4Size;
    request.framesPerSecond = framesPerSecond;
    request.writePage = html;
    request.blinkSeed = seed;

    requireFile(context, paths[0]);
    // Ctrl+C is caught from here on, so that a cancel still lets the export remove what it made.
    ConsoleProgress console;
    CliSession session(EditorMode::project);
    CoreStatus status;
    if (!session->openDocument(paths[0], false, status))
        failWithStatus(context, status);
    ExportSummary summary;
    const ExportCode code = exportMedia(
        *session, request,
        [&console](std::uint64_t done, std::uint64_t) { return console.report(int(done)); }, status,
        &summary);
    if (code != kExportOk)
        throw CliError("the export failed (" + status.detail + "); nothing was written to " + paths[1],
                       kMsgExportFailed);
    if (json) {
        JsonWriter writer(context.out);
        writer.beginObject().key("streams").beginArray();
        for (const std::string& stream : summary.streams)
            writer.value(stream);
        writer.endArray()
            .field("frames", std::int64_t(summary.frames))
            .field("duration", std::int64_t(summary.durationMs))
            .field("bytes", std::int64_t(summary.bytes))
            .field("width", summary.width)
            .field("height", summary.height)
            .endObject();
    }
    return 0;
}

std::string hex(const std::vector<std::uint8_t>& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (std::uint8_t b : bytes)
        text.append({digits[b >> 4], digits[b & 15]});
    return text;
}

int runAsfInfo(CliArgs& args, CliContext& context)
{
    args.flag("--json"); // JSON is the only form
    const std::string path = args.positionals(1, 1)[0];
    requireFile(context, path);
    AsfFileInfo info;
    std::string error;
    if (!readAsfInfo(path, info, error))
        throw CliError(path + ": " + error);
    JsonWriter writer(context.out);
    writer.beginObject()
        .field("declaredObjects", std::int64_t(info.declaredObjects))
        .field("objects", std::int64_t(info.actualObjects))
        .field("fileSize", std::int64_t(info.fileSize))
        .field("declaredFileSize", std::int64_t(info.declaredFileSize))
        .field("preroll", std::int64_t(info.preroll))
        .field("packetSize", std::int64_t(info.packetSize))
        .field("indexEntries", std::int64_t(info.indexEntries))
        .key("streams")
        .beginArray();
    for (const AsfStreamInfo& stream : info.streams)
        writer.beginObject()
            .field("number", stream.number)
            .field("type", stream.type)
            .field("codec", stream.codec)
            .field("typeSpecificSize", std::int64_t(stream.typeSpecificSize))
            .endObject();
    writer.endArray().key("codecs").beginArray();
    for (std::size_t i = 0; i < info.codecNames.size(); ++i)
        writer.beginObject()
            .field("name", info.codecNames[i])
            .field("information", hex(info.codecInformation[i]))
            .endObject();
    writer.endArray().key("markers").beginArray();
    for (std::size_t i = 0; i < info.markers.size(); ++i)
        writer.beginObject()
            .field("name", info.markers[i].name)
            .field("time", std::int64_t(info.markers[i].time))
            .field("offset", std::int64_t(info.markerOffsets[i]))
            .endObject();
    writer.endArray().key("scriptTypes").beginArray();
    for (const std::string& type : info.commandTypes)
        writer.value(type);
    writer.endArray().key("scripts").beginArray();
    for (const AsfScriptCommand& command : info.commands)
        writer.beginObject()
            .field("time", std::int64_t(command.timeMs))
            .field("type", command.type)
            .field("parameter", command.parameter)
            .endObject();
    writer.endArray().endObject();
    return 0;
}

const CliRegistration kExport("export", kExportUsage, runExportCommand);
const CliRegistration kAsfInfo("asf info", kAsfUsage, runAsfInfo);

} // namespace
