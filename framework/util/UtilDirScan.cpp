#include "framework/util/UtilDirScan.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace
{
// True when folder (a real path) is base itself or one of its ancestors (base a real path).
bool IsSelfOrAncestor(const char* folder, const char* base)
{
  const size_t n = std::strlen(folder);
  if (n == 1 && folder[0] == '/')
    return true;
  return std::strncmp(folder, base, n) == 0 && (base[n] == '/' || base[n] == 0);
}
} // namespace

int Util_DirScan::First(const char* folder)
{
  if (!folder || !folder[0])
    return -1;
  mPath.Set(folder);
  const int length = mPath.GetLength();
  if (length > 1 && (folder[length - 1] == '/' || folder[length - 1] == '\\'))
    mPath.DeleteSub(length - 1, 1);
  Close();
  mDir = opendir(mPath.Get());
  if (!mDir)
    return 1;
  return Next();
}

int Util_DirScan::Next()
{
  if (!mDir)
    return 1;
  mCurrent = readdir(mDir);
  return mCurrent ? 0 : 1;
}

void Util_DirScan::Close()
{
  if (mDir)
    closedir(mDir);
  mDir = nullptr;
  mCurrent = nullptr;
}

const char* Util_DirScan::GetCurrentFN() const
{
  return mCurrent ? mCurrent->d_name : "";
}

void Util_DirScan::GetCurrentFullFN(Util_String& out) const
{
  out.Set(mPath.Get());
  if (std::strcmp(mPath.Get(), "/") != 0) // the root folder already ends in "/"
    out.Append("/");
  out.Append(GetCurrentFN());
}

int Util_DirScan::GetCurrentIsDirectory() const
{
  if (!mCurrent)
    return 0;
  switch (mCurrent->d_type)
  {
  case DT_DIR:
    return 1;
  case DT_UNKNOWN:
  {
    Util_String full;
    GetCurrentFullFN(full);
    DIR* probe = opendir(full.Get());
    if (!probe)
      return 0;
    closedir(probe);
    return 1;
  }
  case DT_LNK:
  {
    Util_String full;
    GetCurrentFullFN(full);
    struct stat st;
    if (stat(full.Get(), &st) != 0 || !S_ISDIR(st.st_mode))
      return 0;
    // Both sides resolved, so a relative or linked scan path still detects a loop.
    char target[PATH_MAX];
    char scanned[PATH_MAX];
    if (!realpath(full.Get(), target) || !realpath(mPath.Get(), scanned))
      return 2;
    return IsSelfOrAncestor(target, scanned) ? 4 : 2;
  }
  default:
    return 0;
  }
}
