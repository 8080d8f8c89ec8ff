#include "audio/VoiceConversion.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <system_error>

namespace {

constexpr std::uint32_t kVoiceRate = 16000;
constexpr std::uint32_t kSecondsPerBlock = 60;
constexpr std::size_t kProgressStep = 1600;
constexpr std::size_t kFramesPerRead = 4096;
// Rates beyond any real recording would make the one-minute blocks absurdly large.
constexpr std::uint32_t kMaxSourceRate = 384000;

bool supportedLayout(const WavFormat& format)
{
    const unsigned bytes = format.bitsPerSample / 8u;
    const bool width = format.bitsPerSample == 8 || format.bitsPerSample == 16 || format.bitsPerSample == 32;
    return width && (format.channels == 1 || format.channels == 2) &&
           format.blockAlign >= bytes * format.channels && format.samplesPerSec <= kMaxSourceRate;
}

std::int32_t sampleAt(const std::uint8_t* p, unsigned bits)
{
    switch (bits) {
    case 8:
        return p[0];
    case 16:
        return std::int16_t(std::uint16_t(p[0] | p[1] << 8));
    default:
        return std::int32_t(std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
                            std::uint32_t(p[3]) << 24);
    }
}

std::int16_t mixFrame(const std::uint8_t* frame, unsigned bits, unsigned channels)
{
    const std::int32_t left = sampleAt(frame, bits);
    if (bits == 32)
        return std::int16_t(left >> 16); // the right channel does not take part at this width
    if (bits == 8) {
        if (channels == 1)
            return std::int16_t((left - 128) * 256);
        return std::int16_t(((left + sampleAt(frame + 1, 8) - 256) * 256) / 2);
    }
    if (channels == 1)
        return std::int16_t(left);
    return std::int16_t((left + sampleAt(frame + 2, 16)) / 2);
}

// Reports progress across [from, to] at every kProgressStep-th of `count` steps.
class ProgressSpan {
public:
    ProgressSpan(const ConversionProgress& progress, std::uint64_t total) : progress_(progress), total_(total)
    {
    }
    bool at(std::uint64_t from, std::uint64_t to, std::size_t index, std::size_t count) const
    {
        if (!progress_ || index % kProgressStep != 0 || count == 0)
            return true;
        return progress_(from + (to - from) * index / count, total_);
    }

private:
    const ConversionProgress& progress_;
    std::uint64_t total_;
};

class Conversion {
public:
    Conversion(const ConversionProgress& progress) : progress_(progress) {}
    int run(const std::filesystem::path& destination, const std::filesystem::path& source);

private:
    int prepare(const std::filesystem::path& destination, const std::filesystem::path& source);
    int convertBlock();
    int readMonoBlock(std::uint64_t blockStart, std::uint64_t blockEnd, std::uint64_t& consumed);

    const ConversionProgress& progress_;
    CWavReader reader_;
    CWavWriter writer_;
    bool writerOpen_ = false;
    WavFormat format_;
    double ratio_ = 1.0;
    std::uint64_t blockBytes_ = 0;
    std::uint64_t consumed_ = 0;
    std::uint64_t written_ = 0;
    std::vector<std::uint8_t> raw_;
    std::vector<std::int16_t> mono_;
    std::vector<std::int16_t> resampled_;
};

int Conversion::prepare(const std::filesystem::path& destination, const std::filesystem::path& source)
{
    if (int code = reader_.open(source); code != kWavOk)
        return code;
    if (int code = reader_.startData(); code != kWavOk)
        return code;
    format_ = reader_.format();
    WavFormat output = voiceFormat();
    output.formatTag = format_.formatTag;
    const int code = writer_.create(destination, output);
    writerOpen_ = true;
    if (code != kWavOk)
        return code;
    if (!supportedLayout(format_))
        return kWavCannotOpen;
    ratio_ = resampleRatio(format_.samplesPerSec);
    // One minute of source; rate x frame size equals the declared byte rate of any sound file, and
    // unlike that field it cannot be zero or split a frame.
    blockBytes_ = std::uint64_t(format_.samplesPerSec) * format_.blockAlign * kSecondsPerBlock;
    try {
        raw_.resize(std::size_t(format_.blockAlign) * kFramesPerRead);
        mono_.reserve(std::size_t(format_.samplesPerSec) * kSecondsPerBlock);
        resampled_.reserve(std::size_t(double(mono_.capacity()) / ratio_) + 2);
    } catch (const std::bad_alloc&) {
        return kWavOutOfMemory;
    }
    return kWavOk;
}

int Conversion::readMonoBlock(std::uint64_t blockStart, std::uint64_t blockEnd, std::uint64_t& consumed)
{
    const ProgressSpan span(progress_, reader_.dataSize());
    const std::size_t framesWanted = std::size_t(blockBytes_ / format_.blockAlign);
    mono_.clear();
    while (mono_.size() < framesWanted && reader_.remaining() > 0) {
        const std::size_t frames = std::min(kFramesPerRead, framesWanted - mono_.size());
        std::uint32_t got = 0;
        if (int code = reader_.read(raw_.data(), std::uint32_t(frames * format_.blockAlign), got);
            code != kWavOk)
            return code;
        consumed += got;
        const std::size_t first = mono_.size();
        appendMono16(raw_.data(), got / format_.blockAlign, format_, mono_);
        for (std::size_t i = first; i < mono_.size(); ++i)
            if (!span.at(blockStart, blockEnd, i, framesWanted))
                return kWavCannotOpen;
    }
    return kWavOk;
}

int Conversion::convertBlock()
{
    const std::uint64_t before = consumed_;
    const std::uint64_t after = before + std::min<std::uint64_t>(blockBytes_, reader_.remaining());
    const bool resampling = format_.samplesPerSec != kVoiceRate;
    const std::uint64_t middle = resampling ? before + (after - before) / 2 : after;
    if (int code = readMonoBlock(before, middle, consumed_); code != kWavOk)
        return code;
    const std::vector<std::int16_t>* out = &mono_;
    if (resampling) {
        resampleBlock(mono_, ratio_, resampled_);
        const ProgressSpan span(progress_, reader_.dataSize());
        for (std::size_t i = 0; i < resampled_.size(); i += kProgressStep)
            if (!span.at(middle, after, i, resampled_.size()))
                return kWavCannotOpen;
        out = &resampled_;
    }
    written_ += out->size() * 2;
    std::vector<std::uint8_t> bytes(out->size() * 2);
    for (std::size_t i = 0; i < out->size(); ++i) {
        bytes[2 * i] = std::uint8_t(std::uint16_t((*out)[i]));
        bytes[2 * i + 1] = std::uint8_t(std::uint16_t((*out)[i]) >> 8);
    }
    return writer_.write(bytes.data(), bytes.size());
}

int Conversion::run(const std::filesystem::path& destination, const std::filesystem::path& source)
{
    int code = prepare(destination, source);
    while (code == kWavOk && reader_.remaining() >= format_.blockAlign)
        code = convertBlock();
    reader_.close();
    if (!writerOpen_)
        return code;
    return writer_.finishOrRemove(code, std::uint32_t(written_ / 2), destination);
}

} // namespace

int convertVoice(const std::filesystem::path& destination, const std::filesystem::path& source,
                 const ConversionProgress& progress)
{
    // Creating the destination would empty the source before a byte of it was read.
    std::error_code error;
    if (std::filesystem::equivalent(destination, source, error))
        return kWavCannotWrite;
    Conversion conversion(progress);
    return conversion.run(destination, source);
}

int progressPerMille(std::uint64_t position, std::uint64_t total)
{
    if (total == 0)
        return 1000;
    const std::uint64_t value = total < 1000 ? position * 1000 / total : position / (total / 1000);
    return int(std::min<std::uint64_t>(value, 1000));
}

bool appendMono16(const std::uint8_t* frames, std::size_t frameCount, const WavFormat& format,
                  std::vector<std::int16_t>& out)
{
    if (!supportedLayout(format))
        return false;
    for (std::size_t i = 0; i < frameCount; ++i)
        out.push_back(mixFrame(frames + i * format.blockAlign, format.bitsPerSample, format.channels));
    return true;
}

double resampleRatio(std::uint32_t sourceRate)
{
    return sourceRate * 0.0000625;
}

void resampleBlock(const std::vector<std::int16_t>& in, double ratio, std::vector<std::int16_t>& out)
{
    const std::size_t n = in.size();
    out.clear();
    if (ratio == 1.0 || n == 0) {
        out = in;
        return;
    }
    const auto m = std::size_t(double(n) / ratio);
    out.resize(m);
    if (m == 0)
        return;
    if (ratio > 1.0) {
        for (std::size_t i = 0; i < m; ++i)
            out[i] = in[std::min(std::size_t(ratio * double(i)), n - 1)];
        return;
    }
    const double step = 1.0 / ratio;
    out[0] = in[0];
    std::size_t q = 0;
    std::size_t k = 1;
    for (; k < n; ++k) {
        const auto p = std::size_t(step * double(k));
        if (p >= m)
            break;
        out[p] = in[k];
        const int delta = (int(in[k]) - int(in[k - 1])) / int(p - q);
        for (std::size_t j = 1; j < p - q; ++j)
            out[q + j] = std::int16_t(in[k - 1] + int(j) * delta);
        q = p;
    }
    // Positions after the last source sample hold that sample rather than whatever the buffer had.
    std::fill(out.begin() + std::ptrdiff_t(q) + 1, out.end(), in[k - 1]);
}
