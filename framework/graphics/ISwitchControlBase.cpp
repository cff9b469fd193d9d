#include "framework/graphics/ISwitchControlBase.h"

#include "framework/core/IPluginParameter.h"

#include <algorithm>
#include <cmath>

namespace plugin::igraphics
{

// ---- Switch

int SwitchStateIdx(double value, int numStates)
{
  // Not a number, or at or below 0: the first state. Above 1 (up to infinity): the last. The
  // value is limited before it becomes an int, so no conversion overflows.
  if (numStates < 2 || !(value > 0.0))
    return 0;
  const int idx = static_cast<int>((numStates - 1) * std::min(value, 1.0) + 0.5);
  return std::clamp(idx, 0, numStates - 1);
}

ISwitchControlBase::ISwitchControlBase(const IRECT& bounds, int paramIdx,
                                       IActionFunction actionFunc, int numStates)
  : IControl(bounds, paramIdx, std::move(actionFunc)), mNumStates(numStates),
    mDisabledState(static_cast<size_t>(std::max(numStates, 0)), false)
{
  mDblAsSingleClick = true;
  SetDirty(false);
}

void ISwitchControlBase::OnInit()
{
  if (const IParam* pParam = GetParam(0))
  {
    mNumStates = static_cast<int>(pParam->GetMax() - pParam->GetMin()) + 1;
    // One flag per state, so that every state of the parameter can be disabled; flags already
    // set keep their state.
    mDisabledState.resize(static_cast<size_t>(std::max(mNumStates, 0)), false);
  }
}

void ISwitchControlBase::OnMouseDown(float /*x*/, float /*y*/, const IMouseMod& /*mod*/)
{
  if (mNumStates == 2)
  {
    const double value = GetValue(0);
    SetValue(value == 0.0 || std::isnan(value) ? 1.0 : 0.0, 0); // NaN reads as 0
  }
  else if (mNumStates < 2)
  {
    SetValue(0.0, 0); // a single state (or none) is always state 0
  }
  else
  {
    const int last = mNumStates - 1;
    const int next = SwitchStateIdx(GetValue(0), mNumStates) + 1;
    SetValue(next > last ? 0.0 : static_cast<double>(next) / last, 0);
  }
  mMouseDown = true;
  SetDirty(true);
}

void ISwitchControlBase::OnMouseUp(float /*x*/, float /*y*/, const IMouseMod& /*mod*/)
{
  mMouseDown = false;
  SetDirty(false);
}

void ISwitchControlBase::OnMouseCaptureLost()
{
  mMouseDown = false;
  SetDirty(false);
}

void ISwitchControlBase::SetStateDisabled(int stateIdx, bool disabled)
{
  if (stateIdx >= 0 && stateIdx < mNumStates && stateIdx < static_cast<int>(mDisabledState.size()))
    mDisabledState[stateIdx] = disabled;
  SetDirty(false);
}

void ISwitchControlBase::SetAllStatesDisabled(bool disabled)
{
  for (size_t i = 0; i < mDisabledState.size(); ++i)
  {
    mDisabledState[i] = disabled;
    SetDirty(false);
  }
  SetDirty(false);
}

bool ISwitchControlBase::GetStateDisabled(int stateIdx) const
{
  if (stateIdx < 0 || stateIdx >= mNumStates || stateIdx >= static_cast<int>(mDisabledState.size()))
    return false;
  return mDisabledState[stateIdx];
}

// ---- Button

IButtonControlBase::IButtonControlBase(const IRECT& bounds, IActionFunction actionFunc)
  : IControl(bounds, kNoParameter, std::move(actionFunc))
{
  mDblAsSingleClick = true;
}

void IButtonControlBase::OnMouseDown(float /*x*/, float /*y*/, const IMouseMod& /*mod*/)
{
  SetValue(1.0, 0);
  SetDirty(true);
}

void IButtonControlBase::OnEndAnimation()
{
  SetValue(0.0, 0);
  IControl::OnEndAnimation();
}

} // namespace plugin::igraphics
