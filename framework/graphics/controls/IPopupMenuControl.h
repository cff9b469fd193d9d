#pragma once
// IPopupMenuControl: an IPopupMenu shown as panels drawn inside the editor window, in place of a
// platform menu (Linux gives a plug-in none). A context holds at most one; it hands every menu
// request to it, draws it above the ordinary controls and, while the menu is open, sends it
// every pointer event wherever the pointer is.
//
// Geometry. A menu is measured once when its panel is made: every item text (with its number
// when the menu asks for a prefix) in the control's text style gives the cell height and the
// widest text; a cell is that text plus padding, room for a check mark on the left and for a
// submenu arrow on the right. Cells run top to bottom inside a padded, shadowed panel. The root
// panel goes under its anchor when it fits there (centred on it), else beside or above it, and
// always inside the maximum bounds (the window, unless set). A menu taller than those bounds
// scrolls: the first and last cells turn into arrows that scroll by one item as the pointer
// moves over them or presses them; without scrolling it wraps into further columns.
//
// Submenus. Hovering an item with a submenu opens (or shows again) its panel beside the item,
// fading in at the end of a 200 ms animation; hovering an item without one hides the panels
// below the hovered one. The panel under the pointer is the active one.
//
// Choosing. A press ends the menu (except on a scroll arrow): the item under it, when it can be
// chosen (enabled, neither title nor separator, no submenu), becomes the chosen index of the
// menu holding it, and that menu goes to IGraphics::SetControlValueAfterPopupMenu, which alone
// decides whether a choice was made and runs the menu's completion only then. The panels vanish
// at once; three 100 ms steps (flickering, collapsing, settling) then bring the control back to
// rest. While it is not at rest a new request is refused, and the context answers it with no
// choice.
//
// States (stored in this order): collapsed, expanding, expanded, collapsing, flickering,
// submenu-appearing, settling. Main thread only.

#include "framework/graphics/IControl.h"
#include "framework/graphics/IInWindowPrompts.h"
#include "framework/graphics/IPopupMenu.h"

#include <memory>
#include <string>
#include <vector>

namespace plugin::igraphics
{

class IPopupMenuControl : public IControl, public IInWindowPopupMenu
{
public:
  enum EPopupState
  {
    kCollapsed = 0,
    kExpanding,
    kExpanded,
    kCollapsing,
    kFlickering,
    kSubMenuAppearing,
    kSettling,
  };

  // Where the root panel sits relative to its anchor.
  enum ECalloutDirection
  {
    kAbove = 0,
    kRight,
    kBelow,
    kLeft,
  };

  // Sizes in points, and the opacity of a fully shown panel. The check mark and the submenu
  // arrow are drawn within the tick width and the submenu-arrow width.
  struct Metrics
  {
    float cellGap = 2.f;
    float separatorHeight = 2.f;
    float roundness = 5.f;
    float dropShadowSize = 10.f;
    float opacity = 0.95f;
    float submenuOffset = 0.f; // horizontal shift of a root menu that has submenus
    float textPadding = 5.f;
    float textPaddingV = 0.f; // above and below each item's text
    float tickWidth = 10.f;
    float submenuArrowWidth = 8.f;
    float panelPadding = 5.f;
    float arrowSize = 8.f; // callout arrows
  };

  struct Colors
  {
    IColor panelBackground = COLOR_WHITE;
    IColor cellHighlight = COLOR_BLUE;
    IColor highlightedText = COLOR_WHITE;
    IColor text = COLOR_BLACK;
    IColor disabledText = COLOR_GRAY;
    IColor separator = COLOR_MID_GRAY;
  };

  // One panel of cells for one menu or submenu. Cell i shows item (scroll offset + i).
  class MenuPanel
  {
  public:
    // Lays the menu's cells out from (x, y) within the control's maximum bounds.
    MenuPanel(const IPopupMenuControl& control, IPopupMenu& menu, float x, float y, int parentIdx);

    // The first cell under the point that can be entered (an enabled item, or a scroll arrow);
    // -1 for none.
    int HitTestCells(float x, float y) const;
    bool IsUpArrow(int cellIdx) const;
    bool IsDownArrow(int cellIdx) const;
    bool IsArrow(int cellIdx) const { return IsUpArrow(cellIdx) || IsDownArrow(cellIdx); }
    // The item a cell shows; null for an arrow or past the last item.
    IPopupMenu::Item* ItemOfCell(int cellIdx) const;
    int NCells() const { return static_cast<int>(mCells.size()); }
    // Moves the items by delta within the rows that scrolling allows.
    void Scroll(int delta);

    IPopupMenu* mMenu;
    std::vector<IRECT> mCells;
    IRECT mOuterRECT; // padding and shadow included
    IRECT mInnerRECT; // the panel's background
    int mVisibleCount = 0;
    bool mShouldDraw = true;
    IBlend mBlend{EBlend::kDefault, 0.f}; // its weight is the panel's current opacity
    IRECT mSingleCellBounds;
    int mHighlightedCell = -1; // the cell whose submenu is shown
    int mClickedCell = -1;
    int mParentIdx;
    bool mScroller = false;
    int mScrollOffset = 0;
  };

  // collapsedBounds: where the control rests (empty: nowhere). expandedBounds: when not empty,
  // the root panel's area in place of its measured one.
  IPopupMenuControl(int paramIdx = kNoParameter, const IText& text = DEFAULT_TEXT,
                    const IRECT& collapsedBounds = IRECT(), const IRECT& expandedBounds = IRECT());
  ~IPopupMenuControl() override;

  // ---- What the graphics context asks [main thread]
  // Shows the menu beside the anchor; false (nothing shown, nothing changed) while another menu
  // is open or closing, or for a menu without items.
  bool CreatePopupMenu(IPopupMenu& menu, const IRECT& anchor) override;
  // Open from the moment it shows until a press ends it.
  bool GetExpanded() const override;
  void CancelPopupMenu() override;

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnMouseWheel(float, float, const IMouseMod&, float) override {}
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;
  void Draw(IGraphics& g) override;
  void OnEndAnimation() override;
  // The maximum bounds follow the window unless they were set.
  void OnResize() override;

  // ---- Drawing of the parts (each with the panel's blend)
  virtual void DrawCalloutArrow(IGraphics& g, const IRECT& bounds, IBlend* pBlend);
  virtual void DrawSubMenuCalloutArrow(IGraphics& g, const IRECT& bounds, IBlend* pBlend);
  virtual void DrawPanelBackground(IGraphics& g, MenuPanel* pPanel);
  virtual void DrawPanelShadow(IGraphics& g, MenuPanel* pPanel);
  virtual void DrawCellBackground(IGraphics& g, const IRECT& bounds, const IPopupMenu::Item* pItem,
                                  bool highlighted, IBlend* pBlend);
  virtual void DrawCellText(IGraphics& g, const IRECT& bounds, const IPopupMenu::Item* pItem,
                            bool highlighted, IBlend* pBlend);
  virtual void DrawTick(IGraphics& g, const IRECT& bounds, const IPopupMenu::Item* pItem,
                        bool highlighted, IBlend* pBlend);
  virtual void DrawSubMenuArrow(IGraphics& g, const IRECT& bounds, const IPopupMenu::Item* pItem,
                                bool highlighted, IBlend* pBlend);
  virtual void DrawUpArrow(IGraphics& g, const IRECT& bounds, bool highlighted, IBlend* pBlend);
  virtual void DrawDownArrow(IGraphics& g, const IRECT& bounds, bool highlighted, IBlend* pBlend);
  virtual void DrawSeparator(IGraphics& g, const IRECT& bounds, IBlend* pBlend);
  // Decides the chosen item under the pointer (or none), reports it and starts closing.
  virtual void CollapseEverything();

  // ---- Layout
  // Builds and places the root panel at the anchor and starts the opening animation.
  void Expand(const IRECT& anchor);
  // Opens, shows or hides submenu panels for the cell under the pointer.
  void CalculateMenuPanels(float x, float y);
  // The size of the cells a menu needs without wrapping or scrolling (no padding).
  void GetPanelDimensions(IPopupMenu& menu, float& width, float& height) const;
  // One cell of the menu (the widest text, the tallest line), placed at (x, y).
  IRECT GetLargestCellRectForMenu(IPopupMenu& menu, float x, float y) const;
  // The text a cell shows for item idx of menu: with its number when the menu asks for one,
  // without blanks at its end.
  std::string GetItemText(const IPopupMenu& menu, int idx) const;

  // ---- Settings
  const Metrics& GetMetrics() const { return mMetrics; }
  void SetMetrics(const Metrics& metrics) { mMetrics = metrics; }
  const Colors& GetColors() const { return mColors; }
  void SetColors(const Colors& colors) { mColors = colors; }
  // Fixed bounds that panels keep inside; empty: the window's, following its size.
  void SetMaxBounds(const IRECT& bounds);
  const IRECT& GetMaxBounds() const { return mMaxBounds; }
  void SetItemsPerColumn(int count) { mItemsPerColumn = count; }
  void SetScrollable(bool scroll) { mScrollable = scroll; }
  void SetCallout(bool callout) { mCallout = callout; }
  void SetPreferBelow(bool preferBelow) { mPreferBelow = preferBelow; }

  // ---- Read-outs
  EPopupState GetState() const { return mState; }
  int NPanels() const { return static_cast<int>(mPanels.size()); }
  MenuPanel* GetPanel(int idx) const;
  MenuPanel* GetActivePanel() const { return mActivePanel; }
  int GetMouseCell() const { return mMouseCell; }
  ECalloutDirection GetCalloutDirection() const { return mCalloutDir; }
  const IRECT& GetCalloutRECT() const { return mCalloutRECT; }
  bool GetSubmenusOpenRight() const { return mSubmenusOpenRight; }

private:
  int PanelIndex(const MenuPanel* pPanel) const;
  MenuPanel* FindPanel(const IPopupMenu* pMenu) const;
  // The active panel and its cell under the point, moving to another shown panel under it.
  void FindMouseCell(float x, float y);
  void HideDescendants(int panelIdx);
  // A two-segment line through the three points in the tick colour, round at its ends and
  // its bend.
  void StrokeChevron(IGraphics& g, float x0, float y0, float x1, float y1, float x2, float y2,
                     float thickness, bool highlighted, IBlend* pBlend);
  void DrawScrollChevron(IGraphics& g, const IRECT& bounds, bool up, bool highlighted,
                         IBlend* pBlend);
  // A triangle in the panel colour as high as bounds, pointing from a panel that lies in
  // direction dir of its anchor back at the anchor.
  void FillCalloutTriangle(IGraphics& g, const IRECT& bounds, ECalloutDirection dir,
                           IBlend* pBlend);
  void AnimationStep();

  std::vector<std::unique_ptr<MenuPanel>> mPanels;
  MenuPanel* mActivePanel = nullptr;
  MenuPanel* mAppearingPanel = nullptr;
  EPopupState mState = kCollapsed;
  int mMouseCell = -1; // a cell of the active panel
  float mLastPointerX = -1.f;
  float mLastPointerY = -1.f;
  IPopupMenu* mMenu = nullptr;
  int mItemsPerColumn = 0; // 0: no limit
  bool mScrollable = true;
  bool mCallout = false;
  bool mHasSubmenus = false;
  bool mPreferBelow = true;
  bool mSubmenusOpenRight = true;
  bool mSubmenuOpen = false;
  bool mMaxBoundsFollowWindow = true;
  Metrics mMetrics;
  ECalloutDirection mCalloutDir = kRight;
  IRECT mCalloutRECT;
  IRECT mSubMenuCalloutRECT;
  IRECT mMaxBounds;
  Colors mColors;
  IRECT mCollapsedBounds;
  IRECT mExpandedBounds;
  const IPopupMenu* mDrawingMenu = nullptr; // the menu and item index of the cell being drawn
  int mDrawingIdx = -1;
};

} // namespace plugin::igraphics
