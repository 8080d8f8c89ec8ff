#include "TimelineJson.h"

#include "CliCommand.h"

#include <cmath>
#include <limits>

namespace {

void writeVisemes(JsonWriter& writer, const std::vector<VisemeRecord>& visemes)
{
    writer.key("visemes").beginArray();
    for (const VisemeRecord& item : visemes)
        writer.beginObject()
            .field("start", item.start)
            .field("end", item.end)
            .field("viseme", static_cast<unsigned>(item.viseme))
            .field("weight", item.weight)
            .field("phoneme", 0) // the item file does not carry the phoneme fields
            .field("label", "")
            .field("syllable", "")
            .field("symbol", "")
            .endObject();
    writer.endArray();
}

void writeEvents(JsonWriter& writer, const std::vector<EventRecord>& events)
{
    writer.key("events").beginArray();
    for (const EventRecord& item : events) {
        writer.beginObject().field("time", item.start).field("kind", static_cast<unsigned>(item.kind));
        bool script = item.kind == EventRecord::script;
        writer.field("type", script ? item.type : "")
            .field("parameter", script ? item.parameter : "")
            .field("name", script ? "" : item.text);
        if (script)
            writer.field("command", static_cast<unsigned>(item.command));
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

void writeTracksJson(JsonWriter& writer, const ItemTracks& tracks)
{
    writer.beginObject();
    writeVisemes(writer, tracks.visemes);
    writer.key("expressions").beginArray();
    for (const ExpressionRecord& item : tracks.expressions)
        writer.beginObject()
            .field("start", item.start)
            .field("end", item.end)
            .field("expression", static_cast<unsigned>(item.expression))
            .field("intensity", item.intensity)
            .endObject();
    writer.endArray().key("headturns").beginArray();
    for (const HeadTurnRecord& item : tracks.headTurns)
        writer.beginObject()
            .field("start", item.start)
            .field("end", item.end)
            .field("a", static_cast<int>(item.angleA))
            .field("b", static_cast<int>(item.angleB))
            .field("c", static_cast<int>(item.angleC))
            .endObject();
    writer.endArray();
    writeEvents(writer, tracks.events);
    writer.key("sounds").beginArray();
    for (const SoundRecord& item : tracks.sounds)
        writer.beginObject()
            .field("start", item.start)
            .field("end", item.end)
            .field("clip", item.clip)
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
    return tracks;
}
