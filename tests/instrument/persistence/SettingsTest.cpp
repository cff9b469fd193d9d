#include "instrument/persistence/Settings.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <thread>

using testsupport::ReadFile;
using testsupport::ScopedEnv;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace
{

bool IsFolder(const std::string& path)
{
  struct stat status;
  return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

} // namespace

TEST(Settings, TheSupportFolderIsMadeWithItsParentsAndPresets)
{
  TempDir home;
  ScopedEnv homeEnv("HOME", home.Path());
  ScopedEnv dataEnv("XDG_DATA_HOME", home / "deep/data"); // its parents are missing too
  Util_String support;
  ASSERT_TRUE(Settings::MakeSupportFolder("Tessvold", "Pelmora", support));
  EXPECT_EQ(std::string(support.Get()), home / "deep/data/Tessvold/Pelmora/");
  EXPECT_TRUE(IsFolder(home / "deep/data/Tessvold/Pelmora/Presets"));

  // Without XDG_DATA_HOME the folder is under ~/.local/share.
  unsetenv("XDG_DATA_HOME");
  ASSERT_TRUE(Settings::MakeSupportFolder("Tessvold", "Pelmora", support));
  EXPECT_EQ(std::string(support.Get()), home / ".local/share/Tessvold/Pelmora/");

  // A file in the way: no folder, and the path stays empty.
  ASSERT_TRUE(WriteFile(home / "blocked", "x"));
  setenv("XDG_DATA_HOME", (home / "blocked").c_str(), 1);
  EXPECT_FALSE(Settings::MakeSupportFolder("Tessvold", "Pelmora", support));
  EXPECT_STREQ(support.Get(), "");
}

TEST(Settings, TheFileIsReadAndRewrittenWithTheExactContent)
{
  TempDir dir;
  const std::string file = dir / "settings.ini";
  float scale = 0.0f;
  bool keyboard = false;
  Settings::Read(file.c_str(), scale, keyboard); // no file yet: the defaults
  EXPECT_EQ(scale, 1.0f);
  EXPECT_TRUE(keyboard);
  ASSERT_TRUE(Settings::Write(file.c_str(), scale, keyboard));
  EXPECT_EQ(ReadFile(file), "[settings]\nscale=1.000000\nshowkeyboard=1\n\n");

  ASSERT_TRUE(WriteFile(file, "[settings]\nscale=1.5\nshowkeyboard=0\n"));
  Settings::Read(file.c_str(), scale, keyboard);
  EXPECT_EQ(scale, 1.5f);
  EXPECT_FALSE(keyboard);
  EXPECT_EQ(Settings::EditorHeight(keyboard), 502);
  ASSERT_TRUE(Settings::Write(file.c_str(), scale, keyboard));
  EXPECT_EQ(ReadFile(file), "[settings]\nscale=1.500000\nshowkeyboard=0\n\n");

  // A host's decimal-comma locale changes neither reading nor writing.
  testsupport::CommaLocale comma;
  if (comma.Active())
  {
    Settings::Read(file.c_str(), scale, keyboard);
    EXPECT_EQ(scale, 1.5f);
    ASSERT_TRUE(Settings::Write(file.c_str(), 2.25f, true));
    EXPECT_EQ(ReadFile(file), "[settings]\nscale=2.250000\nshowkeyboard=1\n\n");
  }
}

TEST(Settings, AnUnusableScaleReadsAsOne)
{
  TempDir dir;
  const std::string file = dir / "settings.ini";
  for (const char* text : {"abc", "0", "0.2", "4.5", "-1", "nan", "inf", "1e400", ""})
  {
    ASSERT_TRUE(WriteFile(file, std::string("[settings]\nscale=") + text + "\nshowkeyboard=x\n"));
    float scale = 0.0f;
    bool keyboard = true;
    Settings::Read(file.c_str(), scale, keyboard);
    EXPECT_EQ(scale, 1.0f) << text;
    EXPECT_FALSE(keyboard) << "not a number above 0 hides the keyboard";
  }
  for (const char* text : {"0.25", "4", "2.5x"})
  {
    ASSERT_TRUE(WriteFile(file, std::string("[settings]\nscale=") + text + "\n"));
    float scale = 0.0f;
    bool keyboard = false;
    Settings::Read(file.c_str(), scale, keyboard);
    EXPECT_EQ(scale, static_cast<float>(std::atof(text))) << text;
    EXPECT_TRUE(keyboard);
  }
}

TEST(Settings, TheManualOpensWithXdgOpenOrTheFailureIsReported)
{
  TempDir dir;
  const std::string support = dir / "support/";
  ASSERT_EQ(mkdir(support.c_str(), 0700), 0);
  const std::string bin = dir / "bin";
  ASSERT_EQ(mkdir(bin.c_str(), 0700), 0);
  ScopedEnv path("PATH", bin);

  EXPECT_EQ(OpenManual(support.c_str()), EManualResult::kManualMissing);
  EXPECT_EQ(OpenManual(""), EManualResult::kManualMissing);
  ASSERT_TRUE(WriteFile(support + "Pelmora Manual.pdf", "%PDF"));
  EXPECT_EQ(OpenManual(support.c_str()), EManualResult::kOpenerMissing);

  // An opener that cannot be executed (no interpreter line) is reported.
  ASSERT_TRUE(WriteFile(bin + "/xdg-open", "\x7f"
                                           "ELF broken"));
  ASSERT_EQ(chmod((bin + "/xdg-open").c_str(), 0700), 0);
  EXPECT_EQ(OpenManual(support.c_str()), EManualResult::kOpenerFailed);

  // A working opener receives the path as one argument, quotes and blanks untouched.
  const std::string record = dir / "opened.txt";
  ASSERT_TRUE(WriteFile(bin + "/xdg-open", "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '" + record +
                                             ".tmp'\n/bin/mv '" + record + ".tmp' '" + record +
                                             "'\n"));
  ASSERT_EQ(chmod((bin + "/xdg-open").c_str(), 0700), 0);
  EXPECT_EQ(OpenManual(support.c_str()), EManualResult::kOpened);
  std::string opened;
  for (int wait = 0; wait < 500 && opened.empty(); ++wait)
  {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    opened = ReadFile(record);
  }
  EXPECT_EQ(opened, "1|" + support + "Pelmora Manual.pdf");
  EXPECT_STRNE(ManualResultText(EManualResult::kOpenerMissing), "");
}
