#include "timeline/WavVoiceReader.h"

#include <algorithm>
#include <cstdint>

bool CWavVoiceReader::open(const std::filesystem::path& path, VoiceFormat& format, std::uint32_t& dataBytes)
{
    if (file_.open(path) != kWavOk || file_.startData() != kWavOk) {
        file_.close();
        return false;
    }
    const WavFormat& wav = file_.format();
    format = {wav.formatTag, wav.channels, wav.samplesPerSec, wav.bitsPerSample};
    dataBytes = file_.dataSize();
    return true;
}

bool CWavVoiceReader::read(void* buffer, std::size_t bytes)
{
    auto* to = static_cast<std::uint8_t*>(buffer);
    while (bytes > 0 && file_.remaining() > 0) {
        const auto part = std::uint32_t(std::min<std::size_t>(bytes, UINT32_MAX));
        std::uint32_t got = 0;
        if (file_.read(to, part, got) != kWavOk)
            return false;
        to += got;
        bytes -= got;
    }
    return true;
}

bool CWavVoiceReader::seek(std::uint32_t offset)
{
    return file_.seekData(offset) == kWavOk;
}
