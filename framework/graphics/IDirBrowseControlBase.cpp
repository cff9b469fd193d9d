#include "framework/graphics/IDirBrowseControlBase.h"

#include "framework/util/UtilDirScan.h"

#include <cstring>

namespace plugin::igraphics
{

IDirBrowseControlBase::IDirBrowseControlBase(const IRECT& bounds, const char* extension,
                                             bool showFileExtensions, bool scanRecursively,
                                             bool showEmptySubmenus)
  : IContainerBase(bounds), mScanRecursively(scanRecursively),
    mShowFileExtensions(showFileExtensions), mShowEmptySubmenus(showEmptySubmenus)
{
  if (extension)
    mExtension = extension[0] == '.' ? extension + 1 : extension;
}

IDirBrowseControlBase::~IDirBrowseControlBase() = default;

void IDirBrowseControlBase::AddPath(const char* path, const char* label)
{
  mPaths.emplace_back(path ? path : "");
  mPathLabels.emplace_back(label ? label : "");
}

void IDirBrowseControlBase::SetupMenu()
{
  mFiles.clear();
  mItems.clear();
  mMainMenu.Clear(true);
  mSelectedItemIndex = -1;

  if (mPaths.size() == 1)
  {
    ScanDirectory(mPaths[0].c_str(), mMainMenu);
  }
  else
  {
    for (size_t p = 0; p < mPaths.size(); ++p)
    {
      auto* pSubmenu = new IPopupMenu("");
      mMainMenu.AddItem(mPathLabels[p].c_str(), static_cast<int>(p), pSubmenu);
      ScanDirectory(mPaths[p].c_str(), *pSubmenu);
    }
  }
  CollectSortedItems(&mMainMenu);
}

bool IDirBrowseControlBase::MatchesExtension(const char* name) const
{
  const size_t nameLen = std::strlen(name);
  const size_t extLen = mExtension.size();
  // The dot must be there, and something before it: "xpreset" and ".preset" are no presets.
  if (nameLen < extLen + 2)
    return false;
  const size_t dot = nameLen - extLen - 1;
  return name[dot] == '.' && std::strcmp(name + dot + 1, mExtension.c_str()) == 0;
}

void IDirBrowseControlBase::ScanDirectory(const char* path, IPopupMenu& menu)
{
  Util_DirScan scan;
  for (int more = scan.First(path) == 0; more; more = scan.Next() == 0)
  {
    const char* name = scan.GetCurrentFN();
    if (name[0] == '.')
      continue; // ".", "..", hidden entries
    Util_String fullPath;
    scan.GetCurrentFullFN(fullPath);

    // 1: a folder, 2: a link to one; 4: a link back to this folder or an ancestor, which would
    // never end.
    const int dirKind = scan.GetCurrentIsDirectory();
    if (dirKind != 0)
    {
      if (mScanRecursively && (dirKind == 1 || dirKind == 2))
      {
        auto* pSubmenu = new IPopupMenu("");
        menu.AddItem(name, -2, pSubmenu);
        ScanDirectory(fullPath.Get(), *pSubmenu);
      }
      continue; // a folder is never listed as a document
    }

    if (mExtension.empty() || !MatchesExtension(name))
      continue;
    std::string text(name);
    if (!mShowFileExtensions)
      text.resize(text.size() - mExtension.size() - 1);
    const int tag = static_cast<int>(mFiles.size());
    menu.AddItem(new IPopupMenu::Item(text.c_str(), IPopupMenu::Item::kNoFlags, tag), -2);
    mFiles.emplace_back(fullPath.Get());
  }

  if (!mShowEmptySubmenus)
    menu.RemoveEmptySubmenus();
}

void IDirBrowseControlBase::CollectSortedItems(IPopupMenu* pMenu)
{
  if (pMenu)
    pMenu->CollectLeafItems(mItems);
}

int IDirBrowseControlBase::SetSelectedFile(const char* path)
{
  mSelectedItemIndex = -1;
  if (!path)
    return -1;
  for (size_t f = 0; f < mFiles.size(); ++f)
  {
    if (mFiles[f] != path)
      continue;
    for (size_t i = 0; i < mItems.size(); ++i)
    {
      if (mItems[i]->GetTag() == static_cast<int>(f))
      {
        mSelectedItemIndex = static_cast<int>(i);
        break;
      }
    }
    break;
  }
  return mSelectedItemIndex;
}

void IDirBrowseControlBase::GetSelectedFile(Util_String& path) const
{
  path.Set("");
  if (mSelectedItemIndex < 0 || mSelectedItemIndex >= NItems())
    return;
  const int tag = mItems[mSelectedItemIndex]->GetTag();
  if (tag >= 0 && tag < NFiles())
    path.Set(mFiles[tag].c_str());
}

void IDirBrowseControlBase::CheckSelectedItem()
{
  if (mSelectedItemIndex >= 0 && mSelectedItemIndex < NItems())
    mMainMenu.CheckItemAlone(mItems[mSelectedItemIndex]);
}

void IDirBrowseControlBase::ClearPathList()
{
  mPaths.clear();
  mPathLabels.clear();
  mFiles.clear();
  mItems.clear();
}

const IPopupMenu::Item* IDirBrowseControlBase::GetItem(int idx) const
{
  return idx >= 0 && idx < NItems() ? mItems[idx] : nullptr;
}

const char* IDirBrowseControlBase::GetFile(int idx) const
{
  return idx >= 0 && idx < NFiles() ? mFiles[idx].c_str() : "";
}

} // namespace plugin::igraphics
