#pragma once
// The process-wide caches of decoded bitmaps and parsed SVG images, shared by every editor of
// every plug-in instance in the host process. Entries are keyed by name and scale; the caches
// are emptied when the last graphics context is destroyed (each context retains them while it
// lives).
//
// Every access holds the cache's recursive mutex through an Accessor: loading holds it from the
// first look-up to the last insertion, and the operations it calls lock it again. Where both are
// held, the bitmap cache is locked before the SVG cache. [main thread] of any editor.
//
// What is cached is CPU-side data only (pixels, parsed images): GPU objects belong to one
// editor's drawing context, so closing one editor never breaks another.

#include "framework/graphics/IBitmap.h"
#include "framework/graphics/svg/SVGImage.h"
#include "framework/util/UtilMutex.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plugin::igraphics
{

// Owns one parsed SVG image.
struct SVGHolder
{
  explicit SVGHolder(SVGImagePtr image) : mImage(std::move(image)) {}
  SVGImagePtr mImage;
};

// A value handle on a cached SVG image (null when loading failed); never owns it.
struct ISVG
{
  ISVG() = default;
  explicit ISVG(const SVGImage* pImage) : mImage(pImage) {}

  const SVGImage* mImage = nullptr;

  bool IsValid() const { return mImage != nullptr; }
  float W() const { return mImage ? mImage->mWidth : 0.f; }
  float H() const { return mImage ? mImage->mHeight : 0.f; }
};

template <class T>
class StaticStorage
{
public:
  // A scoped lock of the cache.
  class Accessor
  {
  public:
    explicit Accessor(StaticStorage& storage) : mLock(storage.mMutex) {}

  private:
    Util_MutexLock mLock;
  };

  struct DataKey
  {
    uint64_t mHash = 0;
    std::string mName;
    double mScale = 0.0;
    std::unique_ptr<T> mData;
  };

  // The first entry of this name at exactly this scale; null when none. Hold an Accessor.
  T* Find(const char* name, double scale) const
  {
    const uint64_t hash = Hash(name, scale);
    for (const auto& pKey : mEntries)
      if (pKey->mHash == hash && pKey->mScale == scale && pKey->mName == name)
        return pKey->mData.get();
    return nullptr;
  }

  // Appends an entry owning pData (no test for an existing one). Hold an Accessor.
  void Add(T* pData, const char* name, double scale)
  {
    auto pKey = std::make_unique<DataKey>();
    pKey->mHash = Hash(name, scale);
    pKey->mName = name;
    pKey->mScale = scale;
    pKey->mData.reset(pData);
    mEntries.push_back(std::move(pKey));
  }

  // Deletes the entry holding pData; nothing when none does. Hold an Accessor.
  void Remove(const T* pData)
  {
    for (auto it = mEntries.begin(); it != mEntries.end(); ++it)
      if ((*it)->mData.get() == pData)
      {
        mEntries.erase(it);
        return;
      }
  }

  void Retain() { ++mCount; }
  // Empties the cache when the last retainer goes.
  void Release()
  {
    if (mCount > 0 && --mCount == 0)
      Clear();
  }
  void Clear() { mEntries.clear(); }
  uint32_t RetainCount() const { return mCount; }
  int NEntries() const { return static_cast<int>(mEntries.size()); }

  // The key string is the name followed by the scale printed "-%.1fx" (knob.png-2.0x).
  static std::string KeyString(const char* name, double scale);

private:
  static uint64_t Hash(const char* name, double scale)
  {
    return std::hash<std::string>()(KeyString(name, scale));
  }

  Util_Mutex mMutex;
  uint32_t mCount = 0;
  std::vector<std::unique_ptr<DataKey>> mEntries;
};

template <class T>
std::string StaticStorage<T>::KeyString(const char* name, double scale)
{
  char suffix[48];
  std::snprintf(suffix, sizeof(suffix), "-%.1fx", scale);
  return std::string(name) + suffix;
}

StaticStorage<APIBitmap>& BitmapCache();
StaticStorage<SVGHolder>& SVGCache();

} // namespace plugin::igraphics
