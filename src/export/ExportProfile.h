#pragma once

#include "export/AudioFormats.h"
#include "export/ExportCodes.h"

#include <cstdint>
#include <string>
#include <vector>

// The settings of one video stream of a profile.
struct VideoStreamSettings {
    std::int32_t bitRate = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t framesPerSecond = 0;
    std::int32_t quality = 0;
    std::int32_t keyFrameSeconds = 0;
    std::vector<std::uint8_t> formatData; // travels in a "MONO" chunk after the bitmap header
};

struct AudioSettings {
    std::int32_t tag = 0;
    std::int32_t bitRate = 0;
    std::int32_t sampleRate = 0;
    std::int32_t channels = 0;
};

// What the writer is set up with: the found audio format, the video streams and the script stream.
struct ExportProfile {
    std::string name = "Custom Profile";
    std::string description = "Custom Profile Description";
    AudioFormat audio;
    std::vector<VideoStreamSettings> video;
    std::int32_t scriptBitRate = 0;
};

constexpr std::int32_t kScriptBitRate = 2048;
constexpr std::size_t kMaxVideoStreams = 10;
constexpr std::size_t kMaxFormatData = 65535;
constexpr std::size_t kBitmapHeaderSize = 40;

// Builds the profile; fails with kExportNoAudioFormat when no installed encoder makes the audio format
// and kExportInvalidArgument for more than ten video streams or format data past 65,535 bytes.
ExportCode buildProfile(const AudioSettings& audio, const std::vector<VideoStreamSettings>& video,
                        std::int32_t scriptBitRate, const std::vector<const AudioEncoderFamily*>& families,
                        ExportProfile& profile);

// The "MONO" chunk: tag, 32-bit length, the bytes; empty for no data.
std::vector<std::uint8_t> monoChunk(const std::vector<std::uint8_t>& data);
// The 40-byte bitmap header of a stream, 32 bits, compression "MP43", followed by its MONO chunk.
std::vector<std::uint8_t> bitmapHeader(const VideoStreamSettings& stream);
