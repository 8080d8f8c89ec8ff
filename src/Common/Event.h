#pragma once

#include <chrono>
#include <condition_variable>
#include <initializer_list>
#include <memory>
#include <mutex>

// What several events share so that one thread can wait for any of them.
struct EventGroup {
    std::mutex mutex;
    std::condition_variable changed;
};

// A signalled flag with the two classic kinds: a manual event stays set until reset; an auto event
// is reset by the one waiter it wakes. Events made on one group can be waited for together.
class Event {
public:
    enum class Kind { manual, automatic };

    Event(Kind kind, bool initiallySet, std::shared_ptr<EventGroup> group = nullptr);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void set();
    void reset();
    // Looks without consuming: an auto event stays set.
    bool isSet() const;
    // True when the event was or became set within the time; an auto event is consumed by it.
    bool wait(std::chrono::milliseconds timeout);
    void wait();
    // Consumes a set auto event without waiting; true if it was set.
    bool tryConsume();

    // Index of the first of `events` (all of one group) that is or becomes set within the time, and
    // consumes it if automatic; -1 on time-out.
    static int waitAny(std::initializer_list<Event*> events, std::chrono::milliseconds timeout);

private:
    bool takeLocked();

    Kind kind_;
    bool set_;
    std::shared_ptr<EventGroup> group_;
};
