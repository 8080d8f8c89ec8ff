#pragma once

#include "audio/WavFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Builds WAV files byte by byte, so tests can shape every header field themselves.
struct WavBytes {
    std::vector<std::uint8_t> bytes;

    WavBytes& tag(const char* text)
    {
        bytes.insert(bytes.end(), text, text + 4);
        return *this;
    }
    WavBytes& u16(unsigned v)
    {
        bytes.push_back(std::uint8_t(v));
        bytes.push_back(std::uint8_t(v >> 8));
        return *this;
    }
    WavBytes& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    WavBytes& raw(const std::vector<std::uint8_t>& data)
    {
        bytes.insert(bytes.end(), data.begin(), data.end());
        return *this;
    }
    // A whole PCM file; `fmtSize` above 16 pads the format chunk with zeros.
    static std::vector<std::uint8_t> pcm(const std::vector<std::uint8_t>& data, unsigned rate = 16000,
                                         unsigned channels = 1, unsigned bits = 16, unsigned fmtSize = 16)
    {
        const unsigned align = channels * bits / 8;
        WavBytes w;
        w.tag("RIFF").u32(std::uint32_t(4 + 8 + fmtSize + 8 + data.size())).tag("WAVE");
        w.tag("fmt ").u32(fmtSize).u16(1).u16(channels).u32(rate).u32(rate * align).u16(align).u16(bits);
        w.bytes.resize(w.bytes.size() + (fmtSize - 16), 0);
        w.tag("data").u32(std::uint32_t(data.size())).raw(data);
        return w.bytes;
    }
    static std::vector<std::uint8_t> samples16(const std::vector<std::int16_t>& samples)
    {
        WavBytes w;
        for (std::int16_t s : samples)
            w.u16(std::uint16_t(s));
        return w.bytes;
    }
};

// The 16-bit samples of a WAV file's data chunk, failing the calling test when the file cannot be read.
inline std::vector<std::int16_t> readDataSamples(const std::filesystem::path& path)
{
    CWavReader reader;
    EXPECT_EQ(reader.open(path), kWavOk);
    EXPECT_EQ(reader.startData(), kWavOk);
    std::vector<std::uint8_t> bytes(reader.dataSize());
    std::uint32_t got = 0;
    EXPECT_EQ(reader.read(bytes.data(), std::uint32_t(bytes.size()), got), kWavOk);
    std::vector<std::int16_t> samples(got / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = std::int16_t(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return samples;
}
