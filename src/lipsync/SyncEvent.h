#pragma once
// A manual- or auto-reset event with timed waits, for the reader and the recogniser's worker thread.

#include <chrono>
#include <condition_variable>
#include <mutex>

class CSyncEvent {
public:
    explicit CSyncEvent(bool manualReset) : manualReset_(manualReset) {}

    void set();
    void reset();
    // True when the event was set within the timeout (an auto-reset event is then cleared).
    bool wait(std::chrono::milliseconds timeout);
    void wait();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool signalled_ = false;
    bool manualReset_;
};

// Waits for either event; returns 0 for first, 1 for second (first wins when both are set).
int waitForEither(CSyncEvent& first, CSyncEvent& second);
