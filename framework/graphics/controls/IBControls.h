#pragma once
// Controls drawn from bitmap film strips, each an interaction base of the graphics core joined
// with IBitmapBase, which shows the strip's frame for the control's value (frames counted from 1,
// value 0 the first, 1 the last, drawn at the frame's own size centred on the bounds):
// - IBButtonControl: a momentary button; a press shows the last frame until its click
//   animation ends.
// - IBSwitchControl: each press steps the value by one frame of the strip (1 / (N - 1), or 1
//   for a strip of one frame) and wraps to 0 past the last.
// - IBKnobControl: a knob (relative drag and wheel) showing the frame for its value.
// - IBKnobRotaterControl: a knob drawn as one bitmap turned from -130 degrees (value 0) to
//   +130 (value 1), clockwise.
// - IBSliderControl: a handle bitmap travelling along a track bitmap (or, without one, along
//   the bounds). The travel is the track less the handle strip's whole height (vertical) or
//   width (horizontal); the handle is drawn from the strip's first frame.
// - IBTextControl: text drawn from a bitmap font, one frame per character from the space on.
// - IBMeterControl: a level meter fed by messages from the delegate (tag 0): byte 4..7 the
//   channel count (int32), byte 16..19 the first channel's level (float32, linear amplitude),
//   shown logarithmically over a range in dB or linearly. A plug-in that meters its audio
//   hands the levels to the editor through its processor-to-editor queues and sends the
//   message from the main thread; the meter shares no memory with the audio thread.
// The controls keep copies of bitmap handles from the graphics context's cache and fetch them
// again when the screen scale changes. Main thread only.

#include "framework/graphics/IKnobControlBase.h"
#include "framework/graphics/ISwitchControlBase.h"
#include "framework/graphics/controls/IBitmapBase.h"
#include "framework/graphics/controls/IBitmapControl.h"
#include "framework/graphics/controls/ITextControl.h"

namespace plugin::igraphics
{

class IBButtonControl : public IButtonControlBase, public IBitmapBase
{
public:
  IBButtonControl(float x, float y, const IBitmap& bitmap,
                  IActionFunction actionFunc = DefaultClickActionFunc);
  // A frame-sized rectangle centred on bounds.
  IBButtonControl(const IRECT& bounds, const IBitmap& bitmap,
                  IActionFunction actionFunc = DefaultClickActionFunc);

  void Draw(IGraphics& g) override { DrawBitmap(g); }
  void OnRescale() override { Rescale(); }
};

class IBSwitchControl : public ISwitchControlBase, public IBitmapBase
{
public:
  IBSwitchControl(float x, float y, const IBitmap& bitmap, int paramIdx = kNoParameter);
  IBSwitchControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx = kNoParameter);

  void Draw(IGraphics& g) override { DrawBitmap(g); }
  // Steps by one frame of the strip, whatever the parameter's state count.
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnRescale() override { Rescale(); }
};

class IBKnobControl : public IKnobControlBase, public IBitmapBase
{
public:
  IBKnobControl(float x, float y, const IBitmap& bitmap, int paramIdx = kNoParameter,
                EDirection direction = EDirection::kVertical, double gearing = DEFAULT_GEARING);
  IBKnobControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx = kNoParameter,
                EDirection direction = EDirection::kVertical, double gearing = DEFAULT_GEARING);

  void Draw(IGraphics& g) override { DrawBitmap(g); }
  void OnRescale() override { Rescale(); }
};

class IBKnobRotaterControl : public IBKnobControl
{
public:
  // The bounds measure the whole bitmap.
  IBKnobRotaterControl(float x, float y, const IBitmap& bitmap, int paramIdx = kNoParameter);
  IBKnobRotaterControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx = kNoParameter);

  void Draw(IGraphics& g) override;
  // Degrees clockwise from upright: -130 at value 0, +130 at value 1.
  double GetAngle() const { return GetValue(0) * 260.0 - 130.0; }
};

class IBSliderControl : public ISliderControlBase, public IBitmapBase
{
public:
  // Vertical: as wide as the handle strip and trackLength high; horizontal: trackLength wide
  // and as high as the handle strip.
  IBSliderControl(float x, float y, float trackLength, const IBitmap& handleBitmap,
                  const IBitmap& trackBitmap, int paramIdx = kNoParameter,
                  EDirection direction = EDirection::kVertical, double gearing = DEFAULT_GEARING);
  IBSliderControl(const IRECT& bounds, const IBitmap& handleBitmap, const IBitmap& trackBitmap,
                  int paramIdx = kNoParameter, EDirection direction = EDirection::kVertical,
                  double gearing = DEFAULT_GEARING);

  void Draw(IGraphics& g) override;
  // The travel: the track bitmap's frame centred on the bounds, or without one a strip as wide
  // (or high) as the handle across the bounds.
  void OnResize() override;
  // Only the handle is fetched again; the track keeps its scale.
  void OnRescale() override { Rescale(); }

  // The handle's rectangle at a value (a negative value: the current one).
  IRECT GetHandleBounds(double value = -1.0) const;
  const IBitmap& GetTrackBitmap() const { return mTrackBitmap; }

protected:
  IRECT TrackFrameBounds() const;

  IBitmap mTrackBitmap;
};

class IBTextControl : public ITextControl, public IBitmapBase
{
public:
  IBTextControl(const IRECT& bounds, const IBitmap& fontBitmap, const IText& text = DEFAULT_TEXT,
                const char* str = "", int charWidth = 6, int charHeight = 12, int charOffset = 0,
                bool multiLine = false, bool vCenter = true, EBlend blend = EBlend::kDefault);

  void Draw(IGraphics& g) override;
  void OnRescale() override { Rescale(); }

protected:
  int mCharWidth;
  int mCharHeight;
  int mCharOffset;
  bool mMultiLine;
  bool mVCentre;
};

class IBMeterControl : public IBitmapControl
{
public:
  enum EResponse
  {
    kLinear = 0,
    kLog = 1,
  };

  // The level message: 20 bytes, the channel count at byte 4, the first level at byte 16.
  static constexpr int kMsgSize = 20;
  static constexpr int kChannelCountOffset = 4;
  static constexpr int kLevelOffset = 16;

  IBMeterControl(float x, float y, const IBitmap& bitmap, int paramIdx = kNoParameter,
                 float highDB = 12.f, float lowDB = -60.f, EResponse response = kLog);

  // Takes a level from a message with tag 0 while enabled, and redraws without telling the
  // host; any other message is dropped.
  void OnMsgFromDelegate(int msgTag, int dataSize, const void* pData) override;

  // The value shown for a level: (|low| + 20 log10 |level|) / |high - low| in dB, clamped to
  // 0..1 (0 for silence), or the level itself clamped, for a linear meter.
  double LevelToValue(float level) const;

protected:
  float mHighDB;
  float mLowDB;
  EResponse mResponse;
};

} // namespace plugin::igraphics
