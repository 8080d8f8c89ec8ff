#include "export/ExportProfile.h"

#include "export/ByteOrder.h"

ExportCode buildProfile(const AudioSettings& audio, const std::vector<VideoStreamSettings>& video,
                        std::int32_t scriptBitRate, const std::vector<const AudioEncoderFamily*>& families,
                        ExportProfile& profile)
{
    profile = ExportProfile();
    if (video.size() > kMaxVideoStreams)
        return kExportInvalidArgument;
    // The audio stream is made first, so a missing audio format is what the user hears of first.
    const ExportCode found = findAudioFormat(families, audio.tag, audio.sampleRate, audio.channels,
                                             audio.bitRate, !video.empty(), profile.audio);
    if (found != kExportOk)
        return found;
    for (const VideoStreamSettings& stream : video) {
        const std::size_t total = stream.formatData.empty() ? 0 : stream.formatData.size() + 8;
        if (total > kMaxFormatData || stream.width <= 0 || stream.height <= 0 || stream.framesPerSecond <= 0)
            return kExportInvalidArgument;
    }
    profile.video = video;
    profile.scriptBitRate = scriptBitRate;
    return kExportOk;
}

std::vector<std::uint8_t> monoChunk(const std::vector<std::uint8_t>& data)
{
    std::vector<std::uint8_t> chunk;
    if (data.empty())
        return chunk;
    putTag(chunk, "MONO");
    putLe32(chunk, std::uint32_t(data.size()));
    putBytes(chunk, data);
    return chunk;
}

std::vector<std::uint8_t> bitmapHeader(const VideoStreamSettings& stream)
{
    const std::vector<std::uint8_t> chunk = monoChunk(stream.formatData);
    std::vector<std::uint8_t> header;
    putLe32(header, std::uint32_t(kBitmapHeaderSize + chunk.size()));
    putLe32(header, std::uint32_t(stream.width));
    putLe32(header, std::uint32_t(stream.height));
    putLe16(header, 1);
    putLe16(header, 32);
    putTag(header, "MP43");
    putLe32(header, std::uint32_t(stream.width) * std::uint32_t(stream.height) * 4);
    putLe32(header, 0);
    putLe32(header, 0);
    putLe32(header, 0);
    putLe32(header, 0);
    putBytes(header, chunk);
    return header;
}
