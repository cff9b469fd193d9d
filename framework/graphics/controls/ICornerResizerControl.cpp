#include "framework/graphics/controls/ICornerResizerControl.h"

#include "framework/graphics/IGraphics.h"

namespace plugin::igraphics
{

ICornerResizerControl::ICornerResizerControl(const IRECT& graphicsBounds, float size,
                                             const IColor& color, const IColor& mouseOverColor,
                                             const IColor& dragColor)
  : IControl(
      IRECT(graphicsBounds.R - size, graphicsBounds.B - size, graphicsBounds.R, graphicsBounds.B)),
    mSize(size), mInitialGraphicsBounds(graphicsBounds), mColor(color),
    mMouseOverColor(mouseOverColor), mDragColor(dragColor)
{
}

void ICornerResizerControl::Draw(IGraphics& g)
{
  const IColor& color = g.GetResizingInProcess() ? mDragColor
                        : mMouseOver             ? mMouseOverColor
                                                 : mColor;
  g.FillTriangle(color, mRECT.L, mRECT.B, mRECT.R, mRECT.T, mRECT.R, mRECT.B);
}

void ICornerResizerControl::OnRescale()
{
  if (!GetUI())
    return;
  const float s = mSize / GetUI()->GetDrawScale();
  const float w = static_cast<float>(GetUI()->Width());
  const float h = static_cast<float>(GetUI()->Height());
  SetTargetAndDrawRECTs(IRECT(w - s, h - s, w, h));
}

void ICornerResizerControl::OnMouseDown(float /*x*/, float /*y*/, const IMouseMod& /*mod*/)
{
  if (GetUI())
    GetUI()->SetResizingInProcess(true);
}

void ICornerResizerControl::OnMouseDblClick(float /*x*/, float /*y*/, const IMouseMod& /*mod*/)
{
  if (GetUI())
    GetUI()->Resize(static_cast<int>(mInitialGraphicsBounds.W()),
                    static_cast<int>(mInitialGraphicsBounds.H()), 1.f);
}

void ICornerResizerControl::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  if (!mMouseOver && GetUI())
    mPrevCursorType = GetUI()->SetMouseCursor(ECursor::kSizeNWSE);
  mMouseOver = true;
  IControl::OnMouseOver(x, y, mod);
}

void ICornerResizerControl::OnMouseOut()
{
  if (mMouseOver && GetUI())
    GetUI()->SetMouseCursor(mPrevCursorType);
  mMouseOver = false;
  IControl::OnMouseOut();
}

} // namespace plugin::igraphics
