#pragma once
// System-exclusive messages: `ISysEx` points at bytes it does not own (valid for one call);
// `SysExData` is the fixed-size copy that travels through the rings.

#include <cstdint>
#include <cstring>

namespace plugin
{

struct ISysEx
{
  int32_t mOffset = 0; // sample offset within the block
  int32_t mSize = 0;   // bytes at mData
  const uint8_t* mData = nullptr;

  ISysEx() = default;
  ISysEx(int32_t offset, const uint8_t* data, int32_t size)
    : mOffset(offset), mSize(size), mData(data)
  {
  }
};

struct SysExData
{
  static constexpr int kMaxSize = 512;

  int32_t mOffset = 0;
  int32_t mSize = 0;
  uint8_t mData[kMaxSize] = {};

  // Copies a message; a null data pointer gives zeros. A message that does not fit (negative
  // size or more than kMaxSize bytes) is refused: a cut system-exclusive message would be a
  // different, malformed message.
  bool Set(const ISysEx& msg)
  {
    if (msg.mSize < 0 || msg.mSize > kMaxSize)
      return false;
    mOffset = msg.mOffset;
    mSize = msg.mSize;
    if (msg.mData && msg.mSize > 0)
      std::memcpy(mData, msg.mData, static_cast<size_t>(msg.mSize));
    else
      std::memset(mData, 0, sizeof(mData));
    return true;
  }
};

static_assert(sizeof(SysExData) == 8 + SysExData::kMaxSize, "offset, size, then the bytes");

} // namespace plugin
