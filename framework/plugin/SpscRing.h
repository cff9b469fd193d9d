#pragma once
// A fixed-capacity single-producer single-consumer ring of plain values, the road by which MIDI
// and system-exclusive messages cross between the audio thread and the main thread (and the
// synth's own event queues).
//
// A ring of n slots holds at most n - 1 elements: the slot at the write index is always free, so
// "write == read" means empty and "write + 1 == read" (modulo n) means full. A push into a full
// ring drops the new element and answers false; nothing ever waits or allocates after
// construction. The producer copies the element into its slot before it publishes the write
// index (release), and the consumer copies the element out before it publishes the read index,
// so neither side ever sees a half-written element.

#include <atomic>
#include <cstdint>
#include <memory>
#include <type_traits>

namespace plugin
{

template <typename T>
class SpscRing
{
  static_assert(std::is_trivially_copyable_v<T>, "ring elements are plain values");

public:
  // nSlots >= 2; the ring holds nSlots - 1 elements.
  explicit SpscRing(int nSlots)
    : mNumSlots(nSlots < 2 ? 2 : static_cast<uint64_t>(nSlots)),
      mSlots(std::make_unique<T[]>(mNumSlots))
  {
  }

  SpscRing(const SpscRing&) = delete;
  SpscRing& operator=(const SpscRing&) = delete;

  // [producer thread] No allocation, no locks.
  bool Push(const T& element)
  {
    const uint64_t write = mWriteIndex.load(std::memory_order_relaxed);
    const uint64_t next = Next(write);
    if (next == mReadIndex.load(std::memory_order_acquire))
      return false;
    mSlots[write] = element;
    mWriteIndex.store(next, std::memory_order_release);
    return true;
  }

  // [consumer thread] No allocation, no locks.
  bool Pop(T& element)
  {
    const uint64_t read = mReadIndex.load(std::memory_order_relaxed);
    if (read == mWriteIndex.load(std::memory_order_acquire))
      return false;
    element = mSlots[read];
    mReadIndex.store(Next(read), std::memory_order_release);
    return true;
  }

  // [consumer thread] The oldest element, left in the ring; null when empty.
  const T* Peek() const
  {
    const uint64_t read = mReadIndex.load(std::memory_order_relaxed);
    if (read == mWriteIndex.load(std::memory_order_acquire))
      return nullptr;
    return &mSlots[read];
  }

  // [consumer thread] Drops the oldest element (after Peek).
  void Advance()
  {
    const uint64_t read = mReadIndex.load(std::memory_order_relaxed);
    if (read != mWriteIndex.load(std::memory_order_acquire))
      mReadIndex.store(Next(read), std::memory_order_release);
  }

  // [consumer thread]
  bool Empty() const
  {
    return mReadIndex.load(std::memory_order_relaxed) ==
           mWriteIndex.load(std::memory_order_acquire);
  }

  // [consumer thread] True when the next push would fail (a snapshot, exact for the consumer's
  // own pushes when producer and consumer are one thread).
  bool Full() const
  {
    return Next(mWriteIndex.load(std::memory_order_acquire)) ==
           mReadIndex.load(std::memory_order_relaxed);
  }

  // [consumer thread] Drops every element queued so far.
  void Clear()
  {
    mReadIndex.store(mWriteIndex.load(std::memory_order_acquire), std::memory_order_release);
  }

  // [any thread] A snapshot; exact only when neither side is active.
  int ElementsAvailable() const
  {
    const uint64_t write = mWriteIndex.load(std::memory_order_acquire);
    const uint64_t read = mReadIndex.load(std::memory_order_acquire);
    return static_cast<int>(write >= read ? write - read : write + mNumSlots - read);
  }

  int MaxElements() const { return static_cast<int>(mNumSlots - 1); }

private:
  // The slot after index i (a compare rather than a division: this runs per element).
  uint64_t Next(uint64_t i) const { return i + 1 == mNumSlots ? 0 : i + 1; }

  const uint64_t mNumSlots;
  std::unique_ptr<T[]> mSlots;
  alignas(64) std::atomic<uint64_t> mWriteIndex{0};
  alignas(64) std::atomic<uint64_t> mReadIndex{0};
};

} // namespace plugin
