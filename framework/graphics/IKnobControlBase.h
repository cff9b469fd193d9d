#pragma once
// Interaction bases for controls that move one value continuously: a knob (relative drag and
// wheel) and a slider (a value along a track, set by pointing or by relative drag). They turn
// pointer events into edits of value slot 0 and leave Draw to the concrete control.
//
// Gearing is the number of control heights (or widths, for horizontal controls) of pointer
// travel for a full 0..1 sweep: a knob 100 points high with gearing 4 moves 0.25 for a
// 100-point drag. Holding Ctrl or Shift gives fine control: the gearing is multiplied by 10 and
// a wheel notch moves 0.001 instead of 0.01.
//
// Drags are geared and relative: the pointer is hidden at the press and, where the platform can,
// held in place, so it never reaches the screen's edge; it shows again at the release or when
// the press ends otherwise (OnMouseCaptureLost). A slider whose pointer cannot be held follows
// the pointer along its track instead.
//
// A drag accumulates an unsnapped drag value. When slot 0 is bound to a stepped parameter the
// value shown and sent is that drag value snapped to the parameter's step, so a slow drag still
// reaches the next step; the wheel moves such a parameter one step per notch.
// Main thread only.

#include "framework/graphics/IControl.h"

namespace plugin::igraphics
{

inline constexpr double DEFAULT_GEARING = 4.0;
inline constexpr float DEFAULT_HANDLE_SIZE = 8.f;

class IKnobControlBase : public IControl
{
public:
  IKnobControlBase(const IRECT& bounds, int paramIdx = kNoParameter,
                   EDirection direction = EDirection::kVertical, double gearing = DEFAULT_GEARING);
  IKnobControlBase(const IRECT& bounds, IActionFunction actionFunc,
                   EDirection direction = EDirection::kVertical, double gearing = DEFAULT_GEARING);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseCaptureLost() override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnMouseWheel(float x, float y, const IMouseMod& mod, float d) override;

  // The rectangle whose height (or width) a drag is measured against.
  virtual IRECT GetKnobDragBounds() { return mTargetRECT; }

  bool IsFineControl(const IMouseMod& mod, bool wheel) const;
  double GetGearing() const { return mGearing; }
  void SetGearing(double gearing) { mGearing = gearing; }
  bool GetMouseDown() const { return mMouseDown; }

protected:
  bool mHideCursorOnDrag = true;
  EDirection mDirection;
  double mGearing;
  bool mMouseDown = false;
  double mMouseDragValue = 0.0;
};

class ISliderControlBase : public IControl
{
public:
  ISliderControlBase(const IRECT& bounds, int paramIdx = kNoParameter,
                     EDirection direction = EDirection::kVertical, double gearing = DEFAULT_GEARING,
                     float handleSize = DEFAULT_HANDLE_SIZE);
  ISliderControlBase(const IRECT& bounds, IActionFunction actionFunc,
                     EDirection direction = EDirection::kVertical, double gearing = DEFAULT_GEARING,
                     float handleSize = DEFAULT_HANDLE_SIZE);

  // The first press jumps to the pointer, unless slot 0 is bound to a stepped parameter.
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseCaptureLost() override;
  // Relative (geared) for a stepped parameter or a mouse drag with the pointer hidden and held;
  // otherwise the value follows the pointer along the track.
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnMouseWheel(float x, float y, const IMouseMod& mod, float d) override;
  // The track and the target rectangle become the bounds.
  void OnResize() override;

  bool IsFineControl(const IMouseMod& mod, bool wheel) const;
  const IRECT& GetTrackBounds() const { return mTrack; }
  float GetHandleSize() const { return mHandleSize; }
  bool GetMouseDown() const { return mMouseDown; }

protected:
  bool mHideCursorOnDrag = true;
  EDirection mDirection;
  IRECT mTrack;
  float mHandleSize;
  double mGearing;
  bool mMouseDown = false;
  double mMouseDragValue = 0.0;
};

} // namespace plugin::igraphics
