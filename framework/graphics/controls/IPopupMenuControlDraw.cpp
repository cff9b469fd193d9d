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
      if (pP->IsArrow(i))
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
      // A title heads its items; it is never shown as under the pointer.
      const bool shown = highlighted && !pItem->GetIsTitle();
      if (!(mState == kFlickering && pP->mClickedCell >= 0))
        DrawCellBackground(g, cell, pItem, shown, pBlend);
      mDrawingMenu = pP->mMenu;
      mDrawingIdx = pP->mScrollOffset + i;
      DrawCellText(g, cell, pItem, shown, pBlend);
      mDrawingMenu = nullptr;
      if (pItem->GetChecked())
        DrawTick(g, cell, pItem, shown, pBlend);
      if (pItem->GetIsSubmenu())
        DrawSubMenuArrow(g, cell, pItem, shown, pBlend);
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

void IPopupMenuControl::StrokeChevron(IGraphics& g, float x0, float y0, float x1, float y1,
                                      float x2, float y2, float thickness, bool highlighted,
                                      IBlend* pBlend)
{
  g.PathClear();
  g.PathMoveTo(x0, y0);
  g.PathLineTo(x1, y1);
  g.PathLineTo(x2, y2);
  IStrokeOptions options;
  options.mCapOption = ELineCap::kRound;
  options.mJoinOption = ELineJoin::kRound;
  g.PathStroke(IPattern(highlighted ? mColors.highlightedText : mColors.text), thickness, options,
               pBlend);
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
  // Across the panel's padding, short of its edges by a little, with softened corners.
  const float pad = mMetrics.panelPadding;
  const float reach = std::max(pad - 2.f, 0.f);
  g.FillRoundRect(mColors.cellHighlight, bounds.GetPadded(-reach, 0.f, reach, 0.f),
                  std::min(mMetrics.roundness, 4.f), pBlend);
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
  // Titles stand out in the accent colour.
  text.mFGColor = highlighted            ? mColors.highlightedText
                  : !pItem->GetEnabled() ? mColors.disabledText
                  : pItem->GetIsTitle()  ? mColors.cellHighlight
                                         : mColors.text;
  // The cell being drawn gives the item's number when its menu shows numbers.
  const bool numbered = mDrawingMenu && mDrawingMenu->GetItem(mDrawingIdx) == pItem;
  g.DrawText(text, numbered ? GetItemText(*mDrawingMenu, mDrawingIdx).c_str() : pItem->GetText(),
             textRect, pBlend);
}

void IPopupMenuControl::DrawTick(IGraphics& g, const IRECT& bounds, const IPopupMenu::Item*,
                                 bool highlighted, IBlend* pBlend)
{
  // A check mark in a square of half the tick width, centred in the tick's column.
  const float t = mMetrics.tickWidth;
  const float side = std::max(1.f, t / 2.f);
  const float cx = bounds.L + t / 2.f;
  const float cy = bounds.MH();
  StrokeChevron(g, cx - side * 0.5f, cy + side * 0.02f, cx - side * 0.12f, cy + side * 0.42f,
                cx + side * 0.55f, cy - side * 0.45f, std::max(1.f, side * 0.3f), highlighted,
                pBlend);
}

void IPopupMenuControl::DrawSubMenuArrow(IGraphics& g, const IRECT& bounds, const IPopupMenu::Item*,
                                         bool highlighted, IBlend* pBlend)
{
  // A chevron pointing where the submenu opens, its tip half the padding past the cell.
  const float pad = mMetrics.panelPadding;
  const float size = std::min(bounds.H(), mText.mSize) * 0.5f;
  const float cy = bounds.MH();
  const float tip =
    mSubmenusOpenRight ? bounds.R + pad / 2.f - size * 0.5f : bounds.L - pad / 2.f + size * 0.5f;
  const float back = mSubmenusOpenRight ? tip - size * 0.5f : tip + size * 0.5f;
  StrokeChevron(g, back, cy - size * 0.5f, tip, cy, back, cy + size * 0.5f,
                std::max(1.f, size * 0.22f), highlighted, pBlend);
}

void IPopupMenuControl::DrawUpArrow(IGraphics& g, const IRECT& bounds, bool highlighted,
                                    IBlend* pBlend)
{
  DrawScrollChevron(g, bounds, true, highlighted, pBlend);
}

void IPopupMenuControl::DrawDownArrow(IGraphics& g, const IRECT& bounds, bool highlighted,
                                      IBlend* pBlend)
{
  DrawScrollChevron(g, bounds, false, highlighted, pBlend);
}

// A chevron in the middle of an arrow cell, 0.6 of a text line wide.
void IPopupMenuControl::DrawScrollChevron(IGraphics& g, const IRECT& bounds, bool up,
                                          bool highlighted, IBlend* pBlend)
{
  const float w = 0.6f * std::min(bounds.H(), mText.mSize);
  const float cx = bounds.MW(), cy = bounds.MH();
  const float dy = (up ? -w : w) / 4.f;
  StrokeChevron(g, cx - w / 2.f, cy - dy, cx, cy + dy, cx + w / 2.f, cy - dy,
                std::max(1.f, w * 0.14f), highlighted, pBlend);
}

void IPopupMenuControl::DrawSeparator(IGraphics& g, const IRECT& bounds, IBlend* pBlend)
{
  // Only once the panel has fully appeared.
  if (!pBlend || pBlend->mWeight <= 0.9f)
    return;
  // A hairline across the middle of the cell, as far in as the texts: the cell's height is the
  // space between the groups (a scrolling panel's cells are one text line high whatever they
  // show).
  const float h = std::min(1.f, bounds.H());
  const float inset = mMetrics.textPadding;
  const IRECT line(bounds.L + inset, bounds.MH() - h / 2.f, bounds.R - inset,
                   bounds.MH() + h / 2.f);
  g.FillRect(mColors.separator, line, &BLEND_25);
}

void IPopupMenuControl::DrawCalloutArrow(IGraphics& g, const IRECT& bounds, IBlend* pBlend)
{
  FillCalloutTriangle(g, bounds, mCalloutDir, pBlend);
}

void IPopupMenuControl::DrawSubMenuCalloutArrow(IGraphics& g, const IRECT& bounds, IBlend* pBlend)
{
  FillCalloutTriangle(g, bounds, mSubmenusOpenRight ? kRight : kLeft, pBlend);
}

void IPopupMenuControl::FillCalloutTriangle(IGraphics& g, const IRECT& bounds,
                                            ECalloutDirection dir, IBlend* pBlend)
{
  const float h = bounds.H();
  const float cx = bounds.MW(), cy = bounds.MH();
  const IColor& c = mColors.panelBackground;
  switch (dir)
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

} // namespace plugin::igraphics
