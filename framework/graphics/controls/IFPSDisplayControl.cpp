#include "framework/graphics/controls/IFPSDisplayControl.h"

#include "framework/graphics/IGraphics.h"

#include <algorithm>
#include <numeric>

namespace plugin::igraphics
{

namespace
{

constexpr int kReadoutLength = 32;

// The graph's height at a reading, as a fraction of the graph: 80 frames per second, 20 ms or
// 100 percent fill it.
float GraphFraction(IFPSDisplayControl::EStyle style, float reading)
{
  switch (style)
  {
  case IFPSDisplayControl::kFPS:
    return std::min(80.f, 1.f / (reading + 0.00001f)) / 80.f;
  case IFPSDisplayControl::kMS:
    return std::min(20.f, reading * 1000.f) / 20.f;
  case IFPSDisplayControl::kPercentage:
    break;
  }
  return std::min(100.f, reading) / 100.f;
}

} // namespace

IFPSDisplayControl::IFPSDisplayControl(const IRECT& bounds, EStyle style, const char* label)
  : IControl(bounds), IVectorBase(DEFAULT_STYLE, false, false), mStyle(style),
    mLabel(label ? label : "")
{
  AttachIControl(this, mLabel.Get());
  SetColor(kBG, COLOR_WHITE);
  const IColor& textColor = GetColor(kFR);
  mLabelText = IText(14.f, textColor, DEFAULT_FONT, EAlign::kNear, EVAlign::kTop, 0.f,
                     DEFAULT_TEXTENTRY_BGCOLOR, DEFAULT_TEXTENTRY_FGCOLOR);
  mMainText = IText(18.f, textColor, DEFAULT_FONT, EAlign::kFar, EVAlign::kTop, 0.f,
                    DEFAULT_TEXTENTRY_BGCOLOR, DEFAULT_TEXTENTRY_FGCOLOR);
  mSubText = IText(15.f, textColor, DEFAULT_FONT, EAlign::kFar, EVAlign::kBottom, 0.f,
                   DEFAULT_TEXTENTRY_BGCOLOR, DEFAULT_TEXTENTRY_FGCOLOR);
}

void IFPSDisplayControl::Update(float reading)
{
  mReadings[mReadPos] = reading;
  mReadPos = (mReadPos + 1) % kNumReadings;
}

void IFPSDisplayControl::OnMouseDown(float /*x*/, float /*y*/, const IMouseMod& /*mod*/)
{
  mStyle = static_cast<EStyle>((mStyle + 1) % 3);
  SetDirty(false);
}

void IFPSDisplayControl::Draw(IGraphics& g)
{
  const float avg = std::accumulate(mReadings.begin(), mReadings.end(), 0.f) / kNumReadings;

  g.FillRect(GetColor(kBG), mRECT);
  g.DrawRect(COLOR_BLACK, mRECT, nullptr, 1.f);

  // The readings oldest first, left to right.
  const IRECT graph = mRECT.GetPadded(-2.f);
  g.PathMoveTo(graph.L, graph.B);
  for (int i = 0; i < kNumReadings; ++i)
  {
    const float reading = mReadings[(mReadPos + i) % kNumReadings];
    const float x = graph.L + static_cast<float>(i) / (kNumReadings - 1) * graph.W();
    g.PathLineTo(x, graph.B - GraphFraction(mStyle, reading) * graph.H());
  }
  g.PathLineTo(mRECT.R, mRECT.B);
  g.PathFill(GetColor(kFG));

  if (mLabel.GetLength() > 0)
    g.DrawText(mLabelText, mLabel.Get(), graph);

  Util_String str;
  switch (mStyle)
  {
  case kFPS:
    // No frame measured yet reads 0, not infinity.
    str.SetFormatted(kReadoutLength, "%.2f FPS", avg > 0.f ? 1.f / avg : 0.f);
    g.DrawText(mMainText, str.Get(), graph);
    str.SetFormatted(kReadoutLength, "%.2f ms", avg * 1000.f);
    g.DrawText(mSubText, str.Get(), graph);
    break;
  case kMS:
    str.SetFormatted(kReadoutLength, "%.2f ms", avg * 1000.f);
    g.DrawText(mMainText, str.Get(), graph);
    break;
  case kPercentage:
    str.SetFormatted(kReadoutLength, "%.1f %%", avg);
    g.DrawText(mMainText, str.Get(), graph);
    break;
  }
}

} // namespace plugin::igraphics
