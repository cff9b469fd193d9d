#include "framework/util/UtilAssocArray.h"
#include "framework/util/UtilDirScan.h"
#include "framework/util/UtilMutex.h"
#include "framework/util/UtilPtrList.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <thread>

TEST(Util_PtrList, IndexOutsideAndOwnershipOnEmpty)
{
  static int sDestroyed = 0;
  struct Item
  {
    ~Item() { ++sDestroyed; }
  };
  Util_PtrList<Item> list;
  Item* a = list.Add(new Item);
  list.Add(nullptr); // null entries are skipped by deletion
  Item* c = list.Insert(0, new Item);
  EXPECT_EQ(list.GetSize(), 3);
  EXPECT_EQ(list.Get(0), c);
  EXPECT_EQ(list.Get(3), nullptr);
  EXPECT_EQ(list.Get(-1), nullptr);
  EXPECT_EQ(list.Find(a), 1);
  list.Delete(0, true);
  EXPECT_EQ(sDestroyed, 1);
  list.Empty(true);
  EXPECT_EQ(sDestroyed, 2);
  EXPECT_EQ(list.GetSize(), 0);

  static int sDisposed = 0;
  Util_PtrList<int> ints;
  ints.Add(new int(1));
  ints.Add(new int(2));
  ints.Empty(true,
             [](int* p)
             {
               ++sDisposed;
               delete p;
             });
  EXPECT_EQ(sDisposed, 2);
}

namespace
{
void FreeText(char* text)
{
  std::free(text);
}
} // namespace

TEST(Util_StringKeyedArray, CaseInsensitiveKeysKeepTheirFirstSpelling)
{
  Util_StringKeyedArray<char*> map(false, &FreeText);
  map.Insert("Scale", strdup("1"));
  map.Insert("alpha", strdup("a"));
  map.Insert("SCALE", strdup("2")); // same key: value replaced, spelling kept
  ASSERT_EQ(map.GetSize(), 2);
  EXPECT_STREQ(map.Enumerate(0)->key, "alpha");
  EXPECT_STREQ(map.Enumerate(1)->key, "Scale");
  EXPECT_STREQ(map.Get("scale"), "2");
  EXPECT_EQ(map.Get("missing"), nullptr);
  EXPECT_TRUE(map.Delete("ALPHA"));
  EXPECT_FALSE(map.Delete("alpha"));
  EXPECT_EQ(map.GetSize(), 1);
}

TEST(Util_StringKeyedArray, ResortMergesEqualKeysLastValueWins)
{
  Util_StringKeyedArray<char*> map(false, &FreeText);
  map.AddUnsorted("a", strdup("1"));
  map.AddUnsorted("B", strdup("2"));
  map.AddUnsorted("A", strdup("3"));
  map.Resort();
  ASSERT_EQ(map.GetSize(), 2);
  EXPECT_STREQ(map.Enumerate(0)->key, "a");
  EXPECT_STREQ(map.Enumerate(0)->value, "3");
  EXPECT_STREQ(map.Get("b"), "2");

  Util_StringKeyedArray<int> exact(true);
  for (const char* key : {"m", "z", "a", "M", "m"})
    exact.AddUnsorted(key, 1);
  exact.Resort();
  EXPECT_EQ(exact.GetSize(), 4); // case-sensitive: "M" and "m" differ
}

TEST(Util_Mutex, IsRecursiveAndExcludesOtherThreads)
{
  Util_Mutex mutex;
  int counter = 0;
  auto work = [&]
  {
    for (int i = 0; i < 2000; ++i)
    {
      Util_MutexLock outer(mutex);
      Util_MutexLock inner(&mutex); // the holder may enter again
      ++counter;
    }
  };
  std::thread other(work);
  work();
  other.join();
  EXPECT_EQ(counter, 4000);
  Util_MutexLock none(nullptr);
}

TEST(Util_DirScan, ScansAFolderGivenWithATrailingSlash)
{
  testsupport::TempDir dir;
  ASSERT_TRUE(testsupport::WriteFile(dir / "one.txt", "1"));
  ASSERT_EQ(mkdir((dir / "sub").c_str(), 0777), 0);

  Util_DirScan scan;
  std::set<std::string> names;
  std::string subFull;
  for (int more = scan.First((dir.Path() + "/").c_str()); more == 0; more = scan.Next())
  {
    names.insert(scan.GetCurrentFN());
    Util_String full;
    scan.GetCurrentFullFN(full);
    if (std::string(scan.GetCurrentFN()) == "sub")
    {
      subFull = full.Get();
      EXPECT_EQ(scan.GetCurrentIsDirectory(), 1);
    }
    if (std::string(scan.GetCurrentFN()) == "one.txt")
    {
      EXPECT_EQ(scan.GetCurrentIsDirectory(), 0);
    }
  }
  EXPECT_EQ(names, (std::set<std::string>{".", "..", "one.txt", "sub"}));
  EXPECT_EQ(subFull, dir / "sub");

  EXPECT_EQ(scan.First(""), -1);
  EXPECT_EQ(scan.First(nullptr), -1);
  EXPECT_EQ(scan.First((dir / "missing").c_str()), 1);
  EXPECT_STREQ(scan.GetCurrentFN(), "");

  ASSERT_EQ(scan.First("/"), 0);
  Util_String rootEntry;
  scan.GetCurrentFullFN(rootEntry);
  EXPECT_EQ(rootEntry.Get()[0], '/');
  EXPECT_NE(rootEntry.Get()[1], '/');
}

TEST(Util_DirScan, LinksBackToTheScannedFolderAreMarked)
{
  testsupport::TempDir dir;
  const std::string scanned = dir / "presets";
  ASSERT_EQ(mkdir(scanned.c_str(), 0777), 0);
  ASSERT_EQ(mkdir((dir / "other").c_str(), 0777), 0);
  ASSERT_EQ(symlink(scanned.c_str(), (scanned + "/self").c_str()), 0);
  ASSERT_EQ(symlink(dir.Path().c_str(), (scanned + "/parent").c_str()), 0);
  ASSERT_EQ(symlink((dir / "other").c_str(), (scanned + "/other").c_str()), 0);
  ASSERT_EQ(symlink((dir / "nowhere").c_str(), (scanned + "/dangling").c_str()), 0);

  // Scanned through a relative path, so only resolved paths can reveal the loop.
  char* cwd = getcwd(nullptr, 0);
  ASSERT_EQ(chdir(dir.Path().c_str()), 0);
  Util_DirScan scan;
  std::map<std::string, int> kinds;
  for (int more = scan.First("presets"); more == 0; more = scan.Next())
    kinds[scan.GetCurrentFN()] = scan.GetCurrentIsDirectory();
  ASSERT_EQ(chdir(cwd), 0);
  std::free(cwd);

  EXPECT_EQ(kinds["self"], 4);
  EXPECT_EQ(kinds["parent"], 4);
  EXPECT_EQ(kinds["other"], 2);
  EXPECT_EQ(kinds["dangling"], 0);
}
