#pragma once

#include "animation/CAnimPlayer.h"
#include "audio/CStreamPlayer.h"
#include "audio/SoundSink.h"
#include "session/PlaybackFill.h"
#include "timeline/TimelineData.h"
#include "timeline/VoiceReader.h"

#include <filesystem>
#include <functional>
#include <memory>

// What one play of the timeline needs besides the player. The range is the timeline's selection when
// it is longer than one sample, else the whole voice.
struct TimelinePlayInputs {
    MediaFiles files;
    BlinkRandom blinks;
    // Reads the voice for the mix; the mix of voice and clips is written to `mixFile`.
    VoiceReader* voiceReader = nullptr;
    std::filesystem::path mixFile;
    // The sound output of this play; null plays silently on the steady clock.
    std::unique_ptr<SoundSink> sink;
    // Each reading of the voice clock (ms on the timeline), on the player's thread: the playback cursor.
    std::function<void(int milliseconds)> onClock;
};

enum class TimelinePlayStart { started, refused, soundFailed };

// The play command of the preview, for the studio and the command-line tool alike. Refused without a
// voice or while the player plays. Otherwise fills the player's mixer and media schedule from the
// tracks, mixes the range's sound into the mix file, starts it streaming, makes its played time the
// player's clock and plays until the range's end. `sound` receives the sound output, which must
// outlive the play; when the sound cannot be prepared or started the player's queues are emptied.
TimelinePlayStart startTimelinePlay(CAnimPlayer& player, TimelineData& timeline, TimelinePlayInputs inputs,
                                    std::unique_ptr<CStreamPlayer>& sound);
