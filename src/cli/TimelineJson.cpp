#include "cli/TimelineJson.h"

#include "cli/CliCommand.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

void writeVisemes(JsonWriter& writer, const TrackArray<VisemeItem>& visemes)
{
    writer.key("visemes").beginArray();
    for (const VisemeItem& item : visemes.records())
        writer.beginObject()
            .field("start", item.start)
            .field("end", item.end)
            .field("viseme", static_cast<unsigned>(item.viseme))
            .field("weight", item.weight)
            .field("phoneme", static_cast<int>(item.phonemeCode))
            .field("label", fieldText(item.phonemeLabel))
            .field("syllable", fieldText(item.syllable))
            .field("symbol", fieldText(item.symbol))
            .field("name", fieldText(item.visemeShortName))
            .endObject();
    writer.endArray();
}

void writeEvents(JsonWriter& writer, const TrackArray<EventItem>& events)
{
    writer.key("events").beginArray();
    for (const EventItem& item : events.records()) {
        writer.beginObject().field("time", item.start).field("kind", item.kind);
        bool script = item.kind == kScriptEvent;
        writer.field("type", script ? fieldText(item.script.type) : "")
            .field("parameter", script ? fieldText(item.script.parameter) : "")
            .field("name", script ? "" : fieldText(item.name));
        if (script)
            writer.field("command", static_cast<unsigned>(item.script.choice & 0xFFFF));
        writer.endObject();
    }
    writer.endArray();
}

const JsonValue* member(const JsonValue& object, const char* key)
{
    return object.isObject() ? object.find(key) : nullptr;
}

long long integer(const JsonValue& object, const char* key, long long low, long long high, long long fallback)
{
    const JsonValue* value = member(object, key);
    if (!value)
        return fallback;
    double number = value->number();
    if (value->type() != JsonValue::Type::number || std::floor(number) != number ||
        number < static_cast<double>(low) || number > static_cast<double>(high))
        throw CliError(std::string("timeline: \"") + key + "\" must be a whole number from " +
                       std::to_string(low) + " to " + std::to_string(high));
    return static_cast<long long>(number);
}

std::string text(const JsonValue& object, const char* key)
{
    const JsonValue* value = member(object, key);
    if (!value)
        return {};
    if (value->type() != JsonValue::Type::string)
        throw CliError(std::string("timeline: \"") + key + "\" must be a text");
    return value->string();
}

const std::vector<JsonValue>& list(const JsonValue& root, const char* key)
{
    static const std::vector<JsonValue> none;
    const JsonValue* value = member(root, key);
    if (!value)
        return none;
    if (!value->isArray())
        throw CliError(std::string("timeline: \"") + key + "\" must be an array");
    return value->items();
}

constexpr long long kMaxTime = std::numeric_limits<uint32_t>::max();

// The span of an item; the end must lie after the start.
void readSpan(const JsonValue& item, uint32_t& start, uint32_t& end)
{
    start = static_cast<uint32_t>(integer(item, "start", 0, kMaxTime - 1, 0));
    end = static_cast<uint32_t>(integer(item, "end", start + 1LL, kMaxTime, start + 1LL));
}

} // namespace

void writeTimelineJson(JsonWriter& writer, const TimelineData& timeline)
{
    writer.beginObject();
    writeVisemes(writer, timeline.visemes());
    writer.key("expressions").beginArray();
    for (const ExpressionItem& item : timeline.expressions().records())
        writer.beginObject()
            .field("start", item.start)
            .field("end", item.end)
            .field("expression", item.expression)
            .field("intensity", item.intensity)
            .field("name", fieldText(item.name))
            .endObject();
    writer.endArray().key("headturns").beginArray();
    for (const HeadTurnKey& item : timeline.headTurns().records())
        writer.beginObject()
            .field("start", item.start)
            .field("end", item.end)
            .field("a", item.angle_a)
            .field("b", item.angle_b)
            .field("c", item.angle_c)
            .endObject();
    writer.endArray();
    writeEvents(writer, timeline.events());
    writer.key("sounds").beginArray();
    for (const SoundItem& item : timeline.sounds().records())
        writer.beginObject()
            .field("start", item.start)
            .field("end", item.end)
            .field("clip", fieldText(item.name))
            .field("volume", item.volume)
            .endObject();
    writer.endArray().endObject();
}

ItemTracks readTracksJson(const JsonValue& root)
{
    if (!root.isObject())
        throw CliError("timeline: the document must be an object");
    ItemTracks tracks;
    for (const JsonValue& item : list(root, "visemes")) {
        VisemeRecord record;
        readSpan(item, record.start, record.end);
        record.viseme = static_cast<uint16_t>(integer(item, "viseme", 0, 255, 0));
        record.weight = static_cast<int32_t>(integer(item, "weight", 0, 100, 50));
        tracks.visemes.push_back(record);
    }
    for (const JsonValue& item : list(root, "expressions")) {
        ExpressionRecord record;
        readSpan(item, record.start, record.end);
        record.expression = static_cast<uint16_t>(integer(item, "expression", 0, 6, 0));
        record.intensity = static_cast<int32_t>(integer(item, "intensity", 0, 100, 50));
        tracks.expressions.push_back(record);
    }
    for (const JsonValue& item : list(root, "headturns")) {
        HeadTurnRecord record;
        readSpan(item, record.start, record.end);
        record.angleA = static_cast<int16_t>(integer(item, "a", -60, 60, 0));
        record.angleB = static_cast<int16_t>(integer(item, "b", -60, 60, 0));
        record.angleC = static_cast<int16_t>(integer(item, "c", -60, 60, 0));
        tracks.headTurns.push_back(record);
    }
    for (const JsonValue& item : list(root, "events")) {
        EventRecord record;
        record.start = static_cast<uint32_t>(integer(item, "time", 0, kMaxTime - 1, 0));
        record.end = record.start + 1;
        record.kind = static_cast<uint16_t>(integer(item, "kind", 0, 2, 2));
        record.command = static_cast<uint16_t>(integer(item, "command", 0, 0xFFFF, 0));
        record.type = text(item, "type");
        record.parameter = text(item, "parameter");
        record.text = text(item, "name");
        tracks.events.push_back(record);
    }
    for (const JsonValue& item : list(root, "sounds")) {
        SoundRecord record;
        readSpan(item, record.start, record.end);
        record.clip = text(item, "clip");
        record.volume = static_cast<int32_t>(integer(item, "volume", 0, 100, 100));
        tracks.sounds.push_back(record);
    }
    auto byStart = [](const auto& a, const auto& b) { return a.start < b.start; };
    std::stable_sort(tracks.visemes.begin(), tracks.visemes.end(), byStart);
    std::stable_sort(tracks.expressions.begin(), tracks.expressions.end(), byStart);
    std::stable_sort(tracks.headTurns.begin(), tracks.headTurns.end(), byStart);
    std::stable_sort(tracks.events.begin(), tracks.events.end(), byStart);
    std::stable_sort(tracks.sounds.begin(), tracks.sounds.end(), byStart);
    return tracks;
}

void readTimelineJson(const JsonValue& root, TimelineData& timeline, const ItemNameTables& names)
{
    ItemTracks tracks = readTracksJson(root);
    for (ItemFileKind kind : {ItemFileKind::visemes, ItemFileKind::expressions, ItemFileKind::headTurns,
                              ItemFileKind::events, ItemFileKind::sounds})
        trackIntoTimeline(tracks, kind, timeline, names);
}
