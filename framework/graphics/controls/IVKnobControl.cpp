#include "framework/graphics/controls/IVKnobControl.h"

#include "framework/graphics/IGraphics.h"
#include "framework/plugin/IPluginParameter.h"

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
  : IKnobControlBase(bounds, paramIdx, direction, gearing),
    IVectorBase(style, false, valueInWidget), mStartAngle(startAngle), mEndAngle(endAngle),
    mAnchorAngle(anchorAngle)
{
  Setup(label, style, valueIsEditable, trackSize);
}

IVKnobControl::IVKnobControl(const IRECT& bounds, IActionFunction actionFunc, const char* label,
                             const IVStyle& style, bool valueIsEditable, bool valueInWidget,
                             float startAngle, float endAngle, float anchorAngle,
                             EDirection direction, double gearing, float trackSize)
  : IKnobControlBase(bounds, std::move(actionFunc), direction, gearing),
    IVectorBase(style, false, valueInWidget), mStartAngle(startAngle), mEndAngle(endAngle),
    mAnchorAngle(anchorAngle)
{
  Setup(label, style, valueIsEditable, trackSize);
}

void IVKnobControl::Setup(const char* label, const IVStyle& style, bool valueIsEditable,
                          float trackSize)
{
  mPromptDisabled = !valueIsEditable;
  mText = style.valueText; // a typed value is shown in the value text's font
  mHideCursorOnDrag = style.hideCursor;
  mShape = EVShape::kEllipse;
  mTrackSize = trackSize;
  AttachIControl(this, label);
}

bool IVKnobControl::ValueIsTypeable() const
{
  return !mPromptDisabled && GetParam(0) != nullptr;
}

void IVKnobControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  // Only a press that can really open a prompt is kept from dragging: with typing disabled (or
  // no parameter to type for), a value text drawn over the widget must not leave a dead spot.
  if (mStyle.showValue && mValueBounds.Contains(x, y) && ValueIsTypeable())
    PromptUserInput(mValueBounds, 0);
  else
    IKnobControlBase::OnMouseDown(x, y, mod);
  SetDirty(false);
}

void IVKnobControl::OnMouseUp(float x, float y, const IMouseMod& mod)
{
  IKnobControlBase::OnMouseUp(x, y, mod);
  SetDirty(true);
}

void IVKnobControl::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  if (mStyle.showValue && ValueIsTypeable())
    mValueMouseOver = mValueBounds.Contains(x, y);
  IControl::OnMouseOver(x, y, mod);
  SetDirty(false);
}

void IVKnobControl::OnMouseOut()
{
  mValueMouseOver = false;
  IControl::OnMouseOut();
}

void IVKnobControl::OnResize()
{
  SetTargetRECT(MakeRects(mRECT));
  SetDirty(false);
}

void IVKnobControl::OnInit()
{
  if (const IParam* pParam = GetParam(0))
  {
    RefreshValueStr();
    if (mLabelStr.GetLength() == 0)
      SetLabelStr(pParam->GetName());
  }
}

void IVKnobControl::RefreshValueStr()
{
  if (const IParam* pParam = GetParam(0))
    pParam->GetDisplayWithLabel(mValueStr);
}

void IVKnobControl::Draw(IGraphics& g)
{
  DrawBackground(g, mRECT);
  DrawLabel(g);
  DrawWidget(g);
  DrawValue(g, mValueMouseOver);
}

bool IVKnobControl::IsHit(float x, float y) const
{
  if (ValueIsTypeable() && mValueBounds.Contains(x, y))
    return true;
  return mWidgetBounds.Contains(x, y);
}

void IVKnobControl::SetDirty(bool triggerAction, int /*valIdx*/)
{
  IControl::SetDirty(triggerAction);
  RefreshValueStr();
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
