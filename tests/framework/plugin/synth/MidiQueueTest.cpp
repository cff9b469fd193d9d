#include "framework/core/IMidiMsg.h"
#include "framework/plugin/synth/IMidiQueue.h"
#include "framework/plugin/synth/SynthEventRing.h"

#include <gtest/gtest.h>

using plugin::IMidiMsg;
using plugin::IMidiQueueBase;

TEST(MidiQueue, KeepsMessagesSortedByOffsetAndEqualOffsetsInArrivalOrder)
{
  IMidiQueueBase<IMidiMsg> queue;
  for (int offset : {10, 3, 10, 0, 7, 3})
    ASSERT_TRUE(queue.Add(IMidiMsg(offset, 0x90, uint8_t(queue.ToDo()), 1)));
  const int expected[][2] = {{0, 3}, {3, 1}, {3, 5}, {7, 4}, {10, 0}, {10, 2}}; // offset, order
  for (const auto& e : expected)
  {
    ASSERT_FALSE(queue.Empty());
    EXPECT_EQ(queue.Peek().mOffset, e[0]);
    EXPECT_EQ(queue.Peek().mData1, e[1]);
    queue.Remove();
  }
  EXPECT_TRUE(queue.Empty());
}

TEST(MidiQueue, FixedCapacityCompactsThenRefusesAndFlushCarriesIntoTheNextBlock)
{
  IMidiQueueBase<IMidiMsg> queue(512);
  for (int i = 0; i < 512; ++i)
    ASSERT_TRUE(queue.Add(IMidiMsg(i, 0x90, 60, 1)));
  EXPECT_FALSE(queue.Add(IMidiMsg(600, 0x90, 60, 1))); // full: dropped, never grown
  EXPECT_EQ(queue.Capacity(), 512);
  for (int i = 0; i < 500; ++i)
    queue.Remove();
  EXPECT_TRUE(queue.Add(IMidiMsg(5, 0x90, 61, 1))); // room again after compacting
  EXPECT_EQ(queue.Peek().mData1, 61);               // never placed before the front

  queue.Flush(505); // 505..511 move into the next block as 0..6; earlier ones stay due at 0
  EXPECT_EQ(queue.ToDo(), 13);
  EXPECT_EQ(queue.Peek().mOffset, 0);
  int last = 0;
  while (!queue.Empty())
  {
    last = queue.Peek().mOffset;
    queue.Remove();
  }
  EXPECT_EQ(last, 6);

  queue.Add(IMidiMsg(1, 0x90, 60, 1));
  queue.Resize(4096); // a host block of 4096 samples: room for a message per sample
  EXPECT_EQ(queue.Capacity(), 4096);
  EXPECT_EQ(queue.ToDo(), 1);
  queue.Resize(33);
  EXPECT_EQ(queue.Capacity(), 512);
}

TEST(SynthEventRing, HoldsExactlyItsCapacityAcrossTheWrap)
{
  plugin::SynthEventRing<int> ring(3);
  int value = 0;
  for (int round = 0; round < 3; ++round) // each round starts at another slot
  {
    for (int i = 0; i < 3; ++i)
      EXPECT_TRUE(ring.Push(i));
    EXPECT_FALSE(ring.Push(9)); // full: dropped
    ASSERT_TRUE(ring.Pop(value) && ring.Pop(value));
    EXPECT_EQ(value, 1);
    ring.Clear();
  }
  EXPECT_FALSE(ring.Pop(value));
}
