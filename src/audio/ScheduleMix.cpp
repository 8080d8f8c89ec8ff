#include "audio/ScheduleMix.h"

#include <algorithm>
#include <system_error>
#include <vector>

namespace {

constexpr std::size_t kStepSamples = std::size_t(kMixStepMs) * 16;

class MixWriter {
public:
    MixWriter(const VoiceChunkReader& voice, CEventSequencer& schedule) : voice_(voice), schedule_(schedule)
    {
    }
    int writeStep(std::int32_t time, std::size_t bytesDue);
    CWavWriter file;

private:
    const VoiceChunkReader& voice_;
    CEventSequencer& schedule_;
    std::vector<std::uint8_t> voiceBytes_ = std::vector<std::uint8_t>(kStepSamples * 2);
    std::vector<std::int16_t> voiceSamples_ = std::vector<std::int16_t>(kStepSamples);
    std::vector<std::int16_t> clipSamples_;
    std::vector<std::int16_t> mixed_;
    std::vector<std::uint8_t> out_;
};

void toSamples(const std::uint8_t* bytes, std::size_t count, std::vector<std::int16_t>& samples)
{
    samples.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = std::int16_t(std::uint16_t(bytes[2 * i] | bytes[2 * i + 1] << 8));
}

int MixWriter::writeStep(std::int32_t time, std::size_t bytesDue)
{
    schedule_.setTime(time);
    SoundSlice slice;
    if (!schedule_.nextSoundSlice(kMixStepMs, slice))
        return kWavCannotOpen;
    std::fill(voiceBytes_.begin(), voiceBytes_.end(), 0);
    if (!voice_(voiceBytes_.data(), voiceBytes_.size()))
        return kWavTruncatedData;
    toSamples(voiceBytes_.data(), kStepSamples, voiceSamples_);
    toSamples(slice.bytes.data(), slice.bytes.size() / 2, clipSamples_);
    if (!CEventSequencer::mix(voiceSamples_.data(), voiceSamples_.size(), clipSamples_.data(),
                              clipSamples_.size(), kMixStepMs, slice.volume, mixed_))
        return kWavOutOfMemory;
    const std::size_t count = std::min(bytesDue, mixed_.size() * 2);
    out_.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        out_[i] = std::uint8_t(std::uint16_t(mixed_[i / 2]) >> (8 * (i & 1)));
    return file.write(out_.data(), out_.size());
}

} // namespace

int writeScheduleMix(const VoiceChunkReader& voice, CEventSequencer& schedule, std::int32_t fromMs,
                     std::uint32_t samples, const std::filesystem::path& destination,
                     const ConversionProgress& progress)
{
    MixWriter mix(voice, schedule);
    int code = mix.file.create(destination, voiceFormat());
    const std::uint64_t total = std::uint64_t(samples) * 2;
    std::uint64_t written = 0;
    for (std::int64_t time = fromMs; code == kWavOk && written < total; time += kMixStepMs) {
        const std::uint64_t step = std::min<std::uint64_t>(total - written, kStepSamples * 2);
        code = time > INT32_MAX ? kWavCannotWrite : mix.writeStep(std::int32_t(time), std::size_t(step));
        written += step;
        if (code == kWavOk && progress && !progress(written, total))
            code = kWavCannotOpen;
    }
    return mix.file.finishOrRemove(code, samples, destination);
}
