#include "framework/util/UtilBuffers.h"

#include <gtest/gtest.h>

TEST(Util_HeapBuf, AllocationFollowsGranularityAndShrinkThreshold)
{
  Util_HeapBuf paged(4096);
  ASSERT_NE(paged.Resize(1), nullptr);
  EXPECT_EQ(paged.GetAllocated(), 4000); // one page less the allocator's overhead

  Util_HeapBuf small(128);
  small.Resize(100);
  EXPECT_EQ(small.GetAllocated(), 228);
  void* block = small.Get();
  small.Resize(10); // threshold max(1, min(114, 228 - 512)) = 1: the block stays
  EXPECT_EQ(small.GetAllocated(), 228);
  EXPECT_EQ(small.Get(), block);
  EXPECT_EQ(small.GetSize(), 10);

  Util_HeapBuf fine(16);
  fine.Resize(1000);
  EXPECT_EQ(fine.GetAllocated(), 1500);
  fine.Resize(900, false);
  EXPECT_EQ(fine.GetAllocated(), 1500);
  fine.Resize(800, true); // not below the threshold 750: the block stays
  EXPECT_EQ(fine.GetAllocated(), 1500);
  fine.Resize(100, true); // below it: reallocated to 100 + 50
  EXPECT_EQ(fine.GetAllocated(), 150);
}

TEST(Util_HeapBuf, ResizeKeepsContentAndZeroFrees)
{
  Util_HeapBuf buf(16);
  char* data = static_cast<char*>(buf.Resize(5));
  ASSERT_NE(data, nullptr);
  std::memcpy(data, "hello", 5);
  data = static_cast<char*>(buf.Resize(5000));
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::memcmp(data, "hello", 5), 0);
  EXPECT_EQ(buf.Resize(-3), nullptr);
  EXPECT_EQ(buf.GetSize(), 0);
  EXPECT_EQ(buf.GetAllocated(), 0);
  EXPECT_EQ(buf.Get(), nullptr);
}

TEST(Util_HeapBuf, AllocationBeyond32BitsFailsAndKeepsTheBuffer)
{
  Util_HeapBuf buf(4096);
  char* data = static_cast<char*>(buf.Resize(3));
  std::memcpy(data, "abc", 3);
  EXPECT_EQ(buf.Resize(INT32_MAX), nullptr);
  EXPECT_EQ(buf.GetSize(), 3);
  EXPECT_EQ(buf.Get(), data);
  EXPECT_EQ(std::memcmp(buf.Get(), "abc", 3), 0);

  Util_TypedBuf<double> doubles;
  EXPECT_EQ(doubles.Resize(INT32_MAX / 4), nullptr); // bytes would overflow 32 bits
  EXPECT_EQ(doubles.GetSize(), 0);
}

TEST(Util_TypedBuf, InsertAndDeleteKeepOrder)
{
  Util_TypedBuf<int> buf(16);
  for (int i = 0; i < 5; ++i)
    buf.Add(i);
  buf.Insert(99, 2);
  buf.Insert(-1, -7);    // clamped to the front
  buf.Insert(100, 1000); // clamped to the end
  buf.Delete(3);
  buf.Delete(42); // outside: nothing
  const int expected[] = {-1, 0, 1, 2, 3, 4, 100};
  ASSERT_EQ(buf.GetSize(), 7);
  for (int i = 0; i < 7; ++i)
    EXPECT_EQ(buf.Get()[i], expected[i]) << i;
}

TEST(Util_TypedBuf, AddOfAnOwnElementSurvivesGrowth)
{
  Util_TypedBuf<int> buf(1);
  buf.Add(7);
  for (int i = 0; i < 100; ++i)
    buf.Add(buf.Get()[0]);
  EXPECT_EQ(buf.GetSize(), 101);
  EXPECT_EQ(buf.Get()[100], 7);
}
