// Lip-sync command: runs the analysis over a voice held by a timeline and prints its viseme items.
#include "cli/CliCommand.h"
#include "cli/ConsoleProgress.h"
#include "cli/DocCommandSupport.h"
#include "cli/JsonWriter.h"

#include "Common/Big5Bopomofo.h"

#include "documents/ItemFiles.h"
#include "lipsync/VisemeFormats.h"
#include "session/LipSyncFlow.h"
#include "session/SessionMessages.h"
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
        const unsigned code =
            static_cast<unsigned char>(big5[i]) << 8 | static_cast<unsigned char>(big5[i + 1]);
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

const char* const kLipSyncHelp =
    R"(lipsync VOICE.wav [--text SCRIPT.txt] [--words] [--format json|tsv|moho|rhubarb-json]
        [--out ITEMS.vis] [--json]

Finds the mouth shapes (the 15 MPEG-4 visemes) of a voice and prints them on standard output.

  --text SCRIPT.txt  the words the voice speaks (UTF-8). They are aligned with the voice; words that
                     cannot be found in it fall back to the phonetic result. Punctuation and case do not
                     matter, numbers are read out ("42", "3.5", "1st", "1984"); an empty file is the
                     same as no text.
  --words            without a text: recognises the voice's words first and aligns the voice with them
                     as if they had been given. The mouths follow the voice more closely, at about
                     two and a half times the time (some 9 times faster than the voice plays instead of
                     over 20) and about 150 MB of memory for ten minutes of voice, 175 MB for an hour
                     (instead of 55 to 65). Stretches where no words are heard keep the phonetic
                     result. Ignored with --text, whose words are used.
  --out ITEMS.vis    also writes the viseme track as an item file.
  --format FORMAT    json (the default; --json is the same): {"visemes": [{start, end, viseme, weight,
                       phoneme, label, syllable, symbol}]}, times in 16 kHz samples.
                     tsv: one line per viseme: start and end in seconds, the viseme's number and name.
                     moho: "MohoSwitch1", then "frame mouth" at each change, frames from 1 at 24 per
                       second, for a switch layer.
                     rhubarb-json: {"metadata": {"soundFile", "duration"}, "mouthCues": [{"start", "end",
                       "value"}]} in seconds, with the nine mouths A to H and X covering the whole voice.

Mouths of each viseme:       moho   rhubarb-json
   0 <Neutral>               rest   X
   1 p, b, m                 MBP    A
   2 f, v                    FV     G
   3 T, D   (th)             etc    B
   4 t, d                    etc    B
   5 k, g                    etc    B
   6 tS, dZ, S  (ch, j, sh)  etc    B
   7 s, z                    etc    B
   8 n, l                    L      H    (n: etc and B)
   9 r                       etc    E
  10 A:                      AI     D
  11 e                       E      C
  12 I                       E      B
  13 Q                       O      C    (the vowel of "law": E)
  14 U                       U      F    (w: WQ and F)
Gaps between visemes are rest / X.
)";

enum class VisemeFormat { json, tsv, moho, cues };

VisemeFormat formatOf(CliArgs& args)
{
    const bool json = args.flag("--json");
    const auto name = args.take("--format");
    if (!name || *name == "json")
        return VisemeFormat::json;
    if (json)
        throw CliError("--json and --format " + *name + " ask for different outputs");
    if (*name == "tsv")
        return VisemeFormat::tsv;
    if (*name == "moho")
        return VisemeFormat::moho;
    if (*name == "rhubarb-json")
        return VisemeFormat::cues;
    throw CliError("unknown format \"" + *name + "\" (json, tsv, moho or rhubarb-json)");
}

std::vector<VisemeSpan> spansOf(const TrackArray<VisemeItem>& track)
{
    std::vector<VisemeSpan> spans;
    for (const VisemeItem& item : track.records())
        spans.push_back({item.start, item.end, item.viseme, item.phonemeCode});
    return spans;
}

void writeTrack(std::ostream& out, VisemeFormat format, const TimelineData& timeline,
                const std::string& voice)
{
    const auto& track = timeline.visemes();
    switch (format) {
    case VisemeFormat::json:
        writeVisemes(out, track);
        break;
    case VisemeFormat::tsv:
        writeVisemeTsv(out, spansOf(track));
        break;
    case VisemeFormat::moho:
        writeSwitchData(out, spansOf(track));
        break;
    case VisemeFormat::cues:
        writeMouthCues(out, spansOf(track), voice,
                       static_cast<uint32_t>(std::max(timeline.sampleCount(), 0)));
        break;
    }
}

// The session's lip-sync with the remaining time on standard error; Ctrl+C cancels.
void analyse(ProjectSession& session, LipSyncRequest request, const CliContext& context)
{
    ConsoleProgress console;
    LipSyncOutcome outcome;
    CoreStatus status;
    const bool ok = runLipSync(
        session, request,
        [&](unsigned step, unsigned total, const std::string& remaining, const std::string&) {
            if (!remaining.empty())
                context.err << "\r" << step * 100 / total << "% remaining" << remaining << std::flush;
            return console.interrupted() ? 0 : 1;
        },
        nullptr, status, &outcome);
    context.err << "\n";
    if (!ok && status.messageId == kMsgCancelled)
        throw CliError("lip-sync cancelled");
    if (!ok)
        failWithStatus(context, status);
    if (!request.script.empty())
        context.err << "text: " << outcome.wordsFound << " of " << outcome.scriptWords
                    << " words found in the voice\n";
}

int lipsyncCommand(CliArgs& args, CliContext& context)
{
    if (args.flag("--help")) {
        context.out << kLipSyncHelp;
        return 0;
    }
    const VisemeFormat format = formatOf(args);
    const auto out = args.take("--out");
    const auto textFile = args.take("--text");
    LipSyncRequest request;
    request.recogniseWords = args.flag("--words");
    const auto positionals = args.positionals(1, 1);
    CoreStatus status;
    if (textFile && !readScriptFile(*textFile, request.script, status))
        failWithStatus(context, status);
    CliSession session(EditorMode::project);
    if (!session->importVoice(positionals[0], status))
        failWithStatus(context, status);
    analyse(*session, std::move(request), context);
    if (out)
        writeVisemeFile(*out, session->timeline());
    writeTrack(context.out, format, session->timeline(), positionals[0]);
    return 0;
}

const CliRegistration
    kLipSync("lipsync",
             "lipsync VOICE.wav [--text SCRIPT.txt] [--words] [--format json|tsv|moho|rhubarb-json] "
             "[--out ITEMS.vis] [--json] [--help]",
             lipsyncCommand);

} // namespace
