#include "framework/graphics/IKnobControlBase.h"

#include "framework/core/IPluginParameter.h"
#include "framework/graphics/IGraphics.h"

#include <algorithm>

namespace plugin::igraphics
{

namespace
{

constexpr double kFineFactor = 10.0;
constexpr double kWheelStep = 0.01;
constexpr double kFineWheelStep = 0.001;

// Slot 0's parameter when it snaps to a step; null otherwise.
const IParam* SteppedParam(const IControl& control)
{
  const IParam* pParam = control.GetParam(0);
  return pParam && pParam->GetStepped() && pParam->GetStep() > 0.0 ? pParam : nullptr;
}

bool FineControl(const IMouseMod& mod)
{
  return mod.C || mod.S;
}

// Adds one drag step to the unsnapped drag value and returns the value to show: the drag
// value itself, or snapped to the step of a stepped parameter. A span of zero points (a
// collapsed control) moves nothing rather than producing a value that is not a number.
double DragStep(const IControl& control, double& dragValue, float delta, float span, double gearing)
{
  if (span != 0.f && gearing != 0.0)
    dragValue = std::clamp(dragValue + static_cast<double>(delta) / span / gearing, 0.0, 1.0);
  if (const IParam* pParam = SteppedParam(control))
    return pParam->ToNormalized(pParam->FromNormalized(dragValue)); // snapped and clamped
  return dragValue;
}

// The value after d wheel notches: one step per notch for a stepped parameter, else 0.01 per
// notch (0.001 with fine control). Clamping to 0..1 is left to SetDirty.
double WheelValue(const IControl& control, const IMouseMod& mod, float d)
{
  const double current = control.GetValue(0);
  if (const IParam* pParam = SteppedParam(control))
  {
    if (d == 0.f)
      return current;
    double value = pParam->FromNormalized(current); // snapped and clamped
    value += d > 0.f ? pParam->GetStep() : -pParam->GetStep();
    return pParam->ToNormalized(value);
  }
  return current + d * (FineControl(mod) ? kFineWheelStep : kWheelStep);
}

// The end of a press, by release or otherwise: the pointer shows again and the pressed look
// goes.
void EndDrag(IControl& control, bool hideCursorOnDrag, bool& mouseDown)
{
  if (hideCursorOnDrag && control.GetUI() && control.GetUI()->IsCursorHidden())
    control.GetUI()->HideMouseCursor(false, true);
  mouseDown = false;
  control.SetDirty(false);
}

} // namespace

// ---- Knob

IKnobControlBase::IKnobControlBase(const IRECT& bounds, int paramIdx, EDirection direction,
                                   double gearing)
  : IControl(bounds, paramIdx), mDirection(direction), mGearing(gearing)
{
}

IKnobControlBase::IKnobControlBase(const IRECT& bounds, IActionFunction actionFunc,
                                   EDirection direction, double gearing)
  : IControl(bounds, std::move(actionFunc)), mDirection(direction), mGearing(gearing)
{
}

bool IKnobControlBase::IsFineControl(const IMouseMod& mod, bool /*wheel*/) const
{
  return FineControl(mod);
}

void IKnobControlBase::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  mMouseDown = true;
  mMouseDragValue = GetValue(0);
  if (mHideCursorOnDrag && GetUI())
    GetUI()->HideMouseCursor(true, true);
  if (mod.R)
    PromptUserInput(GetValIdxForPos(x, y));
}

void IKnobControlBase::OnMouseUp(float /*x*/, float /*y*/, const IMouseMod& /*mod*/)
{
  EndDrag(*this, mHideCursorOnDrag, mMouseDown);
}

void IKnobControlBase::OnMouseCaptureLost()
{
  EndDrag(*this, mHideCursorOnDrag, mMouseDown);
}

void IKnobControlBase::OnMouseDrag(float /*x*/, float /*y*/, float dX, float dY,
                                   const IMouseMod& mod)
{
  const double gearing = IsFineControl(mod, false) ? mGearing * kFineFactor : mGearing;
  const IRECT r = GetKnobDragBounds();
  // Moving the pointer down lowers the value.
  const double shown = mDirection == EDirection::kHorizontal
                         ? DragStep(*this, mMouseDragValue, dX, r.R - r.L, gearing)
                         : DragStep(*this, mMouseDragValue, dY, r.T - r.B, gearing);
  SetValue(shown, 0);
  SetDirty(true);
}

void IKnobControlBase::OnMouseWheel(float /*x*/, float /*y*/, const IMouseMod& mod, float d)
{
  SetValue(WheelValue(*this, mod, d), 0);
  SetDirty(true);
}

// ---- Slider

ISliderControlBase::ISliderControlBase(const IRECT& bounds, int paramIdx, EDirection direction,
                                       double gearing, float handleSize)
  : IControl(bounds, paramIdx), mDirection(direction), mHandleSize(handleSize), mGearing(gearing)
{
}

ISliderControlBase::ISliderControlBase(const IRECT& bounds, IActionFunction actionFunc,
                                       EDirection direction, double gearing, float handleSize)
  : IControl(bounds, std::move(actionFunc)), mDirection(direction), mHandleSize(handleSize),
    mGearing(gearing)
{
}

bool ISliderControlBase::IsFineControl(const IMouseMod& mod, bool /*wheel*/) const
{
  return FineControl(mod);
}

void ISliderControlBase::OnResize()
{
  SetTargetRECT(mRECT);
  mTrack = mRECT;
  SetDirty(false);
}

void ISliderControlBase::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  mMouseDown = true;
  if (!SteppedParam(*this))
    SnapToMouse(x, y, mDirection, mTrack, kNoValIdx, 0.0, 1.0);
  mMouseDragValue = GetValue(0);
  if (mHideCursorOnDrag && GetUI())
    GetUI()->HideMouseCursor(true, true);
  if (mod.R)
    PromptUserInput(GetValIdxForPos(x, y));
}

void ISliderControlBase::OnMouseUp(float /*x*/, float /*y*/, const IMouseMod& /*mod*/)
{
  EndDrag(*this, mHideCursorOnDrag, mMouseDown);
}

void ISliderControlBase::OnMouseCaptureLost()
{
  EndDrag(*this, mHideCursorOnDrag, mMouseDown);
}

void ISliderControlBase::OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod)
{
  // Where the pointer cannot be held, it would run off the track: the drag follows it instead.
  const bool relative = SteppedParam(*this) || (mod.touchID == 0 && mHideCursorOnDrag && GetUI() &&
                                                GetUI()->IsCursorLocked());
  if (!relative)
  {
    SnapToMouse(x, y, mDirection, mTrack, kNoValIdx, 0.0, 1.0);
    return;
  }
  const double gearing = IsFineControl(mod, false) ? mGearing * kFineFactor : mGearing;
  const double shown = mDirection == EDirection::kHorizontal
                         ? DragStep(*this, mMouseDragValue, dX, mTrack.R - mTrack.L, gearing)
                         : DragStep(*this, mMouseDragValue, dY, mTrack.T - mTrack.B, gearing);
  SetValue(shown, 0);
  SetDirty(true);
}

void ISliderControlBase::OnMouseWheel(float /*x*/, float /*y*/, const IMouseMod& mod, float d)
{
  SetValue(WheelValue(*this, mod, d), 0);
  SetDirty(true);
}

} // namespace plugin::igraphics
