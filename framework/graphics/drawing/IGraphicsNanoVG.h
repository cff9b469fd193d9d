#pragma once
// IGraphicsNanoVG: the drawing back end on nanovg (OpenGL 3). It draws every frame into a
// persistent off-screen framebuffer (so a frame repaints only its dirty region), layers into
// framebuffers of their own, and leaves showing the result to the platform layer (EndFrame calls
// OnFrameDrawn).
//
// Partial redraws cost what they redraw. nanovg clips in its fragment shader, so a control
// clipped by nanovg alone still has every pixel it covers shaded (a full-window background
// costs a full frame on a software rasteriser), and nanovg turns GL's scissor test off when it
// flushes. So each dirty region is drawn as a nanovg frame of its own whose GL viewport is the
// region: geometry is clipped to it before rasterisation, and what lies outside is never
// touched. The region is cleared (GL scissor) before its controls draw, so it ends up exactly
// as a full redraw would leave it; everything else keeps the previous frame's pixels.
//
// What nanovg lacks is done here: fill rules and holes, dashes, gradients of more than two stops
// (drawn from the first to the last stop), text sized to the em square (nanovg's fontstash sizes
// to the line height), and clipping to the dirty region.
//
// Sharing: decoded bitmaps keep their pixels in CPU memory and may sit in the process-wide cache;
// each context makes its own texture from them on first use. Layer framebuffers belong to the
// context that made them; one made as "cacheable" is read back into CPU memory when drawing into
// it ends, so that it can be shared too. Font data is shared; nanovg font handles are not.
//
// The platform layer calls InitDrawing once its GL context exists and ShutdownDrawing before it
// goes, and makes the context current through ActivateGLContext / DeactivateGLContext (which
// nest), which this back end also calls around GL work that can come outside a frame. Main
// thread only.

#include "framework/graphics/IGraphics.h"
#include "framework/graphics/drawing/NanoVGPath.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <tuple>
#include <vector>

struct NVGcontext;
struct NVGLUframebuffer;

namespace plugin::igraphics
{

class IGraphicsNanoVG;

// A bitmap of this back end: CPU pixels (RGBA, rows top-down) and/or a framebuffer owned by one
// context.
class NanoVGBitmap : public APIBitmap
{
public:
  NanoVGBitmap(int width, int height, float scale, float drawScale);
  ~NanoVGBitmap() override;

  uint64_t Serial() const { return mSerial; }

  std::vector<uint8_t> mPixels;
  bool mPremultiplied = false;
  IGraphicsNanoVG* mOwner = nullptr; // the context holding mFBO
  NVGLUframebuffer* mFBO = nullptr;
  bool mCacheable = false;
  bool mNeedsClear = true;

private:
  uint64_t mSerial;
};

// Font file data shared by every context of the process (the bytes outlive all nanovg fonts
// made from them).
class NanoVGFont : public PlatformFont
{
public:
  explicit NanoVGFont(std::shared_ptr<const std::vector<uint8_t>> data) : mData(std::move(data)) {}
  std::shared_ptr<const std::vector<uint8_t>> mData;
};

class IGraphicsNanoVG : public IGraphics
{
public:
  IGraphicsNanoVG(IGEditorDelegate& dlg, int w, int h, int fps = 60, float scale = 1.f);
  ~IGraphicsNanoVG() override;

  using IGraphics::DrawBitmap;

  // ---- Life of the GL objects (a GL context must be current)
  bool InitDrawing();
  void ShutdownDrawing();
  bool DrawingReady() const { return mVG != nullptr; }
  // RGBA pixels of the main framebuffer, rows top-down; false before the first frame.
  bool ReadPixels(std::vector<uint8_t>& rgba, int& width, int& height);
  // The main framebuffer's GL name (0 when none) and its pixel size.
  unsigned MainFramebuffer() const;
  int FramebufferWidth() const { return mFBWidth; }
  int FramebufferHeight() const { return mFBHeight; }
  // The regions of the main framebuffer the frame being shown redrew, in whole pixels from its
  // top-left (IRECT edges); empty outside OnFrameDrawn's frame, i.e. when the platform shows
  // the framebuffer again for another reason (the window was exposed).
  const std::vector<IRECT>& FrameRegions() const { return mFrameRegions; }

  // ---- Frame
  void BeginFrame() override;
  void EndFrame() override;
  void BeginRegion(const IRECT& bounds) override;
  // Makes the off-screen framebuffer match the window's pixel size (a GL context must be
  // current); false when drawing is not set up.
  bool PrepareFramebuffer();

  // ---- Paths
  void PathClear() override { mPath.Clear(); }
  void PathClose() override { mPath.Close(); }
  void PathArc(float cx, float cy, float r, float a1, float a2,
               EWinding winding = EWinding::kCW) override
  {
    mPath.Arc(cx, cy, r, a1, a2, winding);
  }
  void PathMoveTo(float x, float y) override { mPath.MoveTo(x, y); }
  void PathLineTo(float x, float y) override { mPath.LineTo(x, y); }
  void PathSetWinding(bool isHole) override { mPath.SetHole(isHole); }
  void PathCubicBezierTo(float c1x, float c1y, float c2x, float c2y, float x2, float y2) override
  {
    mPath.CubicTo(c1x, c1y, c2x, c2y, x2, y2);
  }
  void PathQuadraticBezierTo(float cx, float cy, float x2, float y2) override
  {
    mPath.QuadTo(cx, cy, x2, y2);
  }
  void PathStroke(const IPattern& pattern, float thickness,
                  const IStrokeOptions& options = IStrokeOptions(),
                  const IBlend* pBlend = nullptr) override;
  void PathFill(const IPattern& pattern, const IFillOptions& options = IFillOptions(),
                const IBlend* pBlend = nullptr) override;
  // A soft shadow of the rounded inner rectangle, dropped by xyDrop and blurred outwards over
  // blur points, painted within the outer rectangle and never under the inner one.
  void DrawFastDropShadow(const IRECT& innerBounds, const IRECT& outerBounds, float xyDrop = 5.f,
                          float roundness = 0.f, float blur = 10.f,
                          const IBlend* pBlend = nullptr) override;

  // ---- Bitmaps, layers, fonts
  void DrawBitmap(const IBitmap& bitmap, const IRECT& bounds, int srcX, int srcY,
                  const IBlend* pBlend = nullptr) override;
  IColor GetPoint(int x, int y) override;
  void* GetDrawContext() override { return mVG; }
  const char* GetDrawingAPIStr() override { return "NanoVG"; }
  bool BitmapExtSupported(const char* ext) override;
  APIBitmap* LoadAPIBitmap(const char* fileNameOrResID, int scale, EResourceLocation location,
                           const char* ext) override;
  APIBitmap* LoadAPIBitmap(const char* name, const void* pData, int dataSize, int scale) override;
  APIBitmap* CreateAPIBitmap(int width, int height, bool cacheable, float scale,
                             float drawScale) override;
  void UpdateLayer() override;
  void GetLayerBitmapData(const ILayerPtr& layer, RawBitmapData& data) override;
  void ApplyShadowMask(ILayerPtr& layer, RawBitmapData& mask, const IShadow& shadow) override;
  int AlphaChannel() const override { return 3; }
  bool FlippedBitmap() const override { return true; }
  bool LoadAPIFont(const char* fontID, const PlatformFontPtr& font) override;
  PlatformFontPtr LoadPlatformFont(const char* fontID, const char* fileNameOrResID) override;
  PlatformFontPtr LoadPlatformFont(const char* fontID, void* pData, int dataSize) override;
  PlatformFontPtr LoadPlatformFont(const char* fontID, const char* fontName,
                                   ETextStyle style) override;
  void CachePlatformFont(const char* fontID, PlatformFontPtr& font) override;

  // A layer framebuffer of this context is going away: delete it at the next safe moment.
  void ForgetLayerBitmap(NanoVGBitmap* pBitmap);

protected:
  void PathTransformSetMatrix(const IMatrix& m) override;
  void SetClipRegion(const IRECT& r) override;
  float DoMeasureText(const IText& text, const char* str, IRECT& bounds) const override;
  void DoDrawText(const IText& text, const char* str, const IRECT& bounds,
                  const IBlend* pBlend) override;

  // The frame is in the main framebuffer: the platform shows it.
  virtual void OnFrameDrawn() {}

private:
  class GLScope;
  struct Target
  {
    NanoVGBitmap* bitmap = nullptr; // null: the main framebuffer
  };

  void UpdateDeviceTransform();
  void ApplyPaint(const IPattern& pattern, const IBlend* pBlend, bool stroke);
  void ApplyBlend(const IBlend* pBlend);
  void BindTarget(NanoVGBitmap* pBitmap);
  void BeginNanoVGFrame();
  void EndNanoVGFrame();
  void DeletePendingFramebuffers();
  void ReadBack(NanoVGBitmap* pBitmap);
  int ImageFor(const NanoVGBitmap* pBitmap);
  // A texture of the w x h texels at (x, y) of a bitmap's CPU pixels alone, so that filtering
  // never reaches past the piece's edges (a film-strip frame drawn at another scale); 0 when
  // the bitmap has no CPU pixels.
  int PieceImageFor(const NanoVGBitmap* pBitmap, int x, int y, int w, int h);
  // The main target's region: the whole framebuffer outside a frame.
  void SetWholeRegion();
  struct FontEntry
  {
    int handle = -1;
    float sizeFactor = 1.f;
    int lineHeight = 0; // ascent − descent in font units (0: unknown)
    std::shared_ptr<const std::vector<uint8_t>> data;
  };
  // The font loaded under fontID, loading "<fontID>.ttf" from the resources on first use (its
  // handle is -1 when there is none).
  const FontEntry& FontNamed(const char* fontID) const;
  // The font for a style, or the default font when the style's cannot be had (handle -1 when
  // neither can).
  const FontEntry& FontFor(const IText& text) const;
  // Where str's ink reaches from its pen, in points, in the font and size nanovg is set to;
  // glyphsR is where nanovg's glyph boxes of str end (nvgTextBounds).
  void InkSpan(const FontEntry& font, const char* str, float fontSize, float pixels, float glyphsR,
               float& inkL, float& inkR) const;
  bool CreateMainFramebuffer();
  IRECT MeasureBox(const IText& text, const char* str, const IRECT& bounds, float& width) const;
  // Points to pixels of the target text is drawn into now (the window at the backing scale, or
  // the layer being drawn), with the user's transform, without a translation.
  IMatrix TextScaleTransform() const;

  NVGcontext* mVG = nullptr;
  NVGLUframebuffer* mMainFB = nullptr;
  int mFBWidth = 0;
  int mFBHeight = 0;
  bool mInMainFrame = false;
  bool mInNanoVGFrame = false;
  NanoVGBitmap* mBound = nullptr; // the layer bitmap being drawn into (null: main)
  int mTargetWidth = 0;
  int mTargetHeight = 0;
  // The dirty region being drawn into the main framebuffer, in pixels from its top-left.
  int mRegionX = 0;
  int mRegionY = 0;
  int mRegionW = 0;
  int mRegionH = 0;
  std::vector<IRECT> mFrameRegions; // the regions of the frame being drawn, in pixels

  NanoVGPath mPath;
  IMatrix mUserTransform;
  IMatrix mDeviceTransform; // user points to target pixels
  IRECT mDeviceClip;
  bool mClipEmpty = false;

  std::set<NanoVGBitmap*> mLayerBitmaps;
  std::mutex mPendingMutex; // guards mPendingDelete (bitmaps may die outside drawing)
  std::vector<NVGLUframebuffer*> mPendingDelete;
  std::map<uint64_t, int> mTextures; // bitmap serial -> nanovg image of this context
  struct PieceKey
  {
    uint64_t serial;
    int x, y, w, h;
    bool operator<(const PieceKey& o) const
    {
      return std::tie(serial, x, y, w, h) < std::tie(o.serial, o.x, o.y, o.w, o.h);
    }
  };
  std::map<PieceKey, int> mPieceTextures;

  mutable std::map<std::string, FontEntry> mFonts;
};

} // namespace plugin::igraphics
