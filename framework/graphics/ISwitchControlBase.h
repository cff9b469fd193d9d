#pragma once
// Interaction bases for controls that are clicked rather than dragged:
// - ISwitchControlBase steps through a fixed number of states on each press. Two states toggle
//   (only a value of exactly 0, or not a number, turns on); N other states step by state index:
//   the state shown is round((N - 1) x value), the next one is shown as index / (N - 1), and the
//   last wraps to state 0. (Adding 1 / (N - 1) to the value instead would, through rounding,
//   overshoot 1 and skip the last state for many N.) Bound to a parameter, the switch takes its
//   state count from the parameter's range when attached. Single states can be flagged disabled for
//   derived controls to honour.
// - IButtonControlBase is momentary: a press sets 1 and runs the action; when the action's
//   animation (the click animation of DefaultClickActionFunc) ends, the value returns to 0.
// Both treat a double-click as another press. Main thread only.

#include "framework/graphics/IControl.h"

#include <vector>

namespace plugin::igraphics
{

// The state index that a normalized value selects among numStates states: the integer part of
// (N - 1) x value + 0.5, within 0..N-1 (0 for fewer than two states). A value that is not a
// number reads as 0; one outside 0..1 (infinities included) as the nearer end.
int SwitchStateIdx(double value, int numStates);

class ISwitchControlBase : public IControl
{
public:
  ISwitchControlBase(const IRECT& bounds, int paramIdx = kNoParameter,
                     IActionFunction actionFunc = nullptr, int numStates = 2);

  void OnInit() override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseCaptureLost() override;

  // States outside 0..NStates()-1 are ignored (and read as enabled).
  void SetStateDisabled(int stateIdx, bool disabled);
  void SetAllStatesDisabled(bool disabled);
  bool GetStateDisabled(int stateIdx) const;
  int NStates() const { return mNumStates; }
  bool GetMouseDown() const { return mMouseDown; }

protected:
  int mNumStates;
  std::vector<bool> mDisabledState;
  bool mMouseDown = false;
};

class IButtonControlBase : public IControl
{
public:
  IButtonControlBase(const IRECT& bounds, IActionFunction actionFunc = DefaultClickActionFunc);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnEndAnimation() override;
};

} // namespace plugin::igraphics
