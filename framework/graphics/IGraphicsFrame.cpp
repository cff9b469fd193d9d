// IGraphics: the frame loop. Each tick collects the padded bounds of the dirty controls, and a
// frame redraws only the controls touching that region, each clipped to the region and to its
// ancestors.

#include "framework/graphics/IGraphics.h"

#include "framework/graphics/controls/IFPSDisplayControl.h"

#include <algorithm>

namespace plugin::igraphics
{

namespace
{

// Controls are redrawn 0.75 point beyond their bounds, so anti-aliased edges are repainted.
constexpr float kDirtyPadding = 0.75f;

// Moves c into p, keeping c's size where it fits (shifted, not cut).
void ClankInto(IRECT& c, const IRECT& p)
{
  if (c.L < p.L)
  {
    c.R = std::min(p.R - 1.f, c.R + p.L - c.L);
    c.L = p.L;
  }
  if (c.T < p.T)
  {
    c.B = std::min(p.B - 1.f, c.B + p.T - c.T);
    c.T = p.T;
  }
  if (c.R >= p.R)
  {
    c.L = std::max(p.L, c.L - (c.R - p.R + 1.f));
    c.R = p.R - 1.f;
  }
  if (c.B >= p.B)
  {
    c.T = std::max(p.T, c.T - (c.B - p.B + 1.f));
    c.B = p.B - 1.f;
  }
}

} // namespace

bool IGraphics::NeedsRedraw()
{
  bool dirty = mDisplayTickFunc != nullptr;
  ForAllControlsFunc([&dirty](IControl& control) { dirty = dirty || control.IsDirty(); });
  return dirty;
}

bool IGraphics::IsDirty(IRECTList& rects)
{
  if (mDisplayTickFunc)
    mDisplayTickFunc();

  ForAllControlsFunc([](IControl& control) { control.Animate(); });

  bool dirty = false;
  ForAllControlsFunc(
    [&](IControl& control)
    {
      if (!control.IsDirty())
        return;
      IRECT r = control.GetDirtyRECT().GetPadded(kDirtyPadding);
      if (IControl* pParent = control.GetParent())
        ClankInto(r, pParent->GetRECT().GetPadded(kDirtyPadding));
      rects.Add(r);
      dirty = true;
    });
  return dirty;
}

void IGraphics::Draw(IRECTList& rects)
{
  if (rects.Size() == 0)
    return;

  const float scale = GetBackingPixelScale();
  BeginFrame();
  if (mStrict)
  {
    Draw(rects.Bounds().GetPixelAligned(scale), scale);
  }
  else
  {
    rects.PixelAlign(scale);
    rects.Optimize();
    for (int i = 0; i < rects.Size(); ++i)
      Draw(rects.Get(i), scale);
  }
  EndFrame();
}

void IGraphics::Draw(const IRECT& bounds, float scale)
{
  BeginRegion(bounds);
  // The last control that paints all of the region opaquely hides the controls before it: they
  // are not drawn (with llvmpipe every pixel shaded costs, and a row of text drawn over a panel
  // would pay for the panel too).
  const IControl* pFirst = nullptr;
  for (size_t i = mControls.size(); i-- > 0 && !pFirst;)
  {
    const IControl* pControl = mControls[i].get();
    if (!IsRemovalPending(pControl) && CoversRegion(*pControl, bounds, scale))
      pFirst = pControl;
  }
  bool drawing = pFirst == nullptr;
  ForAllControlsFunc(
    [&](IControl& control)
    {
      drawing = drawing || &control == pFirst;
      if (drawing)
        DrawControl(&control, bounds, scale);
    });
}

bool IGraphics::CoversRegion(const IControl& control, const IRECT& bounds, float scale) const
{
  if (control.IsHidden() || !control.IsOpaqueOver(bounds))
    return false;
  // Nothing of the region may be clipped away by a parent.
  for (IControl* pParent = control.GetParent(); pParent; pParent = pParent->GetParent())
    if (!pParent->GetRECT().GetPadded(kDirtyPadding).GetPixelAligned(scale).Contains(bounds))
      return false;
  return true;
}

void IGraphics::DrawControl(IControl* pControl, const IRECT& bounds, float scale)
{
  if (!pControl)
    return;
  // A hidden control is skipped, unless it is the background.
  if (pControl->IsHidden() && GetControl(0) != pControl)
    return;

  IRECT clip =
    bounds.Intersect(pControl->GetRECT().GetPadded(kDirtyPadding).GetPixelAligned(scale));
  if (clip.W() <= 0.f || clip.H() <= 0.f)
    return;

  for (IControl* pParent = pControl->GetParent(); pParent; pParent = pParent->GetParent())
  {
    const IRECT p = pParent->GetRECT().GetPadded(kDirtyPadding).GetPixelAligned(scale);
    if (!clip.Intersects(p))
      return;
    ClankInto(clip, p);
  }

  PrepareRegion(clip);
  pControl->Draw(*this);
  CompleteRegion(clip);
}

void IGraphics::PrepareRegion(const IRECT& r)
{
  mTransformStates.clear();
  SetTransform(IMatrix());
  PathClear();
  SetClipRegion(r);
  mClipRECT = r;
  mCurrentClip = r;
}

void IGraphics::BeginFrame()
{
  if (!mPerfDisplay)
    return;
  // Seconds since the first frame measured by any editor; only differences are used.
  static const double sStartMs = SteadyClockMs();
  const double timestamp = (SteadyClockMs() - sStartMs) / 1000.0;
  mPerfDisplay->Update(static_cast<float>(timestamp - mPrevTimestamp));
  mPrevTimestamp = timestamp;
}

void IGraphics::OnGUIIdle()
{
  ForAllControlsFunc([](IControl& control) { control.OnGUIIdle(); });
}

} // namespace plugin::igraphics
