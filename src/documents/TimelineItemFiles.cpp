#include "documents/TimelineItemFiles.h"

#include "documents/ByteSource.h"
#include "documents/CmtStreamWriter.h"

#include <algorithm>
#include <tuple>

#include "face/FapTables.h"

namespace {

constexpr int16_t kUnknownPhonemeCode = 255;
// Item names keep at most 14 characters, whatever their field could hold.
constexpr size_t kItemNameField = 15;

uint32_t spanLength(uint32_t start, uint32_t end)
{
    return end > start ? end - start : 0;
}

template <typename Track, typename Convert> void fillTrack(Track& track, size_t count, Convert convert)
{
    track.clear();
    if (!track.setCount(static_cast<int>(count)))
        return;
    for (size_t i = 0; i < count; ++i)
        convert(i, *track.item(static_cast<int>(i)));
}

std::string lookUp(std::string (*table)(int), int number)
{
    return table ? table(number) : std::string();
}

void visemesIntoTimeline(const std::vector<VisemeRecord>& records, TimelineData& timeline,
                         const ItemNameTables& names)
{
    fillTrack(timeline.visemes(), records.size(), [&](size_t i, VisemeItem& item) {
        const VisemeRecord& record = records[i];
        item.start = record.start;
        item.end = record.end;
        item.length = spanLength(record.start, record.end);
        item.viseme = record.viseme;
        item.weight = record.weight;
        item.phonemeCode = kUnknownPhonemeCode; // the file keeps no symbol to derive it from
        copyToField(item.visemeShortName, kItemNameField, lookUp(names.visemeShortName, record.viseme));
    });
}

void expressionsIntoTimeline(const std::vector<ExpressionRecord>& records, TimelineData& timeline,
                             const ItemNameTables& names)
{
    fillTrack(timeline.expressions(), records.size(), [&](size_t i, ExpressionItem& item) {
        const ExpressionRecord& record = records[i];
        item.start = record.start;
        item.end = record.end;
        item.length = spanLength(record.start, record.end);
        item.expression = record.expression;
        item.intensity = record.intensity;
        copyToField(item.name, kItemNameField, lookUp(names.expressionName, record.expression));
    });
}

void headTurnsIntoTimeline(const std::vector<HeadTurnRecord>& records, TimelineData& timeline)
{
    fillTrack(timeline.headTurns(), records.size(), [&](size_t i, HeadTurnKey& item) {
        const HeadTurnRecord& record = records[i];
        item.start = record.start;
        item.end = record.end;
        item.length = spanLength(record.start, record.end);
        item.angle_a = record.angleA;
        item.angle_b = record.angleB;
        item.angle_c = record.angleC;
    });
}

// The event counters only follow the array through setEventCount, so the track is emptied kind by
// kind and then sized kind by kind before the records are written over it. Kinds other than the
// three are dropped: the timeline counts and indexes events by kind.
void eventsIntoTimeline(const std::vector<EventRecord>& records, TimelineData& timeline)
{
    std::vector<const EventRecord*> kept;
    for (const EventRecord& record : records)
        if (record.kind <= EventRecord::marker)
            kept.push_back(&record);
    const EventKind kinds[] = {kScriptEvent, kImageEvent, kMarkerEvent};
    for (EventKind kind : kinds)
        timeline.setEventCount(kind, 0);
    timeline.events().clear();
    for (EventKind kind : kinds)
        timeline.setEventCount(kind, static_cast<int32_t>(std::count_if(kept.begin(), kept.end(),
                                                                        [kind](const EventRecord* record) {
                                                                            return record->kind == kind;
                                                                        })));
    for (size_t i = 0; i < kept.size() && i < static_cast<size_t>(timeline.events().count()); ++i) {
        const EventRecord& record = *kept[i];
        EventItem& item = *timeline.events().item(static_cast<int>(i));
        item = EventItem{};
        item.start = record.start;
        item.end = record.end;
        item.length = spanLength(record.start, record.end);
        item.kind = record.kind;
        if (record.kind == EventRecord::script) {
            item.script.choice = record.command;
            copyToField(item.script.type, record.type);
            copyToField(item.script.parameter, record.parameter);
        } else {
            copyToField(item.name, record.text);
        }
    }
}

void soundsIntoTimeline(const std::vector<SoundRecord>& records, TimelineData& timeline)
{
    fillTrack(timeline.sounds(), records.size(), [&](size_t i, SoundItem& item) {
        const SoundRecord& record = records[i];
        item.start = record.start;
        item.end = record.end;
        item.length = spanLength(record.start, record.end);
        item.extra = record.extra;
        copyToField(item.name, record.clip);
        item.volume = record.volume;
    });
}

EventRecord eventRecordOf(const EventItem& item)
{
    EventRecord record;
    record.start = item.start;
    record.end = item.end;
    record.kind = static_cast<uint16_t>(item.kind);
    if (item.kind == kScriptEvent) {
        record.command = static_cast<uint16_t>(item.script.choice); // files keep only the low 16 bits
        record.type = fieldText(item.script.type);
        record.parameter = fieldText(item.script.parameter);
    } else {
        record.text = fieldText(item.name);
    }
    return record;
}

std::string expressionNameOf(int expression)
{
    std::string name;
    return expressionName(expression, name) ? name : std::string();
}

} // namespace

ItemNameTables builtInItemNames()
{
    ItemNameTables names;
    names.expressionName = expressionNameOf;
    return names;
}

ItemTracks tracksFromTimeline(const TimelineData& timeline)
{
    ItemTracks tracks;
    for (const VisemeItem& item : timeline.visemes().records())
        tracks.visemes.push_back({item.start, item.end, item.viseme, item.weight});
    for (const ExpressionItem& item : timeline.expressions().records())
        tracks.expressions.push_back(
            {item.start, item.end, static_cast<uint16_t>(item.expression & 0xFFFF), item.intensity});
    for (const HeadTurnKey& item : timeline.headTurns().records())
        tracks.headTurns.push_back({item.start, item.end, static_cast<int16_t>(item.angle_a),
                                    static_cast<int16_t>(item.angle_b), static_cast<int16_t>(item.angle_c)});
    for (const EventItem& item : timeline.events().records())
        tracks.events.push_back(eventRecordOf(item));
    for (const SoundItem& item : timeline.sounds().records())
        tracks.sounds.push_back({item.start, item.end, item.extra, fieldText(item.name), item.volume});
    return tracks;
}

void trackIntoTimeline(const ItemTracks& tracks, ItemFileKind kind, TimelineData& timeline,
                       const ItemNameTables& names)
{
    switch (kind) {
    case ItemFileKind::visemes:
        return visemesIntoTimeline(tracks.visemes, timeline, names);
    case ItemFileKind::expressions:
        return expressionsIntoTimeline(tracks.expressions, timeline, names);
    case ItemFileKind::headTurns:
        return headTurnsIntoTimeline(tracks.headTurns, timeline);
    case ItemFileKind::events:
        return eventsIntoTimeline(tracks.events, timeline);
    case ItemFileKind::sounds:
        return soundsIntoTimeline(tracks.sounds, timeline);
    }
}

bool writeItemFile(const std::filesystem::path& path, const TimelineData& timeline, ItemFileKind kind)
{
    const uint64_t samples = static_cast<uint64_t>(std::max(timeline.sampleCount(), 0));
    return writeItemFile(path, tracksFromTimeline(timeline), kind, samples);
}

bool readItemFile(const std::filesystem::path& path, TimelineData& timeline, ItemFileKind kind,
                  const ItemNameTables& names)
{
    if (path.empty())
        return true;
    FileByteSource in;
    if (!in.open(path))
        return false;
    ItemTracks tracks;
    bool read = readItemFile(in, tracks, kind); // a failed read leaves this track empty
    trackIntoTimeline(tracks, kind, timeline, names);
    return read;
}

ContentFlags contentFlagsOf(const TimelineData& timeline)
{
    ContentFlags flags;
    flags.visemes = timeline.visemes().count() > 0;
    flags.backgroundEvents = timeline.eventCount(kImageEvent) > 0;
    flags.sounds = timeline.sounds().count() > 0;
    flags.expressions = timeline.expressions().count() > 0;
    flags.headTurns = timeline.headTurns().count() > 0;
    flags.scriptEvents = timeline.eventCount(kScriptEvent) > 0;
    flags.markerEvents = timeline.eventCount(kMarkerEvent) > 0;
    return flags;
}

namespace {

const std::tuple<ItemFileKind, AssetKind, const char*> kItemFiles[] = {
    {ItemFileKind::visemes, AssetKind::visemes, "vis"},
    {ItemFileKind::expressions, AssetKind::expressions, "exp"},
    {ItemFileKind::headTurns, AssetKind::headTurns, "mot"},
    {ItemFileKind::events, AssetKind::events, "act"},
    {ItemFileKind::sounds, AssetKind::sounds, "aii"}};

uint64_t wavSampleCount(const std::string& path)
{
    FileByteSource in;
    uint64_t offset = 0, bytes = 0;
    return in.open(path) && findVoiceSamples(in, offset, bytes) ? bytes / 2 : 0;
}

} // namespace

bool TimelineSaveFiles::stage(ProjectStore& store, const TimelineData& timeline)
{
    if (!timeline.voiceFile().empty()) {
        // The slot takes the working copy, but the pack keeps naming the recording the user imported.
        const HeadAnimationProperties kept = store.headAnimationProperties();
        store.setAsset(timeline.voiceFile().string(), AssetKind::speech, false);
        std::copy(std::begin(kept.voiceName), std::end(kept.voiceName),
                  std::begin(store.headAnimationProperties().voiceName));
    }
    bool anyMade = false;
    size_t next = 0;
    for (auto [kind, asset, prefix] : kItemFiles) {
        ScopedTempFile& file = files_[next++].emplace(prefix);
        anyMade = anyMade || file.valid();
        bool written = file.valid() && writeItemFile(file.path(), timeline, kind);
        store.setAsset(written ? file.path().string() : std::string(), asset, false);
    }
    store.headAnimationProperties().contentFlags = contentFlagsOf(timeline);
    return anyMade;
}

bool loadTimelineFromStore(const ProjectStore& store, TimelineData& timeline, const ItemNameTables& names)
{
    const std::string voice = store.assetPath(AssetKind::speech);
    if (voice.empty()) {
        timeline.release();
        timeline.setSampleCount(0);
    } else {
        uint64_t samples = std::min<uint64_t>(wavSampleCount(voice), INT32_MAX);
        timeline.setVoice(voice, static_cast<int32_t>(samples));
    }
    bool allRead = true;
    for (auto [kind, asset, prefix] : kItemFiles) {
        if (!readItemFile(std::filesystem::path(store.assetPath(asset)), timeline, kind, names)) {
            trackIntoTimeline(ItemTracks{}, kind, timeline, names);
            allRead = false;
        }
    }
    return allRead;
}
