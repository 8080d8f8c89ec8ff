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

std::optional<std::uint32_t> parseWhole(const std::string& text, std::uint32_t limit)
{
    std::uint32_t value = 0;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value);
    if (text.empty() || error != std::errc() || end != last || value > limit)
        return std::nullopt;
    return value;
}

// FROM:TO in timeline samples, as a selection in the track window; it must lie inside the voice.
void selectRange(TimelineData& timeline, const std::string& text)
{
    const std::size_t colon = text.find(':');
    const auto from =
        colon == std::string::npos ? std::nullopt : parseWhole(text.substr(0, colon), INT32_MAX);
    const auto to = colon == std::string::npos ? std::nullopt : parseWhole(text.substr(colon + 1), INT32_MAX);
    if (!from || !to)
        throw CliError("bad --range '" + text + "': expected FROM:TO, whole numbers of samples");
    if (*to <= *from)
        throw CliError("bad --range '" + text + "': TO must be after FROM");
    if (*to > std::uint32_t(timeline.sampleCount()))
        throw CliError("--range '" + text + "' is not inside the voice of " +
                       std::to_string(timeline.sampleCount()) + " samples");
    timeline.setSelection(std::int32_t(*from), std::int32_t(*to));
}

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
        selectRange(timeline, *range);

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
