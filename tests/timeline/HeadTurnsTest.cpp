#include "timeline/HeadTurnGenerator.h"
#include "timeline/TimeText.h"
#include "timeline/TimelineData.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using SpanList = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

SpanList headTurnSpans(const SpanList& visemes)
{
    TimelineData timeline;
    for (auto [s, e] : visemes) {
        timeline.setSelection(std::int32_t(s), std::int32_t(e));
        timeline.insertViseme();
    }
    timeline.setSelection(7, 9);
    EXPECT_TRUE(generateHeadTurns(timeline, 42.0));
    EXPECT_EQ(timeline.selectionStart(), 7);
    EXPECT_EQ(timeline.selectionEnd(), 9);
    SpanList keys;
    for (const HeadTurnKey& key : timeline.headTurns().records()) {
        keys.emplace_back(key.start, key.end);
        for (std::int32_t angle : {key.angle_a, key.angle_b, key.angle_c}) {
            EXPECT_GE(angle, -60);
            EXPECT_LE(angle, 60);
        }
    }
    return keys;
}

TEST(HeadTurns, KeysFollowVisemesWithBoundedGapKeys)
{
    const std::pair<SpanList, SpanList> cases[] = {
        {{}, {}},
        {{{0, 500}}, {{0, 500}}},
        {{{25000, 30000}}, {{0, 10000}, {10000, 30000}}},
        {{{10000, 12000}}, {{0, 10000}, {10000, 12000}}},
        {{{10001, 12000}}, {{0, 10000}, {10000, 12000}}},
        {{{0, 100}, {100, 200}, {300, 400}}, {{0, 100}, {100, 200}, {200, 300}, {300, 400}}},
    };
    for (const auto& [visemes, keys] : cases)
        EXPECT_EQ(headTurnSpans(visemes), keys);
}

TEST(HeadTurns, LayeredNoiseOnThePeriodicLattice)
{
    struct Case {
        double u, v, expected;
    };
    const Case lattice[] = {
        {0, 0, 0.0},  {1, 0, 0.1},     {0, 1, 0.7},        {0.5, 0, 0.05},    {9.5, 0, 0.0},
        {10, 1, 0.7}, {-0.5, 0, 0.25}, {2.304, 0, 0.5216}, {0.5, 0.5, 0.225},
    };
    for (const Case& c : lattice)
        EXPECT_NEAR(latticeNoise(c.u, c.v), c.expected, 1e-6) << c.u << "," << c.v;

    const double atOne = 0.1; // lattice point (1, 0)
    const double x = 1 / 0.024;
    EXPECT_EQ(headTurnNoise(x, 0, 0.0132), 0.0);
    EXPECT_NEAR(headTurnNoise(x, 0, 1.0), atOne * 1.984375 * 0.44444445, 1e-6);
    EXPECT_NEAR(headTurnNoise(x, 0, 0.1), atOne * 0.175 * 0.44444445, 1e-6);
    EXPECT_NEAR(headTurnNoise(x, 0, 0.014), atOne * 0.014 * 0.44444445, 1e-6);

    for (int i = 0; i < 100; ++i) {
        const double offset = drawHeadTurnOffset();
        ASSERT_GE(offset, 0.0);
        ASSERT_LE(offset, 100.0);
    }
}

TEST(TimeText, SecondsAndClock)
{
    struct Case {
        std::int64_t samples;
        const char* seconds;
        const char* clock;
    };
    const Case cases[] = {
        {0, "0.000", "00:0.000"},
        {20000, "1.250", "00:1.250"},
        {959984, "59.999", "00:59.999"},
        {960000, "60.000", "01:0.000"},
        {57600000, "3600.000", "01:00:0.000"},
        {58584000, "3661.500", "01:01:1.500"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(timeText(c.samples, TimeTextMode::Seconds), c.seconds);
        EXPECT_EQ(timeText(c.samples, TimeTextMode::Clock), c.clock);
    }
}

} // namespace
