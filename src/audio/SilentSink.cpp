#include "audio/SoundSink.h"

#include <algorithm>
#include <chrono>
#include <mutex>

namespace {

class SilentSink final : public SoundSink {
public:
    bool open(const WavFormat& format, std::uint32_t bufferBytes) override
    {
        std::lock_guard guard(lock_);
        bytesPerSecond_ = std::max<std::uint32_t>(format.avgBytesPerSec, 1);
        bufferBytes_ = bufferBytes;
        written_ = 0;
        running_ = false;
        return true;
    }
    std::uint32_t freeBytes() override
    {
        std::lock_guard guard(lock_);
        const std::uint64_t consumed = static_cast<std::uint64_t>(played()) * bytesPerSecond_ / 1000;
        const std::uint64_t queued = written_ > consumed ? written_ - consumed : 0;
        return queued >= bufferBytes_ ? 0 : static_cast<std::uint32_t>(bufferBytes_ - queued);
    }
    bool write(const std::uint8_t*, std::uint32_t count) override
    {
        std::lock_guard guard(lock_);
        // What was not taken by the played time yet is lost when the device underran.
        const std::uint64_t consumed = static_cast<std::uint64_t>(played()) * bytesPerSecond_ / 1000;
        written_ = std::max(written_, consumed) + count;
        return true;
    }
    bool start() override
    {
        std::lock_guard guard(lock_);
        start_ = std::chrono::steady_clock::now();
        running_ = true;
        return true;
    }
    void stop() override
    {
        std::lock_guard guard(lock_);
        if (running_)
            stoppedAt_ = played();
        running_ = false;
    }
    void close() override { stop(); }
    std::int64_t playedMilliseconds() override
    {
        std::lock_guard guard(lock_);
        return played();
    }
    bool isDevice() const override { return false; }

private:
    std::int64_t played() const
    {
        if (!running_)
            return stoppedAt_;
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                     start_)
            .count();
    }

    std::recursive_mutex lock_;
    std::uint32_t bytesPerSecond_ = 32000;
    std::uint32_t bufferBytes_ = 0;
    std::uint64_t written_ = 0;
    bool running_ = false;
    std::int64_t stoppedAt_ = 0;
    std::chrono::steady_clock::time_point start_;
};

} // namespace

std::unique_ptr<SoundSink> makeSilentSink()
{
    return std::make_unique<SilentSink>();
}
