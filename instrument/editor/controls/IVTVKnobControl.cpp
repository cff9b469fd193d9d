#include "instrument/editor/controls/IVTVKnobControl.h"

#include "framework/core/IPluginParameter.h"
#include "framework/graphics/IGraphics.h"

#include <algorithm>
#include <cmath>

namespace plugin::igraphics
{

namespace
{

// Fractions of the knob radius.
constexpr float kTrackRadius = 0.72f;  // value track, plus the arc thickness
constexpr float kTickInner = 0.93f;    // end and step ticks, out to the radius
constexpr float kTopTickInner = 0.95f; // the top tick of a continuous knob
constexpr float kDiscRadius = 0.7f;    // dark disc behind the body
constexpr float kOuterRing = 0.65f;    // outer gradient ring
constexpr float kInnerRing = 0.52f;    // inner gradient ring
constexpr float kCapRadius = 0.48f;    // centre cap
constexpr float kPointerInner = 0.15f; // pointer line, from ...
constexpr float kPointerOuter = 0.49f; // ... to
constexpr float kModArcScale = 0.76f;  // modulation arc: (radius + 3) x this, plus thickness
constexpr float kModArcExtra = 3.f;    // points added to the radius before scaling
constexpr float kEndTickLow = 225.f;   // the tick at the start of travel (-135 degrees)
constexpr float kEndTickHigh = 135.f;  // the tick at the end of travel
constexpr float kTravel = 270.f;       // degrees between the end ticks
constexpr float kPointerThickness = 2.f;
constexpr IBlend kHalf(EBlend::kDefault, 0.5f);

} // namespace

IVTVKnobControl::IVTVKnobControl(const IRECT& bounds, float knobRadius, float labelHeight,
                                 float valueHeight, float labelGap, int paramIdx, const char* label,
                                 const IVStyle& style, std::function<void(int)> mouseOverFunc,
                                 EKnobStyle knobStyle, bool valueIsEditable, bool valueInWidget,
                                 bool labelOnTop, float startAngle, float endAngle,
                                 float anchorAngle, EDirection direction, int flags, double gearing,
                                 float arcThickness, bool promptDisabled)
  : IVKnobControl(bounds, paramIdx, label, style, valueIsEditable, valueInWidget, startAngle,
                  endAngle, anchorAngle, direction, gearing, 2.f),
    mKnobRadius(knobRadius), mLabelHeight(labelHeight), mValueHeight(valueHeight),
    mLabelGap(labelGap), mArcThickness(arcThickness), mKnobStyle(knobStyle),
    mMouseOverFunc(std::move(mouseOverFunc)), mKnobFlags(flags), mLabelOnTop(labelOnTop)
{
  mPromptDisabled = promptDisabled;
}

void IVTVKnobControl::OnResize()
{
  const IRECT& b = mRECT;
  const float cx = b.MW();
  const float r = mKnobRadius;
  mWidgetBounds = IRECT(cx - r, b.T, cx + r, b.T + 2.f * r);
  if (mStyle.showValue)
    mValueBounds = IRECT(b.L, b.B - mValueHeight, b.R, b.B);
  if (mStyle.showLabel)
  {
    if (mLabelOnTop)
    {
      mLabelBounds = IRECT(b.L, b.T, b.R, b.T + mLabelHeight);
      mWidgetBounds = IRECT(cx - r, mLabelBounds.B, cx + r, mLabelBounds.B + 2.f * r);
    }
    else
    {
      const float bottom = mStyle.showValue ? mValueBounds.T - mLabelGap : b.B;
      mLabelBounds = IRECT(b.L, bottom - mLabelHeight, b.R, bottom);
    }
  }

  const IRECT& w = mWidgetBounds;
  mBodyPatternOuter = IPattern::CreateLinearGradient(cx, w.T, cx, w.B);
  mBodyPatternOuter.AddStop(GetColor(kX2), 0.f);
  mBodyPatternOuter.AddStop(GetColor(kX1), 0.99f);
  mBodyPatternInner = IPattern::CreateLinearGradient(cx, w.T, cx, w.B);
  mBodyPatternInner.AddStop(GetColor(kX3), 0.f);
  mBodyPatternInner.AddStop(GetColor(kX1), 0.99f);
}

void IVTVKnobControl::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  IVKnobControl::OnMouseOver(x, y, mod);
  if (mMouseOverFunc)
    mMouseOverFunc(GetParamIdx(0));
}

bool IVTVKnobControl::IsHit(float x, float y) const
{
  return GetParam(0) && IVKnobControl::IsHit(x, y);
}

void IVTVKnobControl::Draw(IGraphics& g)
{
  DrawWidget(g);
  DrawLabel(g);
  DrawValue(g, mValueMouseOver);
  if (mShowModulation)
    DrawMod(g);
}

double IVTVKnobControl::DisplayedValue() const
{
  const double v = GetValue(0);
  const IParam* pParam = GetParam(0);
  if (!(mKnobFlags & kKnobFlagStepped) || !pParam)
    return v;
  const double range = pParam->GetMax() - pParam->GetMin();
  if (range <= 0.0)
    return v;
  // Halves away from zero (the constant keeps a value just below a half from rounding up).
  const double scaled = v * range;
  const double n = std::trunc(scaled + std::copysign(0.49999997, scaled));
  return n / range;
}

float IVTVKnobControl::GetPointerAngle() const
{
  return mStartAngle + (mEndAngle - mStartAngle) * static_cast<float>(DisplayedValue());
}

void IVTVKnobControl::DrawWidget(IGraphics& g)
{
  const float cx = mWidgetBounds.MW();
  const float cy = mWidgetBounds.MH();
  const float r = mKnobRadius;
  const float t = mArcThickness;
  const IParam* pParam = GetParam(0);
  const double v = DisplayedValue();
  const float angle = GetPointerAngle();
  const IBlend* pBlend = mDisabled ? &kHalf : &mBlend;
  const bool showsValue = pParam && !mDisabled;

  if (showsValue)
  {
    float a1 = std::min(mAnchorAngle, angle);
    float a2 = std::max(mAnchorAngle, angle);
    if (mKnobStyle != kKnobStyleFromAnchor)
    {
      a1 = v < 0.5 ? angle : 0.f;
      a2 = v < 0.5 ? 0.f : angle;
    }
    g.DrawArc(GetColor(kFG), cx, cy, kTrackRadius * r + t, a1, a2, nullptr, t);
  }

  g.DrawRadialLine(GetColor(kFR), cx, cy, kEndTickLow, kTickInner * r, r, nullptr, 1.f);
  g.DrawRadialLine(GetColor(kFR), cx, cy, kEndTickHigh, kTickInner * r, r, nullptr, 1.f);
  if ((mKnobFlags & kKnobFlagStepped) && pParam)
  {
    const double range = pParam->GetMax() - pParam->GetMin();
    for (int k = 1; k <= range - 1.0; ++k)
      g.DrawRadialLine(GetColor(kFR), cx, cy, kEndTickLow + static_cast<float>(k * kTravel / range),
                       kTickInner * r, r, nullptr, 1.f);
  }
  else
  {
    g.DrawRadialLine(GetColor(kFR), cx, cy, 0.f, kTopTickInner * r, r, nullptr, 1.f);
  }

  g.FillCircle(GetColor(kBG), cx, cy, kDiscRadius * r, pBlend);
  g.PathClear();
  g.PathCircle(cx, cy, kOuterRing * r);
  g.PathFill(mBodyPatternOuter, IFillOptions(false), pBlend);
  g.PathClear();
  g.PathCircle(cx, cy, kInnerRing * r);
  g.PathFill(mBodyPatternInner, IFillOptions(false), pBlend);
  g.FillCircle(GetColor(kHL), cx, cy, kCapRadius * r, pBlend);

  if (showsValue)
    g.DrawRadialLine(GetColor(kFR), cx, cy, angle, kPointerInner * r, kPointerOuter * r, nullptr,
                     kPointerThickness);
}

void IVTVKnobControl::DrawLabel(IGraphics& g)
{
  if (mLabelBounds.H() <= 0.f || !mStyle.showLabel)
    return;
  g.FillRect(mStyle.labelText.mTextEntryBGColor, mLabelBounds);
  g.DrawText(mStyle.labelText, mLabelStr.Get(), mLabelBounds, mDisabled ? &kHalf : &mBlend);
}

void IVTVKnobControl::DrawValue(IGraphics& g, bool /*mouseOver*/)
{
  if (!mStyle.showValue)
    return;
  g.FillRect(mStyle.valueText.mTextEntryBGColor, mValueBounds);
  if (GetParam(0))
    g.DrawText(mStyle.valueText, mValueStr.Get(), mValueBounds);
}

void IVTVKnobControl::DrawMod(IGraphics& g) const
{
  if (!GetParam(0))
    return;
  const float v = static_cast<float>(GetValue(0));
  const float lo = std::clamp(v + mModSumMin, 0.f, 1.f);
  const float hi = std::clamp(v + mModSumMax, 0.f, 1.f);
  const float start = mStartAngle + (mEndAngle - mStartAngle) * lo;
  const float end = std::max(mStartAngle + (mEndAngle - mStartAngle) * hi, mAnchorAngle);
  g.DrawArc(GetColor(kSH), mWidgetBounds.MW(), mWidgetBounds.MH(),
            (mKnobRadius + kModArcExtra) * kModArcScale + mArcThickness, start, end, nullptr,
            mArcThickness);
}

void IVTVKnobControl::SetModulation(int slot, float lower, float upper)
{
  if (slot < 0 || slot >= kNumModSlots)
    return;
  mModMin[slot] = lower;
  mModMax[slot] = upper;
  mModSumMin = 0.f;
  mModSumMax = 0.f;
  for (int i = 0; i < kNumModSlots; ++i)
  {
    mModSumMin += mModMin[i];
    mModSumMax += mModMax[i];
  }
  SetDirty(false);
}

} // namespace plugin::igraphics
