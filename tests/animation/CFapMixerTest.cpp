#include "animation/CFapMixer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

namespace {

constexpr size_t kViseme = 0;
constexpr size_t kExpression = 1;
constexpr size_t kPitch = 47;

FapFrame frameAt(CFapMixer& mixer, uint32_t ms, int* more = nullptr)
{
    mixer.setClock(ms);
    FapFrame frame{};
    int result = mixer.computeFrame(frame);
    if (more)
        *more = result;
    return frame;
}

int packed(int currentRow, int nextRow, int currentWeight, int nextWeight)
{
    return currentRow << 24 | nextRow << 16 | currentWeight << 8 | nextWeight;
}

double easeIn(double x)
{
    return 3 * x * x - 2 * x * x * x;
}

double easeOut(double y)
{
    return 2 * y * y * y - 3 * y * y + 1;
}

// Every low-level entry must be the given weights applied to the doubled viseme rows.
void expectVisemeBlend(const FapFrame& frame, int currentRow, double currentWeight, int nextRow,
                       double nextWeight)
{
    for (size_t i = 2; i < frame.size(); ++i) {
        double expected =
            currentWeight * 2 * storedVisemeRow(currentRow)[i] + nextWeight * 2 * storedVisemeRow(nextRow)[i];
        EXPECT_EQ(frame[i], static_cast<int>(std::trunc(expected))) << "entry " << i;
    }
}

TEST(CFapMixer, EmptyMixerGivesAZeroFrameAndReportsNothingLeft)
{
    CFapMixer mixer{ExpressionRows{}};
    for (uint32_t ms : {0u, 40u, 100000u}) {
        int more = -1;
        EXPECT_EQ(frameAt(mixer, ms, &more), FapFrame{});
        EXPECT_EQ(more, 0);
    }
    EXPECT_EQ(mixer.isEmpty(), 1);
}

// A lone viseme fades in from its start to its midpoint, then out to its end plus half its length.
TEST(CFapMixer, LoneVisemeRisesToItsMidpointAndFadesOutPastItsEnd)
{
    struct Case {
        uint32_t clock;
        int currentRow;
        double currentWeight;
        double nextWeight;
    };
    const Case cases[] = {
        {0, 0, 0.0, 0.0},    {999, 0, 0.0, 0.0},
        {1000, 0, 0.0, 0.0}, {1025, 0, 0.0, easeIn(0.25)},
        {1050, 0, 0.0, 0.5}, {1099, 0, 0.0, easeIn(0.99)},
        {1100, 0, 0.0, 1.0}, {1101, 1, easeOut(1.0 / 200), 0.0},
        {1200, 1, 0.5, 0.0}, {1250, 1, easeOut(0.75), 0.0},
        {1300, 1, 0.0, 0.0}, {5000, 1, 0.0, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("clock " + std::to_string(c.clock));
        CFapMixer mixer{ExpressionRows{}};
        mixer.addViseme(1, 63, 1000, 200);
        int more = -1;
        FapFrame frame = frameAt(mixer, c.clock, &more);
        int nextRow = c.currentRow == 0 ? 1 : 0;
        EXPECT_EQ(frame[kViseme],
                  packed(c.currentRow, c.currentRow == 0 && c.clock >= 1000 ? 1 : 0,
                         static_cast<int>(63 * c.currentWeight), static_cast<int>(63 * c.nextWeight)));
        expectVisemeBlend(frame, c.currentRow, c.currentWeight, nextRow, c.nextWeight);
        EXPECT_EQ(more, c.currentRow == 0 ? 1 : 0);
    }
}

// With a 500-ms fade the first expression holds until 500 ms before its end and the second rises
// from the first's midpoint to its own start plus 500 ms.
TEST(CFapMixer, TouchingExpressionsFadeOverAtMostHalfASecond)
{
    ExpressionRows rows{};
    rows[1][2] = 1000; // FAP 3
    rows[2][3] = 1000; // FAP 4
    CFapMixer mixer{rows};
    mixer.addExpression(1, 63, 0, 2000);    // midpoint 1000, fade-out from 1500
    mixer.addExpression(2, 63, 2000, 4000); // midpoint 4000, fade-in 1000..2500, fade-out ends at 4000
    struct Case {
        uint32_t clock;
        int fap3, fap4;
    };
    auto out = [](double y) { return static_cast<int>(1000 * easeOut(y)); };
    auto in = [](double x) { return static_cast<int>(1000 * easeIn(x)); };
    const Case cases[] = {
        {250, in(0.5), 0}, // the cleared current event ends at 0, so the first event touches it
        {500, 1000, 0},
        {1001, 1000, in(1.0 / 1500)},
        {1500, 1000, in(500.0 / 1500)},
        {2000, out(500.0 / 2500), in(1000.0 / 1500)},
        {2500, out(1000.0 / 2500), 1000},
        {3000, out(1500.0 / 2500), 1000},
        {4000, 0, 1000},
        {4001, 0, 1000},
        {5500, 0, 1000},
        {6000, 0, out(500.0 / 2500)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("clock " + std::to_string(c.clock));
        FapFrame frame = frameAt(mixer, c.clock);
        EXPECT_EQ(frame[2], c.fap3);
        EXPECT_EQ(frame[3], c.fap4);
    }
}

TEST(CFapMixer, HeadTurnEasesToItsPoseAndStaysThere)
{
    CFapMixer mixer{ExpressionRows{}};
    mixer.addHeadTurn(10, -4, 2, 0, 1000);
    struct Case {
        uint32_t clock;
        int pitch, yaw, roll;
    };
    const Case cases[] = {{0, 0, 0, 0},
                          {500, 850, -340, 170},
                          {1000, 1700, -680, 340},
                          {1001, 1700, -680, 340},
                          {90000, 1700, -680, 340}};
    for (const Case& c : cases) {
        SCOPED_TRACE("clock " + std::to_string(c.clock));
        FapFrame frame = frameAt(mixer, c.clock);
        EXPECT_EQ(frame[kPitch], c.pitch);
        EXPECT_EQ(frame[kPitch + 1], c.yaw);
        EXPECT_EQ(frame[kPitch + 2], c.roll);
    }
}

TEST(CFapMixer, RowsAndIntensitiesAreClampedIntoTheirTables)
{
    ExpressionRows rows{};
    rows[6][4] = 630;
    struct Case {
        const char* name;
        void (*add)(CFapMixer&);
        size_t entry;
        int value;
    };
    const Case cases[] = {
        {"expression 9 is 6", [](CFapMixer& m) { m.addExpression(9, 63, 0, 0); }, 4, 630},
        {"negative expression is neutral", [](CFapMixer& m) { m.addExpression(-3, 63, 0, 0); }, 4, 0},
        {"blink 5 is the blink", [](CFapMixer& m) { m.addBlink(5, 63, 0, 0); }, 18, 971},
        {"viseme 20 is 14", [](CFapMixer& m) { m.addViseme(20, 63, 0, 0); }, 50, -630},
        {"intensity above 63 is 63", [](CFapMixer& m) { m.addExpression(6, 1000, 0, 0); }, 4, 630},
        {"negative intensity is 0", [](CFapMixer& m) { m.addExpression(6, -63, 0, 0); }, 4, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CFapMixer mixer{rows};
        c.add(mixer);
        // A zero-length event is at full strength at once, not an undefined value.
        EXPECT_EQ(frameAt(mixer, 0)[c.entry], c.value);
    }
    CFapMixer mixer{rows};
    mixer.addExpression(9, 63, 0, 0);
    EXPECT_EQ(frameAt(mixer, 0)[kExpression], packed(0, 6, 0, 63));
    EXPECT_EQ(frameAt(mixer, 1)[kExpression] >> 24, 6);
}

TEST(CFapMixer, ExpressionsQueuesAddUpAndHeadTurnOwnsItsEntries)
{
    ExpressionRows rows{};
    rows[1][18] = 100; // FAP 19, also moved by the blink
    rows[1][47] = 999; // a table value on the yaw entry is overruled by the head turn
    CFapMixer mixer{rows};
    mixer.addExpression(1, 63, 0, 0);
    mixer.addBlink(1, 63, 0, 0);
    mixer.addViseme(1, 63, 0, 0);
    FapFrame frame = frameAt(mixer, 0);
    EXPECT_EQ(frame[18], 100 + 971);
    EXPECT_EQ(frame[3], 2 * storedVisemeRow(1)[3]);
    EXPECT_EQ(frame[47], 0);
}

TEST(CFapMixer, ClearForgetsEventsAndTheClock)
{
    CFapMixer mixer{ExpressionRows{}};
    mixer.addViseme(3, 63, 0, 100);
    mixer.addHeadTurn(5, 5, 5, 0, 10);
    frameAt(mixer, 60); // consumes both
    mixer.addBlink(1, 63, 500, 100);
    mixer.advanceClock(-20);
    EXPECT_EQ(mixer.clock(), 40u);
    mixer.clear();
    EXPECT_EQ(mixer.clock(), 0u);
    EXPECT_EQ(mixer.isEmpty(), 1);
    EXPECT_EQ(frameAt(mixer, 60), FapFrame{});
}

TEST(CFapMixer, TimesNearTheEndOfTheClockNeitherWrapNorOverflow)
{
    CFapMixer mixer{ExpressionRows{}};
    mixer.addViseme(1, 63, UINT32_MAX - 100, 1000); // end saturates at the last millisecond
    mixer.addHeadTurn(INT32_MAX, INT32_MIN, 0, 0, 0);
    FapFrame frame = frameAt(mixer, UINT32_MAX);
    EXPECT_EQ(frame[kViseme] >> 24, 1);
    EXPECT_EQ(frame[kPitch], INT32_MAX);
    EXPECT_EQ(frame[kPitch + 1], INT32_MIN);
}

TEST(CFapMixer, QueuesMayBeFilledWhileFramesAreComputed)
{
    CFapMixer mixer{ExpressionRows{}};
    std::thread filler([&mixer] {
        for (uint32_t i = 0; i < 2000; ++i)
            mixer.addViseme(static_cast<int>(i % 15), 63, i * 10, 10);
    });
    FapFrame frame{};
    for (uint32_t ms = 0; ms < 20000; ms += 7) {
        mixer.setClock(ms);
        mixer.computeFrame(frame);
    }
    filler.join();
    mixer.setClock(30000);
    EXPECT_EQ(mixer.computeFrame(frame), 0);
}

} // namespace
