#pragma once

#include <cstdint>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswresample/swresample.h>
}

// Owners of the FFmpeg objects the player's readers use, freed when they go.
struct CodecContext {
    AVCodecContext* context = nullptr;
    ~CodecContext() { avcodec_free_context(&context); }
};

struct Resampler {
    SwrContext* context = nullptr;
    ~Resampler() { swr_free(&context); }
};

struct Packet {
    AVPacket* packet = av_packet_alloc();
    ~Packet() { av_packet_free(&packet); }
};

struct Frame {
    AVFrame* frame = av_frame_alloc();
    ~Frame() { av_frame_free(&frame); }
};

// A sound stream's decoder, turning its blocks into the player's voice: 16 kHz mono 16-bit.
class SoundDecoder {
public:
    bool open(const AVCodecParameters& parameters);
    // False when a block does not decode.
    bool decode(const AVPacket* packet, std::vector<std::int16_t>& voice);
    // What the decoder and the resampler still hold.
    bool finish(std::vector<std::int16_t>& voice);

private:
    bool convert(std::uint8_t** in, int count, std::vector<std::int16_t>& voice);

    CodecContext decoder_;
    Resampler resampler_;
    Frame frame_;
};
