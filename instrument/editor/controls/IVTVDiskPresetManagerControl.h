#pragma once
// The preset browser and the preset display at the top of the editor.
//
// IVTVDiskPresetManagerControl: a row of three text buttons over a filled background: a left
// caret that loads the previous preset, the current preset's name (cut from its end at a whole
// character when wider than its button), which opens a menu of every preset (one submenu per
// category folder), and a right caret that loads the next preset. It
// reads no disk: RebuildMenu mirrors the instrument's preset tree (DiskPresetManager) into the
// menu, folders first and then the folder's presets, each preset an item tagged with its index
// in the manager's flat index; folders without presets (also those holding only empty folders)
// are left out unless asked to keep them. The menu's leaf items, depth first, form the flat
// list that the carets walk: the current index is a position in it, and what is loaded is the
// tag of the item there, through the load function.
//   - Previous from the first position (or none) goes to the last; next from the last goes to
//     the first. With no presets the carets load nothing.
//   - A menu choice is looked up in the flat list by identity: its position becomes the current
//     index and its tag is loaded; an item not found sets the index to -1 and loads nothing. A
//     dismissed menu changes nothing.
// The browser owns its menu, which owns its items and submenus: each rebuild empties the flat
// list first, then the menu, so no list entry ever points at a freed item, and nothing is
// allocated per opening. The browser itself ignores the mouse; its three buttons, attached as
// controls of their own when it is attached, take the clicks.
//
// IParamDisplayControl: a framed box showing the current preset's name and category at the top
// and, at the bottom, the name and value of the parameter under the pointer, or in their place
// a message of the editor's (a manual that cannot be opened, a preset that could not be saved)
// until the next parameter is shown. Each text has a row the height of its text style's size
// inside the margin: the name and category stack down from the top, the value and the parameter
// name stack up from the bottom; a row that finds no room inside the margin is empty, never
// inverted. A name wider than its row is cut from its end, one character at a time, without an
// ellipsis; a message wraps at blanks over the bottom rows. Blanks that end a parameter's name or
// value (a display text may carry some for hosts) are not kept.
//
// Main thread only.

#include "framework/graphics/IControl.h"
#include "framework/graphics/IPopupMenu.h"
#include "framework/graphics/controls/ITextControl.h"
#include "framework/util/UtilString.h"

#include <functional>
#include <string>
#include <vector>

namespace plugin::igraphics
{

class DiskPresetDirectory;
class DiskPresetManager;

class IVTVDiskPresetManagerControl : public IControl
{
public:
  // Loads the preset with this index of the instrument's flat preset index.
  using LoadPresetFunc = std::function<void(int presetIdx)>;

  // arrowWidth: the width of each caret button; leftArrow, rightArrow: their texts (copied).
  IVTVDiskPresetManagerControl(const IRECT& bounds, int paramIdx, LoadPresetFunc loadFunc,
                               float arrowWidth, const char* leftArrow, const char* rightArrow,
                               const IText& arrowText, const IText& nameText, const IColor& bgColor,
                               bool keepEmptyFolders = false);
  ~IVTVDiskPresetManagerControl() override;

  // ---- The menu
  // The whole rebuild: last index from the manager's preset count, flat list and menu emptied,
  // the menu filled from the manager's root folder, the flat list collected, then the current
  // index set to currentIdx (the instrument's current preset).
  void RebuildMenu(const DiskPresetManager& manager, int currentIdx);
  // Fills menu from folder, recursively: sub-folders as submenus first, then the presets.
  void SetupMenu(const DiskPresetDirectory& folder, IPopupMenu& menu);
  // Appends the menu's leaf items, depth first, to the flat list.
  void CollectSortedItems(IPopupMenu* pMenu);
  // Empties the flat list, then the menu.
  void ClearMenu();

  // ---- Stepping and selection
  void LoadPrevious();
  void LoadNext();
  void SetCurrentIdx(int idx) { mCurrentIdx = idx; }
  int GetCurrentIdx() const { return mCurrentIdx; }
  // Opens the preset menu under the name button.
  void OpenMenu();

  // The name button shows a preset's name (null or empty: nothing).
  void SetPresetName(const char* name);
  int NFlatItems() const { return static_cast<int>(mFlatItems.size()); }
  const IPopupMenu::Item* GetFlatItem(int idx) const;

  // Attaches the three buttons inside the bounds.
  void OnAttached() override;
  void OnPopupMenuSelection(IPopupMenu* pSelectedMenu, int valIdx) override;
  // Fills the bounds with the background colour.
  void Draw(IGraphics& g) override;

private:
  // Loads the tag of the flat item at the current index, when there is one.
  void LoadCurrent();

  int mCurrentIdx = 0;
  int mLastIdx = -1;
  IPopupMenu mMenu;
  std::vector<IPopupMenu::Item*> mFlatItems; // leaf items of mMenu, not owned
  LoadPresetFunc mLoadFunc;
  float mArrowWidth;
  std::string mLeftArrowStr;
  std::string mRightArrowStr;
  IText mArrowText;
  IText mNameText;
  ITextControl* mLeftArrow = nullptr; // owned by the graphics context
  ITextControl* mNameButton = nullptr;
  ITextControl* mRightArrow = nullptr;
  IColor mBGColor;
  bool mKeepEmptyFolders;
};

class IParamDisplayControl : public IControl
{
public:
  // The four strings start as given (null: empty); margin in points.
  IParamDisplayControl(const IRECT& bounds, int paramIdx, const IText& presetText,
                       const IText& categoryText, const IText& labelText, const IText& valueText,
                       const char* presetName, const char* presetCategory, const char* paramLabel,
                       const char* paramValue, const IColor& frameColor, const IColor& fillColor,
                       float margin);

  // Each redraws the display.
  void SetPreset(const char* name, const char* category);
  // The parameter under the pointer; ends a message.
  void SetParameter(const char* label, const char* value);
  // A message in place of the parameter, until the next SetParameter (null or empty: none).
  void ShowMessage(const char* message);

  const char* GetPresetName() const { return mPresetName.Get(); }
  const char* GetPresetCategory() const { return mPresetCategory.Get(); }
  const char* GetParamLabel() const { return mParamLabel.Get(); }
  const char* GetParamValue() const { return mParamValue.Get(); }
  const char* GetMessage() const { return mMessage.Get(); }

  // The rows of the preset name, its category, the parameter's name and its value.
  IRECT GetPresetNameRECT() const;
  IRECT GetCategoryRECT() const;
  IRECT GetLabelRECT() const;
  IRECT GetValueRECT() const;
  // The styles the parameter's name and value are drawn in: their own, at a smaller size when
  // the text would not fit its row ("Operator A Velocity > Frequency").
  IText GetShownLabelText(const IGraphics& g) const;
  IText GetShownValueText(const IGraphics& g) const;

  // The preset's name and category rows cut a text from its end until it fits.
  void Draw(IGraphics& g) override;
  // Its box is filled with an opaque colour (unless its fill or blend is translucent).
  bool IsOpaqueOver(const IRECT& r) const override;
  // Any other change redraws all of the display.
  void SetDirty(bool triggerAction = true, int valIdx = kNoValIdx) override;
  IRECT GetDirtyRECT() const override;

private:
  // Redraws the part r (with what its texts may reach beyond their rows) along with whatever
  // else is waiting to be redrawn.
  void SetPartDirty(const IRECT& r);
  // The inside of the margin (empty, never inverted, when the margin leaves no room).
  IRECT InnerRECT() const;
  // A row from top to bottom inside the margin.
  IRECT Row(float top, float bottom) const;
  void DrawMessage(IGraphics& g);

  IText mPresetText;
  IText mCategoryText;
  IText mLabelText;
  IText mValueText;
  Util_String mPresetName;
  Util_String mPresetCategory;
  Util_String mParamLabel;
  Util_String mParamValue;
  Util_String mMessage;
  IColor mFrameColor;
  IColor mFillColor;
  float mMargin;
  IRECT mDirtyPart; // while dirty: the part to redraw (empty: all of it)
};

} // namespace plugin::igraphics
