#pragma once
// Vector controls that show values as positions along a track:
// - IVSliderControl: one value on a track (ISliderControlBase: a press jumps to the pointer,
//   a drag moves the value with the gearing). The track is a bar 2 x trackSize thick centred in
//   the widget, shortened by the handle size at each end; its filled part runs from the start
//   (left, or bottom) to the value, and a round handle sits at the value. An editable value
//   text opens the parameter's value prompt when clicked.
// - IVTrackControlBase: the base of multi-track controls, one track per value slot, each slot
//   bound to its own parameter. Tracks are stacked top to bottom (horizontal tracks) or stand
//   side by side (vertical tracks); a track may be quantised to steps, in which case only the
//   step cell holding its value is filled, or drawn from a base level, in which case the
//   filled part spans between the base level and the value with a peak strip at the value.
//   It draws and follows the pointer; deriving controls decide what a press does.
// - IVRangeSliderControl: several triangular handles on one track, each bound to a parameter
//   and kept between its neighbours' values while dragged, with the spans between neighbours
//   filled.
//
// Values are normalized; on a vertical track 1 is at the top. Main thread only.

#include "framework/graphics/controls/IVValueControl.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace plugin::igraphics
{

class IVSliderControl : public IVValueControl<ISliderControlBase>
{
public:
  IVSliderControl(const IRECT& bounds, int paramIdx = kNoParameter, const char* label = "",
                  const IVStyle& style = DEFAULT_STYLE, bool valueIsEditable = false,
                  EDirection direction = EDirection::kVertical, double gearing = DEFAULT_GEARING,
                  float handleSize = 8.f, float trackSize = 2.f, bool handleInTrack = false,
                  float handleOffsetX = 0.f, float handleOffsetY = 0.f);
  IVSliderControl(const IRECT& bounds, IActionFunction actionFunc, const char* label = "",
                  const IVStyle& style = DEFAULT_STYLE, bool valueIsEditable = false,
                  EDirection direction = EDirection::kVertical, double gearing = DEFAULT_GEARING,
                  float handleSize = 8.f, float trackSize = 2.f, bool handleInTrack = false,
                  float handleOffsetX = 0.f, float handleOffsetY = 0.f);

  void DrawWidget(IGraphics& g) override;
  bool DrawsMouseOver() const override { return true; }
  // The whole track in kSH and its filled part in kX1, lengthened by the handle size at each
  // end when the handle rides inside the track.
  virtual void DrawTrack(IGraphics& g, const IRECT& filledArea);
  virtual void DrawHandle(IGraphics& g, const IRECT& bounds);

  void OnResize() override;

  // The filled part of the track and the handle for the current value.
  IRECT GetFilledArea() const;
  IRECT GetHandleBounds() const;

protected:
  bool mHandleInTrack;
  float mHandleOffsetX;
  float mHandleOffsetY;
};

class IVTrackControlBase : public IControl, public IVectorBase
{
public:
  IVTrackControlBase(const IRECT& bounds, const char* label, const IVStyle& style,
                     std::initializer_list<int> params, int nSteps = 0,
                     EDirection direction = EDirection::kVertical,
                     std::initializer_list<const char*> trackNames = {});

  // The track under the point (left and top edges inclusive), or -1.
  int GetValIdxForPos(float x, float y) const override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;
  void OnResize() override;

  void DrawWidget(IGraphics& g) override;
  // kBG with a line in kSH at the base level when there is one.
  void DrawBackground(IGraphics& g, const IRECT& bounds) override;
  virtual void DrawTrack(IGraphics& g, const IRECT& bounds, int trackIdx);
  virtual void DrawTrackBackground(IGraphics& g, const IRECT& bounds, int trackIdx);
  virtual void DrawTrackName(IGraphics& g, const IRECT& bounds, int trackIdx);
  virtual void DrawTrackHandle(IGraphics& g, const IRECT& bounds, int trackIdx, bool aboveBase);
  virtual void DrawPeak(IGraphics& g, const IRECT& bounds, int trackIdx, bool aboveBase);
  virtual void MakeTrackRects(const IRECT& bounds);
  virtual void MakeStepRects(const IRECT& bounds, int steps);

  int NTracks() const { return NVals(); }
  const IRECT& GetTrackBounds(int trackIdx) const { return mTrackRects.at(trackIdx); }
  const std::vector<IRECT>& GetStepRects() const { return mStepRects; }
  // The part of a track that is filled for its value (a step cell for a stepped track), with
  // whether it is drawn at all.
  IRECT GetFilledArea(const IRECT& bounds, int trackIdx, bool& visible) const;
  int GetHoveredTrack() const { return mHoveredTrack; }

  // Settings read by the drawing; each redraws (or lays out again) the control.
  void SetSelectedTrack(int trackIdx);
  void SetBaseLevel(double level);
  void SetTrackGap(float gap);
  void SetPeakLength(float length);
  void SetFrameTracks(bool frame);
  void SetZeroStepCell(bool zeroCell);

protected:
  EDirection mDirection;
  std::vector<IRECT> mTrackRects;
  std::vector<IRECT> mStepRects; // the first is the rightmost (or bottom) cell
  std::vector<std::string> mTrackNames;
  int mNSteps;
  float mTrackGap = 0.f;
  float mPeakLength = 1.f;
  int mSelectedTrack = -1;
  int mHoveredTrack = -1;
  double mBaseLevel = 0.0;
  bool mFrameTracks = true;
  bool mZeroStepCell = true; // a stepped track has a cell for the value 0
};

class IVRangeSliderControl : public IVTrackControlBase
{
public:
  // onlyHandle documents how the control is used: a press moves only the handle under the
  // pointer, the handles being the only part that takes a drag.
  IVRangeSliderControl(const IRECT& bounds, std::initializer_list<int> params,
                       const char* label = "", const IVStyle& style = DEFAULT_STYLE,
                       EDirection direction = EDirection::kHorizontal, bool onlyHandle = false,
                       float handleSize = 8.f, float trackSize = 2.f);

  void Draw(IGraphics& g) override;
  void DrawWidget(IGraphics& g) override;
  // Handle trackIdx as a triangle pointing at the track.
  void DrawTrack(IGraphics& g, const IRECT& bounds, int trackIdx) override;
  void MakeTrackRects(const IRECT& bounds) override;

  // A press picks the handle under the pointer (or the one last hovered) and moves it there.
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseCaptureLost() override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;

  // The rectangle of handle i: below (or left of) the track for even i, above (or right of) it
  // for odd i.
  IRECT GetHandleBounds(int handleIdx) const;
  int GetHoveredHandle() const { return mHoveredHandle; }

protected:
  int HandleAt(float x, float y) const;

  int mHoveredHandle = -1;
  float mHandleSize;
  bool mDragging = false;
};

} // namespace plugin::igraphics
