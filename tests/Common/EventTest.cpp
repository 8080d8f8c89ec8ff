#include "Common/Event.h"

#include <gtest/gtest.h>

#include <thread>

using namespace std::chrono_literals;

TEST(Event, ManualStaysSetAndAutoWakesOneWaiter)
{
    struct Case {
        Event::Kind kind;
        bool setAfterOneWait;
    };
    const Case cases[] = {{Event::Kind::manual, true}, {Event::Kind::automatic, false}};
    for (const Case& c : cases) {
        Event event(c.kind, false);
        EXPECT_FALSE(event.wait(0ms));
        event.set();
        EXPECT_TRUE(event.wait(0ms));
        EXPECT_EQ(event.isSet(), c.setAfterOneWait);
        event.reset();
        EXPECT_FALSE(event.isSet());
    }
}

TEST(Event, WaitAnyGivesTheFirstSetEventAndConsumesOnlyThat)
{
    auto group = std::make_shared<EventGroup>();
    Event manual(Event::Kind::manual, false, group);
    Event automatic(Event::Kind::automatic, false, group);
    EXPECT_EQ(Event::waitAny({&manual, &automatic}, 1ms), -1);

    automatic.set();
    EXPECT_EQ(Event::waitAny({&manual, &automatic}, 0ms), 1);
    EXPECT_FALSE(automatic.isSet());

    std::thread setter([&] {
        std::this_thread::sleep_for(20ms);
        manual.set();
    });
    EXPECT_EQ(Event::waitAny({&manual, &automatic}, 10s), 0);
    setter.join();
    EXPECT_TRUE(manual.isSet());
}
