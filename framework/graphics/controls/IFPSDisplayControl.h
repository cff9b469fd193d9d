#pragma once
// IFPSDisplayControl: the frame-time display. The frame loop hands it each frame's duration in
// seconds (Update); it keeps the last 100, draws them as a filled graph and shows their mean as
// frames per second, milliseconds or percent (a click cycles through the three). It redraws
// every frame. The graphics context shows it through ShowFPSDisplay. Main thread only.

#include "framework/graphics/IControl.h"
#include "framework/graphics/controls/IVectorBase.h"
#include "framework/util/UtilString.h"

#include <array>

namespace plugin::igraphics
{

class IFPSDisplayControl : public IControl, public IVectorBase
{
public:
  static constexpr int kNumReadings = 100;

  enum EStyle
  {
    kFPS = 0,
    kMS,
    kPercentage,
  };

  IFPSDisplayControl(const IRECT& bounds, EStyle style = kFPS, const char* label = "Frame Time");

  void Draw(IGraphics& g) override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  bool IsDirty() override { return true; }

  // Stores one reading (a frame time in seconds) and advances the ring.
  void Update(float reading);
  EStyle GetStyle() const { return mStyle; }

protected:
  EStyle mStyle;
  Util_String mLabel;
  std::array<float, kNumReadings> mReadings = {};
  int mReadPos = 0; // the next reading to write, the oldest one kept
  IText mLabelText;
  IText mMainText;
  IText mSubText;
};

} // namespace plugin::igraphics
