#pragma once
// Growable heap buffers: Util_HeapBuf (bytes) and Util_TypedBuf (trivially copyable elements).
//
// A buffer keeps a used size and a larger allocation; it grows by a headroom of half the new
// size or the granularity, whichever is larger, so that appending element by element costs few
// reallocations. With a granularity of 4096 bytes or more, allocations are laid out so that the
// block plus 96 bytes of allocator overhead fills whole 4 KiB pages.
//
// Sizes are 32-bit: a request whose allocation would not fit in 31 bits fails. A failed
// allocation leaves the buffer exactly as it was and is reported: Resize answers null for a
// non-zero size. None of these classes is thread-safe; they allocate, so never resize them on the
// audio thread.

#include <cstdint>
#include <cstring>
#include <type_traits>

class Util_HeapBuf
{
public:
  explicit Util_HeapBuf(int granularity = 4096);
  ~Util_HeapBuf();
  Util_HeapBuf(const Util_HeapBuf& other);
  Util_HeapBuf& operator=(const Util_HeapBuf& other);
  Util_HeapBuf(Util_HeapBuf&& other) noexcept;
  Util_HeapBuf& operator=(Util_HeapBuf&& other) noexcept;

  // Sets the used size (negative counts as 0) and answers the data pointer: null for size 0,
  // and null when the needed allocation failed (the buffer is then unchanged). The block is
  // reallocated when newSize exceeds the allocation, or, with resizeDown, when newSize differs
  // from the used size and lies below max(1, min(allocation / 2, allocation - 4 * granularity)).
  void* Resize(int newSize, bool resizeDown = true);

  void* Get() const { return mSize > 0 ? mBuf : nullptr; }
  int GetSize() const { return mSize; }
  int GetAllocated() const { return mAlloc; }
  int GetGranularity() const { return mGranularity; }
  void SetGranularity(int granularity) { mGranularity = granularity < 1 ? 1 : granularity; }

  // The allocation a reallocation for newSize > 0 asks for; may exceed the 32-bit range.
  static int64_t AllocationFor(int64_t newSize, int granularity);

private:
  void Free();

  void* mBuf = nullptr;
  int mAlloc = 0;
  int mSize = 0;
  int mGranularity = 4096;
};

template <class T>
class Util_TypedBuf
{
  static_assert(std::is_trivially_copyable_v<T>, "Util_TypedBuf moves elements as bytes");

public:
  explicit Util_TypedBuf(int granularity = 4096) : mBuf(granularity) {}

  // Sets the element count; answers the first element, or null for 0 elements or a failure.
  T* Resize(int count, bool resizeDown = true)
  {
    if (count < 0)
      count = 0;
    if (static_cast<int64_t>(count) * static_cast<int64_t>(sizeof(T)) > INT32_MAX)
      return nullptr;
    return static_cast<T*>(mBuf.Resize(count * static_cast<int>(sizeof(T)), resizeDown));
  }

  T* Get() const { return static_cast<T*>(mBuf.Get()); }
  int GetSize() const { return mBuf.GetSize() / static_cast<int>(sizeof(T)); }
  int GetGranularity() const { return mBuf.GetGranularity(); }

  // Appends a copy of value; answers the new element, or null when the buffer could not grow.
  T* Add(const T& value)
  {
    const T copy = value; // value may live inside this buffer
    const int n = GetSize();
    T* data = Resize(n + 1, false);
    if (!data)
      return nullptr;
    data[n] = copy;
    return data + n;
  }

  // Inserts at index (clamped to 0..size); answers the new element or null on failure.
  T* Insert(const T& value, int index)
  {
    const T copy = value;
    const int n = GetSize();
    if (index < 0)
      index = 0;
    if (index > n)
      index = n;
    T* data = Resize(n + 1, false);
    if (!data)
      return nullptr;
    std::memmove(static_cast<void*>(data + index + 1), static_cast<const void*>(data + index),
                 static_cast<size_t>(n - index) * sizeof(T));
    data[index] = copy;
    return data + index;
  }

  // Removes the element at index; an index outside the buffer changes nothing.
  void Delete(int index)
  {
    const int n = GetSize();
    if (index < 0 || index >= n)
      return;
    T* data = Get();
    std::memmove(static_cast<void*>(data + index), static_cast<const void*>(data + index + 1),
                 static_cast<size_t>(n - index - 1) * sizeof(T));
    Resize(n - 1, false);
  }

private:
  Util_HeapBuf mBuf;
};
