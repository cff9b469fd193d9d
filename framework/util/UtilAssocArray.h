#pragma once
// A map kept as an array of (key, value) pairs sorted by key: binary search for look-ups,
// insertion at the sorted place. Keys and values are plain values (pointers, numbers); the map
// copies keys through a duplicator on insertion and hands keys and values to disposers when it
// removes them, so a map of text keys and owned values cleans up after itself.
//
// Bulk loading: AddUnsorted appends without searching, and Resort then sorts once and merges
// equal keys. Of a run of equal keys the first-added spelling is kept with the last-added value
// (later lines of a file win, as with Insert). Not thread-safe.

#include "framework/util/UtilBuffers.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <strings.h>

template <class KEY, class VAL>
class Util_AssocArrayImpl
{
public:
  using Compare = int (*)(const KEY& a, const KEY& b);
  using KeyDuplicator = KEY (*)(KEY key);
  using KeyDisposer = void (*)(KEY key);
  using ValueDisposer = void (*)(VAL value);

  struct Pair
  {
    KEY key;
    VAL value;
  };

  explicit Util_AssocArrayImpl(Compare compare, KeyDuplicator keyDup = nullptr,
                               KeyDisposer keyDispose = nullptr,
                               ValueDisposer valueDispose = nullptr)
    : mCompare(compare), mKeyDup(keyDup), mKeyDispose(keyDispose), mValueDispose(valueDispose)
  {
  }
  ~Util_AssocArrayImpl() { DeleteAll(); }
  Util_AssocArrayImpl(const Util_AssocArrayImpl&) = delete;
  Util_AssocArrayImpl& operator=(const Util_AssocArrayImpl&) = delete;

  // Sets the value of key. An existing key keeps its stored spelling and its old value is
  // disposed; a new key is copied in at its sorted place. The map takes the value over: when it
  // cannot grow, the value is disposed and false is answered.
  bool Insert(KEY key, VAL value)
  {
    bool found = false;
    const int index = LowerBound(key, found);
    if (found)
    {
      Pair& pair = mPairs.Get()[index];
      if (mValueDispose)
        mValueDispose(pair.value);
      pair.value = value;
      return true;
    }
    const Pair pair{mKeyDup ? mKeyDup(key) : key, value};
    if (!mPairs.Insert(pair, index))
    {
      DisposePair(pair);
      return false;
    }
    return true;
  }

  // Appends without searching; call Resort before the next look-up.
  bool AddUnsorted(KEY key, VAL value)
  {
    const Pair pair{mKeyDup ? mKeyDup(key) : key, value};
    if (!mPairs.Add(pair))
    {
      DisposePair(pair);
      return false;
    }
    return true;
  }

  void Resort()
  {
    Pair* pairs = mPairs.Get();
    const int n = mPairs.GetSize();
    if (n < 2)
      return;
    std::stable_sort(pairs, pairs + n,
                     [this](const Pair& a, const Pair& b) { return mCompare(a.key, b.key) < 0; });
    int kept = 0;
    for (int i = 1; i < n; ++i)
    {
      if (mCompare(pairs[kept].key, pairs[i].key) == 0)
      {
        std::swap(pairs[kept].value, pairs[i].value); // the later value wins
        DisposePair(pairs[i]);
      }
      else
      {
        pairs[++kept] = pairs[i];
      }
    }
    mPairs.Resize(kept + 1, false);
  }

  bool Delete(KEY key)
  {
    bool found = false;
    const int index = LowerBound(key, found);
    if (!found)
      return false;
    const Pair pair = mPairs.Get()[index];
    mPairs.Delete(index);
    DisposePair(pair);
    return true;
  }

  void DeleteAll()
  {
    for (int i = mPairs.GetSize() - 1; i >= 0; --i)
      DisposePair(mPairs.Get()[i]);
    mPairs.Resize(0, false);
  }

  VAL Get(KEY key, VAL notFound = VAL{}) const
  {
    const VAL* value = GetPtr(key);
    return value ? *value : notFound;
  }

  VAL* GetPtr(KEY key) const
  {
    bool found = false;
    const int index = LowerBound(key, found);
    return found ? &mPairs.Get()[index].value : nullptr;
  }

  bool Exists(KEY key) const { return GetPtr(key) != nullptr; }
  int GetSize() const { return mPairs.GetSize(); }

  // The pair at index in key order; null outside the map.
  const Pair* Enumerate(int index) const
  {
    return index >= 0 && index < GetSize() ? mPairs.Get() + index : nullptr;
  }

private:
  int LowerBound(const KEY& key, bool& found) const
  {
    int lo = 0;
    int hi = mPairs.GetSize();
    const Pair* pairs = mPairs.Get();
    while (lo < hi)
    {
      const int mid = lo + (hi - lo) / 2;
      const int c = mCompare(pairs[mid].key, key);
      if (c == 0)
      {
        found = true;
        return mid;
      }
      if (c < 0)
        lo = mid + 1;
      else
        hi = mid;
    }
    found = false;
    return lo;
  }

  void DisposePair(const Pair& pair)
  {
    if (mKeyDispose)
      mKeyDispose(pair.key);
    if (mValueDispose)
      mValueDispose(pair.value);
  }

  Util_TypedBuf<Pair> mPairs{4096};
  Compare mCompare;
  KeyDuplicator mKeyDup;
  KeyDisposer mKeyDispose;
  ValueDisposer mValueDispose;
};

// A map with text keys, copied with strdup and freed on removal; compared with strcmp, or with
// strcasecmp when not case-sensitive (names differing only in case are then one name).
template <class VAL>
class Util_StringKeyedArray : public Util_AssocArrayImpl<const char*, VAL>
{
  using Base = Util_AssocArrayImpl<const char*, VAL>;

public:
  explicit Util_StringKeyedArray(bool caseSensitive = true,
                                 typename Base::ValueDisposer valueDispose = nullptr)
    : Base(caseSensitive ? &CompareCase : &CompareNoCase, &Duplicate, &Dispose, valueDispose)
  {
  }

private:
  static int CompareCase(const char* const& a, const char* const& b) { return std::strcmp(a, b); }
  static int CompareNoCase(const char* const& a, const char* const& b) { return strcasecmp(a, b); }
  static const char* Duplicate(const char* key) { return strdup(key ? key : ""); }
  static void Dispose(const char* key) { std::free(const_cast<char*>(key)); }
};
