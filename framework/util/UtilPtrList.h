#pragma once
// A list of pointers in a Util_HeapBuf. The list never owns its elements by itself: the owner
// decides, when it empties the list or deletes an entry, whether the elements are destroyed.
// Not thread-safe.

#include "framework/util/UtilBuffers.h"

template <class T>
class Util_PtrList
{
public:
  using Disposer = void (*)(T*);

  explicit Util_PtrList(int granularity = 4096) : mBuf(granularity) {}
  Util_PtrList(const Util_PtrList&) = delete;
  Util_PtrList& operator=(const Util_PtrList&) = delete;

  // Appends item; answers it, or null when the list could not grow.
  T* Add(T* item) { return mBuf.Add(item) ? item : nullptr; }
  // Inserts item at index (clamped to 0..size); answers it, or null on failure.
  T* Insert(int index, T* item) { return mBuf.Insert(item, index) ? item : nullptr; }

  // The element at index; null when the index is outside the list.
  T* Get(int index) const { return index >= 0 && index < GetSize() ? mBuf.Get()[index] : nullptr; }
  T* GetLast() const { return Get(GetSize() - 1); }
  int GetSize() const { return mBuf.GetSize(); }
  T* const* GetList() const { return mBuf.Get(); }

  // The index of the first entry equal to item, or -1.
  int Find(const T* item) const
  {
    for (int i = 0; i < GetSize(); ++i)
      if (mBuf.Get()[i] == item)
        return i;
    return -1;
  }

  // Removes the entry at index, destroying the element when asked (through disposer if given).
  void Delete(int index, bool deleteElement = false, Disposer disposer = nullptr)
  {
    T* item = Get(index);
    if (index < 0 || index >= GetSize())
      return;
    mBuf.Delete(index);
    if (deleteElement)
      Dispose(item, disposer);
  }

  // Removes every entry from the last to the first, destroying the elements when asked. The
  // allocation is kept.
  void Empty(bool deleteElements = false, Disposer disposer = nullptr)
  {
    for (int i = GetSize() - 1; i >= 0; --i)
    {
      T* item = mBuf.Get()[i];
      mBuf.Resize(i, false);
      if (deleteElements)
        Dispose(item, disposer);
    }
  }

private:
  static void Dispose(T* item, Disposer disposer)
  {
    if (!item)
      return;
    if (disposer)
      disposer(item);
    else
      delete item;
  }

  Util_TypedBuf<T*> mBuf;
};
