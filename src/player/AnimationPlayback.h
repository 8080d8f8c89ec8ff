#pragma once

#include "player/AnimationFile.h"

#include "audio/CStreamPlayer.h"
#include "audio/SoundSink.h"
#include "Common/TempFile.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// Makes the sound output of a play; null means no device, and the play runs on the silent sink.
using PlaybackSinkFactory = std::function<std::unique_ptr<SoundSink>()>;

// The index of the record shown at `ms`: the last one whose time is at or before it, the first record
// before that, -1 when there are none.
std::ptrdiff_t frameIndexAt(const std::vector<TimedFapFrame>& frames, std::int64_t ms);

// How long a file plays: to the end of its voice or to its last record, whichever is later.
std::int64_t animationDurationMs(const AnimationFile& file);

// Plays one animation file in real time: its voice streams from the position on, and the voice's
// played time is the clock the frames follow. Pause freezes the clock, seek moves it, and a play that
// reaches the end stays on the last frame. All calls from one thread.
class AnimationPlayback {
public:
    static constexpr int kFullVolume = 100;

    explicit AnimationPlayback(PlaybackSinkFactory sinks = {});
    ~AnimationPlayback();
    AnimationPlayback(const AnimationPlayback&) = delete;
    AnimationPlayback& operator=(const AnimationPlayback&) = delete;

    // The file to play, not owned (null for none); stops and goes back to the start.
    void load(const AnimationFile* file);
    // From the current position, or from the start when the end was reached; false with no file, or
    // when not even the silent stream could be started.
    bool play();
    void pause();
    void togglePlay();
    // Clamped to the file; a running play goes on from there.
    void seek(std::int64_t ms);
    void step(std::int64_t deltaMs) { seek(positionMs() + deltaMs); }

    // The clock: where the voice is while playing, the held time otherwise. Notices the end.
    std::int64_t positionMs();
    std::int64_t durationMs() const { return duration_; }
    bool isPlaying();
    bool atEnd();
    // The record to show now, -1 with nothing to show.
    std::ptrdiff_t frameIndex() { return file_ ? frameIndexAt(file_->frames, positionMs()) : -1; }
    // True when the last play reached a sound device; false when it ran on the steady clock.
    bool playsOnDevice() const { return onDevice_; }

    // The stream's own volume, 0 to 100, and mute; a change restarts a running stream where it is, so it
    // is heard at once.
    void setVolume(int percent);
    int volume() const { return volume_; }
    void setMuted(bool muted);
    bool isMuted() const { return muted_; }
    // What the stream is played at, 0 to 1.
    double gain() const { return muted_ ? 0.0 : volume_ / double(kFullVolume); }

private:
    bool startAt(std::int64_t ms);
    bool writeVoiceFrom(std::int64_t ms);
    bool startStream();
    void halt();
    void applyGain();

    PlaybackSinkFactory sinks_;
    const AnimationFile* file_ = nullptr;
    std::int64_t duration_ = 0;
    std::int64_t held_ = 0;    // the position while not playing
    std::int64_t startMs_ = 0; // where the running stream began
    bool playing_ = false;
    bool onDevice_ = false;
    int volume_ = kFullVolume;
    bool muted_ = false;
    ScopedTempFile voiceFile_{"wav"};
    std::unique_ptr<CStreamPlayer> stream_;
};
