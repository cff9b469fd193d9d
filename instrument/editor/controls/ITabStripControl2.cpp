#include "instrument/editor/controls/ITabStripControl2.h"

#include "framework/graphics/IGraphics.h"

#include <algorithm>

namespace plugin::igraphics
{

// ---- ITabStripControl2

ITabStripControl2::ITabStripControl2(const IRECT& bounds)
  : IControl(bounds, kNoParameter, EmptyClickActionFunc)
{
}

ITabStripControl2::~ITabStripControl2()
{
  for (ITabPanel* pPanel : mPanels)
    delete pPanel;
}

void ITabStripControl2::AddTab(ITabPanel* pPanel, const ISVG& selected, const ISVG& unselected,
                               const IRECT& tabBounds)
{
  mPanels.push_back(pPanel);
  mSelectedPictures.push_back(selected);
  mUnselectedPictures.push_back(unselected);
  mTabBounds.push_back(tabBounds);
  ++mLastIdx;
}

void ITabStripControl2::SelectTab(int index)
{
  mSelectedIdx = std::min(index, mLastIdx);
  for (int p = 0; p <= mLastIdx; ++p)
  {
    ITabPanel* pPanel = mPanels[static_cast<size_t>(p)];
    if (!pPanel)
      continue;
    pPanel->mHidden = p != mSelectedIdx;
    for (int i = 0; i < pPanel->mControls.GetSize(); ++i)
      if (IControl* pControl = pPanel->mControls.Get(i))
        pControl->Hide(pPanel->mHidden);
  }
}

void ITabStripControl2::OnMouseDown(float x, float y, const IMouseMod&)
{
  if (mLastIdx < 0 || mTabBounds.empty())
    return;
  for (int i = 0; i <= mLastIdx; ++i)
  {
    const IRECT& r = mTabBounds[static_cast<size_t>(i)];
    const bool unset = r.L == 0.f && r.T == 0.f && r.R == 0.f && r.B == 0.f;
    // A hit on the selected tab passes over, like a miss.
    if (!unset && r.Contains(x, y) && i != mSelectedIdx)
    {
      SelectTab(i);
      SetDirty(true, kNoValIdx);
      return;
    }
  }
}

void ITabStripControl2::Draw(IGraphics& g)
{
  for (int i = 0; i <= mLastIdx; ++i)
  {
    const auto at = static_cast<size_t>(i);
    g.DrawSVG(i == mSelectedIdx ? mSelectedPictures[at] : mUnselectedPictures[at], mTabBounds[at]);
  }
}

// ---- IFrameLabelControl

IFrameLabelControl::IFrameLabelControl(const IRECT& bounds, const char* title,
                                       const IText& titleText, float titleBarHeight,
                                       const IColor& frameColor, const IColor& bgColor,
                                       bool showTitleBar, bool showFrame)
  : IControl(bounds), mTitleText(titleText), mTitleBarHeight(titleBarHeight),
    mTitle(title ? title : ""), mFrameColor(frameColor), mBGColor(bgColor),
    mShowTitleBar(showTitleBar), mShowFrame(showFrame)
{
}

IRECT IFrameLabelControl::GetTitleBarRECT() const
{
  return IRECT(mRECT.L, mRECT.T, mRECT.R, std::min(mRECT.B, mRECT.T + mTitleBarHeight));
}

bool IFrameLabelControl::IsOpaqueOver(const IRECT& r) const
{
  return mShowFrame && mBGColor.A == 255 && mRECT.Contains(r);
}

void IFrameLabelControl::Draw(IGraphics& g)
{
  if (mShowFrame)
  {
    g.FillRect(mBGColor, mRECT);
    // The outline's stroke inside the bounds: one crisp pixel wide at scale 1.
    g.DrawRect(mFrameColor, mRECT.GetPadded(-0.5f));
  }
  if (mShowTitleBar)
  {
    const IRECT bar = GetTitleBarRECT();
    g.FillRect(mFrameColor, bar);
    g.DrawText(mTitleText, mTitle.Get(), bar);
  }
}

} // namespace plugin::igraphics
