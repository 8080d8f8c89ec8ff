#pragma once

#include "documents/DocumentProperties.h"
#include "documents/ItemFiles.h"
#include "documents/ProjectStore.h"
#include "Common/TempFile.h"
#include "timeline/TimelineData.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>

// The track model's side of the item files: what a save writes from a TimelineData, and what applying
// a head animation reads back into one.

// Names a reader gives items from their numbers. The viseme short names live with the lip-sync
// tables, which this library does not link, so callers that have them pass them in.
struct ItemNameTables {
    std::string (*visemeShortName)(int viseme) = nullptr;
    std::string (*expressionName)(int expression) = nullptr;
};
// What this library reaches by itself: expression names when the face library is built.
ItemNameTables builtInItemNames();

// The fields the item files store, taken from every track of the timeline.
ItemTracks tracksFromTimeline(const TimelineData& timeline);
// Replaces one track of the timeline with `tracks`' records of that kind. Lengths become end - start
// (0, a dead record, when the end is not after the start), names are looked up, and the fields the
// files do not carry are left empty (the phoneme code reads as unknown).
void trackIntoTimeline(const ItemTracks& tracks, ItemFileKind kind, TimelineData& timeline,
                       const ItemNameTables& names);

// The item file of one track over the timeline's whole length; false when it cannot be written.
bool writeItemFile(const std::filesystem::path& path, const TimelineData& timeline, ItemFileKind kind);
// Replaces one track with the file's records. An empty path reads nothing and succeeds; a file that
// cannot be opened changes nothing; a wrong version or a damaged record fails and empties the track.
bool readItemFile(const std::filesystem::path& path, TimelineData& timeline, ItemFileKind kind,
                  const ItemNameTables& names = builtInItemNames());

// Which kinds of items the timeline holds, as a head animation pack records it.
ContentFlags contentFlagsOf(const TimelineData& timeline);

// The item files of one save. Writing puts the timeline's voice and five item files into the store as
// user files (a file that cannot be written leaves its slot empty, so the pack lacks that chunk) and
// records the content flags; the files are deleted when this object goes, after the pack is written.
class TimelineSaveFiles {
public:
    // False only when no temporary file could be made at all.
    bool stage(ProjectStore& store, const TimelineData& timeline);

private:
    std::array<std::optional<ScopedTempFile>, 5> files_;
};

// Applies the head animation the store holds to the timeline: the voice becomes its recording (a new
// working copy; no voice leaves an empty timeline), then each item file fills its track. A file that
// fails leaves its track empty and the others are still read; false when any failed.
bool loadTimelineFromStore(const ProjectStore& store, TimelineData& timeline,
                           const ItemNameTables& names = builtInItemNames());
