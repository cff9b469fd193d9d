// IGraphicsNanoVG: frames, targets, paths and paints, bitmaps and layers.

#include "framework/graphics/drawing/IGraphicsNanoVG.h"

#include "framework/graphics/drawing/NanoVGGL.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstring>

namespace plugin::igraphics
{

namespace
{

std::atomic<uint64_t> sNextSerial{1};

NVGcolor ToNVG(const IColor& c, float weight = 1.f)
{
  return nvgRGBA(static_cast<unsigned char>(std::clamp(c.R, 0, 255)),
                 static_cast<unsigned char>(std::clamp(c.G, 0, 255)),
                 static_cast<unsigned char>(std::clamp(c.B, 0, 255)),
                 static_cast<unsigned char>(std::clamp(int(std::lround(c.A * weight)), 0, 255)));
}

int CompositeOp(EBlend method)
{
  switch (method)
  {
  case EBlend::kSrcIn:
    return NVG_SOURCE_IN;
  case EBlend::kSrcOut:
    return NVG_SOURCE_OUT;
  case EBlend::kSrcAtop:
    return NVG_ATOP;
  case EBlend::kDstOver:
    return NVG_DESTINATION_OVER;
  case EBlend::kDstIn:
    return NVG_DESTINATION_IN;
  case EBlend::kDstOut:
    return NVG_DESTINATION_OUT;
  case EBlend::kDstAtop:
    return NVG_DESTINATION_ATOP;
  case EBlend::kAdd:
    return NVG_LIGHTER;
  case EBlend::kXOR:
    return NVG_XOR;
  default:
    return NVG_SOURCE_OVER;
  }
}

bool Invert(const IMatrix& m, IMatrix& out)
{
  const double det = m.mXX * m.mYY - m.mXY * m.mYX;
  if (std::fabs(det) < 1e-12)
    return false;
  out = IMatrix(m.mYY / det, -m.mYX / det, -m.mXY / det, m.mXX / det,
                (m.mXY * m.mTY - m.mYY * m.mTX) / det, (m.mYX * m.mTX - m.mXX * m.mTY) / det);
  return true;
}

void SetNVGTransform(NVGcontext* vg, const IMatrix& m)
{
  nvgResetTransform(vg);
  nvgTransform(vg, float(m.mXX), float(m.mYX), float(m.mXY), float(m.mYY), float(m.mTX),
               float(m.mTY));
}

float MeanScale(const IMatrix& m)
{
  return static_cast<float>(std::sqrt(std::fabs(m.mXX * m.mYY - m.mXY * m.mYX)));
}

// Whether drawing at m puts each texel of an image with the given texels per point on exactly
// one target pixel, when the image's point (x, y) is placed: no resampling happens then.
bool MapsTexelsToPixels(const IMatrix& m, float texels, float x, float y)
{
  if (std::fabs(m.mXY) > 1e-6 || std::fabs(m.mYX) > 1e-6 || std::fabs(m.mXX - texels) > 1e-4 ||
      std::fabs(m.mYY - texels) > 1e-4)
    return false;
  double px = x, py = y;
  m.TransformPoint(px, py);
  return std::fabs(px - std::round(px)) < 1e-3 && std::fabs(py - std::round(py)) < 1e-3;
}

// Adds one sub-path's commands to nanovg's current path.
void EmitSubPath(NVGcontext* vg, const NanoVGPath::SubPath& subPath)
{
  for (const NanoVGPath::Cmd& cmd : subPath.cmds)
  {
    const float* p = cmd.pts;
    switch (cmd.type)
    {
    case NanoVGPath::ECmd::kMove:
      nvgMoveTo(vg, p[0], p[1]);
      break;
    case NanoVGPath::ECmd::kLine:
      nvgLineTo(vg, p[0], p[1]);
      break;
    case NanoVGPath::ECmd::kBezier:
      nvgBezierTo(vg, p[0], p[1], p[2], p[3], p[4], p[5]);
      break;
    case NanoVGPath::ECmd::kClose:
      nvgClosePath(vg);
      break;
    }
  }
}

} // namespace

// Makes the platform's GL context current for GL work that may come outside a frame (a bitmap
// loaded while handling an event, say), and puts back what was current after it.
class IGraphicsNanoVG::GLScope
{
public:
  explicit GLScope(IGraphicsNanoVG& g) : mGraphics(g) { g.ActivateGLContext(); }
  ~GLScope() { mGraphics.DeactivateGLContext(); }
  GLScope(const GLScope&) = delete;
  GLScope& operator=(const GLScope&) = delete;

private:
  IGraphicsNanoVG& mGraphics;
};

// ---- Bitmaps of this back end

NanoVGBitmap::NanoVGBitmap(int width, int height, float scale, float drawScale)
  : APIBitmap(width, height, scale, drawScale), mSerial(sNextSerial++)
{
}

NanoVGBitmap::~NanoVGBitmap()
{
  if (mOwner)
    mOwner->ForgetLayerBitmap(this);
}

// ---- Life

IGraphicsNanoVG::IGraphicsNanoVG(IGEditorDelegate& dlg, int w, int h, int fps, float scale)
  : IGraphics(dlg, w, h, fps, scale)
{
}

IGraphicsNanoVG::~IGraphicsNanoVG()
{
  // The platform shuts drawing down while its GL context still exists; this only lets go of
  // bitmaps that still point here.
  for (NanoVGBitmap* pBitmap : mLayerBitmaps)
  {
    pBitmap->mOwner = nullptr;
    pBitmap->mFBO = nullptr;
  }
}

bool IGraphicsNanoVG::InitDrawing()
{
  if (mVG)
    return true;
  mVG = nvgCreateGL3(NVG_ANTIALIAS | NVG_STENCIL_STROKES);
  return mVG != nullptr;
}

void IGraphicsNanoVG::ShutdownDrawing()
{
  if (!mVG)
    return;
  if (mInNanoVGFrame)
    nvgCancelFrame(mVG);
  mInNanoVGFrame = mInMainFrame = false;
  for (NanoVGBitmap* pBitmap : mLayerBitmaps)
  {
    // A cacheable layer keeps its pixels for the other contexts.
    if (pBitmap->mFBO)
      nvgluDeleteFramebuffer(pBitmap->mFBO);
    pBitmap->mOwner = nullptr;
    pBitmap->mFBO = nullptr;
  }
  mLayerBitmaps.clear();
  DeletePendingFramebuffers();
  if (mMainFB)
    nvgluDeleteFramebuffer(mMainFB);
  mMainFB = nullptr;
  for (const auto& entry : mTextures)
    nvgDeleteImage(mVG, entry.second);
  mTextures.clear();
  for (const auto& entry : mPieceTextures)
    nvgDeleteImage(mVG, entry.second);
  mPieceTextures.clear();
  mFonts.clear();
  nvgDeleteGL3(mVG);
  mVG = nullptr;
}

unsigned IGraphicsNanoVG::MainFramebuffer() const
{
  return mMainFB ? mMainFB->fbo : 0u;
}

bool IGraphicsNanoVG::CreateMainFramebuffer()
{
  // Every pixel the layout touches, its last partial row and column too.
  const double scale = double(GetDrawScale()) * GetScreenScale();
  const int w = std::max(1, ScaledPixels(Width(), scale));
  const int h = std::max(1, ScaledPixels(Height(), scale));
  if (mMainFB && w == mFBWidth && h == mFBHeight)
    return true;
  if (mMainFB)
    nvgluDeleteFramebuffer(mMainFB);
  mMainFB = nvgluCreateFramebuffer(mVG, w, h, 0);
  mFBWidth = mMainFB ? w : 0;
  mFBHeight = mMainFB ? h : 0;
  SetWholeRegion();
  if (!mMainFB)
    return false;
  // A new framebuffer starts transparent and everything in it must be drawn.
  glBindFramebuffer(GL_FRAMEBUFFER, mMainFB->fbo);
  glViewport(0, 0, w, h);
  glClearColor(0.f, 0.f, 0.f, 0.f);
  glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  SetAllControlsDirty();
  return true;
}

bool IGraphicsNanoVG::PrepareFramebuffer()
{
  return mVG && CreateMainFramebuffer();
}

// ---- Frames and targets

void IGraphicsNanoVG::SetWholeRegion()
{
  mRegionX = mRegionY = 0;
  mRegionW = mFBWidth;
  mRegionH = mFBHeight;
}

void IGraphicsNanoVG::BindTarget(NanoVGBitmap* pBitmap)
{
  mBound = pBitmap;
  if (pBitmap && pBitmap->mFBO)
  {
    glBindFramebuffer(GL_FRAMEBUFFER, pBitmap->mFBO->fbo);
    mTargetWidth = pBitmap->GetWidth();
    mTargetHeight = pBitmap->GetHeight();
    glViewport(0, 0, std::max(mTargetWidth, 1), std::max(mTargetHeight, 1));
  }
  else
  {
    // The main framebuffer: nanovg's view is the region being drawn (GL rows run bottom-up).
    glBindFramebuffer(GL_FRAMEBUFFER, mMainFB ? mMainFB->fbo : 0);
    mTargetWidth = mRegionW;
    mTargetHeight = mRegionH;
    if (mRegionW > 0 && mRegionH > 0)
      glViewport(mRegionX, mFBHeight - mRegionY - mRegionH, mRegionW, mRegionH);
    else
      glViewport(mFBWidth, mFBHeight, 1, 1); // outside the framebuffer: draws nothing
  }
  if (pBitmap && pBitmap->mNeedsClear)
  {
    glClearColor(0.f, 0.f, 0.f, 0.f);
    glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    pBitmap->mNeedsClear = false;
  }
  UpdateDeviceTransform();
}

void IGraphicsNanoVG::BeginNanoVGFrame()
{
  nvgBeginFrame(mVG, static_cast<float>(std::max(mTargetWidth, 1)),
                static_cast<float>(std::max(mTargetHeight, 1)), 1.f);
  mInNanoVGFrame = true;
  // A frame resumed on the same target keeps its clip.
  if (!mClipEmpty && mDeviceClip.W() > 0.f && mDeviceClip.H() > 0.f)
    nvgIntersectScissor(mVG, mDeviceClip.L, mDeviceClip.T, mDeviceClip.W(), mDeviceClip.H());
}

void IGraphicsNanoVG::EndNanoVGFrame()
{
  if (mInNanoVGFrame)
    nvgEndFrame(mVG);
  mInNanoVGFrame = false;
}

void IGraphicsNanoVG::BeginFrame()
{
  IGraphics::BeginFrame();
  if (!mVG || !CreateMainFramebuffer())
    return;
  DeletePendingFramebuffers();
  SetWholeRegion();
  mFrameRegions.clear();
  BindTarget(nullptr);
  BeginNanoVGFrame();
  mInMainFrame = true;
}

void IGraphicsNanoVG::BeginRegion(const IRECT& bounds)
{
  // Regions start in the window; a layer left open by a control keeps the target it has.
  if (!mVG || !mInMainFrame || GetTopLayer())
    return;
  EndNanoVGFrame();
  // The bounds are pixel-aligned: rounding here only removes float noise.
  const float s = GetBackingPixelScale();
  const int x0 = std::clamp(static_cast<int>(std::floor(bounds.L * s + 1e-3f)), 0, mFBWidth);
  const int y0 = std::clamp(static_cast<int>(std::floor(bounds.T * s + 1e-3f)), 0, mFBHeight);
  const int x1 = std::clamp(static_cast<int>(std::ceil(bounds.R * s - 1e-3f)), x0, mFBWidth);
  const int y1 = std::clamp(static_cast<int>(std::ceil(bounds.B * s - 1e-3f)), y0, mFBHeight);
  mRegionX = x0;
  mRegionY = y0;
  mRegionW = x1 - x0;
  mRegionH = y1 - y0;
  BindTarget(nullptr);
  if (mRegionW > 0 && mRegionH > 0)
  {
    mFrameRegions.emplace_back(float(x0), float(y0), float(x1), float(y1));
    // Everything in the region is drawn again from nothing, as a full redraw would draw it.
    glEnable(GL_SCISSOR_TEST);
    glScissor(mRegionX, mFBHeight - mRegionY - mRegionH, mRegionW, mRegionH);
    glClearColor(0.f, 0.f, 0.f, 0.f);
    glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
  }
  SetClipRegion(bounds);
  BeginNanoVGFrame();
}

void IGraphicsNanoVG::EndFrame()
{
  if (!mVG || !mInMainFrame)
    return;
  EndNanoVGFrame();
  mInMainFrame = false;
  SetWholeRegion();
  BindTarget(nullptr);
  OnFrameDrawn();
  mFrameRegions.clear();
}

void IGraphicsNanoVG::UpdateLayer()
{
  if (!mVG)
    return;
  GLScope gl(*this);
  NanoVGBitmap* pPrevious = mBound;
  EndNanoVGFrame();
  // A cacheable layer that drawing leaves is read back, so that any context can draw it.
  if (pPrevious && pPrevious->mCacheable && pPrevious->mFBO)
    ReadBack(pPrevious);
  ILayer* pTop = GetTopLayer();
  auto* pBitmap = pTop ? static_cast<NanoVGBitmap*>(pTop->mBitmap.get()) : nullptr;
  if (pBitmap && pBitmap->mFBO)
  {
    BindTarget(pBitmap);
    BeginNanoVGFrame();
  }
  else
  {
    BindTarget(nullptr);
    if (mInMainFrame)
      BeginNanoVGFrame();
  }
}

void IGraphicsNanoVG::UpdateDeviceTransform()
{
  // Target pixels: the window at the backing scale from the top-left of the region being
  // drawn, or a layer at its own scale from its top-left corner.
  float s = GetBackingPixelScale();
  float tx = -static_cast<float>(mRegionX), ty = -static_cast<float>(mRegionY);
  if (mBound)
  {
    s = mBound->GetScale() * mBound->GetDrawScale();
    tx = ty = 0.f;
    if (ILayer* pTop = GetTopLayer())
    {
      tx = -pTop->mRECT.L * s;
      ty = -pTop->mRECT.T * s;
    }
  }
  const IMatrix base(s, 0.0, 0.0, s, tx, ty);
  mDeviceTransform = base.Compose(mUserTransform);
  mPath.SetTransform(mDeviceTransform);
}

void IGraphicsNanoVG::PathTransformSetMatrix(const IMatrix& m)
{
  mUserTransform = m;
  UpdateDeviceTransform();
}

void IGraphicsNanoVG::SetClipRegion(const IRECT& r)
{
  if (!mVG)
    return;
  mClipEmpty =
    r.Empty() || r.W() <= 0.f || r.H() <= 0.f || (!mBound && (mRegionW <= 0 || mRegionH <= 0));
  // Clips are given untransformed: only the target's own scale and origin apply.
  const IMatrix saved = mUserTransform;
  mUserTransform = IMatrix();
  UpdateDeviceTransform();
  double l = r.L, t = r.T, rr = r.R, b = r.B;
  mDeviceTransform.TransformPoint(l, t);
  mDeviceTransform.TransformPoint(rr, b);
  mUserTransform = saved;
  UpdateDeviceTransform();
  mDeviceClip = IRECT(float(l), float(t), float(rr), float(b));
  if (!mInNanoVGFrame)
    return;
  nvgResetTransform(mVG);
  nvgResetScissor(mVG);
  if (!mClipEmpty)
    nvgIntersectScissor(mVG, mDeviceClip.L, mDeviceClip.T, mDeviceClip.W(), mDeviceClip.H());
}

void IGraphicsNanoVG::DeletePendingFramebuffers()
{
  std::vector<NVGLUframebuffer*> pending;
  {
    std::lock_guard<std::mutex> lock(mPendingMutex);
    pending.swap(mPendingDelete);
  }
  for (NVGLUframebuffer* pFB : pending)
    nvgluDeleteFramebuffer(pFB);
}

void IGraphicsNanoVG::ForgetLayerBitmap(NanoVGBitmap* pBitmap)
{
  mLayerBitmaps.erase(pBitmap);
  if (mBound == pBitmap)
    mBound = nullptr;
  if (pBitmap->mFBO)
  {
    std::lock_guard<std::mutex> lock(mPendingMutex);
    mPendingDelete.push_back(pBitmap->mFBO);
  }
  pBitmap->mFBO = nullptr;
  pBitmap->mOwner = nullptr;
}

// ---- Paint

void IGraphicsNanoVG::ApplyBlend(const IBlend* pBlend)
{
  nvgGlobalCompositeOperation(mVG, CompositeOp(pBlend ? pBlend->mMethod : EBlend::kDefault));
  nvgGlobalAlpha(mVG, std::clamp(BlendWeight(pBlend), 0.f, 1.f));
}

void IGraphicsNanoVG::ApplyPaint(const IPattern& pattern, const IBlend* pBlend, bool stroke)
{
  ApplyBlend(pBlend);
  const int n = pattern.NStops();
  IMatrix inverse;
  if (pattern.mType == EPatternType::kSolid || n < 2 || !Invert(pattern.mTransform, inverse))
  {
    const IColor color = n > 0 ? pattern.GetStop(0).mColor : IColor(0, 0, 0, 0);
    if (stroke)
      nvgStrokeColor(mVG, ToNVG(color));
    else
      nvgFillColor(mVG, ToNVG(color));
    return;
  }
  // Gradient space (linear: along y from 0 to 1; radial: the unit circle) to target pixels.
  // nanovg blends two colours: the first and the last stop. Its feather is at least one unit,
  // so the gradient is laid out kUnits times larger and the transform scaled back.
  constexpr float kUnits = 1024.f;
  SetNVGTransform(mVG, mDeviceTransform.Compose(inverse).Compose(
                         IMatrix(1.0 / kUnits, 0.0, 0.0, 1.0 / kUnits, 0.0, 0.0)));
  const IColorStop& first = pattern.GetStop(0);
  const IColorStop& last = pattern.GetStop(n - 1);
  NVGpaint paint;
  if (pattern.mType == EPatternType::kLinear)
    paint = nvgLinearGradient(mVG, 0.f, first.mOffset * kUnits, 0.f, last.mOffset * kUnits,
                              ToNVG(first.mColor), ToNVG(last.mColor));
  else
    paint = nvgRadialGradient(mVG, 0.f, 0.f, first.mOffset * kUnits,
                              std::max(last.mOffset * kUnits, first.mOffset * kUnits + 1.f),
                              ToNVG(first.mColor), ToNVG(last.mColor));
  if (stroke)
    nvgStrokePaint(mVG, paint);
  else
    nvgFillPaint(mVG, paint);
  nvgResetTransform(mVG);
}

void IGraphicsNanoVG::PathFill(const IPattern& pattern, const IFillOptions& options,
                               const IBlend* pBlend)
{
  // A path that encloses nothing (a line) fills nothing; nanovg would leave stencil marks that
  // eat into a stroke of the same path.
  if (mVG && mInNanoVGFrame && !mClipEmpty && !mPath.Empty() && mPath.EnclosesArea())
  {
    const std::vector<bool> holes = mPath.Holes(options.mFillRule);
    ApplyPaint(pattern, pBlend, false);
    nvgResetTransform(mVG);
    nvgBeginPath(mVG);
    const auto& subPaths = mPath.SubPaths();
    for (size_t i = 0; i < subPaths.size(); ++i)
    {
      EmitSubPath(mVG, subPaths[i]);
      nvgPathWinding(mVG, holes[i] ? NVG_HOLE : NVG_SOLID);
    }
    nvgFill(mVG);
  }
  if (!options.mPreserve)
    mPath.Clear();
}

void IGraphicsNanoVG::PathStroke(const IPattern& pattern, float thickness,
                                 const IStrokeOptions& options, const IBlend* pBlend)
{
  if (mVG && mInNanoVGFrame && !mClipEmpty && !mPath.Empty())
  {
    ApplyPaint(pattern, pBlend, true);
    nvgResetTransform(mVG);
    nvgBeginPath(mVG);
    const float scale = MeanScale(mDeviceTransform);
    if (options.mDash.mCount > 0)
    {
      float dashes[IStrokeOptions::DashOptions::kMaxDashes];
      for (int i = 0; i < options.mDash.mCount; ++i)
        dashes[i] = options.mDash.mArray[i] * scale;
      // Zero-length dashes are dots where caps stick out: a stub long enough for nanovg to
      // keep (it merges points closer than 0.01 pixel) gives the caps their direction.
      const float dotLength = options.mCapOption == ELineCap::kButt ? 0.f : 0.05f;
      for (const NanoVGPath::Polyline& dash :
           NanoVGPath::Dash(mPath.Flatten(), dashes, options.mDash.mCount,
                            options.mDash.mOffset * scale, dotLength))
      {
        nvgMoveTo(mVG, dash.pts[0], dash.pts[1]);
        for (size_t i = 2; i + 1 < dash.pts.size(); i += 2)
          nvgLineTo(mVG, dash.pts[i], dash.pts[i + 1]);
      }
    }
    else
    {
      for (const NanoVGPath::SubPath& sp : mPath.SubPaths())
        EmitSubPath(mVG, sp);
    }
    nvgStrokeWidth(mVG, thickness * scale);
    nvgMiterLimit(mVG, options.mMiterLimit);
    nvgLineCap(mVG, options.mCapOption == ELineCap::kRound    ? NVG_ROUND
                    : options.mCapOption == ELineCap::kSquare ? NVG_SQUARE
                                                              : NVG_BUTT);
    nvgLineJoin(mVG, options.mJoinOption == ELineJoin::kRound   ? NVG_ROUND
                     : options.mJoinOption == ELineJoin::kBevel ? NVG_BEVEL
                                                                : NVG_MITER);
    nvgStroke(mVG);
  }
  if (!options.mPreserve)
    mPath.Clear();
}

void IGraphicsNanoVG::DrawFastDropShadow(const IRECT& innerBounds, const IRECT& outerBounds,
                                         float xyDrop, float roundness, float blur,
                                         const IBlend* pBlend)
{
  if (!mVG || !mInNanoVGFrame || mClipEmpty || innerBounds.W() <= 0.f || innerBounds.H() <= 0.f)
    return;
  ApplyBlend(pBlend);
  SetNVGTransform(mVG, mDeviceTransform);
  const NVGpaint paint = nvgBoxGradient(mVG, innerBounds.L, innerBounds.T + xyDrop, innerBounds.W(),
                                        innerBounds.H(), roundness, std::max(blur, 1.f),
                                        ToNVG(COLOR_BLACK_DROP_SHADOW), ToNVG(COLOR_TRANSPARENT));
  nvgBeginPath(mVG);
  nvgRect(mVG, outerBounds.L, outerBounds.T, outerBounds.W(), outerBounds.H());
  nvgRoundedRect(mVG, innerBounds.L, innerBounds.T, innerBounds.W(), innerBounds.H(), roundness);
  nvgPathWinding(mVG, NVG_HOLE);
  nvgFillPaint(mVG, paint);
  nvgFill(mVG);
  nvgResetTransform(mVG);
}

// ---- Bitmaps

void IGraphicsNanoVG::DrawBitmap(const IBitmap& bitmap, const IRECT& bounds, int srcX, int srcY,
                                 const IBlend* pBlend)
{
  auto* pBitmap = static_cast<NanoVGBitmap*>(bitmap.GetAPIBitmap());
  if (!mVG || !mInNanoVGFrame || mClipEmpty || !pBitmap)
    return;
  // Texels per point: the resolution variant times the zoom a layer was drawn at.
  const float texels = pBitmap->GetScale() * pBitmap->GetDrawScale();
  // The whole image in points, placed so that (srcX, srcY) lands on the top-left of bounds.
  float x = bounds.L - float(srcX), y = bounds.T - float(srcY);
  float w = pBitmap->GetWidth() / texels, h = pBitmap->GetHeight() / texels;
  int image = 0;
  // A piece of the image (a film-strip frame) that is resampled on its way to the target would
  // blend in texels of its neighbour at its edges: it is drawn from a texture of its own.
  const int px = std::clamp(static_cast<int>(std::lround(srcX * texels)), 0, pBitmap->GetWidth());
  const int py = std::clamp(static_cast<int>(std::lround(srcY * texels)), 0, pBitmap->GetHeight());
  const int pw =
    std::min(static_cast<int>(std::lround(bounds.W() * texels)), pBitmap->GetWidth() - px);
  const int ph =
    std::min(static_cast<int>(std::lround(bounds.H() * texels)), pBitmap->GetHeight() - py);
  const bool piece = pw > 0 && ph > 0 && (pw < pBitmap->GetWidth() || ph < pBitmap->GetHeight());
  if (piece && !MapsTexelsToPixels(mDeviceTransform, texels, bounds.L, bounds.T))
  {
    image = PieceImageFor(pBitmap, px, py, pw, ph);
    if (image > 0)
    {
      x = bounds.L;
      y = bounds.T;
      w = pw / texels;
      h = ph / texels;
    }
  }
  if (image <= 0)
    image = ImageFor(pBitmap);
  if (image <= 0)
    return;
  ApplyBlend(pBlend);
  SetNVGTransform(mVG, mDeviceTransform);
  const NVGpaint paint = nvgImagePattern(mVG, x, y, w, h, 0.f, image, 1.f);
  nvgBeginPath(mVG);
  nvgRect(mVG, bounds.L, bounds.T, bounds.W(), bounds.H());
  nvgFillPaint(mVG, paint);
  nvgFill(mVG);
  nvgResetTransform(mVG);
}

IColor IGraphicsNanoVG::GetPoint(int x, int y)
{
  std::vector<uint8_t> rgba;
  int w = 0, h = 0;
  if (!ReadPixels(rgba, w, h))
    return IColor(0, 0, 0, 0);
  const float s = GetBackingPixelScale();
  const int px = static_cast<int>(x * s), py = static_cast<int>(y * s);
  if (px < 0 || py < 0 || px >= w || py >= h)
    return IColor(0, 0, 0, 0);
  const uint8_t* p = &rgba[(static_cast<size_t>(py) * w + px) * 4];
  return IColor(p[3], p[0], p[1], p[2]);
}

bool IGraphicsNanoVG::ReadPixels(std::vector<uint8_t>& rgba, int& width, int& height)
{
  if (!mVG || !mMainFB)
    return false;
  GLScope gl(*this);
  width = mFBWidth;
  height = mFBHeight;
  rgba.resize(static_cast<size_t>(width) * height * 4);
  glBindFramebuffer(GL_FRAMEBUFFER, mMainFB->fbo);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  // GL rows run bottom-up.
  const size_t stride = static_cast<size_t>(width) * 4;
  std::vector<uint8_t> row(stride);
  for (int y = 0; y < height / 2; ++y)
  {
    uint8_t* a = &rgba[static_cast<size_t>(y) * stride];
    uint8_t* b = &rgba[static_cast<size_t>(height - 1 - y) * stride];
    std::memcpy(row.data(), a, stride);
    std::memcpy(a, b, stride);
    std::memcpy(b, row.data(), stride);
  }
  BindTarget(mBound);
  return true;
}

APIBitmap* IGraphicsNanoVG::CreateAPIBitmap(int width, int height, bool cacheable, float scale,
                                            float drawScale)
{
  width = std::max(width, 1);
  height = std::max(height, 1);
  auto* pBitmap = new NanoVGBitmap(width, height, scale, drawScale);
  pBitmap->mCacheable = cacheable;
  if (mVG)
  {
    GLScope gl(*this);
    pBitmap->mFBO = nvgluCreateFramebuffer(mVG, width, height, 0);
    if (pBitmap->mFBO)
    {
      pBitmap->mOwner = this;
      mLayerBitmaps.insert(pBitmap);
    }
    // The framebuffer helper leaves its framebuffer bound.
    BindTarget(mBound);
  }
  return pBitmap;
}

void IGraphicsNanoVG::ReadBack(NanoVGBitmap* pBitmap)
{
  const int w = pBitmap->GetWidth(), h = pBitmap->GetHeight();
  std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 4);
  glBindFramebuffer(GL_FRAMEBUFFER, pBitmap->mFBO->fbo);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  const size_t stride = static_cast<size_t>(w) * 4;
  pBitmap->mPixels.resize(pixels.size());
  for (int y = 0; y < h; ++y)
    std::memcpy(&pBitmap->mPixels[static_cast<size_t>(y) * stride],
                &pixels[static_cast<size_t>(h - 1 - y) * stride], stride);
  pBitmap->mPremultiplied = true;
  // Pieces cut from the pixels before are out of date.
  for (auto it = mPieceTextures.lower_bound(PieceKey{pBitmap->Serial(), INT_MIN, 0, 0, 0});
       it != mPieceTextures.end() && it->first.serial == pBitmap->Serial();)
  {
    nvgDeleteImage(mVG, it->second);
    it = mPieceTextures.erase(it);
  }
}

void IGraphicsNanoVG::GetLayerBitmapData(const ILayerPtr& layer, RawBitmapData& data)
{
  data.clear();
  auto* pBitmap = layer ? static_cast<NanoVGBitmap*>(layer->mBitmap.get()) : nullptr;
  if (!mVG || !pBitmap || !pBitmap->mFBO || pBitmap->mOwner != this)
    return;
  GLScope gl(*this);
  const bool drawing = mInNanoVGFrame;
  EndNanoVGFrame(); // what is pending must reach the framebuffer first
  data.resize(static_cast<size_t>(pBitmap->GetWidth()) * pBitmap->GetHeight() * 4);
  glBindFramebuffer(GL_FRAMEBUFFER, pBitmap->mFBO->fbo);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, pBitmap->GetWidth(), pBitmap->GetHeight(), GL_RGBA, GL_UNSIGNED_BYTE,
               data.data());
  BindTarget(mBound);
  if (drawing)
    BeginNanoVGFrame();
}

void IGraphicsNanoVG::ApplyShadowMask(ILayerPtr& layer, RawBitmapData& mask, const IShadow& shadow)
{
  auto* pBitmap = layer ? static_cast<NanoVGBitmap*>(layer->mBitmap.get()) : nullptr;
  if (!mVG || !pBitmap || !pBitmap->mFBO || pBitmap->mOwner != this)
    return;
  const int w = pBitmap->GetWidth(), h = pBitmap->GetHeight();
  if (mask.size() < static_cast<size_t>(w) * h * 4)
    return;
  // The shadow: the pattern's colour under the blurred alpha (premultiplied, rows bottom-up).
  const IColor color =
    shadow.mPattern.NStops() > 0 ? shadow.mPattern.GetStop(0).mColor : IColor(255, 0, 0, 0);
  const float opacity = std::clamp(shadow.mOpacity, 0.f, 1.f) * color.A / 255.f;
  for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i)
  {
    const float a = mask[i * 4 + 3] / 255.f * opacity;
    mask[i * 4 + 0] = static_cast<uint8_t>(std::lround(color.R * a));
    mask[i * 4 + 1] = static_cast<uint8_t>(std::lround(color.G * a));
    mask[i * 4 + 2] = static_cast<uint8_t>(std::lround(color.B * a));
    mask[i * 4 + 3] = static_cast<uint8_t>(std::lround(255.f * a));
  }
  GLScope gl(*this);
  const bool drawing = mInNanoVGFrame;
  NanoVGBitmap* pBound = mBound;
  EndNanoVGFrame();
  const int image =
    nvgCreateImageRGBA(mVG, w, h, NVG_IMAGE_PREMULTIPLIED | NVG_IMAGE_FLIPY, mask.data());
  BindTarget(pBitmap);
  if (!shadow.mDrawForeground)
  {
    glClearColor(0.f, 0.f, 0.f, 0.f);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  BeginNanoVGFrame();
  // Beneath what the layer holds, moved by the offset (points, at the layer's scale).
  const float s = pBitmap->GetScale() * pBitmap->GetDrawScale();
  const float dx = shadow.mXOffset * s, dy = shadow.mYOffset * s;
  nvgGlobalCompositeOperation(mVG, NVG_DESTINATION_OVER);
  const NVGpaint paint = nvgImagePattern(mVG, dx, dy, float(w), float(h), 0.f, image, 1.f);
  nvgBeginPath(mVG);
  nvgRect(mVG, 0.f, 0.f, float(w), float(h));
  nvgFillPaint(mVG, paint);
  nvgFill(mVG);
  EndNanoVGFrame();
  nvgDeleteImage(mVG, image);
  if (pBitmap->mCacheable)
    ReadBack(pBitmap);
  BindTarget(pBound);
  if (drawing)
    BeginNanoVGFrame();
}

} // namespace plugin::igraphics
