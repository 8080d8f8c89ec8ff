// Hostile WAV files: the reader must refuse or read them without touching memory it does not own, and
// whatever it accepts must survive the mixing and resampling arithmetic.
#include "audio/EventSequencer.h"
#include "Common/TempFile.h"
#include "audio/VoiceConversion.h"
#include "audio/WavFile.h"

#include <cstdint>
#include <cstdio>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static ScopedTempFile file("wavfuzz");
    if (!file.valid())
        return 0;
    if (std::FILE* out = std::fopen(file.path().c_str(), "wb")) {
        if (size > 0)
            std::fwrite(data, 1, size, out);
        std::fclose(out);
    }
    // The same file as a looping clip: seeks anywhere in its data, wraps at its end.
    CEventSequencer schedule;
    schedule.addSound(file.path(), 100, 0, 1000);
    for (const std::int32_t t : {0, 40, 7, 995, 1000}) {
        schedule.setTime(t);
        SoundSlice slice;
        schedule.nextSoundSlice(40, slice);
    }
    CWavReader reader;
    if (reader.open(file.path()) != kWavOk || reader.startData() != kWavOk)
        return 0;
    const WavFormat format = reader.format();
    std::vector<std::uint8_t> buffer(4096);
    std::vector<std::int16_t> mono;
    std::uint32_t got = 0;
    if (size > 0 && reader.seekData(data[size - 1] * 3u) == kWavOk)
        reader.read(buffer.data(), 16, got);
    reader.seekData(0);
    while (reader.read(buffer.data(), std::uint32_t(buffer.size()), got) == kWavOk && got > 0)
        appendMono16(buffer.data(), got / format.blockAlign, format, mono);
    if (mono.size() <= 4096) {
        std::vector<std::int16_t> resampled;
        resampleBlock(mono, resampleRatio(format.samplesPerSec), resampled);
    }
    return 0;
}
