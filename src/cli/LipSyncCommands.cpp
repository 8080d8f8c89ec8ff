// Lip-sync command: runs the analysis over a voice held by a timeline and prints its viseme items.
#include "cli/CliCommand.h"
#include "cli/ConsoleProgress.h"
#include "cli/DocCommandSupport.h"
#include "cli/JsonWriter.h"

#include "Common/Big5Bopomofo.h"

#include "documents/ItemFiles.h"
#include "lipsync/LipSyncAnalyzer.h"
#include "timeline/TimelineData.h"

#include <optional>
#include <ostream>

namespace {

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
    } else {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    }
    out += static_cast<char>(0x80 | (c & 0x3F));
}

// The items carry Big5 Bopomofo; JSON wants UTF-8. Bytes that are no Bopomofo show as '?'.
std::string utf8FromBig5(const char* big5, size_t capacity)
{
    std::string out;
    for (size_t i = 0; i + 1 < capacity && big5[i] && big5[i + 1]; i += 2) {
        const unsigned code = static_cast<unsigned char>(big5[i]) << 8 | static_cast<unsigned char>(big5[i + 1]);
        if (const auto codePoint = codePointFromBig5(code))
            appendUtf8(out, *codePoint);
        else
            out += '?';
    }
    return out;
}

std::string fieldText(const char* field, size_t capacity)
{
    size_t length = 0;
    while (length < capacity && field[length])
        ++length;
    return std::string(field, length);
}

void writeVisemes(std::ostream& out, const TrackArray<VisemeItem>& track)
{
    JsonWriter json(out);
    json.beginObject().key("visemes").beginArray();
    for (const VisemeItem& item : track.records()) {
        json.beginObject()
            .field("start", item.start)
            .field("end", item.end)
            .field("viseme", static_cast<unsigned>(item.viseme))
            .field("weight", item.weight)
            .field("phoneme", static_cast<int>(item.phonemeCode))
            .field("label", fieldText(item.phonemeLabel, sizeof item.phonemeLabel))
            .field("syllable", utf8FromBig5(item.syllable, sizeof item.syllable))
            .field("symbol", utf8FromBig5(item.symbol, sizeof item.symbol))
            .endObject();
    }
    json.endArray().endObject();
    out << "\n";
}

void writeVisemeFile(const std::string& path, const TimelineData& timeline)
{
    ItemTracks tracks;
    for (const VisemeItem& item : timeline.visemes().records())
        tracks.visemes.push_back({item.start, item.end, item.viseme, item.weight});
    if (!writeItemFile(path, tracks, ItemFileKind::visemes, static_cast<uint64_t>(timeline.sampleCount())))
        throw CliError("cannot write the viseme item file " + path);
}

bool analyse(TimelineData& timeline, const CliContext& context, const ConsoleProgress& console)
{
    LipSyncAnalyzer analyzer(timeline,
                             [&](unsigned step, unsigned total, const std::string& remaining, const std::string&) {
                                 if (!remaining.empty())
                                     context.err << "\r" << step * 100 / total << "% remaining" << remaining
                                                 << std::flush;
                                 return console.interrupted() ? 0 : 1;
                             });
    const bool ok = analyzer.run();
    context.err << "\n";
    return ok;
}

int lipsyncCommand(CliArgs& args, CliContext& context)
{
    args.flag("--json");
    const auto out = args.take("--out");
    const auto positionals = args.positionals(1, 1);
    CliSession session(EditorMode::project);
    CoreStatus status;
    if (!session->importVoice(positionals[0], status))
        failWithStatus(context, status);
    ConsoleProgress console;
    if (!analyse(session->timeline(), context, console))
        throw CliError(console.interrupted() ? "lip-sync cancelled" : "lip-sync analysis failed");
    if (out)
        writeVisemeFile(*out, session->timeline());
    writeVisemes(context.out, session->timeline().visemes());
    return 0;
}

const CliRegistration kLipSync("lipsync", "lipsync VOICE.wav [--out ITEMS.vis] [--json]", lipsyncCommand);

} // namespace
