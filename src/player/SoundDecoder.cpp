#include "player/SoundDecoder.h"

#include "player/AnimationFile.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <algorithm>

bool SoundDecoder::open(const AVCodecParameters& parameters)
{
    const AVCodec* codec = avcodec_find_decoder(parameters.codec_id);
    decoder_.context = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (!decoder_.context || avcodec_parameters_to_context(decoder_.context, &parameters) < 0 ||
        avcodec_open2(decoder_.context, codec, nullptr) < 0)
        return false;
    AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
    return swr_alloc_set_opts2(&resampler_.context, &mono, AV_SAMPLE_FMT_S16, kPlayerVoiceRate,
                               &decoder_.context->ch_layout, decoder_.context->sample_fmt,
                               decoder_.context->sample_rate, 0, nullptr) == 0 &&
           swr_init(resampler_.context) == 0;
}

bool SoundDecoder::decode(const AVPacket* packet, std::vector<std::int16_t>& voice)
{
    if (avcodec_send_packet(decoder_.context, packet) < 0)
        return false;
    for (;;) {
        const int received = avcodec_receive_frame(decoder_.context, frame_.frame);
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
            return true;
        if (received < 0)
            return false;
        if (!convert(frame_.frame->extended_data, frame_.frame->nb_samples, voice))
            return false;
    }
}

bool SoundDecoder::finish(std::vector<std::int16_t>& voice)
{
    return decode(nullptr, voice) && convert(nullptr, 0, voice);
}

bool SoundDecoder::convert(std::uint8_t** in, int count, std::vector<std::int16_t>& voice)
{
    const int room = swr_get_out_samples(resampler_.context, count);
    if (room < 0)
        return false;
    const std::size_t at = voice.size();
    voice.resize(at + std::size_t(room));
    auto* out = reinterpret_cast<std::uint8_t*>(voice.data() + at);
    const int made = swr_convert(resampler_.context, &out, room, const_cast<const std::uint8_t**>(in), count);
    voice.resize(at + std::size_t(std::max(made, 0)));
    return made >= 0;
}
