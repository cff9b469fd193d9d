#pragma once
// IVValueControl<TBase>: what the vector knob and the vector slider share over their interaction
// base TBase (IKnobControlBase or ISliderControlBase) and the vector mix-in: a label strip, a
// widget and a value text that shows the bound parameter's display text with its unit (an empty
// label shows the parameter's name).
//
// Typing a value: when the value is editable (constructed so) and a parameter is bound, a press
// on the value text opens the parameter's value prompt instead of starting a drag, and the value
// text is highlighted under the pointer. Otherwise the value text is only a display, and where it
// lies over the widget a press there drags like anywhere else on the widget. Main thread only.

#include "framework/graphics/IKnobControlBase.h"
#include "framework/graphics/controls/IVectorBase.h"

#include <utility>

namespace plugin::igraphics
{

template <class TBase>
class IVValueControl : public TBase, public IVectorBase
{
public:
  // A press on the value text prompts for a value (see the top of this file); anywhere else it
  // starts a drag.
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  // Ends the drag and sends the value with the action once more.
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;
  // The value text and, for an empty label, the label from the parameter.
  void OnInit() override;
  void Draw(IGraphics& g) override;
  // The widget, and the value text when a value can be typed there; never the label strip.
  bool IsHit(float x, float y) const override;
  // Every slot, whatever valIdx says; then the value text follows the parameter.
  void SetDirty(bool triggerAction = true, int valIdx = kNoValIdx) override;

  // Whether a press on the value text opens a value prompt.
  bool ValueIsTypeable() const;
  bool GetValueMouseOver() const { return mValueMouseOver; }

protected:
  // baseArgs go to TBase's constructor.
  template <class... BaseArgs>
  IVValueControl(const IVStyle& style, bool valueInWidget, BaseArgs&&... baseArgs)
    : TBase(std::forward<BaseArgs>(baseArgs)...), IVectorBase(style, false, valueInWidget)
  {
  }

  // What the constructors set alike: typing on or off, the value text's font for a typed value,
  // the style's cursor hiding, a round handle, the track's thickness; then the mix-in attaches
  // with the label. The deriving constructor calls it last.
  void Setup(const char* label, const IVStyle& style, bool valueIsEditable, float trackSize);

  bool mValueMouseOver = false;

private:
  void RefreshValueStr();
};

extern template class IVValueControl<IKnobControlBase>;
extern template class IVValueControl<ISliderControlBase>;

} // namespace plugin::igraphics
