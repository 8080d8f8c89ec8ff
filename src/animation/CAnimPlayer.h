#pragma once

#include "animation/CFapMixer.h"
#include "animation/PlayerRenderer.h"
#include "audio/EventSequencer.h"
#include "Common/Event.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class CHeadModel;

// The clock the player reads: code 0 returns the time in ms, 1 says playback stopped, 2 pausing,
// 3 resuming; the other codes' results are not used.
using PlayerClock = std::function<int(int code)>;

enum PlayerClockCode { kClockNow = 0, kClockStopped = 1, kClockPausing = 2, kClockResuming = 3 };

// Milliseconds from any fixed start; the player's default clock reads it.
using MillisecondSource = std::function<std::int64_t()>;

// The steady clock in ms since the first call in this process.
std::int64_t steadyMilliseconds();

// A finished frame, bottom row first, handed over on the worker thread under the draw lock.
using FrameObserver = std::function<void(const std::uint32_t* pixels, int width, int height)>;

// One frame of a playback as the worker ran it: when its turn began and when its drawing was done, the
// clock's reading and the mixer's time it showed. For measuring the player; reported on its thread.
struct PlaybackFrame {
    std::chrono::steady_clock::time_point started;
    std::chrono::steady_clock::time_point drawn;
    std::int32_t clockMs = 0;
    std::int32_t mixerMs = 0;
};
using PlaybackFrameObserver = std::function<void(const PlaybackFrame&)>;

struct AnimPlayerSetup {
    // The window's lock around the frame it shows; the player makes its own when none is given.
    std::shared_ptr<std::mutex> drawLock;
    PlayerRendererFactory makeRenderer;
    ExpressionRows expressionRows{};
    // Time base of the default clock; the steady clock when empty.
    MillisecondSource milliseconds;
    FrameObserver onFrame;
    PlaybackFrameObserver onPlaybackFrame;
};

// Plays the mixer's events on the head model in real time on one worker thread that also draws:
// a frame at most every 40 ms from the clock, until the end time, the end of the events or a stop.
// Requests are events, so every call returns quickly except stop, which waits until the worker idles.
class CAnimPlayer {
public:
    explicit CAnimPlayer(AnimPlayerSetup setup);
    virtual ~CAnimPlayer();
    CAnimPlayer(const CAnimPlayer&) = delete;
    CAnimPlayer& operator=(const CAnimPlayer&) = delete;

    // Refused (0) while playing; an empty clock installs the default clock.
    int setClock(PlayerClock clock, bool absolute);
    void setModel(CHeadModel* model);
    // Does nothing without a model. With `autoStop`, playback stops at `endTime` (mixer time in ms),
    // or with an end time of 0 once the mixer has no events left.
    void play(bool autoStop, std::int32_t endTime);
    void stop();
    int isPlaying() const { return idle_.isSet() ? 0 : 1; }
    void pause() { pause_.set(); }
    void resume() { resume_.set(); }
    void redraw() { redraw_.set(); }
    void resize(int width, int height);

    CFapMixer& mixer() { return mixer_; }
    CEventSequencer& mediaSchedule() { return schedule_; }
    // Set after the worker made its renderer, and after every drawn frame.
    Event& started() { return started_; }
    Event& frameReady() { return frameReady_; }
    Event& paused() { return paused_; }
    // True when the worker has a renderer to draw with.
    bool hasRenderer() const { return hasRenderer_; }

private:
    class ModelGuard;

    void run();
    void playbackLoop();
    void drawOneFrame();
    void applyFrame(const FapFrame& frame);
    void loadBackground(const std::filesystem::path& path);
    void clearBackground();
    int clockNow();
    PlayerClock defaultClock();

    AnimPlayerSetup setup_;
    CFapMixer mixer_;
    CEventSequencer schedule_;
    std::recursive_mutex renderLock_;
    std::shared_ptr<std::mutex> drawLock_;
    CHeadModel* model_ = nullptr;
    std::unique_ptr<PlayerRenderer> renderer_;
    bool hasRenderer_ = false;
    int viewWidth_ = 256;
    int viewHeight_ = 256;

    std::mutex clockLock_;
    PlayerClock clock_;
    bool absolute_ = false;
    std::int32_t startOffset_ = 0;
    std::int32_t endTime_ = 0;
    int defaultClockBase_ = 0;
    FapFrame frame_{};

    std::shared_ptr<EventGroup> group_ = std::make_shared<EventGroup>();
    Event started_{Event::Kind::manual, false, group_};
    Event frameReady_{Event::Kind::automatic, false};
    Event resize_{Event::Kind::automatic, false, group_};
    Event ended_{Event::Kind::manual, false, group_};
    Event quit_{Event::Kind::manual, false, group_};
    Event stop_{Event::Kind::manual, false, group_};
    Event idle_{Event::Kind::manual, true, group_};
    Event play_{Event::Kind::automatic, false, group_};
    Event pause_{Event::Kind::automatic, false, group_};
    Event paused_{Event::Kind::manual, false, group_};
    Event resume_{Event::Kind::automatic, false, group_};
    Event redraw_{Event::Kind::automatic, true, group_};
    Event autoStop_{Event::Kind::manual, false, group_};

    std::thread worker_;
};
