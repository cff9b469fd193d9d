#pragma once
// Iterates over the entries of one folder (all of them, "." and ".." included; callers skip what
// they do not want). Main thread only: it does file-system I/O.

#include "framework/util/UtilString.h"

#include <dirent.h>

class Util_DirScan
{
public:
  Util_DirScan() = default;
  ~Util_DirScan() { Close(); }
  Util_DirScan(const Util_DirScan&) = delete;
  Util_DirScan& operator=(const Util_DirScan&) = delete;

  // Starts a scan of folder (one trailing "/" or "\" is dropped; "/" stays "/"). Answers 0 when
  // the first entry is available, 1 when the folder cannot be opened or is empty, -1 for a null
  // or empty folder text.
  int First(const char* folder);
  // 0 while a next entry is available, non-zero at the end.
  int Next();
  void Close();

  // The current entry's name ("" when there is none).
  const char* GetCurrentFN() const;
  // The scanned folder, "/" and the entry's name.
  void GetCurrentFullFN(Util_String& out) const;
  // 1 for a folder; for a symbolic link: 2 when it leads to a folder, 4 when that folder is the
  // scanned folder itself or one of its ancestors (following it would loop); 0 otherwise.
  int GetCurrentIsDirectory() const;

private:
  DIR* mDir = nullptr;
  dirent* mCurrent = nullptr;
  Util_FastString mPath;
};
