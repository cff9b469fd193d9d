// IGraphics: the built-in controls the context attaches by itself: backgrounds, the corner
// resizer, value bubbles and the frame-time display.

#include "framework/graphics/IGraphics.h"
#include "framework/graphics/controls/IBitmapControl.h"
#include "framework/graphics/controls/IBubbleControl.h"
#include "framework/graphics/controls/ICornerResizerControl.h"
#include "framework/graphics/controls/IFPSDisplayControl.h"
#include "framework/graphics/controls/IPanelControl.h"

namespace plugin::igraphics
{

IControl* IGraphics::AttachPanelBackground(const IPattern& pattern)
{
  return AttachBackgroundControl(new IPanelControl(GetBounds(), pattern, false));
}

IControl* IGraphics::AttachBackground(const char* fileName)
{
  return AttachBackgroundControl(new IBitmapControl(0.f, 0.f, LoadBitmap(fileName, 1)));
}

IControl* IGraphics::AttachSVGBackground(const char* fileName)
{
  return AttachBackgroundControl(new ISVGControl(GetBounds(), LoadSVG(fileName, "px", 72.f)));
}

void IGraphics::AttachCornerResizer(EUIResizerMode sizeMode, bool layoutOnResize,
                                    const IColor& color, const IColor& mouseOverColor,
                                    const IColor& dragColor, float size)
{
  AttachCornerResizer(
    new ICornerResizerControl(GetBounds(), size, color, mouseOverColor, dragColor), sizeMode,
    layoutOnResize);
}

void IGraphics::AttachBubbleControl(const IText& text)
{
  AttachBubbleControl(new IBubbleControl(text, COLOR_WHITE, COLOR_BLACK, 5.f));
}

void IGraphics::AttachBubbleControl(IBubbleControl* pControl)
{
  if (!pControl)
    return;
  ControlPass pass(*this);
  InitControl(pControl);
  mBubbleControls.emplace_back(pControl);
}

IBubbleControl* IGraphics::GetBubbleControl(int idx) const
{
  return idx >= 0 && idx < NBubbleControls() ? mBubbleControls[idx].get() : nullptr;
}

void IGraphics::ShowBubbleControl(IControl* pCaller, float x, float y, const char* str,
                                  EDirection dir, IRECT minimumContentBounds, ITouchID touchID)
{
  if (mBubbleControls.empty() || !pCaller)
    return;
  ControlPass pass(*this);

  if (!mEnableMultiTouch)
  {
    mBubbleControls[0]->ShowBubble(pCaller, x, y, str, dir, minimumContentBounds, touchID);
    return;
  }

  // The caller's single touch picks the bubble already bound to it, else a free one (a bubble
  // at rest has touch 0). A caller held by several touches, or none, uses touch 0.
  std::vector<ITouchID> touches;
  GetTouches(pCaller, touches);
  const ITouchID touch = touches.size() == 1 ? touches[0] : 0;
  IBubbleControl* pFree = nullptr;
  for (const auto& pBubble : mBubbleControls)
  {
    if (pBubble->GetTouchID() == touch)
    {
      pBubble->ShowBubble(pCaller, x, y, str, dir, minimumContentBounds, touch);
      return;
    }
    if (!pFree && pBubble->GetState() == IBubbleControl::kHidden)
      pFree = pBubble.get();
  }
  if (pFree)
    pFree->ShowBubble(pCaller, x, y, str, dir, minimumContentBounds, touch);
}

void IGraphics::ShowFPSDisplay(bool enable)
{
  if (enable && !mPerfDisplay)
  {
    mPerfDisplay = std::make_unique<IFPSDisplayControl>(IRECT(10.f, 10.f, 210.f, 60.f),
                                                        IFPSDisplayControl::kFPS, "Frame Time");
    ControlPass pass(*this);
    InitControl(mPerfDisplay.get());
  }
  else if (!enable && mPerfDisplay)
  {
    RetireControl(std::move(mPerfDisplay));
    mMouseOver = nullptr;
    mMouseOverIdx = -1;
  }
  SetAllControlsDirty();
}

} // namespace plugin::igraphics
