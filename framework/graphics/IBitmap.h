#pragma once
// Bitmap handles. APIBitmap is the drawing back end's image (made and drawn by the back end,
// deleted through its virtual destructor); IBitmap is a value handle on one, never owning it,
// with the frame layout of a film strip.

#include <string>

namespace plugin::igraphics
{

class APIBitmap
{
public:
  // width and height in pixels; scale is the resolution variant (1, 2, 3, ...).
  APIBitmap(int width, int height, float scale, float drawScale)
    : mWidth(width), mHeight(height), mScale(scale), mDrawScale(drawScale)
  {
  }
  virtual ~APIBitmap() = default;

  APIBitmap(const APIBitmap&) = delete;
  APIBitmap& operator=(const APIBitmap&) = delete;

  int GetWidth() const { return mWidth; }
  int GetHeight() const { return mHeight; }
  float GetScale() const { return mScale; }
  float GetDrawScale() const { return mDrawScale; }

private:
  int mWidth;
  int mHeight;
  float mScale;
  float mDrawScale;
};

class IBitmap
{
public:
  IBitmap() = default;
  IBitmap(APIBitmap* pAPIBitmap, int nFrames, bool framesAreHorizontal, const char* name = "")
    : mAPIBitmap(pAPIBitmap), mN(nFrames), mFramesAreHorizontal(framesAreHorizontal),
      mResourceName(name ? name : "")
  {
    if (pAPIBitmap)
    {
      mW = static_cast<int>(pAPIBitmap->GetWidth() / pAPIBitmap->GetScale());
      mH = static_cast<int>(pAPIBitmap->GetHeight() / pAPIBitmap->GetScale());
    }
  }

  APIBitmap* GetAPIBitmap() const { return mAPIBitmap; }
  bool IsValid() const { return mAPIBitmap != nullptr; }
  // Size of the whole strip in points.
  int W() const { return mW; }
  int H() const { return mH; }
  int N() const { return mN; }
  bool GetFramesAreHorizontal() const { return mFramesAreHorizontal; }
  const char* GetResourceName() const { return mResourceName.c_str(); }
  float GetScale() const { return mAPIBitmap ? mAPIBitmap->GetScale() : 1.f; }
  float GetDrawScale() const { return mAPIBitmap ? mAPIBitmap->GetDrawScale() : 1.f; }

private:
  APIBitmap* mAPIBitmap = nullptr;
  int mW = 0;
  int mH = 0;
  int mN = 0;
  bool mFramesAreHorizontal = false;
  std::string mResourceName;
};

} // namespace plugin::igraphics
