#include "framework/graphics/ISwitchControlBase.h"

#include "framework/plugin/IPluginParameter.h"

#include <algorithm>
#include <cmath>

namespace plugin::igraphics
{

// ---- Switch

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
    SetValue(GetValue(0) == 0.0 ? 1.0 : 0.0, 0);
  }
  else
  {
    // The sum of N - 1 steps may land a rounding error above 1: only a value beyond the least
    // double above 1 wraps. A single state steps by an infinite amount and always wraps to 0.
    const double value = GetValue(0) + 1.0 / (mNumStates - 1);
    SetValue(value > std::nextafter(1.0, 2.0) ? 0.0 : value, 0);
  }
  mMouseDown = true;
  SetDirty(true);
}

void ISwitchControlBase::OnMouseUp(float /*x*/, float /*y*/, const IMouseMod& /*mod*/)
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
