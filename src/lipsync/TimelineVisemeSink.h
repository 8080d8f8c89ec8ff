#pragma once
// Writes the analysis result into a timeline's viseme track.

#include "lipsync/LipSyncAnalyzer.h"

class TimelineData;
struct VisemeItem;

class TimelineVisemeSink : public IVisemeTrackSink {
public:
    explicit TimelineVisemeSink(TimelineData& timeline) : timeline_(timeline) {}
    // Replaces the whole viseme track; items of no length or lying inside an earlier one are left out,
    // and one starting inside its predecessor starts at its end, so the track stays sorted and gap-safe.
    void setVisemeTrack(const std::vector<TrackPhoneme>& items) override;

private:
    TimelineData& timeline_;
};

// Replaces the timeline's viseme track with `items` as the sink does; false, with the track as it was,
// when the track cannot hold them.
bool replaceVisemeTrack(TimelineData& timeline, const std::vector<TrackPhoneme>& items);

// One track item as the timeline stores it; texts longer than their fields are cut to fit with a NUL.
VisemeItem visemeItemOf(const TrackPhoneme& phoneme);
