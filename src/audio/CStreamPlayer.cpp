#include "audio/CStreamPlayer.h"

#include <algorithm>
#include <vector>

namespace {

int streamCode(int wavCode)
{
    switch (wavCode) {
    case kWavOk:
        return 0;
    case kWavCannotOpen:
        return kStreamCannotOpen;
    case kWavOutOfMemory:
        return kStreamNoMemory;
    case kWavBadFormat:
    case kWavTruncatedData:
        return kStreamShortRead;
    default:
        return kStreamNotRiffWave;
    }
}

} // namespace

CStreamPlayer::CStreamPlayer(std::unique_ptr<SoundSink> sink)
    : sink_(sink ? std::move(sink) : makeSilentSink())
{
}

CStreamPlayer::~CStreamPlayer()
{
    close();
}

int CStreamPlayer::open(const std::filesystem::path& path)
{
    close();
    int code = streamCode(source_.open(path));
    if (code == 0)
        code = streamCode(source_.startData());
    if (code != 0) {
        source_.close();
        return code;
    }
    const WavFormat& format = source_.format();
    if (format.avgBytesPerSec == 0) {
        source_.close();
        return kStreamNotRiffWave;
    }
    const std::uint32_t dataSize = source_.dataSize();
    durationMs_ =
        static_cast<std::uint32_t>(static_cast<std::uint64_t>(dataSize) * 1000 / format.avgBytesPerSec);
    bufferSize_ = std::min<std::uint32_t>(format.avgBytesPerSec * kBufferMs / 1000, dataSize);
    // An empty file still gets a buffer the device can hold.
    bufferSize_ = std::max<std::uint32_t>(bufferSize_, format.blockAlign ? format.blockAlign : 1);
    if (!sink_->open(format, bufferSize_)) {
        source_.close();
        return kStreamCannotOpen;
    }
    open_ = true;
    primed_ = false;
    if (!prime()) {
        close();
        return kStreamSeekFailed;
    }
    return 0;
}

bool CStreamPlayer::prime()
{
    if (primed_)
        return true;
    if (source_.seekData(0) != kWavOk)
        return false;
    std::uint32_t count = std::min(sink_->freeBytes(), bufferSize_);
    const std::uint32_t fromFile = std::min(count, source_.remaining());
    if (!copyFromFile(fromFile) || !writeSilence(count - fromFile))
        return false;
    primed_ = true;
    return true;
}

bool CStreamPlayer::start()
{
    if (!open_)
        return false;
    stop();
    if (!prime() || !sink_->start())
        return false;
    elapsed_ = 0;
    playing_ = true;
    primed_ = false;
    {
        std::lock_guard guard(timerLock_);
        timerStop_ = false;
    }
    timer_ = std::thread([this] {
        std::unique_lock guard(timerLock_);
        auto next = std::chrono::steady_clock::now();
        while (!timerStop_) {
            next += std::chrono::milliseconds(kTimerPeriodMs);
            if (timerWake_.wait_until(guard, next, [this] { return timerStop_; }))
                break;
            guard.unlock();
            refill();
            guard.lock();
        }
    });
    return true;
}

void CStreamPlayer::refill()
{
    if (refillGuard_.exchange(1) == 1)
        return;
    if (playing_) {
        elapsed_ = static_cast<std::int32_t>(sink_->playedMilliseconds());
        if (static_cast<std::uint32_t>(elapsed_.load()) >= durationMs_) {
            // The timer thread cannot join itself: it only stops the device here.
            sink_->stop();
            playing_ = false;
        } else if (std::uint32_t free = sink_->freeBytes()) {
            const std::uint32_t fromFile = std::min(free, source_.remaining());
            copyFromFile(fromFile);
            writeSilence(free - fromFile);
        }
    }
    refillGuard_ = 0;
}

std::int32_t CStreamPlayer::position()
{
    // The last tick can be 50 ms old; the animation reads the device itself while it plays.
    if (!playing_)
        return elapsed_.load();
    const auto played = static_cast<std::int32_t>(sink_->playedMilliseconds());
    return std::min<std::int32_t>(played, static_cast<std::int32_t>(durationMs_));
}

bool CStreamPlayer::copyFromFile(std::uint32_t count)
{
    if (count == 0)
        return true;
    std::vector<std::uint8_t> bytes(count);
    std::uint32_t read = 0;
    if (source_.read(bytes.data(), count, read) != kWavOk)
        return false;
    return sink_->write(bytes.data(), read) && (read == count || writeSilence(count - read));
}

bool CStreamPlayer::writeSilence(std::uint32_t count)
{
    if (count == 0)
        return true;
    const std::uint8_t silence = source_.format().bitsPerSample == 8 ? 128 : 0;
    std::vector<std::uint8_t> bytes(count, silence);
    return sink_->write(bytes.data(), count);
}

void CStreamPlayer::stopTimer()
{
    {
        std::lock_guard guard(timerLock_);
        timerStop_ = true;
    }
    timerWake_.notify_all();
    if (timer_.joinable())
        timer_.join();
}

void CStreamPlayer::stop()
{
    stopTimer();
    if (playing_.exchange(false))
        sink_->stop();
}

void CStreamPlayer::close()
{
    stop();
    if (open_)
        sink_->close();
    source_.close();
    open_ = false;
    primed_ = false;
    bufferSize_ = 0;
    durationMs_ = 0;
    elapsed_ = 0;
}
