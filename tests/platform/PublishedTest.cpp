#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Published.h"
#include "platform/Signal.h"

using platform::Published;

TEST(Published, subscriberReadingThePropertyBackSeesTheNewValue) {
    Published<bool> enabled(false);
    bool seenInside = false;
    auto sub = enabled.subscribe([&](const bool&) { seenInside = enabled.get(); }, false);
    enabled = true;
    EXPECT_TRUE(seenInside);
}

TEST(Published, storesThenNotifiesThenPersists) {
    Published<int> value(1);
    std::vector<std::string> steps;
    value.setWillChange([&] { steps.push_back("will:" + std::to_string(value.get())); });
    value.setPersistence([&](const int& v) { steps.push_back("persist:" + std::to_string(v)); });
    auto sub = value.subscribe([&](const int& v) { steps.push_back("notify:" + std::to_string(v)); }, false);
    value = 2;
    EXPECT_EQ(steps, (std::vector<std::string>{"will:1", "notify:2", "persist:2"}));
}

TEST(Published, replaysTheCurrentValueOnlyWhenAsked) {
    Published<int> value(7);
    std::vector<int> replayed, later;
    auto a = value.subscribe([&](const int& v) { replayed.push_back(v); });
    auto b = value.subscribe([&](const int& v) { later.push_back(v); }, false);
    value = 8;
    EXPECT_EQ(replayed, (std::vector<int>{7, 8}));
    EXPECT_EQ(later, (std::vector<int>{8}));
}

TEST(Published, endedSubscriptionHearsNothingAndMayEndDuringDelivery) {
    Published<int> value(0);
    int first = 0, second = 0;
    platform::Subscription subA, subB;
    subA = value.subscribe(
        [&](const int&) {
            ++first;
            subB.cancel();  // the later observer must not be called with a dead handler
        },
        false);
    subB = value.subscribe([&](const int&) { ++second; }, false);
    value = 1;
    value = 2;
    EXPECT_EQ(first, 2);
    EXPECT_EQ(second, 0);
}

TEST(Signal, subscriptionOutlivingTheSignalIsHarmless) {
    platform::Subscription sub;
    {
        platform::Signal<int> signal;
        sub = signal.subscribe([](const int&) {});
        EXPECT_EQ(signal.observerCount(), 1u);
    }
    sub.cancel();
    SUCCEED();
}
