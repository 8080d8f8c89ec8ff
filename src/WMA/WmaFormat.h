#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr std::uint16_t kWmaV2FormatTag = 0x0161;
// Exponents in the variable-length code, bit reservoir, variable block length, three block sizes.
constexpr std::uint16_t kWmaEncodeFlags = 0x000F;
constexpr int kWmaExtraBytes = 10;

// One audio format the encoder writes. Average bytes per second are bitRate / 8 exactly.
struct WmaFormat {
    std::uint32_t sampleRate = 8000;
    std::uint16_t channels = 1;
    std::uint32_t bitRate = 8000;
    std::uint16_t blockAlign = 64;

    std::uint32_t avgBytesPerSec() const { return bitRate / 8; }
    bool operator==(const WmaFormat&) const = default;
};

// Builds the format for a rate, channel count and bit rate, with the block alignment of one frame's
// share of the bit rate. False (with a reason) for what the encoder does not write: rates other than
// 8000, 11025, 16000 and 22050 Hz, more than two channels, bit rates that are not whole bytes per
// second or lie outside 0.5 to 4 bits per sample and channel.
bool makeWmaFormat(std::uint32_t sampleRate, int channels, std::uint32_t bitRate, WmaFormat& format,
                   std::string* why = nullptr);

// The rows an audio format search lists for this encoder: the stock profiles' low rates and a few
// above them, ordered by sample rate, channels and bit rate.
const std::vector<WmaFormat>& wmaFormatList();

// The 10 bytes after the wave format's extra-size field: 32-bit samples-per-block word (0), the 16-bit
// encoder flags, and 4 zero bytes.
std::vector<std::uint8_t> wmaExtraData();
// The whole wave format record (18 bytes + the extra data), little-endian.
std::vector<std::uint8_t> wmaWaveFormat(const WmaFormat& format);
