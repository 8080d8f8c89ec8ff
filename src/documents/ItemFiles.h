#pragma once

#include "documents/ByteSource.h"
#include "documents/ItemWindow.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// The five item files that carry the tracks inside a head animation pack, as the fields they store.
// Times are timeline units (samples of the 16 kHz voice).

struct VisemeRecord {
    uint32_t start = 0, end = 0;
    uint16_t viseme = 0;
    int32_t weight = 0;
};

struct ExpressionRecord {
    uint32_t start = 0, end = 0;
    uint16_t expression = 0;
    int32_t intensity = 0;
};

struct HeadTurnRecord {
    uint32_t start = 0, end = 0;
    int16_t angleA = 0, angleB = 0, angleC = 0;
};

struct EventRecord {
    enum Kind : uint16_t { script = 0, background = 1, marker = 2 };
    uint32_t start = 0, end = 0;
    uint16_t kind = script;
    uint16_t command = 0;  // script commands: the low 16 bits of the command value
    std::string type;      // script commands, at most 15 characters
    std::string parameter; // script commands, at most 511 characters
    std::string text;      // background image name or marker name, at most 531 characters
};

struct SoundRecord {
    uint32_t start = 0, end = 0;
    uint32_t extra = 0; // carried, not interpreted
    std::string clip;   // at most 255 characters
    int32_t volume = 0;
};

// All five tracks as their files hold them.
struct ItemTracks {
    std::vector<VisemeRecord> visemes;
    std::vector<ExpressionRecord> expressions;
    std::vector<HeadTurnRecord> headTurns;
    std::vector<EventRecord> events;
    std::vector<SoundRecord> sounds;
};

enum class ItemFileKind { visemes, expressions, headTurns, events, sounds };

constexpr uint32_t kTimedItemVersion = 14; // visemes, expressions, head turns
constexpr uint32_t kListItemVersion = 0;   // events, sounds

// Each track encoded record by record, ready to be cut into windows.
EncodedTrack encodeTrack(const ItemTracks& tracks, ItemFileKind kind);

// Writes the items of [0, sampleCount) of one track as its item file; false when it cannot be written.
bool writeItemFile(const std::filesystem::path& path, const ItemTracks& tracks, ItemFileKind kind,
                   uint64_t sampleCount);

// Reads one item file into its track of `tracks`. An empty path reads nothing and succeeds; a file
// that cannot be opened fails and changes nothing. A wrong version, or a file that ends inside a
// record, fails and leaves the track empty; a count larger than the file could hold is refused
// before anything is allocated for it.
bool readItemFile(const std::filesystem::path& path, ItemTracks& tracks, ItemFileKind kind);
bool readItemFile(ByteSource& in, ItemTracks& tracks, ItemFileKind kind);
