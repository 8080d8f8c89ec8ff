#include "FfmpegWma.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <cstdlib>
#include <unistd.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
}

namespace wmaref {
namespace {

std::mutex logMutex;
std::vector<std::string>* logSink = nullptr;

void captureLog(void* avcl, int level, const char* fmt, va_list args)
{
    if (level > AV_LOG_WARNING)
        return;
    char line[1024];
    int prefix = 1;
    av_log_format_line(avcl, level, fmt, args, line, sizeof(line), &prefix);
    std::lock_guard<std::mutex> lock(logMutex);
    if (logSink)
        logSink->push_back(line);
}

struct LogCapture {
    explicit LogCapture(std::vector<std::string>& sink)
    {
        std::lock_guard<std::mutex> lock(logMutex);
        logSink = &sink;
        av_log_set_callback(captureLog);
    }
    ~LogCapture()
    {
        std::lock_guard<std::mutex> lock(logMutex);
        logSink = nullptr;
        av_log_set_callback(av_log_default_callback);
    }
};

Decoded decodeWith(const WmaFormat& format, const std::vector<std::uint8_t>& extra,
                   const std::vector<std::vector<std::uint8_t>>& packets)
{
    Decoded out;
    LogCapture capture(out.logs);
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_WMAV2);
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    ctx->sample_rate = int(format.sampleRate);
    av_channel_layout_default(&ctx->ch_layout, format.channels);
    ctx->bit_rate = format.bitRate;
    ctx->block_align = format.blockAlign;
    ctx->pkt_timebase = AVRational{1, int(format.sampleRate)};
    ctx->extradata = static_cast<std::uint8_t*>(av_mallocz(extra.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    std::memcpy(ctx->extradata, extra.data(), extra.size());
    ctx->extradata_size = int(extra.size());
    if (avcodec_open2(ctx, codec, nullptr) < 0) {
        out.errors = 1;
        avcodec_free_context(&ctx);
        return out;
    }
    AVPacket* pkt = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    auto drain = [&] {
        while (avcodec_receive_frame(ctx, frame) == 0) {
            const int ch = frame->ch_layout.nb_channels;
            for (int i = 0; i < frame->nb_samples; ++i)
                for (int c = 0; c < ch; ++c)
                    out.pcm.push_back(reinterpret_cast<const float*>(frame->extended_data[c])[i]);
        }
    };
    for (const auto& p : packets) {
        av_new_packet(pkt, int(p.size()));
        std::memcpy(pkt->data, p.data(), p.size());
        if (avcodec_send_packet(ctx, pkt) < 0)
            ++out.errors;
        av_packet_unref(pkt);
        drain();
    }
    avcodec_send_packet(ctx, nullptr);
    drain();
    av_frame_free(&frame);
    av_packet_free(&pkt);
    avcodec_free_context(&ctx);
    return out;
}

} // namespace

Decoded decode(const WmaFormat& format, const std::vector<WmaPacket>& packets)
{
    std::vector<std::vector<std::uint8_t>> raw;
    for (const WmaPacket& p : packets)
        raw.push_back(p.data);
    return decodeWith(format, wmaExtraData(), raw);
}

std::vector<WmaPacket> encode(const WmaFormat& format, const std::vector<std::int16_t>& pcm)
{
    CWmaEncoder encoder;
    std::vector<WmaPacket> packets;
    if (!encoder.open(format))
        return packets;
    const std::size_t frames = pcm.size() / format.channels;
    for (std::size_t at = 0; at < frames; at += 1000)
        encoder.encode(pcm.data() + at * format.channels, std::min<std::size_t>(1000, frames - at), packets);
    encoder.finish(packets);
    return packets;
}

PeerStream encodePeer(int sampleRate, int bitRate, const std::vector<std::int16_t>& pcm)
{
    PeerStream out;
    std::vector<std::string> logs;
    LogCapture capture(logs);
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    ctx->sample_rate = sampleRate;
    av_channel_layout_default(&ctx->ch_layout, 1);
    ctx->bit_rate = bitRate;
    ctx->sample_fmt = AV_SAMPLE_FMT_FLTP;
    if (avcodec_open2(ctx, codec, nullptr) < 0) {
        avcodec_free_context(&ctx);
        return out;
    }
    out.format.sampleRate = std::uint32_t(sampleRate);
    out.format.channels = 1;
    out.format.bitRate = std::uint32_t(ctx->bit_rate);
    out.format.blockAlign = std::uint16_t(ctx->block_align);
    out.extra.assign(ctx->extradata, ctx->extradata + ctx->extradata_size);
    AVFrame* frame = av_frame_alloc();
    AVPacket* pkt = av_packet_alloc();
    const int n = ctx->frame_size;
    auto drain = [&] {
        while (avcodec_receive_packet(ctx, pkt) == 0) {
            out.packets.emplace_back(pkt->data, pkt->data + pkt->size);
            av_packet_unref(pkt);
        }
    };
    for (std::size_t at = 0; at < pcm.size(); at += std::size_t(n)) {
        frame->nb_samples = n;
        frame->format = AV_SAMPLE_FMT_FLTP;
        av_channel_layout_copy(&frame->ch_layout, &ctx->ch_layout);
        av_frame_get_buffer(frame, 0);
        auto* dst = reinterpret_cast<float*>(frame->data[0]);
        for (int i = 0; i < n; ++i)
            dst[i] = at + std::size_t(i) < pcm.size() ? pcm[at + std::size_t(i)] / 32768.0f : 0.0f;
        avcodec_send_frame(ctx, frame);
        av_frame_unref(frame);
        drain();
    }
    avcodec_send_frame(ctx, nullptr);
    drain();
    av_packet_free(&pkt);
    av_frame_free(&frame);
    avcodec_free_context(&ctx);
    return out;
}

Decoded decodePeer(const PeerStream& stream)
{
    return decodeWith(stream.format, stream.extra, stream.packets);
}

std::vector<std::int16_t> synthesize(const std::string& text, const std::string& voice, int rate)
{
    char name[] = "/tmp/wmasynthXXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0)
        return {};
    close(fd);
    const std::string raw = std::string(name) + ".wav";
    std::string cmd;
    if (voice.rfind("flite:", 0) == 0)
        cmd = "flite -voice " + voice.substr(6) + " -t \"" + text + "\" -o " + raw;
    else
        cmd = "espeak-ng -v " + voice + " -w " + raw + " \"" + text + "\"";
    cmd += " >/dev/null 2>&1 && sox " + raw + " -r " + std::to_string(rate) +
           " -c 1 -b 16 -e signed -t raw " + name + " 2>/dev/null";
    std::vector<std::int16_t> pcm;
    if (std::system(cmd.c_str()) == 0) {
        if (std::FILE* f = std::fopen(name, "rb")) {
            std::int16_t buf[4096];
            std::size_t n;
            while ((n = std::fread(buf, 2, 4096, f)) > 0)
                pcm.insert(pcm.end(), buf, buf + n);
            std::fclose(f);
        }
    }
    std::remove(name);
    std::remove(raw.c_str());
    return pcm;
}

std::vector<float> toFloat(const std::vector<std::int16_t>& pcm)
{
    std::vector<float> out(pcm.size());
    for (std::size_t i = 0; i < pcm.size(); ++i)
        out[i] = pcm[i] / 32768.0f;
    return out;
}

namespace {

// Energy of the 0..4 kHz band of each 20-ms segment (a plain DFT over the segment's bins).
std::vector<double> bandEnergies(const std::vector<float>& x, int offset, int seg, int segments, int rate)
{
    std::vector<double> out;
    const int topBin = std::min(seg / 2, int(4000.0 * seg / rate));
    const double pi = std::acos(-1.0);
    for (int s = 0; s < segments; ++s) {
        double e = 0;
        for (int k = 1; k <= topBin; ++k) {
            std::complex<double> acc = 0;
            for (int i = 0; i < seg; ++i) {
                const long at = long(offset) + long(s) * seg + i;
                const double v = at >= 0 && at < long(x.size()) ? x[std::size_t(at)] : 0.0;
                const double w = 0.5 - 0.5 * std::cos(2 * pi * i / seg);
                acc += v * w * std::polar(1.0, -2 * pi * k * i / seg);
            }
            e += std::norm(acc);
        }
        out.push_back(e);
    }
    return out;
}

double logEnergy(const std::vector<float>& x, long start, int len)
{
    double e = 0;
    for (int i = 0; i < len; ++i) {
        const long at = start + i;
        if (at >= 0 && at < long(x.size()))
            e += double(x[std::size_t(at)]) * x[std::size_t(at)];
    }
    // Floored at -60 dB of full scale: below that a segment is silence, whatever its exact level.
    return 10 * std::log10(e / len + 1e-6);
}

} // namespace

Quality measure(const std::vector<float>& ref, const std::vector<float>& dec, int rate, int maxDelay)
{
    Quality q;
    const int seg = rate / 50;
    const int segments = int(ref.size()) / seg;
    // Best alignment by the envelopes' correlation at every whole-sample delay.
    double best = -2;
    for (int d = -maxDelay; d <= maxDelay; ++d) {
        std::vector<double> a, b;
        for (int s = 0; s < segments; ++s) {
            a.push_back(logEnergy(ref, long(s) * seg, seg));
            b.push_back(logEnergy(dec, long(s) * seg + d, seg));
        }
        double ma = 0, mb = 0;
        for (std::size_t i = 0; i < a.size(); ++i) {
            ma += a[i];
            mb += b[i];
        }
        ma /= double(a.size());
        mb /= double(b.size());
        double sab = 0, saa = 0, sbb = 0;
        for (std::size_t i = 0; i < a.size(); ++i) {
            sab += (a[i] - ma) * (b[i] - mb);
            saa += (a[i] - ma) * (a[i] - ma);
            sbb += (b[i] - mb) * (b[i] - mb);
        }
        const double r = sab / std::sqrt(saa * sbb + 1e-20);
        if (r > best) {
            best = r;
            q.delay = d;
        }
    }
    q.envelopeCorr = best;
    // Segmental SNR over segments within 40 dB of the loudest, at the delay of the best waveform match.
    double loudest = -60;
    for (int s = 0; s < segments; ++s)
        loudest = std::max(loudest, logEnergy(ref, long(s) * seg, seg));
    int waveDelay = 0;
    double bestDot = -1e300;
    for (int d = -maxDelay; d <= maxDelay; ++d) {
        double dot = 0;
        for (long i = std::max(0, -d); i + d < long(dec.size()) && i < long(ref.size()); ++i)
            dot += double(ref[std::size_t(i)]) * dec[std::size_t(i + d)];
        if (dot > bestDot) {
            bestDot = dot;
            waveDelay = d;
        }
    }
    q.waveDelay = waveDelay;
    double bestSnr = 0;
    {
        double sum = 0;
        int used = 0;
        for (int s = 0; s < segments; ++s) {
            if (logEnergy(ref, long(s) * seg, seg) < loudest - 40)
                continue;
            double sig = 0, err = 0;
            for (int i = 0; i < seg; ++i) {
                const std::size_t at = std::size_t(s * seg + i);
                const double r = ref[at];
                const long j = long(at) + waveDelay;
                const double y = j >= 0 && j < long(dec.size()) ? dec[std::size_t(j)] : 0.0;
                sig += r * r;
                err += (r - y) * (r - y);
            }
            sum += std::clamp(10 * std::log10((sig + 1e-12) / (err + 1e-12)), -10.0, 35.0);
            ++used;
        }
        bestSnr = used ? sum / used : 0;
    }
    q.segSnr = bestSnr;
    // Loudness of the 0-4 kHz band, per voiced segment, in dB.
    const std::vector<double> er = bandEnergies(ref, 0, seg, segments, rate);
    const std::vector<double> ed = bandEnergies(dec, q.delay, seg, segments, rate);
    double maxE = 0;
    for (double e : er)
        maxE = std::max(maxE, e);
    double sum = 0;
    int used = 0;
    for (int s = 0; s < segments; ++s) {
        if (er[std::size_t(s)] < maxE * 1e-4)
            continue;
        sum += std::fabs(10 * std::log10((ed[std::size_t(s)] + 1e-12) / (er[std::size_t(s)] + 1e-12)));
        ++used;
    }
    q.loudnessErr = used ? sum / used : 0;
    return q;
}

} // namespace wmaref
