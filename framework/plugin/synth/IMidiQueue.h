#pragma once
// The MIDI queue of the synth frame: messages kept sorted by sample offset, oldest first.
//
// The buffer is allocated by the constructor and by Resize (called when the host changes the
// block size, never while rendering); Add never allocates: when the buffer's end is reached it
// compacts the live messages to the start, and when the buffer is full it refuses the message.
// Messages usually arrive in offset order, so an insert is a plain append; an earlier offset is
// inserted after the last message whose offset is not greater (equal offsets keep arrival order).

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

namespace plugin
{

// T has an int32 mOffset (sample offset within the block), e.g. IMidiMsg.
template <typename T>
class IMidiQueueBase
{
public:
  static constexpr int kGranularity = 512; // capacities are multiples of this many messages

  // [main thread]
  explicit IMidiQueueBase(int capacity = kGranularity) : mBuf(RoundUp(capacity)) {}

  // [audio thread] False, and the message is dropped, when the queue is full.
  bool Add(const T& msg)
  {
    if (mBack >= Capacity())
    {
      if (mFront == 0)
        return false;
      Compact();
    }
    int at = mBack;
    while (at > mFront && mBuf[at - 1].mOffset > msg.mOffset)
      --at;
    std::copy_backward(mBuf.begin() + at, mBuf.begin() + mBack, mBuf.begin() + mBack + 1);
    mBuf[at] = msg;
    ++mBack;
    return true;
  }

  // [audio thread]
  bool Empty() const { return mFront == mBack; }
  int ToDo() const { return mBack - mFront; }
  const T& Peek() const { return mBuf[mFront]; }
  void Remove() { ++mFront; }
  int Capacity() const { return static_cast<int>(mBuf.size()); }

  // [audio thread] After a block of nFrames samples: the remaining messages move into the next
  // block (their offsets drop by nFrames, never below 0).
  void Flush(int nFrames)
  {
    Compact();
    for (int i = 0; i < mBack; ++i)
      mBuf[i].mOffset = std::max<int32_t>(mBuf[i].mOffset - nFrames, 0);
  }

  // [main thread, not while processing] Room for at least one message per sample of a block of
  // blockSize samples (and for every message queued). A failed allocation keeps the old buffer.
  void Resize(int blockSize)
  {
    Compact();
    const int capacity = RoundUp(std::max(blockSize, mBack));
    if (capacity == Capacity())
      return;
    try
    {
      mBuf.resize(capacity);
      mBuf.shrink_to_fit();
    }
    catch (const std::bad_alloc&)
    {
    }
  }

  void Clear() { mFront = mBack = 0; }

private:
  static int RoundUp(int n)
  {
    n = std::max(n, 1);
    return (n + kGranularity - 1) / kGranularity * kGranularity;
  }

  void Compact()
  {
    if (mFront == 0)
      return;
    std::copy(mBuf.begin() + mFront, mBuf.begin() + mBack, mBuf.begin());
    mBack -= mFront;
    mFront = 0;
  }

  std::vector<T> mBuf;
  int mFront = 0;
  int mBack = 0;
};

} // namespace plugin
