#pragma once
// IByteChunk: the growable byte buffer in which every persistent state is written and parsed
// (the host's state and bank chunks, program slots, the instrument's own state).
//
// Values are appended at the end in memory byte order (little-endian on every supported
// processor; IEEE 754 doubles and floats, two's-complement integers). Reads take a position and
// answer the position just after what they read, or -1 when it does not fit; a read at a
// negative position fails too, so a parser chains positions and stops at the first failure.
// A failed read never changes its output and never looks outside the data.
//
// Layouts: a string is an int32 length and that many bytes without terminator; a bool is one
// byte (0 or 1). Chunks exchanged with the host start with an 8-byte header: the int32 tag
// 0x70666674 (bytes 74 66 66 70), then the int32 framework version 0x10000.
//
// Sizes stay within 32 bits: an append that would pass 2^31 - 1 bytes, or that cannot allocate,
// appends nothing and answers -1. Not thread-safe; appends allocate (main thread only).

#include "framework/util/UtilBuffers.h"
#include "framework/util/UtilString.h"

#include <bit>
#include <cstdint>
#include <type_traits>

namespace plugin
{

static_assert(std::endian::native == std::endian::little, "chunks are little-endian");

class IByteChunk
{
public:
  static constexpr int32_t kFrameworkTag = 0x70666674;
  static constexpr int32_t kFrameworkVersion = 0x10000;

  explicit IByteChunk(int granularity = 4096) : mBytes(granularity) {}

  // Empties the chunk (freeing its storage) and appends the 8-byte header.
  static void InitChunkWithFrameworkVer(IByteChunk& chunk);
  // Reads the header at pos: answers the framework version and moves pos past the header; answers
  // 0 with pos unchanged when no tag is there; answers 0 with pos = -1 when the tag is there but
  // the version is cut off.
  static int ReadFrameworkVersion(const IByteChunk& chunk, int& pos);

  // Sets the size, zeroing added bytes; answers the old size (the size stays when memory ran out).
  int Resize(int newSize);

  // Each append answers the new size, or -1 when nothing could be appended.
  template <class T>
  int AppendValue(const T& value)
  {
    static_assert(std::is_trivially_copyable_v<T>, "values are stored as their bytes");
    return AppendBytes(&value, static_cast<int>(sizeof(T)));
  }
  int AppendBytes(const void* data, int count);
  int AppendBool(bool value);
  // The int32 length, then the text's bytes (a null text is stored as the empty text).
  int AppendString(const char* text);
  int AppendString(const Util_String& text) { return AppendString(text.Get()); }
  int AppendChunk(const IByteChunk& other);

  // Each read answers pos + the bytes read, or -1 (output untouched).
  template <class T>
  int ReadValue(T& value, int pos) const
  {
    static_assert(std::is_trivially_copyable_v<T>, "values are stored as their bytes");
    return ReadBytes(&value, static_cast<int>(sizeof(T)), pos);
  }
  int ReadBytes(void* out, int count, int pos) const;
  int ReadBool(bool& value, int pos) const;
  // The text is the stored bytes up to the first zero byte within the length; a length of 0 gives
  // the empty text. A negative length or one that runs past the end fails.
  int ReadString(Util_String& text, int pos) const;

  void Clear() { mBytes.Resize(0); }
  int Size() const { return mBytes.GetSize(); }
  uint8_t* Data() { return static_cast<uint8_t*>(mBytes.Get()); }
  const uint8_t* Data() const { return static_cast<const uint8_t*>(mBytes.Get()); }

  bool IsEqual(const IByteChunk& other) const;

private:
  bool Fits(int64_t pos, int64_t count) const
  {
    return pos >= 0 && count >= 0 && pos + count <= Size();
  }

  Util_HeapBuf mBytes;
};

} // namespace plugin
