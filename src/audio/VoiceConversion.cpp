#include "audio/VoiceConversion.h"

#include "audio/AntiAliasDecimator.h"
#include "audio/AudioDecoder.h"
#include "audio/MonoSource.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <optional>
#include <system_error>

namespace {

constexpr std::uint32_t kSecondsPerBlock = 60;
constexpr std::size_t kProgressStep = 1600;
constexpr std::size_t kFramesPerRead = 4096;

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

// The samples of a PCM WAV file in a layout the arithmetic above knows.
class CWavMonoSource final : public IMonoSource {
public:
    int open(const std::filesystem::path& path)
    {
        int code = reader_.open(path);
        if (code == kWavOk)
            code = reader_.startData();
        if (code == kWavOk && supportedLayout(reader_.format()))
            raw_.resize(std::size_t(reader_.format().blockAlign) * kFramesPerRead);
        return code;
    }
    bool known() const { return !raw_.empty(); }

    std::uint32_t rate() const override { return reader_.format().samplesPerSec; }
    int read(std::vector<std::int16_t>& out, std::size_t wanted) override
    {
        const WavFormat& format = reader_.format();
        const std::size_t frames = std::min(kFramesPerRead, wanted);
        std::uint32_t got = 0;
        const int code = reader_.read(raw_.data(), std::uint32_t(frames * format.blockAlign), got);
        if (code == kWavOk)
            appendMono16(raw_.data(), got / format.blockAlign, format, out);
        return code;
    }
    bool ended() const override { return reader_.remaining() < reader_.format().blockAlign; }
    std::uint64_t position() const override { return reader_.dataSize() - reader_.remaining(); }
    std::uint64_t total() const override { return reader_.dataSize(); }

private:
    CWavReader reader_;
    std::vector<std::uint8_t> raw_;
};

// Reads one minute of source at a time and writes its 16 kHz samples. Above 16 kHz each block is
// filtered as part of one continuous stream: `pending_` keeps the filter's reach of samples before the
// block (its history) and after it (read ahead of the next block), so block edges leave no trace.
class Conversion {
public:
    explicit Conversion(const ConversionProgress& progress) : progress_(progress) {}
    int run(const std::filesystem::path& destination, const std::filesystem::path& source);
    const std::string& reason() const { return reason_; }

private:
    int openSource(const std::filesystem::path& source);
    int prepare(const std::filesystem::path& destination);
    int fill(std::size_t target, std::uint64_t before, std::uint64_t& middle);
    void edgeSamples();
    int convertBlock();
    int write(const std::int16_t* samples, std::size_t count);
    bool report(std::uint64_t position);
    int failed(int code);

    const ConversionProgress& progress_;
    std::unique_ptr<IMonoSource> source_;
    CWavWriter writer_;
    bool writerOpen_ = false;
    std::optional<CAntiAliasDecimator> decimator_;
    double ratio_ = 1.0;
    std::size_t blockFrames_ = 0;
    std::size_t reach_ = 0;
    bool primed_ = false;
    bool padded_ = false;
    bool done_ = false;
    bool cancelled_ = false;
    std::uint64_t written_ = 0;
    std::uint64_t reported_ = 0;
    std::vector<std::int16_t> pending_;
    std::vector<std::int16_t> resampled_;
    std::vector<std::uint8_t> bytes_;
    std::string reason_;
};

int Conversion::openSource(const std::filesystem::path& source)
{
    auto wav = std::make_unique<CWavMonoSource>();
    const int wavCode = wav->open(source);
    if (wavCode == kWavOk && wav->known()) {
        source_ = std::move(wav);
        return kWavOk;
    }
    wav.reset();
    auto decoder = std::make_unique<CAudioDecoder>();
    const int code = decoder->open(source);
    if (code == kWavOk) {
        source_ = std::move(decoder);
        return kWavOk;
    }
    reason_ = decoder->reason();
    // A file neither reader understands keeps the WAV reader's word for what is wrong with it.
    return wavCode != kWavOk ? wavCode : code;
}

int Conversion::prepare(const std::filesystem::path& destination)
{
    const int code = writer_.create(destination, voiceFormat());
    writerOpen_ = true;
    if (code != kWavOk)
        return code;
    const std::uint32_t rate = source_->rate();
    ratio_ = resampleRatio(rate);
    blockFrames_ = std::size_t(rate) * kSecondsPerBlock;
    try {
        if (ratio_ > 1.0) {
            decimator_.emplace(rate);
            reach_ = decimator_->reach();
        }
        pending_.reserve(blockFrames_ + 2 * reach_ + kFramesPerRead);
        resampled_.reserve(std::size_t(double(blockFrames_) / ratio_) + 2);
        bytes_.reserve(2 * (ratio_ == 1.0 ? blockFrames_ : resampled_.capacity()));
    } catch (const std::bad_alloc&) {
        return kWavOutOfMemory;
    }
    return kWavOk;
}

bool Conversion::report(std::uint64_t position)
{
    reported_ = std::max(reported_, std::min(position, source_->total()));
    cancelled_ = progress_ && !progress_(reported_, source_->total());
    return !cancelled_;
}

// Reads until `pending_` holds `target` samples or the source ends, reporting the first part of the
// block's progress as it goes; `middle` is where the resampling's part of it starts.
int Conversion::fill(std::size_t target, std::uint64_t before, std::uint64_t& middle)
{
    const std::uint64_t shares = ratio_ == 1.0 ? 1 : 2;
    std::size_t added = 0;
    while (pending_.size() < target && !source_->ended()) {
        const std::size_t had = pending_.size();
        if (const int code = source_->read(pending_, std::min(kFramesPerRead, target - had)); code != kWavOk)
            return code;
        if (!primed_ && !pending_.empty()) {
            pending_.insert(pending_.begin(), reach_, pending_.front());
            primed_ = true;
        }
        const std::size_t now = added + pending_.size() - had;
        const bool step = added == 0 || added / kProgressStep != now / kProgressStep;
        added = now;
        if (step && !report(before + (std::max(source_->position(), before) - before) / shares))
            return kWavCannotOpen;
    }
    middle = before + (std::max(source_->position(), before) - before) / shares;
    return kWavOk;
}

// Where the stream ends the filter sees its last sample continue, as it saw the first one before it.
void Conversion::edgeSamples()
{
    if (source_->ended() && primed_ && !padded_) {
        pending_.insert(pending_.end(), reach_, pending_.back());
        padded_ = true;
    }
}

int Conversion::convertBlock()
{
    const std::uint64_t before = source_->position();
    std::uint64_t middle = before;
    if (const int code = fill(blockFrames_ + 2 * reach_, before, middle); code != kWavOk)
        return code;
    edgeSamples();
    const std::size_t n = std::min(blockFrames_, pending_.size() - std::min(pending_.size(), 2 * reach_));
    if (n == 0) {
        done_ = true;
        return kWavOk;
    }
    const std::int16_t* out = pending_.data();
    std::size_t count = n;
    if (ratio_ != 1.0) {
        if (decimator_)
            decimator_->decimate(pending_.data(), n, ratio_, resampled_);
        else
            resampleBlock(std::span<const std::int16_t>(pending_.data(), n), ratio_, resampled_);
        const std::uint64_t after = std::max(source_->position(), middle);
        for (std::size_t i = 0; i < resampled_.size(); i += kProgressStep)
            if (!report(middle + (after - middle) * i / resampled_.size()))
                return kWavCannotOpen;
        out = resampled_.data();
        count = resampled_.size();
    }
    const int code = write(out, count);
    pending_.erase(pending_.begin(), pending_.begin() + std::ptrdiff_t(n));
    return code;
}

int Conversion::write(const std::int16_t* samples, std::size_t count)
{
    bytes_.resize(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        bytes_[2 * i] = std::uint8_t(std::uint16_t(samples[i]));
        bytes_[2 * i + 1] = std::uint8_t(std::uint16_t(samples[i]) >> 8);
    }
    written_ += bytes_.size();
    return writer_.write(bytes_.data(), bytes_.size());
}

int Conversion::failed(int code)
{
    if (code != kWavOk && reason_.empty())
        reason_ = source_ && !source_->reason().empty() ? source_->reason() : wavResultText(code);
    return code;
}

int Conversion::run(const std::filesystem::path& destination, const std::filesystem::path& source)
{
    int code = openSource(source);
    if (code != kWavOk)
        return failed(code);
    code = prepare(destination);
    while (code == kWavOk && !done_)
        code = convertBlock();
    if (cancelled_)
        reason_ = "cancelled";
    failed(code);
    source_.reset();
    if (writerOpen_)
        code = writer_.finishOrRemove(code, std::uint32_t(written_ / 2), destination);
    return failed(code);
}

} // namespace

int convertVoice(const std::filesystem::path& destination, const std::filesystem::path& source,
                 const ConversionProgress& progress, std::string& reason)
{
    // Creating the destination would empty the source before a byte of it was read.
    std::error_code error;
    if (std::filesystem::equivalent(destination, source, error)) {
        reason = "the destination is the source";
        return kWavCannotWrite;
    }
    Conversion conversion(progress);
    const int code = conversion.run(destination, source);
    reason = conversion.reason();
    return code;
}

int convertVoice(const std::filesystem::path& destination, const std::filesystem::path& source,
                 const ConversionProgress& progress)
{
    std::string reason;
    return convertVoice(destination, source, progress, reason);
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

void resampleBlock(std::span<const std::int16_t> in, double ratio, std::vector<std::int16_t>& out)
{
    const std::size_t n = in.size();
    out.clear();
    if (ratio == 1.0 || n == 0) {
        out.assign(in.begin(), in.end());
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
