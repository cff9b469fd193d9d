#include "framework/graphics/controls/ISVGControls.h"

#include "framework/graphics/IGraphics.h"

#include <algorithm>

namespace plugin::igraphics
{

namespace
{

// Width over height; 0 for an empty image, so that no layout divides by zero.
float Aspect(const ISVG& svg)
{
  return svg.H() > 0.f ? svg.W() / svg.H() : 0.f;
}

// A rectangle at least 1 point wide, as high as asked or else square, centred in bounds.
IRECT CentredInside(const IRECT& bounds, float w, float h)
{
  w = std::max(w, 1.f);
  return bounds.GetCentredInside(w, h > 0.f ? h : w);
}

} // namespace

// ---- ISVGSwitchControl

ISVGSwitchControl::ISVGSwitchControl(const IRECT& bounds, std::initializer_list<ISVG> svgs,
                                     int paramIdx, IActionFunction actionFunc)
  : ISwitchControlBase(bounds, paramIdx, std::move(actionFunc), static_cast<int>(svgs.size())),
    mSVGs(svgs)
{
}

int ISVGSwitchControl::GetImageIdx() const
{
  if (mSVGs.empty())
    return -1;
  const int state = SwitchStateIdx(GetValue(0), mNumStates);
  // A parameter with more states than images shows the last image for the states beyond.
  return std::clamp(state, 0, static_cast<int>(mSVGs.size()) - 1);
}

void ISVGSwitchControl::Draw(IGraphics& g)
{
  const int idx = GetImageIdx();
  if (idx >= 0)
    g.DrawSVG(mSVGs[idx], mRECT, &mBlend);
}

// ---- ISVGTwoStateLook

void ISVGTwoStateLook::Draw(IGraphics& g, const IControl& control) const
{
  const bool on = control.GetValue(0) > 0.5;
  const IColor& color = mColors[(control.GetMouseIsOver() ? 2 : 0) + (on ? 1 : 0)];
  const IColor* pStroke = mReplacement == EColorReplacement::kStroke ? &color : nullptr;
  const IColor* pFill = mReplacement == EColorReplacement::kFill ? &color : nullptr;
  g.DrawSVG(on ? mOn : mOff, control.GetRECT(), &control.GetBlend(), pStroke, pFill);
}

// ---- ISVGButtonControl

ISVGButtonControl::ISVGButtonControl(const IRECT& bounds, IActionFunction actionFunc,
                                     const ISVG& offImage, const ISVG& onImage)
  : IButtonControlBase(bounds, std::move(actionFunc)), mLook{offImage, onImage}
{
}

ISVGButtonControl::ISVGButtonControl(const IRECT& bounds, IActionFunction actionFunc,
                                     const ISVG& image, const ISVGColors& colors,
                                     EColorReplacement replacement)
  : IButtonControlBase(bounds, std::move(actionFunc)), mLook{image, image, colors, replacement}
{
}

void ISVGButtonControl::Draw(IGraphics& g)
{
  mLook.Draw(g, *this);
}

// ---- ISVGToggleControl

ISVGToggleControl::ISVGToggleControl(const IRECT& bounds, IActionFunction actionFunc,
                                     const ISVG& offImage, const ISVG& onImage)
  : ISwitchControlBase(bounds, kNoParameter, std::move(actionFunc), 2), mLook{offImage, onImage}
{
}

ISVGToggleControl::ISVGToggleControl(const IRECT& bounds, int paramIdx, const ISVG& offImage,
                                     const ISVG& onImage)
  : ISwitchControlBase(bounds, paramIdx, nullptr, 2), mLook{offImage, onImage}
{
}

ISVGToggleControl::ISVGToggleControl(const IRECT& bounds, IActionFunction actionFunc,
                                     const ISVG& image, const ISVGColors& colors,
                                     EColorReplacement replacement)
  : ISwitchControlBase(bounds, kNoParameter, std::move(actionFunc), 2), mLook{image, image, colors,
                                                                              replacement}
{
}

ISVGToggleControl::ISVGToggleControl(const IRECT& bounds, int paramIdx, const ISVG& image,
                                     const ISVGColors& colors, EColorReplacement replacement)
  : ISwitchControlBase(bounds, paramIdx, nullptr, 2), mLook{image, image, colors, replacement}
{
}

void ISVGToggleControl::Draw(IGraphics& g)
{
  mLook.Draw(g, *this);
}

// ---- ISVGKnobControl

ISVGKnobControl::ISVGKnobControl(const IRECT& bounds, const ISVG& svg, int paramIdx)
  : IKnobControlBase(bounds, paramIdx, EDirection::kVertical, DEFAULT_GEARING), mSVG(svg)
{
}

void ISVGKnobControl::Draw(IGraphics& g)
{
  const double angle = mStartAngle + GetValue(0) * (mEndAngle - mStartAngle);
  g.DrawRotatedSVG(mSVG, mRECT.MW(), mRECT.MH(), mRECT.W(), mRECT.H(), static_cast<float>(angle),
                   &mBlend);
}

void ISVGKnobControl::SetSVG(const ISVG& svg)
{
  mSVG = svg;
  SetDirty(false);
}

// ---- ISVGSliderControl

ISVGSliderControl::ISVGSliderControl(const IRECT& bounds, const ISVG& handleSvg,
                                     const ISVG& trackSvg, int paramIdx, EDirection direction,
                                     double gearing)
  : ISliderControlBase(bounds, paramIdx, direction, gearing, 0.f), mHandleSVG(handleSvg),
    mTrackSVG(trackSvg)
{
}

void ISVGSliderControl::OnResize()
{
  const float trackAspect = Aspect(mTrackSVG);
  const float handleAspect = Aspect(mHandleSVG);
  const float handleToTrack = mTrackSVG.H() > 0.f ? mHandleSVG.H() / mTrackSVG.H() : 0.f;

  if (mDirection == EDirection::kVertical)
  {
    const float h = mRECT.H();
    mTrackSVGBounds = CentredInside(mRECT, h * trackAspect, h);
    const float handleH = h * handleToTrack;
    const float handleW = std::max(1.f, handleAspect * handleH);
    const float l = mRECT.MW() - handleW / 2.f;
    mHandleBoundsAtMax = IRECT(l, mTrackSVGBounds.T, l + handleW, mTrackSVGBounds.T + handleH);
    mTrack = mTrackSVGBounds.GetPadded(0.f, handleH, 0.f, 0.f);
  }
  else
  {
    const float w = mRECT.W();
    mTrackSVGBounds = CentredInside(mRECT, w, trackAspect > 0.f ? w / trackAspect : 0.f);
    const float handleH = mTrackSVGBounds.H() * handleToTrack;
    const float handleW = std::max(1.f, handleAspect * handleH);
    const float t = mTrackSVGBounds.MH() - handleH / 2.f;
    mHandleBoundsAtMax = IRECT(mTrackSVGBounds.R - handleW, t, mTrackSVGBounds.R, t + handleH);
    mTrack = mTrackSVGBounds.GetPadded(handleW, 0.f, 0.f, 0.f);
  }
  SetDirty(false);
}

IRECT ISVGSliderControl::GetHandleBounds(double value) const
{
  if (value < 0.0)
    value = GetValue(0);
  if (mDirection == EDirection::kVertical)
    return mHandleBoundsAtMax.GetTranslated(0.f, static_cast<float>((1.0 - value) * mTrack.H()));
  return mHandleBoundsAtMax.GetTranslated(static_cast<float>(-(1.0 - value) * mTrack.W()), 0.f);
}

void ISVGSliderControl::Draw(IGraphics& g)
{
  g.DrawSVG(mTrackSVG, mTrackSVGBounds, &mBlend);
  g.DrawSVG(mHandleSVG, GetHandleBounds(), &mBlend);
}

} // namespace plugin::igraphics
