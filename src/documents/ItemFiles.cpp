#include "documents/ItemFiles.h"

#include "documents/DocumentProperties.h"

#include <algorithm>

namespace {

constexpr size_t kScriptTypeField = 16;
constexpr size_t kScriptParameterField = 512;
constexpr size_t kEventTextField = 532;
constexpr size_t kSoundNameField = 256;

// The smallest record each file kind can hold, to bound a count read from a file.
size_t minimumRecordSize(ItemFileKind kind)
{
    switch (kind) {
    case ItemFileKind::visemes:
    case ItemFileKind::expressions:
    case ItemFileKind::headTurns:
        return 14;
    case ItemFileKind::events:
        return 12;
    case ItemFileKind::sounds:
        return 18;
    }
    return 1;
}

uint32_t versionOf(ItemFileKind kind)
{
    return kind == ItemFileKind::events || kind == ItemFileKind::sounds ? kListItemVersion
                                                                        : kTimedItemVersion;
}

void appendText(std::vector<uint8_t>& out, const std::string& text, size_t fieldSize)
{
    std::string kept = fitToField(text, fieldSize);
    appendU16(out, static_cast<uint16_t>(kept.size() + 1));
    out.insert(out.end(), kept.begin(), kept.end());
    out.push_back(0);
}

std::vector<uint8_t> encode(const VisemeRecord& item)
{
    std::vector<uint8_t> out;
    appendU16(out, item.viseme);
    appendU32(out, item.start);
    appendU32(out, item.end);
    appendU32(out, static_cast<uint32_t>(item.weight));
    return out;
}

std::vector<uint8_t> encode(const ExpressionRecord& item)
{
    std::vector<uint8_t> out;
    appendU16(out, item.expression);
    appendU32(out, item.start);
    appendU32(out, item.end);
    appendU32(out, static_cast<uint32_t>(item.intensity));
    return out;
}

std::vector<uint8_t> encode(const HeadTurnRecord& item)
{
    std::vector<uint8_t> out;
    appendU16(out, static_cast<uint16_t>(item.angleA));
    appendU16(out, static_cast<uint16_t>(item.angleB));
    appendU16(out, static_cast<uint16_t>(item.angleC));
    appendU32(out, item.start);
    appendU32(out, item.end);
    return out;
}

std::vector<uint8_t> encode(const EventRecord& item)
{
    std::vector<uint8_t> out;
    appendU32(out, item.start);
    appendU32(out, item.end);
    appendU16(out, item.kind);
    if (item.kind == EventRecord::script) {
        appendU16(out, item.command);
        appendText(out, item.type, kScriptTypeField);
        appendText(out, item.parameter, kScriptParameterField);
    } else {
        appendText(out, item.text, kEventTextField);
    }
    return out;
}

std::vector<uint8_t> encode(const SoundRecord& item)
{
    std::vector<uint8_t> out;
    appendU32(out, item.start);
    appendU32(out, item.end);
    appendU32(out, item.extra);
    appendText(out, item.clip, kSoundNameField);
    appendU32(out, static_cast<uint32_t>(item.volume));
    return out;
}

template <typename Record> EncodedTrack encodeAll(const std::vector<Record>& items, uint32_t version)
{
    EncodedTrack track;
    track.version = version;
    for (const Record& item : items) {
        track.starts.push_back(item.start);
        track.records.push_back(encode(item));
    }
    return track;
}

// A text stored with a 16-bit length: kept up to what its field holds, the rest skipped.
bool readText(ByteSource& in, std::string& text, size_t fieldSize)
{
    uint16_t length = 0;
    if (!in.readU16(length) || length > in.remaining())
        return false;
    std::string stored(length, '\0');
    if (!in.readExactly(stored.data(), length))
        return false;
    text = fitToField(stored, fieldSize);
    return true;
}

bool readI32(ByteSource& in, int32_t& value)
{
    uint32_t raw = 0;
    bool ok = in.readU32(raw);
    value = static_cast<int32_t>(raw);
    return ok;
}

bool readI16(ByteSource& in, int16_t& value)
{
    uint16_t raw = 0;
    bool ok = in.readU16(raw);
    value = static_cast<int16_t>(raw);
    return ok;
}

bool decode(ByteSource& in, VisemeRecord& item)
{
    return in.readU16(item.viseme) && in.readU32(item.start) && in.readU32(item.end) &&
           readI32(in, item.weight);
}

bool decode(ByteSource& in, ExpressionRecord& item)
{
    return in.readU16(item.expression) && in.readU32(item.start) && in.readU32(item.end) &&
           readI32(in, item.intensity);
}

bool decode(ByteSource& in, HeadTurnRecord& item)
{
    return readI16(in, item.angleA) && readI16(in, item.angleB) && readI16(in, item.angleC) &&
           in.readU32(item.start) && in.readU32(item.end);
}

bool decode(ByteSource& in, EventRecord& item)
{
    if (!in.readU32(item.start) || !in.readU32(item.end) || !in.readU16(item.kind))
        return false;
    if (item.kind == EventRecord::script)
        return in.readU16(item.command) && readText(in, item.type, kScriptTypeField) &&
               readText(in, item.parameter, kScriptParameterField);
    return readText(in, item.text, kEventTextField);
}

bool decode(ByteSource& in, SoundRecord& item)
{
    return in.readU32(item.start) && in.readU32(item.end) && in.readU32(item.extra) &&
           readText(in, item.clip, kSoundNameField) && readI32(in, item.volume);
}

template <typename Record> bool readRecords(ByteSource& in, std::vector<Record>& items, ItemFileKind kind)
{
    items.clear();
    uint32_t count = 0;
    uint32_t version = 0;
    if (!in.readU32(count) || !in.readU32(version) || version != versionOf(kind))
        return false;
    if (count > in.remaining() / minimumRecordSize(kind))
        return false; // the file cannot hold that many records
    items.resize(count);
    for (Record& item : items) {
        if (!decode(in, item)) {
            items.clear();
            return false;
        }
    }
    return true;
}

} // namespace

EncodedTrack encodeTrack(const ItemTracks& tracks, ItemFileKind kind)
{
    switch (kind) {
    case ItemFileKind::visemes:
        return encodeAll(tracks.visemes, kTimedItemVersion);
    case ItemFileKind::expressions:
        return encodeAll(tracks.expressions, kTimedItemVersion);
    case ItemFileKind::headTurns:
        return encodeAll(tracks.headTurns, kTimedItemVersion);
    case ItemFileKind::events:
        return encodeAll(tracks.events, kListItemVersion);
    case ItemFileKind::sounds:
        return encodeAll(tracks.sounds, kListItemVersion);
    }
    return {};
}

bool writeItemFile(const std::filesystem::path& path, const ItemTracks& tracks, ItemFileKind kind,
                   uint64_t sampleCount)
{
    size_t runningIndex = 0;
    std::vector<uint8_t> body = windowPayload(encodeTrack(tracks, kind), runningIndex, 0, sampleCount);
    FileSink out;
    bool written = out.create(path) && out.write(body.data(), body.size());
    return out.close() && written;
}

bool readItemFile(ByteSource& in, ItemTracks& tracks, ItemFileKind kind)
{
    switch (kind) {
    case ItemFileKind::visemes:
        return readRecords(in, tracks.visemes, kind);
    case ItemFileKind::expressions:
        return readRecords(in, tracks.expressions, kind);
    case ItemFileKind::headTurns:
        return readRecords(in, tracks.headTurns, kind);
    case ItemFileKind::events:
        return readRecords(in, tracks.events, kind);
    case ItemFileKind::sounds:
        return readRecords(in, tracks.sounds, kind);
    }
    return false;
}

bool readItemFile(const std::filesystem::path& path, ItemTracks& tracks, ItemFileKind kind)
{
    if (path.empty())
        return true;
    FileByteSource in;
    return in.open(path) && readItemFile(in, tracks, kind); // a file that cannot be opened changes nothing
}
