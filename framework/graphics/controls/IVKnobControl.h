#pragma once
// The vector label and the vector knob: two controls that take their whole look from an IVStyle.
//
// - IVLabelControl: a static text (ITextControl) drawn with the style's background, a drop
//   shadow of the text in kSH, the text in the style's value text and a frame in kFR.
// - IVKnobControl: a rotary knob (IKnobControlBase: drag and wheel) drawn as a value arc in kX1
//   running from an anchor angle to the value's angle, an elliptical pressable handle and a
//   pointer line in kFR, with an optional label strip and a value text below (or inside) the
//   widget. Angles are degrees, 0 pointing up, growing clockwise.
//
// Layout of a knob (IVectorBase::MakeRects, no handle): the label strip is cut from the bounds;
// the value strip is taken from the rest, where the value text's vertical alignment puts it; the
// widget is what remains. The arc's radius is half the widget's shorter side less half the
// track; the handle sits trackToHandleDistance inside the arc.
//
// Typing a value, hits and the value text: as IVValueControl.h says. Main thread only.

#include "framework/graphics/controls/ITextControl.h"
#include "framework/graphics/controls/IVValueControl.h"

namespace plugin::igraphics
{

class IVLabelControl : public ITextControl, public IVectorBase
{
public:
  IVLabelControl(const IRECT& bounds, const char* str = "", const IVStyle& style = DEFAULT_STYLE);

  void Draw(IGraphics& g) override;
};

inline constexpr float kKnobDefaultStartAngle = -135.f;
inline constexpr float kKnobDefaultEndAngle = 135.f;

class IVKnobControl : public IVValueControl<IKnobControlBase>
{
public:
  // Bound to a parameter (the label may be empty or null: it then shows the parameter's name).
  IVKnobControl(const IRECT& bounds, int paramIdx, const char* label = "",
                const IVStyle& style = DEFAULT_STYLE, bool valueIsEditable = false,
                bool valueInWidget = false, float startAngle = kKnobDefaultStartAngle,
                float endAngle = kKnobDefaultEndAngle, float anchorAngle = kKnobDefaultStartAngle,
                EDirection direction = EDirection::kVertical, double gearing = DEFAULT_GEARING,
                float trackSize = 2.f);
  // Driven by an action function, with no parameter.
  IVKnobControl(const IRECT& bounds, IActionFunction actionFunc, const char* label = "",
                const IVStyle& style = DEFAULT_STYLE, bool valueIsEditable = false,
                bool valueInWidget = false, float startAngle = kKnobDefaultStartAngle,
                float endAngle = kKnobDefaultEndAngle, float anchorAngle = kKnobDefaultStartAngle,
                EDirection direction = EDirection::kVertical, double gearing = DEFAULT_GEARING,
                float trackSize = 2.f);

  // Then shows the handle pressed.
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  // Lays out the label, value and widget rectangles; the target is the bounds less the label.
  void OnResize() override;

  // Centred on the widget: half as wide as high for a wide widget, else as wide as the widget
  // and half as high. Drags are measured against it.
  IRECT GetKnobDragBounds() override;

  void DrawWidget(IGraphics& g) override;
  bool DrawsMouseOver() const override { return true; }
  // The value arc, from the smaller to the larger of the value's angle and the anchor.
  virtual void DrawIndicatorTrack(IGraphics& g, float angle, float cx, float cy, float radius);
  virtual void DrawPointer(IGraphics& g, float angle, float cx, float cy, float radius);

  // The radius of the value arc.
  float GetRadius() const;
  // The square that the arc's stroke covers, centred on the widget.
  IRECT GetTrackBounds() const;
  float GetStartAngle() const { return mStartAngle; }
  float GetEndAngle() const { return mEndAngle; }
  float GetAnchorAngle() const { return mAnchorAngle; }

protected:
  float mTrackToHandleDistance = 4.f; // gap between the arc and the handle's edge, in points
  float mInnerPointerFrac = 0.1f;     // pointer start, as a fraction of the handle's radius
  float mOuterPointerFrac = 1.f;      // pointer end, as a fraction of the handle's radius
  float mPointerThickness = 2.5f;     // in points
  float mStartAngle;                  // angle of value 0
  float mEndAngle;                    // angle of value 1
  float mAnchorAngle;                 // where the value arc starts
};

} // namespace plugin::igraphics
