// Feeds one input to the reader of each of the five item files, applies what was read to a timeline as
// loading a head animation does, and writes it back out of the timeline.
#include "documents/ItemFiles.h"
#include "documents/TimelineItemFiles.h"

#include <cstdint>
#include <cstdlib>

namespace {
std::string longName(int number)
{
    return std::string(static_cast<size_t>(number % 40), 'n');
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ItemTracks tracks;
    TimelineData timeline;
    ItemNameTables names = builtInItemNames();
    names.visemeShortName = longName;
    for (ItemFileKind kind : {ItemFileKind::visemes, ItemFileKind::expressions, ItemFileKind::headTurns,
                              ItemFileKind::events, ItemFileKind::sounds}) {
        MemoryByteSource in(data, size);
        readItemFile(in, tracks, kind);
        EncodedTrack encoded = encodeTrack(tracks, kind);
        if (encoded.records.size() != encoded.starts.size() || encoded.records.size() > size)
            std::abort();
        trackIntoTimeline(tracks, kind, timeline, names);
    }
    const int kinds = timeline.eventCount(kScriptEvent) + timeline.eventCount(kImageEvent) +
                      timeline.eventCount(kMarkerEvent);
    if (kinds != timeline.events().count())
        std::abort();
    ItemTracks back = tracksFromTimeline(timeline);
    if (back.visemes.size() != tracks.visemes.size() || back.sounds.size() != tracks.sounds.size())
        std::abort();
    return 0;
}
