#pragma once

#include "animation/CAnimPlayer.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

// How evenly and how closely to the sound one playback ran.
struct PlaybackFigures {
    int frames = 0;
    // From the first frame's start to the end of the last frame's drawing.
    std::int64_t durationMs = 0;
    double intervalMeanMs = 0;
    double intervalP99Ms = 0;
    // How much later than 40 ms after its predecessor a frame started.
    double latenessP99Ms = 0;
    // The largest distance between the time a frame shows and the sound's played time when it is done.
    double clockOffsetMaxMs = 0;
    // CPU time the player's thread spent from the first frame to the last.
    double playerCpuMs = 0;
};

// Collects the frames of one playback from the player's thread (install frameDrawn as the player's
// playback-frame observer) and sums them up afterwards.
class PlaybackMeter {
public:
    static constexpr double kFramePeriodMs = 40.0;

    // `soundTime` reads the sound output's played position on the mixer's time line; without it the
    // offset is measured against the player's own clock reading.
    explicit PlaybackMeter(std::function<std::int32_t()> soundTime = {});
    void setSoundTime(std::function<std::int32_t()> soundTime);

    // On the player's thread, once per frame.
    void frameDrawn(const PlaybackFrame& frame);
    // frameDrawn as an observer for the player's set-up; the meter must outlive the player.
    PlaybackFrameObserver observer();
    PlaybackFigures figures() const;
    void clear();

private:
    struct Sample {
        double startMs;
        double drawnMs;
        double offsetMs;
        double cpuMs;
    };

    mutable std::mutex lock_;
    std::function<std::int32_t()> soundTime_;
    std::vector<Sample> samples_;
};

// The nearest-rank percentile (0..100) of the values; 0 for none.
double percentile(std::vector<double> values, double percent);
