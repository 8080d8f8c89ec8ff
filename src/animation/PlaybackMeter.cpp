#include "animation/PlaybackMeter.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace {

double steadyMs(std::chrono::steady_clock::time_point time)
{
    return std::chrono::duration<double, std::milli>(time.time_since_epoch()).count();
}

// CPU time of the calling thread; 0 where the system cannot tell.
double threadCpuMs()
{
#if defined(CLOCK_THREAD_CPUTIME_ID)
    timespec now{};
    if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now) == 0)
        return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
#endif
    return 0;
}

} // namespace

double percentile(std::vector<double> values, double percent)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const double rank = std::ceil(percent / 100.0 * static_cast<double>(values.size()));
    const size_t index = static_cast<size_t>(std::clamp(rank, 1.0, static_cast<double>(values.size()))) - 1;
    return values[index];
}

PlaybackMeter::PlaybackMeter(std::function<std::int32_t()> soundTime) : soundTime_(std::move(soundTime)) {}

void PlaybackMeter::setSoundTime(std::function<std::int32_t()> soundTime)
{
    std::lock_guard guard(lock_);
    soundTime_ = std::move(soundTime);
}

void PlaybackMeter::frameDrawn(const PlaybackFrame& frame)
{
    std::lock_guard guard(lock_);
    const std::int32_t heard = soundTime_ ? soundTime_() : frame.clockMs;
    samples_.push_back({steadyMs(frame.started), steadyMs(frame.drawn),
                        std::abs(static_cast<double>(heard) - static_cast<double>(frame.mixerMs)),
                        threadCpuMs()});
}

PlaybackFrameObserver PlaybackMeter::observer()
{
    return [this](const PlaybackFrame& frame) { frameDrawn(frame); };
}

PlaybackFigures PlaybackMeter::figures() const
{
    std::lock_guard guard(lock_);
    PlaybackFigures figures;
    figures.frames = static_cast<int>(samples_.size());
    if (samples_.empty())
        return figures;
    const Sample& first = samples_.front();
    const Sample& last = samples_.back();
    figures.durationMs = std::llround(last.drawnMs - first.startMs);
    figures.playerCpuMs = last.cpuMs - first.cpuMs;
    std::vector<double> intervals, lateness;
    for (size_t i = 1; i < samples_.size(); ++i) {
        const double interval = samples_[i].startMs - samples_[i - 1].startMs;
        intervals.push_back(interval);
        lateness.push_back(std::max(0.0, interval - kFramePeriodMs));
    }
    for (const Sample& sample : samples_)
        figures.clockOffsetMaxMs = std::max(figures.clockOffsetMaxMs, sample.offsetMs);
    if (!intervals.empty()) {
        double sum = 0;
        for (double interval : intervals)
            sum += interval;
        figures.intervalMeanMs = sum / static_cast<double>(intervals.size());
    }
    figures.intervalP99Ms = percentile(intervals, 99);
    figures.latenessP99Ms = percentile(lateness, 99);
    return figures;
}

void PlaybackMeter::clear()
{
    std::lock_guard guard(lock_);
    samples_.clear();
}
