#include "framework/graphics/controls/IVSliderControl.h"

#include "framework/core/IPluginParameter.h"
#include "framework/graphics/IGraphics.h"

#include <algorithm>

namespace plugin::igraphics
{

namespace
{

// Lengthened by e at both ends along the direction.
IRECT Lengthened(const IRECT& r, EDirection direction, float e)
{
  return direction == EDirection::kHorizontal ? r.GetPadded(-e, 0.f, e, 0.f)
                                              : r.GetPadded(0.f, -e, 0.f, e);
}

EDirection Across(EDirection direction)
{
  return direction == EDirection::kHorizontal ? EDirection::kVertical : EDirection::kHorizontal;
}

// A bar 2 x halfThickness thick centred across r, as long as r along the direction.
IRECT CentredBar(const IRECT& r, EDirection direction, float halfThickness)
{
  return direction == EDirection::kHorizontal
           ? IRECT(r.L, r.MH() - halfThickness, r.R, r.MH() + halfThickness)
           : IRECT(r.MW() - halfThickness, r.T, r.MW() + halfThickness, r.B);
}

// The part of r between the fractions lo and hi of its length, from the left (horizontal) or
// from the bottom (vertical).
IRECT Span(const IRECT& r, EDirection direction, float lo, float hi)
{
  return direction == EDirection::kHorizontal ? IRECT(r.L + r.W() * lo, r.T, r.L + r.W() * hi, r.B)
                                              : IRECT(r.L, r.B - r.H() * hi, r.R, r.B - r.H() * lo);
}

// Edges inclusive: a value exactly on the border between two step cells is found.
bool ContainsInclusive(const IRECT& r, float x, float y)
{
  return x >= r.L && x <= r.R && y >= r.T && y <= r.B;
}

} // namespace

// ---- IVSliderControl

IVSliderControl::IVSliderControl(const IRECT& bounds, int paramIdx, const char* label,
                                 const IVStyle& style, bool valueIsEditable, EDirection direction,
                                 double gearing, float handleSize, float trackSize,
                                 bool handleInTrack, float handleOffsetX, float handleOffsetY)
  : IVValueControl(style, false, bounds, paramIdx, direction, gearing, handleSize),
    mHandleInTrack(handleInTrack), mHandleOffsetX(handleOffsetX), mHandleOffsetY(handleOffsetY)
{
  Setup(label, style, valueIsEditable, trackSize);
}

IVSliderControl::IVSliderControl(const IRECT& bounds, IActionFunction actionFunc, const char* label,
                                 const IVStyle& style, bool valueIsEditable, EDirection direction,
                                 double gearing, float handleSize, float trackSize,
                                 bool handleInTrack, float handleOffsetX, float handleOffsetY)
  : IVValueControl(style, false, bounds, std::move(actionFunc), direction, gearing, handleSize),
    mHandleInTrack(handleInTrack), mHandleOffsetX(handleOffsetX), mHandleOffsetY(handleOffsetY)
{
  Setup(label, style, valueIsEditable, trackSize);
}

IRECT IVSliderControl::GetFilledArea() const
{
  return Span(mTrack, mDirection, 0.f, static_cast<float>(GetValue(0)));
}

IRECT IVSliderControl::GetHandleBounds() const
{
  const IRECT filled = GetFilledArea();
  const float d =
    mStyle.drawShadows && mShape != EVShape::kEllipse ? mStyle.shadowOffset / 2.f : 0.f;
  const float cx = mDirection == EDirection::kHorizontal ? filled.R : filled.MW() + d;
  const float cy = mDirection == EDirection::kHorizontal ? filled.MH() + d : filled.T;
  const float s = mHandleSize;
  return IRECT(cx - s, cy - s, cx + s, cy + s).GetTranslated(mHandleOffsetX, mHandleOffsetY);
}

void IVSliderControl::DrawWidget(IGraphics& g)
{
  if (mTrackSize > 0.f)
    DrawTrack(g, GetFilledArea());
  if (mHandleSize > 0.f)
    DrawHandle(g, GetHandleBounds());
}

void IVSliderControl::DrawTrack(IGraphics& g, const IRECT& filledArea)
{
  const float e = mHandleInTrack ? mHandleSize : 0.f;
  const float r = std::min(mTrack.W(), mTrack.H()) * 0.5f * mStyle.roundness;
  const IRECT track = Lengthened(mTrack, mDirection, e);
  g.FillRoundRect(GetColor(kSH), track, r, &mBlend);
  g.FillRoundRect(GetColor(kX1), Lengthened(filledArea, mDirection, e), r, &mBlend);
  if (mStyle.drawFrame)
    g.DrawRoundRect(GetColor(kFR), track, r, &mBlend, mStyle.frameThickness);
}

void IVSliderControl::DrawHandle(IGraphics& g, const IRECT& bounds)
{
  DrawPressableShape(g, mShape, bounds, mMouseDown, mMouseIsOver, IsDisabled());
}

void IVSliderControl::OnResize()
{
  SetTargetRECT(MakeRects(mRECT));
  mTrack = CentredBar(mWidgetBounds.GetPadded(-mHandleSize), mDirection, mTrackSize);
  SetDirty(false);
}

// ---- IVTrackControlBase

IVTrackControlBase::IVTrackControlBase(const IRECT& bounds, const char* label, const IVStyle& style,
                                       std::initializer_list<int> params, int nSteps,
                                       EDirection direction,
                                       std::initializer_list<const char*> trackNames)
  : IControl(bounds, params), IVectorBase(style), mDirection(direction), mTrackRects(params.size()),
    mNSteps(nSteps)
{
  mText = style.valueText; // the track names' style
  for (const char* name : trackNames)
    mTrackNames.emplace_back(name ? name : "");
  AttachIControl(this, label);
}

void IVTrackControlBase::SetSelectedTrack(int trackIdx)
{
  mSelectedTrack = trackIdx;
  SetDirty(false);
}

void IVTrackControlBase::SetBaseLevel(double level)
{
  mBaseLevel = level;
  SetDirty(false);
}

void IVTrackControlBase::SetTrackGap(float gap)
{
  mTrackGap = gap;
  OnResize();
}

void IVTrackControlBase::SetPeakLength(float length)
{
  mPeakLength = length;
  SetDirty(false);
}

void IVTrackControlBase::SetFrameTracks(bool frame)
{
  mFrameTracks = frame;
  SetDirty(false);
}

void IVTrackControlBase::SetZeroStepCell(bool zeroCell)
{
  mZeroStepCell = zeroCell;
  OnResize();
}

int IVTrackControlBase::GetValIdxForPos(float x, float y) const
{
  for (int i = 0; i < static_cast<int>(mTrackRects.size()); ++i)
    if (mTrackRects[i].Contains(x, y))
      return i;
  return kNoValIdx;
}

void IVTrackControlBase::OnMouseOver(float x, float y, const IMouseMod& /*mod*/)
{
  const int hovered = GetValIdxForPos(x, y);
  if (hovered != mHoveredTrack)
    SetDirty(false);
  mHoveredTrack = hovered;
}

void IVTrackControlBase::OnMouseOut()
{
  mHoveredTrack = -1;
  SetDirty(false);
}

void IVTrackControlBase::OnResize()
{
  SetTargetRECT(MakeRects(mRECT));
  MakeTrackRects(mWidgetBounds);
  MakeStepRects(mWidgetBounds, mNSteps);
  SetDirty(false);
}

void IVTrackControlBase::MakeTrackRects(const IRECT& bounds)
{
  const int n = NVals();
  if (n == 0)
    return;
  mTrackRects.resize(n);
  const float gap = mTrackGap;
  // Horizontal tracks are stacked top to bottom, vertical ones stand side by side.
  const bool horizontal = mDirection == EDirection::kHorizontal;
  for (int i = 0; i < n; ++i)
  {
    const IRECT part = bounds.GetEqualPart(Across(mDirection), i, n);
    mTrackRects[i] =
      horizontal ? part.GetPadded(0.f, gap, 0.f, -gap) : part.GetPadded(0.f, 0.f, -gap, -gap);
  }
}

void IVTrackControlBase::MakeStepRects(const IRECT& bounds, int steps)
{
  mStepRects.clear();
  if (steps <= 0)
    return;
  const int count = mZeroStepCell ? steps + 1 : steps;
  for (int cell = count - 1; cell >= 0; --cell)
    mStepRects.push_back(bounds.GetEqualPart(mDirection, cell, count));
}

void IVTrackControlBase::DrawWidget(IGraphics& g)
{
  for (int i = 0; i < NVals(); ++i)
    DrawTrack(g, mTrackRects[i], i);
}

void IVTrackControlBase::DrawBackground(IGraphics& g, const IRECT& bounds)
{
  g.FillRect(GetColor(kBG), bounds, &mBlend);
  // The base level's line stands across the tracks.
  if (mBaseLevel > 0.0)
    g.DrawLineAcross(GetColor(kSH), bounds, Across(mDirection), static_cast<float>(mBaseLevel),
                     nullptr, 1.f);
}

IRECT IVTrackControlBase::GetFilledArea(const IRECT& r, int trackIdx, bool& visible) const
{
  const float v = static_cast<float>(GetValue(trackIdx));
  const float b = static_cast<float>(mBaseLevel);
  const bool horizontal = mDirection == EDirection::kHorizontal;
  const float lo = b > 0.f ? std::min(b, v) : 0.f;
  const float hi = b > 0.f ? std::max(b, v) : v;
  IRECT part = Span(r, mDirection, lo, hi);
  visible = true;
  if (mStepRects.empty())
    return part;

  if (b <= 0.f && mZeroStepCell && v == 0.f && !horizontal)
    part.T = mStepRects.front().T;
  // Only the cell holding the value (its top-right corner) is filled.
  for (const IRECT& cell : mStepRects)
  {
    if (ContainsInclusive(cell, part.R, part.T))
    {
      if (horizontal)
      {
        part.L = cell.L;
        part.R = cell.R;
      }
      else
      {
        part.T = cell.T;
        part.B = cell.B;
      }
      break;
    }
  }
  visible = mZeroStepCell || v > 0.f;
  return part;
}

void IVTrackControlBase::DrawTrack(IGraphics& g, const IRECT& r, int trackIdx)
{
  DrawTrackBackground(g, r, trackIdx);
  if (!mTrackNames.empty())
    DrawTrackName(g, r, trackIdx);

  const double v = GetValue(trackIdx);
  const bool above = mBaseLevel < v;
  bool visible = true;
  const IRECT part = GetFilledArea(r, trackIdx, visible);
  if (visible)
    DrawTrackHandle(g, part, trackIdx, above);
  if (mStepRects.empty())
  {
    // The peak: a strip at the value's end of the filled part, reaching into it.
    const bool atHigh = v >= mBaseLevel;
    const float p = mPeakLength;
    IRECT peak;
    if (mDirection == EDirection::kHorizontal)
      peak = atHigh ? IRECT(part.R - p, part.T, part.R, part.B)
                    : IRECT(part.L, part.T, part.L + p, part.B);
    else
      peak = atHigh ? IRECT(part.L, part.T, part.R, part.T + p)
                    : IRECT(part.L, part.B - p, part.R, part.B);
    DrawPeak(g, peak, trackIdx, above);
  }
  if (mStyle.drawFrame && mFrameTracks)
    g.DrawRect(GetColor(kFR), r, &mBlend, mStyle.frameThickness);
}

void IVTrackControlBase::DrawTrackBackground(IGraphics& g, const IRECT& r, int trackIdx)
{
  g.FillRect(trackIdx == mSelectedTrack ? GetColor(kHL) : COLOR_TRANSPARENT, r);
}

void IVTrackControlBase::DrawTrackName(IGraphics& g, const IRECT& r, int trackIdx)
{
  if (trackIdx >= 0 && trackIdx < static_cast<int>(mTrackNames.size()))
    g.DrawText(mText, mTrackNames[trackIdx].c_str(), r);
}

void IVTrackControlBase::DrawTrackHandle(IGraphics& g, const IRECT& r, int trackIdx,
                                         bool /*aboveBase*/)
{
  g.FillRect(trackIdx == mSelectedTrack ? GetColor(kX1) : GetColor(kFG), r, &mBlend);
  if (trackIdx == mHoveredTrack)
    g.FillRect(GetColor(kHL), r, &mBlend);
}

void IVTrackControlBase::DrawPeak(IGraphics& g, const IRECT& r, int /*trackIdx*/,
                                  bool /*aboveBase*/)
{
  g.FillRect(GetColor(kFR), r, &mBlend);
}

// ---- IVRangeSliderControl

IVRangeSliderControl::IVRangeSliderControl(const IRECT& bounds, std::initializer_list<int> params,
                                           const char* label, const IVStyle& style,
                                           EDirection direction, bool /*onlyHandle*/,
                                           float handleSize, float trackSize)
  : IVTrackControlBase(bounds, label, style, params, 0, direction), mHandleSize(handleSize)
{
  mTrackSize = trackSize;
}

void IVRangeSliderControl::MakeTrackRects(const IRECT& bounds)
{
  const IRECT track = CentredBar(bounds.GetPadded(-mHandleSize), mDirection, mTrackSize);
  for (IRECT& r : mTrackRects)
    r = track;
}

IRECT IVRangeSliderControl::GetHandleBounds(int i) const
{
  if (i < 0 || i >= static_cast<int>(mTrackRects.size()))
    return IRECT();
  const IRECT& track = mTrackRects[i];
  const float v = static_cast<float>(GetValue(i));
  const float d =
    mStyle.drawShadows && mShape != EVShape::kEllipse ? mStyle.shadowOffset / 2.f : 0.f;
  const float s = mHandleSize;
  const float t = mTrackSize;
  const bool even = i % 2 == 0;
  if (mDirection == EDirection::kHorizontal)
  {
    const float x = track.L + track.W() * v;
    const float cy = track.MH() + d;
    return even ? IRECT(x - s, cy + t, x + s, cy + t + 2.f * s)
                : IRECT(x - s, cy - 2.f * s, x + s, cy);
  }
  const float y = track.B - track.H() * v;
  const float cx = track.MW() + d;
  return even ? IRECT(cx - 2.f * s, y - s, cx, y + s)
              : IRECT(cx + t, y - s, cx + t + 2.f * s, y + s);
}

void IVRangeSliderControl::Draw(IGraphics& g)
{
  DrawBackground(g, mRECT);
  DrawLabel(g);
  DrawWidget(g);
}

void IVRangeSliderControl::DrawWidget(IGraphics& g)
{
  if (mTrackRects.empty())
    return;
  const IRECT& track = mTrackRects.front();
  DrawTrackBackground(g, track, 0);
  // The spans between neighbouring handles.
  for (int i = 0; i + 1 < NVals(); ++i)
  {
    const float a = static_cast<float>(GetValue(i));
    const float b = static_cast<float>(GetValue(i + 1));
    g.FillRect(GetColor(kX1), Span(track, mDirection, std::min(a, b), std::max(a, b)), &mBlend);
  }
  if (mStyle.drawFrame && mFrameTracks)
    g.DrawRect(GetColor(kFR), track, &mBlend, mStyle.frameThickness);
  for (int i = 0; i < NVals(); ++i)
    DrawTrack(g, mTrackRects[i], i);
}

void IVRangeSliderControl::DrawTrack(IGraphics& g, const IRECT& /*bounds*/, int i)
{
  const bool even = i % 2 == 0;
  const float angle =
    mDirection == EDirection::kHorizontal ? (even ? 0.f : 180.f) : (even ? 90.f : 270.f);
  const bool hovered = i == mHoveredHandle;
  DrawPressableTriangle(g, GetHandleBounds(i), hovered && mDragging, hovered, angle, IsDisabled());
}

int IVRangeSliderControl::HandleAt(float x, float y) const
{
  for (int i = 0; i < NVals(); ++i)
    if (GetHandleBounds(i).Contains(x, y))
      return i;
  return -1;
}

void IVRangeSliderControl::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  const int hovered = HandleAt(x, y);
  if (hovered != mHoveredHandle)
    SetDirty(false);
  mHoveredHandle = hovered;
  IVTrackControlBase::OnMouseOver(x, y, mod);
}

void IVRangeSliderControl::OnMouseOut()
{
  mHoveredHandle = -1;
  IVTrackControlBase::OnMouseOut();
}

void IVRangeSliderControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  // A press without a move before it (a touch, a click right after the window opened) picks
  // the handle under it as the hover would have.
  if (const int handle = HandleAt(x, y); handle >= 0)
    mHoveredHandle = handle;
  mDragging = true;
  OnMouseDrag(x, y, 0.f, 0.f, mod);
}

void IVRangeSliderControl::OnMouseUp(float /*x*/, float /*y*/, const IMouseMod& /*mod*/)
{
  mDragging = false;
  SetDirty(false);
}

void IVRangeSliderControl::OnMouseCaptureLost()
{
  mDragging = false;
  SetDirty(false);
}

void IVRangeSliderControl::OnMouseDrag(float x, float y, float /*dX*/, float /*dY*/,
                                       const IMouseMod& /*mod*/)
{
  const int h = mHoveredHandle;
  if (h < 0 || h >= NVals())
    return;
  const double lo = h > 0 ? GetValue(h - 1) : 0.0;
  const double hi = h + 1 < NVals() ? GetValue(h + 1) : 1.0;
  SnapToMouse(x, y, mDirection, mWidgetBounds, h, lo, hi);
}

} // namespace plugin::igraphics
