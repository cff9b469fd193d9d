#include "framework/graphics/controls/IPanelControl.h"

#include "framework/graphics/IGraphics.h"

namespace plugin::igraphics
{

IPanelControl::IPanelControl(const IRECT& bounds, const IPattern& pattern, bool drawFrame,
                             IContainerFunction attachFunc, IContainerFunction resizeFunc)
  : IContainerBase(bounds, std::move(attachFunc), std::move(resizeFunc)), mPattern(pattern),
    mDrawFrame(drawFrame)
{
  mIgnoreMouse = true;
}

IPanelControl::IPanelControl(const IRECT& bounds, const IColor& color, bool drawFrame,
                             IContainerFunction attachFunc, IContainerFunction resizeFunc)
  : IPanelControl(bounds, IPattern(color), drawFrame, std::move(attachFunc), std::move(resizeFunc))
{
}

void IPanelControl::Draw(IGraphics& g)
{
  g.PathMoveTo(mRECT.L, mRECT.T);
  g.PathLineTo(mRECT.R, mRECT.T);
  g.PathLineTo(mRECT.R, mRECT.B);
  g.PathLineTo(mRECT.L, mRECT.B);
  g.PathClose();
  g.PathFill(mPattern, IFillOptions(), &mBlend);

  if (mDrawFrame)
    g.DrawRect(COLOR_LIGHT_GRAY, mRECT, &mBlend, 1.f);
}

} // namespace plugin::igraphics
