// The media schedule: clips looping over their items and stopping at their ends, the mix arithmetic
// sample for sample, pictures handed out once and in order, picture files delivered whole by their
// due time, and failures that leave the schedule usable.
#include "audio/EventSequencer.h"
#include "TestSupport.h"
#include "WavBytes.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using testsupport::TempDir;

std::vector<std::int16_t> ramp(std::size_t count)
{
    std::vector<std::int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = std::int16_t(i % 30011 - 15000);
    return samples;
}

std::vector<std::int16_t> samplesOf(const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = std::int16_t(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return samples;
}

TEST(ScheduleSlices, ClipsLoopOverTheirItemAndStopAtItsEnd)
{
    TempDir dir;
    struct Case {
        const char* name;
        std::size_t clipSamples;
        std::int32_t start, length, step;
    };
    const Case cases[] = {
        {"5 s item over a 2 s clip", 32000, 0, 5000, 40},
        {"clip not a whole number of ms", 1010, 120, 700, 40},
        {"item starting between frames", 16000, 1010, 2000, 40},
        {"item ending inside a frame", 8000, 0, 1990, 40},
        {"uneven frames", 3000, 7, 900, 33},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto clip = ramp(c.clipSamples);
        testsupport::writeBinaryFile(dir / "clip.wav", WavBytes::pcm(WavBytes::samples16(clip)));
        CEventSequencer schedule;
        schedule.addSound(dir / "clip.wav", 80, c.start, c.length);
        const std::int32_t end = c.start + c.length;
        for (std::int32_t t = 0; t < end + 3 * c.step; t += c.step) {
            SCOPED_TRACE(t);
            schedule.setTime(t);
            SoundSlice slice;
            ASSERT_TRUE(schedule.nextSoundSlice(c.step, slice));
            if (t + c.step <= c.start || t >= end) {
                EXPECT_TRUE(slice.bytes.empty());
                continue;
            }
            const auto got = samplesOf(slice.bytes);
            ASSERT_EQ(got.size(), std::size_t(std::min(c.step, end - t)) * 16);
            EXPECT_EQ(slice.volume, 80);
            for (std::size_t i = 0; i < got.size(); ++i) {
                const std::int64_t sinceStart = std::int64_t(t - c.start) * 16 + std::int64_t(i);
                ASSERT_EQ(got[i], sinceStart < 0 ? 0 : clip[std::size_t(sinceStart) % clip.size()]) << i;
            }
        }
    }
}

TEST(ScheduleSlices, FollowTheClockWhenItJumps)
{
    TempDir dir;
    const auto clip = ramp(32000);
    testsupport::writeBinaryFile(dir / "clip.wav", WavBytes::pcm(WavBytes::samples16(clip)));
    CEventSequencer schedule;
    schedule.addSound(dir / "clip.wav", 100, 1000, 10000);
    schedule.addSound(dir / "clip.wav", 30, 20000, 100);
    for (const std::int32_t t : {1500, 1000, 4720, 20050, 20000}) {
        SCOPED_TRACE(t);
        schedule.setTime(t);
        SoundSlice slice;
        ASSERT_TRUE(schedule.nextSoundSlice(40, slice));
        const auto got = samplesOf(slice.bytes);
        ASSERT_FALSE(got.empty());
        const std::int32_t since = t >= 20000 ? t - 20000 : t - 1000;
        EXPECT_EQ(got[0], clip[std::size_t(since) * 16 % clip.size()]);
    }
    // The first entry was dropped once the clock passed it; going back does not revive it.
    schedule.setTime(5000);
    SoundSlice slice;
    ASSERT_TRUE(schedule.nextSoundSlice(40, slice));
    EXPECT_TRUE(slice.bytes.empty());
}

TEST(ScheduleSlices, BadClipsFailWithoutData)
{
    TempDir dir;
    testsupport::writeBinaryFile(dir / "stereo.wav",
                                 WavBytes::pcm(std::vector<std::uint8_t>(400, 1), 16000, 2));
    testsupport::writeBinaryFile(dir / "empty.wav", WavBytes::pcm({}));
    auto truncated = WavBytes::pcm(WavBytes::samples16(ramp(8000)));
    truncated.resize(truncated.size() - 12000);
    testsupport::writeBinaryFile(dir / "cut.wav", truncated);
    struct Case {
        const char* file;
        std::int32_t failsFrom; // -1: never
    };
    // The cut clip reads fine until the clock reaches the missing bytes, and fails from then on.
    const Case cases[] = {{"missing.wav", 0}, {"stereo.wav", 0}, {"cut.wav", 120}, {"empty.wav", -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        CEventSequencer schedule;
        schedule.addSound(dir / c.file, 100, 0, 1000);
        for (std::int32_t t = 0; t < 200; t += 40) {
            SCOPED_TRACE(t);
            schedule.setTime(t);
            SoundSlice slice;
            slice.volume = 7;
            const bool ok = c.failsFrom < 0 || t < c.failsFrom;
            EXPECT_EQ(schedule.nextSoundSlice(40, slice), ok);
            if (!ok || c.failsFrom < 0) {
                EXPECT_TRUE(slice.bytes.empty());
                EXPECT_EQ(slice.volume, 0);
            }
        }
    }
}

TEST(ScheduleMixing, VolumeArithmeticSampleForSample)
{
    struct Case {
        const char* name;
        std::vector<std::int16_t> voice, clip;
        std::int32_t volume;
        std::vector<std::int16_t> expected; // the first samples; the rest of the 640 must be 0
    };
    const Case cases[] = {
        {"both at half",
         {1000, -1000, 32767, -32768},
         {1000, 1000, 32767, -32768},
         100,
         {1000, 0, 32767, -32768}},
        {"odd volume halves down", {100, 100}, {100, -100}, 37, {68, 32}},
        {"rounds toward zero", {-3, 3, -1}, {0, 0, 0}, 100, {-1, 1, 0}},
        {"volume above 100 is 100", {0}, {200}, 250, {100}},
        {"volume below 0 mutes the clip", {10}, {30000}, -5, {5}},
        {"short clip leaves the voice at half", {400, 400, 400}, {400}, 100, {400, 200, 200}},
        {"long clip goes on alone", {400}, {400, 400, -401}, 60, {320, 120, -120}},
        {"no clip", {-32768, 32767}, {}, 0, {-16384, 16383}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::int16_t> out;
        ASSERT_TRUE(CEventSequencer::mix(c.voice.data(), c.voice.size(), c.clip.data(), c.clip.size(), 40,
                                         c.volume, out));
        ASSERT_EQ(out.size(), 640u);
        for (std::size_t i = 0; i < out.size(); ++i)
            ASSERT_EQ(out[i], i < c.expected.size() ? c.expected[i] : 0) << i;
    }
    const std::vector<std::int16_t> long1(2000, 10), long2(2000, 30);
    std::vector<std::int16_t> out;
    ASSERT_TRUE(CEventSequencer::mix(long1.data(), long1.size(), long2.data(), long2.size(), 1, 100, out));
    EXPECT_EQ(out, std::vector<std::int16_t>(16, 20)); // inputs longer than the duration are cut
    ASSERT_TRUE(CEventSequencer::mix(long1.data(), long1.size(), nullptr, 0, 0, 100, out));
    EXPECT_TRUE(out.empty());
}

TEST(SchedulePictures, DueOnceInOrderAndIgnoringCase)
{
    CEventSequencer schedule;
    schedule.addImage("", 0);
    schedule.addImage("/p/a.jpg", 100);
    schedule.addImage("/P/A.JPG", 200);
    schedule.addImage("", 300);
    schedule.addImage("/p/b.jpg", 300);
    struct Step {
        std::int32_t time;
        const char* expected; // nullptr: nothing
    };
    const Step steps[] = {{0, nullptr},   {99, nullptr}, {100, "/p/a.jpg"}, {150, nullptr},
                          {200, nullptr}, {400, ""},     {400, "/p/b.jpg"}, {500, nullptr}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.time);
        schedule.setTime(step.time);
        const auto got = schedule.nextImage();
        ASSERT_EQ(got.has_value(), step.expected != nullptr);
        if (got) {
            EXPECT_EQ(got->string(), step.expected);
        }
    }
    schedule.addImage("/p/b.jpg", 600);
    schedule.reset(); // forgets the last picture: the same one is handed out again
    schedule.setTime(600);
    EXPECT_EQ(schedule.nextImage().value_or("none").string(), "/p/b.jpg");
}

TEST(SchedulePictures, FileDataArrivesWholeByItsDueTime)
{
    TempDir dir;
    struct Case {
        const char* name;
        std::size_t size;
        std::int32_t due, clockStart, step;
        std::int32_t firstDataAt;
    };
    const Case cases[] = {
        {"due at 40 s starts at 10 s", 3000, 40000, 0, 40, 10000},
        {"file smaller than the steps", 10, 40000, 0, 40, 10000},
        {"begun late", 500000, 5000, 1000, 40, 1000},
        {"empty file", 0, 30000, 0, 40, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<unsigned char> file(c.size);
        for (std::size_t i = 0; i < file.size(); ++i)
            file[i] = static_cast<unsigned char>(i * 7 + 3);
        testsupport::writeBinaryFile(dir / "pic.jpg", file);
        CEventSequencer schedule;
        schedule.addImage(dir / "pic.jpg", c.due);
        std::vector<unsigned char> delivered;
        std::int32_t firstData = -1, endedAt = -1;
        for (std::int32_t t = c.clockStart; t <= c.due && endedAt < 0; t += c.step) {
            schedule.setTime(t);
            ImageData data;
            ASSERT_TRUE(schedule.nextImageData(c.step, data));
            if (data.flags == 0)
                continue;
            EXPECT_EQ(data.flags & kImageBegins, firstData < 0 ? kImageBegins : 0u);
            EXPECT_TRUE(data.flags & kImageData);
            if (firstData < 0)
                firstData = t;
            delivered.insert(delivered.end(), data.bytes.begin(), data.bytes.end());
            if (data.flags & kImageEnds)
                endedAt = t;
        }
        EXPECT_EQ(firstData, c.firstDataAt);
        EXPECT_GE(endedAt, 0);
        EXPECT_EQ(delivered, file);
    }
    CEventSequencer schedule;
    schedule.addImage("", 100);
    schedule.addImage(dir / "missing.jpg", 200);
    ImageData data;
    ASSERT_TRUE(schedule.nextImageData(40, data));
    EXPECT_EQ(data.flags, unsigned(kImageBegins | kImageEnds));
    EXPECT_FALSE(schedule.nextImageData(40, data));
    EXPECT_EQ(data.flags, 0u);
}

TEST(ScheduleLocking, EntriesMayBeAddedWhileTheClockRuns)
{
    TempDir dir;
    testsupport::writeBinaryFile(dir / "clip.wav", WavBytes::pcm(WavBytes::samples16(ramp(640))));
    CEventSequencer schedule;
    std::thread adder([&] {
        for (int i = 0; i < 200; ++i) {
            schedule.addSound(dir / "clip.wav", 50, i * 40, 40);
            schedule.addImage("/p/" + std::to_string(i) + ".jpg", i * 40);
        }
    });
    int pictures = 0;
    for (std::int32_t t = 0; t < 8000; t += 20) {
        schedule.setTime(t);
        SoundSlice slice;
        ASSERT_TRUE(schedule.nextSoundSlice(40, slice));
        pictures += schedule.nextImage().has_value();
    }
    adder.join();
    EXPECT_LE(pictures, 200);
}

} // namespace
