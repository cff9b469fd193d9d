#include "framework/core/IByteChunk.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using plugin::IByteChunk;

namespace
{
std::vector<uint8_t> Bytes(const IByteChunk& chunk)
{
  return std::vector<uint8_t>(chunk.Data(), chunk.Data() + chunk.Size());
}
} // namespace

TEST(IByteChunk, HeaderIsExactlyTagAndVersion)
{
  IByteChunk chunk;
  chunk.Resize(1000);
  IByteChunk::InitChunkWithFrameworkVer(chunk);
  EXPECT_EQ(Bytes(chunk), (std::vector<uint8_t>{0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00}));

  int pos = 0;
  EXPECT_EQ(IByteChunk::ReadFrameworkVersion(chunk, pos), 0x10000);
  EXPECT_EQ(pos, 8);
}

TEST(IByteChunk, ReadFrameworkVersionOnTruncatedOrForeignData)
{
  IByteChunk tagOnly;
  tagOnly.AppendValue(IByteChunk::kFrameworkTag);
  int pos = 0;
  EXPECT_EQ(IByteChunk::ReadFrameworkVersion(tagOnly, pos), 0);
  EXPECT_EQ(pos, -1);

  IByteChunk foreign;
  foreign.AppendValue(int32_t{0x12345678});
  foreign.AppendValue(int32_t{0x10000});
  pos = 0;
  EXPECT_EQ(IByteChunk::ReadFrameworkVersion(foreign, pos), 0);
  EXPECT_EQ(pos, 0);

  IByteChunk empty;
  pos = 0;
  EXPECT_EQ(IByteChunk::ReadFrameworkVersion(empty, pos), 0);
  EXPECT_EQ(pos, 0);
}

TEST(IByteChunk, TypedValuesRoundTripInLittleEndian)
{
  IByteChunk chunk(16);
  chunk.AppendValue(int32_t{-2});
  chunk.AppendValue(0.5);
  chunk.AppendValue(1.25f);
  chunk.AppendBool(true);
  chunk.AppendString("Init");
  Util_String name("Pad");
  chunk.AppendString(name);
  IByteChunk other;
  other.AppendChunk(chunk);
  ASSERT_TRUE(other.IsEqual(chunk));
  EXPECT_EQ(other.Data()[0], 0xFE);
  EXPECT_EQ(other.Data()[3], 0xFF);

  int32_t i = 0;
  double d = 0;
  float f = 0;
  bool b = false;
  Util_String s1, s2;
  int pos = other.ReadValue(i, 0);
  pos = other.ReadValue(d, pos);
  pos = other.ReadValue(f, pos);
  pos = other.ReadBool(b, pos);
  pos = other.ReadString(s1, pos);
  pos = other.ReadString(s2, pos);
  EXPECT_EQ(pos, other.Size());
  EXPECT_EQ(i, -2);
  EXPECT_EQ(d, 0.5);
  EXPECT_EQ(f, 1.25f);
  EXPECT_TRUE(b);
  EXPECT_STREQ(s1.Get(), "Init");
  EXPECT_STREQ(s2.Get(), "Pad");
}

TEST(IByteChunk, ReadsThatDoNotFitFailWithoutTouchingTheOutput)
{
  IByteChunk chunk;
  chunk.Resize(12);
  double d = 7.0;
  EXPECT_EQ(chunk.ReadValue(d, chunk.Size() - 4), -1);
  EXPECT_EQ(d, 7.0);
  EXPECT_EQ(chunk.ReadValue(d, -1), -1); // a failed earlier read fails every later one
  EXPECT_EQ(chunk.ReadValue(d, -8), -1);
  EXPECT_EQ(d, 7.0);
  char bytes[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(chunk.ReadBytes(bytes, 4, 9), -1);
  EXPECT_EQ(chunk.ReadBytes(bytes, -4, 0), -1);
  EXPECT_EQ(bytes[0], 'x');
  EXPECT_EQ(chunk.ReadBytes(bytes, 0, 12), 12); // an empty read at the very end fits
}

TEST(IByteChunk, StringLengthsAreCheckedBeforeUse)
{
  IByteChunk chunk;
  chunk.AppendValue(int32_t{0});
  chunk.AppendValue(int32_t{-8});        // would move a parser backwards
  chunk.AppendValue(int32_t{INT32_MAX}); // would overflow a 32-bit end position
  chunk.AppendValue(int32_t{3});
  chunk.AppendBytes("a\0c", 3);

  Util_String text("keep");
  EXPECT_EQ(chunk.ReadString(text, 0), 4);
  EXPECT_STREQ(text.Get(), "");
  text.Set("keep");
  EXPECT_EQ(chunk.ReadString(text, 4), -1);
  EXPECT_EQ(chunk.ReadString(text, 8), -1);
  EXPECT_EQ(chunk.ReadString(text, chunk.Size() - 2), -1); // length itself cut off
  EXPECT_STREQ(text.Get(), "keep");
  EXPECT_EQ(chunk.ReadString(text, 12), 19); // the text stops at the zero byte
  EXPECT_STREQ(text.Get(), "a");
}

TEST(IByteChunk, ResizeZeroesNewBytesAndKeepsOldOnes)
{
  IByteChunk chunk(16);
  chunk.AppendBytes("abc", 3);
  EXPECT_EQ(chunk.Resize(40), 3);
  ASSERT_EQ(chunk.Size(), 40);
  EXPECT_EQ(chunk.Data()[2], 'c');
  for (int i = 3; i < 40; ++i)
    ASSERT_EQ(chunk.Data()[i], 0) << i;
  EXPECT_EQ(chunk.Resize(2), 40);
  EXPECT_EQ(Bytes(chunk), (std::vector<uint8_t>{'a', 'b'}));
  chunk.Clear();
  EXPECT_EQ(chunk.Data(), nullptr);
}

TEST(IByteChunk, AppendsBeyond32BitsAreRefused)
{
  IByteChunk chunk;
  chunk.AppendBytes("xy", 2);
  static const char sByte = 0;
  EXPECT_EQ(chunk.AppendBytes(&sByte, INT32_MAX), -1);
  EXPECT_EQ(chunk.AppendBytes(nullptr, 4), -1);
  EXPECT_EQ(chunk.Size(), 2);
  EXPECT_EQ(chunk.AppendBytes(chunk.Data(), 2), 4); // its own bytes, while it grows
  EXPECT_EQ(Bytes(chunk), (std::vector<uint8_t>{'x', 'y', 'x', 'y'}));
}
