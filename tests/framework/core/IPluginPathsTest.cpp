#include "framework/core/IPluginPaths.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <map>
#include <pwd.h>
#include <string>
#include <unistd.h>

using namespace plugin;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace
{
// Points HOME and the XDG variables at a temporary home for one test, restoring them after.
class PathsTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    for (const char* name : kVariables)
      if (const char* value = std::getenv(name))
        mSaved[name] = value;
    for (const char* name : kVariables)
      unsetenv(name);
    setenv("HOME", mHome.Path().c_str(), 1);
  }

  void TearDown() override
  {
    for (const char* name : kVariables)
      unsetenv(name);
    for (const auto& [name, value] : mSaved)
      setenv(name.c_str(), value.c_str(), 1);
  }

  std::string Home(const std::string& rest = "") const { return mHome.Path() + rest; }

  static std::string Path(void (*function)(Util_String&))
  {
    Util_String out;
    function(out);
    return out.Get();
  }

  static constexpr const char* kVariables[] = {"HOME", "XDG_DATA_HOME", "XDG_DATA_DIRS",
                                               "XDG_CONFIG_HOME"};
  TempDir mHome;
  std::map<std::string, std::string> mSaved;
};

// A resource registered for the length of one test.
struct ScopedResource
{
  ScopedResource(const char* name, const char* bytes) : mName(name)
  {
    RegisterEmbeddedResource(name, bytes, static_cast<int>(std::strlen(bytes)));
  }
  ~ScopedResource() { UnregisterEmbeddedResource(mName); }
  const char* mName;
};
} // namespace

TEST_F(PathsTest, FoldersFollowTheXDGConventions)
{
  Util_String out;
  AppSupportPath(out);
  EXPECT_EQ(std::string(out.Get()), Home("/.local/share"));
  INIPath(out, "Pelmora");
  EXPECT_EQ(std::string(out.Get()), Home("/.local/share/Pelmora"));
  EXPECT_EQ(Path(&DesktopPath), Home("/Desktop"));
  EXPECT_EQ(Path(&SharedMusicPath), Home("/Music"));
  AppSupportPath(out, true);
  EXPECT_STREQ(out.Get(), "/usr/local/share");

  setenv("XDG_DATA_HOME", "relative/ignored", 1);
  AppSupportPath(out);
  EXPECT_EQ(std::string(out.Get()), Home("/.local/share"));
  setenv("XDG_DATA_HOME", "/srv/data", 1);
  AppSupportPath(out);
  EXPECT_STREQ(out.Get(), "/srv/data");
  setenv("XDG_DATA_DIRS", "share:/opt/share:/usr/share", 1);
  AppSupportPath(out, true);
  EXPECT_STREQ(out.Get(), "/opt/share");

  VST3PresetsPath(out, "Tessvold", "Pelmora", false);
  EXPECT_EQ(std::string(out.Get()), Home("/.vst3/presets/Tessvold/Pelmora/"));
  VST3PresetsPath(out, "Tessvold", "Pelmora", true);
  EXPECT_STREQ(out.Get(), "/usr/share/vst3/presets/Tessvold/Pelmora/");
  out.Set("keep");
  BundleResourcePath(out);
  EXPECT_STREQ(out.Get(), "");
  EXPECT_FALSE(IsOOPAuv3AppExtension());
}

TEST_F(PathsTest, UserDirsFileNamesDesktopAndMusic)
{
  ASSERT_EQ(mkdir(Home("/cfg").c_str(), 0777), 0);
  setenv("XDG_CONFIG_HOME", Home("/cfg").c_str(), 1);
  ASSERT_TRUE(WriteFile(Home("/cfg/user-dirs.dirs"), "# written by xdg-user-dirs-update\n"
                                                     "XDG_DESKTOP_DIR=\"$HOME/\"\n"
                                                     "XDG_MUSIC_DIR=\"$HOME/My \\\"Tunes\\\"\"\n"
                                                     "XDG_VIDEOS_DIR=\"/data/videos\"\n"));
  EXPECT_EQ(Path(&DesktopPath), Home()); // a disabled folder is the home folder
  EXPECT_EQ(Path(&SharedMusicPath), Home("/My \"Tunes\""));

  ASSERT_TRUE(WriteFile(Home("/cfg/user-dirs.dirs"), "XDG_MUSIC_DIR=\"/srv/music/\"\n"
                                                     "XDG_DESKTOP_DIR=\"Desk\"\n"));
  EXPECT_EQ(Path(&SharedMusicPath), "/srv/music");
  EXPECT_EQ(Path(&DesktopPath), Home("/Desktop")); // not a path: the default
}

TEST_F(PathsTest, HomeFallsBackToThePasswordDatabase)
{
  unsetenv("HOME");
  struct passwd* entry = getpwuid(getuid());
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(Path(&UserHomePath), entry->pw_dir);
}

TEST_F(PathsTest, PluginAndHostPathsNameThisProcess)
{
  char exe[PATH_MAX];
  ASSERT_NE(realpath("/proc/self/exe", exe), nullptr);
  std::string folder(exe);
  folder.erase(folder.rfind('/') + 1);
  Util_String out;
  PluginPath(out); // the code lives in this test program
  EXPECT_EQ(std::string(out.Get()), folder);
  HostPath(out);
  EXPECT_STREQ(out.Get(), exe);
}

TEST_F(PathsTest, EmbeddedResourcesAreTheBundleStep)
{
  Util_String out("untouched");
  EXPECT_EQ(LocateResource("", "ttf", out), kResourceNotFound);
  EXPECT_EQ(LocateResource(nullptr, "ttf", out), kResourceNotFound);
  EXPECT_STREQ(out.Get(), "untouched");
  EXPECT_EQ(LocateResource("Roboto-Regular.ttf", "ttf", out), kResourceNotFound); // empty table
  EXPECT_STREQ(out.Get(), "");

  ScopedResource font("Roboto-Regular.ttf", "font bytes");
  ScopedResource knob("KNOB.svg", "<svg/>");
  ScopedResource nested("img/dial.svg", "<svg></svg>");
  EXPECT_EQ(LocateResource("Roboto-Regular.ttf", "ttf", out), kResourceEmbedded);
  EXPECT_STREQ(out.Get(), "Roboto-Regular.ttf");
  EmbeddedResource resource;
  ASSERT_TRUE(FindEmbeddedResource(out.Get(), resource));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(resource.data), resource.size), "font bytes");

  EXPECT_EQ(LocateResource("KNOB.SVG", "svg", out), kResourceEmbedded); // extension case ignored
  EXPECT_STREQ(out.Get(), "KNOB.svg");
  EXPECT_EQ(LocateResource("img/dial.svg", "svg", out), kResourceEmbedded);
  EXPECT_EQ(LocateResource("dial.svg", "svg", out), kResourceNotFound);
  EXPECT_EQ(LocateResource("Roboto-Regular.ttf", "svg", out), kResourceNotFound);
  EXPECT_FALSE(GetResourcePathFromBundle("Roboto-Regular", "ttf", out));
  EXPECT_FALSE(RegisterEmbeddedResource("", "x", 1));
  EXPECT_FALSE(RegisterEmbeddedResource("bad", nullptr, 3));
  EXPECT_FALSE(RegisterEmbeddedResource("bad", "x", -1));
}

TEST_F(PathsTest, SharedLocationThenLiteralPath)
{
  const std::string shared = Home("/Music/Maker/Resources");
  ASSERT_EQ(TempDir::RunQuietly("mkdir -p '" + shared + "'"), 0);
  ASSERT_TRUE(WriteFile(shared + "/knob.svg", "<svg/>"));
  Util_String out;
  EXPECT_EQ(LocateResource("img/knob.SVG", "svg", out, nullptr, nullptr, "Maker"), kResourceFile);
  EXPECT_EQ(std::string(out.Get()), shared + "/knob.svg");
  EXPECT_EQ(LocateResource("knob.svg", "svg", out, nullptr, nullptr, ""), kResourceNotFound);

  // A file name whose extension is not the type is found only as a path of its own.
  const std::string png = Home("/picture.png");
  ASSERT_TRUE(WriteFile(png, "png"));
  ScopedResource embedded("picture.png", "png");
  EXPECT_EQ(LocateResource(png.c_str(), "svg", out), kResourceFile);
  EXPECT_EQ(std::string(out.Get()), png);
  EXPECT_EQ(LocateResource(Home().c_str(), "svg", out), kResourceNotFound); // a folder is no file
}
