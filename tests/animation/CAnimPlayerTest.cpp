#include "animation/CAnimPlayer.h"

#include "face/CHeadModel.h"
#include "face/SampleHead.h"
#include "images/CJpegPicture.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

using namespace std::chrono_literals;

namespace {

// Waits for a condition the worker brings about, without asserting how long it takes.
template <typename Condition> bool eventually(Condition condition)
{
    for (int i = 0; i < 2000; ++i) {
        if (condition())
            return true;
        std::this_thread::sleep_for(5ms);
    }
    return condition();
}

float distanceFromNeutral(const CHeadModel& model)
{
    float largest = 0;
    for (int i = 0; i < model.vertexCount(); ++i) {
        const Vec3f& a = model.currentPositions()[i];
        const Vec3f& b = model.storedPositions(1)[i];
        largest = std::max({largest, std::fabs(a.x - b.x), std::fabs(a.y - b.y), std::fabs(a.z - b.z)});
    }
    return largest;
}

// A clock the test moves by hand.
struct ManualTime {
    std::atomic<std::int64_t> now{1000};
    MillisecondSource source()
    {
        return [this] { return now.load(); };
    }
};

} // namespace

TEST(CAnimPlayer, StopWhileIdleReturnsAndPlayWithoutModelDoesNothing)
{
    CAnimPlayer player({});
    player.started().wait();
    EXPECT_EQ(player.isPlaying(), 0);
    player.stop();
    player.stop();
    player.mixer().addViseme(10, 31, 0, 500);
    player.play(true, 0);
    EXPECT_EQ(player.isPlaying(), 0);
}

TEST(CAnimPlayer, AutoStopAtTheEndOfTheEventsPutsTheNeutralPoseBack)
{
    std::unique_ptr<CHeadModel> head = buildSampleHead();
    ASSERT_TRUE(head);
    // Each reading of the default clock moves it 50 ms on, so the sequence plays quickly.
    std::atomic<std::int64_t> ticks{0};
    std::atomic<float> largestMove{0};
    std::atomic<int> busyWhilePlaying{1};
    AnimPlayerSetup setup;
    setup.milliseconds = [&] { return ticks.fetch_add(50); };
    setup.makeRenderer = softPlayerRenderer(0);
    setup.onFrame = [&](const std::uint32_t*, int, int) {
        // Called with the model locked.
        if (head->busy())
            largestMove = std::max(largestMove.load(), distanceFromNeutral(*head));
        else
            busyWhilePlaying = 0;
    };
    CAnimPlayer player(std::move(setup));
    player.started().wait();
    EXPECT_TRUE(player.hasRenderer());
    player.setModel(head.get());
    player.resize(32, 32);

    player.mixer().addViseme(10, 31, 100, 500);
    player.mixer().addViseme(0, 31, 600, 500);
    player.play(true, 0);
    ASSERT_TRUE(eventually([&] { return player.isPlaying() == 0; }));

    EXPECT_EQ(player.mixer().isEmpty(), 1);
    EXPECT_GT(largestMove.load(), 0.0f);
    EXPECT_EQ(head->busy(), 0);
    EXPECT_EQ(distanceFromNeutral(*head), 0.0f);
}

TEST(CAnimPlayer, DefaultClockFreezesOnPauseAndContinuesOnResume)
{
    std::unique_ptr<CHeadModel> head = buildSampleHead();
    ManualTime time;
    AnimPlayerSetup setup;
    setup.milliseconds = time.source();
    CAnimPlayer player(std::move(setup));
    player.setModel(head.get());
    player.started().wait();
    // The idle frame first, then the first frame of playback, which takes the clock's offset.
    player.frameReady().wait();
    player.mixer().addExpression(1, 63, 0, 100000);
    player.play(false, 0);
    ASSERT_EQ(player.isPlaying(), 1);
    player.frameReady().wait();
    EXPECT_EQ(player.setClock({}, false), 0);

    time.now = 1300;
    ASSERT_TRUE(eventually([&] { return player.mixer().clock() == 300; }));
    player.pause();
    ASSERT_TRUE(eventually([&] { return player.paused().isSet(); }));
    time.now = 5000;
    for (int frame = 0; frame < 3; ++frame)
        player.frameReady().wait();
    player.frameReady().wait();
    EXPECT_EQ(player.mixer().clock(), 300u);

    player.resume();
    ASSERT_TRUE(eventually([&] { return !player.paused().isSet(); }));
    time.now = 5100;
    EXPECT_TRUE(eventually([&] { return player.mixer().clock() == 400; }));

    player.stop();
    EXPECT_EQ(player.isPlaying(), 0);
    EXPECT_EQ(head->busy(), 0);
    EXPECT_EQ(player.setClock({}, false), 1);
}

TEST(CAnimPlayer, AbsoluteClockEndsPlaybackAtTheEndTime)
{
    std::unique_ptr<CHeadModel> head = buildSampleHead();
    ManualTime time;
    time.now = 0;
    CAnimPlayer player({});
    player.setModel(head.get());
    ASSERT_EQ(
        player.setClock([&](int code) { return code == kClockNow ? static_cast<int>(time.now) : 0; }, true),
        1);
    player.mixer().addExpression(1, 63, 0, 100000);
    player.play(true, 2000);
    time.now = 1500;
    ASSERT_TRUE(eventually([&] { return player.mixer().clock() == 1500; }));
    EXPECT_EQ(player.isPlaying(), 1);
    time.now = 2000;
    EXPECT_TRUE(eventually([&] { return player.isPlaying() == 0; }));
}

TEST(CAnimPlayer, OnlySquarePicturesOf256BecomeTheBackgroundAndNoneIsZeros)
{
    std::unique_ptr<CHeadModel> head = buildSampleHead();
    CJpegPicture expected;
    ASSERT_TRUE(expected.loadFile((testsupport::dataDir() / "images" / "back256.jpg").string(), false));
    const auto* expectedPixels = reinterpret_cast<const std::uint32_t*>(expected.pixels());

    std::vector<std::uint32_t> filled(256 * 256, 0xFF00FF00u);
    head->writeSlotPixels(7, filled.data());

    ManualTime time;
    time.now = 0;
    enum Seen { zeros = 1, picture = 2, other = 4 };
    std::atomic<int> seen{0};
    AnimPlayerSetup setup;
    setup.makeRenderer = softPlayerRenderer(0);
    setup.onFrame = [&](const std::uint32_t*, int, int) {
        if (!head->busy())
            return;
        const std::uint32_t* slot = head->slotPixels(7);
        if (std::all_of(slot, slot + 256 * 256, [](std::uint32_t p) { return p == 0; }))
            seen |= zeros;
        else if (std::equal(slot, slot + 256 * 256, expectedPixels))
            seen |= picture;
        else
            seen |= other;
    };
    CAnimPlayer player(std::move(setup));
    player.resize(16, 16);
    player.setModel(head.get());
    player.setClock([&](int code) { return code == kClockNow ? static_cast<int>(time.now) : 0; }, true);
    player.mixer().addExpression(1, 63, 0, 100000);
    player.mediaSchedule().addImage(testsupport::dataDir() / "images" / "back256.jpg", 100);
    player.mediaSchedule().addImage(testsupport::dataDir() / "images" / "small32.jpg", 200);
    player.mediaSchedule().addImage(testsupport::dataDir() / "images" / "missing.jpg", 300);
    player.play(true, 1000);
    ASSERT_TRUE(eventually([&] { return seen.load() & zeros; }));
    time.now = 150;
    ASSERT_TRUE(eventually([&] { return seen.load() & picture; }));
    time.now = 350;
    player.frameReady().wait();
    player.frameReady().wait();
    time.now = 1000;
    ASSERT_TRUE(eventually([&] { return player.isPlaying() == 0; }));

    EXPECT_EQ(seen.load(), zeros | picture);
    const std::uint32_t* slot = head->slotPixels(7);
    EXPECT_TRUE(std::all_of(slot, slot + 256 * 256, [](std::uint32_t p) { return p == 0; }));
}
