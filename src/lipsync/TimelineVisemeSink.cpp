#include "lipsync/TimelineVisemeSink.h"

#include "timeline/TimelineData.h"

#include <algorithm>
#include <cstring>

namespace {

template <size_t N> void copyField(char (&field)[N], const std::string& text)
{
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

} // namespace

VisemeItem visemeItemOf(const TrackPhoneme& phoneme)
{
    VisemeItem item{};
    item.start = phoneme.start;
    item.end = phoneme.end;
    item.length = phoneme.end > phoneme.start ? phoneme.end - phoneme.start : 0;
    copyField(item.syllable, phoneme.syllable);
    copyField(item.symbol, phoneme.symbol);
    item.phonemeCode = phoneme.phoneme;
    item.viseme = phoneme.viseme;
    item.level = phoneme.level;
    copyField(item.phonemeLabel, phoneme.label);
    copyField(item.visemeShortName, phoneme.visemeName);
    item.weight = static_cast<int32_t>(std::min<uint32_t>(phoneme.weight, 100));
    return item;
}

bool replaceVisemeTrack(TimelineData& timeline, const std::vector<TrackPhoneme>& items)
{
    auto& track = timeline.visemes();
    if (!track.setCount(static_cast<int>(items.size())))
        return false;
    for (size_t i = 0; i < items.size(); ++i)
        *track.item(static_cast<int>(i)) = visemeItemOf(items[i]);
    // The recogniser's frames may meet or cross at block edges; compaction is the track's own repair.
    timeline.compactVisemes();
    return true;
}

void TimelineVisemeSink::setVisemeTrack(const std::vector<TrackPhoneme>& items)
{
    if (!replaceVisemeTrack(timeline_, items))
        timeline_.visemes().clear();
}
