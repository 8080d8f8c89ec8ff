// The player's clock: which record shows at a time, how long a file plays, and the real-time playback
// on the voice's stream (pause, seek, the end, volume, a device that fails) with a sink that keeps what
// reaches it.
#include "player/AnimationPlayback.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace {

using namespace std::chrono_literals;

struct SinkRecord {
    std::vector<std::int16_t> samples;
    std::vector<double> volumes;
    int opens = 0;
};

// The silent sink's clock, with what was written and the volumes asked for kept for the test; it can
// pose as a device, and as one that refuses every stream.
class RecordingSink final : public SoundSink {
public:
    RecordingSink(std::shared_ptr<SinkRecord> record, bool device, bool refuses)
        : record_(std::move(record)), device_(device), refuses_(refuses)
    {
    }
    bool open(const WavFormat& format, std::uint32_t bufferBytes) override
    {
        ++record_->opens;
        record_->samples.clear();
        return !refuses_ && clock_->open(format, bufferBytes);
    }
    std::uint32_t freeBytes() override { return clock_->freeBytes(); }
    bool write(const std::uint8_t* bytes, std::uint32_t count) override
    {
        const std::size_t at = record_->samples.size();
        record_->samples.resize(at + count / 2);
        std::memcpy(record_->samples.data() + at, bytes, count / 2 * 2);
        return clock_->write(bytes, count);
    }
    bool start() override { return clock_->start(); }
    void stop() override { clock_->stop(); }
    void close() override { clock_->close(); }
    std::int64_t playedMilliseconds() override { return clock_->playedMilliseconds(); }
    bool isDevice() const override { return device_; }
    bool setVolume(double volume) override
    {
        record_->volumes.push_back(volume);
        return true;
    }

private:
    std::shared_ptr<SinkRecord> record_;
    std::unique_ptr<SoundSink> clock_ = makeSilentSink();
    bool device_;
    bool refuses_;
};

PlaybackSinkFactory recordingSinks(std::shared_ptr<SinkRecord> record, bool device = true,
                                   bool refuses = false)
{
    return [=] { return std::make_unique<RecordingSink>(record, device, refuses); };
}

// Records every `stepMs` up to `lastMs`, and a voice whose every sample tells its own index.
AnimationFile makeFile(std::int64_t lastMs, std::int64_t stepMs, std::int64_t voiceMs)
{
    AnimationFile file;
    for (std::int64_t t = 0; t <= lastMs; t += stepMs) {
        TimedFapFrame frame;
        frame.ms = t;
        frame.values[2] = int(t);
        file.frames.push_back(frame);
    }
    file.voice.resize(std::size_t(voiceMs * 16));
    for (std::size_t i = 0; i < file.voice.size(); ++i)
        file.voice[i] = std::int16_t(i % 30000 + 1);
    return file;
}

} // namespace

TEST(PlayerFrames, TheRecordShownIsTheLastOneAtOrBeforeTheTime)
{
    std::vector<TimedFapFrame> frames(3);
    frames[0].ms = 100;
    frames[1].ms = 166;
    frames[2].ms = 233;
    const struct {
        std::int64_t ms;
        std::ptrdiff_t index;
    } cases[] = {{-5, 0}, {0, 0}, {100, 0}, {165, 0}, {166, 1}, {232, 1}, {233, 2}, {100000, 2}};
    for (const auto& c : cases)
        EXPECT_EQ(frameIndexAt(frames, c.ms), c.index) << "at " << c.ms;
    EXPECT_EQ(frameIndexAt({}, 0), -1);
}

TEST(PlayerFrames, AFilePlaysToTheLaterOfItsVoiceAndItsLastRecord)
{
    EXPECT_EQ(animationDurationMs(makeFile(1000, 100, 1500)), 1500);
    EXPECT_EQ(animationDurationMs(makeFile(1000, 100, 400)), 1000);
    EXPECT_EQ(animationDurationMs(AnimationFile{}), 0);
}

TEST(PlayerPlayback, PauseHoldsTheClockAndSeekMovesIt)
{
    const AnimationFile file = makeFile(5000, 66, 5000);
    AnimationPlayback playback(recordingSinks(std::make_shared<SinkRecord>()));
    playback.load(&file);
    ASSERT_TRUE(playback.play());
    EXPECT_TRUE(playback.playsOnDevice());
    std::this_thread::sleep_for(300ms);
    const std::int64_t played = playback.positionMs();
    EXPECT_GE(played, 200);

    playback.pause();
    const std::int64_t held = playback.positionMs();
    EXPECT_GE(held, played);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(playback.positionMs(), held) << "a paused clock stands";
    EXPECT_FALSE(playback.isPlaying());

    playback.seek(3000);
    EXPECT_EQ(playback.positionMs(), 3000);
    EXPECT_EQ(playback.frameIndex(), 3000 / 66);
    playback.step(-2000);
    EXPECT_EQ(playback.positionMs(), 1000);
    for (const auto& [to, expected] : {std::pair{-400, 0}, std::pair{99999, 5000}}) {
        playback.seek(to);
        EXPECT_EQ(playback.positionMs(), expected) << "seek to " << to;
    }

    playback.seek(2000);
    ASSERT_TRUE(playback.play());
    std::this_thread::sleep_for(200ms);
    playback.seek(4000);
    EXPECT_TRUE(playback.isPlaying()) << "a seek keeps a play going";
    std::this_thread::sleep_for(200ms);
    const std::int64_t after = playback.positionMs();
    EXPECT_GE(after, 4100);
    EXPECT_LT(after, 4800);
}

TEST(PlayerPlayback, TheEndStopsOnTheLastFrameAndTheNextPlayStartsOver)
{
    // The voice ends before the records: the play lasts to the last record.
    const AnimationFile file = makeFile(400, 100, 200);
    AnimationPlayback playback(recordingSinks(std::make_shared<SinkRecord>()));
    playback.load(&file);
    ASSERT_TRUE(playback.play());
    std::this_thread::sleep_for(900ms);
    EXPECT_FALSE(playback.isPlaying());
    EXPECT_TRUE(playback.atEnd());
    EXPECT_EQ(playback.positionMs(), 400);
    EXPECT_EQ(playback.frameIndex(), 4);

    ASSERT_TRUE(playback.play());
    EXPECT_LT(playback.positionMs(), 100) << "played again from the start";
    playback.seek(400);
    EXPECT_FALSE(playback.isPlaying()) << "a seek to the end ends the play";
}

TEST(PlayerPlayback, TheSoundStartsWhereTheClockStandsAndRunsSilentToTheLastRecord)
{
    auto record = std::make_shared<SinkRecord>();
    const AnimationFile file = makeFile(1500, 100, 1000);
    AnimationPlayback playback(recordingSinks(record));
    playback.load(&file);
    playback.seek(500);
    ASSERT_TRUE(playback.play());
    playback.pause();
    // The rest is shorter than the stream's two-second buffer: all of it was primed at the start.
    ASSERT_GE(record->samples.size(), std::size_t(1000 * 16));
    EXPECT_EQ(record->samples[0], file.voice[500 * 16]);
    EXPECT_EQ(record->samples[500 * 16 - 1], file.voice.back());
    EXPECT_EQ(record->samples[500 * 16], 0) << "silence after the voice";
    EXPECT_EQ(record->samples[1000 * 16 - 1], 0);
}

TEST(PlayerPlayback, VolumeAndMuteReachTheStreamAtOnceAndTheNextOne)
{
    auto record = std::make_shared<SinkRecord>();
    const AnimationFile file = makeFile(4000, 100, 4000);
    AnimationPlayback playback(recordingSinks(record));
    playback.load(&file);
    playback.setVolume(40);
    ASSERT_TRUE(playback.play());
    ASSERT_FALSE(record->volumes.empty());
    EXPECT_DOUBLE_EQ(record->volumes.back(), 0.4) << "a new stream starts at the volume set before";
    EXPECT_EQ(record->opens, 1);

    std::this_thread::sleep_for(300ms);
    playback.setMuted(true);
    EXPECT_DOUBLE_EQ(record->volumes.back(), 0.0);
    // The device still holds what it was given at the old level: the stream starts again from here.
    EXPECT_EQ(record->opens, 2);
    ASSERT_FALSE(record->samples.empty());
    // Every sample of the voice tells its index: the new stream begins where the clock stood.
    const std::int64_t restartedAtMs = (record->samples[0] - 1) / 16;
    EXPECT_GE(restartedAtMs, 250);
    EXPECT_LE(restartedAtMs, playback.positionMs());
    EXPECT_TRUE(playback.isPlaying());

    playback.setVolume(150);
    EXPECT_EQ(playback.volume(), 100);
    EXPECT_DOUBLE_EQ(record->volumes.back(), 0.0) << "muted stays muted at any volume";
    playback.setMuted(false);
    EXPECT_DOUBLE_EQ(record->volumes.back(), 1.0);
    const int opens = record->opens;
    playback.setMuted(false);
    playback.setVolume(100);
    EXPECT_EQ(record->opens, opens) << "no change, no restart";

    playback.pause();
    playback.setVolume(-3);
    EXPECT_DOUBLE_EQ(playback.gain(), 0.0);
    EXPECT_FALSE(playback.isPlaying()) << "a paused play stays paused";
    EXPECT_EQ(record->opens, opens);
}

TEST(PlayerPlayback, ADeviceThatRefusesTheStreamLeavesThePlayToTheSteadyClock)
{
    auto record = std::make_shared<SinkRecord>();
    const AnimationFile file = makeFile(3000, 100, 3000);
    AnimationPlayback playback(recordingSinks(record, true, true));
    playback.load(&file);
    ASSERT_TRUE(playback.play());
    EXPECT_EQ(record->opens, 1);
    EXPECT_FALSE(playback.playsOnDevice());
    std::this_thread::sleep_for(200ms);
    EXPECT_GE(playback.positionMs(), 100);
    EXPECT_TRUE(playback.isPlaying());
}

TEST(PlayerPlayback, NothingToPlayIsRefused)
{
    AnimationPlayback playback;
    EXPECT_FALSE(playback.play());
    const AnimationFile empty;
    playback.load(&empty);
    EXPECT_FALSE(playback.play());
    EXPECT_EQ(playback.frameIndex(), -1);
    EXPECT_EQ(playback.positionMs(), 0);
}
