// IGraphicsNanoVG: decoding bitmaps and making their textures, fonts and text.

#include "framework/graphics/drawing/IGraphicsNanoVG.h"

#include "framework/graphics/drawing/FontTables.h"
#include "framework/graphics/drawing/NanoVGGL.h"
#include "framework/util/UtilUTF8.h"

#include <stb/stb_image.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

namespace plugin::igraphics
{

namespace
{

// Font data by identifier, shared by every context of the process.
std::mutex sFontCacheMutex;
std::map<std::string, std::shared_ptr<const std::vector<uint8_t>>>& FontCache()
{
  static std::map<std::string, std::shared_ptr<const std::vector<uint8_t>>> sFonts;
  return sFonts;
}

std::shared_ptr<const std::vector<uint8_t>> CachedFontData(const char* fontID)
{
  std::lock_guard<std::mutex> lock(sFontCacheMutex);
  const auto it = FontCache().find(fontID);
  return it == FontCache().end() ? nullptr : it->second;
}

bool ReadFile(const char* path, std::vector<uint8_t>& out)
{
  FILE* pFile = std::fopen(path, "rb");
  if (!pFile)
    return false;
  bool ok = std::fseek(pFile, 0, SEEK_END) == 0;
  const long size = ok ? std::ftell(pFile) : -1;
  std::rewind(pFile);
  ok = size > 0 && size < (1L << 30);
  if (ok)
  {
    out.resize(static_cast<size_t>(size));
    ok = std::fread(out.data(), 1, out.size(), pFile) == out.size();
  }
  std::fclose(pFile);
  return ok;
}

// The bytes of a resource (embedded, or a file), by LocateResource's answer.
bool ReadResource(EResourceLocation location, const char* path, std::vector<uint8_t>& out)
{
  if (location == kResourceEmbedded)
  {
    EmbeddedResource resource;
    if (!FindEmbeddedResource(path, resource) || resource.size <= 0)
      return false;
    out.assign(resource.data, resource.data + resource.size);
    return true;
  }
  return location == kResourceFile && ReadFile(path, out);
}

NanoVGBitmap* Decode(const uint8_t* pData, int size, int scale)
{
  int w = 0, h = 0, channels = 0;
  uint8_t* pixels = stbi_load_from_memory(pData, size, &w, &h, &channels, 4);
  if (!pixels)
    return nullptr;
  auto* pBitmap = new NanoVGBitmap(w, h, static_cast<float>(scale), 1.f);
  pBitmap->mPixels.assign(pixels, pixels + static_cast<size_t>(w) * h * 4);
  stbi_image_free(pixels);
  return pBitmap;
}

} // namespace

// ---- Bitmaps

bool IGraphicsNanoVG::BitmapExtSupported(const char* ext)
{
  if (!ext)
    return false;
  std::string e(ext);
  std::transform(e.begin(), e.end(), e.begin(), [](unsigned char c) { return std::tolower(c); });
  return e == "png" || e == "jpg" || e == "jpeg" || e == "bmp" || e == "gif" || e == "tga";
}

int IGraphicsNanoVG::ImageFor(const NanoVGBitmap* pBitmap)
{
  if (pBitmap->mOwner == this && pBitmap->mFBO)
    return pBitmap->mFBO->image;
  if (pBitmap->mPixels.empty())
    return 0;
  const auto it = mTextures.find(pBitmap->Serial());
  if (it != mTextures.end())
    return it->second;
  const int image = nvgCreateImageRGBA(mVG, pBitmap->GetWidth(), pBitmap->GetHeight(),
                                       pBitmap->mPremultiplied ? NVG_IMAGE_PREMULTIPLIED : 0,
                                       pBitmap->mPixels.data());
  if (image > 0)
    mTextures[pBitmap->Serial()] = image;
  return image;
}

int IGraphicsNanoVG::PieceImageFor(const NanoVGBitmap* pBitmap, int x, int y, int w, int h)
{
  if (pBitmap->mPixels.empty())
    return 0;
  const PieceKey key{pBitmap->Serial(), x, y, w, h};
  const auto it = mPieceTextures.find(key);
  if (it != mPieceTextures.end())
    return it->second;
  std::vector<uint8_t> piece(static_cast<size_t>(w) * h * 4);
  const size_t stride = static_cast<size_t>(pBitmap->GetWidth()) * 4;
  for (int row = 0; row < h; ++row)
    std::memcpy(&piece[static_cast<size_t>(row) * w * 4],
                &pBitmap->mPixels[(y + row) * stride + static_cast<size_t>(x) * 4],
                static_cast<size_t>(w) * 4);
  const int image = nvgCreateImageRGBA(
    mVG, w, h, pBitmap->mPremultiplied ? NVG_IMAGE_PREMULTIPLIED : 0, piece.data());
  if (image > 0)
    mPieceTextures[key] = image;
  return image;
}

APIBitmap* IGraphicsNanoVG::LoadAPIBitmap(const char* fileNameOrResID, int scale,
                                          EResourceLocation location, const char*)
{
  std::vector<uint8_t> data;
  if (!ReadResource(location, fileNameOrResID, data) || data.size() > 0x7fffffff)
    return nullptr;
  return Decode(data.data(), static_cast<int>(data.size()), scale);
}

APIBitmap* IGraphicsNanoVG::LoadAPIBitmap(const char*, const void* pData, int dataSize, int scale)
{
  if (!pData || dataSize <= 0)
    return nullptr;
  return Decode(static_cast<const uint8_t*>(pData), dataSize, scale);
}

// ---- Fonts

PlatformFontPtr IGraphicsNanoVG::LoadPlatformFont(const char* fontID, const char* fileNameOrResID)
{
  if (auto data = CachedFontData(fontID))
    return std::make_unique<NanoVGFont>(data);
  Util_String path;
  const EResourceLocation location = LocateResource(fileNameOrResID, "ttf", path, GetBundleID(),
                                                    nullptr, GetSharedResourcesSubPath());
  auto data = std::make_shared<std::vector<uint8_t>>();
  if (!ReadResource(location, path.Get(), *data))
    return nullptr;
  return std::make_unique<NanoVGFont>(std::move(data));
}

PlatformFontPtr IGraphicsNanoVG::LoadPlatformFont(const char*, void* pData, int dataSize)
{
  if (!pData || dataSize <= 0)
    return nullptr;
  const auto* p = static_cast<const uint8_t*>(pData);
  return std::make_unique<NanoVGFont>(std::make_shared<std::vector<uint8_t>>(p, p + dataSize));
}

PlatformFontPtr IGraphicsNanoVG::LoadPlatformFont(const char* fontID, const char* fontName,
                                                  ETextStyle style)
{
  // No system font service here: a font of that name among the resources, by style.
  static const char* const kSuffix[] = {"-Regular", "-Bold", "-Italic"};
  const std::string name = std::string(fontName ? fontName : "") +
                           kSuffix[std::clamp(static_cast<int>(style), 0, 2)] + ".ttf";
  if (PlatformFontPtr font = LoadPlatformFont(fontID, name.c_str()))
    return font;
  return LoadPlatformFont(fontID, (std::string(fontName ? fontName : "") + ".ttf").c_str());
}

void IGraphicsNanoVG::CachePlatformFont(const char* fontID, PlatformFontPtr& font)
{
  auto* pFont = dynamic_cast<NanoVGFont*>(font.get());
  if (!pFont || !fontID)
    return;
  std::lock_guard<std::mutex> lock(sFontCacheMutex);
  FontCache().emplace(fontID, pFont->mData);
}

bool IGraphicsNanoVG::LoadAPIFont(const char* fontID, const PlatformFontPtr& font)
{
  auto* pFont = dynamic_cast<NanoVGFont*>(font.get());
  if (!mVG || !pFont || !pFont->mData || pFont->mData->empty() || !fontID)
    return false;
  if (mFonts.count(fontID))
    return true;
  // nanovg keeps a pointer to the bytes; this context holds them as long as it lives.
  auto* bytes = const_cast<unsigned char*>(pFont->mData->data());
  const int handle =
    nvgCreateFontMem(mVG, fontID, bytes, static_cast<int>(pFont->mData->size()), 0);
  if (handle < 0)
    return false;
  const FontMetrics metrics = ReadFontMetrics(*pFont->mData);
  mFonts[fontID] = FontEntry{handle, metrics.EmSizeFactor(), metrics.lineHeight, pFont->mData};
  return true;
}

const IGraphicsNanoVG::FontEntry& IGraphicsNanoVG::FontNamed(const char* fontID) const
{
  auto it = mFonts.find(fontID);
  if (it == mFonts.end())
  {
    // A style may name a font nobody loaded yet: try the resource of that name once.
    const std::string file = std::string(fontID) + ".ttf";
    auto* self = const_cast<IGraphicsNanoVG*>(this);
    if (!self->LoadFont(fontID, file.c_str()))
      mFonts[fontID] = FontEntry{}; // remembered as missing
    it = mFonts.find(fontID);
  }
  return it->second;
}

const IGraphicsNanoVG::FontEntry& IGraphicsNanoVG::FontFor(const IText& text) const
{
  // A font that cannot be had falls back to the default one, so that text never vanishes.
  const FontEntry& entry = FontNamed(text.mFont);
  return entry.handle >= 0 ? entry : FontNamed(DEFAULT_FONT);
}

IMatrix IGraphicsNanoVG::TextScaleTransform() const
{
  // Computed afresh rather than taken from the device transform, which follows a new scale only
  // once the next frame binds its target.
  const float s = mBound ? mBound->GetScale() * mBound->GetDrawScale() : GetBackingPixelScale();
  const IMatrix m = IMatrix(s, 0.0, 0.0, s, 0.0, 0.0).Compose(mUserTransform);
  return IMatrix(m.mXX, m.mYX, m.mXY, m.mYY, 0.0, 0.0);
}

namespace
{

// nanovg's font scale for a transform: its mean scale in steps of 0.01, at most 4.
float FontScale(const IMatrix& m)
{
  const double sx = std::hypot(m.mXX, m.mXY), sy = std::hypot(m.mYX, m.mYY);
  return std::min(std::floor(static_cast<float>(0.5 * (sx + sy)) * 100.f + 0.5f) / 100.f, 4.f);
}

// The first and the last codepoint of str that are not blanks (0 when there are none).
void OuterCodepoints(const char* str, uint32_t& first, uint32_t& last)
{
  first = last = 0;
  const char* const end = str + std::strlen(str);
  for (const char* p = str; p < end;)
  {
    bool ok = true;
    const char32_t c = DecodeUTF8(p, end, ok);
    if (!ok || c == U' ')
      continue;
    if (!first)
      first = c;
    last = c;
  }
}

} // namespace

// Where the ink of str reaches, in points from its pen: nanovg's glyph boxes (fontstash's
// bitmaps, the outline rounded out to whole pixels and one pixel more at each side) brought in
// to the outline of the first and last glyph as the font's own boxes give it.
void IGraphicsNanoVG::InkSpan(const FontEntry& font, const char* str, float fontSize, float pixels,
                              float glyphsR, float& inkL, float& inkR) const
{
  // nanovg's bounds begin at the pen; its rows begin at the first glyph's box.
  NVGtextRow row{};
  const bool leftKnown = str[0] != ' ' && nvgTextBreakLines(mVG, str, nullptr, 1e9f, &row, 1) == 1;
  inkL = leftKnown ? row.minx : 0.f;
  inkR = glyphsR;
  if (!font.data || font.lineHeight <= 0 || !(pixels > 0.f))
    return;
  // fontstash's pixels per font unit: its size in tenths of a pixel over the line height.
  const float unit = static_cast<float>(static_cast<short>(fontSize * pixels * 10.f)) / 10.f /
                     static_cast<float>(font.lineHeight);
  uint32_t first = 0, last = 0;
  OuterCodepoints(str, first, last);
  int xMin = 0, xMax = 0;
  if (leftKnown && GlyphXExtent(*font.data, first, xMin, xMax))
  {
    const float x0 = static_cast<float>(xMin) * unit;
    inkL += (1.f + x0 - std::floor(x0)) / pixels;
  }
  if (GlyphXExtent(*font.data, last, xMin, xMax))
  {
    const float x1 = static_cast<float>(xMax) * unit;
    inkR -= (1.f + std::ceil(x1) - x1) / pixels;
  }
}

// The text's box (unrotated), aligned within bounds by the style, and its advance width, in
// points. fontstash lays glyphs out in whole pixels of the scale it draws at: each advance and
// kerning is rounded, and each glyph is placed at the whole pixel below its pen position. So a
// text is measured at the scale of the target it is drawn into now, and its pen starts on a
// whole pixel of that scale, as it did when measured: the advance and the ink are then where the
// measuring found them. A centred text is centred by its ink, not by its advance, which counts
// the side bearings of its first and last glyph.
IRECT IGraphicsNanoVG::MeasureBox(const IText& text, const char* str, const IRECT& bounds,
                                  float& width) const
{
  const FontEntry& font = FontFor(text);
  width = 0.f;
  if (!mVG || font.handle < 0)
    return IRECT(bounds.L, bounds.T, bounds.L, bounds.T);
  const IMatrix m = TextScaleTransform();
  const float pixels = FontScale(m);
  const float fontSize = text.mSize * font.sizeFactor;
  nvgSave(mVG);
  nvgResetTransform(mVG);
  nvgTransform(mVG, float(m.mXX), float(m.mYX), float(m.mXY), float(m.mYY), 0.f, 0.f);
  nvgFontFaceId(mVG, font.handle);
  nvgFontSize(mVG, fontSize);
  nvgTextAlign(mVG, NVG_ALIGN_LEFT | NVG_ALIGN_TOP);
  float glyphs[4] = {};
  width = nvgTextBounds(mVG, 0.f, 0.f, str, nullptr, glyphs);
  float inkL = 0.f, inkR = width;
  if (text.mAlign == EAlign::kCenter)
    InkSpan(font, str, fontSize, pixels, glyphs[2], inkL, inkR);
  float ascender = 0.f, descender = 0.f, lineHeight = 0.f;
  nvgTextMetrics(mVG, &ascender, &descender, &lineHeight);
  nvgRestore(mVG);
  const float h = ascender - descender;
  float x = bounds.L, y = bounds.T;
  if (text.mAlign == EAlign::kCenter)
    x = bounds.MW() - 0.5f * (inkL + inkR);
  else if (text.mAlign == EAlign::kFar)
    x = bounds.R - width;
  if (text.mVAlign == EVAlign::kMiddle)
    y = bounds.MH() - h / 2.f;
  else if (text.mVAlign == EVAlign::kBottom)
    y = bounds.B - h;
  // Unrotated, the pen goes to the nearest whole pixel, and a 64th of a pixel past it: fontstash
  // floors the pen's position, which a pen scaled back from points may leave a hair below it.
  if (m.mYX == 0.0 && m.mXY == 0.0 && pixels > 0.f)
    x = (std::round(x * pixels) + 1.f / 64.f) / pixels;
  return IRECT(x, y, x + width, y + h);
}

float IGraphicsNanoVG::DoMeasureText(const IText& text, const char* str, IRECT& bounds) const
{
  float width = 0.f;
  IRECT box = MeasureBox(text, str, bounds, width);
  if (text.mAngle != 0.f)
    DoMeasureTextRotation(text, bounds, box);
  bounds = box;
  return width;
}

void IGraphicsNanoVG::DoDrawText(const IText& text, const char* str, const IRECT& bounds,
                                 const IBlend* pBlend)
{
  if (!mVG || !mInNanoVGFrame || mClipEmpty)
    return;
  const FontEntry& font = FontFor(text);
  if (font.handle < 0)
    return;
  float width = 0.f;
  IRECT box = MeasureBox(text, str, bounds, width);
  // Rotated text: its box is turned about the origin, then moved to its aligned place.
  const bool rotated = text.mAngle != 0.f;
  if (rotated)
  {
    IRECT turned(0.f, 0.f, box.W(), box.H());
    float tx = 0.f, ty = 0.f;
    CalculateTextRotation(text, bounds, turned, tx, ty);
    box = IRECT(0.f, 0.f, box.W(), box.H());
    PathTransformSave();
    PathTransformTranslate(tx, ty);
    PathTransformRotate(text.mAngle);
  }
  ApplyBlend(pBlend);
  const IMatrix& m = mDeviceTransform;
  nvgResetTransform(mVG);
  nvgTransform(mVG, float(m.mXX), float(m.mYX), float(m.mXY), float(m.mYY), float(m.mTX),
               float(m.mTY));
  nvgFontFaceId(mVG, font.handle);
  nvgFontSize(mVG, text.mSize * font.sizeFactor);
  nvgTextAlign(mVG, NVG_ALIGN_LEFT | NVG_ALIGN_TOP);
  const IColor& c = text.mFGColor;
  nvgFillColor(mVG, nvgRGBA(static_cast<unsigned char>(std::clamp(c.R, 0, 255)),
                            static_cast<unsigned char>(std::clamp(c.G, 0, 255)),
                            static_cast<unsigned char>(std::clamp(c.B, 0, 255)),
                            static_cast<unsigned char>(std::clamp(c.A, 0, 255))));
  nvgText(mVG, box.L, box.T, str, nullptr);
  nvgResetTransform(mVG);
  if (rotated)
    PathTransformRestore();
}

} // namespace plugin::igraphics
