#include "core/time/manual_clock.h"

#include <gtest/gtest.h>

#include <QStringList>

using halvana::ManualClock;

// Due timers fire in order of due time, then of arming; a callback that restarts a timer
// gives it the new schedule.
TEST(ManualClock, FiresDueTimersInOrderAndFollowsRestarts)
{
    ManualClock clock;
    QStringList fired;
    auto slow = clock.createTimer(70);
    auto fast = clock.createTimer(10);
    auto sameAsSlow = clock.createTimer(70);
    slow->setCallback([&] { fired << QStringLiteral("slow@%1").arg(clock.nowMs()); });
    fast->setCallback([&] { fired << QStringLiteral("fast@%1").arg(clock.nowMs()); });
    sameAsSlow->setCallback([&] { fired << QStringLiteral("same@%1").arg(clock.nowMs()); sameAsSlow->stop(); });
    sameAsSlow->start();
    slow->start();
    fast->start();
    clock.advance(30);
    EXPECT_EQ(fired, QStringList({"fast@10", "fast@20", "fast@30"}));
    // From now on the 50 ms timer restarts the 70 ms one, which never expires while it runs.
    fast->setInterval(50);
    fast->setCallback([&] { slow->start(); });
    fast->start();
    clock.advance(40);
    EXPECT_EQ(fired.mid(3), QStringList({"same@70", "slow@70"}));
    clock.advance(500);
    EXPECT_EQ(fired.size(), 5);
    fast->stop();
    clock.advance(70);
    EXPECT_EQ(fired.size(), 6);
    EXPECT_EQ(clock.nowMs(), 640);
}

TEST(ManualClock, SetEnabledDoesNotRestartARunningTimerAndADestroyedOneNeverFires)
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
    t.reset();
    clock.advance(1000);
    EXPECT_EQ(fires, 1);
    EXPECT_FALSE(clock.fireNext());
}
