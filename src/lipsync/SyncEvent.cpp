#include "lipsync/SyncEvent.h"

#include <thread>

void CSyncEvent::set()
{
    {
        std::lock_guard lock(mutex_);
        signalled_ = true;
    }
    changed_.notify_all();
}

void CSyncEvent::reset()
{
    std::lock_guard lock(mutex_);
    signalled_ = false;
}

bool CSyncEvent::wait(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, timeout, [this] { return signalled_; }))
        return false;
    if (!manualReset_)
        signalled_ = false;
    return true;
}

void CSyncEvent::wait()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return signalled_; });
    if (!manualReset_)
        signalled_ = false;
}

int waitForEither(CSyncEvent& first, CSyncEvent& second)
{
    // Short polls keep the events independent of each other; the worker idles between blocks only.
    constexpr auto kSlice = std::chrono::milliseconds(5);
    for (;;) {
        if (first.wait(kSlice))
            return 0;
        if (second.wait(std::chrono::milliseconds(0)))
            return 1;
    }
}
