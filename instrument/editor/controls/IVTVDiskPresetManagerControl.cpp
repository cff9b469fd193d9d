#include "instrument/editor/controls/IVTVDiskPresetManagerControl.h"

#include "framework/graphics/IGraphics.h"
#include "instrument/editor/controls/ITVCaptionControl.h"
#include "instrument/editor/controls/TextFit.h"
#include "instrument/persistence/DiskPresetManager.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plugin::igraphics
{

namespace
{

// The browser's name button: the preset's name, cut from its end at a whole character when it is
// wider than the button.
class PresetNameButton final : public ITextActionControl
{
public:
  using ITextActionControl::ITextActionControl;

  void Draw(IGraphics& g) override
  {
    g.FillRect(mBGColor, mRECT, &mBlend);
    const std::string shown = TextCutToWidth(g, mText, mStr.Get(), mRECT.W());
    if (!shown.empty())
      g.DrawText(mText, shown.c_str(), mRECT, &mBlend);
  }
};

} // namespace

// ---- IVTVDiskPresetManagerControl

IVTVDiskPresetManagerControl::IVTVDiskPresetManagerControl(
  const IRECT& bounds, int paramIdx, LoadPresetFunc loadFunc, float arrowWidth,
  const char* leftArrow, const char* rightArrow, const IText& arrowText, const IText& nameText,
  const IColor& bgColor, bool keepEmptyFolders)
  : IControl(bounds, paramIdx), mLoadFunc(std::move(loadFunc)), mArrowWidth(arrowWidth),
    mLeftArrowStr(leftArrow ? leftArrow : ""), mRightArrowStr(rightArrow ? rightArrow : ""),
    mArrowText(arrowText), mNameText(nameText), mBGColor(bgColor),
    mKeepEmptyFolders(keepEmptyFolders)
{
  mIgnoreMouse = true;
}

IVTVDiskPresetManagerControl::~IVTVDiskPresetManagerControl()
{
  ClearMenu();
}

void IVTVDiskPresetManagerControl::ClearMenu()
{
  mFlatItems.clear();
  mMenu.Clear(true);
}

void IVTVDiskPresetManagerControl::RebuildMenu(const DiskPresetManager& manager, int currentIdx)
{
  mLastIdx = manager.NumPresets() - 1;
  ClearMenu();
  mCurrentIdx = 0;
  if (manager.mRoot)
    SetupMenu(*manager.mRoot, mMenu);
  CollectSortedItems(&mMenu);
  mCurrentIdx = currentIdx;
}

void IVTVDiskPresetManagerControl::SetupMenu(const DiskPresetDirectory& folder, IPopupMenu& menu)
{
  for (int i = 0; i < folder.mSubDirs.GetSize(); ++i)
  {
    const DiskPresetDirectory* pSub = folder.mSubDirs.Get(i);
    if (!pSub)
      continue;
    auto* pSubmenu = new IPopupMenu();
    // The item owns the submenu from here on (also should the menu fail to grow).
    menu.AddItem(new IPopupMenu::Item(pSub->mName.Get(), pSubmenu));
    SetupMenu(*pSub, *pSubmenu);
  }
  for (int i = 0; i < folder.mItems.GetSize(); ++i)
  {
    if (const DiskPresetItem* pItem = folder.mItems.Get(i))
      menu.AddItem(
        new IPopupMenu::Item(pItem->mName.Get(), IPopupMenu::Item::kNoFlags, pItem->mIndex));
  }
  if (!mKeepEmptyFolders)
    menu.RemoveEmptySubmenus();
}

void IVTVDiskPresetManagerControl::CollectSortedItems(IPopupMenu* pMenu)
{
  if (pMenu)
    pMenu->CollectLeafItems(mFlatItems);
}

const IPopupMenu::Item* IVTVDiskPresetManagerControl::GetFlatItem(int idx) const
{
  return idx >= 0 && idx < NFlatItems() ? mFlatItems[static_cast<size_t>(idx)] : nullptr;
}

void IVTVDiskPresetManagerControl::LoadCurrent()
{
  if (const IPopupMenu::Item* pItem = GetFlatItem(mCurrentIdx); pItem && mLoadFunc)
    mLoadFunc(pItem->GetTag());
}

void IVTVDiskPresetManagerControl::LoadPrevious()
{
  mCurrentIdx = mCurrentIdx <= 0 ? mLastIdx : mCurrentIdx - 1;
  LoadCurrent();
}

void IVTVDiskPresetManagerControl::LoadNext()
{
  mCurrentIdx = mCurrentIdx >= mLastIdx ? 0 : mCurrentIdx + 1;
  LoadCurrent();
}

void IVTVDiskPresetManagerControl::OpenMenu()
{
  if (IGraphics* pGraphics = GetUI())
    pGraphics->CreatePopupMenu(*this, mMenu, mNameButton ? mNameButton->GetRECT() : mRECT);
}

void IVTVDiskPresetManagerControl::SetPresetName(const char* name)
{
  if (mNameButton)
    mNameButton->SetStr(name);
}

void IVTVDiskPresetManagerControl::OnAttached()
{
  IGraphics* pGraphics = GetUI();
  if (!pGraphics)
    return;
  const IRECT& r = mRECT;
  mLeftArrow = new ITextActionControl(
    IRECT(r.L, r.T, r.L + mArrowWidth, r.B), mLeftArrowStr.c_str(),
    [this](IControl*) { LoadPrevious(); }, mArrowText);
  mNameButton = new PresetNameButton(
    IRECT(r.L + mArrowWidth, r.T, r.R - mArrowWidth, r.B), "Init",
    [this](IControl*) { OpenMenu(); }, mNameText);
  mRightArrow = new ITextActionControl(
    IRECT(r.R - mArrowWidth, r.T, r.R, r.B), mRightArrowStr.c_str(),
    [this](IControl*) { LoadNext(); }, mArrowText);
  for (ITextControl* pButton : {mLeftArrow, mNameButton, mRightArrow})
    pGraphics->AttachControl(pButton);
}

void IVTVDiskPresetManagerControl::OnPopupMenuSelection(IPopupMenu* pSelectedMenu, int)
{
  // Dismissed, or an answer without a chosen item: nothing to look up.
  const IPopupMenu::Item* pChosen = pSelectedMenu ? pSelectedMenu->GetChosenItem() : nullptr;
  if (!pChosen)
    return;
  const auto found = std::find(mFlatItems.begin(), mFlatItems.end(), pChosen);
  if (found == mFlatItems.end())
  {
    mCurrentIdx = -1;
    return;
  }
  mCurrentIdx = static_cast<int>(found - mFlatItems.begin());
  LoadCurrent();
}

void IVTVDiskPresetManagerControl::Draw(IGraphics& g)
{
  g.FillRect(mBGColor, mRECT, &mBlend);
}

// ---- IParamDisplayControl

IParamDisplayControl::IParamDisplayControl(const IRECT& bounds, int paramIdx,
                                           const IText& presetText, const IText& categoryText,
                                           const IText& labelText, const IText& valueText,
                                           const char* presetName, const char* presetCategory,
                                           const char* paramLabel, const char* paramValue,
                                           const IColor& frameColor, const IColor& fillColor,
                                           float margin)
  : IControl(bounds, paramIdx), mPresetText(presetText), mCategoryText(categoryText),
    mLabelText(labelText), mValueText(valueText), mPresetName(presetName ? presetName : ""),
    mPresetCategory(presetCategory ? presetCategory : ""),
    mParamLabel(paramLabel ? paramLabel : ""), mParamValue(paramValue ? paramValue : ""),
    mFrameColor(frameColor), mFillColor(fillColor), mMargin(std::max(margin, 0.f))
{
}

namespace
{

// Sets a text of the display; true when it changed (the display is redrawn only then: a pointer
// moving over one knob shows the same name and value at every move).
bool Change(Util_String& text, const char* value)
{
  value = value ? value : "";
  if (std::strcmp(text.Get(), value) == 0)
    return false;
  text.Set(value);
  return true;
}

} // namespace

void IParamDisplayControl::SetPreset(const char* name, const char* category)
{
  const bool changed = Change(mPresetName, name) | Change(mPresetCategory, category);
  if (changed)
    SetDirty(false);
}

// A knob turned changes the value's row alone, a new parameter under the pointer its name's
// row too: the frame redraws only those (a fifth to a half of the display).
void IParamDisplayControl::SetParameter(const char* label, const char* value)
{
  // Blanks at the end of a display text (kept there for hosts) are not shown.
  const bool message = Change(mMessage, "");
  if (Change(mParamLabel, WithoutTrailingBlanks(label).c_str()) || message)
    SetPartDirty(GetLabelRECT().Union(GetValueRECT()));
  if (Change(mParamValue, WithoutTrailingBlanks(value).c_str()))
    SetPartDirty(GetValueRECT());
}

void IParamDisplayControl::ShowMessage(const char* message)
{
  if (Change(mMessage, message))
    SetPartDirty(GetLabelRECT().Union(GetValueRECT()));
}

void IParamDisplayControl::SetDirty(bool triggerAction, int valIdx)
{
  IControl::SetDirty(triggerAction, valIdx);
  mDirtyPart = IRECT();
}

void IParamDisplayControl::SetPartDirty(const IRECT& r)
{
  // Glyphs may reach a little beyond their rows: below into the margin, above by a fifth of
  // the row. The outline along the box's edge never changes: the part keeps off it (up to two
  // points of the margin), so that the part's redraw, padded, stays within the opaque box and
  // draws nothing of what lies behind it.
  const float keepOff = std::clamp(mMargin, 0.f, 2.f);
  const IRECT part(mRECT.L + keepOff, r.T - r.H() * 0.2f, mRECT.R - keepOff,
                   std::min(r.B + mMargin, mRECT.B - keepOff));
  const bool wasDirty = IsDirty();
  const IRECT waiting = mDirtyPart;
  IControl::SetDirty(false);
  mDirtyPart = !wasDirty ? part : waiting.Empty() ? IRECT() : waiting.Union(part);
}

IRECT IParamDisplayControl::GetDirtyRECT() const
{
  return mDirtyPart.Empty() ? mRECT : mDirtyPart.Intersect(mRECT);
}

IRECT IParamDisplayControl::InnerRECT() const
{
  const float l = mRECT.L + mMargin, t = mRECT.T + mMargin;
  const float r = std::max(l, mRECT.R - mMargin), b = std::max(t, mRECT.B - mMargin);
  if (l > mRECT.R || t > mRECT.B)
    return IRECT(mRECT.MW(), mRECT.MH(), mRECT.MW(), mRECT.MH());
  return IRECT(l, t, r, b);
}

IRECT IParamDisplayControl::Row(float top, float bottom) const
{
  const IRECT inner = InnerRECT();
  top = std::clamp(top, inner.T, inner.B);
  bottom = std::clamp(bottom, top, inner.B);
  return IRECT(inner.L, top, inner.R, bottom);
}

IRECT IParamDisplayControl::GetPresetNameRECT() const
{
  const float t = InnerRECT().T;
  return Row(t, t + mPresetText.mSize);
}

IRECT IParamDisplayControl::GetCategoryRECT() const
{
  const float t = InnerRECT().T + mPresetText.mSize;
  return Row(t, t + mCategoryText.mSize);
}

IRECT IParamDisplayControl::GetValueRECT() const
{
  const float b = InnerRECT().B;
  return Row(b - mValueText.mSize, b);
}

IRECT IParamDisplayControl::GetLabelRECT() const
{
  const float b = InnerRECT().B - mValueText.mSize;
  return Row(b - mLabelText.mSize, b);
}

void IParamDisplayControl::Draw(IGraphics& g)
{
  g.FillRect(mFillColor, mRECT, &mBlend);
  g.DrawRect(mFrameColor, mRECT.GetPadded(-0.5f), &mBlend);

  // The name and the category (names of the user's files and folders), each cut from its end
  // until it fits its row.
  auto drawCut = [&](const IText& text, const char* str, const IRECT& row)
  {
    g.DrawText(text, TextCutToWidth(g, text, str, row.W()).c_str(), row, &mBlend);
  };
  drawCut(mPresetText, mPresetName.Get(), GetPresetNameRECT());
  drawCut(mCategoryText, mPresetCategory.Get(), GetCategoryRECT());

  if (mMessage.GetLength() > 0)
  {
    DrawMessage(g);
    return;
  }
  g.DrawText(GetShownLabelText(g), mParamLabel.Get(), GetLabelRECT(), &mBlend);
  g.DrawText(GetShownValueText(g), mParamValue.Get(), GetValueRECT(), &mBlend);
}

bool IParamDisplayControl::IsOpaqueOver(const IRECT& r) const
{
  return mFillColor.A == 255 && mBlend == IBlend() && mRECT.Contains(r);
}

IText IParamDisplayControl::GetShownLabelText(const IGraphics& g) const
{
  return TextFittingWidth(g, mLabelText, mParamLabel.Get(), GetLabelRECT().W());
}

IText IParamDisplayControl::GetShownValueText(const IGraphics& g) const
{
  return TextFittingWidth(g, mValueText, mParamValue.Get(), GetValueRECT().W());
}

void IParamDisplayControl::DrawMessage(IGraphics& g)
{
  // In the category's type and the value's colour, wrapped at blanks over the two bottom rows.
  IText text = mCategoryText;
  text.mFGColor = mValueText.mFGColor;
  text.mVAlign = EVAlign::kMiddle;
  const IRECT area(GetLabelRECT().L, GetLabelRECT().T, GetValueRECT().R, GetValueRECT().B);
  const float lineHeight = std::max(1.f, std::round(text.mSize * 1.25f));
  const int maxLines = std::max(1, static_cast<int>(area.H() / lineHeight));

  std::vector<std::string> lines;
  std::string line;
  const std::string message = mMessage.Get();
  IRECT measured;
  size_t at = 0;
  while (at < message.size() && static_cast<int>(lines.size()) < maxLines)
  {
    const size_t blank = message.find(' ', at);
    const std::string word = message.substr(at, blank == std::string::npos ? blank : blank - at);
    at = blank == std::string::npos ? message.size() : blank + 1;
    const std::string longer = line.empty() ? word : line + " " + word;
    if (!line.empty() && g.MeasureText(text, longer.c_str(), measured) > area.W())
    {
      lines.push_back(line);
      line = word;
    }
    else
    {
      line = longer;
    }
  }
  if (!line.empty() && static_cast<int>(lines.size()) < maxLines)
    lines.push_back(line);

  const float top = area.MH() - lineHeight * static_cast<float>(lines.size()) / 2.f;
  for (size_t i = 0; i < lines.size(); ++i)
  {
    const float y = top + lineHeight * static_cast<float>(i);
    g.DrawText(text, lines[i].c_str(), IRECT(area.L, y, area.R, y + lineHeight), &mBlend);
  }
}

} // namespace plugin::igraphics
