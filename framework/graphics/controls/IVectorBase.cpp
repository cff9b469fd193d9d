#include "framework/graphics/controls/IVectorBase.h"

#include "framework/graphics/IControl.h"
#include "framework/graphics/IGraphics.h"

#include <algorithm>
#include <cmath>

namespace plugin::igraphics
{

IVectorBase::IVectorBase(const IVStyle& style, bool labelInWidget, bool valueInWidget)
  : mLabelInWidget(labelInWidget), mValueInWidget(valueInWidget)
{
  SetStyle(style);
}

void IVectorBase::AttachIControl(IControl* pControl, const char* label)
{
  mControl = pControl;
  SetLabelStr(label);
}

void IVectorBase::SetStyle(const IVStyle& style)
{
  mStyle = style;
  OnStyleChanged();
}

void IVectorBase::SetColor(EVColor color, const IColor& value)
{
  mStyle.colorSpec.mColors[color] = value;
}

const IBlend* IVectorBase::Blend() const
{
  return mControl ? &mControl->GetBlend() : nullptr;
}

bool IVectorBase::ControlIsAnimating() const
{
  return mControl && mControl->GetAnimationFunction();
}

IColor IVectorBase::Shade(EVColor color, bool disabled) const
{
  const IColor& c = GetColor(color);
  const int d = disabled ? static_cast<int>(-0.25f * 255.f) : 0;
  return IColor(c.A, std::clamp(c.R + d, 0, 255), std::clamp(c.G + d, 0, 255),
                std::clamp(c.B + d, 0, 255));
}

IRECT IVectorBase::GetAdjustedHandleBounds(const IRECT& bounds) const
{
  IRECT handle = bounds;
  if (mStyle.drawFrame)
  {
    const float inset = mStyle.frameThickness / 2.f;
    handle = handle.GetPadded(inset, inset, -inset, -inset);
  }
  if (mStyle.drawShadows)
  {
    const float s = mStyle.shadowOffset;
    handle = handle.GetPadded(s, 0.f, -s, -s);
  }
  return handle;
}

void IVectorBase::DrawBackground(IGraphics& g, const IRECT& rect)
{
  g.FillRect(GetColor(kBG), rect, Blend());
}

void IVectorBase::DrawLabel(IGraphics& g)
{
  if (mLabelBounds.H() != 0.f && mStyle.showLabel)
    g.DrawText(mStyle.labelText, mLabelStr.Get(), mLabelBounds, Blend());
}

void IVectorBase::DrawValue(IGraphics& g, bool mouseOver)
{
  if (mouseOver)
    g.FillRect(COLOR_TRANSLUCENT, mValueBounds);
  if (mStyle.showValue)
    g.DrawText(mStyle.valueText, mValueStr.Get(), mValueBounds, Blend());
}

void IVectorBase::DrawPressableShape(IGraphics& g, EVShape shape, const IRECT& bounds, bool pressed,
                                     bool mouseOver, bool disabled)
{
  switch (shape)
  {
  case EVShape::kRectangle:
  case EVShape::kAllRounded:
    DrawPressableRectangle(g, bounds, pressed, mouseOver, disabled);
    break;
  case EVShape::kTopRounded:
    DrawPressableRectangle(g, bounds, pressed, mouseOver, disabled, true, true, false, false);
    break;
  case EVShape::kEllipse:
    DrawPressableEllipse(g, bounds, pressed, mouseOver, disabled);
    break;
  case EVShape::kTriangle:
    DrawPressableTriangle(g, bounds, pressed, mouseOver, mStyle.angle, disabled);
    break;
  }
}

IRECT IVectorBase::MakeRects(const IRECT& bounds, bool hasHandle)
{
  IGraphics* pGraphics = mControl ? mControl->GetUI() : nullptr;
  auto measure = [pGraphics](const IText& text, const char* str, float& w, float& h)
  {
    IRECT r;
    if (pGraphics)
      pGraphics->MeasureText(text, str, r);
    w = r.W();
    h = r.H();
  };

  IRECT area = bounds;
  if (!mLabelInWidget)
  {
    if (mStyle.showLabel && mLabelStr.GetLength() > 0)
    {
      float tw = 0.f, th = 0.f;
      measure(mStyle.labelText, mLabelStr.Get(), tw, th);
      IRECT strip;
      bool known = true;
      switch (mStyle.labelSide)
      {
      case ELabelSide::kTop:
        strip = IRECT(bounds.L, bounds.T, bounds.R, bounds.T + th);
        break;
      case ELabelSide::kRight:
        strip = IRECT(bounds.R - tw, bounds.T, bounds.R, bounds.B);
        break;
      case ELabelSide::kBottom:
        strip = IRECT(bounds.L, bounds.B - th, bounds.R, bounds.B);
        break;
      case ELabelSide::kLeft:
        strip = IRECT(bounds.L, bounds.T, bounds.L + tw, bounds.B);
        break;
      default:
        known = false;
        break;
      }
      if (known)
      {
        const float w = std::max(1.f, tw);
        const float h = th <= 0.f ? w : th;
        mLabelBounds = strip.GetCentredInside(w, h);
      }
    }
    else
    {
      mLabelBounds = IRECT();
    }

    if (!mLabelBounds.Empty())
    {
      switch (mStyle.labelSide)
      {
      case ELabelSide::kTop:
        area.T = bounds.T + mLabelBounds.H();
        break;
      case ELabelSide::kRight:
        area.R = bounds.R - mLabelBounds.W();
        break;
      case ELabelSide::kBottom:
        area.B = bounds.B - mLabelBounds.H();
        break;
      case ELabelSide::kLeft:
        area.L = bounds.L + mLabelBounds.W();
        break;
      }
    }
  }

  const float frac = mStyle.widgetFrac;
  if (mStyle.showValue && !mValueInWidget)
  {
    float tw = 0.f, th = 0.f;
    measure(mStyle.valueText, mValueStr.Get(), tw, th);
    const float hw = tw * mValueWidthFactor;
    const float cx = area.MW();
    switch (mStyle.valueText.mVAlign)
    {
    case EVAlign::kTop:
      mValueBounds = IRECT(cx - hw, area.T, cx + hw, area.T + th);
      mWidgetBounds = IRECT(area.L, area.T + th, area.R, area.B).GetScaledAboutCentre(frac);
      break;
    case EVAlign::kMiddle:
      mValueBounds = IRECT(cx - hw, area.MH() - th / 2.f, cx + hw, area.MH() + th / 2.f);
      mWidgetBounds = area.GetScaledAboutCentre(frac);
      break;
    case EVAlign::kBottom:
      mValueBounds = IRECT(cx - hw, area.B - th, cx + hw, area.B);
      mWidgetBounds = IRECT(area.L, area.T, area.R, area.B - th).GetScaledAboutCentre(frac);
      break;
    }
  }
  else
  {
    mWidgetBounds = area.GetScaledAboutCentre(frac);
  }

  if (hasHandle)
    mWidgetBounds = GetAdjustedHandleBounds(area).GetScaledAboutCentre(frac);
  if (mLabelInWidget)
    mLabelBounds = mWidgetBounds;
  if (mValueInWidget)
    mValueBounds = mWidgetBounds;
  return area;
}

IRECT IVectorBase::DrawPressableRectangle(IGraphics& g, const IRECT& bounds, bool pressed,
                                          bool mouseOver, bool disabled, bool rtl, bool rtr,
                                          bool rbl, bool rbr)
{
  const IBlend* pBlend = Blend();
  const IRECT handle = GetAdjustedHandleBounds(bounds);
  const float s = mStyle.shadowOffset;
  const IRECT inner = handle.GetPadded(-s);
  const IRECT shadow = handle.GetTranslated(s, s);
  const IRECT pressedRect(handle.L + s, handle.T + s, handle.R, handle.B);

  const float r = std::min(handle.W(), handle.H()) / 2.f * mStyle.roundness;
  const float tl = rtl ? r : 0.f;
  const float tr = rtr ? r : 0.f;
  const float bl = rbl ? r : 0.f;
  const float br = rbr ? r : 0.f;

  if (!pressed)
  {
    if (mStyle.drawShadows)
      g.FillRoundRect(GetColor(kSH), shadow, tl, tr, bl, br, pBlend);
    if (mStyle.emboss)
    {
      g.FillRoundRect(Shade(kPR, disabled), handle, tl, tr, bl, br);
      g.FillRoundRect(Shade(kSH, disabled), shadow, tl, tr, bl, br);
      g.FillRoundRect(Shade(kFG, disabled), inner, tl, tr, bl, br);
      if (mouseOver)
        g.FillRoundRect(GetColor(kHL), inner, tl, tr, bl, br, pBlend);
    }
    else
    {
      g.FillRoundRect(Shade(kFG, disabled), handle, tl, tr, bl, br);
      if (mouseOver)
        g.FillRoundRect(GetColor(kHL), handle, tl, tr, bl, br, pBlend);
    }
  }
  else
  {
    if (mStyle.emboss)
    {
      g.FillRoundRect(GetColor(kPR), handle, tl, tr, bl, br, pBlend);
      g.FillRoundRect(GetColor(kSH), handle, tl, tr, bl, br, pBlend);
      g.FillRoundRect(Shade(kFG, disabled), pressedRect, tl, tr, bl, br);
      g.FillRoundRect(GetColor(kPR), inner, tl, tr, bl, br, pBlend);
    }
    else
    {
      g.FillRoundRect(Shade(kPR, disabled), handle, tl, tr, bl, br);
    }
    if (ControlIsAnimating())
      DrawSplash(g, handle);
  }

  if (mStyle.drawFrame)
    g.DrawRoundRect(GetColor(kFR), handle, tl, tr, bl, br, pBlend, mStyle.frameThickness);
  return handle;
}

void IVectorBase::DrawPressableEllipse(IGraphics& g, const IRECT& bounds, bool pressed,
                                       bool mouseOver, bool disabled)
{
  const IBlend* pBlend = Blend();
  const float s = mStyle.shadowOffset;
  const IRECT& ellipse = bounds;
  const IRECT inner = ellipse.GetPadded(-s);
  const IRECT shadow = ellipse.GetTranslated(s, s);
  const IRECT pressedRect(ellipse.L + s, ellipse.T + s, ellipse.R, ellipse.B);

  if (!pressed && !disabled && mStyle.drawShadows)
    g.FillEllipse(GetColor(kSH), shadow);

  if (!pressed)
  {
    if (mStyle.emboss)
    {
      g.FillEllipse(Shade(kPR, disabled), ellipse);
      g.FillEllipse(Shade(kSH, disabled), shadow);
      g.FillEllipse(Shade(kFG, disabled), inner);
      if (mouseOver)
        g.FillEllipse(GetColor(kHL), inner, pBlend);
    }
    else
    {
      g.FillEllipse(Shade(kFG, disabled), ellipse);
      if (mouseOver)
        g.FillEllipse(GetColor(kHL), ellipse, pBlend);
    }
  }
  else
  {
    if (mStyle.emboss)
    {
      g.FillEllipse(GetColor(kPR), ellipse, pBlend);
      g.FillEllipse(GetColor(kSH), ellipse, pBlend);
      g.FillEllipse(Shade(kFG, disabled), pressedRect);
      g.FillEllipse(Shade(kPR, disabled), inner);
    }
    else
    {
      g.FillEllipse(Shade(kPR, disabled), ellipse);
    }
    if (ControlIsAnimating())
      DrawSplash(g, ellipse);
  }

  if (mStyle.drawFrame)
    g.DrawEllipse(GetColor(kFR), ellipse, pBlend, mStyle.frameThickness);
}

IRECT IVectorBase::DrawPressableTriangle(IGraphics& g, const IRECT& bounds, bool pressed,
                                         bool mouseOver, float angle, bool disabled)
{
  const IBlend* pBlend = Blend();
  const IRECT handle = GetAdjustedHandleBounds(bounds);
  const float s = mStyle.shadowOffset;

  // Corners bottom-left, top-centre, bottom-right, turned clockwise about the centre.
  const float a = angle / 180.f * 3.1415927f;
  const float cosA = std::cos(a);
  const float sinA = std::sin(a);
  const float cx = handle.MW();
  const float cy = handle.MH();
  float x[3] = {handle.L, handle.MW(), handle.R};
  float y[3] = {handle.B, handle.T, handle.B};
  for (int i = 0; i < 3; ++i)
  {
    const float dx = x[i] - cx;
    const float dy = y[i] - cy;
    x[i] = cx + dx * cosA - dy * sinA;
    y[i] = cy + dx * sinA + dy * cosA;
  }

  if (!pressed)
  {
    if (mStyle.drawShadows)
      g.FillTriangle(GetColor(kSH), x[0] + s, y[0] + s, x[1] + s, y[1] + s, x[2] + s, y[2] + s,
                     pBlend);
    g.FillTriangle(Shade(kFG, disabled), x[0], y[0], x[1], y[1], x[2], y[2]);
  }
  else
  {
    g.FillTriangle(Shade(kPR, disabled), x[0], y[0], x[1], y[1], x[2], y[2]);
  }
  if (mouseOver)
    g.FillTriangle(GetColor(kHL), x[0], y[0], x[1], y[1], x[2], y[2], pBlend);
  if (pressed && ControlIsAnimating())
    DrawSplash(g);
  if (mStyle.drawFrame)
    g.DrawTriangle(GetColor(kFR), x[0], y[0], x[1], y[1], x[2], y[2], pBlend,
                   mStyle.frameThickness);
  return handle;
}

void IVectorBase::DrawSplash(IGraphics& g, const IRECT& clipRect)
{
  g.PathClipRegion(clipRect);
  g.FillCircle(GetColor(kHL), mSplashX, mSplashY, mSplashRadius);
  g.PathClipRegion();
}

} // namespace plugin::igraphics
