#pragma once
// IWaveformPanelControl: the preview of one cycle of the current sound. It draws a line through
// the instrument's waveform points (nominally -1..1), one point per unit of width from the left
// edge, +1 on the top edge and -1 on the bottom edge, over a background with a horizontal and a
// vertical axis through the centre and a frame.
//
// The points belong to the instrument (Waveform), which renders them again on the main thread
// whenever a parameter that shapes the sound changes and then redraws this panel; the panel only
// reads them while drawing. No points (a null array or fewer than two) draw no line. Main thread
// only.

#include "framework/graphics/IControl.h"

namespace plugin::igraphics
{

class IWaveformPanelControl : public IControl
{
public:
  IWaveformPanelControl(const IRECT& bounds, const IColor& backgroundColor,
                        const IColor& frameColor, const IColor& axisColor, const IColor& curveColor,
                        const double* pPoints, int nPoints);

  void Draw(IGraphics& g) override;
  // The centre line and the vertical scale follow the bounds.
  void OnResize() override;

  // The vertical position of a point's value.
  float YForValue(double value) const
  {
    return static_cast<float>(static_cast<double>(mYScale) * value + mCentreY);
  }

protected:
  IColor mBackgroundColor;
  IColor mFrameColor;
  IColor mAxisColor;
  IColor mCurveColor;
  const double* mPoints; // not owned
  float mCentreY = 0.f;
  float mYScale = 0.f; // points per unit of value: minus half the height
  int mNPoints;
};

} // namespace plugin::igraphics
