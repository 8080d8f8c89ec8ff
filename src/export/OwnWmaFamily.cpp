// Our WMA version 2 encoder as one of the export's audio encoder families.
#include "export/AudioFormats.h"

#include "WMA/CWmaEncoder.h"
#include "WMA/WmaFormat.h"

namespace {

class OwnWmaEncoder : public AudioBlockEncoder {
public:
    bool open(const WmaFormat& format) { return encoder_.open(format); }

    bool encode(const std::int16_t* samples, std::size_t frames,
                std::vector<EncodedAudioPacket>& out) override
    {
        packets_.clear();
        encoder_.encode(samples, frames, packets_);
        return take(out);
    }
    bool finish(std::vector<EncodedAudioPacket>& out) override
    {
        packets_.clear();
        encoder_.finish(packets_);
        return take(out);
    }
    std::vector<std::uint8_t> formatExtra() const override { return wmaExtraData(); }

private:
    bool take(std::vector<EncodedAudioPacket>& out)
    {
        const std::size_t blockAlign = encoder_.format().blockAlign;
        for (WmaPacket& packet : packets_) {
            if (packet.data.size() != blockAlign)
                return false;
            out.push_back({std::move(packet.data), packet.pts, packet.samples});
        }
        return true;
    }

    CWmaEncoder encoder_;
    std::vector<WmaPacket> packets_;
};

bool toWmaFormat(const AudioFormat& format, WmaFormat& wma)
{
    if (format.tag != kWmaV2FormatTag || format.sampleRate <= 0 || format.bitRate <= 0)
        return false;
    for (const WmaFormat& row : wmaFormatList())
        if (row.sampleRate == std::uint32_t(format.sampleRate) && row.channels == format.channels &&
            row.bitRate == std::uint32_t(format.bitRate) && row.blockAlign == format.blockAlign) {
            wma = row;
            return true;
        }
    return false;
}

class OwnWmaFamily : public AudioEncoderFamily {
public:
    std::vector<AudioFormat> formats(std::int32_t tag, std::int32_t sampleRate, std::int32_t channels,
                                     std::int32_t wantedBitRate) const override
    {
        std::vector<AudioFormat> found;
        if (tag != kWmaV2FormatTag)
            return found;
        // The list is what the encoder announces, as a codec driver lists its formats; the search
        // picks the exact rate from it.
        for (const WmaFormat& row : wmaFormatList())
            if (std::int32_t(row.sampleRate) == sampleRate && row.channels == channels &&
                std::int32_t(row.bitRate) == wantedBitRate)
                found.push_back(AudioFormat{tag, sampleRate, channels, std::int32_t(row.avgBytesPerSec() * 8),
                                            row.blockAlign, "wma", std::int64_t(row.bitRate)});
        return found;
    }

    std::unique_ptr<AudioBlockEncoder> makeEncoder(const AudioFormat& format) const override
    {
        WmaFormat wma;
        auto encoder = std::make_unique<OwnWmaEncoder>();
        if (!toWmaFormat(format, wma) || !encoder->open(wma))
            return nullptr;
        return encoder;
    }
};

} // namespace

std::unique_ptr<AudioEncoderFamily> makeOwnWmaAudioFamily()
{
    return std::make_unique<OwnWmaFamily>();
}
