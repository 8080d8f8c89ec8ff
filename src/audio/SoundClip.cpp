#include "audio/SoundClip.h"

#include "Common/TempFile.h"

#include <climits>
#include <cstdio>

std::string soundClipName(const std::filesystem::path& source)
{
    return source.stem().string();
}

int prepareSoundClip(const std::filesystem::path& source, SoundClipEntry& entry,
                     const ConversionProgress& progress)
{
    ScopedTempFile converted("wav");
    if (!converted.valid())
        return kWavCannotWrite;
    if (const int code = convertVoice(converted.path(), source, progress); code != kWavOk)
        return code;
    CWavReader reader;
    int code = reader.open(converted.path());
    if (code == kWavOk)
        code = reader.startData();
    if (code == kWavOk && reader.dataSize() / 2 > std::uint32_t(INT32_MAX))
        code = kWavBadFormat;
    if (code != kWavOk)
        return code;
    entry.name = soundClipName(source);
    entry.samples = std::int32_t(reader.dataSize() / 2);
    reader.close();
    entry.file = converted.release();
    return kWavOk;
}

std::string durationText(std::int64_t samples)
{
    const std::int64_t totalSeconds = samples > 0 ? samples / 16000 : 0;
    const std::int64_t minutes = totalSeconds / 60;
    const std::int64_t seconds = totalSeconds % 60;
    char text[48];
    if (minutes / 60 == 0)
        std::snprintf(text, sizeof text, "%02lld : %02lld", static_cast<long long>(minutes),
                      static_cast<long long>(seconds));
    else
        std::snprintf(text, sizeof text, "%02lld : %02lld : %02lld", static_cast<long long>(minutes / 60),
                      static_cast<long long>(minutes % 60), static_cast<long long>(seconds));
    return text;
}
