#pragma once

#include "audio/WavFile.h"

#include <cstdint>
#include <filesystem>

// The sound input as the recorder uses it: one take at a time, recorded, played back and saved.
// Times are milliseconds of the take. Every operation reports success.
class RecorderDevice {
public:
    virtual ~RecorderDevice() = default;
    // A new, empty take in `format`, dropping any previous one.
    virtual bool openNew(const WavFormat& format) = 0;
    virtual bool record() = 0;
    virtual bool play(std::uint32_t fromMs) = 0;
    virtual bool stop() = 0;
    virtual void close() = 0;
    // 0 on error.
    virtual std::uint32_t lengthMs() = 0;
    virtual std::uint32_t positionMs() = 0;
    virtual bool save(const std::filesystem::path& path) = 0;
};

// The recorder dialog without its window: which buttons are enabled, which timer runs and what the
// status line says, driven by the dialog's commands and its 100-ms timer ticks.
class CRecorder {
public:
    enum class Status { idle, recording, playing };
    enum Timer { kNoTimer = 0, kRecordTimer = 1, kPlayTimer = 2 };
    static constexpr int kTimerPeriodMs = 100;

    struct Buttons {
        bool record = true;
        bool play = false;
        bool save = false;
        bool stop = false;
        bool recordChecked = false;
    };

    explicit CRecorder(RecorderDevice& device) : device_(device) {}

    // 16 kHz mono 16-bit PCM, always.
    static WavFormat recordingFormat();

    bool record();
    bool play();
    void stop();
    // One tick of the running timer: the position shown, and the end of the take ending playback.
    void tick();
    bool save(const std::filesystem::path& path);
    void close();

    const Buttons& buttons() const { return buttons_; }
    Status status() const { return status_; }
    int runningTimer() const { return timer_; }
    bool hasTake() const { return takePresent_; }
    // The position of the last tick as minutes and seconds.
    int shownMinutes() const { return shownSeconds_ / 60; }
    int shownSeconds() const { return shownSeconds_ % 60; }

private:
    void toIdle();

    RecorderDevice& device_;
    Buttons buttons_;
    Status status_ = Status::idle;
    int timer_ = kNoTimer;
    bool takePresent_ = false;
    int shownSeconds_ = 0;
};
