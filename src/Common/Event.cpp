#include "Common/Event.h"

Event::Event(Kind kind, bool initiallySet, std::shared_ptr<EventGroup> group)
    : kind_(kind), set_(initiallySet), group_(group ? std::move(group) : std::make_shared<EventGroup>())
{
}

void Event::set()
{
    {
        std::lock_guard guard(group_->mutex);
        set_ = true;
    }
    group_->changed.notify_all();
}

void Event::reset()
{
    std::lock_guard guard(group_->mutex);
    set_ = false;
}

bool Event::isSet() const
{
    std::lock_guard guard(group_->mutex);
    return set_;
}

bool Event::takeLocked()
{
    if (!set_)
        return false;
    if (kind_ == Kind::automatic)
        set_ = false;
    return true;
}

bool Event::wait(std::chrono::milliseconds timeout)
{
    std::unique_lock guard(group_->mutex);
    if (!group_->changed.wait_for(guard, timeout, [this] { return set_; }))
        return false;
    return takeLocked();
}

void Event::wait()
{
    std::unique_lock guard(group_->mutex);
    group_->changed.wait(guard, [this] { return set_; });
    takeLocked();
}

bool Event::tryConsume()
{
    std::lock_guard guard(group_->mutex);
    return takeLocked();
}

int Event::waitAny(std::initializer_list<Event*> events, std::chrono::milliseconds timeout)
{
    if (events.size() == 0)
        return -1;
    EventGroup& group = *(*events.begin())->group_;
    std::unique_lock guard(group.mutex);
    int found = -1;
    auto anySet = [&] {
        int index = 0;
        for (Event* event : events) {
            if (event->set_) {
                found = index;
                return true;
            }
            ++index;
        }
        return false;
    };
    if (!group.changed.wait_for(guard, timeout, anySet))
        return -1;
    (*(events.begin() + found))->takeLocked();
    return found;
}
