#pragma once

#include "audio/SoundSink.h"
#include "audio/WavFile.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

// Result codes of open, as the wave source reports them.
constexpr int kStreamCannotOpen = 259;
constexpr int kStreamNotRiffWave = 272;
constexpr int kStreamShortRead = 261;
constexpr int kStreamNoMemory = 258;
constexpr int kStreamSeekFailed = 263;

// Streams a WAV file through a sound sink: a buffer of up to two seconds, topped up every 50 ms from
// the file and with silence after its end, until the played time reaches the file's duration. The
// played time is the clock of the preview's animation.
class CStreamPlayer {
public:
    static constexpr std::uint32_t kBufferMs = 2000;
    static constexpr std::uint32_t kTimerPeriodMs = 50;

    explicit CStreamPlayer(std::unique_ptr<SoundSink> sink);
    ~CStreamPlayer();
    CStreamPlayer(const CStreamPlayer&) = delete;
    CStreamPlayer& operator=(const CStreamPlayer&) = delete;

    // 0, or one of the result codes above; on success the buffer is made and primed.
    int open(const std::filesystem::path& path);
    bool start();
    // One top-up, as the timer does it; public so a caller without the timer can drive it.
    void refill();
    // Milliseconds played: the device's count while playing, else the last top-up's.
    std::int32_t position();
    void stop();
    void close();

    bool isPlaying() const { return playing_.load(); }
    std::uint32_t bufferSize() const { return bufferSize_; }
    std::uint32_t durationMs() const { return durationMs_; }
    SoundSink& sink() { return *sink_; }

private:
    bool prime();
    bool copyFromFile(std::uint32_t count);
    bool writeSilence(std::uint32_t count);
    void stopTimer();

    std::unique_ptr<SoundSink> sink_;
    CWavReader source_;
    bool open_ = false;
    std::uint32_t bufferSize_ = 0;
    std::uint32_t durationMs_ = 0;
    std::atomic<std::int32_t> elapsed_{0};
    std::atomic<bool> playing_{false};
    bool primed_ = false;
    std::atomic<int> refillGuard_{0};

    std::mutex timerLock_;
    std::condition_variable timerWake_;
    bool timerStop_ = false;
    std::thread timer_;
};
