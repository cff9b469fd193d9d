#include "instrument/persistence/DiskPresetManager.h"

#include "framework/util/UtilDirScan.h"
#include "instrument/persistence/PresetFile.h"

#include <algorithm>
#include <cstring>
#include <strings.h>
#include <sys/stat.h>

namespace plugin::igraphics
{

namespace
{

// Order of names and paths: without regard to letter case, then byte order, so that the order
// does not depend on the order in which the folder lists its entries.
int Compare(const char* a, const char* b)
{
  const int folded = strcasecmp(a, b);
  return folded != 0 ? folded : std::strcmp(a, b);
}

// Binary search: the position before the first element not ordered before key.
template <class T, class KeyOf>
int InsertPosition(const Util_PtrList<T>& list, const char* key, KeyOf keyOf)
{
  int low = 0;
  int high = list.GetSize();
  while (low < high)
  {
    const int middle = (low + high) / 2;
    if (Compare(keyOf(*list.Get(middle)), key) < 0)
    {
      low = middle + 1;
    }
    else
    {
      high = middle;
    }
  }
  return low;
}

// A folder path without its trailing separators ("/" stays "/").
std::string WithoutTrailingSeparator(const char* folder)
{
  std::string path = folder ? folder : "";
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
  {
    path.pop_back();
  }
  return path;
}

} // namespace

DiskPresetItem::DiskPresetItem(const char* name, const char* path)
{
  mName.Set(name);
  mPath.Set(path);
}

void DiskPresetItem::SetCategoryName()
{
  mCategory.Set(PresetFile::CategoryFromPath(mPath.Get()).c_str());
}

DiskPresetDirectory::DiskPresetDirectory(const char* name)
{
  mName.Set(name);
}

DiskPresetDirectory::~DiskPresetDirectory()
{
  Clear();
}

void DiskPresetDirectory::Clear()
{
  mSubDirs.Empty(true);
  mItems.Empty(true);
}

DiskPresetManager::DiskPresetManager(const char* folder, const char* extension, bool keepExtension)
  : mKeepExtension(keepExtension)
{
  mExtension.Set(extension);
  AddPath(folder);
  mRoot = new DiskPresetDirectory(folder);
}

DiskPresetManager::~DiskPresetManager()
{
  mItems.Empty();
  delete mRoot;
  mPaths.Empty(true);
}

void DiskPresetManager::AddPath(const char* folder)
{
  mPaths.Add(new Util_String(folder ? folder : ""));
}

void DiskPresetManager::Init()
{
  mItems.Empty();
  mRoot->Clear();
  mSelected = -1;
  for (int i = 0; i < mPaths.GetSize(); ++i)
  {
    std::vector<FolderId> scanning;
    ScanDirectory(mPaths.Get(i)->Get(), *mRoot, scanning);
  }
  int counter = 0;
  UpdatePresetItems(*mRoot, counter);
}

int DiskPresetManager::FindPresetIndexByPath(const char* path) const
{
  for (int i = 0; path && i < mItems.GetSize(); ++i)
  {
    if (std::strcmp(mItems.Get(i)->mPath.Get(), path) == 0)
    {
      return i;
    }
  }
  return -1;
}

int DiskPresetManager::GetPresetIndexByPath(const Util_String& path) const
{
  return std::max(FindPresetIndexByPath(path.Get()), 0);
}

bool DiskPresetManager::IsFirstRoot(const char* folder) const
{
  const Util_String* first = mPaths.Get(0);
  return first && WithoutTrailingSeparator(first->Get()) == WithoutTrailingSeparator(folder);
}

void DiskPresetManager::ScanDirectory(const char* folder, DiskPresetDirectory& node,
                                      std::vector<FolderId>& scanning)
{
  // A folder met again while it is being scanned (through a link, a bind mount...) would loop.
  struct stat status;
  if (!folder || stat(folder, &status) != 0 || !S_ISDIR(status.st_mode))
  {
    return;
  }
  const FolderId id{status.st_dev, status.st_ino};
  if (std::find(scanning.begin(), scanning.end(), id) != scanning.end())
  {
    return;
  }
  scanning.push_back(id);

  Util_DirScan scan;
  for (int more = scan.First(folder); more == 0; more = scan.Next())
  {
    const char* name = scan.GetCurrentFN();
    if (name[0] == '.')
    {
      continue;
    }
    Util_String fullPath;
    scan.GetCurrentFullFN(fullPath);
    const int directory = scan.GetCurrentIsDirectory();
    if (directory == 1 || directory == 2)
    {
      auto* sub = new DiskPresetDirectory(name);
      const int at = InsertPosition(node.mSubDirs, name,
                                    [](const DiskPresetDirectory& d) { return d.mName.Get(); });
      node.mSubDirs.Insert(at, sub);
      ScanDirectory(fullPath.Get(), *sub, scanning);
    }
    else if (directory == 0)
    {
      AddFile(name, fullPath, folder, node);
    }
  }
  scanning.pop_back();
}

void DiskPresetManager::AddFile(const char* fileName, const Util_String& fullPath,
                                const char* folder, DiskPresetDirectory& node)
{
  // "<name>.<extension>" with a name of at least one character, the extension ending the file
  // name ("My preset.preset" is a preset named "My preset").
  const size_t length = std::strlen(fileName);
  const size_t extension = static_cast<size_t>(mExtension.GetLength());
  if (extension == 0 || length < extension + 2 || fileName[length - extension - 1] != '.' ||
      std::strcmp(fileName + length - extension, mExtension.Get()) != 0)
  {
    return;
  }
  struct stat status;
  if (stat(fullPath.Get(), &status) != 0 || !S_ISREG(status.st_mode))
  {
    return;
  }
  Util_String name;
  name.Set(fileName, mKeepExtension ? 0 : static_cast<int>(length - extension - 1));
  auto* item = new DiskPresetItem(name.Get(), fullPath.Get());
  if (!IsFirstRoot(folder))
  {
    item->SetCategoryName();
  }
  const int at = InsertPosition(node.mItems, fullPath.Get(),
                                [](const DiskPresetItem& i) { return i.mPath.Get(); });
  node.mItems.Insert(at, item);
}

void DiskPresetManager::UpdatePresetItems(DiskPresetDirectory& node, int& counter)
{
  for (int i = 0; i < node.mSubDirs.GetSize(); ++i)
  {
    UpdatePresetItems(*node.mSubDirs.Get(i), counter);
  }
  for (int i = 0; i < node.mItems.GetSize(); ++i)
  {
    DiskPresetItem* item = node.mItems.Get(i);
    item->mIndex = counter++;
    mItems.Add(item);
  }
}

} // namespace plugin::igraphics
