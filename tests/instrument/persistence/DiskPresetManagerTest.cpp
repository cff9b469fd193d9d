#include "instrument/persistence/DiskPresetManager.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using plugin::igraphics::DiskPresetDirectory;
using plugin::igraphics::DiskPresetManager;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace
{

// "name (category)" of every file in flat order.
std::vector<std::string> Flat(const DiskPresetManager& manager)
{
  std::vector<std::string> out;
  for (int i = 0; i < manager.NumPresets(); ++i)
  {
    const auto* item = manager.GetPreset(i);
    EXPECT_EQ(item->mIndex, i);
    out.push_back(std::string(item->mName.Get()) + " (" + item->mCategory.Get() + ")");
  }
  return out;
}

void Touch(const std::string& path)
{
  ASSERT_TRUE(WriteFile(path, "{}")) << path;
}

} // namespace

TEST(DiskPresetManager, FilesOfSubFoldersComeFirstInFolderOrder)
{
  TempDir dir;
  const std::string presets = dir / "Presets";
  for (const char* folder : {"", "/Pads", "/b", "/A", "/A/Deep"})
  {
    ASSERT_EQ(mkdir((presets + folder).c_str(), 0700), 0);
  }
  Touch(presets + "/Bright.preset");
  Touch(presets + "/alpha.preset");
  Touch(presets + "/Pads/Soft.preset");
  Touch(presets + "/b/Two.preset");
  Touch(presets + "/A/One.preset");
  Touch(presets + "/A/Deep/Zero.preset");

  DiskPresetManager manager(presets.c_str(), "preset", false);
  manager.Init();
  EXPECT_EQ(manager.mSelected, -1);
  // Folders A, b, Pads (letter case ignored); inside A its sub-folder first; the root last.
  const std::vector<std::string> expected = {"Zero (Deep)", "One (A)",  "Two (b)",
                                             "Soft (Pads)", "alpha ()", "Bright ()"};
  EXPECT_EQ(Flat(manager), expected);
  ASSERT_EQ(manager.mRoot->mSubDirs.GetSize(), 3);
  EXPECT_STREQ(manager.mRoot->mSubDirs.Get(0)->mName.Get(), "A");
  EXPECT_STREQ(manager.mRoot->mSubDirs.Get(0)->mSubDirs.Get(0)->mName.Get(), "Deep");
  EXPECT_EQ(manager.mRoot->mItems.GetSize(), 2);

  // A rescan shows a new file at its place and renumbers the rest.
  Touch(presets + "/A/Also.preset");
  manager.Init();
  const std::vector<std::string> rescanned = {"Zero (Deep)", "Also (A)", "One (A)",  "Two (b)",
                                              "Soft (Pads)", "alpha ()", "Bright ()"};
  EXPECT_EQ(Flat(manager), rescanned);

  // Paths compare exactly: a path in other letters is not the file.
  const std::string one = presets + "/A/One.preset";
  EXPECT_EQ(manager.GetPresetIndexByPath(Util_String(one.c_str())), 2);
  EXPECT_EQ(manager.FindPresetIndexByPath((presets + "/a/one.preset").c_str()), -1);
  EXPECT_EQ(manager.GetPresetIndexByPath(Util_String((presets + "/a/one.preset").c_str())), 0);
}

TEST(DiskPresetManager, OnlyRegularFilesEndingInTheExtensionAreListed)
{
  TempDir dir;
  Touch(dir / "My preset.preset"); // the word may appear in the name
  Touch(dir / "preset.preset");
  Touch(dir / "lead.preset.bak");
  Touch(dir / "preset"); // the extension alone
  Touch(dir / ".preset");
  Touch(dir / ".Hidden.preset");
  Touch(dir / "x.PRESET"); // another extension on a case-sensitive system
  Touch(dir / "Xpreset");  // no dot
  ASSERT_EQ(mkfifo((dir / "pipe.preset").c_str(), 0600), 0);
  ASSERT_EQ(mkdir((dir / "folder.preset").c_str(), 0700), 0);
  ASSERT_EQ(symlink((dir / "My preset.preset").c_str(), (dir / "Linked.preset").c_str()), 0);

  DiskPresetManager manager(dir.Path().c_str(), "preset", false);
  manager.Init();
  const std::vector<std::string> expected = {"Linked ()", "My preset ()", "preset ()"};
  EXPECT_EQ(Flat(manager), expected);
  EXPECT_EQ(manager.mRoot->mSubDirs.GetSize(), 1) << "folder.preset is a folder";

  DiskPresetManager keeping((dir.Path() + "/").c_str(), "preset", true);
  keeping.Init();
  ASSERT_EQ(keeping.NumPresets(), 3);
  EXPECT_STREQ(keeping.GetPreset(1)->mName.Get(), "My preset.preset");
  EXPECT_STREQ(keeping.GetPreset(1)->mCategory.Get(), "") << "a trailing '/' is the same root";

  DiskPresetManager missing((dir / "none").c_str(), "preset", false);
  missing.Init();
  EXPECT_EQ(missing.NumPresets(), 0);
  DiskPresetManager empty("", "preset", false);
  empty.Init();
  EXPECT_EQ(empty.NumPresets(), 0);
}

TEST(DiskPresetManager, LinkLoopsEnd)
{
  TempDir dir;
  const std::string presets = dir / "Presets";
  ASSERT_EQ(mkdir(presets.c_str(), 0700), 0);
  ASSERT_EQ(mkdir((presets + "/a").c_str(), 0700), 0);
  ASSERT_EQ(mkdir((presets + "/b").c_str(), 0700), 0);
  Touch(presets + "/a/InA.preset");
  Touch(presets + "/b/InB.preset");
  // a/up leads back to the root; a/tob and b/toa lead to each other.
  ASSERT_EQ(symlink("..", (presets + "/a/up").c_str()), 0);
  ASSERT_EQ(symlink("../b", (presets + "/a/tob").c_str()), 0);
  ASSERT_EQ(symlink("../a", (presets + "/b/toa").c_str()), 0);

  DiskPresetManager manager(presets.c_str(), "preset", false);
  manager.Init();
  // Each folder is listed once along every path that does not loop: a, a/tob, b, b/toa.
  const std::vector<std::string> expected = {"InB (tob)", "InA (a)", "InA (toa)", "InB (b)"};
  EXPECT_EQ(Flat(manager), expected);
}
