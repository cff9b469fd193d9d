#pragma once
// A fixed-capacity, lock-free, single-producer single-consumer ring of plain values.
//
// The storage is allocated once by the constructor and never again. One thread pushes, one thread
// pops (they may be the same thread). A push into a full ring fails and drops the value; nothing
// ever waits. The write index is published with release order after the slot is written, and the
// read index after the slot is read, so each side sees the other's data complete.

#include <atomic>
#include <cstddef>
#include <memory>

namespace plugin
{

template <typename T>
class SynthEventRing
{
public:
  // [main thread] Room for `capacity` values (one more slot than that is allocated).
  explicit SynthEventRing(int capacity)
    : mNumSlots(static_cast<size_t>(capacity > 0 ? capacity : 1) + 1),
      mSlots(std::make_unique<T[]>(mNumSlots))
  {
  }

  SynthEventRing(const SynthEventRing&) = delete;
  SynthEventRing& operator=(const SynthEventRing&) = delete;

  // [producer thread] False, and the value is dropped, when the ring is full.
  bool Push(const T& value)
  {
    const size_t write = mWrite.load(std::memory_order_relaxed);
    const size_t next = write + 1 == mNumSlots ? 0 : write + 1;
    if (next == mRead.load(std::memory_order_acquire))
      return false;
    mSlots[write] = value;
    mWrite.store(next, std::memory_order_release);
    return true;
  }

  // [consumer thread] False when the ring is empty.
  bool Pop(T& value)
  {
    const size_t read = mRead.load(std::memory_order_relaxed);
    if (read == mWrite.load(std::memory_order_acquire))
      return false;
    value = mSlots[read];
    mRead.store(read + 1 == mNumSlots ? 0 : read + 1, std::memory_order_release);
    return true;
  }

  // [consumer thread] The oldest value, or nullptr when empty; stays in the ring until Pop.
  const T* Peek() const
  {
    const size_t read = mRead.load(std::memory_order_relaxed);
    if (read == mWrite.load(std::memory_order_acquire))
      return nullptr;
    return &mSlots[read];
  }

  // [consumer thread]
  bool Empty() const
  {
    return mRead.load(std::memory_order_relaxed) == mWrite.load(std::memory_order_acquire);
  }

  // [consumer thread] True when the next push would fail (a snapshot, exact for the consumer's
  // own pushes when producer and consumer are one thread).
  bool Full() const
  {
    const size_t write = mWrite.load(std::memory_order_acquire);
    const size_t next = write + 1 == mNumSlots ? 0 : write + 1;
    return next == mRead.load(std::memory_order_relaxed);
  }

  // [consumer thread] Drops every value queued so far.
  void Clear() { mRead.store(mWrite.load(std::memory_order_acquire), std::memory_order_release); }

  int Capacity() const { return static_cast<int>(mNumSlots - 1); }

private:
  const size_t mNumSlots;
  std::unique_ptr<T[]> mSlots;
  // The two indices live on separate cache lines so that producer and consumer do not contend.
  alignas(64) std::atomic<size_t> mWrite{0};
  alignas(64) std::atomic<size_t> mRead{0};
};

} // namespace plugin
