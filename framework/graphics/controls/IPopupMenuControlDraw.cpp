// IPopupMenuControl: drawing. Every part is drawn with its panel's blend, whose weight is the
// panel's opacity, so the fades cost no layout.

#include "framework/graphics/IGraphics.h"
#include "framework/graphics/controls/IPopupMenuControl.h"

#include <algorithm>

namespace plugin::igraphics
{

void IPopupMenuControl::Draw(IGraphics& g)
{
  for (const auto& pPanel : mPanels)
  {
    if (!pPanel->mShouldDraw)
      continue;
    MenuPanel* pP = pPanel.get();
    IBlend* pBlend = &pP->mBlend;
    DrawPanelShadow(g, pP);
    DrawPanelBackground(g, pP);
    for (int i = 0; i < pP->NCells(); ++i)
    {
      const IRECT& cell = pP->mCells[static_cast<size_t>(i)];
      const bool highlighted = (pP == mActivePanel && i == mMouseCell) || i == pP->mHighlightedCell;
      if (pP->IsUpArrow(i) || pP->IsDownArrow(i))
      {
        DrawCellBackground(g, cell, nullptr, highlighted, pBlend);
        if (pP->IsUpArrow(i))
          DrawUpArrow(g, cell, highlighted, pBlend);
        else
          DrawDownArrow(g, cell, highlighted, pBlend);
        continue;
      }
      const IPopupMenu::Item* pItem = pP->ItemOfCell(i);
      if (!pItem)
        break;
      if (pItem->GetIsSeparator())
      {
        DrawSeparator(g, cell, pBlend);
        continue;
      }
      if (!(mState == kFlickering && pP->mClickedCell >= 0))
        DrawCellBackground(g, cell, pItem, highlighted, pBlend);
      mDrawingMenu = pP->mMenu;
      mDrawingIdx = pP->mScrollOffset + i;
      DrawCellText(g, cell, pItem, highlighted, pBlend);
      mDrawingMenu = nullptr;
      if (pItem->GetChecked())
        DrawTick(g, cell, pItem, highlighted, pBlend);
      if (pItem->GetIsSubmenu())
        DrawSubMenuArrow(g, cell, pItem, highlighted, pBlend);
    }
  }
  if (mCallout && !mPanels.empty())
  {
    IBlend* pRootBlend = &mPanels.front()->mBlend;
    DrawCalloutArrow(g, mCalloutRECT, pRootBlend);
    if (mHasSubmenus && mSubmenuOpen)
      DrawSubMenuCalloutArrow(g, mSubMenuCalloutRECT, pRootBlend);
  }
}

IColor IPopupMenuControl::TickColor(bool highlighted) const
{
  return highlighted ? mColors.highlightedText : mColors.text;
}

void IPopupMenuControl::DrawPanelShadow(IGraphics& g, MenuPanel* pPanel)
{
  const float s = mMetrics.dropShadowSize;
  const IRECT& outer = pPanel->mOuterRECT;
  g.DrawFastDropShadow(outer.GetPadded(-s), outer, 2.f, mMetrics.roundness, 10.f, &pPanel->mBlend);
}

void IPopupMenuControl::DrawPanelBackground(IGraphics& g, MenuPanel* pPanel)
{
  g.FillRoundRect(mColors.panelBackground, pPanel->mInnerRECT, mMetrics.roundness, &pPanel->mBlend);
}

void IPopupMenuControl::DrawCellBackground(IGraphics& g, const IRECT& bounds,
                                           const IPopupMenu::Item*, bool highlighted,
                                           IBlend* pBlend)
{
  if (!highlighted)
    return;
  const float pad = mMetrics.panelPadding;
  g.FillRect(mColors.cellHighlight, bounds.GetPadded(-pad, 0.f, pad, 0.f), pBlend);
}

void IPopupMenuControl::DrawCellText(IGraphics& g, const IRECT& bounds,
                                     const IPopupMenu::Item* pItem, bool highlighted,
                                     IBlend* pBlend)
{
  const float t = mMetrics.tickWidth;
  const float textPad = mMetrics.textPadding;
  const IRECT textRect(bounds.L + t / 2.f + std::max(1.f, t) / 2.f + textPad, bounds.T,
                       bounds.R - textPad, bounds.B);
  IText text = mText;
  text.mAlign = EAlign::kNear;
  text.mFGColor = highlighted            ? mColors.highlightedText
                  : !pItem->GetEnabled() ? mColors.disabledText
                                         : mColors.text;
  // The cell being drawn gives the item's number when its menu shows numbers.
  const bool numbered = mDrawingMenu && mDrawingMenu->GetItem(mDrawingIdx) == pItem;
  g.DrawText(text, numbered ? GetItemText(*mDrawingMenu, mDrawingIdx).c_str() : pItem->GetText(),
             textRect, pBlend);
}

void IPopupMenuControl::DrawTick(IGraphics& g, const IRECT& bounds, const IPopupMenu::Item*,
                                 bool highlighted, IBlend* pBlend)
{
  const float t = mMetrics.tickWidth;
  const float side = std::max(1.f, t / 2.f);
  const float cx = bounds.L + t / 2.f;
  const float cy = bounds.MH();
  g.FillRoundRect(TickColor(highlighted),
                  IRECT(cx - side / 2.f, cy - side / 2.f, cx + side / 2.f, cy + side / 2.f), 2.f,
                  pBlend);
}

void IPopupMenuControl::DrawSubMenuArrow(IGraphics& g, const IRECT& bounds, const IPopupMenu::Item*,
                                         bool highlighted, IBlend* pBlend)
{
  const float pad = mMetrics.panelPadding;
  const float h = bounds.H();
  const float cy = bounds.MH();
  const float tip = mSubmenusOpenRight ? bounds.R + pad / 2.f : bounds.L - pad / 2.f;
  const float base = mSubmenusOpenRight ? tip - h / 2.f : tip + h / 2.f;
  g.FillTriangle(TickColor(highlighted), base, cy - h / 4.f, tip, cy, base, cy + h / 4.f, pBlend);
}

void IPopupMenuControl::DrawUpArrow(IGraphics& g, const IRECT& bounds, bool highlighted,
                                    IBlend* pBlend)
{
  const float w = 0.6f * bounds.H();
  const float cx = bounds.MW(), cy = bounds.MH();
  g.FillTriangle(TickColor(highlighted), cx - w / 2.f, cy + w / 2.f, cx + w / 2.f, cy + w / 2.f, cx,
                 cy - w / 2.f, pBlend);
}

void IPopupMenuControl::DrawDownArrow(IGraphics& g, const IRECT& bounds, bool highlighted,
                                      IBlend* pBlend)
{
  const float w = 0.6f * bounds.H();
  const float cx = bounds.MW(), cy = bounds.MH();
  g.FillTriangle(TickColor(highlighted), cx - w / 2.f, cy - w / 2.f, cx + w / 2.f, cy - w / 2.f, cx,
                 cy + w / 2.f, pBlend);
}

void IPopupMenuControl::DrawSeparator(IGraphics& g, const IRECT& bounds, IBlend* pBlend)
{
  // Only once the panel has fully appeared.
  if (!pBlend || pBlend->mWeight <= 0.9f)
    return;
  // A line of the separator's height across the cell (a scrolling panel's cells are one text
  // line high, whatever they show).
  const float h = std::min(mMetrics.separatorHeight, bounds.H());
  const IRECT line(bounds.L, bounds.MH() - h / 2.f, bounds.R, bounds.MH() + h / 2.f);
  g.FillRect(mColors.separator, line, &BLEND_25);
}

void IPopupMenuControl::DrawCalloutArrow(IGraphics& g, const IRECT& bounds, IBlend* pBlend)
{
  const float h = bounds.H();
  const float cx = bounds.MW(), cy = bounds.MH();
  const IColor& c = mColors.panelBackground;
  switch (mCalloutDir)
  {
  case kAbove:
    g.FillTriangle(c, cx - h / 2.f, cy - h / 2.f, cx + h / 2.f, cy - h / 2.f, cx, cy + h / 2.f,
                   pBlend);
    break;
  case kBelow:
    g.FillTriangle(c, cx - h / 2.f, cy + h / 2.f, cx + h / 2.f, cy + h / 2.f, cx, cy - h / 2.f,
                   pBlend);
    break;
  case kRight:
    g.FillTriangle(c, cx + h / 2.f, cy - h / 2.f, cx + h / 2.f, cy + h / 2.f, cx - h / 2.f, cy,
                   pBlend);
    break;
  case kLeft:
    g.FillTriangle(c, cx - h / 2.f, cy - h / 2.f, cx - h / 2.f, cy + h / 2.f, cx + h / 2.f, cy,
                   pBlend);
    break;
  }
}

void IPopupMenuControl::DrawSubMenuCalloutArrow(IGraphics& g, const IRECT& bounds, IBlend* pBlend)
{
  const float h = bounds.H();
  const float cx = bounds.MW(), cy = bounds.MH();
  const IColor& c = mColors.panelBackground;
  if (mSubmenusOpenRight)
    g.FillTriangle(c, cx + h / 2.f, cy - h / 2.f, cx + h / 2.f, cy + h / 2.f, cx - h / 2.f, cy,
                   pBlend);
  else
    g.FillTriangle(c, cx - h / 2.f, cy - h / 2.f, cx - h / 2.f, cy + h / 2.f, cx + h / 2.f, cy,
                   pBlend);
}

} // namespace plugin::igraphics
