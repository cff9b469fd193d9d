#include "framework/graphics/controls/IVValueControl.h"

#include "framework/core/IPluginParameter.h"

namespace plugin::igraphics
{

template <class TBase>
void IVValueControl<TBase>::Setup(const char* label, const IVStyle& style, bool valueIsEditable,
                                  float trackSize)
{
  this->mPromptDisabled = !valueIsEditable;
  this->mText = style.valueText;
  this->mHideCursorOnDrag = style.hideCursor;
  mShape = EVShape::kEllipse;
  mTrackSize = trackSize;
  AttachIControl(this, label);
}

template <class TBase>
bool IVValueControl<TBase>::ValueIsTypeable() const
{
  return !this->mPromptDisabled && this->GetParam(0) != nullptr;
}

template <class TBase>
void IVValueControl<TBase>::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  // Only a press that can really open a prompt is kept from dragging: with typing disabled (or
  // no parameter to type for), a value text drawn over the widget must not leave a dead spot.
  if (mStyle.showValue && mValueBounds.Contains(x, y) && ValueIsTypeable())
    this->PromptUserInput(mValueBounds, 0);
  else
    TBase::OnMouseDown(x, y, mod);
}

template <class TBase>
void IVValueControl<TBase>::OnMouseUp(float x, float y, const IMouseMod& mod)
{
  TBase::OnMouseUp(x, y, mod);
  SetDirty(true);
}

template <class TBase>
void IVValueControl<TBase>::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  // Redrawn only when the highlight of the value changes (IControl redraws on entering).
  const bool overValue = mStyle.showValue && ValueIsTypeable() && mValueBounds.Contains(x, y);
  if (overValue != mValueMouseOver)
    SetDirty(false);
  mValueMouseOver = overValue;
  IControl::OnMouseOver(x, y, mod);
}

template <class TBase>
void IVValueControl<TBase>::OnMouseOut()
{
  mValueMouseOver = false;
  IControl::OnMouseOut();
}

template <class TBase>
void IVValueControl<TBase>::OnInit()
{
  if (const IParam* pParam = this->GetParam(0))
  {
    RefreshValueStr();
    if (mLabelStr.GetLength() == 0)
      SetLabelStr(pParam->GetName());
  }
}

template <class TBase>
void IVValueControl<TBase>::RefreshValueStr()
{
  if (const IParam* pParam = this->GetParam(0))
    pParam->GetDisplayWithLabel(mValueStr);
}

template <class TBase>
void IVValueControl<TBase>::Draw(IGraphics& g)
{
  DrawBackground(g, this->mRECT);
  DrawLabel(g);
  DrawWidget(g);
  DrawValue(g, mValueMouseOver);
}

template <class TBase>
bool IVValueControl<TBase>::IsHit(float x, float y) const
{
  if (ValueIsTypeable() && mValueBounds.Contains(x, y))
    return true;
  return mWidgetBounds.Contains(x, y);
}

template <class TBase>
void IVValueControl<TBase>::SetDirty(bool triggerAction, int /*valIdx*/)
{
  IControl::SetDirty(triggerAction, kNoValIdx);
  RefreshValueStr();
}

template class IVValueControl<IKnobControlBase>;
template class IVValueControl<ISliderControlBase>;

} // namespace plugin::igraphics
