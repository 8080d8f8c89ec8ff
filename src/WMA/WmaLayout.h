#pragma once

#include "WMA/WmaFormat.h"

#include <vector>

// log2 of the frame length (samples per channel per frame) at a sample rate.
int wmaFrameLenBits(std::uint32_t sampleRate);

// The coefficient layout of one block size, derived from the format exactly as a decoder derives it.
struct WmaBlockLayout {
    int length = 0;                  // coefficients (half the transform window)
    std::vector<int> bandWidths;     // exponent bands, covering [0, length)
    int coefsEnd = 0;                // coefficients from here up are never coded
    int highBandStart = 0;           // noise-coded bands may start here
    std::vector<int> highBandWidths; // exponent bands clipped to [highBandStart, coefsEnd)
};

// Every stream parameter a decoder computes from the wave format and the encoder flags.
struct WmaLayout {
    explicit WmaLayout(const WmaFormat& format);

    WmaFormat format;
    int frameLenBits = 9;
    int frameLen = 512;
    int blockSizes = 3;    // block i holds frameLen >> i coefficients
    int blockCodeBits = 2; // width of a block size code
    bool noiseCoding = true;
    int byteOffsetBits = 8; // the superframe's bit offset has byteOffsetBits + 3 bits
    float noiseMult = 0.02f;
    std::vector<WmaBlockLayout> blocks;

    int headerBits() const { return 8 + byteOffsetBits + 3; }
    int blockLenBits(int sizeIndex) const { return frameLenBits - sizeIndex; }
};

// Escape level width for a total gain.
int wmaEscapeLevelBits(int totalGain);
