// Document files from the command line: listing and extracting any document, and building packs and
// projects from plain files.
#include "cli/CliCommand.h"
#include "cli/DocCommandSupport.h"
#include "cli/JsonWriter.h"

#include "documents/ChunkedContainer.h"
#include "documents/CmtStreamWriter.h"
#include "documents/DocumentExtractor.h"
#include "documents/DocumentListing.h"
#include "documents/HeadPacks.h"
#include "documents/ItemFiles.h"
#include "cli/TimelineJson.h"
#include "documents/ProjectFile.h"
#include "documents/ProjectStore.h"
#include "documents/StreamProjectInputs.h"
#include "documents/TimelineItemFiles.h"

#include "face/CHeadModel.h"
#include "lipsync/PhonemeTables.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <filesystem>
#include <ostream>

namespace {

std::string readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string hexId(uint32_t id)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", id);
    return text;
}

void writeListingJson(JsonWriter& writer, const DocumentListing& listing)
{
    writer.beginObject().field("kind", listing.kind);
    writer.key("version");
    if (listing.version < 0)
        writer.null();
    else
        writer.value(listing.version);
    writer.key("properties").beginArray();
    for (const DocumentListing::Record& record : listing.properties)
        writer.beginObject()
            .field("id", record.id)
            .field("offset", static_cast<unsigned long>(record.offset))
            .field("length", record.length)
            .endObject();
    writer.endArray().key("chunks").beginArray();
    for (const DocumentListing::Chunk& chunk : listing.chunks) {
        writer.beginObject()
            .field("tag", tagText(chunk.tag))
            .field("offset", static_cast<unsigned long>(chunk.offset))
            .field("length", chunk.length);
        if (chunk.tag == tags::BGDN || chunk.tag == tags::ADDN)
            writer.field("name", chunk.name);
        writer.endObject();
    }
    writer.endArray();
    if (listing.kind == "project") {
        writer.key("sections").beginArray();
        for (const DocumentListing::Section& section : listing.sections) {
            writer.beginObject()
                .field("id", section.id)
                .field("offset", static_cast<unsigned long>(section.offset))
                .field("length", section.length)
                .key("content");
            if (section.content)
                writeListingJson(writer, *section.content);
            else
                writer.null();
            writer.endObject();
        }
        writer.endArray();
    }
    writer.field("complete", listing.complete).endObject();
}

void writeListingText(std::ostream& out, const DocumentListing& listing, const std::string& indent)
{
    out << indent << listing.kind << ", version " << listing.version
        << (listing.complete ? "" : ", incomplete") << "\n";
    for (const DocumentListing::Record& record : listing.properties)
        out << indent << "  property " << hexId(record.id) << " at " << record.offset << ", " << record.length
            << " bytes\n";
    for (const DocumentListing::Chunk& chunk : listing.chunks)
        out << indent << "  " << tagText(chunk.tag) << " at " << chunk.offset << ", " << chunk.length
            << " bytes" << (chunk.name.empty() ? "" : " \"" + chunk.name + "\"") << "\n";
    for (const DocumentListing::Section& section : listing.sections) {
        out << indent << "  section " << hexId(section.id) << " at " << section.offset << ", "
            << section.length << " bytes\n";
        if (section.content)
            writeListingText(out, *section.content, indent + "    ");
    }
}

int runDocLs(CliArgs& args, CliContext& context)
{
    bool json = args.flag("--json");
    std::string path = args.positionals(1, 1)[0];
    FileByteSource in;
    if (!in.open(path))
        failWithStatus(context, notFoundStatus(path));
    DocumentListing listing;
    DocumentStatus status;
    if (!listDocument(in, path, listing, status))
        failWithStatus(context, status);
    if (json) {
        JsonWriter writer(context.out);
        writeListingJson(writer, listing); // the writer ends the top-level object with a newline
    } else {
        writeListingText(context.out, listing, "");
    }
    return 0;
}

int runDocExtract(CliArgs& args, CliContext& context)
{
    std::vector<std::string> positional = args.positionals(2, 2);
    FileByteSource in;
    if (!in.open(positional[0]))
        failWithStatus(context, notFoundStatus(positional[0]));
    DocumentListing listing;
    DocumentStatus status;
    if (!listDocument(in, positional[0], listing, status))
        failWithStatus(context, status);
    std::vector<std::filesystem::path> written;
    if (!extractDocument(in, listing, positional[1], written, status))
        failWithStatus(context, status);
    for (const std::filesystem::path& file : written)
        context.out << file.string() << "\n";
    if (!listing.complete)
        failWithStatus(context, endOfFileStatus(positional[0]));
    return 0;
}

int runHdpCreate(CliArgs& args, CliContext& context)
{
    HeadDefinitionFiles files;
    std::optional<std::string> mesh = args.take("--mesh");
    auto take = [&args](const char* option) -> std::optional<std::filesystem::path> {
        if (std::optional<std::string> value = args.take(option))
            return std::filesystem::path(*value);
        return std::nullopt;
    };
    files.face = take("--face");
    files.mask = take("--mask");
    files.teethTop = take("--teeth-top");
    files.teethBottom = take("--teeth-bottom");
    std::string out = args.positionals(1, 1)[0];
    if (!mesh)
        throw CliError("--mesh HEAD is required");
    files.mesh = *mesh;
    CliSession session(EditorMode::headDefinition);
    CoreStatus status;
    if (!session->useHeadDefinitionFiles(files, status) || !session->saveAs(out, status))
        failWithStatus(context, status);
    return 0;
}

// "NAME=FILE" of --background and --clip.
std::pair<std::string, std::string> namedFile(const std::string& option, const std::string& value)
{
    size_t equals = value.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == value.size())
        throw CliError(option + " takes NAME=FILE, not " + value);
    return {value.substr(0, equals), value.substr(equals + 1)};
}

void readTimelineFile(const CliContext& context, const std::string& path, ProjectSession& session)
{
    requireFile(context, path);
    readTimelineJson(JsonValue::parse(readWholeFile(path)), session.timeline(), session.itemNames());
}

int runHapCreate(CliArgs& args, CliContext& context)
{
    std::optional<std::string> voice = args.take("--voice");
    std::optional<std::string> timelineJson = args.take("--timeline");
    std::vector<std::string> backgrounds = args.takeAll("--background");
    std::vector<std::string> clips = args.takeAll("--clip");
    std::string out = args.positionals(1, 1)[0];
    if (!voice)
        throw CliError("--voice WAV is required");
    std::vector<std::pair<std::string, std::string>> pictures, sounds;
    for (const std::string& value : backgrounds)
        pictures.push_back(namedFile("--background", value));
    for (const std::string& value : clips)
        sounds.push_back(namedFile("--clip", value));
    if (pictures.size() > AssetList::kCapacity || sounds.size() > AssetList::kCapacity)
        throw CliError("at most 100 background pictures and 100 sound clips");
    for (const auto& [name, path] : pictures)
        requireFile(context, path);

    // The head animation editor's flows: import the voice, lay out the tracks, fill the lists, save.
    CliSession session(EditorMode::headAnimation);
    CoreStatus status;
    if (!session->importVoice(*voice, status))
        failWithStatus(context, status);
    if (timelineJson)
        readTimelineFile(context, *timelineJson, *session);
    for (const auto& [name, path] : pictures)
        if (!session->addBackground(path, status, name))
            failWithStatus(context, status);
    for (const auto& [name, path] : sounds)
        if (!session->addSoundClip(path, status, name))
            failWithStatus(context, status);
    if (!session->saveAs(out, status))
        failWithStatus(context, status);
    return 0;
}

int runCmpCreate(CliArgs& args, CliContext& context)
{
    std::optional<std::string> hdp = args.take("--hdp");
    std::optional<std::string> hap = args.take("--hap");
    std::string out = args.positionals(1, 1)[0];
    if (!hdp || !hap)
        throw CliError("--hdp and --hap are required");
    CliSession session(EditorMode::project);
    CoreStatus status;
    if (!session->importPack(*hdp, DocumentKind::headDefinition, status) ||
        !session->importPack(*hap, DocumentKind::headAnimation, status) || !session->saveAs(out, status))
        failWithStatus(context, status);
    return 0;
}

// A project is opened as the project editor opens it; a head animation pack is imported into an empty
// project, which applies it to the timeline the same way.
void openForTimeline(CliContext& context, ProjectSession& session, const std::string& path)
{
    bool project = false;
    {
        FileByteSource in;
        if (!in.open(path))
            failWithStatus(context, notFoundStatus(path));
        project = startsWithSignature(in, DocumentKind::project);
    }
    CoreStatus status;
    if (!(project ? session.openDocument(path, false, status)
                  : session.importPack(path, DocumentKind::headAnimation, status)))
        failWithStatus(context, status);
}

int runTimelineDump(CliArgs& args, CliContext& context)
{
    args.flag("--json"); // JSON is the only form
    std::string path = args.positionals(1, 1)[0];
    CliSession session(EditorMode::project);
    openForTimeline(context, *session, path);
    JsonWriter writer(context.out);
    writeTimelineJson(writer, session->timeline());
    return 0;
}

int runCmt(CliArgs& args, CliContext& context)
{
    std::vector<std::string> positional = args.positionals(2, 2);
    std::unique_ptr<SpeechFrameCoder> coder = makeStreamSpeechCoder();
    if (!coder)
        throw CliError("this build has no speech coder for the stream file");
    // Ctrl+C is caught from here on: arriving while the project loads, it must still let the files the
    // load extracted be deleted, and it cancels the stream at its first block.
    ConsoleProgress progress;
    CliSession session(EditorMode::project);
    CoreStatus status;
    if (!session->openDocument(positional[0], false, status))
        failWithStatus(context, status);
    auto report = [&](uint64_t done, uint64_t total) { return progress.report(streamPerMille(done, total)); };
    if (!session->saveStream(positional[1], *coder, status, report))
        failWithStatus(context, status);
    return 0;
}

const CliRegistration kDocLs("doc ls", "doc ls FILE [--json]", runDocLs);
const CliRegistration kDocExtract("doc extract", "doc extract FILE DIR", runDocExtract);
const CliRegistration kHdpCreate("hdp create",
                                 "hdp create OUT.hdp --mesh HEAD [--face JPG] [--mask JPG] [--teeth-top JPG] "
                                 "[--teeth-bottom JPG]",
                                 runHdpCreate);
const CliRegistration kTimelineDump("timeline dump", "timeline dump FILE --json", runTimelineDump);
const CliRegistration
    kHapCreate("hap create",
               "hap create OUT.hap --voice WAV [--timeline TIMELINE.json] [--background NAME=JPG]... "
               "[--clip NAME=WAV]...",
               runHapCreate);
const CliRegistration kCmt("cmt", "cmt PROJECT.cmp OUT.cmt", runCmt);
const CliRegistration kCmpCreate("cmp create", "cmp create OUT.cmp --hdp X.hdp --hap Y.hap", runCmpCreate);

} // namespace
