#include "framework/core/IPluginTimer.h"

#include <gtest/gtest.h>

#include <memory>

using plugin::Timer;
using namespace std::chrono_literals;

TEST(Timer, FirstFiresOnTheNextPumpThenEveryPeriod)
{
  int calls = 0;
  std::unique_ptr<Timer> timer(Timer::Create([&](Timer&) { calls++; }, 20));
  const auto t0 = Timer::Clock::now();
  Timer::PumpDue(nullptr, t0 + 1ms);
  EXPECT_EQ(calls, 1);
  Timer::PumpDue(nullptr, t0 + 10ms); // not yet due
  EXPECT_EQ(calls, 1);
  Timer::PumpDue(nullptr, t0 + 22ms);
  EXPECT_EQ(calls, 2);
  // A late pump fires once, not once per missed period.
  Timer::PumpDue(nullptr, t0 + 200ms);
  EXPECT_EQ(calls, 3);
  Timer::PumpDue(nullptr, t0 + 205ms);
  EXPECT_EQ(calls, 3);
  // One second of 20 ms pumps gives about 50 calls.
  for (int ms = 220; ms <= 1220; ms += 20)
    Timer::PumpDue(nullptr, t0 + std::chrono::milliseconds(ms));
  EXPECT_NEAR(calls, 3 + 50, 2);
}

TEST(Timer, StopTwiceAndDeleteAfterStopAreHarmless)
{
  int calls = 0;
  Timer* timer = Timer::Create([&](Timer&) { calls++; }, 20);
  const int running = Timer::NumRunning();
  timer->Stop();
  timer->Stop();
  EXPECT_EQ(Timer::NumRunning(), running - 1);
  Timer::PumpDue(nullptr, Timer::Clock::now() + 1s);
  EXPECT_EQ(calls, 0);
  delete timer;
}

TEST(Timer, CallbacksMayDeleteTimersAndCreateNewOnes)
{
  Timer* other = nullptr;
  int otherCalls = 0;
  Timer* created = nullptr;
  int createdCalls = 0;
  Timer* self = Timer::Create(
    [&](Timer& t)
    {
      delete other; // a later timer in the list, removed mid-pump
      other = nullptr;
      created = Timer::Create([&](Timer&) { createdCalls++; }, 20);
      delete &t; // the firing timer itself
    },
    20);
  other = Timer::Create([&](Timer&) { otherCalls++; }, 20);
  (void)self;
  const auto now = Timer::Clock::now() + 1s;
  Timer::PumpDue(nullptr, now);
  EXPECT_EQ(otherCalls, 0);
  EXPECT_EQ(createdCalls, 0); // new timers first fire on the next pump
  Timer::PumpDue(nullptr, now + 1ms);
  EXPECT_EQ(createdCalls, 1);
  delete created;
}

TEST(Timer, AThrowingCallbackDoesNotStopTheOthers)
{
  int calls = 0;
  std::unique_ptr<Timer> bad(Timer::Create(Timer::ITimerFunction(), 20)); // empty: throws
  std::unique_ptr<Timer> good(Timer::Create([&](Timer&) { calls++; }, 20));
  EXPECT_NO_THROW(Timer::PumpDue(nullptr, Timer::Clock::now() + 1s));
  EXPECT_EQ(calls, 1);
}

TEST(Timer, APumpFiresItsOwnersTimersOnly)
{
  int mine = 0, theirs = 0, madeByMine = 0;
  const int a = 0, b = 0; // two owners
  std::unique_ptr<Timer> made;
  std::unique_ptr<Timer> first(Timer::Create(
    [&](Timer&)
    {
      mine++;
      if (!made)
        made.reset(Timer::Create([&](Timer&) { madeByMine++; }, 20)); // stays with a
    },
    20, &a));
  std::unique_ptr<Timer> second;
  {
    Timer::OwnerScope scope(&b); // as while b opens its editor
    second.reset(Timer::Create([&](Timer&) { theirs++; }, 20));
  }
  const auto now = Timer::Clock::now() + 1s;
  Timer::PumpDue(&a, now);
  Timer::PumpDue(nullptr, now + 1ms);
  EXPECT_EQ(mine, 1);
  EXPECT_EQ(theirs, 0);
  Timer::PumpDue(&a, now + 2ms);
  EXPECT_EQ(madeByMine, 1);
  Timer::PumpDue(&b, now + 3ms);
  EXPECT_EQ(theirs, 1);
  EXPECT_EQ(madeByMine, 1);
}
