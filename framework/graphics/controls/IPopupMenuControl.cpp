// IPopupMenuControl: requests, layout of the panels, the pointer and the animation states. The
// drawing of the parts is in IPopupMenuControlDraw.cpp.

#include "framework/graphics/controls/IPopupMenuControl.h"

#include "framework/graphics/IGraphics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace plugin::igraphics
{

namespace
{

constexpr double kAppearMs = 100.0;
constexpr double kSubmenuAppearMs = 200.0;

// lo <= v <= hi, lo winning when the two limits cross (a panel larger than the bounds keeps
// its top or left edge inside them: its first items stay in reach and it scrolls or wraps).
float LimitLowerWins(float v, float lo, float hi)
{
  return std::max(std::min(v, hi), lo);
}

} // namespace

// ---- MenuPanel

IPopupMenuControl::MenuPanel::MenuPanel(const IPopupMenuControl& control, IPopupMenu& menu, float x,
                                        float y, int parentIdx)
  : mMenu(&menu), mParentIdx(parentIdx)
{
  const Metrics& m = control.mMetrics;
  const float pad = m.panelPadding;
  const float gap = m.cellGap;
  const IRECT& bounds = control.mMaxBounds;
  mSingleCellBounds = control.GetLargestCellRectForMenu(menu, x, y);
  const float cw = mSingleCellBounds.W();
  const float ch = mSingleCellBounds.H();
  const int nItems = menu.NItems();
  auto heightOf = [&](int idx)
  {
    const IPopupMenu::Item* pItem = menu.GetItem(idx);
    return pItem && pItem->GetIsSeparator() ? m.separatorHeight : ch;
  };
  auto layOut = [&](float cx, float cy, int count, bool uniform)
  {
    mCells.clear();
    for (int i = 0; i < count; ++i)
    {
      const float h = uniform ? ch : heightOf(i);
      mCells.emplace_back(cx, cy, cx + cw, cy + h);
      cy += h + gap;
    }
  };

  float cx = x + pad;
  float cy = y + pad;
  for (int i = 0; i < nItems; ++i)
  {
    const float h = heightOf(i);
    const bool full = cy + h + pad > bounds.B;
    const bool columnEnds =
      control.mItemsPerColumn > 0 && i > 1 && i % control.mItemsPerColumn == 0;
    if (full || columnEnds)
    {
      if (!control.mScrollable)
      {
        cy = y + pad;
        cx += cw + gap;
      }
      else
      {
        // The rows that fit between the top and the bottom of the bounds; a zero row height
        // (nothing measured) counts as one point.
        const float top = bounds.T + m.dropShadowSize + pad;
        const float row = std::max(ch + gap, 1.f);
        mVisibleCount = static_cast<int>(std::floor((bounds.B - pad - top) / row));
        if (nItems < mVisibleCount)
        {
          // The whole menu fits once moved up: it ends about where it was to start, and stays
          // within the bounds.
          float total = -gap;
          for (int k = 0; k < nItems; ++k)
            total += heightOf(k) + gap;
          layOut(cx, LimitLowerWins(y + pad + ch - ch * nItems, top, bounds.B - pad - total),
                 nItems, false);
        }
        else
        {
          mScroller = true;
          layOut(cx, top, std::max(mVisibleCount, 0), true);
        }
        break;
      }
    }
    mCells.emplace_back(cx, cy, cx + cw, cy + h);
    cy += h + gap;
  }

  IRECT area;
  for (const IRECT& cell : mCells)
    area = area.Union(cell);
  // Fixed bounds given to the control shape the root panel only: submenus keep their own size
  // and place, so that none covers the root.
  if (parentIdx < 0 && control.mExpandedBounds.W() > 0.f)
    area = control.mExpandedBounds;
  if (!area.Empty())
  {
    mInnerRECT = area.GetPadded(pad);
    mOuterRECT = area.GetPadded(pad + m.dropShadowSize);
  }
}

bool IPopupMenuControl::MenuPanel::IsUpArrow(int cellIdx) const
{
  return cellIdx == 0 && mMenu->NItems() > NCells() && mScrollOffset > 0;
}

bool IPopupMenuControl::MenuPanel::IsDownArrow(int cellIdx) const
{
  return NCells() > 0 && cellIdx == NCells() - 1 && mMenu->NItems() > NCells() &&
         mScrollOffset < mMenu->NItems() - NCells() && !IsUpArrow(cellIdx);
}

IPopupMenu::Item* IPopupMenuControl::MenuPanel::ItemOfCell(int cellIdx) const
{
  if (cellIdx < 0 || cellIdx >= NCells() || IsArrow(cellIdx))
    return nullptr;
  return mMenu->GetItem(mScrollOffset + cellIdx);
}

int IPopupMenuControl::MenuPanel::HitTestCells(float x, float y) const
{
  for (int i = 0; i < NCells(); ++i)
  {
    if (!mCells[i].Contains(x, y))
      continue;
    const IPopupMenu::Item* pItem = ItemOfCell(i);
    if (IsArrow(i) || (pItem && pItem->GetEnabled()))
      return i;
  }
  return -1;
}

void IPopupMenuControl::MenuPanel::Scroll(int delta)
{
  mScrollOffset = std::clamp(mScrollOffset + delta, 0, std::max(mMenu->NItems() - NCells(), 0));
}

// ---- The control

IPopupMenuControl::IPopupMenuControl(int paramIdx, const IText& text, const IRECT& collapsedBounds,
                                     const IRECT& expandedBounds)
  : IControl(collapsedBounds, paramIdx,
             [](IControl* pCaller)
             {
               auto* pSelf = static_cast<IPopupMenuControl*>(pCaller);
               pSelf->SetAnimation([](IControl* pAnimated)
                                   { static_cast<IPopupMenuControl*>(pAnimated)->AnimationStep(); },
                                   pSelf->mState == kSubMenuAppearing ? kSubmenuAppearMs
                                                                      : kAppearMs);
             }),
    mCollapsedBounds(collapsedBounds), mExpandedBounds(expandedBounds)
{
  mText = text;
  mHide = true;
}

IPopupMenuControl::~IPopupMenuControl() = default;

IPopupMenuControl::MenuPanel* IPopupMenuControl::GetPanel(int idx) const
{
  return idx >= 0 && idx < NPanels() ? mPanels[static_cast<size_t>(idx)].get() : nullptr;
}

int IPopupMenuControl::PanelIndex(const MenuPanel* pPanel) const
{
  for (int i = 0; i < NPanels(); ++i)
    if (mPanels[static_cast<size_t>(i)].get() == pPanel)
      return i;
  return -1;
}

IPopupMenuControl::MenuPanel* IPopupMenuControl::FindPanel(const IPopupMenu* pMenu) const
{
  for (const auto& pPanel : mPanels)
    if (pPanel->mMenu == pMenu)
      return pPanel.get();
  return nullptr;
}

bool IPopupMenuControl::GetExpanded() const
{
  return mState == kExpanding || mState == kExpanded || mState == kSubMenuAppearing;
}

void IPopupMenuControl::SetMaxBounds(const IRECT& bounds)
{
  mMaxBoundsFollowWindow = bounds.Empty();
  mMaxBounds = bounds;
  OnResize();
}

void IPopupMenuControl::OnResize()
{
  if (mMaxBoundsFollowWindow && GetUI())
    mMaxBounds = GetUI()->GetBounds();
}

// ---- Measuring

std::string IPopupMenuControl::GetItemText(const IPopupMenu& menu, int idx) const
{
  const IPopupMenu::Item* pItem = menu.GetItem(idx);
  if (!pItem)
    return "";
  char number[16] = "";
  switch (menu.GetPrefix())
  {
  case 1:
    std::snprintf(number, sizeof(number), "%1d: ", idx + 1);
    break;
  case 2:
    std::snprintf(number, sizeof(number), "%02d: ", idx + 1);
    break;
  case 3:
    std::snprintf(number, sizeof(number), "%03d: ", idx + 1);
    break;
  default:
    break;
  }
  // Blanks at an item's end (a parameter's display text may carry some) are neither shown nor
  // measured.
  std::string text = std::string(number) + pItem->GetText();
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

IRECT IPopupMenuControl::GetLargestCellRectForMenu(IPopupMenu& menu, float x, float y) const
{
  IRECT span;
  if (IGraphics* pGraphics = GetUI())
  {
    for (int i = 0; i < menu.NItems(); ++i)
    {
      IRECT r;
      pGraphics->MeasureText(mText, GetItemText(menu, i).c_str(), r);
      span = span.Union(r);
    }
  }
  // Items without text measure nothing: a cell is still one line high.
  const float ch = (span.H() > 0.f ? span.H() : mText.mSize) + 2.f * mMetrics.textPaddingV;
  const float w =
    span.W() + 2.f * mMetrics.textPadding + mMetrics.tickWidth + mMetrics.submenuArrowWidth;
  return IRECT(x, y, x + w, y + ch);
}

void IPopupMenuControl::GetPanelDimensions(IPopupMenu& menu, float& width, float& height) const
{
  const IRECT cell = GetLargestCellRectForMenu(menu, 0.f, 0.f);
  const int n = menu.NItems();
  int separators = 0;
  for (int i = 0; i < n; ++i)
    if (menu.GetItem(i)->GetIsSeparator())
      ++separators;
  width = cell.W();
  height =
    std::max(0.f, cell.H() * float(n - separators) + mMetrics.separatorHeight * float(separators) +
                    mMetrics.cellGap * float(n - 1));
}

// ---- Requests

bool IPopupMenuControl::CreatePopupMenu(IPopupMenu& menu, const IRECT& anchor)
{
  // Refused before anything is touched: the menu still showing keeps its model.
  if (mState != kCollapsed || menu.NItems() == 0)
    return false;
  mMenu = &menu;
  mHasSubmenus = false;
  for (int i = 0; i < menu.NItems(); ++i)
    mHasSubmenus = mHasSubmenus || menu.GetItem(i)->GetIsSubmenu();
  OnResize();
  Expand(anchor);
  return true;
}

void IPopupMenuControl::Expand(const IRECT& anchor)
{
  Hide(false);
  mState = kExpanding;
  if (GetUI())
    GetUI()->UpdateTooltips();
  mPanels.clear();
  mActivePanel = mAppearingPanel = nullptr;
  mMouseCell = -1;
  mSubmenuOpen = false;
  mLastPointerX = mLastPointerY = -1.f;

  // Placed by the panel's whole size (cells and padding), so that "centred on the anchor" and
  // "under the anchor" hold for the panel the user sees.
  float w = 0.f, h = 0.f;
  GetPanelDimensions(*mMenu, w, h);
  w += 2.f * mMetrics.panelPadding;
  h += 2.f * mMetrics.panelPadding;
  const IRECT& M = mMaxBounds;
  const IRECT& A = anchor;
  const float s = mMetrics.dropShadowSize;
  const float a = mCallout ? mMetrics.arrowSize : 0.f;
  const float size = mText.mSize;
  const float cxA = A.MW(), cyA = A.MH(), cxM = M.MW(), cyM = M.MH();
  const float minX = M.L + s, maxX = M.R - w - 2.f * s;
  const float minY = M.T + s, maxY = M.B - h - 2.f * s;

  auto below = [&](float& y)
  {
    mCalloutDir = kBelow;
    mCalloutRECT = IRECT(cxA - a / 2.f, A.B, cxA + a / 2.f, A.B + a);
    y = A.B + a;
  };
  auto above = [&](float& y)
  {
    mCalloutDir = kAbove;
    mCalloutRECT = IRECT(cxA - a / 2.f, A.T - a, cxA + a / 2.f, A.T);
    y = A.T - a - h - s;
  };
  auto beside = [&](float& x)
  {
    if (cxA <= cxM)
    {
      x = A.R + a;
      mCalloutDir = kRight;
      mCalloutRECT = IRECT(A.R, cyA - a / 2.f, A.R + a, cyA + a / 2.f);
    }
    else
    {
      x = A.L - a - w - s;
      mCalloutDir = kLeft;
      mCalloutRECT = IRECT(A.L - a, cyA - a / 2.f, A.L, cyA + a / 2.f);
    }
  };

  float x = 0.f;
  float y = cyA <= cyM ? cyA - (size + a) : cyA - h + size + a;
  beside(x);
  const bool xOutside = x <= minX || x > maxX;
  if (y <= minY || y > maxY || xOutside)
  {
    if ((y <= minY || xOutside) && cyA <= cyM)
    {
      below(y);
      if (y <= maxY)
      {
        x = cxA - w / 2.f;
      }
      else
      {
        beside(x);
        y = maxY;
      }
    }
    else if ((y > maxY || xOutside) && cyA > cyM)
    {
      above(y);
      if (y <= minY)
      {
        beside(x);
        y = minY;
      }
      else
      {
        x = cxA - w / 2.f;
      }
    }
    x = LimitLowerWins(x, minX, maxX);
    y = LimitLowerWins(y, minY, maxY);
  }
  if (mPreferBelow && A.B + a <= maxY)
  {
    below(y);
    x = LimitLowerWins(cxA - w / 2.f, minX, maxX);
  }
  if (mHasSubmenus)
  {
    mSubmenusOpenRight = cxA <= cxM;
    x = LimitLowerWins(cxA - w / 2.f + mMetrics.submenuOffset * (mSubmenusOpenRight ? -1.f : 1.f),
                       minX, maxX);
    if (M.B - A.B >= A.T - M.T)
      below(y);
    else
      above(y);
    y = LimitLowerWins(y, minY, maxY);
  }

  mPanels.push_back(std::make_unique<MenuPanel>(*this, *mMenu, x, y, -1));
  mActivePanel = mAppearingPanel = mPanels.front().get();
  SetTargetRECT(mActivePanel->mInnerRECT);
  SetRECT(mActivePanel->mOuterRECT);
  OnResize();
  SetDirty(true);
}

void IPopupMenuControl::CancelPopupMenu()
{
  if (mState == kCollapsed)
    return;
  mPanels.clear();
  mActivePanel = mAppearingPanel = nullptr;
  mMenu = nullptr;
  mMouseCell = -1;
  mSubmenuOpen = false;
  mState = kCollapsed;
  SetAnimation(nullptr);
  // The frame under the panels is drawn afresh before the control gives up its area.
  if (GetUI())
    GetUI()->SetAllControlsDirty();
  SetTargetAndDrawRECTs(mCollapsedBounds);
  Hide(true);
}

// ---- Pointer

void IPopupMenuControl::FindMouseCell(float x, float y)
{
  mMouseCell = mActivePanel ? mActivePanel->HitTestCells(x, y) : -1;
  if (mMouseCell >= 0)
    return;
  for (auto it = mPanels.rbegin(); it != mPanels.rend(); ++it)
  {
    MenuPanel* pPanel = it->get();
    if (pPanel->mShouldDraw && pPanel->mOuterRECT.Contains(x, y))
    {
      mActivePanel = pPanel;
      mMouseCell = pPanel->HitTestCells(x, y);
      return;
    }
  }
}

void IPopupMenuControl::OnMouseOver(float x, float y, const IMouseMod&)
{
  if (!GetExpanded())
    return;
  FindMouseCell(x, y);
  CalculateMenuPanels(x, y);
  // Each pointer move over an arrow scrolls by one item (a hover at the same place, such as the
  // one that follows a release, is no move).
  const bool moved = x != mLastPointerX || y != mLastPointerY;
  mLastPointerX = x;
  mLastPointerY = y;
  if (moved && mActivePanel && mActivePanel->mScroller && mMouseCell >= 0)
  {
    if (mActivePanel->IsUpArrow(mMouseCell))
      mActivePanel->Scroll(-1);
    else if (mActivePanel->IsDownArrow(mMouseCell))
      mActivePanel->Scroll(1);
  }
  SetDirty(false);
}

void IPopupMenuControl::OnMouseDrag(float x, float y, float, float, const IMouseMod&)
{
  if (!mActivePanel)
    return;
  mMouseCell = mActivePanel->HitTestCells(x, y);
  SetDirty(false);
}

void IPopupMenuControl::OnMouseOut()
{
  mMouseCell = -1;
  IControl::OnMouseOut();
  SetDirty(false);
}

void IPopupMenuControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  if (!GetExpanded())
  {
    IControl::OnMouseDown(x, y, mod);
    return;
  }
  FindMouseCell(x, y);
  mLastPointerX = x;
  mLastPointerY = y;
  // A scroll arrow scrolls and chooses nothing; the menu stays open.
  if (mActivePanel && mMouseCell >= 0 && mActivePanel->IsArrow(mMouseCell))
  {
    mActivePanel->Scroll(mActivePanel->IsUpArrow(mMouseCell) ? -1 : 1);
    SetDirty(false);
    return;
  }
  CollapseEverything();
}

void IPopupMenuControl::HideDescendants(int panelIdx)
{
  for (int i = 0; i < NPanels(); ++i)
  {
    MenuPanel* pPanel = mPanels[static_cast<size_t>(i)].get();
    if (pPanel->mParentIdx == panelIdx && pPanel->mShouldDraw)
    {
      pPanel->mShouldDraw = false;
      HideDescendants(i);
    }
  }
}

void IPopupMenuControl::CalculateMenuPanels(float, float)
{
  MenuPanel* pActive = mActivePanel;
  if (!pActive || mMouseCell < 0)
  {
    SetDirty(false);
    return;
  }
  const IPopupMenu::Item* pItem = pActive->ItemOfCell(mMouseCell);
  IPopupMenu* pSubmenu = pItem ? pItem->GetSubmenu() : nullptr;
  if (!pSubmenu)
  {
    HideDescendants(PanelIndex(pActive));
    pActive->mHighlightedCell = -1;
    mSubmenuOpen = false;
    SetDirty(false);
    return;
  }

  for (const auto& pPanel : mPanels)
    pPanel->mShouldDraw = pPanel->mMenu == pSubmenu;
  pActive->mHighlightedCell = pItem->GetEnabled() ? mMouseCell : -1;
  const IRECT& cell = pActive->mCells[static_cast<size_t>(mMouseCell)];
  const float pad = mMetrics.panelPadding;
  const float a = mCallout ? mMetrics.arrowSize : 0.f;
  const float s = mMetrics.dropShadowSize;
  const IRECT& M = mMaxBounds;

  MenuPanel* pSubPanel = FindPanel(pSubmenu);
  if (!pSubPanel)
  {
    float w = 0.f, h = 0.f;
    GetPanelDimensions(*pSubmenu, w, h);
    w += 2.f * pad;
    h += 2.f * pad;
    float x = mSubmenusOpenRight ? cell.R + pad + a : cell.L - pad - a - w - s;
    x = LimitLowerWins(x, M.L + s, M.R - w - 2.f * s);
    const float minY = M.T + s, maxY = M.B - h - 2.f * s;
    // Beside the root (callout left or right) the submenu aligns with its item as it does below.
    const float y =
      mCalloutDir == kAbove ? cell.T - pad / 2.f - h + 2.f * mMetrics.cellGap + s : cell.T - pad;
    mPanels.push_back(std::make_unique<MenuPanel>(
      *this, *pSubmenu, x, LimitLowerWins(y, minY, maxY), PanelIndex(pActive)));
    pSubPanel = mPanels.back().get();
  }

  // The submenu's panel and every panel above it are shown; the control covers all of them.
  IRECT inner = GetTargetRECT();
  IRECT outer = GetRECT();
  for (MenuPanel* pPanel = pSubPanel; pPanel; pPanel = GetPanel(pPanel->mParentIdx))
  {
    pPanel->mShouldDraw = true;
    inner = inner.Union(pPanel->mInnerRECT);
    outer = outer.Union(pPanel->mOuterRECT);
  }
  mSubmenuOpen = true;
  const float cyc = cell.MH();
  mSubMenuCalloutRECT = mSubmenusOpenRight
                          ? IRECT(cell.R + pad, cyc - a / 2.f, cell.R + pad + a, cyc + a / 2.f)
                          : IRECT(cell.L - pad - a, cyc - a / 2.f, cell.L - pad, cyc + a / 2.f);
  SetTargetRECT(inner);
  SetRECT(outer);
  OnResize();
  if (mAppearingPanel != pSubPanel)
  {
    mState = kSubMenuAppearing;
    mAppearingPanel = pSubPanel;
    SetDirty(true);
  }
  SetDirty(false);
}

// ---- Choosing

void IPopupMenuControl::CollapseEverything()
{
  MenuPanel* pPanel = mActivePanel;
  IPopupMenu* pMenu = pPanel ? pPanel->mMenu : mMenu;
  if (pMenu)
  {
    pMenu->SetChosenItemIdx(-1);
    const IPopupMenu::Item* pItem = pPanel ? pPanel->ItemOfCell(mMouseCell) : nullptr;
    if (pItem && pItem->GetEnabled() && !pItem->GetIsTitle() && !pItem->GetIsSeparator() &&
        !pItem->GetIsSubmenu())
    {
      pMenu->SetChosenItemIdx(pPanel->mScrollOffset + mMouseCell);
      pPanel->mClickedCell = mMouseCell;
    }
  }
  // Closed before the answer goes out, so that whatever the answer starts finds the control
  // in its closing state. Whether an item was chosen, and the menu's completion, are decided
  // by the graphics context alone.
  mSubmenuOpen = false;
  mActivePanel = nullptr;
  mState = kFlickering;
  Hide(true);
  SetDirty(true);
  if (GetUI() && pMenu)
    GetUI()->SetControlValueAfterPopupMenu(pMenu);
}

// ---- Animation

void IPopupMenuControl::AnimationStep()
{
  const double progress = GetAnimationProgress();
  if (progress > 1.0)
  {
    OnEndAnimation();
    return;
  }
  const float p = static_cast<float>(progress);
  switch (mState)
  {
  case kExpanding:
    if (mAppearingPanel)
      mAppearingPanel->mBlend.mWeight = p * mMetrics.opacity;
    break;
  case kSubMenuAppearing:
    if (mAppearingPanel)
      mAppearingPanel->mBlend.mWeight = p > 0.9f ? mMetrics.opacity : 0.f;
    break;
  case kCollapsing:
    for (const auto& pPanel : mPanels)
      pPanel->mBlend.mWeight = (1.f - p) * mMetrics.opacity;
    break;
  case kSettling:
    for (const auto& pPanel : mPanels)
      pPanel->mBlend.mWeight = 0.f;
    break;
  default:
    break;
  }
}

void IPopupMenuControl::OnEndAnimation()
{
  switch (mState)
  {
  case kExpanding:
  case kSubMenuAppearing:
    for (const auto& pPanel : mPanels)
      pPanel->mBlend.mWeight = mMetrics.opacity;
    mState = kExpanded;
    break;
  case kFlickering:
    mState = kCollapsing;
    SetDirty(true);
    return;
  case kCollapsing:
    SetTargetRECT(mCollapsedBounds);
    for (const auto& pPanel : mPanels)
      pPanel->mBlend.mWeight = 0.f;
    mState = kSettling;
    mMouseCell = -1;
    SetDirty(true);
    return;
  case kSettling:
    if (GetUI())
      GetUI()->UpdateTooltips();
    mPanels.clear();
    mMenu = nullptr;
    SetRECT(mCollapsedBounds);
    mState = kCollapsed;
    break;
  default:
    break;
  }
  IControl::OnEndAnimation();
}

} // namespace plugin::igraphics
