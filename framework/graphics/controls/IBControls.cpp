#include "framework/graphics/controls/IBControls.h"

#include "framework/graphics/IGraphics.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace plugin::igraphics
{

namespace
{

IRECT FrameAt(float x, float y, const IBitmap& bitmap)
{
  return IRECT(x, y, x + IBitmapBase::FrameWidth(bitmap), y + IBitmapBase::FrameHeight(bitmap));
}

IRECT FrameIn(const IRECT& bounds, const IBitmap& bitmap)
{
  return bounds.GetCentredInside(IBitmapBase::FrameWidth(bitmap), IBitmapBase::FrameHeight(bitmap));
}

IRECT SliderBounds(float x, float y, float length, const IBitmap& handle, EDirection direction)
{
  return direction == EDirection::kVertical
           ? IRECT(x, y, x + static_cast<float>(handle.W()), y + length)
           : IRECT(x, y, x + length, y + static_cast<float>(handle.H()));
}

float HandleSize(const IBitmap& handle, EDirection direction)
{
  return static_cast<float>(direction == EDirection::kVertical ? handle.H() : handle.W());
}

} // namespace

// ---- IBButtonControl

IBButtonControl::IBButtonControl(float x, float y, const IBitmap& bitmap,
                                 IActionFunction actionFunc)
  : IButtonControlBase(FrameAt(x, y, bitmap), std::move(actionFunc)), IBitmapBase(bitmap)
{
  AttachIControl(this);
}

IBButtonControl::IBButtonControl(const IRECT& bounds, const IBitmap& bitmap,
                                 IActionFunction actionFunc)
  : IButtonControlBase(FrameIn(bounds, bitmap), std::move(actionFunc)), IBitmapBase(bitmap)
{
  AttachIControl(this);
}

// ---- IBSwitchControl

IBSwitchControl::IBSwitchControl(float x, float y, const IBitmap& bitmap, int paramIdx)
  : ISwitchControlBase(FrameAt(x, y, bitmap), paramIdx, nullptr, 2), IBitmapBase(bitmap)
{
  AttachIControl(this);
}

IBSwitchControl::IBSwitchControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx)
  : ISwitchControlBase(FrameIn(bounds, bitmap), paramIdx, nullptr, 2), IBitmapBase(bitmap)
{
  AttachIControl(this);
}

void IBSwitchControl::OnMouseDown(float /*x*/, float /*y*/, const IMouseMod& /*mod*/)
{
  const int n = mBitmap.N();
  const double step = n < 2 ? 1.0 : 1.0 / (n - 1);
  const double value = GetValue(0) + step;
  SetValue(value > 1.001 ? 0.0 : value, 0);
  mMouseDown = true;
  SetDirty(true);
}

// ---- IBKnobControl

IBKnobControl::IBKnobControl(float x, float y, const IBitmap& bitmap, int paramIdx,
                             EDirection direction, double gearing)
  : IKnobControlBase(FrameAt(x, y, bitmap), paramIdx, direction, gearing), IBitmapBase(bitmap)
{
  AttachIControl(this);
}

IBKnobControl::IBKnobControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx,
                             EDirection direction, double gearing)
  : IKnobControlBase(bounds, paramIdx, direction, gearing), IBitmapBase(bitmap)
{
  AttachIControl(this);
}

// ---- IBKnobRotaterControl

IBKnobRotaterControl::IBKnobRotaterControl(float x, float y, const IBitmap& bitmap, int paramIdx)
  : IBKnobControl(
      IRECT(x, y, x + static_cast<float>(bitmap.W()), y + static_cast<float>(bitmap.H())), bitmap,
      paramIdx)
{
}

IBKnobRotaterControl::IBKnobRotaterControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx)
  : IBKnobControl(bounds, bitmap, paramIdx)
{
}

void IBKnobRotaterControl::Draw(IGraphics& g)
{
  g.DrawRotatedBitmap(mBitmap, mRECT.MW(), mRECT.MH(), static_cast<float>(GetAngle()), &mBlend);
}

// ---- IBSliderControl

IBSliderControl::IBSliderControl(float x, float y, float trackLength, const IBitmap& handleBitmap,
                                 const IBitmap& trackBitmap, int paramIdx, EDirection direction,
                                 double gearing)
  : IBSliderControl(SliderBounds(x, y, trackLength, handleBitmap, direction), handleBitmap,
                    trackBitmap, paramIdx, direction, gearing)
{
}

IBSliderControl::IBSliderControl(const IRECT& bounds, const IBitmap& handleBitmap,
                                 const IBitmap& trackBitmap, int paramIdx, EDirection direction,
                                 double gearing)
  : ISliderControlBase(bounds, paramIdx, direction, gearing, HandleSize(handleBitmap, direction)),
    IBitmapBase(handleBitmap), mTrackBitmap(trackBitmap)
{
  AttachIControl(this);
}

IRECT IBSliderControl::TrackFrameBounds() const
{
  return FrameIn(mRECT, mTrackBitmap);
}

void IBSliderControl::OnResize()
{
  if (mTrackBitmap.IsValid())
  {
    mTrack = TrackFrameBounds();
  }
  else if (mDirection == EDirection::kVertical)
  {
    const float hw = static_cast<float>(mBitmap.W()) / 2.f;
    mTrack = IRECT(mRECT.MW() - hw, mRECT.T, mRECT.MW() + hw, mRECT.B);
  }
  else
  {
    const float hh = static_cast<float>(mBitmap.H()) / 2.f;
    mTrack = IRECT(mRECT.L, mRECT.MH() - hh, mRECT.R, mRECT.MH() + hh);
  }
  SetDirty(false);
}

IRECT IBSliderControl::GetHandleBounds(double value) const
{
  const float v = static_cast<float>(value < 0.0 ? GetValue(0) : value);
  float x = mTrack.L;
  float y = mTrack.T;
  if (mDirection == EDirection::kVertical)
    y += (1.f - v) * (mTrack.H() - static_cast<float>(mBitmap.H()));
  else
    x += v * (mTrack.W() - static_cast<float>(mBitmap.W()));
  return FrameAt(x, y, mBitmap);
}

void IBSliderControl::Draw(IGraphics& g)
{
  if (mTrackBitmap.IsValid())
    g.DrawBitmap(mTrackBitmap, TrackFrameBounds(), 1, &mBlend);
  g.DrawBitmap(mBitmap, GetHandleBounds(), 1, &mBlend);
}

// ---- IBTextControl

IBTextControl::IBTextControl(const IRECT& bounds, const IBitmap& fontBitmap, const IText& text,
                             const char* str, int charWidth, int charHeight, int charOffset,
                             bool multiLine, bool vCenter, EBlend blend)
  : ITextControl(bounds, str, text, DEFAULT_BGCOLOR, false), IBitmapBase(fontBitmap),
    mCharWidth(charWidth), mCharHeight(charHeight), mCharOffset(charOffset), mMultiLine(multiLine),
    mVCentre(vCenter)
{
  mBlend = IBlend(blend, 1.f);
  AttachIControl(this);
}

void IBTextControl::Draw(IGraphics& g)
{
  g.DrawBitmapedText(mBitmap, mRECT, mText, &mBlend, mStr.Get(), mVCentre, mMultiLine, mCharWidth,
                     mCharHeight, mCharOffset);
}

// ---- IBMeterControl

IBMeterControl::IBMeterControl(float x, float y, const IBitmap& bitmap, int paramIdx, float highDB,
                               float lowDB, EResponse response)
  : IBitmapControl(x, y, bitmap, paramIdx), mHighDB(highDB), mLowDB(lowDB), mResponse(response)
{
}

double IBMeterControl::LevelToValue(float level) const
{
  double value = 0.0;
  if (mResponse == kLog)
  {
    const double range = std::fabs(static_cast<double>(mHighDB) - mLowDB);
    if (level != 0.f && range > 0.0)
      value =
        (std::fabs(mLowDB) + 20.0 * std::log10(std::fabs(static_cast<double>(level)))) / range;
  }
  else
  {
    value = level;
  }
  return std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0;
}

void IBMeterControl::OnMsgFromDelegate(int msgTag, int dataSize, const void* pData)
{
  if (msgTag != 0 || IsDisabled())
    return;
  float level = 0.f;
  if (dataSize >= kMsgSize && pData)
  {
    const auto* bytes = static_cast<const uint8_t*>(pData);
    int32_t channels = 0;
    std::memcpy(&channels, bytes + kChannelCountOffset, sizeof(channels));
    if (channels < 1)
    {
      SetDirty(false);
      return;
    }
    std::memcpy(&level, bytes + kLevelOffset, sizeof(level));
  }
  SetValue(LevelToValue(level), 0);
  SetDirty(false);
}

} // namespace plugin::igraphics
