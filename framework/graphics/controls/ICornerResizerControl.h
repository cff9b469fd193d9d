#pragma once
// ICornerResizerControl: the triangle in the editor's bottom-right corner. A press starts the
// graphics context's resize drag (the context resizes or rescales the editor as the pointer
// moves, through the delegate); a double-click returns the editor to its initial size at scale
// 1. It keeps the same size on screen whatever the draw scale. Main thread only.

#include "framework/graphics/IControl.h"

namespace plugin::igraphics
{

class ICornerResizerControl : public IControl
{
public:
  // graphicsBounds: the editor's rectangle (0, 0, width, height) at attachment, which a
  // double-click restores; size: the side of the corner square in screen points.
  ICornerResizerControl(const IRECT& graphicsBounds, float size,
                        const IColor& color = COLOR_TRANSLUCENT,
                        const IColor& mouseOverColor = COLOR_BLACK,
                        const IColor& dragColor = COLOR_BLACK);

  void Draw(IGraphics& g) override;
  void OnRescale() override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseDblClick(float x, float y, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;

protected:
  float mSize;
  bool mMouseOver = false;
  ECursor mPrevCursorType = ECursor::kArrow;
  IRECT mInitialGraphicsBounds;
  IColor mColor;
  IColor mMouseOverColor;
  IColor mDragColor;
};

} // namespace plugin::igraphics
