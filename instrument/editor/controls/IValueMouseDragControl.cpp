#include "instrument/editor/controls/IValueMouseDragControl.h"

#include "framework/core/IPluginParameter.h"
#include "framework/graphics/IGraphics.h"

#include <algorithm>
#include <cmath>

namespace plugin::igraphics
{

namespace
{

constexpr float kStepDistance = 10.f;      // points of drag per step
constexpr float kFineStepDistance = 100.f; // with Shift or Ctrl
constexpr float kMarkInset = 2.f;          // first digit-pair mark, from the field's left edge
constexpr IBlend kMarkBlend(EBlend::kDefault, 0.4f);

} // namespace

// ---- IValueMouseDragControl

IValueMouseDragControl::IValueMouseDragControl(
  const IRECT& bounds, float rowHeight, const char* caption, int paramIdx,
  const IColor& labelBackground, const IColor& valueBackground, float valueInset,
  bool valueIsEditable, bool valueInWidget, const IVStyle& style,
  std::function<void(int)> mouseOverFunc, EDirection direction, double gearing)
  : IVKnobControl(bounds, paramIdx, caption, style, valueIsEditable, valueInWidget, 0.f, 0.f, 0.f,
                  direction, gearing, 2.f),
    mRowHeight(rowHeight), mLabelBackground(labelBackground), mValueBackground(valueBackground),
    mValueInset(valueInset), mMouseOverFunc(std::move(mouseOverFunc))
{
  SetLabelStr(caption);
}

void IValueMouseDragControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  // A right click types a value into an editable field and does nothing else: no drag, no step.
  if (mod.R)
  {
    if (ValueIsTypeable())
      OpenValueEntry();
    return;
  }
  IKnobControlBase::OnMouseDown(x, y, mod);
  SetDirty(false);
}

void IValueMouseDragControl::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  // The field draws no highlight under the pointer (its value box included): only the preset
  // display shows the hover, so nothing of the field is redrawn.
  IControl::OnMouseOver(x, y, mod);
  if (mMouseOverFunc)
    mMouseOverFunc(GetParamIdx(0));
}

void IValueMouseDragControl::OnResize()
{
  const IRECT& b = mRECT;
  mWidgetBounds = b;
  if (mStyle.showValue)
  {
    mValueBoxRect = IRECT(b.L, b.T, b.R, b.T + mRowHeight);
    mValueBounds = IRECT(b.L + mValueInset, b.T, b.R - mValueInset, b.T + mRowHeight);
  }
  if (mStyle.showLabel)
    mLabelBounds = IRECT(b.L, b.B - mRowHeight, b.R, b.B);
}

bool IValueMouseDragControl::IsHit(float x, float y) const
{
  return GetParam(0) && IVKnobControl::IsHit(x, y);
}

void IValueMouseDragControl::OpenValueEntry()
{
  const IParam* pParam = GetParam(0);
  if (!pParam || !GetUI())
    return;
  Util_String current;
  pParam->GetDisplay(pParam->Value(), false, current, false);
  GetUI()->CreateTextEntry(*this, mText, mValueBounds, current.Get(), 0);
}

void IValueMouseDragControl::Draw(IGraphics& g)
{
  DrawLabel(g);
  DrawValue(g, mValueMouseOver);
}

void IValueMouseDragControl::DrawLabel(IGraphics& g)
{
  if (mLabelBounds.H() <= 0.f || !mStyle.showLabel)
    return;
  g.FillRect(mStyle.labelText.mTextEntryBGColor, mLabelBounds);
  g.DrawText(mStyle.labelText, mLabelStr.Get(), mLabelBounds);
}

void IValueMouseDragControl::DrawValue(IGraphics& g, bool /*mouseOver*/)
{
  const IColor& background = mStyle.valueText.mTextEntryBGColor;
  if (mStyle.showValue)
  {
    g.FillRect(background, mValueBoxRect);
    if (const IParam* pParam = GetParam(0))
    {
      Util_String text;
      text.SetFormatted(16, "%i", static_cast<int>(pParam->Value()));
      g.DrawText(mStyle.valueText, text.Get(), mValueBounds);
    }
  }
  g.DrawLine(background, mRECT.L, mRECT.T + 2.f, mRECT.R, mRECT.T + 2.f, nullptr, 1.f);
}

// ---- IFloatValueMouseDragControl

IFloatValueMouseDragControl::IFloatValueMouseDragControl(
  const IRECT& bounds, float rowHeight, const char* caption, int paramIdx,
  const IColor& labelBackground, const IColor& valueBackground, float valueInset,
  bool valueIsEditable, bool valueInWidget, float cellWidth, const IVStyle& style,
  std::function<void(int)> mouseOverFunc, EDirection direction, double gearing, int intDigits,
  int fracDigits)
  : IValueMouseDragControl(bounds, rowHeight, caption, paramIdx, labelBackground, valueBackground,
                           valueInset, valueIsEditable, valueInWidget, style,
                           std::move(mouseOverFunc), direction, gearing),
    mCellWidth(cellWidth), mIntDigits(std::max(intDigits, 0)), mFracDigits(std::max(fracDigits, 0))
{
  mFormat.SetFormatted(16, "%%0%i.%if", NCells(), mFracDigits);
  // The second press of a double click is a press like the first (it steps again), and so
  // reaches the host inside an edit gesture of its own.
  mDblAsSingleClick = true;
}

void IFloatValueMouseDragControl::FormatValue(Util_String& out) const
{
  const IParam* pParam = GetParam(0);
  if (!pParam)
  {
    out.Set("");
    return;
  }
  out.SetFormatted(NCells(), mFormat.Get(), pParam->Value());
}

void IFloatValueMouseDragControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  if (mod.R)
  {
    IValueMouseDragControl::OnMouseDown(x, y, mod);
    return;
  }
  // Distance left over from an earlier drag must not swallow (or double) this press's step.
  mDragAccum = 0.f;

  const int lastCell = mIntDigits + mFracDigits;
  const float offset = std::trunc(x - mValueBounds.L - 2.f);
  int c = static_cast<int>(std::trunc(offset / mCellWidth + 0.5f));
  c = std::clamp(c, 0, lastCell);

  // The right-hand digit of the clicked pair; the point counts as the first fraction digit.
  int d = c == mIntDigits ? c + 1 : c;
  if (d < mIntDigits)
    d |= 1;
  else if (d % 2 == 1)
    d += 1;

  if (d < mIntDigits)
    mDigitStep = std::pow(10.0, mIntDigits - 1 - d);
  else
    mDigitStep = d - mIntDigits >= 2 ? std::pow(10.0, -(d - mIntDigits)) : 0.1;

  if (c != mIntDigits)
  {
    const bool up = y <= mValueBounds.MH();
    OnMouseDrag(x, y, 0.f, up ? -kStepDistance : kStepDistance, IMouseMod(true));
  }

  IKnobControlBase::OnMouseDown(x, y, mod);
  SetDirty(false);
}

void IFloatValueMouseDragControl::OnMouseDrag(float /*x*/, float /*y*/, float /*dX*/, float dY,
                                              const IMouseMod& mod)
{
  const IParam* pParam = GetParam(0);
  if (mDigitStep <= 0.0 || !pParam)
    return;
  const float perStep = IsFineControl(mod, false) ? kFineStepDistance : kStepDistance;
  mDragAccum -= dY;
  // Whole steps go to the value and the rest of the distance stays pending, so the steps follow
  // the distance dragged however the pointer's motion was split into events (queued motion
  // arrives as one movement).
  const double n = std::trunc(static_cast<double>(mDragAccum) / perStep);
  // FromNormalized and ToNormalized snap a stepped parameter and clamp to its bounds.
  const double from = pParam->FromNormalized(GetValue(0));
  const double to = pParam->Constrain(from + n * mDigitStep);
  mDragAccum -= static_cast<float>(n) * perStep;
  // At a bound the drag beyond it is swallowed, pending distance included: a drag turning back
  // moves the value at once.
  if ((mDragAccum > 0.f && to >= pParam->GetMax()) || (mDragAccum < 0.f && to <= pParam->GetMin()))
    mDragAccum = 0.f;
  if (n == 0.0)
    return;
  SetValue(pParam->ToNormalized(to), 0);
  SetDirty(true);
}

void IFloatValueMouseDragControl::OnMouseDblClick(float x, float y, const IMouseMod& mod)
{
  OnMouseDown(x, y, mod);
}

void IFloatValueMouseDragControl::DrawValue(IGraphics& g, bool /*mouseOver*/)
{
  if (!mStyle.showValue)
    return;
  const IText& text = mStyle.valueText;
  g.FillRect(text.mTextEntryBGColor, mValueBoxRect);

  Util_String shown;
  FormatValue(shown);
  const char* str = shown.Get();
  for (int k = 0; k < NCells() && str[k]; ++k)
  {
    const char cell[2] = {str[k], '\0'};
    const float left = mValueBounds.L + static_cast<float>(k) * mCellWidth;
    g.DrawText(text, cell, IRECT(left, mValueBounds.T, left + mCellWidth, mValueBounds.B));
  }

  // Marks over and under each pair of digits, on both sides of the point.
  const float top = mValueBounds.T + 3.f;
  const float bottom = mValueBounds.B - 1.f;
  float x = mRECT.L + kMarkInset;
  auto marks = [&](int digits)
  {
    for (int k = 0; k < digits; k += 2)
    {
      const float x1 = x + 1.f;
      const float x2 = x + 2.f * mCellWidth - 1.f;
      g.DrawLine(text.mFGColor, x1, top, x2, top, &kMarkBlend, 1.f);
      g.DrawLine(text.mFGColor, x1, bottom, x2, bottom, &kMarkBlend, 1.f);
      x += 2.f * mCellWidth;
    }
  };
  marks(mIntDigits);
  x += mCellWidth;
  marks(mFracDigits);
}

} // namespace plugin::igraphics
