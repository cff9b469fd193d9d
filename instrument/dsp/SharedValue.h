#pragma once

// SharedValue<T>: a plain record that the main thread replaces while the audio thread copies it.
//
// The editor, preset loading and state restoring replace an envelope at any moment; a voice that
// starts a note at that moment must get either the old envelope or the new one, never a mix, and
// must never wait for the main thread. This class keeps two published copies of the record in
// fixed storage, each guarded by a sequence number (a seqlock per copy), and an index naming the
// newest one:
//
// - A writer (any non-audio thread; writers are serialised by a mutex among themselves) builds
//   the new value in its private master copy, writes it into the copy that is *not* published
//   (its sequence odd while it writes), then publishes that copy's index.
// - A reader copies the published copy word by word with relaxed atomic loads and checks that the
//   sequence number did not change meanwhile. It only has to retry when a writer came back to the
//   very copy it was reading, which takes two complete replacements during one read of a
//   microsecond; a writer stalled half-way through never blocks a reader, because the copy it is
//   writing is not the published one.
//
// Every shared word is an atomic (release stores, acquire loads; no standalone fences), so the
// scheme is free of data races in the language's sense and ThreadSanitizer can check it. T must be
// trivially copyable and a multiple of 4 bytes long.

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <type_traits>

template <typename T>
class SharedValue
{
public:
  static_assert(std::is_trivially_copyable_v<T>, "SharedValue holds plain records only");
  static_assert(sizeof(T) % sizeof(uint32_t) == 0, "SharedValue copies whole 32-bit words");

  // A reader gives up after this many attempts and keeps what it had; each failed attempt needs
  // two writes completed meanwhile, so this never happens in practice.
  static constexpr int kReadAttempts = 8;

  explicit SharedValue(const T& initial = T{})
  {
    mMaster = initial;
    for (int copy = 0; copy < 2; ++copy)
    {
      StoreWords(copy, mMaster);
    }
  }
  SharedValue(const SharedValue&) = delete;
  SharedValue& operator=(const SharedValue&) = delete;

  // [main thread] The latest value written (a copy, taken under the writers' mutex).
  T Get() const
  {
    std::lock_guard<std::mutex> lock(mWriterMutex);
    return mMaster;
  }

  // [main thread] Replaces the value; readers see it from their next Read on.
  void Set(const T& value)
  {
    std::lock_guard<std::mutex> lock(mWriterMutex);
    mMaster = value;
    Publish();
  }

  // [main thread] Changes the value in place with edit(T&) and publishes the result; the edit
  // runs under the writers' mutex, so two writers never lose each other's changes.
  template <typename Editor>
  void Edit(Editor&& edit)
  {
    std::lock_guard<std::mutex> lock(mWriterMutex);
    edit(mMaster);
    Publish();
  }

  // [audio thread] Copies the published value into out: no lock, no allocation, no waiting for
  // a writer. Returns false, leaving out unchanged, only when writers kept replacing the value
  // for every attempt.
  bool Read(T& out) const noexcept
  {
    alignas(T) uint32_t words[kWords];
    for (int attempt = 0; attempt < kReadAttempts; ++attempt)
    {
      const int copy = mPublished.load(std::memory_order_acquire);
      const uint32_t before = mSequence[copy].load(std::memory_order_acquire);
      if (before & 1u)
      {
        continue;
      }
      // Acquire loads: if any word comes from a write that started after `before`, the
      // sequence read below cannot miss that write's odd marker.
      for (size_t w = 0; w < kWords; ++w)
      {
        words[w] = mWords[copy][w].load(std::memory_order_acquire);
      }
      if (mSequence[copy].load(std::memory_order_relaxed) == before)
      {
        std::memcpy(static_cast<void*>(&out), words, sizeof(T));
        return true;
      }
    }
    return false;
  }

private:
  static constexpr size_t kWords = sizeof(T) / sizeof(uint32_t);

  // Writes the master into the unpublished copy, then publishes it. Caller holds the mutex.
  void Publish()
  {
    const int copy = 1 - mPublished.load(std::memory_order_relaxed);
    StoreWords(copy, mMaster);
    mPublished.store(copy, std::memory_order_release);
  }

  void StoreWords(int copy, const T& value)
  {
    uint32_t words[kWords];
    std::memcpy(words, static_cast<const void*>(&value), sizeof(T));
    const uint32_t sequence = mSequence[copy].load(std::memory_order_relaxed);
    mSequence[copy].store(sequence + 1, std::memory_order_relaxed);
    // Release stores keep the odd marker above ahead of every word (on x86-64 both orderings
    // are plain moves).
    for (size_t w = 0; w < kWords; ++w)
    {
      mWords[copy][w].store(words[w], std::memory_order_release);
    }
    mSequence[copy].store(sequence + 2, std::memory_order_release);
  }

  mutable std::mutex mWriterMutex;
  T mMaster; // the writers' own copy, touched only under mWriterMutex
  std::atomic<int> mPublished{0};
  std::array<std::atomic<uint32_t>, 2> mSequence{};
  std::array<std::array<std::atomic<uint32_t>, kWords>, 2> mWords{};
};
