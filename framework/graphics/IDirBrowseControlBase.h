#pragma once
// IDirBrowseControlBase: a container that lists the documents of one kind (a file extension)
// found in one or more folders as a popup menu. With one folder the menu holds its files (and,
// when scanning recursively, a submenu per subfolder); with several, a submenu per folder
// under its label. Items are sorted case-insensitively; each file item's tag is its index in
// the list of found files, so a chosen item leads back to its full path. Leaf items are also
// kept in menu order (NItems, the selected index) for controls that step through them.
// Main thread only: scanning reads the file system.

#include "framework/graphics/IContainerBase.h"
#include "framework/graphics/IPopupMenu.h"
#include "framework/util/UtilString.h"

#include <string>
#include <vector>

namespace plugin::igraphics
{

class IDirBrowseControlBase : public IContainerBase
{
public:
  // extension: the file type to list, without the dot (a leading dot is ignored).
  IDirBrowseControlBase(const IRECT& bounds, const char* extension, bool showFileExtensions = true,
                        bool scanRecursively = true, bool showEmptySubmenus = false);
  ~IDirBrowseControlBase() override;

  void AddPath(const char* path, const char* label);
  // Rebuilds the menu from the paths added so far; nothing is selected afterwards.
  void SetupMenu();
  // Adds the matching files of path (and of its subfolders, when scanning recursively) to menu.
  void ScanDirectory(const char* path, IPopupMenu& menu);
  // Appends the leaf items of menu, depth first in menu order, to the item list.
  void CollectSortedItems(IPopupMenu* pMenu);
  // Selects the item of the found file equal to path; returns its position, or -1.
  int SetSelectedFile(const char* path);
  // The selected item's full path; empty when nothing is selected.
  void GetSelectedFile(Util_String& path) const;
  // Checks the selected item alone in the menu.
  void CheckSelectedItem();
  void ClearPathList();
  int NItems() const { return static_cast<int>(mItems.size()); }

  IPopupMenu& GetMainMenu() { return mMainMenu; }
  int GetSelectedItemIdx() const { return mSelectedItemIndex; }
  const IPopupMenu::Item* GetItem(int idx) const;
  int NFiles() const { return static_cast<int>(mFiles.size()); }
  const char* GetFile(int idx) const;

protected:
  // True when name ends with "." and the extension, with something before the dot.
  bool MatchesExtension(const char* name) const;

  bool mScanRecursively;
  bool mShowFileExtensions;
  bool mShowEmptySubmenus;
  int mSelectedItemIndex = -1;
  IPopupMenu mMainMenu;
  std::vector<std::string> mPaths;
  std::vector<std::string> mPathLabels;
  std::vector<std::string> mFiles;
  std::vector<IPopupMenu::Item*> mItems; // not owned: the menu holds them
  std::string mExtension;
};

} // namespace plugin::igraphics
