#include "FfmpegG723.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace g723ref {
namespace {

constexpr int kFrameBytes[4] = {24, 20, 4, 1};

AVCodecContext* openContext(const AVCodec* codec, bool encoder, bool postfilter)
{
    if (!codec)
        return nullptr;
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    ctx->sample_rate = 8000;
    av_channel_layout_default(&ctx->ch_layout, 1);
    if (encoder) {
        ctx->sample_fmt = AV_SAMPLE_FMT_S16;
        ctx->bit_rate = 6300;
    } else {
        av_opt_set_int(ctx->priv_data, "postfilter", postfilter ? 1 : 0, 0);
    }
    if (avcodec_open2(ctx, codec, nullptr) < 0)
        avcodec_free_context(&ctx);
    return ctx;
}

void drain(AVCodecContext* ctx, AVFrame* frame, Decoded& out)
{
    while (avcodec_receive_frame(ctx, frame) == 0) {
        const auto* s = reinterpret_cast<const std::int16_t*>(frame->data[0]);
        out.pcm.insert(out.pcm.end(), s, s + frame->nb_samples);
    }
}

} // namespace

Decoded decode(const std::vector<std::uint8_t>& stream, bool postfilter)
{
    Decoded out;
    AVCodecContext* ctx = openContext(avcodec_find_decoder(AV_CODEC_ID_G723_1), false, postfilter);
    if (!ctx) {
        out.errors = 1;
        return out;
    }
    AVPacket* pkt = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    std::size_t pos = 0;
    while (pos < stream.size()) {
        int size = kFrameBytes[stream[pos] & 3];
        if (pos + std::size_t(size) > stream.size()) {
            out.truncated = int(stream.size() - pos);
            break;
        }
        av_new_packet(pkt, size);
        std::copy(stream.begin() + long(pos), stream.begin() + long(pos) + size, pkt->data);
        ++out.frames;
        if (avcodec_send_packet(ctx, pkt) < 0)
            ++out.errors;
        av_packet_unref(pkt);
        drain(ctx, frame, out);
        pos += std::size_t(size);
    }
    av_frame_free(&frame);
    av_packet_free(&pkt);
    avcodec_free_context(&ctx);
    return out;
}

std::vector<std::uint8_t> encodeAnchor(const std::vector<std::int16_t>& pcm)
{
    std::vector<std::uint8_t> out;
    AVCodecContext* ctx = openContext(avcodec_find_encoder(AV_CODEC_ID_G723_1), true, false);
    if (!ctx)
        return out;
    AVPacket* pkt = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    for (std::size_t start = 0; start + 240 <= pcm.size(); start += 240) {
        frame->nb_samples = 240;
        frame->format = AV_SAMPLE_FMT_S16;
        av_channel_layout_default(&frame->ch_layout, 1);
        av_frame_get_buffer(frame, 0);
        std::copy(pcm.begin() + long(start), pcm.begin() + long(start) + 240,
                  reinterpret_cast<std::int16_t*>(frame->data[0]));
        if (avcodec_send_frame(ctx, frame) == 0)
            while (avcodec_receive_packet(ctx, pkt) == 0) {
                out.insert(out.end(), pkt->data, pkt->data + pkt->size);
                av_packet_unref(pkt);
            }
        av_frame_unref(frame);
    }
    av_frame_free(&frame);
    av_packet_free(&pkt);
    avcodec_free_context(&ctx);
    return out;
}

double segmentalSnr(const std::vector<std::int16_t>& ref, const std::vector<std::int16_t>& dec, int maxDelay)
{
    constexpr int kSeg = 240;
    double best = -100;
    for (int delay = 0; delay <= maxDelay; ++delay) {
        double total = 0;
        int count = 0;
        for (std::size_t s = 0; s + kSeg + std::size_t(delay) <= std::min(ref.size() + delay, dec.size());
             s += kSeg) {
            if (s + kSeg > ref.size())
                break;
            double sig = 0, err = 0;
            for (int i = 0; i < kSeg; ++i) {
                double r = ref[s + std::size_t(i)];
                double d = dec[s + std::size_t(i) + std::size_t(delay)];
                sig += r * r;
                err += (r - d) * (r - d);
            }
            if (sig / kSeg < 100.0 * 100.0)
                continue;
            total += std::clamp(10.0 * std::log10(sig / std::max(err, 1.0)), -10.0, 35.0);
            ++count;
        }
        if (count > 0)
            best = std::max(best, total / count);
    }
    return best;
}

std::vector<std::int16_t> synthesizeSpeech(const std::string& text, const std::string& voice, int wpm)
{
    std::vector<std::int16_t> out;
    std::string cmd =
        "espeak-ng --stdout -v " + voice + " -s " + std::to_string(wpm) + " \"" + text + "\" 2>/dev/null";
    FILE* pipe = popen(cmd.c_str(), "r");
    if (!pipe)
        return out;
    std::vector<unsigned char> bytes;
    unsigned char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0)
        bytes.insert(bytes.end(), buf, buf + n);
    pclose(pipe);
    if (bytes.size() < 44)
        return out;
    // espeak-ng writes a 44-byte header and 22050 Hz mono 16-bit samples; resample linearly to 8 kHz.
    std::size_t count = (bytes.size() - 44) / 2;
    std::vector<double> src(count);
    for (std::size_t i = 0; i < count; ++i)
        src[i] = std::int16_t(bytes[44 + 2 * i] | (bytes[45 + 2 * i] << 8));
    const double step = 22050.0 / 8000.0;
    // Simple low-pass (moving average over the ratio) before picking samples.
    for (double t = 0; t + 2 < double(count); t += step) {
        auto i = std::size_t(t);
        double frac = t - double(i);
        double acc = 0;
        int taps = 0;
        for (int k = -1; k <= 1; ++k) {
            long j = long(i) + k;
            if (j >= 0 && std::size_t(j) + 1 < count) {
                acc += src[std::size_t(j)] * (1 - frac) + src[std::size_t(j) + 1] * frac;
                ++taps;
            }
        }
        out.push_back(std::int16_t(std::clamp(acc / std::max(taps, 1), -32768.0, 32767.0)));
    }
    return out;
}

} // namespace g723ref
