#include "audio/CStreamPlayer.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

namespace {

// A device stream whose played time and consumption the test sets.
struct FakeDevice {
    std::mutex lock;
    std::uint32_t bufferBytes = 0;
    std::uint32_t queued = 0;
    std::int64_t played = 0;
    bool running = false;
    std::vector<std::uint8_t> written;
};

class FakeSink final : public SoundSink {
public:
    explicit FakeSink(FakeDevice& device) : device_(device) {}
    bool open(const WavFormat&, std::uint32_t bufferBytes) override
    {
        std::lock_guard guard(device_.lock);
        device_.bufferBytes = bufferBytes;
        return true;
    }
    std::uint32_t freeBytes() override
    {
        std::lock_guard guard(device_.lock);
        return device_.bufferBytes - device_.queued;
    }
    bool write(const std::uint8_t* bytes, std::uint32_t count) override
    {
        std::lock_guard guard(device_.lock);
        device_.written.insert(device_.written.end(), bytes, bytes + count);
        device_.queued += count;
        return true;
    }
    bool start() override
    {
        std::lock_guard guard(device_.lock);
        device_.running = true;
        return true;
    }
    void stop() override
    {
        std::lock_guard guard(device_.lock);
        device_.running = false;
    }
    void close() override {}
    std::int64_t playedMilliseconds() override
    {
        std::lock_guard guard(device_.lock);
        return device_.played;
    }
    bool isDevice() const override { return true; }

private:
    FakeDevice& device_;
};

// A voice of `samples` samples whose bytes are never zero, so silence is told apart from data.
std::vector<std::uint8_t> writeVoice(const std::filesystem::path& path, std::uint32_t samples)
{
    std::vector<std::int16_t> data(samples);
    for (std::uint32_t i = 0; i < samples; ++i)
        data[i] = static_cast<std::int16_t>(0x0101 + (i % 100));
    CWavWriter writer;
    EXPECT_EQ(writer.create(path, voiceFormat()), kWavOk);
    EXPECT_EQ(writer.write(data.data(), data.size() * 2), kWavOk);
    EXPECT_EQ(writer.finish(samples), kWavOk);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.data());
    return {bytes, bytes + data.size() * 2};
}

} // namespace

TEST(CStreamPlayer, BufferHoldsTwoSecondsOrTheWholeShorterFile)
{
    testsupport::TempDir dir;
    struct Case {
        std::uint32_t samples;
        std::uint32_t bufferBytes;
        std::uint32_t durationMs;
    };
    const Case cases[] = {{16000, 32000, 1000}, {16000 * 3, 64000, 3000}, {24000, 48000, 1500}};
    for (const Case& c : cases) {
        writeVoice(dir / "voice.wav", c.samples);
        FakeDevice device;
        CStreamPlayer player(std::make_unique<FakeSink>(device));
        ASSERT_EQ(player.open(dir / "voice.wav"), 0);
        EXPECT_EQ(player.bufferSize(), c.bufferBytes);
        EXPECT_EQ(device.bufferBytes, c.bufferBytes);
        EXPECT_EQ(device.written.size(), c.bufferBytes);
        EXPECT_EQ(player.durationMs(), c.durationMs);
    }
}

TEST(CStreamPlayer, SilenceFollowsTheDataUntilTheDurationThenPlaybackStops)
{
    testsupport::TempDir dir;
    const std::vector<std::uint8_t> voice = writeVoice(dir / "voice.wav", 24000);
    FakeDevice device;
    CStreamPlayer player(std::make_unique<FakeSink>(device));
    ASSERT_EQ(player.open(dir / "voice.wav"), 0);
    ASSERT_TRUE(player.start());

    {
        std::lock_guard guard(device.lock);
        device.played = 500;
        device.queued -= 16000;
    }
    player.refill();
    EXPECT_TRUE(player.isPlaying());
    EXPECT_EQ(player.position(), 500);
    {
        std::lock_guard guard(device.lock);
        ASSERT_EQ(device.written.size(), voice.size() + 16000);
        EXPECT_TRUE(std::equal(voice.begin(), voice.end(), device.written.begin()));
        EXPECT_TRUE(std::all_of(device.written.begin() + static_cast<long>(voice.size()),
                                device.written.end(), [](std::uint8_t b) { return b == 0; }));
        device.played = 1500;
    }
    player.refill();
    EXPECT_FALSE(player.isPlaying());
    std::lock_guard guard(device.lock);
    EXPECT_FALSE(device.running);
}

TEST(CStreamPlayer, OpenReportsTheWaveSourceCodes)
{
    testsupport::TempDir dir;
    writeVoice(dir / "voice.wav", 1600);
    std::vector<unsigned char> file = testsupport::readBinaryFile(dir / "voice.wav");
    testsupport::writeBinaryFile(dir / "text.wav",
                                 {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!'});
    testsupport::writeBinaryFile(dir / "short.wav",
                                 std::vector<unsigned char>(file.begin(), file.begin() + 24));
    struct Case {
        const char* name;
        int code;
    };
    const Case cases[] = {{"missing.wav", kStreamCannotOpen},
                          {"text.wav", kStreamNotRiffWave},
                          {"short.wav", kStreamShortRead},
                          {"voice.wav", 0}};
    for (const Case& c : cases) {
        FakeDevice device;
        CStreamPlayer player(std::make_unique<FakeSink>(device));
        EXPECT_EQ(player.open(dir / c.name), c.code) << c.name;
    }
}

TEST(CStreamPlayer, WithoutADeviceTheSilentSinkStillKeepsTime)
{
    testsupport::TempDir dir;
    writeVoice(dir / "voice.wav", 1600);
    CStreamPlayer player(nullptr);
    EXPECT_FALSE(player.sink().isDevice());
    ASSERT_EQ(player.open(dir / "voice.wav"), 0);
    ASSERT_TRUE(player.start());
    for (int i = 0; i < 400 && player.isPlaying(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(player.isPlaying());
    EXPECT_GE(player.position(), 100);
}
