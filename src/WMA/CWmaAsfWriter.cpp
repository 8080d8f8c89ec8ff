#include "WMA/CWmaAsfWriter.h"

#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

namespace {

std::string avText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof(text));
    return text;
}

} // namespace

CWmaAsfWriter::~CWmaAsfWriter()
{
    close();
}

void CWmaAsfWriter::close()
{
    if (!context_)
        return;
    if (context_->pb)
        avio_closep(&context_->pb);
    avformat_free_context(context_);
    context_ = nullptr;
    headerWritten_ = false;
}

bool CWmaAsfWriter::open(const std::filesystem::path& path, const WmaFormat& format, std::string& error)
{
    close();
    const std::string name = path.string();
    int code = avformat_alloc_output_context2(&context_, nullptr, "asf", name.c_str());
    if (code < 0 || !context_) {
        error = "cannot set up the ASF writer: " + avText(code);
        context_ = nullptr;
        return false;
    }
    AVStream* stream = avformat_new_stream(context_, nullptr);
    if (!stream) {
        error = "cannot add the audio stream";
        close();
        return false;
    }
    AVCodecParameters* par = stream->codecpar;
    par->codec_type = AVMEDIA_TYPE_AUDIO;
    par->codec_id = AV_CODEC_ID_WMAV2;
    par->codec_tag = kWmaV2FormatTag;
    par->sample_rate = int(format.sampleRate);
    av_channel_layout_default(&par->ch_layout, format.channels);
    par->bit_rate = format.bitRate;
    par->block_align = format.blockAlign;
    par->bits_per_coded_sample = 16;
    const std::vector<std::uint8_t> extra = wmaExtraData();
    par->extradata = static_cast<std::uint8_t*>(av_mallocz(extra.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!par->extradata) {
        error = "out of memory";
        close();
        return false;
    }
    std::memcpy(par->extradata, extra.data(), extra.size());
    par->extradata_size = int(extra.size());
    stream->time_base = AVRational{1, int(format.sampleRate)};
    sampleRate_ = int(format.sampleRate);

    code = avio_open(&context_->pb, name.c_str(), AVIO_FLAG_WRITE);
    if (code < 0) {
        error = "cannot create " + name + ": " + avText(code);
        close();
        return false;
    }
    code = avformat_write_header(context_, nullptr);
    if (code < 0) {
        error = "cannot write the ASF header: " + avText(code);
        close();
        return false;
    }
    headerWritten_ = true;
    return true;
}

bool CWmaAsfWriter::write(const WmaPacket& packet, std::string& error)
{
    if (!headerWritten_) {
        error = "the ASF writer is not open";
        return false;
    }
    AVPacket* pkt = av_packet_alloc();
    if (!pkt || av_new_packet(pkt, int(packet.data.size())) < 0) {
        av_packet_free(&pkt);
        error = "out of memory";
        return false;
    }
    std::memcpy(pkt->data, packet.data.data(), packet.data.size());
    AVStream* stream = context_->streams[0];
    const AVRational rate{1, sampleRate_};
    pkt->pts = av_rescale_q(packet.pts, rate, stream->time_base);
    pkt->dts = pkt->pts;
    pkt->duration = av_rescale_q(packet.samples, rate, stream->time_base);
    pkt->stream_index = 0;
    pkt->flags |= AV_PKT_FLAG_KEY;
    const int code = av_write_frame(context_, pkt);
    av_packet_free(&pkt);
    if (code < 0) {
        error = "cannot write a packet: " + avText(code);
        return false;
    }
    return true;
}

bool CWmaAsfWriter::finish(std::string& error)
{
    if (!headerWritten_) {
        error = "the ASF writer is not open";
        return false;
    }
    const int code = av_write_trailer(context_);
    const bool ok = code >= 0 && !context_->pb->error;
    close();
    if (!ok)
        error = "cannot finish the ASF file: " + avText(code);
    return ok;
}
