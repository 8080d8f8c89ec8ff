// What a play of a project puts into the mixer and the media schedule, printed as JSON.
#include "cli/CliCommand.h"
#include "cli/DocCommandSupport.h"
#include "cli/JsonWriter.h"

#include "session/PlaybackFill.h"

#include <charconv>
#include <climits>
#include <optional>
#include <random>
#include <string>

namespace {

const char* const kUsage = "schedule PROJECT.cmp [--range FROM:TO] [--seed N] --json";

const char* kindName(FilledEvent::Kind kind)
{
    switch (kind) {
    case FilledEvent::Kind::expression:
        return "expression";
    case FilledEvent::Kind::viseme:
        return "viseme";
    case FilledEvent::Kind::blink:
        return "blink";
    case FilledEvent::Kind::turn:
        break;
    }
    return "turn";
}

void writeLog(JsonWriter& writer, const PlaybackFillLog& log)
{
    writer.beginObject().key("events").beginArray();
    for (const FilledEvent& event : log.events) {
        writer.beginObject().field("kind", kindName(event.kind));
        if (event.kind == FilledEvent::Kind::turn)
            writer.field("pitch", event.pitch).field("yaw", event.yaw).field("roll", event.roll);
        else
            writer.field("row", event.row).field("intensity", event.intensity);
        writer.field("start", event.start).field("duration", event.duration).endObject();
    }
    writer.endArray().key("images").beginArray();
    for (const FilledImage& image : log.images)
        writer.beginObject()
            .field("time", image.time)
            .field("name", image.name)
            .field("path", image.path.string())
            .endObject();
    writer.endArray().key("sounds").beginArray();
    for (const FilledSound& sound : log.sounds)
        writer.beginObject()
            .field("clip", sound.clip)
            .field("path", sound.path.string())
            .field("volume", sound.volume)
            .field("start", sound.start)
            .field("length", sound.length)
            .endObject();
    writer.endArray().endObject();
}

int runSchedule(CliArgs& args, CliContext& context)
{
    args.flag("--json"); // JSON is the only form
    const auto range = args.take("--range");
    const auto seedText = args.take("--seed");
    const std::string path = args.positionals(1, 1)[0];
    std::optional<std::uint32_t> seed;
    if (seedText && !(seed = parseWhole(*seedText, UINT32_MAX)))
        throw CliError("bad --seed '" + *seedText + "': expected a whole number from 0 to " +
                       std::to_string(UINT32_MAX));

    requireFile(context, path);
    CliSession session(EditorMode::project);
    CoreStatus status;
    if (!session->openDocument(path, false, status))
        failWithStatus(context, status);
    TimelineData& timeline = session->timeline();
    if (range)
        selectSampleRange(timeline, *range);

    // Only the events matter here, not the rows they would blend.
    CFapMixer mixer{ExpressionRows{}};
    CEventSequencer schedule;
    PlaybackFillLog log;
    fillPlayback(timeline, mediaFilesOf(session->store()), mixer, schedule, selectionRange(timeline),
                 seededBlinkRandom(seed ? *seed : std::random_device{}()), &log);
    JsonWriter writer(context.out);
    writeLog(writer, log);
    return 0;
}

const CliRegistration kSchedule("schedule", kUsage, runSchedule);

} // namespace
