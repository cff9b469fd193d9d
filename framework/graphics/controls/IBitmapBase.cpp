#include "framework/graphics/controls/IBitmapBase.h"

#include "framework/graphics/IControl.h"
#include "framework/graphics/IGraphics.h"
#include "framework/graphics/ISwitchControlBase.h"

#include <algorithm>

namespace plugin::igraphics
{

int IBitmapBase::GetFrame() const
{
  const int n = mBitmap.N();
  if (!mBitmap.IsValid() || n < 1)
    return 0;
  if (n < 2 || !mControl)
    return 1;
  return SwitchStateIdx(mControl->GetValue(0), n) + 1;
}

float IBitmapBase::FrameWidth(const IBitmap& bitmap)
{
  if (bitmap.N() < 1)
    return 0.f;
  return static_cast<float>(bitmap.GetFramesAreHorizontal() ? bitmap.W() / bitmap.N() : bitmap.W());
}

float IBitmapBase::FrameHeight(const IBitmap& bitmap)
{
  if (bitmap.N() < 1)
    return 0.f;
  return static_cast<float>(bitmap.GetFramesAreHorizontal() ? bitmap.H() : bitmap.H() / bitmap.N());
}

IRECT IBitmapBase::GetFrameBounds(const IRECT& r) const
{
  return r.GetCentredInside(FrameWidth(), FrameHeight());
}

void IBitmapBase::DrawBitmap(IGraphics& g)
{
  const int frame = GetFrame();
  if (frame < 1 || !mControl)
    return;
  g.DrawBitmap(mBitmap, GetFrameBounds(mControl->GetRECT()), frame, &mControl->GetBlend());
}

void IBitmapBase::Rescale()
{
  IGraphics* pGraphics = mControl ? mControl->GetUI() : nullptr;
  if (!pGraphics)
    return;
  // A strip that cannot be fetched again (not loaded by name, or gone from the resources) keeps
  // the bitmap it has rather than drawing nothing from then on.
  const IBitmap scaled = pGraphics->GetScaledBitmap(mBitmap);
  if (scaled.IsValid())
    mBitmap = scaled;
}

} // namespace plugin::igraphics
