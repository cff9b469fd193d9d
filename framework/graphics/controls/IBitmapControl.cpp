#include "framework/graphics/controls/IBitmapControl.h"

#include "framework/graphics/IGraphics.h"

namespace plugin::igraphics
{

namespace
{

IRECT FrameRECT(float x, float y, const IBitmapBase& base)
{
  return IRECT(x, y, x + base.FrameWidth(), y + base.FrameHeight());
}

} // namespace

// ---- IBitmapControl

IBitmapControl::IBitmapControl(float x, float y, const IBitmap& bitmap, int paramIdx, EBlend blend)
  : IControl(IRECT(x, y, x, y), paramIdx), IBitmapBase(bitmap)
{
  AttachIControl(this);
  SetTargetAndDrawRECTs(FrameRECT(x, y, *this));
  mBlend = IBlend(blend, 1.f);
}

// ---- ISVGControl

ISVGControl::ISVGControl(const IRECT& bounds, const ISVG& svg, bool useLayer)
  : IControl(bounds), mUseLayer(useLayer), mSVG(svg)
{
}

void ISVGControl::SetSVG(const ISVG& svg)
{
  mSVG = svg;
  mLayer.reset();
  SetDirty(false);
}

void ISVGControl::Draw(IGraphics& g)
{
  if (!mUseLayer)
  {
    g.DrawSVG(mSVG, mRECT, &mBlend);
    return;
  }
  // The image is drawn once into a layer of the bounds' size at the current scales, then the
  // layer is blitted until the bounds or the scales change.
  if (!g.CheckLayer(mLayer))
  {
    g.StartLayer(this, mRECT);
    g.DrawSVG(mSVG, mRECT);
    mLayer = g.EndLayer();
  }
  g.DrawLayer(mLayer, &mBlend);
}

} // namespace plugin::igraphics
