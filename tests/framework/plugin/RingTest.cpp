#include "framework/core/ParamTuple.h"
#include "framework/plugin/MpscRing.h"
#include "framework/plugin/SpscRing.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using plugin::MpscRing;
using plugin::ParamTuple;
using plugin::SpscRing;

TEST(SpscRing, HoldsOneLessThanItsSlotsAndDropsWhenFull)
{
  SpscRing<int> ring(33);
  EXPECT_EQ(ring.MaxElements(), 32);
  for (int i = 0; i < 32; i++)
    EXPECT_TRUE(ring.Push(i));
  EXPECT_FALSE(ring.Push(99)); // the 33rd is dropped, the older ones stay
  EXPECT_EQ(ring.ElementsAvailable(), 32);
  int v = -1;
  for (int i = 0; i < 32; i++)
  {
    ASSERT_TRUE(ring.Pop(v));
    EXPECT_EQ(v, i);
  }
  EXPECT_FALSE(ring.Pop(v));
  // Wrapping around keeps the count right.
  for (int round = 0; round < 5; round++)
  {
    for (int i = 0; i < 20; i++)
      ring.Push(i);
    EXPECT_EQ(ring.ElementsAvailable(), 20);
    while (ring.Pop(v))
    {
    }
  }
}

TEST(SpscRing, TwoThreadsSeeEveryElementInOrder)
{
  SpscRing<int> ring(33);
  constexpr int kCount = 200000;
  std::thread producer(
    [&]
    {
      for (int i = 0; i < kCount;)
        if (ring.Push(i))
          i++;
    });
  int expected = 0;
  int v;
  while (expected < kCount)
  {
    if (ring.Pop(v))
    {
      ASSERT_EQ(v, expected++);
    }
  }
  producer.join();
}

TEST(MpscRing, HoldsOneLessThanItsSlotsAndDropsWhenFull)
{
  MpscRing<ParamTuple> ring(513);
  EXPECT_EQ(ring.MaxElements(), 512);
  for (int i = 0; i < 512; i++)
    EXPECT_TRUE(ring.Push({i, i * 0.5}));
  EXPECT_FALSE(ring.Push({999, 0.0}));
  ParamTuple t;
  ASSERT_TRUE(ring.Pop(t));
  EXPECT_EQ(t.mIdx, 0);
  EXPECT_TRUE(ring.Push({512, 1.0})); // room again after one pop
  int count = 1;
  while (ring.Pop(t))
    count++;
  EXPECT_EQ(count, 513);
  EXPECT_EQ(t.mIdx, 512);

  // A tiny ring still keeps what it takes and gives it back, round after round.
  MpscRing<ParamTuple> tiny(2);
  for (int round = 0; round < 3; round++)
  {
    while (tiny.Push({round, 0.0}))
      ;
    int popped = 0;
    while (tiny.Pop(t))
      popped++;
    EXPECT_EQ(popped, tiny.MaxElements());
  }
}

// Two producers (host automation and preset loading) and one consumer (the idle timer): every
// element arrives exactly once, whole, and each producer's elements keep their order.
TEST(MpscRing, TwoProducersLoseAndTearNothing)
{
  MpscRing<ParamTuple> ring(513);
  constexpr int kPerProducer = 100000;
  auto produce = [&](int idx)
  {
    for (int i = 0; i < kPerProducer;)
      if (ring.Push({idx, static_cast<double>(i)}))
        i++;
  };
  std::thread a(produce, 0);
  std::thread b(produce, 1);
  double next[2] = {0.0, 0.0};
  int received = 0;
  ParamTuple t;
  while (received < 2 * kPerProducer)
  {
    if (!ring.Pop(t))
      continue;
    ASSERT_TRUE(t.mIdx == 0 || t.mIdx == 1);
    ASSERT_EQ(t.mValue, next[t.mIdx]);
    next[t.mIdx] += 1.0;
    received++;
  }
  a.join();
  b.join();
  EXPECT_FALSE(ring.Pop(t));
}
