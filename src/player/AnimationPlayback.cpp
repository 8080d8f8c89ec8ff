#include "player/AnimationPlayback.h"

#include "audio/WavFile.h"

#include <algorithm>

namespace {

constexpr std::int64_t kSamplesPerMs = kPlayerVoiceRate / 1000;
constexpr std::size_t kSilenceChunk = 16000;

} // namespace

std::ptrdiff_t frameIndexAt(const std::vector<TimedFapFrame>& frames, std::int64_t ms)
{
    if (frames.empty())
        return -1;
    const auto after =
        std::upper_bound(frames.begin(), frames.end(), ms,
                         [](std::int64_t t, const TimedFapFrame& frame) { return t < frame.ms; });
    return after == frames.begin() ? 0 : (after - frames.begin()) - 1;
}

std::int64_t animationDurationMs(const AnimationFile& file)
{
    const std::int64_t voiceMs = std::int64_t(file.voice.size()) / kSamplesPerMs;
    const std::int64_t lastFrameMs = file.frames.empty() ? 0 : file.frames.back().ms;
    return std::max<std::int64_t>({voiceMs, lastFrameMs, 0});
}

AnimationPlayback::AnimationPlayback(PlaybackSinkFactory sinks) : sinks_(std::move(sinks)) {}

AnimationPlayback::~AnimationPlayback()
{
    // The stream reads the voice file: it goes before the file is removed.
    stream_.reset();
}

void AnimationPlayback::load(const AnimationFile* file)
{
    halt();
    if (stream_)
        stream_->close();
    file_ = file;
    duration_ = file ? animationDurationMs(*file) : 0;
    held_ = 0;
}

bool AnimationPlayback::play()
{
    if (!file_)
        return false;
    if (isPlaying())
        return true;
    return startAt(held_ >= duration_ ? 0 : held_);
}

void AnimationPlayback::pause()
{
    const std::int64_t now = positionMs();
    halt();
    held_ = now;
}

void AnimationPlayback::togglePlay()
{
    if (isPlaying())
        pause();
    else
        play();
}

void AnimationPlayback::seek(std::int64_t ms)
{
    const std::int64_t target = std::clamp<std::int64_t>(ms, 0, duration_);
    const bool wasPlaying = isPlaying();
    halt();
    held_ = target;
    if (wasPlaying && target < duration_)
        startAt(target);
}

std::int64_t AnimationPlayback::positionMs()
{
    if (!playing_)
        return held_;
    const std::int64_t now = startMs_ + stream_->position();
    // The stream stops by itself once it has played the rest of the file.
    if (!stream_->isPlaying() || now >= duration_) {
        halt();
        held_ = duration_;
        return held_;
    }
    return now;
}

bool AnimationPlayback::isPlaying()
{
    positionMs();
    return playing_;
}

bool AnimationPlayback::atEnd()
{
    return file_ && positionMs() >= duration_;
}

void AnimationPlayback::setVolume(int percent)
{
    const int volume = std::clamp(percent, 0, kFullVolume);
    if (volume != volume_) {
        volume_ = volume;
        applyGain();
    }
}

void AnimationPlayback::setMuted(bool muted)
{
    if (muted != muted_) {
        muted_ = muted;
        applyGain();
    }
}

// A device applies its volume to what it is given, and it holds up to the stream's whole buffer: a play
// starts again where it is, so the new level is heard at once and not seconds later.
void AnimationPlayback::applyGain()
{
    if (!stream_)
        return;
    stream_->sink().setVolume(gain());
    if (isPlaying())
        seek(positionMs());
}

bool AnimationPlayback::startAt(std::int64_t ms)
{
    held_ = ms;
    if (!file_ || ms >= duration_ || !voiceFile_.valid() || !writeVoiceFrom(ms))
        return false;
    if (!stream_)
        stream_ = std::make_unique<CStreamPlayer>(sinks_ ? sinks_() : nullptr);
    bool started = startStream();
    // A device that cannot take the stream leaves the play to the steady clock.
    if (!started && onDevice_) {
        stream_ = std::make_unique<CStreamPlayer>(makeSilentSink());
        started = startStream();
    }
    if (!started)
        return false;
    startMs_ = ms;
    playing_ = true;
    return true;
}

bool AnimationPlayback::startStream()
{
    onDevice_ = stream_->sink().isDevice();
    stream_->sink().setVolume(gain());
    return stream_->open(voiceFile_.path()) == 0 && stream_->start();
}

// The voice from `ms` on, with silence after it up to the end of the records, so the stream's length is
// the rest of the animation and its end is the animation's end.
bool AnimationPlayback::writeVoiceFrom(std::int64_t ms)
{
    const std::size_t first = std::min(std::size_t(ms * kSamplesPerMs), file_->voice.size());
    const std::size_t total = std::size_t((duration_ - ms) * kSamplesPerMs);
    const std::size_t voiced = std::min(total, file_->voice.size() - first);
    CWavWriter writer;
    int code = writer.create(voiceFile_.path(), voiceFormat());
    if (code == kWavOk && voiced > 0)
        code = writer.write(file_->voice.data() + first, voiced * sizeof(std::int16_t));
    const std::vector<std::int16_t> silence(kSilenceChunk, 0);
    for (std::size_t left = total - voiced; code == kWavOk && left > 0;) {
        const std::size_t count = std::min(left, silence.size());
        code = writer.write(silence.data(), count * sizeof(std::int16_t));
        left -= count;
    }
    return writer.finish(static_cast<std::uint32_t>(total)) == kWavOk && code == kWavOk;
}

void AnimationPlayback::halt()
{
    if (playing_ && stream_)
        stream_->stop();
    playing_ = false;
}
