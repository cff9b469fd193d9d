#include "instrument/editor/controls/IWaveformPanelControl.h"

#include "framework/graphics/IGraphics.h"

namespace plugin::igraphics
{

IWaveformPanelControl::IWaveformPanelControl(const IRECT& bounds, const IColor& backgroundColor,
                                             const IColor& frameColor, const IColor& axisColor,
                                             const IColor& curveColor, const double* pPoints,
                                             int nPoints)
  : IControl(bounds), mBackgroundColor(backgroundColor), mFrameColor(frameColor),
    mAxisColor(axisColor), mCurveColor(curveColor), mPoints(pPoints), mNPoints(nPoints)
{
  mIgnoreMouse = true;
  OnResize();
}

void IWaveformPanelControl::OnResize()
{
  mCentreY = mRECT.T + mRECT.H() * 0.5f;
  mYScale = mRECT.H() * -0.5f;
}

void IWaveformPanelControl::Draw(IGraphics& g)
{
  const IRECT& b = mRECT;
  g.FillRect(mBackgroundColor, b);
  g.DrawLine(mAxisColor, b.L, mCentreY, b.R, mCentreY, nullptr, 1.f);
  g.DrawLine(mAxisColor, b.MW(), b.T, b.MW(), b.B, nullptr, 1.f);
  g.DrawRect(mFrameColor, b, nullptr, 1.f);

  if (!mPoints || mNPoints < 2)
    return;
  // One stroked polyline of mNPoints - 1 segments, so that the joins stay clean.
  g.PathClear();
  g.PathMoveTo(b.L, YForValue(mPoints[0]));
  for (int i = 1; i < mNPoints; ++i)
    g.PathLineTo(b.L + static_cast<float>(i), YForValue(mPoints[i]));
  g.PathStroke(IPattern(mCurveColor), 1.f);
}

} // namespace plugin::igraphics
