#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

// The voice's "fmt " fields the timeline cares about.
struct VoiceFormat {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSecond = 0;
    std::uint16_t bitsPerSample = 0;
};

// How the timeline reaches the samples of its working copy; the audio library supplies the real
// reader, tests a memory one. Offsets count bytes from the first sample.
class VoiceReader {
public:
    virtual ~VoiceReader() = default;
    // Opens the file and locates its format and data; false when either is missing.
    virtual bool open(const std::filesystem::path& path, VoiceFormat& format, std::uint32_t& dataBytes) = 0;
    virtual bool read(void* buffer, std::size_t bytes) = 0;
    virtual bool seek(std::uint32_t offset) = 0;
    virtual void close() = 0;
};
