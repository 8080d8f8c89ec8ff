// Hostile WAV files along the encoder's input path (the reader, the mono mix, the resampler) into
// every format of the encoder: each superframe must be whole, carry a header a decoder accepts and
// account for its samples; and the raw bytes read as superframe headers must never be misread.
#include "Common/TempFile.h"
#include "WMA/CWmaEncoder.h"
#include "WMA/WmaResampler.h"
#include "WMA/WmaSuperframe.h"
#include "audio/VoiceConversion.h"
#include "audio/WavFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<WmaFormat>& formats = wmaFormatList();
    const WmaFormat& format = formats[size > 0 ? data[size - 1] % formats.size() : 0];
    const WmaLayout layout(format);
    WmaSuperframeHeader header;
    if (readWmaSuperframe(layout, data, size, header) &&
        (header.frames < 1 || header.frames > 15 || header.bitOffset > format.blockAlign * 8))
        std::abort();

    static ScopedTempFile file("wmafuzz");
    if (!file.valid())
        return 0;
    if (std::FILE* out = std::fopen(file.path().c_str(), "wb")) {
        if (size > 0)
            std::fwrite(data, 1, size, out);
        std::fclose(out);
    }
    CWavReader reader;
    if (reader.open(file.path()) != kWavOk || reader.startData() != kWavOk)
        return 0;
    const WavFormat wav = reader.format();
    if (wav.samplesPerSec < kWmaMinInputRate || wav.samplesPerSec > kWmaMaxInputRate || wav.blockAlign == 0)
        return 0;
    std::vector<std::uint8_t> buffer(std::size_t(wav.blockAlign) * 256);
    std::vector<std::int16_t> mono;
    std::uint32_t got = 0;
    while (mono.size() < 20000 && reader.read(buffer.data(), std::uint32_t(buffer.size()), got) == kWavOk &&
           got > 0)
        if (!appendMono16(buffer.data(), got / wav.blockAlign, wav, mono))
            return 0;
    std::vector<std::int16_t> pcm = wmaResample(mono, 1, int(wav.samplesPerSec), int(format.sampleRate));
    if (format.channels == 2) {
        std::vector<std::int16_t> stereo;
        for (std::int16_t s : pcm) {
            stereo.push_back(s);
            stereo.push_back(std::int16_t(-s));
        }
        pcm.swap(stereo);
    }
    CWmaEncoder encoder;
    if (!encoder.open(format))
        std::abort();
    std::vector<WmaPacket> packets;
    encoder.encode(pcm.data(), pcm.size() / format.channels, packets);
    encoder.finish(packets);
    std::int64_t pts = 0;
    for (std::size_t i = 0; i < packets.size(); ++i) {
        const WmaPacket& p = packets[i];
        if (p.data.size() != format.blockAlign || p.pts != pts ||
            !readWmaSuperframe(layout, p.data.data(), p.data.size(), header) || header.index != int(i % 16) ||
            header.frames > 15)
            std::abort();
        pts += p.samples;
    }
    const std::int64_t frames = std::int64_t(pcm.size() / format.channels);
    if (pts - layout.frameLen < frames || pts - layout.frameLen > frames + layout.frameLen)
        std::abort();
    return 0;
}
