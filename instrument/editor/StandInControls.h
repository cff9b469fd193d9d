#pragma once
// Stand-ins for the operator tab strip, the section frame, the preset display and the preset
// browser, with the interfaces the layout uses, until the real controls join the editor.

#include "framework/graphics/IGraphics.h"
#include "framework/graphics/controls/ITextControl.h"
#include "instrument/DiskPresetManager.h"
#include "instrument/editor/controls/ITVCaptionControl.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace plugin::igraphics
{

struct ITabPanel
{
  ITabPanel(const IColor& color, const IRECT& area) : mColor(color), mArea(area) {}
  IControl* Add(IControl* pControl) { return mControls.Add(pControl); }
  IColor mColor;
  Util_PtrList<IControl> mControls{4096};
  IRECT mArea;
  bool mHidden = true;
};

class ITabStripControl2 : public IControl
{
public:
  explicit ITabStripControl2(const IRECT& bounds)
    : IControl(bounds, kNoParameter, EmptyClickActionFunc)
  {
  }
  void AddTab(ITabPanel* pPanel, const ISVG& on, const ISVG& off, const IRECT& r)
  {
    mPanels.emplace_back(pPanel);
    mOn.push_back(on);
    mOff.push_back(off);
    mTabs.push_back(r);
  }
  void SelectTab(int index)
  {
    mSelected = std::min(index, static_cast<int>(mPanels.size()) - 1);
    for (size_t p = 0; p < mPanels.size(); ++p)
    {
      mPanels[p]->mHidden = static_cast<int>(p) != mSelected;
      for (int i = 0; i < mPanels[p]->mControls.GetSize(); ++i)
        mPanels[p]->mControls.Get(i)->Hide(mPanels[p]->mHidden);
    }
  }
  int GetSelectedIdx() const { return mSelected; }
  void OnMouseDown(float x, float y, const IMouseMod&) override
  {
    for (size_t i = 0; i < mTabs.size(); ++i)
      if (!mTabs[i].Empty() && mTabs[i].Contains(x, y) && static_cast<int>(i) != mSelected)
      {
        SelectTab(static_cast<int>(i));
        SetDirty(true);
        return;
      }
  }
  void Draw(IGraphics& g) override
  {
    for (size_t i = 0; i < mTabs.size(); ++i)
      g.DrawSVG(static_cast<int>(i) == mSelected ? mOn[i] : mOff[i], mTabs[i]);
  }

private:
  std::vector<std::unique_ptr<ITabPanel>> mPanels;
  std::vector<ISVG> mOn, mOff;
  std::vector<IRECT> mTabs;
  int mSelected = -1;
};

class IFrameLabelControl : public IControl
{
public:
  IFrameLabelControl(const IRECT& bounds, const char* title, const IText& text, float titleHeight,
                     const IColor& frame, const IColor& background, bool titleBar, bool showFrame)
    : IControl(bounds), mTitleText(text), mTitleHeight(titleHeight), mTitle(title),
      mFrameColor(frame), mBgColor(background), mTitleBar(titleBar), mShowFrame(showFrame)
  {
  }
  void Draw(IGraphics& g) override
  {
    if (mShowFrame)
    {
      g.FillRect(mBgColor, mRECT);
      g.DrawRect(mFrameColor, mRECT);
    }
    if (mTitleBar)
    {
      const IRECT bar(mRECT.L, mRECT.T, mRECT.R, mRECT.T + mTitleHeight);
      g.FillRect(mFrameColor, bar);
      g.DrawText(mTitleText, mTitle.c_str(), bar);
    }
  }

private:
  IText mTitleText;
  float mTitleHeight;
  std::string mTitle;
  IColor mFrameColor, mBgColor;
  bool mTitleBar, mShowFrame;
};

class IParamDisplayControl : public IControl
{
public:
  IParamDisplayControl(const IRECT& bounds, int paramIdx, const IText& name, const IText& category,
                       const IText& label, const IText& value, const char*, const char*,
                       const char*, const char*, const IColor& frame, const IColor& fill,
                       float margin)
    : IControl(bounds, paramIdx), mTexts{name, category, label, value}, mFrame(frame), mFill(fill),
      mMargin(margin)
  {
  }
  void SetPreset(const char* name, const char* category)
  {
    mStrings[0] = name;
    mStrings[1] = category;
  }
  void ShowMessage(const char* message) { SetParameter("", message); }
  void SetParameter(const char* label, const char* value)
  {
    mStrings[2] = label;
    mStrings[3] = value;
  }
  const char* GetPresetName() const { return mStrings[0].c_str(); }
  const char* GetPresetCategory() const { return mStrings[1].c_str(); }
  const char* GetParamLabel() const { return mStrings[2].c_str(); }
  const char* GetParamValue() const { return mStrings[3].c_str(); }
  void Draw(IGraphics& g) override
  {
    g.FillRect(mFill, mRECT);
    g.DrawRect(mFrame, mRECT);
    const float m = mMargin, s1 = mTexts[0].mSize, s2 = mTexts[1].mSize, s3 = mTexts[2].mSize,
                s4 = mTexts[3].mSize;
    const IRECT& r = mRECT;
    g.DrawText(mTexts[0], mStrings[0].c_str(), IRECT(r.L + m, r.T + m, r.R - m, r.T + m + s1));
    g.DrawText(mTexts[1], mStrings[1].c_str(),
               IRECT(r.L + m, r.T + s1 + m, r.R - m, r.T + s1 + s2 + m));
    g.DrawText(mTexts[2], mStrings[2].c_str(),
               IRECT(r.L + m, r.B - s3 - s4 - 2 * m, r.R - m, r.B - s4 - 2 * m));
    g.DrawText(mTexts[3], mStrings[3].c_str(), IRECT(r.L + m, r.B - s4 - m, r.R - m, r.B - m));
  }

private:
  IText mTexts[4];
  std::string mStrings[4];
  IColor mFrame, mFill;
  float mMargin;
};

class IVTVDiskPresetManagerControl : public IControl
{
public:
  IVTVDiskPresetManagerControl(const IRECT& bounds, int paramIdx, std::function<void(int)> load,
                               float arrowWidth, const char* left, const char* right,
                               const IText& arrowText, const IText& nameText,
                               const IColor& background, bool)
    : IControl(bounds, paramIdx), mLoad(std::move(load)), mArrowWidth(arrowWidth), mLeft(left),
      mRight(right), mArrowText(arrowText), mNameText(nameText), mBackground(background)
  {
    mIgnoreMouse = true;
  }
  void SetPresetName(const char* name)
  {
    if (mName)
      mName->SetStr(name);
  }
  void RebuildMenu(const DiskPresetManager& manager, int current)
  {
    mMenu.Clear();
    mItems.clear();
    Setup(*manager.mRoot, mMenu);
    Collect(mMenu);
    mCurrent = current;
  }
  void SetCurrentIdx(int index) { mCurrent = index; }
  int GetCurrentIdx() const { return mCurrent; }
  IPopupMenu& GetMenu() { return mMenu; }
  ITextControl* GetNameButton() const { return mName; }
  void OnAttached() override
  {
    const IRECT& r = mRECT;
    const float w = mArrowWidth;
    GetUI()->AttachControl(new ITextActionControl(
      IRECT(r.L, r.T, r.L + w, r.B), mLeft, [this](IControl*) { Step(-1); }, mArrowText));
    mName = new ITextActionControl(
      IRECT(r.L + w, r.T, r.R - w, r.B), "Init",
      [this](IControl* c) { GetUI()->CreatePopupMenu(*this, mMenu, c->GetRECT()); }, mNameText);
    GetUI()->AttachControl(mName);
    GetUI()->AttachControl(new ITextActionControl(
      IRECT(r.R - w, r.T, r.R, r.B), mRight, [this](IControl*) { Step(1); }, mArrowText));
  }
  void OnPopupMenuSelection(IPopupMenu* pMenu, int) override
  {
    if (!pMenu || !pMenu->GetChosenItem())
      return;
    for (size_t i = 0; i < mItems.size(); ++i)
      if (mItems[i] == pMenu->GetChosenItem())
      {
        mCurrent = static_cast<int>(i);
        if (mLoad)
          mLoad(mItems[i]->GetTag());
        return;
      }
    mCurrent = -1;
  }
  void Draw(IGraphics& g) override { g.FillRect(mBackground, mRECT); }

private:
  void Step(int d)
  {
    const int n = static_cast<int>(mItems.size());
    if (n == 0)
      return;
    mCurrent = ((mCurrent + d) % n + n) % n;
    if (mLoad)
      mLoad(mItems[static_cast<size_t>(mCurrent)]->GetTag());
  }
  void Setup(const DiskPresetDirectory& dir, IPopupMenu& menu)
  {
    for (int i = 0; i < dir.mSubDirs.GetSize(); ++i)
    {
      auto* pSub = new IPopupMenu();
      menu.AddItem(dir.mSubDirs.Get(i)->mName.Get(), pSub);
      Setup(*dir.mSubDirs.Get(i), *pSub);
    }
    for (int i = 0; i < dir.mItems.GetSize(); ++i)
      menu.AddItem(
        new IPopupMenu::Item(dir.mItems.Get(i)->mName.Get(), 0, dir.mItems.Get(i)->mIndex));
    menu.RemoveEmptySubmenus();
  }
  void Collect(IPopupMenu& menu)
  {
    for (int i = 0; i < menu.NItems(); ++i)
    {
      IPopupMenu::Item* pItem = menu.GetItem(i);
      if (pItem->GetSubmenu())
        Collect(*pItem->GetSubmenu());
      else
        mItems.push_back(pItem);
    }
  }

  std::function<void(int)> mLoad;
  float mArrowWidth;
  const char* mLeft;
  const char* mRight;
  IText mArrowText, mNameText;
  IColor mBackground;
  IPopupMenu mMenu;
  std::vector<IPopupMenu::Item*> mItems;
  ITextActionControl* mName = nullptr;
  int mCurrent = 0;
};

} // namespace plugin::igraphics
