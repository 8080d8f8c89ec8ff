#pragma once

#include "export/AudioFormats.h"
#include "export/ExportCodes.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// How the video stream is filled: pictures compressed by an encoder, or samples made by the caller.
enum class VideoSource { mp43Pictures, h264Pictures, preparedSamples };

struct MediaLayout {
    std::string container; // "asf" or "mp4"
    AudioFormat audio;     // encoder and its settings
    VideoSource video = VideoSource::mp43Pictures;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t framesPerSecond = 0;
    std::int32_t videoBitRate = 0;
    std::int32_t keyFrameSeconds = 0;
    std::vector<std::uint8_t> videoFormatData; // after the bitmap header (ASF)
    struct Chapter {
        std::int64_t startMs;
        std::string title;
    };
    std::vector<Chapter> chapters; // written by the muxer (MP4)
};

// One output file on libavformat: the voice-rate PCM in, resampled and compressed to the layout's audio
// format; 32-bit bottom-up pictures in, compressed to the video stream; or samples written as they are.
class MediaWriter {
public:
    MediaWriter();
    ~MediaWriter();
    MediaWriter(const MediaWriter&) = delete;
    MediaWriter& operator=(const MediaWriter&) = delete;

    ExportCode open(const std::filesystem::path& path, const MediaLayout& layout);
    // 16 kHz mono 16-bit samples, continuing the audio stream.
    ExportCode writeAudio(const std::int16_t* samples, std::size_t count);
    // A picture of width x height pixels (blue, green, red, alpha; bottom row first) shown from `ms`.
    ExportCode writePicture(const std::uint32_t* pixels, std::int64_t ms);
    ExportCode writeSample(const std::vector<std::uint8_t>& sample, std::int64_t ms, std::int64_t durationMs);
    // Drains the encoders and writes the trailer; the file is complete only after this.
    ExportCode finish();

    std::uint64_t audioSamplesWritten() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};
