#include "core/time/manual_clock.h"

#include <gtest/gtest.h>

#include <QStringList>

using halvana::ManualClock;

TEST(ManualClock, FiresDueTimersInOrderOfDueTimeThenArming)
{
    ManualClock clock;
    QStringList fired;
    auto slow = clock.createTimer(70);
    auto fast = clock.createTimer(10);
    auto sameAsSlow = clock.createTimer(70);
    slow->setCallback([&] { fired << QStringLiteral("slow@%1").arg(clock.nowMs()); slow->stop(); });
    fast->setCallback([&] { fired << QStringLiteral("fast@%1").arg(clock.nowMs()); });
    sameAsSlow->setCallback([&] { fired << QStringLiteral("same@%1").arg(clock.nowMs()); sameAsSlow->stop(); });
    slow->start();
    sameAsSlow->start();
    fast->start();

    clock.advance(30);
    EXPECT_EQ(fired, QStringList({"fast@10", "fast@20", "fast@30"}));
    fast->stop();
    clock.advance(40);
    EXPECT_EQ(fired.mid(3), QStringList({"slow@70", "same@70"}));
    EXPECT_EQ(clock.nowMs(), 70);
}

TEST(ManualClock, CallbackRestartingItsTimerTakesTheNewSchedule)
{
    ManualClock clock;
    auto gap = clock.createTimer(70);
    auto other = clock.createTimer(50);
    int gapFires = 0;
    gap->setCallback([&] { ++gapFires; gap->stop(); });
    // Every 50 ms something restarts the 70 ms gap, so the gap never expires while it runs.
    other->setCallback([&] { gap->start(); });
    gap->start();
    other->start();
    clock.advance(500);
    EXPECT_EQ(gapFires, 0);
    other->stop();
    clock.advance(70);
    EXPECT_EQ(gapFires, 1);
}

TEST(ManualClock, SetEnabledDoesNotRestartARunningTimer)
{
    ManualClock clock;
    auto t = clock.createTimer(100);
    int fires = 0;
    t->setCallback([&] { ++fires; });
    t->setEnabled(true);
    clock.advance(60);
    t->setEnabled(true);
    clock.advance(40);
    EXPECT_EQ(fires, 1);
    EXPECT_EQ(clock.msToNextTimer(), 100);
}

TEST(ManualClock, DestroyedTimerNeverFires)
{
    ManualClock clock;
    int fires = 0;
    {
        auto t = clock.createTimer(10);
        t->setCallback([&] { ++fires; });
        t->start();
    }
    clock.advance(100);
    EXPECT_EQ(fires, 0);
    EXPECT_FALSE(clock.fireNext());
}
