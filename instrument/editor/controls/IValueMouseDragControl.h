#pragma once
// Value-drag fields: a parameter's value as text in a box, a caption strip below it, and no
// rotary widget; the value changes by dragging anywhere on the field.
//
// - IValueMouseDragControl shows the value truncated to an integer ("%i") and drags like a knob
//   (IKnobControlBase: gearing, fine drag with Shift or Ctrl, wheel, double click to default).
// - IFloatValueMouseDragControl shows I integer digits, the point and F fraction digits, zero
//   padded, one character per cell of mCellWidth points; faint marks group the digits in pairs.
//   A press on a digit chooses the decimal place that dragging changes, the right-hand digit of
//   the clicked pair (I = 2, F = 4: steps of 1, 0.01 and 0.0001), and steps the value once, up in
//   the upper half of the box and down in the lower. Dragging then steps by that place: one step
//   per 10 points (100 with Shift or Ctrl), upward raising the value. The distance left over
//   from a step carries on to the next event, so a drag steps by the distance dragged however
//   its motion is split into events; at a bound, what the drag pushes beyond it is dropped, so
//   that turning back moves the value at once. A press on the point only chooses the place.
//
// Layout, with row height h and inset i: the value box is the top h points, the value text is
// inset i at both sides, the caption is the bottom h points; the whole field takes the pointer.
//
// Typing a value: when built editable, a right click opens a text entry over the value (the
// graphics core hands a right click on a bound control to its context-menu road, so the field
// answers there). Every edit reaches the host inside one edit gesture: a press and its drag
// (the core's), a double click (two presses), a typed value (the core's).
//
// A field bound to no parameter draws its boxes and caption but no value and ignores the
// pointer. Main thread only.

#include "framework/graphics/controls/IVKnobControl.h"

#include <functional>

namespace plugin::igraphics
{

class IValueMouseDragControl : public IVKnobControl
{
public:
  IValueMouseDragControl(const IRECT& bounds, float rowHeight, const char* caption, int paramIdx,
                         const IColor& labelBackground, const IColor& valueBackground,
                         float valueInset, bool valueIsEditable, bool valueInWidget,
                         const IVStyle& style, std::function<void(int)> mouseOverFunc,
                         EDirection direction, double gearing);

  // Starts a drag (the value prompt on a press of the vector knob is skipped); a right click
  // only opens the text entry of an editable field.
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  // Then reports the parameter to the hover function.
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnResize() override;
  void Draw(IGraphics& g) override;
  // The pointer over it shows in the preset display, not on the control.
  bool DrawsMouseOver() const override { return false; }
  // Never for a field bound to nothing.
  bool IsHit(float x, float y) const override;

  void DrawLabel(IGraphics& g) override;
  void DrawValue(IGraphics& g, bool mouseOver) override;

  const IRECT& GetValueBoxBounds() const { return mValueBoxRect; }

protected:
  // The text entry over the value, holding the parameter's display text.
  void OpenValueEntry();

  float mRowHeight;
  IColor mLabelBackground; // kept; the drawing takes the backgrounds from the style's texts
  IColor mValueBackground;
  float mValueInset;
  IRECT mValueBoxRect;
  std::function<void(int)> mMouseOverFunc;
};

class IFloatValueMouseDragControl : public IValueMouseDragControl
{
public:
  IFloatValueMouseDragControl(const IRECT& bounds, float rowHeight, const char* caption,
                              int paramIdx, const IColor& labelBackground,
                              const IColor& valueBackground, float valueInset, bool valueIsEditable,
                              bool valueInWidget, float cellWidth, const IVStyle& style,
                              std::function<void(int)> mouseOverFunc, EDirection direction,
                              double gearing, int intDigits, int fracDigits);

  // Chooses the decimal place under the pointer and steps once (see the top of this file).
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  // Steps by the chosen place, one step per 10 points (100 fine).
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  // A second press: steps again, never resets to the default.
  void OnMouseDblClick(float x, float y, const IMouseMod& mod) override;
  void DrawValue(IGraphics& g, bool mouseOver) override;

  double GetDigitStep() const { return mDigitStep; }
  // The number of cells: integer digits, the point, fraction digits.
  int NCells() const { return mIntDigits + mFracDigits + 1; }
  // The value as shown, one character per cell.
  void FormatValue(Util_String& out) const;

protected:
  float mCellWidth;
  int mIntDigits;
  int mFracDigits;
  Util_String mFormat;
  double mDigitStep = 0.01;
  float mDragAccum = 0.f; // drag distance, in points (upward positive), not yet stepped:
                          // less than a step, and never pointing beyond a bound the value is at
};

} // namespace plugin::igraphics
