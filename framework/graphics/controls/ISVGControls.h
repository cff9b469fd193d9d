#pragma once
// Controls that draw SVG images instead of vector shapes, each on one interaction base:
// - ISVGSwitchControl: one image per state; value v shows image (N - 1) x v + 0.5 (truncated)
//   of N states, the last image standing in for states past the end of the list.
// - ISVGButtonControl: momentary button with an off and an on image.
// - ISVGToggleControl: two-state switch with an off and an on image (on above 0.5).
// - ISVGKnobControl: one image turned about its centre from -135 degrees (value 0) to +135
//   (value 1), clockwise.
// - ISVGSliderControl: a track image with a handle image sliding along it.
//
// The controls never load or own their images: they copy ISVG handles loaded through
// IGraphics::LoadSVG, and an empty handle draws nothing. Buttons and toggles may recolour their
// image: every fill colour, or every stroke colour, replaced by one of four colours chosen by
// the state (off, on) and whether the pointer is over the control.
// Main thread only.

#include "framework/graphics/IGraphicsCache.h"
#include "framework/graphics/IKnobControlBase.h"
#include "framework/graphics/ISwitchControlBase.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace plugin::igraphics
{

// How a button or toggle recolours its image.
enum class EColorReplacement : int32_t
{
  kNone = 0,   // the image keeps its own colours
  kFill = 1,   // the chosen colour replaces every fill colour
  kStroke = 2, // the chosen colour replaces every stroke colour
};

// Colours of a recoloured button or toggle: off, on, off under the pointer, on under the pointer.
using ISVGColors = std::array<IColor, 4>;

// The look of a button or toggle: an off and an on image (the same one when recoloured) and how
// they are recoloured.
struct ISVGTwoStateLook
{
  ISVG mOff;
  ISVG mOn;
  ISVGColors mColors = {COLOR_BLACK, COLOR_BLACK, COLOR_BLACK, COLOR_BLACK};
  EColorReplacement mReplacement = EColorReplacement::kNone;

  // The on image above 0.5, in the colour for the state and the pointer's presence.
  void Draw(IGraphics& g, const IControl& control) const;
};

class ISVGSwitchControl : public ISwitchControlBase
{
public:
  // The state count starts as the number of images; bound to a parameter, it becomes the
  // parameter's range when attached.
  ISVGSwitchControl(const IRECT& bounds, std::initializer_list<ISVG> svgs,
                    int paramIdx = kNoParameter, IActionFunction actionFunc = nullptr);

  void Draw(IGraphics& g) override;

  // The image index shown for the current value, within the list (-1 for an empty list).
  int GetImageIdx() const;

protected:
  std::vector<ISVG> mSVGs;
};

class ISVGButtonControl : public IButtonControlBase
{
public:
  ISVGButtonControl(const IRECT& bounds, IActionFunction actionFunc, const ISVG& offImage,
                    const ISVG& onImage);
  // One image for both states, recoloured.
  ISVGButtonControl(const IRECT& bounds, IActionFunction actionFunc, const ISVG& image,
                    const ISVGColors& colors, EColorReplacement replacement);

  void Draw(IGraphics& g) override;
  bool DrawsMouseOver() const override { return true; }

protected:
  ISVGTwoStateLook mLook;
};

class ISVGToggleControl : public ISwitchControlBase
{
public:
  ISVGToggleControl(const IRECT& bounds, IActionFunction actionFunc, const ISVG& offImage,
                    const ISVG& onImage);
  ISVGToggleControl(const IRECT& bounds, int paramIdx, const ISVG& offImage, const ISVG& onImage);
  // One image for both states, recoloured.
  ISVGToggleControl(const IRECT& bounds, IActionFunction actionFunc, const ISVG& image,
                    const ISVGColors& colors, EColorReplacement replacement);
  ISVGToggleControl(const IRECT& bounds, int paramIdx, const ISVG& image, const ISVGColors& colors,
                    EColorReplacement replacement);

  void Draw(IGraphics& g) override;
  bool DrawsMouseOver() const override { return true; }

protected:
  ISVGTwoStateLook mLook;
};

class ISVGKnobControl : public IKnobControlBase
{
public:
  // Dragged vertically with a gearing of 4.
  ISVGKnobControl(const IRECT& bounds, const ISVG& svg, int paramIdx = kNoParameter);

  void Draw(IGraphics& g) override;
  // Replaces the image and redraws without running the action.
  void SetSVG(const ISVG& svg);

protected:
  ISVG mSVG;
  float mStartAngle = -135.f; // degrees at value 0
  float mEndAngle = 135.f;    // degrees at value 1
};

class ISVGSliderControl : public ISliderControlBase
{
public:
  ISVGSliderControl(const IRECT& bounds, const ISVG& handleSvg, const ISVG& trackSvg,
                    int paramIdx = kNoParameter, EDirection direction = EDirection::kVertical,
                    double gearing = DEFAULT_GEARING);

  void Draw(IGraphics& g) override;
  // Fits the track image into the bounds (full height when vertical, full width when
  // horizontal), sizes the handle image in proportion to it and sets the travel: the track
  // less one handle length at its top (vertical) or left (horizontal) end.
  void OnResize() override;

  // The handle's rectangle at a value (a negative value: the current one). Value 1 puts it at
  // the top or right end of the track image, 0 at the bottom or left end.
  IRECT GetHandleBounds(double value = -1.0) const;
  const IRECT& GetTrackSVGBounds() const { return mTrackSVGBounds; }

protected:
  IRECT mTrackSVGBounds;
  IRECT mHandleBoundsAtMax;
  ISVG mHandleSVG;
  ISVG mTrackSVG;
};

} // namespace plugin::igraphics
