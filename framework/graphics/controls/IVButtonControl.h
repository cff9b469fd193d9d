#pragma once
// Vector controls that are clicked rather than dragged, each an interaction base of the graphics
// core joined with IVectorBase and drawn from its IVStyle:
// - IVButtonControl: a momentary button (IButtonControlBase). A press sets 1 and runs the
//   action, which normally starts the click splash; when that animation ends the value returns
//   to 0. It looks pressed while its value is not 0.
// - IVSwitchControl: a switch of N states (ISwitchControlBase): each press steps to the next
//   state and wraps to the first; it looks pressed only while the mouse is held on it. Bound to
//   a parameter it shows the parameter's display text.
// - IVToggleControl: a two-state switch that shows its own off or on text, and looks pressed
//   while on (value above 0.5).
// - IVSlideSwitchControl: a switch whose handle slides over 100 ms from one state's place in
//   the track to the next one's; the value text rides in the handle and hides during the
//   slide. In its action-function form the caller's action runs once the handle has settled.
//
// State i of N is shown for the values whose (N - 1) x value + 0.5 truncates to i; a control
// with no states or one state shows state 0 and lays out one place. Main thread only.

#include "framework/graphics/ISwitchControlBase.h"
#include "framework/graphics/controls/IVectorBase.h"

#include <string>

namespace plugin::igraphics
{

class IVButtonControl : public IButtonControlBase, public IVectorBase
{
public:
  IVButtonControl(const IRECT& bounds, IActionFunction actionFunc = SplashClickActionFunc,
                  const char* label = "", const IVStyle& style = DEFAULT_STYLE,
                  bool labelInButton = true, bool valueInButton = true,
                  EVShape shape = EVShape::kRectangle);

  void Draw(IGraphics& g) override;
  void DrawWidget(IGraphics& g) override;
  bool DrawsMouseOver() const override { return true; }
  // The widget is the handle of the bounds less the label: room is left for frame and shadow.
  void OnResize() override;
  bool IsHit(float x, float y) const override;
};

class IVSwitchControl : public ISwitchControlBase, public IVectorBase
{
public:
  // Two states or the parameter's range; a press plays the click splash.
  IVSwitchControl(const IRECT& bounds, int paramIdx = kNoParameter, const char* label = "",
                  const IVStyle& style = DEFAULT_STYLE, bool valueInButton = false);
  IVSwitchControl(const IRECT& bounds, IActionFunction actionFunc, const char* label = "",
                  const IVStyle& style = DEFAULT_STYLE, int numStates = 2,
                  bool valueInButton = false);

  void Draw(IGraphics& g) override;
  void DrawWidget(IGraphics& g) override;
  bool DrawsMouseOver() const override { return true; }
  void OnMouseOut() override;
  void OnResize() override;
  // The state count, the value text (with the unit label) and an empty label from the parameter.
  void OnInit() override;
  bool IsHit(float x, float y) const override;
  // Every slot; then the value text follows the parameter (its display text without unit).
  void SetDirty(bool triggerAction = true, int valIdx = kNoValIdx) override;

  int GetSelectedIdx() const { return SwitchStateIdx(GetValue(0), mNumStates); }
};

class IVToggleControl : public IVSwitchControl
{
public:
  IVToggleControl(const IRECT& bounds, int paramIdx = kNoParameter, const char* label = "",
                  const IVStyle& style = DEFAULT_STYLE, const char* offText = "OFF",
                  const char* onText = "ON");
  IVToggleControl(const IRECT& bounds, IActionFunction actionFunc, const char* label = "",
                  const IVStyle& style = DEFAULT_STYLE, const char* offText = "OFF",
                  const char* onText = "ON", bool isOn = false);

  void DrawWidget(IGraphics& g) override;
  // The on text above 0.5, the off text otherwise, over a kHL highlight when mouseOver is set.
  void DrawValue(IGraphics& g, bool mouseOver) override;

protected:
  std::string mOffText;
  std::string mOnText;
};

class IVSlideSwitchControl : public IVSwitchControl
{
public:
  IVSlideSwitchControl(const IRECT& bounds, int paramIdx = kNoParameter, const char* label = "",
                       const IVStyle& style = DEFAULT_STYLE, bool valueInButton = true,
                       EDirection direction = EDirection::kHorizontal);
  // initialState is taken as the normalized value itself, clamped to 0..1: 0 is the first
  // state and 1 the last, whatever the state count. actionFunc runs after each slide.
  IVSlideSwitchControl(const IRECT& bounds, IActionFunction actionFunc, const char* label = "",
                       const IVStyle& style = DEFAULT_STYLE, bool valueInButton = true,
                       EDirection direction = EDirection::kHorizontal, int numStates = 2,
                       int initialState = 0);

  void Draw(IGraphics& g) override;
  void DrawWidget(IGraphics& g) override;
  virtual void DrawTrack(IGraphics& g, const IRECT& bounds);
  virtual void DrawHandle(IGraphics& g, const IRECT& bounds);
  void OnResize() override;
  // While the slide runs the handle keeps its way from the old state to the new one.
  void SetDirty(bool triggerAction = true, int valIdx = kNoValIdx) override;
  void OnEndAnimation() override;

  // Places the handle (and the start and end of a slide) for the current state.
  void UpdateRects();
  // One animation step: the handle at progress p of its way from start to end.
  void Slide(double progress);

  const IRECT& GetHandleRECT() const { return mHandleRect; }

protected:
  IRECT mStartRect;
  IRECT mEndRect;
  IRECT mHandleRect;
  EDirection mDirection;
};

} // namespace plugin::igraphics
