#include "framework/util/UtilBuffers.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace
{
constexpr int64_t kPage = 4096;
constexpr int64_t kAllocatorOverhead = 96;
constexpr int64_t kMaxHeadroom = 4 * 1024 * 1024;
} // namespace

Util_HeapBuf::Util_HeapBuf(int granularity)
{
  SetGranularity(granularity);
}

Util_HeapBuf::~Util_HeapBuf()
{
  Free();
}

Util_HeapBuf::Util_HeapBuf(const Util_HeapBuf& other) : mGranularity(other.mGranularity)
{
  // A copy that cannot allocate stays empty rather than throwing.
  if (other.mSize > 0 && Resize(other.mSize))
    std::memcpy(mBuf, other.mBuf, static_cast<size_t>(other.mSize));
}

Util_HeapBuf& Util_HeapBuf::operator=(const Util_HeapBuf& other)
{
  if (this != &other)
  {
    Util_HeapBuf copy(other);
    *this = std::move(copy);
  }
  return *this;
}

Util_HeapBuf::Util_HeapBuf(Util_HeapBuf&& other) noexcept
  : mBuf(std::exchange(other.mBuf, nullptr)), mAlloc(std::exchange(other.mAlloc, 0)),
    mSize(std::exchange(other.mSize, 0)), mGranularity(other.mGranularity)
{
}

Util_HeapBuf& Util_HeapBuf::operator=(Util_HeapBuf&& other) noexcept
{
  if (this != &other)
  {
    Free();
    mBuf = std::exchange(other.mBuf, nullptr);
    mAlloc = std::exchange(other.mAlloc, 0);
    mSize = std::exchange(other.mSize, 0);
    mGranularity = other.mGranularity;
  }
  return *this;
}

void Util_HeapBuf::Free()
{
  std::free(mBuf);
  mBuf = nullptr;
  mAlloc = 0;
  mSize = 0;
}

int64_t Util_HeapBuf::AllocationFor(int64_t newSize, int granularity)
{
  int64_t headroom = std::max<int64_t>(newSize / 2, granularity);
  if (granularity < kPage)
    return newSize + headroom;
  headroom -= headroom % kPage;
  if (headroom == 0)
    headroom = kPage;
  headroom = std::min(headroom, kMaxHeadroom);
  const int64_t total = headroom + newSize + kAllocatorOverhead;
  return total - total % kPage - kAllocatorOverhead;
}

void* Util_HeapBuf::Resize(int newSize, bool resizeDown)
{
  if (newSize < 0)
    newSize = 0;
  const int64_t shrinkBelow = std::max<int64_t>(
    1, std::min<int64_t>(mAlloc / 2, int64_t{mAlloc} - 4 * int64_t{mGranularity}));
  const bool grow = newSize > mAlloc;
  const bool shrink = resizeDown && newSize != mSize && newSize < shrinkBelow;
  if (!grow && !shrink)
  {
    mSize = newSize;
    return Get();
  }
  if (newSize == 0)
  {
    Free();
    return nullptr;
  }

  const int64_t alloc = AllocationFor(newSize, mGranularity);
  if (alloc > INT32_MAX)
    return nullptr;
  if (alloc != mAlloc)
  {
    void* block = std::realloc(mBuf, static_cast<size_t>(alloc));
    if (!block)
    {
      block = std::malloc(static_cast<size_t>(alloc));
      if (!block)
        return nullptr; // the old block and sizes stay
      if (mBuf)
        std::memcpy(block, mBuf, static_cast<size_t>(std::min(mSize, newSize)));
      std::free(mBuf);
    }
    mBuf = block;
    mAlloc = static_cast<int>(alloc);
  }
  mSize = newSize;
  return mBuf;
}
