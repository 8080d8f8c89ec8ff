#pragma once

#include <cstddef>
#include <cstdint>

// The speech coder the stream file uses: one 30-ms frame of 240 samples at 8 kHz in, one coded frame
// out (20 bytes active, 4 bytes silence description, 1 byte untransmitted). The application supplies
// the real coder; the documents layer only drives it.
class SpeechFrameCoder {
public:
    static constexpr size_t kFrameSamples = 240;
    static constexpr size_t kMaxFrameBytes = 24;

    virtual ~SpeechFrameCoder() = default;
    virtual void reset() = 0;
    // Codes one frame into `out` (room for kMaxFrameBytes) and returns the number of bytes written.
    virtual size_t codeFrame(const int16_t* samples, uint8_t* out) = 0;
};
