#include "framework/graphics/controls/IVKnobControl.h"

#include "framework/core/IPluginParameter.h"
#include "framework/graphics/IGraphics.h"

#include <algorithm>

namespace plugin::igraphics
{

// ---- IVLabelControl

IVLabelControl::IVLabelControl(const IRECT& bounds, const char* str, const IVStyle& style)
  : ITextControl(bounds, str, DEFAULT_TEXT, DEFAULT_BGCOLOR, false), IVectorBase(style)
{
  mText = style.valueText;
  AttachIControl(this, str);
}

void IVLabelControl::Draw(IGraphics& g)
{
  DrawBackground(g, mRECT);
  if (mStr.GetLength() > 0)
  {
    // A disabled label loses its shadow: the text alone, faded by the blend.
    if (mStyle.drawShadows && !IsDisabled())
    {
      IText shadow = mStyle.valueText;
      shadow.mFGColor = GetColor(kSH);
      const float s = mStyle.shadowOffset;
      g.DrawText(shadow, mStr.Get(), mRECT.GetTranslated(s, s), &mBlend);
    }
    g.DrawText(mStyle.valueText, mStr.Get(), mRECT, &mBlend);
  }
  if (mStyle.drawFrame)
    g.DrawRect(GetColor(kFR), mRECT, &mBlend, mStyle.frameThickness);
}

// ---- IVKnobControl

IVKnobControl::IVKnobControl(const IRECT& bounds, int paramIdx, const char* label,
                             const IVStyle& style, bool valueIsEditable, bool valueInWidget,
                             float startAngle, float endAngle, float anchorAngle,
                             EDirection direction, double gearing, float trackSize)
  : IVValueControl(style, valueInWidget, bounds, paramIdx, direction, gearing),
    mStartAngle(startAngle), mEndAngle(endAngle), mAnchorAngle(anchorAngle)
{
  Setup(label, style, valueIsEditable, trackSize);
}

IVKnobControl::IVKnobControl(const IRECT& bounds, IActionFunction actionFunc, const char* label,
                             const IVStyle& style, bool valueIsEditable, bool valueInWidget,
                             float startAngle, float endAngle, float anchorAngle,
                             EDirection direction, double gearing, float trackSize)
  : IVValueControl(style, valueInWidget, bounds, std::move(actionFunc), direction, gearing),
    mStartAngle(startAngle), mEndAngle(endAngle), mAnchorAngle(anchorAngle)
{
  Setup(label, style, valueIsEditable, trackSize);
}

void IVKnobControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  IVValueControl::OnMouseDown(x, y, mod);
  SetDirty(false);
}

void IVKnobControl::OnResize()
{
  SetTargetRECT(MakeRects(mRECT));
  SetDirty(false);
}

IRECT IVKnobControl::GetKnobDragBounds()
{
  const IRECT& w = mWidgetBounds;
  if (w.W() > w.H())
    return w.GetCentredInside(std::max(1.f, w.H() / 2.f), w.H());
  const float width = std::max(1.f, w.W());
  const float height = w.W() / 2.f > 0.f ? w.W() / 2.f : width;
  return w.GetCentredInside(width, height);
}

float IVKnobControl::GetRadius() const
{
  return std::min(mWidgetBounds.W(), mWidgetBounds.H()) / 2.f - mTrackSize / 2.f;
}

IRECT IVKnobControl::GetTrackBounds() const
{
  const float side = std::max(1.f, 2.f * (GetRadius() + mTrackSize));
  return mWidgetBounds.GetCentredInside(side, side);
}

void IVKnobControl::DrawWidget(IGraphics& g)
{
  const float radius = GetRadius();
  const float cx = mWidgetBounds.MW();
  const float cy = mWidgetBounds.MH();
  const float side = std::max(1.f, 2.f * (radius - mTrackToHandleDistance));
  const IRECT handle = mWidgetBounds.GetCentredInside(side, side);
  const float angle = mStartAngle + (mEndAngle - mStartAngle) * static_cast<float>(GetValue(0));

  DrawIndicatorTrack(g, angle, cx, cy, radius);
  DrawPressableShape(g, EVShape::kEllipse, handle, mMouseDown, mMouseIsOver, mDisabled);
  DrawPointer(g, angle, cx, cy, handle.W() / 2.f);
}

void IVKnobControl::DrawIndicatorTrack(IGraphics& g, float angle, float cx, float cy, float radius)
{
  if (mTrackSize > 0.f)
    g.DrawArc(GetColor(kX1), cx, cy, radius, std::min(angle, mAnchorAngle),
              std::max(angle, mAnchorAngle), &mBlend, mTrackSize);
}

void IVKnobControl::DrawPointer(IGraphics& g, float angle, float cx, float cy, float radius)
{
  g.DrawRadialLine(GetColor(kFR), cx, cy, angle, mInnerPointerFrac * radius,
                   mOuterPointerFrac * radius, &mBlend, mPointerThickness);
}

} // namespace plugin::igraphics
