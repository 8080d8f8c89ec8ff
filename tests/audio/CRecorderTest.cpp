#include "audio/CRecorder.h"

#include <gtest/gtest.h>

namespace {

struct FakeRecorderDevice final : RecorderDevice {
    std::uint32_t length = 0;
    std::uint32_t position = 0;
    bool failRecord = false;
    int closes = 0;
    WavFormat format;
    bool openNew(const WavFormat& f) override
    {
        format = f;
        return true;
    }
    bool record() override { return !failRecord; }
    bool play(std::uint32_t from) override
    {
        position = from;
        return true;
    }
    bool stop() override { return true; }
    void close() override { ++closes; }
    std::uint32_t lengthMs() override { return length; }
    std::uint32_t positionMs() override { return position; }
    bool save(const std::filesystem::path&) override { return true; }
};

} // namespace

TEST(CRecorder, StoppingATakeEnablesPlayAndSaveOnlyWhenItHasLength)
{
    struct Case {
        std::uint32_t lengthMs;
        bool playAndSave;
    };
    const Case cases[] = {{0, false}, {1, true}, {4500, true}};
    for (const Case& c : cases) {
        FakeRecorderDevice device;
        CRecorder recorder(device);
        EXPECT_TRUE(recorder.buttons().record);
        EXPECT_FALSE(recorder.buttons().stop);
        ASSERT_TRUE(recorder.record());
        EXPECT_EQ(device.format.samplesPerSec, 16000u);
        EXPECT_EQ(device.format.avgBytesPerSec, 32000u);
        EXPECT_EQ(recorder.runningTimer(), CRecorder::kRecordTimer);
        EXPECT_TRUE(recorder.buttons().stop && recorder.buttons().recordChecked &&
                    !recorder.buttons().record);
        EXPECT_FALSE(recorder.play());
        device.length = c.lengthMs;
        recorder.stop();
        EXPECT_EQ(recorder.buttons().play, c.playAndSave) << c.lengthMs;
        EXPECT_EQ(recorder.buttons().save, c.playAndSave) << c.lengthMs;
        EXPECT_FALSE(recorder.buttons().stop);
        EXPECT_EQ(recorder.play(), c.playAndSave);
    }
}

TEST(CRecorder, PlaybackStopsByItselfAtTheEndOfTheTake)
{
    FakeRecorderDevice device;
    CRecorder recorder(device);
    ASSERT_TRUE(recorder.record());
    device.position = 65000;
    recorder.tick();
    EXPECT_EQ(recorder.shownMinutes(), 1);
    EXPECT_EQ(recorder.shownSeconds(), 5);
    device.length = 2000;
    recorder.stop();
    ASSERT_TRUE(recorder.play());
    EXPECT_EQ(recorder.runningTimer(), CRecorder::kPlayTimer);
    device.position = 1900;
    recorder.tick();
    EXPECT_EQ(recorder.status(), CRecorder::Status::playing);
    device.position = 2000;
    recorder.tick();
    EXPECT_EQ(recorder.status(), CRecorder::Status::idle);
    EXPECT_EQ(recorder.runningTimer(), CRecorder::kNoTimer);
    EXPECT_TRUE(recorder.buttons().play && recorder.buttons().save);
}

TEST(CRecorder, AFailedRecordCommandClosesTheDeviceAndStaysIdle)
{
    FakeRecorderDevice device;
    device.failRecord = true;
    CRecorder recorder(device);
    EXPECT_FALSE(recorder.record());
    EXPECT_EQ(recorder.status(), CRecorder::Status::idle);
    EXPECT_EQ(device.closes, 2);
    EXPECT_TRUE(recorder.buttons().record);
    EXPECT_FALSE(recorder.buttons().play);
}
