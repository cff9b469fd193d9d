#pragma once

// Relaxed<T>: one value of the sound model that one thread writes and another reads.
//
// The sound model is written by whichever thread delivers a parameter change (the host's, the
// editor's) while the audio thread reads it. Each field is a single 32- or 64-bit value written
// whole; no field depends on another being updated in the same instant. A relaxed atomic says
// exactly that: the read sees either the old or the new value, never a torn one, and costs a
// plain load or store on x86-64. Read such fields into locals once per sub-block in hot loops;
// the compiler does not hoist atomic loads for you.

#include <atomic>

template <typename T>
class Relaxed
{
public:
  static_assert(std::atomic<T>::is_always_lock_free, "a relaxed field must be lock-free");

  constexpr Relaxed() noexcept : mValue(T{}) {}
  constexpr Relaxed(T value) noexcept : mValue(value) {}
  Relaxed(const Relaxed&) = delete;
  Relaxed& operator=(const Relaxed&) = delete;

  // [any thread]
  operator T() const noexcept { return mValue.load(std::memory_order_relaxed); }
  T Load() const noexcept { return mValue.load(std::memory_order_relaxed); }

  // [any thread]
  Relaxed& operator=(T value) noexcept
  {
    mValue.store(value, std::memory_order_relaxed);
    return *this;
  }
  void Store(T value) noexcept { mValue.store(value, std::memory_order_relaxed); }

private:
  std::atomic<T> mValue;
};
