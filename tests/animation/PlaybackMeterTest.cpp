// The figures of one playback from the frames the player reported: intervals between frame starts,
// lateness past the 40-ms period, and the distance to the sound's position.
#include "animation/PlaybackMeter.h"

#include <gtest/gtest.h>

namespace {

PlaybackFrame frameAt(double startMs, double drawMs, std::int32_t shownMs)
{
    const auto origin = std::chrono::steady_clock::time_point{};
    const auto at = [&](double ms) {
        return origin + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            std::chrono::duration<double, std::milli>(ms));
    };
    return {at(startMs), at(startMs + drawMs), shownMs, shownMs};
}

} // namespace

TEST(PlaybackMeter, SumsUpIntervalsLatenessAndTheDistanceToTheSound)
{
    EXPECT_EQ(PlaybackMeter().figures().frames, 0);

    // One frame starts 15 ms late; the sound stands 5 ms past every frame's time except one, which it
    // leads by 30 ms.
    std::int32_t sound = 0;
    PlaybackMeter meter([&sound] { return sound; });
    double start = 1000;
    for (int i = 0; i < 100; ++i) {
        start += i == 50 ? 55.0 : 40.0;
        const std::int32_t shown = i * 40;
        sound = shown + (i == 70 ? 30 : 5);
        meter.frameDrawn(frameAt(start, 4.0, shown));
    }
    const PlaybackFigures figures = meter.figures();
    EXPECT_EQ(figures.frames, 100);
    EXPECT_EQ(figures.durationMs, 99 * 40 + 15 + 4);
    EXPECT_NEAR(figures.intervalMeanMs, (98 * 40.0 + 55.0) / 99, 1e-9);
    // Of 99 intervals the 99th percentile by nearest rank is the largest.
    EXPECT_DOUBLE_EQ(figures.intervalP99Ms, 55.0);
    EXPECT_DOUBLE_EQ(figures.latenessP99Ms, 15.0);
    EXPECT_DOUBLE_EQ(figures.clockOffsetMaxMs, 30.0);

    // Without a sound the offset is measured against the clock reading the frame was made from.
    PlaybackMeter silent;
    silent.frameDrawn(frameAt(0, 1, 100));
    EXPECT_DOUBLE_EQ(silent.figures().clockOffsetMaxMs, 0.0);
}

TEST(PlaybackMeter, PercentileTakesTheNearestRank)
{
    EXPECT_EQ(percentile({}, 99), 0.0);
    EXPECT_EQ(percentile({7}, 99), 7.0);
    EXPECT_EQ(percentile({5, 1, 4, 2, 3}, 50), 3.0);
    EXPECT_EQ(percentile({5, 1, 4, 2, 3}, 100), 5.0);
    EXPECT_EQ(percentile({5, 1, 4, 2, 3}, 0), 1.0);
}
