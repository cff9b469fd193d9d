#pragma once

// DiskPresetManager: turns folders of preset files into a tree (for the editor's preset
// browser) and a flat, numbered list (for loading by position).
//
// Scanning a folder visits every entry whose name does not begin with '.':
// - a folder (or a link to one) becomes a DiskPresetDirectory, kept in order of its name
//   compared without regard to letter case (names equal that way in byte order), and is
//   scanned in turn; a folder already being scanned further up (a link loop) is skipped;
// - a regular file (or a link to one) named "<name>.<extension>" with a non-empty name becomes
//   a DiskPresetItem, kept in order of its full path compared without regard to letter case
//   (then in byte order). Its displayed name loses ".<extension>" unless the manager keeps
//   extensions; its category is the name of the folder holding it, empty for files directly in
//   the first root.
// The flat list numbers the files depth first: the files of sub-folders (in folder order) come
// before the files of their parent, so the files of the root come last.
//
// Paths compare exactly (Linux file names are case-sensitive). Every Init discards the old tree:
// pointers to items taken before are invalid afterwards.
//
// Threads: [main thread]. Does file-system I/O and allocates.

#include "framework/util/UtilPtrList.h"
#include "framework/util/UtilString.h"

#include <sys/types.h>
#include <utility>
#include <vector>

namespace plugin::igraphics
{

class DiskPresetItem
{
public:
  DiskPresetItem(const char* name, const char* path);

  // The category becomes the name of the folder holding mPath.
  void SetCategoryName();

  Util_String mName{128};     // shown, and used as the program name
  Util_String mPath{128};     // the full file path
  Util_String mCategory{128}; // the folder holding the file, or empty
  int mIndex = 0;             // position in the flat list
};

class DiskPresetDirectory
{
public:
  explicit DiskPresetDirectory(const char* name);
  ~DiskPresetDirectory();
  DiskPresetDirectory(const DiskPresetDirectory&) = delete;
  DiskPresetDirectory& operator=(const DiskPresetDirectory&) = delete;

  // Deletes every sub-folder and item.
  void Clear();

  Util_PtrList<DiskPresetDirectory> mSubDirs{4096}; // owned
  Util_PtrList<DiskPresetItem> mItems{4096};        // owned
  Util_String mName{128};
};

class DiskPresetManager
{
public:
  // Adds folder as the first root; extension is given without its dot. Nothing is scanned yet.
  DiskPresetManager(const char* folder, const char* extension, bool keepExtension);
  ~DiskPresetManager();
  DiskPresetManager(const DiskPresetManager&) = delete;
  DiskPresetManager& operator=(const DiskPresetManager&) = delete;

  void AddPath(const char* folder);
  // Rebuilds the tree and the flat list from the disk.
  void Init();

  int NumPresets() const { return mItems.GetSize(); }
  DiskPresetItem* GetPreset(int index) const { return mItems.Get(index); }
  // Position of the first item whose path equals path exactly; 0 when there is none.
  int GetPresetIndexByPath(const Util_String& path) const;
  // The same, -1 when there is none.
  int FindPresetIndexByPath(const char* path) const;

  DiskPresetDirectory* mRoot = nullptr; // owned; named after the first root folder
  bool mKeepExtension = false;
  Util_String mExtension{128};
  int mSelected = -1;
  Util_PtrList<Util_String> mPaths{4096};    // owned
  Util_PtrList<DiskPresetItem> mItems{4096}; // the flat list; the tree owns the items

private:
  using FolderId = std::pair<dev_t, ino_t>;

  void ScanDirectory(const char* folder, DiskPresetDirectory& node,
                     std::vector<FolderId>& scanning);
  void AddFile(const char* fileName, const Util_String& fullPath, const char* folder,
               DiskPresetDirectory& node);
  void UpdatePresetItems(DiskPresetDirectory& node, int& counter);
  bool IsFirstRoot(const char* folder) const;
};

} // namespace plugin::igraphics
