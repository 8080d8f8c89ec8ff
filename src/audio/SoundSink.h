#pragma once

#include "audio/WavFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// One output stream of a sound device as the streaming player drives it: a buffer of a fixed size that
// the player keeps topped up, and the time the device has played. Calls come from one thread at a time.
class SoundSink {
public:
    virtual ~SoundSink() = default;
    // Makes the stream for `format` with a buffer of `bufferBytes`; false when the device fails.
    virtual bool open(const WavFormat& format, std::uint32_t bufferBytes) = 0;
    // Bytes the buffer can take now.
    virtual std::uint32_t freeBytes() = 0;
    virtual bool write(const std::uint8_t* bytes, std::uint32_t count) = 0;
    virtual bool start() = 0;
    virtual void stop() = 0;
    virtual void close() = 0;
    // Milliseconds played since start.
    virtual std::int64_t playedMilliseconds() = 0;
    // False for the silent stand-in.
    virtual bool isDevice() const = 0;
    // The stream's own volume, 0 to 1, heard at once and kept for the next open; false for a stream
    // without one.
    virtual bool setVolume(double) { return false; }
};

// A silent stream that takes the data at the speed a device would play it and tells the steady clock's
// elapsed time: playback and its clock work with no sound device.
std::unique_ptr<SoundSink> makeSilentSink();

// The sound server's default output; null when no server answers, so the caller falls back to the
// silent sink. No toolkit: the command-line tool plays through it.
std::unique_ptr<SoundSink> makePulseSink();
