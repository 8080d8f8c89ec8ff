#include "animation/CAnimPlayer.h"

#include "face/CHeadModel.h"
#include "images/CJpegPicture.h"

#include <algorithm>
#include <chrono>
#include <vector>

#if defined(__linux__)
#include <pthread.h>
#endif

namespace {

constexpr int kBackgroundSlot = 7;
constexpr int kBackgroundSize = 256;
constexpr std::chrono::milliseconds kFramePeriod{40};
constexpr std::chrono::milliseconds kIdleRedraw{1000};

} // namespace

std::int64_t steadyMilliseconds()
{
    static const auto origin = std::chrono::steady_clock::now();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - origin)
        .count();
}

// Holds the head model's own lock; a null model holds nothing.
class CAnimPlayer::ModelGuard {
public:
    explicit ModelGuard(CHeadModel* model) : model_(model)
    {
        if (model_)
            model_->lock();
    }
    ~ModelGuard()
    {
        if (model_)
            model_->unlock();
    }
    ModelGuard(const ModelGuard&) = delete;
    ModelGuard& operator=(const ModelGuard&) = delete;

private:
    CHeadModel* model_;
};

CAnimPlayer::CAnimPlayer(AnimPlayerSetup setup)
    : setup_(std::move(setup)), mixer_(setup_.expressionRows),
      drawLock_(setup_.drawLock ? setup_.drawLock : std::make_shared<std::mutex>())
{
    if (!setup_.milliseconds)
        setup_.milliseconds = steadyMilliseconds;
    clock_ = defaultClock();
    worker_ = std::thread([this] { run(); });
}

CAnimPlayer::~CAnimPlayer()
{
    quit_.set();
    ended_.wait();
    worker_.join();
}

PlayerClock CAnimPlayer::defaultClock()
{
    defaultClockBase_ = 0;
    // Without pausing the clock reads now - k with k = 0; pausing turns k into the elapsed time, which
    // it then returns, and resuming turns it back into a base, so the time continues where it froze.
    return [this](int code) {
        const int now = static_cast<int>(setup_.milliseconds());
        int& k = defaultClockBase_;
        const bool isPaused = paused_.isSet();
        switch (code) {
        case kClockNow:
            return isPaused ? k : now - k;
        case kClockStopped:
        case kClockPausing:
            if (!isPaused)
                k = now - k;
            return 0;
        case kClockResuming:
            if (isPaused)
                k = now - k;
            return 0;
        default:
            return 0;
        }
    };
}

int CAnimPlayer::setClock(PlayerClock clock, bool absolute)
{
    if (isPlaying())
        return 0;
    std::lock_guard guard(clockLock_);
    clock_ = clock ? std::move(clock) : defaultClock();
    absolute_ = clock_ && absolute;
    return 1;
}

int CAnimPlayer::clockNow()
{
    std::lock_guard guard(clockLock_);
    return clock_(kClockNow);
}

void CAnimPlayer::setModel(CHeadModel* model)
{
    stop();
    std::lock_guard render(renderLock_);
    model_ = model;
    if (renderer_)
        renderer_->setModel(model);
}

void CAnimPlayer::play(bool autoStop, std::int32_t endTime)
{
    stop();
    std::lock_guard render(renderLock_);
    if (!model_)
        return;
    stop_.reset();
    idle_.reset();
    if (autoStop) {
        endTime_ = endTime;
        autoStop_.set();
    } else {
        autoStop_.reset();
    }
    paused_.reset();
    pause_.reset();
    play_.set();
}

void CAnimPlayer::stop()
{
    stop_.set();
    idle_.wait();
}

void CAnimPlayer::resize(int width, int height)
{
    std::lock_guard draw(*drawLock_);
    viewWidth_ = width;
    viewHeight_ = height;
    resize_.set();
}

void CAnimPlayer::run()
{
#if defined(__linux__)
    // A name the system's tools show, so the player's own CPU time can be read beside the process's.
    pthread_setname_np(pthread_self(), "cm-player");
#endif
    {
        std::lock_guard render(renderLock_);
        ModelGuard model(model_);
        std::lock_guard draw(*drawLock_);
        if (setup_.makeRenderer)
            renderer_ = setup_.makeRenderer(model_);
        hasRenderer_ = renderer_ != nullptr;
    }
    started_.set();

    // Idle starts set and is set again when a playback ends, never at the top of the loop: a play
    // requested before this thread first waits has already cleared it, and must stay playing.
    while (!quit_.isSet()) {
        bool playing = false;
        for (;;) {
            const int woken = Event::waitAny({&redraw_, &play_, &quit_}, kIdleRedraw);
            if (woken == 1) {
                std::lock_guard render(renderLock_);
                ModelGuard model(model_);
                idle_.reset();
                if (model_)
                    model_->setBusy(1);
                playing = true;
                break;
            }
            if (woken == 2)
                break;
            drawOneFrame();
        }
        if (playing) {
            playbackLoop();
            paused_.reset();
            idle_.set();
        }
    }

    mixer_.clear();
    schedule_.reset();
    {
        std::lock_guard render(renderLock_);
        std::lock_guard draw(*drawLock_);
        renderer_.reset();
        hasRenderer_ = false;
    }
    idle_.set();
    ended_.set();
}

void CAnimPlayer::playbackLoop()
{
    {
        std::lock_guard render(renderLock_);
        ModelGuard model(model_);
        if (model_ && !model_->isInSync(1))
            model_->saveToSet(1);
    }
    startOffset_ = absolute_ ? 0 : clockNow();
    clearBackground();

    for (;;) {
        const auto t0 = std::chrono::steady_clock::now();
        if (quit_.isSet())
            break;
        if (stop_.isSet()) {
            clearBackground();
            {
                std::lock_guard guard(clockLock_);
                clock_(kClockStopped);
            }
            redraw_.set();
            break;
        }
        if (pause_.tryConsume()) {
            {
                std::lock_guard guard(clockLock_);
                clock_(kClockPausing);
            }
            paused_.set();
        }
        if (resume_.tryConsume()) {
            {
                std::lock_guard guard(clockLock_);
                clock_(kClockResuming);
            }
            paused_.reset();
        }

        const std::int32_t now = clockNow();
        const std::int32_t mixerTime = std::max(now - startOffset_, 0);
        mixer_.setClock(static_cast<std::uint32_t>(mixerTime));
        const bool eventsLeft = mixer_.computeFrame(frame_) != 0;
        applyFrame(frame_);

        schedule_.setTime(mixerTime);
        if (std::optional<std::filesystem::path> background = schedule_.nextImage())
            loadBackground(*background);

        drawOneFrame();
        if (setup_.onPlaybackFrame)
            setup_.onPlaybackFrame({t0, std::chrono::steady_clock::now(), now, mixerTime});

        // The end time is on the mixer's time line; with an absolute clock that is the clock's time.
        if (autoStop_.isSet()) {
            if (endTime_ != 0 ? mixerTime >= endTime_ : !eventsLeft)
                stop_.set();
        }

        const auto spent = std::chrono::steady_clock::now() - t0;
        if (spent < kFramePeriod)
            std::this_thread::sleep_for(kFramePeriod - spent);
    }

    // Also when quitting: the model outlives the player and must not stay deformed and busy.
    {
        std::lock_guard render(renderLock_);
        ModelGuard model(model_);
        if (model_) {
            model_->restoreFromSet(1);
            model_->setBusy(0);
        }
    }
    mixer_.clear();
    schedule_.reset();
}

void CAnimPlayer::applyFrame(const FapFrame& frame)
{
    std::lock_guard render(renderLock_);
    ModelGuard model(model_);
    if (!model_)
        return;
    for (int i = 0; i < kFapCount; ++i)
        model_->setFapValue(i, frame[static_cast<size_t>(i)]);
    model_->deform(false);
}

void CAnimPlayer::drawOneFrame()
{
    {
        std::lock_guard render(renderLock_);
        ModelGuard model(model_);
        if (renderer_) {
            std::lock_guard draw(*drawLock_);
            if (resize_.tryConsume())
                renderer_->resize(std::max(viewWidth_, 1), std::max(viewHeight_, 1));
        }
        if (renderer_ && renderer_->drawFrame() && setup_.onFrame && renderer_->pixels()) {
            std::lock_guard draw(*drawLock_);
            setup_.onFrame(renderer_->pixels(), renderer_->width(), renderer_->height());
        }
    }
    frameReady_.set();
}

void CAnimPlayer::loadBackground(const std::filesystem::path& path)
{
    if (path.empty()) {
        clearBackground();
        return;
    }
    CJpegPicture picture;
    if (!picture.loadFile(path.string(), false) || picture.width() != kBackgroundSize ||
        picture.height() != kBackgroundSize)
        return;
    std::lock_guard render(renderLock_);
    ModelGuard model(model_);
    if (model_)
        model_->writeSlotPixels(kBackgroundSlot, reinterpret_cast<const std::uint32_t*>(picture.pixels()));
}

void CAnimPlayer::clearBackground()
{
    static const std::vector<std::uint32_t> zeros(kBackgroundSize * kBackgroundSize, 0);
    std::lock_guard render(renderLock_);
    ModelGuard model(model_);
    if (model_)
        model_->writeSlotPixels(kBackgroundSlot, zeros.data());
}
