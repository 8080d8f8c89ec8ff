#include "audio/AudioDecoder.h"

#include "audio/WavFile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

namespace {

constexpr int kIoBufferSize = 64 * 1024;
// Codec priming and padding move a stream's end by a few thousand samples at most; a file that stops
// further than this before its declared length has lost its end.
constexpr double kShortfallSeconds = 0.2;

int readCallback(void* opaque, std::uint8_t* buffer, int size)
{
    return static_cast<CAudioDecoder*>(opaque)->readBytes(buffer, size);
}

std::int64_t seekCallback(void* opaque, std::int64_t offset, int whence)
{
    return static_cast<CAudioDecoder*>(opaque)->seekBytes(offset, whence);
}

// A playlist or reference container must not make the import read other files or the network.
int refuseNestedOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**)
{
    return AVERROR(EPERM);
}

// FFmpeg's own remarks on odd files would clutter the terminal of every import; keep its errors only,
// unless the program has chosen a level of its own.
void quietFfmpegRemarks()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (av_log_get_level() == AV_LOG_INFO)
            av_log_set_level(AV_LOG_ERROR);
    });
}

std::string errorText(int error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

// 16-bit views of each sample format, with the arithmetic of the WAV path where one exists.
struct FromU8 {
    std::int32_t operator()(std::uint8_t v) const { return (std::int32_t(v) - 128) * 256; }
};
struct FromS16 {
    std::int32_t operator()(std::int16_t v) const { return v; }
};
struct FromS32 {
    std::int32_t operator()(std::int32_t v) const { return v >> 16; }
};
struct FromS64 {
    std::int32_t operator()(std::int64_t v) const { return std::int32_t(v >> 48); }
};
struct FromFloat {
    std::int32_t operator()(double v) const
    {
        if (!(v == v))
            return 0; // NaN
        v = std::clamp(v * 32768.0, -32768.0, 32767.0);
#if defined(__SSE2__)
        return _mm_cvtsd_si32(_mm_set_sd(v)); // lrint without the library call
#else
        return std::int32_t(std::lrint(v));
#endif
    }
};

// Two channels mix as (L + R) / 2 like the WAV path; more are averaged the same way.
template <typename T, typename Convert>
void mixSamples(const AVFrame& frame, int channels, bool planar, std::vector<std::int16_t>& out)
{
    const Convert convert;
    const std::size_t count = std::size_t(frame.nb_samples);
    const std::size_t first = out.size();
    out.resize(first + count);
    std::int16_t* mixed = out.data() + first;
    if (channels == 1) {
        const auto* in = reinterpret_cast<const T*>(frame.extended_data[0]);
        for (std::size_t i = 0; i < count; ++i)
            mixed[i] = std::int16_t(convert(in[i]));
        return;
    }
    const auto step = std::size_t(channels);
    for (std::size_t i = 0; i < count; ++i) {
        std::int32_t sum = 0;
        for (std::size_t c = 0; c < step; ++c)
            sum += convert(planar ? reinterpret_cast<const T*>(frame.extended_data[c])[i]
                                  : reinterpret_cast<const T*>(frame.extended_data[0])[i * step + c]);
        mixed[i] = std::int16_t(sum / channels);
    }
}

bool mixFrame(const AVFrame& frame, int channels, std::vector<std::int16_t>& out)
{
    const auto format = AVSampleFormat(frame.format);
    const bool planar = av_sample_fmt_is_planar(format) != 0;
    switch (av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_U8:
        mixSamples<std::uint8_t, FromU8>(frame, channels, planar, out);
        return true;
    case AV_SAMPLE_FMT_S16:
        mixSamples<std::int16_t, FromS16>(frame, channels, planar, out);
        return true;
    case AV_SAMPLE_FMT_S32:
        mixSamples<std::int32_t, FromS32>(frame, channels, planar, out);
        return true;
    case AV_SAMPLE_FMT_S64:
        mixSamples<std::int64_t, FromS64>(frame, channels, planar, out);
        return true;
    case AV_SAMPLE_FMT_FLT:
        mixSamples<float, FromFloat>(frame, channels, planar, out);
        return true;
    case AV_SAMPLE_FMT_DBL:
        mixSamples<double, FromFloat>(frame, channels, planar, out);
        return true;
    default:
        return false;
    }
}

} // namespace

CAudioDecoder::~CAudioDecoder()
{
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    avcodec_free_context(&codec_);
    avformat_close_input(&format_);
    if (io_)
        av_freep(&io_->buffer);
    avio_context_free(&io_);
    if (file_)
        std::fclose(file_);
}

int CAudioDecoder::fail(int code, const std::string& what, int error)
{
    reason_ = error != 0 ? what + ": " + errorText(error) : what;
    return code;
}

int CAudioDecoder::readBytes(std::uint8_t* buffer, int size)
{
    const std::size_t got = std::fread(buffer, 1, std::size_t(std::max(size, 0)), file_);
    offset_ += got;
    if (got == 0)
        return std::ferror(file_) ? AVERROR(EIO) : AVERROR_EOF;
    return int(got);
}

std::int64_t CAudioDecoder::seekBytes(std::int64_t offset, int whence)
{
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE)
        return std::int64_t(fileSize_);
    if (fseeko(file_, off_t(offset), whence) != 0)
        return AVERROR(EIO);
    std::clearerr(file_);
    offset_ = std::uint64_t(ftello(file_));
    return std::int64_t(offset_);
}

int CAudioDecoder::openInput(const std::filesystem::path& path)
{
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_)
        return fail(kWavCannotOpen, std::strerror(errno));
    if (fseeko(file_, 0, SEEK_END) != 0 || ftello(file_) < 0)
        return fail(kWavCannotOpen, "the file cannot be measured");
    fileSize_ = std::uint64_t(ftello(file_));
    std::rewind(file_);
    auto* buffer = static_cast<std::uint8_t*>(av_malloc(kIoBufferSize));
    io_ = buffer ? avio_alloc_context(buffer, kIoBufferSize, 0, this, readCallback, nullptr, seekCallback)
                 : nullptr;
    format_ = avformat_alloc_context();
    if (!io_ || !format_) {
        if (!io_)
            av_free(buffer);
        return fail(kWavOutOfMemory, "out of memory");
    }
    format_->pb = io_;
    format_->flags |= AVFMT_FLAG_CUSTOM_IO;
    format_->io_open = refuseNestedOpen;
    // The name only hints at the container (by its extension); the bytes come from io_.
    if (int error = avformat_open_input(&format_, path.filename().c_str(), nullptr, nullptr); error < 0)
        return fail(kWavCannotOpen, "not a sound file that can be decoded", error);
    if (int error = avformat_find_stream_info(format_, nullptr); error < 0)
        return fail(kWavCannotOpen, "the streams cannot be read", error);
    return kWavOk;
}

int CAudioDecoder::openDecoder()
{
    const AVCodec* decoder = nullptr;
    stream_ = av_find_best_stream(format_, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (stream_ < 0)
        return fail(kWavCannotOpen, "no audio stream that can be decoded", stream_);
    for (unsigned i = 0; i < format_->nb_streams; ++i)
        if (int(i) != stream_)
            format_->streams[i]->discard = AVDISCARD_ALL;
    const AVStream& stream = *format_->streams[stream_];
    codec_ = avcodec_alloc_context3(decoder);
    packet_ = av_packet_alloc();
    frame_ = av_frame_alloc();
    if (!codec_ || !packet_ || !frame_)
        return fail(kWavOutOfMemory, "out of memory");
    if (int error = avcodec_parameters_to_context(codec_, stream.codecpar); error < 0)
        return fail(kWavCannotOpen, "the audio format cannot be read", error);
    codec_->pkt_timebase = stream.time_base;
    if (int error = avcodec_open2(codec_, decoder, nullptr); error < 0)
        return fail(kWavCannotOpen, std::string("the ") + decoder->name + " decoder cannot start", error);
    if (codec_->sample_rate <= 0 || std::uint32_t(codec_->sample_rate) > kMaxSourceRate)
        return fail(kWavCannotOpen, "unsupported sample rate " + std::to_string(codec_->sample_rate));
    rate_ = std::uint32_t(codec_->sample_rate);
    // A length estimated from the bit rate is a guess; one stored in the file or found from its
    // timestamps tells when samples are missing.
    if (stream.duration != AV_NOPTS_VALUE &&
        format_->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE)
        declaredFrames_ = av_rescale_q(stream.duration, stream.time_base, AVRational{1, int(rate_)});
    return kWavOk;
}

int CAudioDecoder::open(const std::filesystem::path& path)
{
    quietFfmpegRemarks();
    if (const int code = openInput(path); code != kWavOk)
        return code;
    return openDecoder();
}

int CAudioDecoder::feed()
{
    for (;;) {
        const int error = av_read_frame(format_, packet_);
        if (error == AVERROR_EOF) {
            draining_ = true;
            avcodec_send_packet(codec_, nullptr);
            return kWavOk;
        }
        if (error < 0)
            return fail(kWavCannotOpen, "the file cannot be read", error);
        const bool ours = packet_->stream_index == stream_;
        const int sent = ours ? avcodec_send_packet(codec_, packet_) : 0;
        av_packet_unref(packet_);
        if (sent < 0)
            return fail(kWavCannotOpen, "the audio cannot be decoded", sent);
        if (ours)
            return kWavOk;
    }
}

int CAudioDecoder::appendFrame(std::vector<std::int16_t>& out)
{
    const int channels = frame_->ch_layout.nb_channels;
    if (frame_->sample_rate != 0 && std::uint32_t(frame_->sample_rate) != rate_)
        return fail(kWavCannotOpen, "the sample rate changes inside the file");
    if (channels <= 0 || !mixFrame(*frame_, channels, out))
        return fail(kWavCannotOpen, "unsupported sample layout");
    decodedFrames_ += std::uint64_t(frame_->nb_samples);
    av_frame_unref(frame_);
    return kWavOk;
}

int CAudioDecoder::checkLength()
{
    if (decodedFrames_ == 0)
        return fail(kWavCannotOpen, "the file holds no audio samples");
    if (declaredFrames_ < 0 || double(declaredFrames_) - double(decodedFrames_) <= kShortfallSeconds * rate_)
        return kWavOk;
    char text[96];
    std::snprintf(text, sizeof text, "the file ends %.2f s before the length it declares",
                  double(declaredFrames_ - std::int64_t(decodedFrames_)) / rate_);
    return fail(kWavTruncatedData, text);
}

int CAudioDecoder::read(std::vector<std::int16_t>& out, std::size_t wanted)
{
    const std::size_t start = out.size();
    while (!ended_ && out.size() - start < wanted) {
        const int received = avcodec_receive_frame(codec_, frame_);
        if (received == 0) {
            if (const int code = appendFrame(out); code != kWavOk)
                return code;
        } else if (received == AVERROR_EOF) {
            ended_ = true;
            return checkLength();
        } else if (received != AVERROR(EAGAIN) || draining_) {
            return fail(kWavCannotOpen, "the audio cannot be decoded", received);
        } else if (const int code = feed(); code != kWavOk) {
            return code;
        }
    }
    return kWavOk;
}
