#pragma once
// A fixed-capacity ring of plain values with any number of producer threads and one consumer.
//
// The parameter changes that travel to the editor have two producers: the host's parameter
// writes (its audio or automation thread) and the values the host has the plug-in parse from
// text (main thread). A ring with one write index would let two pushes claim the same slot, so each
// slot here carries a sequence number (the bounded-queue scheme with per-cell sequences):
//
// - a producer claims the next position with a compare-and-swap on the enqueue counter, copies
//   its element into the cell and then publishes the cell by storing position + 1 into the
//   cell's sequence (release);
// - the consumer reads a cell only when its sequence says it was published for the consumer's
//   position; after copying the element out it hands the cell back to producers by storing
//   position + cell count.
//
// A full ring drops the new element (Push answers false); a cell claimed but not yet published
// simply reads as "nothing yet" to the consumer. Nobody waits, locks or allocates after
// construction. Like the single-producer ring, a ring built with n slots holds n - 1 elements.

#include <atomic>
#include <cstdint>
#include <memory>
#include <type_traits>

namespace plugin
{

template <typename T>
class MpscRing
{
  static_assert(std::is_trivially_copyable_v<T>, "ring elements are plain values");

  struct Cell
  {
    std::atomic<uint64_t> mSequence{0};
    T mElement{};
  };

public:
  // The ring holds nSlots - 1 elements. The sequence scheme needs two cells at the least (with
  // one, a published cell and a free one carry the same sequence), so a ring of fewer than three
  // slots holds two elements.
  explicit MpscRing(int nSlots)
    : mNumCells(nSlots < 3 ? 2 : static_cast<uint64_t>(nSlots) - 1),
      mCells(std::make_unique<Cell[]>(mNumCells))
  {
    for (uint64_t i = 0; i < mNumCells; i++)
      mCells[i].mSequence.store(i, std::memory_order_relaxed);
  }

  MpscRing(const MpscRing&) = delete;
  MpscRing& operator=(const MpscRing&) = delete;

  // [any thread] No allocation, no locks; a full ring drops the element.
  bool Push(const T& element)
  {
    uint64_t pos = mEnqueuePos.load(std::memory_order_relaxed);
    for (;;)
    {
      Cell& cell = mCells[pos % mNumCells];
      const uint64_t seq = cell.mSequence.load(std::memory_order_acquire);
      const int64_t diff = static_cast<int64_t>(seq) - static_cast<int64_t>(pos);
      if (diff == 0)
      {
        if (mEnqueuePos.compare_exchange_weak(pos, pos + 1, std::memory_order_relaxed))
        {
          cell.mElement = element;
          cell.mSequence.store(pos + 1, std::memory_order_release);
          return true;
        }
        // pos was reloaded by the failed exchange
      }
      else if (diff < 0)
      {
        return false; // full: the cell still holds an element the consumer has not taken
      }
      else
      {
        pos = mEnqueuePos.load(std::memory_order_relaxed);
      }
    }
  }

  // [consumer thread] No allocation, no locks.
  bool Pop(T& element)
  {
    const uint64_t pos = mDequeuePos.load(std::memory_order_relaxed);
    Cell& cell = mCells[pos % mNumCells];
    const uint64_t seq = cell.mSequence.load(std::memory_order_acquire);
    if (seq != pos + 1)
      return false; // empty, or the producer of this cell has not published it yet
    element = cell.mElement;
    mDequeuePos.store(pos + 1, std::memory_order_relaxed);
    cell.mSequence.store(pos + mNumCells, std::memory_order_release);
    return true;
  }

  // [any thread] A snapshot of claimed and not yet consumed elements.
  int ElementsAvailable() const
  {
    const uint64_t enq = mEnqueuePos.load(std::memory_order_acquire);
    const uint64_t deq = mDequeuePos.load(std::memory_order_acquire);
    return enq > deq ? static_cast<int>(enq - deq) : 0;
  }

  int MaxElements() const { return static_cast<int>(mNumCells); }

private:
  const uint64_t mNumCells;
  std::unique_ptr<Cell[]> mCells;
  alignas(64) std::atomic<uint64_t> mEnqueuePos{0};
  alignas(64) std::atomic<uint64_t> mDequeuePos{0};
};

} // namespace plugin
