#pragma once

#include "animation/CFapMixer.h"
#include "animation/FaceTrackFill.h"
#include "audio/EventSequencer.h"
#include "timeline/TimelineData.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class ProjectStore;

// Finds the file behind a name of the project's sound or picture list; nothing for an unknown name.
using NamedFileLookup = std::function<std::optional<std::filesystem::path>(const std::string& name)>;

struct MediaFiles {
    NamedFileLookup clip;
    NamedFileLookup image;
};

// The store's sound clip and background lists by name (ignoring case). The store must outlive them.
MediaFiles mediaFilesOf(const ProjectStore& store);

struct FilledImage {
    std::int32_t time = 0;
    std::string name;
    std::filesystem::path path;
};

struct FilledSound {
    std::string clip;
    std::filesystem::path path;
    std::int32_t volume = 0;
    std::int32_t start = 0;
    std::int32_t length = 0;
};

// Everything a fill added, in the order it was added; for showing or checking a fill.
struct PlaybackFillLog {
    std::vector<FilledEvent> events;
    std::vector<FilledImage> images;
    std::vector<FilledSound> sounds;
};

// Fills the mixer and the media schedule from the tracks over `range`, as a play or an export starts:
// both are emptied first; then the expressions, visemes and head turns, the random blinks drawn from
// `random`, the background pictures falling within the range and the sound clips. Items naming nothing
// in `files` are left out. Returns the time at which playback stops by itself (the range's end - 1).
std::uint32_t fillPlayback(const TimelineData& timeline, const MediaFiles& files, CFapMixer& mixer,
                           CEventSequencer& schedule, const PlaybackRange& range, const BlinkRandom& random,
                           PlaybackFillLog* log = nullptr);

// The media part of the fill alone, appended to `schedule`: the background pictures within the range
// and every sound clip. For callers that mix sound without animating a face.
void scheduleMedia(const TimelineData& timeline, const MediaFiles& files, CEventSequencer& schedule,
                   const PlaybackRange& range, PlaybackFillLog* log = nullptr);

// The preview's demonstrations: each empties the mixer and queues a short sequence that plays until
// its events are used up.
void fillMouthDemo(CFapMixer& mixer);
void fillBlinkDemo(CFapMixer& mixer);
void fillHeadDemo(CFapMixer& mixer);
