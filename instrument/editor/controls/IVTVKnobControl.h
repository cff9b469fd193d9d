#pragma once
// IVTVKnobControl: the instrument's rotary knob. It keeps the vector knob's interaction (vertical
// drag with gearing, fine drag, wheel, double click to default, mouse-over) and draws a look of
// its own from its style's palette:
//
//   - a value track arc (kFG) outside the body, from the anchor angle to the value's angle, or
//     from the top for a bipolar knob;
//   - tick marks (kFR) at both ends of travel and at the top, or at every step of a stepped
//     parameter;
//   - a body of a disc (kBG), two rings with vertical gradients (kX2 and kX3 down to kX1) and a
//     centre cap (kHL), with a pointer line (kFR);
//   - a label strip below (or above) the knob and an optional value strip, each on its text's
//     text-entry background colour;
//   - optionally a modulation arc (kSH) outside the track, from the value moved by the summed
//     lower bounds of the modulation slots to the value moved by their upper bounds.
//
// Angles are degrees, 0 at twelve o'clock, growing clockwise; the editor's knobs turn from -135
// to 135. A disabled knob hides its track and pointer and draws body and label at half opacity.
//
// The modulation data (eight slots of lower and upper bound, in normalized units, and their
// sums) belongs to the instrument: it writes it through SetModulation whenever a modulation
// slot's source, destination or amount changes; the knob only draws it.
//
// A knob bound to no parameter draws its body, ticks and label but nothing of a value (no
// track, pointer or modulation arc) and ignores the pointer. Main thread only.

#include "framework/graphics/controls/IVKnobControl.h"

#include <functional>

namespace plugin::igraphics
{

// Where the value track starts.
enum EKnobStyle : int
{
  kKnobStyleFromAnchor = 0, // from the anchor angle (the start of travel for the editor's knobs)
  kKnobStyleFromTop = 1,    // from 0 degrees: bipolar values
};

// Bits of the knob flags.
inline constexpr int kKnobFlagStepped = 2; // ticks and pointer at the parameter's whole steps

class IVTVKnobControl : public IVKnobControl
{
public:
  static constexpr int kNumModSlots = 8;

  IVTVKnobControl(const IRECT& bounds, float knobRadius, float labelHeight, float valueHeight,
                  float labelGap, int paramIdx, const char* label, const IVStyle& style,
                  std::function<void(int)> mouseOverFunc, EKnobStyle knobStyle,
                  bool valueIsEditable, bool valueInWidget, bool labelOnTop, float startAngle,
                  float endAngle, float anchorAngle, EDirection direction, int flags,
                  double gearing, float arcThickness, bool promptDisabled);

  // Widget, label and value rectangles from the knob radius and strip heights; the gradients.
  void OnResize() override;
  // Then reports the parameter to the hover function.
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  // Widget, label, value, then the modulation arc when shown.
  void Draw(IGraphics& g) override;
  // The pointer over it shows in the preset display, not on the control.
  bool DrawsMouseOver() const override { return false; }
  // The base's hit test; never for a knob bound to nothing.
  bool IsHit(float x, float y) const override;

  void DrawWidget(IGraphics& g) override;
  void DrawLabel(IGraphics& g) override;
  void DrawValue(IGraphics& g, bool mouseOver) override;
  // The modulation arc, whatever mShowModulation says.
  void DrawMod(IGraphics& g) const;

  // One modulation slot's range (normalized units); the sums follow; redrawn without action.
  // A slot outside 0..7 is ignored.
  void SetModulation(int slot, float lower, float upper);

  // The value's angle as drawn (at a whole step when the display is stepped).
  float GetPointerAngle() const;

  // Written by the layout (which knobs show the arc) and the instrument (the ranges).
  bool mShowModulation = false;
  float mModMin[kNumModSlots] = {};
  float mModMax[kNumModSlots] = {};
  float mModSumMin = 0.f;
  float mModSumMax = 0.f;

protected:
  // The normalized value shown: moved to the nearest whole step when the display is stepped.
  double DisplayedValue() const;

  float mKnobRadius;
  float mLabelHeight;
  float mValueHeight;
  float mLabelGap;
  float mArcThickness;
  IPattern mBodyPatternOuter;
  IPattern mBodyPatternInner;
  EKnobStyle mKnobStyle;
  std::function<void(int)> mMouseOverFunc;
  int mKnobFlags;
  bool mLabelOnTop;
};

} // namespace plugin::igraphics
