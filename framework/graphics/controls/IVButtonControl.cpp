#include "framework/graphics/controls/IVButtonControl.h"

#include "framework/core/IPluginParameter.h"
#include "framework/graphics/IGraphics.h"

#include <algorithm>

namespace plugin::igraphics
{

namespace
{

constexpr double kSlideMs = 100.0;

IRECT Lerp(const IRECT& a, const IRECT& b, float p)
{
  return IRECT(a.L + (b.L - a.L) * p, a.T + (b.T - a.T) * p, a.R + (b.R - a.R) * p,
               a.B + (b.B - a.B) * p);
}

// The slide switch's click action: the handle slides for 100 ms, then settles.
void SlideClickActionFunc(IControl* pCaller)
{
  pCaller->SetAnimation(
    [](IControl* pControl)
    {
      auto* pSwitch = static_cast<IVSlideSwitchControl*>(pControl);
      const double progress = pSwitch->GetAnimationProgress();
      if (progress > 1.0)
      {
        pSwitch->OnEndAnimation();
        return;
      }
      pSwitch->Slide(progress);
    },
    kSlideMs);
}

} // namespace

// ---- IVButtonControl

IVButtonControl::IVButtonControl(const IRECT& bounds, IActionFunction actionFunc, const char* label,
                                 const IVStyle& style, bool labelInButton, bool valueInButton,
                                 EVShape shape)
  : IButtonControlBase(bounds, std::move(actionFunc)),
    IVectorBase(style, labelInButton, valueInButton)
{
  mText = style.valueText;
  mShape = shape;
  AttachIControl(this, label);
}

void IVButtonControl::Draw(IGraphics& g)
{
  DrawBackground(g, mRECT);
  DrawWidget(g);
  DrawLabel(g);
  DrawValue(g, false);
}

void IVButtonControl::DrawWidget(IGraphics& g)
{
  DrawPressableShape(g, mShape, mWidgetBounds, GetValue(0) != 0.0, mMouseIsOver, IsDisabled());
}

void IVButtonControl::OnResize()
{
  SetTargetRECT(MakeRects(mRECT, true));
  SetDirty(false);
}

bool IVButtonControl::IsHit(float x, float y) const
{
  return mWidgetBounds.Contains(x, y);
}

// ---- IVSwitchControl

IVSwitchControl::IVSwitchControl(const IRECT& bounds, int paramIdx, const char* label,
                                 const IVStyle& style, bool valueInButton)
  : IVSwitchControl(bounds, SplashClickActionFunc, label, style, 2, valueInButton)
{
  SetParamIdx(paramIdx);
}

IVSwitchControl::IVSwitchControl(const IRECT& bounds, IActionFunction actionFunc, const char* label,
                                 const IVStyle& style, int numStates, bool valueInButton)
  : ISwitchControlBase(bounds, kNoParameter, std::move(actionFunc), numStates),
    IVectorBase(style, false, valueInButton)
{
  mText = style.valueText;
  if (valueInButton)
  {
    mText.mVAlign = EVAlign::kMiddle;
    mStyle.valueText.mVAlign = EVAlign::kMiddle;
  }
  AttachIControl(this, label);
}

void IVSwitchControl::Draw(IGraphics& g)
{
  DrawBackground(g, mRECT);
  DrawLabel(g);
  DrawWidget(g);
  DrawValue(g, false);
}

void IVSwitchControl::DrawWidget(IGraphics& g)
{
  DrawPressableShape(g, mShape, mWidgetBounds, mMouseDown, mMouseIsOver, IsDisabled());
}

void IVSwitchControl::OnMouseOut()
{
  IControl::OnMouseOut();
  SetDirty(false);
}

void IVSwitchControl::OnResize()
{
  SetTargetRECT(MakeRects(mRECT, true));
  SetDirty(false);
}

void IVSwitchControl::OnInit()
{
  ISwitchControlBase::OnInit();
  if (const IParam* pParam = GetParam(0))
  {
    pParam->GetDisplayWithLabel(mValueStr);
    if (mLabelStr.GetLength() == 0)
      SetLabelStr(pParam->GetName());
  }
}

bool IVSwitchControl::IsHit(float x, float y) const
{
  return mWidgetBounds.Contains(x, y);
}

void IVSwitchControl::SetDirty(bool triggerAction, int /*valIdx*/)
{
  IControl::SetDirty(triggerAction, kNoValIdx);
  if (const IParam* pParam = GetParam(0))
    pParam->GetDisplay(mValueStr);
}

// ---- IVToggleControl

IVToggleControl::IVToggleControl(const IRECT& bounds, int paramIdx, const char* label,
                                 const IVStyle& style, const char* offText, const char* onText)
  : IVSwitchControl(bounds, paramIdx, label, style, true), mOffText(offText ? offText : ""),
    mOnText(onText ? onText : "")
{
}

IVToggleControl::IVToggleControl(const IRECT& bounds, IActionFunction actionFunc, const char* label,
                                 const IVStyle& style, const char* offText, const char* onText,
                                 bool isOn)
  : IVSwitchControl(bounds, std::move(actionFunc), label, style, 2, true),
    mOffText(offText ? offText : ""), mOnText(onText ? onText : "")
{
  SetValue(isOn ? 1.0 : 0.0);
}

void IVToggleControl::DrawWidget(IGraphics& g)
{
  DrawPressableShape(g, mShape, mWidgetBounds, GetValue(0) > 0.5, mMouseIsOver, IsDisabled());
}

void IVToggleControl::DrawValue(IGraphics& g, bool mouseOver)
{
  if (mouseOver)
    g.FillRect(GetColor(kHL), mValueBounds, &mBlend);
  const std::string& text = GetValue(0) > 0.5 ? mOnText : mOffText;
  g.DrawText(mStyle.valueText, text.c_str(), mValueBounds, &mBlend);
}

// ---- IVSlideSwitchControl

IVSlideSwitchControl::IVSlideSwitchControl(const IRECT& bounds, int paramIdx, const char* label,
                                           const IVStyle& style, bool valueInButton,
                                           EDirection direction)
  : IVSwitchControl(bounds, paramIdx, label, style, valueInButton), mDirection(direction)
{
  SetActionFunction(SlideClickActionFunc);
}

IVSlideSwitchControl::IVSlideSwitchControl(const IRECT& bounds, IActionFunction actionFunc,
                                           const char* label, const IVStyle& style,
                                           bool valueInButton, EDirection direction, int numStates,
                                           int initialState)
  : IVSwitchControl(bounds, nullptr, label, style, numStates, valueInButton), mDirection(direction)
{
  SetValue(std::clamp(static_cast<double>(initialState), 0.0, 1.0));
  SetActionFunction(SlideClickActionFunc);
  SetAnimationEndActionFunction(std::move(actionFunc));
}

void IVSlideSwitchControl::Draw(IGraphics& g)
{
  DrawBackground(g, mRECT);
  DrawWidget(g);
  DrawLabel(g);
  if (!GetAnimationFunction())
    DrawValue(g, false);
}

void IVSlideSwitchControl::DrawWidget(IGraphics& g)
{
  DrawTrack(g, mWidgetBounds);
  DrawHandle(g, mHandleRect);
}

void IVSlideSwitchControl::DrawTrack(IGraphics& g, const IRECT& bounds)
{
  const float r =
    std::min(mHandleRect.W(), mHandleRect.H()) * 0.5f * std::max(mStyle.roundness, 0.f);
  g.FillRoundRect(GetColor(kSH), bounds, r);
}

void IVSlideSwitchControl::DrawHandle(IGraphics& g, const IRECT& bounds)
{
  DrawPressableShape(g, mShape, bounds, mMouseDown, mMouseIsOver, IsDisabled());
}

void IVSlideSwitchControl::OnResize()
{
  IVSwitchControl::OnResize();
  UpdateRects();
}

void IVSlideSwitchControl::SetDirty(bool triggerAction, int valIdx)
{
  IVSwitchControl::SetDirty(triggerAction, valIdx);
  if (!GetAnimationFunction())
    UpdateRects();
}

void IVSlideSwitchControl::OnEndAnimation()
{
  UpdateRects();
  IControl::OnEndAnimation();
}

void IVSlideSwitchControl::UpdateRects()
{
  const int n = std::max(mNumStates, 1);
  const int i = GetSelectedIdx();
  mHandleRect = mStartRect = mWidgetBounds.GetEqualPart(mDirection, i, n);
  mEndRect = mWidgetBounds.GetEqualPart(mDirection, (i + 1) % n, n);
  if (mValueInWidget)
    mValueBounds = mHandleRect;
}

void IVSlideSwitchControl::Slide(double progress)
{
  mHandleRect = Lerp(mStartRect, mEndRect, static_cast<float>(progress));
  if (mValueInWidget)
    mValueBounds = mHandleRect;
  SetDirty(false);
}

} // namespace plugin::igraphics
