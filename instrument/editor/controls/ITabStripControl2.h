#pragma once
// The operator section's tabs, and the titled frames behind the editor's sections.
//
// The editor shows the controls of one FM operator at a time. Each operator's controls are
// listed in an ITabPanel; an ITabStripControl2 of picture buttons (one selected and one
// unselected picture per tab) picks the operator. Selecting a tab hides every control of the
// other panels and shows those of the selected one, so exactly one operator's controls are
// drawn and take clicks (the graphics context neither draws nor hits a hidden control). A click
// on a tab picture selects it; a click on the selected tab, or beside the pictures, changes
// nothing and redraws nothing. The strip reacts only inside its own bounds, even where a tab
// picture reaches below them.
//
// IFrameLabelControl is the titled box drawn behind a section: a filled, outlined rectangle
// with an optional title bar along its top that carries the title centred (by the text style).
//
// Ownership: the strip owns its panels (AddTab hands them over); a panel lists controls that the
// graphics context owns. Main thread only.

#include "framework/graphics/IControl.h"
#include "framework/graphics/IGraphicsCache.h"
#include "framework/util/UtilPtrList.h"
#include "framework/util/UtilString.h"

#include <vector>

namespace plugin::igraphics
{

// The controls shown for one tab.
struct ITabPanel
{
  ITabPanel(const IColor& color, const IRECT& area) : mColor(color), mArea(area) {}

  // Lists a control of this tab (not owned); answers it.
  IControl* Add(IControl* pControl) { return mControls.Add(pControl); }

  IColor mColor;
  Util_PtrList<IControl> mControls{4096}; // in the order added; owned by the graphics context
  IRECT mArea;
  bool mHidden = true;
};

class ITabStripControl2 : public IControl
{
public:
  // No parameter; its action is the core's empty click action. No tab is selected yet.
  explicit ITabStripControl2(const IRECT& bounds);
  // Deletes the panels (their lists, never the controls listed).
  ~ITabStripControl2() override;

  // Appends a tab: the strip takes pPanel over. Selection and visibility stay as they are.
  void AddTab(ITabPanel* pPanel, const ISVG& selected, const ISVG& unselected,
              const IRECT& tabBounds);
  // Selects tab index (clamped to the last tab) and shows its panel's controls, hiding every
  // other panel's. A negative index selects none and hides every panel.
  void SelectTab(int index);

  // Selects the tab whose picture holds the point, when it is not the selected one.
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  // Each tab's selected or unselected picture, fitted into its rectangle.
  void Draw(IGraphics& g) override;

  int GetSelectedIdx() const { return mSelectedIdx; }

private:
  std::vector<ITabPanel*> mPanels; // owned
  std::vector<ISVG> mSelectedPictures;
  std::vector<ISVG> mUnselectedPictures;
  std::vector<IRECT> mTabBounds;
  int mSelectedIdx = -1;
  int mLastIdx = -1;
};

class IFrameLabelControl : public IControl
{
public:
  IFrameLabelControl(const IRECT& bounds, const char* title, const IText& titleText,
                     float titleBarHeight, const IColor& frameColor, const IColor& bgColor,
                     bool showTitleBar = true, bool showFrame = true);

  // The filled, outlined box (when the frame is shown), then the title bar along the top with
  // the title (when the bar is shown; an empty title leaves the bar bare).
  void Draw(IGraphics& g) override;
  // The box is filled with an opaque colour (when the frame is shown and its colour is opaque).
  bool IsOpaqueOver(const IRECT& r) const override;

  // The title bar: the top titleBarHeight points of the bounds.
  IRECT GetTitleBarRECT() const;

private:
  IText mTitleText;
  float mTitleBarHeight;
  Util_String mTitle;
  IColor mFrameColor;
  IColor mBGColor;
  bool mShowTitleBar;
  bool mShowFrame;
};

} // namespace plugin::igraphics
