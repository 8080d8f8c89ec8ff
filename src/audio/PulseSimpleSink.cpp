#include "audio/PulseServer.h"
#include "audio/SoundSink.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

// How much the sound server itself holds ahead of the speakers, and the pieces it is handed.
constexpr std::uint32_t kServerLatencyMs = 60;
constexpr std::uint32_t kChunkMs = 10;

bool pulseFormatOf(const WavFormat& format, pa_sample_spec& pulseFormat)
{
    if (format.formatTag != kWavFormatPcm || format.channels == 0 || format.samplesPerSec == 0)
        return false;
    if (format.bitsPerSample == 8)
        pulseFormat.format = PA_SAMPLE_U8;
    else if (format.bitsPerSample == 16)
        pulseFormat.format = PA_SAMPLE_S16LE;
    else
        return false;
    pulseFormat.rate = format.samplesPerSec;
    pulseFormat.channels = static_cast<std::uint8_t>(format.channels);
    return pa_sample_spec_valid(&pulseFormat) != 0;
}

pa_simple* connect(const WavFormat& format)
{
    pa_sample_spec pulseFormat{};
    if (!pulseFormatOf(format, pulseFormat))
        return nullptr;
    const std::uint32_t bytesPerSecond = static_cast<std::uint32_t>(pa_bytes_per_second(&pulseFormat));
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.tlength = bytesPerSecond * kServerLatencyMs / 1000;
    attributes.prebuf = static_cast<std::uint32_t>(-1);
    attributes.minreq = static_cast<std::uint32_t>(-1);
    attributes.fragsize = static_cast<std::uint32_t>(-1);
    int error = 0;
    return pa_simple_new(nullptr, "Chattermask", PA_STREAM_PLAYBACK, nullptr, "Preview", &pulseFormat, nullptr,
                         &attributes, &error);
}

// The sound server's default output through the simple API. The player's buffer is our own queue; a
// feeder thread hands it to the server in small pieces, each call blocking until the server takes it,
// so the queue drains at the speed the speakers play. Played time = what the server was handed minus
// what it still holds.
class PulseSimpleSink final : public SoundSink {
public:
    PulseSimpleSink(pa_simple* stream, const WavFormat& format) : stream_(stream), format_(format) {}
    PulseSimpleSink(const PulseSimpleSink&) = delete;
    PulseSimpleSink& operator=(const PulseSimpleSink&) = delete;
    ~PulseSimpleSink() override
    {
        close();
        disconnect();
    }

    bool open(const WavFormat& format, std::uint32_t bufferBytes) override
    {
        close();
        if (!stream_ || format.samplesPerSec != format_.samplesPerSec ||
            format.channels != format_.channels || format.bitsPerSample != format_.bitsPerSample) {
            disconnect();
            stream_ = connect(format);
        }
        if (!stream_)
            return false;
        std::lock_guard guard(lock_);
        format_ = format;
        bytesPerSecond_ = std::max<std::uint32_t>(format.avgBytesPerSec, 1);
        capacity_ = bufferBytes;
        queue_.clear();
        running_ = false;
        quit_ = false;
        handed_ = 0;
        lastPlayed_ = 0;
        feeder_ = std::thread([this] { feed(); });
        return true;
    }
    std::uint32_t freeBytes() override
    {
        std::lock_guard guard(lock_);
        return queue_.size() >= capacity_ ? 0 : static_cast<std::uint32_t>(capacity_ - queue_.size());
    }
    bool write(const std::uint8_t* bytes, std::uint32_t count) override
    {
        std::lock_guard guard(lock_);
        if (!stream_ || queue_.size() + count > capacity_)
            return false;
        queue_.insert(queue_.end(), bytes, bytes + count);
        wake_.notify_all();
        return true;
    }
    bool start() override
    {
        std::lock_guard guard(lock_);
        if (!stream_)
            return false;
        handed_ = 0;
        lastPlayed_ = 0;
        running_ = true;
        wake_.notify_all();
        return true;
    }
    void stop() override
    {
        {
            std::lock_guard guard(lock_);
            if (!running_)
                return;
            lastPlayed_ = played();
            running_ = false;
        }
        int error = 0;
        if (stream_)
            pa_simple_flush(stream_, &error);
    }
    void close() override
    {
        stop();
        {
            std::lock_guard guard(lock_);
            quit_ = true;
            wake_.notify_all();
        }
        if (feeder_.joinable())
            feeder_.join();
        std::lock_guard guard(lock_);
        queue_.clear();
    }
    std::int64_t playedMilliseconds() override
    {
        std::lock_guard guard(lock_);
        return running_ ? played() : lastPlayed_;
    }
    bool isDevice() const override { return true; }

private:
    // Under the lock. Never goes back: the server's latency estimate wobbles a little.
    std::int64_t played()
    {
        int error = 0;
        const pa_usec_t latency = pa_simple_get_latency(stream_, &error);
        const std::int64_t handedMs = static_cast<std::int64_t>(handed_ * 1000 / bytesPerSecond_);
        const std::int64_t now = handedMs - static_cast<std::int64_t>(latency / 1000);
        lastPlayed_ = std::max(lastPlayed_, now);
        return lastPlayed_;
    }

    void feed()
    {
        const std::uint32_t chunk = std::max<std::uint32_t>(bytesPerSecond_ * kChunkMs / 1000, 1);
        std::vector<std::uint8_t> piece;
        std::unique_lock guard(lock_);
        for (;;) {
            wake_.wait(guard, [this] { return quit_ || (running_ && !queue_.empty()); });
            if (quit_)
                return;
            const size_t count = std::min<size_t>(chunk, queue_.size());
            piece.assign(queue_.begin(), queue_.begin() + static_cast<long>(count));
            queue_.erase(queue_.begin(), queue_.begin() + static_cast<long>(count));
            guard.unlock();
            int error = 0;
            const bool handedOver = pa_simple_write(stream_, piece.data(), piece.size(), &error) == 0;
            guard.lock();
            if (handedOver && running_)
                handed_ += count;
        }
    }

    void disconnect()
    {
        if (stream_)
            pa_simple_free(stream_);
        stream_ = nullptr;
    }

    pa_simple* stream_;
    WavFormat format_;
    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<std::uint8_t> queue_;
    std::uint32_t capacity_ = 0;
    std::uint32_t bytesPerSecond_ = 32000;
    std::uint64_t handed_ = 0;
    std::int64_t lastPlayed_ = 0;
    bool running_ = false;
    bool quit_ = false;
    std::thread feeder_;
};

} // namespace

std::unique_ptr<SoundSink> makePulseSink()
{
    // The simple API would start a server of its own when none runs; asking first never does.
    if (!soundServerAnswers())
        return nullptr;
    const WavFormat format = voiceFormat();
    pa_simple* probe = connect(format);
    if (!probe)
        return nullptr;
    return std::make_unique<PulseSimpleSink>(probe, format);
}
