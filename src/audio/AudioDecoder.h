#pragma once

#include "audio/MonoSource.h"

#include <cstdio>
#include <filesystem>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVIOContext;
struct AVPacket;

// Decodes the first audio stream of any file FFmpeg can read (WAV of every kind, FLAC, MP3, Ogg Vorbis,
// Opus, M4A/AAC ...) into 16-bit mono at the stream's rate, one decoded frame at a time. Channels are
// averaged. Reads only the file it is given: references a container makes to other files or URLs are
// refused.
class CAudioDecoder final : public IMonoSource {
public:
    CAudioDecoder() = default;
    ~CAudioDecoder() override;
    CAudioDecoder(const CAudioDecoder&) = delete;
    CAudioDecoder& operator=(const CAudioDecoder&) = delete;

    // Gives kWavOk, or kWavCannotOpen / kWavOutOfMemory with reason() saying why.
    int open(const std::filesystem::path& path);

    std::uint32_t rate() const override { return rate_; }
    // A stream that stops well short of the length its container declares gives kWavTruncatedData.
    int read(std::vector<std::int16_t>& out, std::size_t wanted) override;
    bool ended() const override { return ended_; }
    std::uint64_t position() const override { return offset_; }
    std::uint64_t total() const override { return fileSize_; }
    std::string reason() const override { return reason_; }

    // The byte source FFmpeg reads through.
    int readBytes(std::uint8_t* buffer, int size);
    std::int64_t seekBytes(std::int64_t offset, int whence);

private:
    int openInput(const std::filesystem::path& path);
    int openDecoder();
    int feed();
    int appendFrame(std::vector<std::int16_t>& out);
    int checkLength();
    int fail(int code, const std::string& what, int error = 0);

    std::FILE* file_ = nullptr;
    std::uint64_t fileSize_ = 0;
    std::uint64_t offset_ = 0;
    AVIOContext* io_ = nullptr;
    AVFormatContext* format_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    int stream_ = -1;
    std::uint32_t rate_ = 0;
    std::int64_t declaredFrames_ = -1;
    std::uint64_t decodedFrames_ = 0;
    bool draining_ = false;
    bool ended_ = false;
    std::string reason_;
};
