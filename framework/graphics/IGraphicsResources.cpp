// IGraphics: loading bitmaps, SVG images, fonts and raw resources through the process-wide
// caches. Bitmaps come in integer resolution variants (knob.png, knob@2x.png, knob@3x.png); a
// missing variant is made by drawing another one into an off-screen layer at the wanted scale.

#include "framework/graphics/IGraphics.h"

#include "framework/graphics/svg/SVGReader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace plugin::igraphics
{

StaticStorage<APIBitmap>& BitmapCache()
{
  static StaticStorage<APIBitmap> sBitmapCache;
  return sBitmapCache;
}

StaticStorage<SVGHolder>& SVGCache()
{
  static StaticStorage<SVGHolder> sSVGCache;
  return sSVGCache;
}

namespace
{

// The scales tried for a target: the target, then 3 (the highest variant), then downwards.
// targetScale 1 tries 1, 3, 2; 2 tries 2, 3, 1; 3 tries 3, 2, 1; 4 tries 4, 3, 2, 1.
int NextScale(int s, int targetScale)
{
  if (s == targetScale && targetScale != 3)
    return 3;
  if (s == targetScale + 1)
    return targetScale - 1;
  return s - 1;
}

// The position of the extension's dot in name (after the last path separator), or npos.
size_t ExtensionDot(const std::string& name)
{
  const size_t dot = name.rfind('.');
  const size_t slash = name.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return std::string::npos;
  return dot;
}

} // namespace

EResourceLocation IGraphics::SearchImageResource(const char* name, const char* type,
                                                 Util_String& result, int targetScale,
                                                 int& sourceScale)
{
  const std::string full(name);
  const size_t dot = ExtensionDot(full);
  const std::string base = full.substr(0, dot);
  const std::string ext = dot == std::string::npos ? std::string() : full.substr(dot);
  for (int s = targetScale; s >= 1; s = NextScale(s, targetScale))
  {
    std::string fileName = full;
    if (s != 1)
      fileName = base + "@" + std::to_string(s) + "x" + ext;
    const EResourceLocation found =
      LocateResource(fileName.c_str(), type, result, GetBundleID(), GetWinModuleHandle(),
                     GetSharedResourcesSubPath());
    if (found > kResourceNotFound)
    {
      sourceScale = s;
      return found;
    }
  }
  return kResourceNotFound;
}

APIBitmap* IGraphics::SearchBitmapInCache(const char* name, int targetScale, int& sourceScale)
{
  StaticStorage<APIBitmap>::Accessor lock(BitmapCache());
  for (int s = targetScale; s >= 1; s = NextScale(s, targetScale))
  {
    if (APIBitmap* pBitmap = BitmapCache().Find(name, s))
    {
      sourceScale = s;
      return pBitmap;
    }
  }
  return nullptr;
}

// What both bitmap loaders share: the variant cached at the target scale, the extension check,
// and keeping or rescaling the source that findSource(ext, targetScale, sourceScale, pLoaded)
// returns (a cached bitmap, or one it decoded into pLoaded; null when there is none).
template <typename FindSource>
IBitmap IGraphics::LoadBitmapFrom(const char* name, int nStates, bool framesAreHorizontal,
                                  int targetScale, FindSource findSource)
{
  if (!name || !name[0])
    return IBitmap();
  StaticStorage<APIBitmap>::Accessor lock(BitmapCache());
  if (targetScale == 0)
    targetScale = static_cast<int>(std::ceil(GetScreenScale()));
  if (APIBitmap* pCached = BitmapCache().Find(name, targetScale))
    return IBitmap(pCached, nStates, framesAreHorizontal, name);

  // The extension follows the last dot of the file name itself, not one in a folder's name.
  const std::string full(name);
  const size_t dot = ExtensionDot(full);
  const std::string ext = dot == std::string::npos ? std::string() : full.substr(dot + 1);
  if (!BitmapExtSupported(ext.c_str()))
    return IBitmap();

  int sourceScale = 0;
  std::unique_ptr<APIBitmap> pLoaded; // a bitmap this call decoded and still owns
  APIBitmap* pBitmap = findSource(ext, targetScale, sourceScale, pLoaded);
  // Found nowhere (or not decodable): an empty bitmap, as for an unsupported extension.
  if (!pBitmap)
    return IBitmap();
  const IBitmap bitmap(pBitmap, nStates, framesAreHorizontal, name);
  if (pBitmap->GetScale() == targetScale)
  {
    if (pLoaded)
      RetainBitmap(bitmap, name), pLoaded.release();
    return bitmap;
  }
  return ScaleBitmap(bitmap, name, targetScale); // pLoaded, the source, is deleted after
}

IBitmap IGraphics::LoadBitmap(const char* name, int nStates, bool framesAreHorizontal,
                              int targetScale)
{
  return LoadBitmapFrom(name, nStates, framesAreHorizontal, targetScale,
                        [this, name](const std::string& ext, int targetScale, int& sourceScale,
                                     std::unique_ptr<APIBitmap>& pLoaded) -> APIBitmap*
                        {
                          Util_String path;
                          const EResourceLocation location =
                            SearchImageResource(name, ext.c_str(), path, targetScale, sourceScale);
                          if (location <= kResourceNotFound)
                            return SearchBitmapInCache(name, targetScale, sourceScale);
                          APIBitmap* pBitmap = nullptr;
                          if (sourceScale != targetScale)
                            pBitmap = BitmapCache().Find(name, sourceScale);
                          if (!pBitmap)
                          {
                            pLoaded.reset(
                              LoadAPIBitmap(path.Get(), sourceScale, location, ext.c_str()));
                            pBitmap = pLoaded.get();
                          }
                          return pBitmap;
                        });
}

IBitmap IGraphics::LoadBitmap(const char* name, const void* pData, int dataSize, int nStates,
                              bool framesAreHorizontal, int targetScale)
{
  return LoadBitmapFrom(
    name, nStates, framesAreHorizontal, targetScale,
    [this, name, pData, dataSize](const std::string&, int targetScale, int& sourceScale,
                                  std::unique_ptr<APIBitmap>& pLoaded) -> APIBitmap*
    {
      APIBitmap* pBitmap = SearchBitmapInCache(name, targetScale, sourceScale);
      if (!pBitmap && pData && dataSize > 0)
      {
        pLoaded.reset(LoadAPIBitmap(name, pData, dataSize, 1));
        pBitmap = pLoaded.get();
      }
      return pBitmap;
    });
}

IBitmap IGraphics::ScaleBitmap(const IBitmap& inBitmap, const char* cacheName, int targetScale)
{
  const float screenScale = GetScreenScale();
  const float drawScale = GetDrawScale();
  // A bitmap may be loaded, and so rescaled, in the middle of a control's drawing: the layer
  // below resets the transform and the clip, so both are put back afterwards.
  const IMatrix transform = mTransform;
  const IRECT clip = mCurrentClip;
  mScreenScale = static_cast<float>(targetScale);
  mDrawScale = inBitmap.GetDrawScale();

  const int w = inBitmap.W(), h = inBitmap.H();
  StartLayer(nullptr, IRECT(0.f, 0.f, float(w), float(h)), true);
  // Frame by frame, so that resampling never blends the edge of one frame into its neighbour.
  const int n = std::max(inBitmap.N(), 1);
  const bool horizontal = inBitmap.GetFramesAreHorizontal();
  const int extent = horizontal ? w : h;
  for (int i = 0; i < n; ++i)
  {
    const int from = i * extent / n;
    const int to = (i + 1) * extent / n;
    const IRECT frame = horizontal ? IRECT(float(from), 0.f, float(to), float(h))
                                   : IRECT(0.f, float(from), float(w), float(to));
    DrawBitmap(inBitmap, frame, horizontal ? from : 0, horizontal ? 0 : from, nullptr);
  }
  ILayerPtr layer = EndLayer();
  IBitmap bitmap;
  if (layer)
  {
    bitmap = IBitmap(layer->mBitmap.release(), inBitmap.N(), horizontal, cacheName);
    RetainBitmap(bitmap, cacheName);
  }

  // The exact scales from before: a display at 1.5 stays at 1.5, not 2.
  mDrawScale = drawScale;
  mScreenScale = screenScale;
  SetTransform(IMatrix());
  SetClipRegion(clip);
  mCurrentClip = clip;
  SetTransform(transform);
  return bitmap;
}

IBitmap IGraphics::GetScaledBitmap(const IBitmap& src)
{
  return LoadBitmap(src.GetResourceName(), src.N(), src.GetFramesAreHorizontal(),
                    static_cast<int>(std::ceil(GetScreenScale())));
}

void IGraphics::RetainBitmap(const IBitmap& bitmap, const char* cacheName)
{
  if (!bitmap.GetAPIBitmap())
    return;
  StaticStorage<APIBitmap>::Accessor lock(BitmapCache());
  BitmapCache().Add(bitmap.GetAPIBitmap(), cacheName, bitmap.GetScale());
}

void IGraphics::ReleaseBitmap(const IBitmap& bitmap)
{
  StaticStorage<APIBitmap>::Accessor lock(BitmapCache());
  BitmapCache().Remove(bitmap.GetAPIBitmap());
}

ISVG IGraphics::LoadSVG(const char* fileNameOrResID, const char* units, float dpi)
{
  if (!fileNameOrResID || !fileNameOrResID[0])
    return ISVG();
  StaticStorage<SVGHolder>::Accessor lock(SVGCache());
  if (SVGHolder* pHolder = SVGCache().Find(fileNameOrResID, 1.0))
    return ISVG(pHolder->mImage.get());
  Util_TypedBuf<uint8_t> data = LoadResource(fileNameOrResID, "svg");
  if (data.GetSize() == 0)
    return ISVG();
  return LoadSVG(fileNameOrResID, data.Get(), data.GetSize(), units, dpi);
}

ISVG IGraphics::LoadSVG(const char* name, const void* pData, int dataSize, const char* units,
                        float dpi)
{
  if (!name || !pData)
    return ISVG();
  StaticStorage<SVGHolder>::Accessor lock(SVGCache());
  if (SVGHolder* pHolder = SVGCache().Find(name, 1.0))
    return ISVG(pHolder->mImage.get());
  // The text ends at dataSize or at a zero byte, whichever comes first.
  const char* text = static_cast<const char*>(pData);
  const size_t length =
    dataSize > 0 ? strnlen(text, static_cast<size_t>(dataSize)) : std::strlen(text);
  SVGImagePtr image = SVGReader::Parse(text, length, units, dpi);
  if (!image)
    return ISVG();
  auto* pHolder = new SVGHolder(std::move(image));
  SVGCache().Add(pHolder, name, 1.0);
  return ISVG(pHolder->mImage.get());
}

Util_TypedBuf<uint8_t> IGraphics::LoadResource(const char* fileNameOrResID, const char* fileType)
{
  Util_TypedBuf<uint8_t> buffer(4096);
  Util_String path;
  const EResourceLocation location =
    LocateResource(fileNameOrResID, fileType, path, GetBundleID(), GetWinModuleHandle(),
                   GetSharedResourcesSubPath());
  if (location == kResourceEmbedded)
  {
    EmbeddedResource resource;
    if (FindEmbeddedResource(path.Get(), resource) && resource.size > 0 &&
        buffer.Resize(resource.size))
      std::memcpy(buffer.Get(), resource.data, static_cast<size_t>(resource.size));
    return buffer;
  }
  if (location != kResourceFile)
    return buffer;
  FILE* pFile = std::fopen(path.Get(), "rb");
  if (!pFile)
    return buffer;
  long size = -1;
  if (std::fseek(pFile, 0, SEEK_END) == 0)
    size = std::ftell(pFile);
  std::rewind(pFile);
  if (size > 0 && size < 0x7fffffff && buffer.Resize(static_cast<int>(size)))
  {
    if (std::fread(buffer.Get(), 1, static_cast<size_t>(size), pFile) != static_cast<size_t>(size))
      buffer.Resize(0);
  }
  std::fclose(pFile);
  return buffer;
}

namespace
{

template <class MakeFont>
bool LoadFontWith(IGraphics& g, const char* fontID, MakeFont make)
{
  if (!fontID || !fontID[0])
    return false;
  PlatformFontPtr font = make();
  if (!font)
    return false;
  if (!g.LoadAPIFont(fontID, font))
    return false;
  g.CachePlatformFont(fontID, font); // may take it over; otherwise it is deleted here
  return true;
}

} // namespace

bool IGraphics::LoadFont(const char* fontID, const char* fileNameOrResID)
{
  return LoadFontWith(*this, fontID, [&] { return LoadPlatformFont(fontID, fileNameOrResID); });
}

bool IGraphics::LoadFont(const char* fontID, void* pData, int dataSize)
{
  return LoadFontWith(*this, fontID, [&] { return LoadPlatformFont(fontID, pData, dataSize); });
}

bool IGraphics::LoadFont(const char* fontID, const char* fontName, ETextStyle style)
{
  return LoadFontWith(*this, fontID, [&] { return LoadPlatformFont(fontID, fontName, style); });
}

} // namespace plugin::igraphics
