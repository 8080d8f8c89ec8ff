#include "export/MediaWriter.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <deque>

namespace {

constexpr int kVoiceRate = 16000;
constexpr AVRational kMilliseconds{1, 1000};

// Full-range BT.601 would shift the colours the decoders show; studio range is what every player expects.
void pictureToYuv(const std::uint32_t* pixels, int width, int height, AVFrame* frame)
{
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* row = pixels + std::size_t(height - 1 - y) * std::size_t(width);
        std::uint8_t* luma = frame->data[0] + std::ptrdiff_t(y) * frame->linesize[0];
        for (int x = 0; x < width; ++x) {
            const int b = int(row[x] & 0xFF), g = int(row[x] >> 8 & 0xFF), r = int(row[x] >> 16 & 0xFF);
            luma[x] = std::uint8_t((66 * r + 129 * g + 25 * b + 128 + 4096) >> 8);
        }
    }
    for (int y = 0; y < height / 2; ++y) {
        const std::uint32_t* top = pixels + std::size_t(height - 1 - 2 * y) * std::size_t(width);
        const std::uint32_t* bottom = top - width;
        std::uint8_t* u = frame->data[1] + std::ptrdiff_t(y) * frame->linesize[1];
        std::uint8_t* v = frame->data[2] + std::ptrdiff_t(y) * frame->linesize[2];
        for (int x = 0; x < width / 2; ++x) {
            int r = 0, g = 0, b = 0;
            for (const std::uint32_t p : {top[2 * x], top[2 * x + 1], bottom[2 * x], bottom[2 * x + 1]}) {
                b += int(p & 0xFF);
                g += int(p >> 8 & 0xFF);
                r += int(p >> 16 & 0xFF);
            }
            u[x] = std::uint8_t((-38 * r - 74 * g + 112 * b + 512 + 4 * 32768) >> 10);
            v[x] = std::uint8_t((112 * r - 94 * g - 18 * b + 512 + 4 * 32768) >> 10);
        }
    }
}

} // namespace

struct MediaWriter::State {
    AVFormatContext* format = nullptr;
    AVCodecContext* audio = nullptr;
    AVCodecContext* video = nullptr;
    AVStream* audioStream = nullptr;
    AVStream* videoStream = nullptr;
    SwrContext* resampler = nullptr;
    std::unique_ptr<AudioBlockEncoder> blockEncoder; // instead of `audio`, for an encoder of our own
    AVSampleFormat sampleFormat = AV_SAMPLE_FMT_S16;
    int channels = 1;
    int sampleRate = kVoiceRate;
    std::vector<EncodedAudioPacket> blockPackets;
    AVAudioFifo* fifo = nullptr;
    AVFrame* audioFrame = nullptr;
    AVFrame* picture = nullptr;
    AVPacket* packet = nullptr;
    std::deque<std::int64_t> stamps; // the times of the pictures in the video encoder, in order
    std::int64_t frameMs = 0;
    std::int64_t audioPts = 0;
    std::int64_t pictureIndex = 0;
    std::uint64_t audioIn = 0;
    bool headerWritten = false;
    MediaLayout layout;

    ~State()
    {
        avcodec_free_context(&audio);
        avcodec_free_context(&video);
        swr_free(&resampler);
        if (fifo)
            av_audio_fifo_free(fifo);
        av_frame_free(&audioFrame);
        av_frame_free(&picture);
        av_packet_free(&packet);
        if (format) {
            if (format->pb)
                avio_closep(&format->pb);
            avformat_free_context(format);
        }
    }

    ExportCode drain(AVCodecContext* codec, AVStream* stream, bool isVideo);
    ExportCode encodeAudio(bool flush);
    ExportCode openAudio();
    ExportCode openBlockAudio();
    ExportCode openResampler(const AVChannelLayout& to);
    ExportCode writeBlockPackets();
    ExportCode openVideo();
    void addChapters();
};

ExportCode MediaWriter::State::drain(AVCodecContext* codec, AVStream* stream, bool isVideo)
{
    for (;;) {
        const int got = avcodec_receive_packet(codec, packet);
        if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
            return kExportOk;
        if (got < 0)
            return kExportFailed;
        if (isVideo) {
            // No reordering: packets leave in picture order, and each keeps its picture's whole-ms time.
            if (stamps.empty()) {
                av_packet_unref(packet);
                return kExportFailed;
            }
            packet->pts = packet->dts = stamps.front();
            packet->duration = frameMs;
            stamps.pop_front();
            av_packet_rescale_ts(packet, kMilliseconds, stream->time_base);
        } else {
            // The advanced systems format has no way to say "skip the priming samples": the audio starts
            // at 0 with them, rather than shifting every picture off its whole-ms time.
            if (layout.container == "asf" && packet->pts != AV_NOPTS_VALUE) {
                packet->pts += codec->initial_padding;
                packet->dts += codec->initial_padding;
            }
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
        }
        packet->stream_index = stream->index;
        if (av_interleaved_write_frame(format, packet) < 0)
            return kExportFailed;
    }
}

ExportCode MediaWriter::State::openResampler(const AVChannelLayout& to)
{
    AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
    AVChannelLayout out{};
    if (av_channel_layout_copy(&out, &to) < 0)
        return kExportOutOfMemory;
    const bool made = swr_alloc_set_opts2(&resampler, &out, sampleFormat, sampleRate, &mono,
                                          AV_SAMPLE_FMT_S16, kVoiceRate, 0, nullptr) >= 0 &&
                      swr_init(resampler) >= 0;
    av_channel_layout_uninit(&out);
    return made ? kExportOk : kExportFailed;
}

ExportCode MediaWriter::State::openBlockAudio()
{
    const AudioFormat& wanted = layout.audio;
    if (wanted.tag != 353 || wanted.blockAlign <= 0 || wanted.channels < 1 || wanted.channels > 2)
        return kExportNoAudioFormat;
    audioStream = avformat_new_stream(format, nullptr);
    if (!audioStream)
        return kExportFailed;
    AVCodecParameters* par = audioStream->codecpar;
    par->codec_type = AVMEDIA_TYPE_AUDIO;
    par->codec_id = AV_CODEC_ID_WMAV2;
    par->codec_tag = unsigned(wanted.tag);
    par->sample_rate = wanted.sampleRate;
    av_channel_layout_default(&par->ch_layout, wanted.channels);
    par->bit_rate = wanted.bitRate;
    par->block_align = wanted.blockAlign;
    par->bits_per_coded_sample = 16;
    const std::vector<std::uint8_t> extra = blockEncoder->formatExtra();
    if (!extra.empty()) {
        par->extradata = static_cast<std::uint8_t*>(av_mallocz(extra.size() + AV_INPUT_BUFFER_PADDING_SIZE));
        if (!par->extradata)
            return kExportOutOfMemory;
        std::copy(extra.begin(), extra.end(), par->extradata);
        par->extradata_size = int(extra.size());
    }
    audioStream->time_base = AVRational{1, wanted.sampleRate};
    sampleFormat = AV_SAMPLE_FMT_S16;
    channels = wanted.channels;
    sampleRate = wanted.sampleRate;
    return openResampler(par->ch_layout);
}

// The encoder keeps what does not fill a packet yet, so each frame's samples go in as they come.
ExportCode MediaWriter::State::writeBlockPackets()
{
    for (EncodedAudioPacket& block : blockPackets) {
        if (av_new_packet(packet, int(block.data.size())) < 0)
            return kExportOutOfMemory;
        std::copy(block.data.begin(), block.data.end(), packet->data);
        packet->pts = packet->dts = block.pts;
        packet->duration = block.samples;
        packet->flags |= AV_PKT_FLAG_KEY;
        packet->stream_index = audioStream->index;
        av_packet_rescale_ts(packet, AVRational{1, sampleRate}, audioStream->time_base);
        if (av_interleaved_write_frame(format, packet) < 0)
            return kExportFailed;
    }
    blockPackets.clear();
    return kExportOk;
}

ExportCode MediaWriter::State::openAudio()
{
    if (layout.audio.family && (blockEncoder = layout.audio.family->makeEncoder(layout.audio)))
        return openBlockAudio();
    const AVCodec* codec = avcodec_find_encoder_by_name(layout.audio.encoder.c_str());
    if (!codec)
        return kExportNoAudioFormat;
    audio = avcodec_alloc_context3(codec);
    if (!audio)
        return kExportOutOfMemory;
    audio->sample_rate = layout.audio.sampleRate;
    av_channel_layout_default(&audio->ch_layout, layout.audio.channels);
    audio->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    audio->bit_rate = layout.audio.encoderBitRate;
    audio->time_base = AVRational{1, layout.audio.sampleRate};
    audio->thread_count = 1;
    if (format->oformat->flags & AVFMT_GLOBALHEADER)
        audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(audio, codec, nullptr) < 0)
        return kExportNoAudioFormat;
    audioStream = avformat_new_stream(format, nullptr);
    if (!audioStream || avcodec_parameters_from_context(audioStream->codecpar, audio) < 0)
        return kExportFailed;
    audioStream->time_base = audio->time_base;
    sampleFormat = audio->sample_fmt;
    channels = audio->ch_layout.nb_channels;
    sampleRate = audio->sample_rate;
    const ExportCode resampling = openResampler(audio->ch_layout);
    if (resampling != kExportOk)
        return resampling;
    fifo =
        av_audio_fifo_alloc(audio->sample_fmt, audio->ch_layout.nb_channels, std::max(audio->frame_size, 1));
    audioFrame = av_frame_alloc();
    if (!fifo || !audioFrame)
        return kExportOutOfMemory;
    return kExportOk;
}

ExportCode MediaWriter::State::openVideo()
{
    videoStream = avformat_new_stream(format, nullptr);
    if (!videoStream)
        return kExportFailed;
    videoStream->time_base = kMilliseconds;
    if (layout.video == VideoSource::preparedSamples) {
        AVCodecParameters* par = videoStream->codecpar;
        par->codec_type = AVMEDIA_TYPE_VIDEO;
        par->codec_id = AV_CODEC_ID_MSMPEG4V3;
        par->width = layout.width;
        par->height = layout.height;
        par->bit_rate = layout.videoBitRate;
        par->bits_per_coded_sample = 32;
    } else {
        const bool h264 = layout.video == VideoSource::h264Pictures;
        const AVCodec* codec = avcodec_find_encoder_by_name(h264 ? "libx264" : "msmpeg4");
        if (!codec)
            return kExportFailed;
        video = avcodec_alloc_context3(codec);
        if (!video)
            return kExportOutOfMemory;
        video->width = layout.width;
        video->height = layout.height;
        video->pix_fmt = AV_PIX_FMT_YUV420P;
        video->time_base = AVRational{1, layout.framesPerSecond};
        video->framerate = AVRational{layout.framesPerSecond, 1};
        video->max_b_frames = 0;
        video->thread_count = 1;
        video->gop_size = std::max(1, layout.keyFrameSeconds * layout.framesPerSecond);
        if (h264) {
            av_opt_set(video->priv_data, "preset", "veryfast", 0);
            av_opt_set(video->priv_data, "crf", "20", 0);
        } else {
            // Below quantiser 3 the encoder clips coefficients and the picture breaks up.
            video->qmin = 3;
            video->bit_rate = layout.videoBitRate;
        }
        if (format->oformat->flags & AVFMT_GLOBALHEADER)
            video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        if (avcodec_open2(video, codec, nullptr) < 0)
            return kExportFailed;
        if (avcodec_parameters_from_context(videoStream->codecpar, video) < 0)
            return kExportFailed;
        if (!h264)
            videoStream->codecpar->bit_rate = layout.videoBitRate;
        picture = av_frame_alloc();
        if (!picture)
            return kExportOutOfMemory;
        picture->format = AV_PIX_FMT_YUV420P;
        picture->width = layout.width;
        picture->height = layout.height;
        if (av_frame_get_buffer(picture, 0) < 0)
            return kExportOutOfMemory;
    }
    if (layout.container == "asf") {
        videoStream->codecpar->codec_tag = MKTAG('M', 'P', '4', '3');
        videoStream->codecpar->bits_per_coded_sample = 32;
        if (!layout.videoFormatData.empty()) {
            const std::size_t size = layout.videoFormatData.size();
            videoStream->codecpar->extradata =
                static_cast<std::uint8_t*>(av_mallocz(size + AV_INPUT_BUFFER_PADDING_SIZE));
            if (!videoStream->codecpar->extradata)
                return kExportOutOfMemory;
            std::copy(layout.videoFormatData.begin(), layout.videoFormatData.end(),
                      videoStream->codecpar->extradata);
            videoStream->codecpar->extradata_size = int(size);
        }
    }
    return kExportOk;
}

void MediaWriter::State::addChapters()
{
    // libavformat has no public way to make a chapter; it frees the ones it finds with av_freep.
    for (std::size_t i = 0; i < layout.chapters.size(); ++i) {
        auto* chapter = static_cast<AVChapter*>(av_mallocz(sizeof(AVChapter)));
        if (!chapter)
            return;
        chapter->id = std::int64_t(i);
        chapter->time_base = kMilliseconds;
        chapter->start = layout.chapters[i].startMs;
        chapter->end = i + 1 < layout.chapters.size() ? layout.chapters[i + 1].startMs : chapter->start + 1;
        chapter->end = std::max(chapter->end, chapter->start + 1);
        av_dict_set(&chapter->metadata, "title", layout.chapters[i].title.c_str(), 0);
        int count = int(format->nb_chapters);
        av_dynarray_add(&format->chapters, &count, chapter);
        if (!format->chapters)
            return;
        format->nb_chapters = unsigned(count);
    }
}

MediaWriter::MediaWriter() = default;
MediaWriter::~MediaWriter() = default;

ExportCode MediaWriter::open(const std::filesystem::path& path, const MediaLayout& layout)
{
    state_ = std::make_unique<State>();
    State& s = *state_;
    s.layout = layout;
    if (layout.framesPerSecond <= 0 || layout.width <= 0 || layout.height <= 0)
        return kExportInvalidArgument;
    s.frameMs = 1000 / layout.framesPerSecond;
    av_log_set_level(AV_LOG_ERROR);
    if (avformat_alloc_output_context2(&s.format, nullptr, layout.container.c_str(), path.string().c_str()) <
        0)
        return kExportFailed;
    s.packet = av_packet_alloc();
    if (!s.packet)
        return kExportOutOfMemory;
    // Audio is stream 1, video stream 2.
    ExportCode code = s.openAudio();
    if (code == kExportOk)
        code = s.openVideo();
    if (code != kExportOk)
        return code;
    s.addChapters();
    if (avio_open(&s.format->pb, path.string().c_str(), AVIO_FLAG_WRITE) < 0)
        return kExportFailed;
    if (avformat_write_header(s.format, nullptr) < 0)
        return kExportFailed;
    s.headerWritten = true;
    return kExportOk;
}

ExportCode MediaWriter::State::encodeAudio(bool flush)
{
    if (blockEncoder) {
        if (flush && !blockEncoder->finish(blockPackets))
            return kExportFailed;
        return writeBlockPackets();
    }
    const int frameSize = audio->frame_size > 0 ? audio->frame_size : 1024;
    const bool smallLast = audio->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME;
    while (av_audio_fifo_size(fifo) >= frameSize || (flush && av_audio_fifo_size(fifo) > 0)) {
        const int available = std::min(av_audio_fifo_size(fifo), frameSize);
        av_frame_unref(audioFrame);
        audioFrame->nb_samples = available < frameSize && !smallLast ? frameSize : available;
        audioFrame->format = audio->sample_fmt;
        audioFrame->sample_rate = audio->sample_rate;
        if (av_channel_layout_copy(&audioFrame->ch_layout, &audio->ch_layout) < 0 ||
            av_frame_get_buffer(audioFrame, 0) < 0)
            return kExportOutOfMemory;
        av_samples_set_silence(audioFrame->data, 0, audioFrame->nb_samples, audio->ch_layout.nb_channels,
                               audio->sample_fmt);
        if (av_audio_fifo_read(fifo, reinterpret_cast<void**>(audioFrame->data), available) != available)
            return kExportFailed;
        audioFrame->pts = audioPts;
        audioPts += audioFrame->nb_samples;
        if (avcodec_send_frame(audio, audioFrame) < 0)
            return kExportFailed;
        const ExportCode code = drain(audio, audioStream, false);
        if (code != kExportOk)
            return code;
    }
    return kExportOk;
}

ExportCode MediaWriter::writeAudio(const std::int16_t* samples, std::size_t count)
{
    State& s = *state_;
    if (!s.headerWritten)
        return kExportFailed;
    s.audioIn += count;
    const int out = swr_get_out_samples(s.resampler, int(count));
    std::uint8_t** planes = nullptr;
    if (av_samples_alloc_array_and_samples(&planes, nullptr, s.channels, std::max(out, 1), s.sampleFormat,
                                           0) < 0)
        return kExportOutOfMemory;
    const std::uint8_t* in = reinterpret_cast<const std::uint8_t*>(samples);
    const int converted = swr_convert(s.resampler, planes, out, count ? &in : nullptr, int(count));
    ExportCode code = converted < 0 ? kExportFailed : kExportOk;
    if (code == kExportOk && converted > 0) {
        if (s.blockEncoder) {
            if (!s.blockEncoder->encode(reinterpret_cast<const std::int16_t*>(planes[0]),
                                        std::size_t(converted), s.blockPackets))
                code = kExportFailed;
        } else if (av_audio_fifo_write(s.fifo, reinterpret_cast<void**>(planes), converted) != converted) {
            code = kExportOutOfMemory;
        }
    }
    av_freep(&planes[0]);
    av_freep(&planes);
    return code == kExportOk ? s.encodeAudio(false) : code;
}

ExportCode MediaWriter::writePicture(const std::uint32_t* pixels, std::int64_t ms)
{
    State& s = *state_;
    if (!s.headerWritten || !s.video || av_frame_make_writable(s.picture) < 0)
        return kExportFailed;
    pictureToYuv(pixels, s.layout.width, s.layout.height, s.picture);
    s.picture->pts = s.pictureIndex++;
    s.stamps.push_back(ms);
    if (avcodec_send_frame(s.video, s.picture) < 0)
        return kExportFailed;
    return s.drain(s.video, s.videoStream, true);
}

ExportCode MediaWriter::writeSample(const std::vector<std::uint8_t>& sample, std::int64_t ms,
                                    std::int64_t durationMs)
{
    State& s = *state_;
    if (!s.headerWritten || s.video || av_new_packet(s.packet, int(sample.size())) < 0)
        return kExportFailed;
    std::copy(sample.begin(), sample.end(), s.packet->data);
    s.packet->pts = s.packet->dts = ms;
    s.packet->duration = durationMs;
    s.packet->flags |= AV_PKT_FLAG_KEY;
    s.packet->stream_index = s.videoStream->index;
    av_packet_rescale_ts(s.packet, kMilliseconds, s.videoStream->time_base);
    return av_interleaved_write_frame(s.format, s.packet) < 0 ? kExportFailed : kExportOk;
}

ExportCode MediaWriter::finish()
{
    State& s = *state_;
    if (!s.headerWritten)
        return kExportFailed;
    ExportCode code = kExportOk;
    if (s.video) {
        if (avcodec_send_frame(s.video, nullptr) < 0)
            return kExportFailed;
        code = s.drain(s.video, s.videoStream, true);
    }
    if (code == kExportOk) {
        const std::int16_t none = 0;
        code = writeAudio(&none, 0);
    }
    if (code == kExportOk)
        code = s.encodeAudio(true);
    if (code == kExportOk && s.audio) {
        if (avcodec_send_frame(s.audio, nullptr) < 0)
            return kExportFailed;
        code = s.drain(s.audio, s.audioStream, false);
    }
    if (code == kExportOk && av_write_trailer(s.format) < 0)
        code = kExportFailed;
    if (avio_closep(&s.format->pb) < 0 && code == kExportOk)
        code = kExportFailed;
    s.headerWritten = false;
    return code;
}

std::uint64_t MediaWriter::audioSamplesWritten() const
{
    return state_ ? state_->audioIn : 0;
}
