#include "framework/util/IniStore.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace plugin;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace
{
std::string Get(const char* app, const char* key, const std::string& file, const char* def = "-")
{
  char out[256];
  GetPrivateProfileString(app, key, def, out, sizeof(out), file.c_str());
  return out;
}

ino_t Inode(const std::string& path)
{
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// "f" + number + ".ini" without operator+ on a literal (GCC 12 warns falsely there).
std::string Numbered(const char* prefix, int i, const char* suffix = "")
{
  std::string name(prefix);
  name.append(std::to_string(i)).append(suffix);
  return name;
}

bool Exists(const std::string& path)
{
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// Replaces a file the way another process's write would: a new file renamed over it.
void ReplaceFile(const std::string& path, const std::string& content)
{
  ASSERT_TRUE(WriteFile(path + ".tmp", content));
  ASSERT_EQ(std::rename((path + ".tmp").c_str(), path.c_str()), 0);
}
} // namespace

TEST(IniStore, WritesExactFileBytesInSortedOrder)
{
  TempDir dir;
  const std::string file = dir / "settings.ini";
  ASSERT_TRUE(WritePrivateProfileString("settings", "scale", "1.0", file.c_str()));
  EXPECT_EQ(ReadFile(file), "[settings]\nscale=1.0\n\n");

  ASSERT_TRUE(WritePrivateProfileString("settings", "showkeyboard", "1", file.c_str()));
  ASSERT_TRUE(WritePrivateProfileString("Alpha", "Zed", " spaced ", file.c_str()));
  ASSERT_TRUE(WritePrivateProfileString("alpha", "b", "2", file.c_str()));
  EXPECT_EQ(ReadFile(file), "[Alpha]\nb=2\nZed= spaced \n\n"
                            "[settings]\nscale=1.0\nshowkeyboard=1\n\n");
  EXPECT_FALSE(Exists(dir / ".settings.ini.new"));

  EXPECT_EQ(Get("Settings", "SCALE", file), "1.0");
  EXPECT_EQ(Get("ALPHA", "zed", file), "spaced");
  EXPECT_EQ(Get("settings", "missing", file, "dflt"), "dflt");
  EXPECT_EQ(Get("nosection", "scale", file, nullptr), "");
}

TEST(IniStore, ReadsValuesTrimmedAndUnquoted)
{
  TempDir dir;
  const std::string file = dir / "quotes.ini";
  ASSERT_TRUE(WriteFile(file, "; a comment\n# another\n[s]\r\n"
                              "quoted=  \"x y\"  \r\n"
                              "single='a b'\n"
                              "lonely=\"\n"
                              "  padded key \t= v = w\n"
                              "=no key\n"
                              "mismatch=\"abc'\n"
                              "[broken header\n"
                              "after=1\n"));
  EXPECT_EQ(Get("s", "quoted", file), "x y");
  EXPECT_EQ(Get("s", "single", file), "a b");
  EXPECT_EQ(Get("s", "lonely", file), "\"");
  EXPECT_EQ(Get("s", "padded key", file), "v = w");
  EXPECT_EQ(Get("s", "mismatch", file), "\"abc'");
  EXPECT_EQ(Get("s", "after", file), "1"); // a header without "]" is ignored

  char out[8] = "xxxxxxx";
  EXPECT_EQ(GetPrivateProfileString("s", "padded key", "", out, 3, file.c_str()), 2);
  EXPECT_STREQ(out, "v ");
  EXPECT_EQ(GetPrivateProfileString("s", "quoted", "", out, 0, file.c_str()), 0);
  EXPECT_STREQ(out, "v "); // untouched
}

TEST(IniStore, RepeatedSectionsAndKeysKeepTheLastBlock)
{
  TempDir dir;
  const std::string file = dir / "dup.ini";
  ASSERT_TRUE(WriteFile(file, "[a]\nk1=1\nk2=2\n[b]\nx=1\n[A]\nk3=3\nk3=4\n[]\nlost=1\n"));
  EXPECT_EQ(Get("a", "k1", file), "-");
  EXPECT_EQ(Get("a", "k3", file), "4");
  EXPECT_EQ(Get("b", "x", file), "1");

  char list[64];
  EXPECT_EQ(GetPrivateProfileString(nullptr, nullptr, "", list, sizeof(list), file.c_str()), 4);
  EXPECT_EQ(std::string(list, 6), std::string("a\0b\0\0\0", 6));
  EXPECT_EQ(GetPrivateProfileString("a", nullptr, "", list, sizeof(list), file.c_str()), 3);
  EXPECT_EQ(std::string(list, 4), std::string("k3\0\0", 4));
  EXPECT_EQ(GetPrivateProfileString("a", nullptr, "", list, 3, file.c_str()), 1); // cut
  EXPECT_EQ(std::string(list, 3), std::string("k\0\0", 3));
  EXPECT_EQ(GetPrivateProfileString("zz", nullptr, "", list, sizeof(list), file.c_str()), 0);
  EXPECT_EQ(std::string(list, 2), std::string("\0\0", 2));
  list[0] = 'q';
  EXPECT_EQ(GetPrivateProfileString(nullptr, nullptr, "", list, 1, file.c_str()), 0);
  EXPECT_EQ(list[0], 0);
}

TEST(IniStore, LargeFileWithoutSectionsReadsAsEmpty)
{
  TempDir dir;
  const std::string file = dir / "big.ini";
  std::string junk;
  while (junk.size() < 300 * 1024)
    junk += "this is not an ini file at all, k=v\n";
  ASSERT_TRUE(WriteFile(file, junk + "[late]\nk=v\n"));
  EXPECT_EQ(Get("late", "k", file), "-");
}

TEST(IniStore, WritingTheSameValueTwiceRewritesOnce)
{
  TempDir dir;
  const std::string file = dir / "once.ini";
  ASSERT_TRUE(WritePrivateProfileString("s", "k", "v", file.c_str()));
  const ino_t first = Inode(file);
  ASSERT_TRUE(WritePrivateProfileString("s", "k", "v", file.c_str()));
  EXPECT_EQ(Inode(file), first);
  EXPECT_FALSE(Exists(dir / ".once.ini.new"));
  ASSERT_TRUE(WritePrivateProfileString("s", "k", "V", file.c_str())); // case matters in values
  EXPECT_NE(Inode(file), first);
}

TEST(IniStore, RemovesKeysAndSections)
{
  TempDir dir;
  const std::string file = dir / "remove.ini";
  WritePrivateProfileString("a", "x", "1", file.c_str());
  WritePrivateProfileString("a", "y", "2", file.c_str());
  WritePrivateProfileString("b", "z", "3", file.c_str());
  ASSERT_TRUE(WritePrivateProfileString("a", "x", nullptr, file.c_str()));
  ASSERT_TRUE(WritePrivateProfileString("b", nullptr, nullptr, file.c_str()));
  EXPECT_EQ(ReadFile(file), "[a]\ny=2\n\n");
  const ino_t inode = Inode(file);
  EXPECT_TRUE(WritePrivateProfileString("a", "x", nullptr, file.c_str())); // nothing to remove
  EXPECT_TRUE(WritePrivateProfileString("b", nullptr, nullptr, file.c_str()));
  EXPECT_EQ(Inode(file), inode);
}

TEST(IniStore, RefusesWhatTheFormatCannotHold)
{
  TempDir dir;
  const std::string file = dir / "refuse.ini";
  EXPECT_FALSE(WritePrivateProfileString(nullptr, "k", "v", file.c_str()));
  EXPECT_FALSE(WritePrivateProfileString("", "k", "v", file.c_str()));
  EXPECT_FALSE(WritePrivateProfileString("s", "", "v", file.c_str()));
  EXPECT_FALSE(WritePrivateProfileString("s", "k", "two\nlines", file.c_str()));
  EXPECT_FALSE(WritePrivateProfileString("s", "k", "carriage\rreturn", file.c_str()));
  EXPECT_FALSE(WritePrivateProfileString("s", "a=b", "v", file.c_str()));
  EXPECT_FALSE(WritePrivateProfileString("s", " [x", "]", file.c_str()));
  EXPECT_FALSE(WritePrivateProfileString("s", "   ", "v", file.c_str()));
  EXPECT_FALSE(WritePrivateProfileString("s]", "k", "v", file.c_str()));
  EXPECT_FALSE(WritePrivateProfileString("s\n", "k", "v", file.c_str()));
  const char badSection[] = "ok=1\0bad=2\n3\0";
  EXPECT_FALSE(WritePrivateProfileSection("s", badSection, file.c_str()));
  EXPECT_FALSE(Exists(file));
}

TEST(IniStore, FailedWritesAreReported)
{
  TempDir dir;
  EXPECT_FALSE(WritePrivateProfileString("s", "k", "v", (dir / "missing/x.ini").c_str()));

  // The temporary name is taken by a folder: the temporary file cannot be made. The value that
  // never reached the disk is not read back either.
  const std::string blocked = dir / "blocked.ini";
  ASSERT_TRUE(WritePrivateProfileString("s", "k", "old", blocked.c_str()));
  ASSERT_EQ(mkdir((dir / ".blocked.ini.new").c_str(), 0777), 0);
  EXPECT_FALSE(WritePrivateProfileString("s", "k", "new", blocked.c_str()));
  EXPECT_EQ(Get("s", "k", blocked), "old");

  // The file name is a folder: the rename fails.
  ASSERT_EQ(mkdir((dir / "folder.ini").c_str(), 0777), 0);
  ASSERT_TRUE(WriteFile(dir / "folder.ini/keep", "x"));
  EXPECT_FALSE(WritePrivateProfileString("s", "k", "v", (dir / "folder.ini").c_str()));

  // A planted link at the temporary name is never followed.
  const std::string victim = dir / "victim";
  ASSERT_TRUE(WriteFile(victim, "precious"));
  ASSERT_EQ(symlink(victim.c_str(), (dir / ".linked.ini.new").c_str()), 0);
  EXPECT_FALSE(WritePrivateProfileString("s", "k", "v", (dir / "linked.ini").c_str()));
  EXPECT_EQ(ReadFile(victim), "precious");
}

TEST(IniStore, StructsCarryAChecksum)
{
  TempDir dir;
  const std::string file = dir / "struct.ini";
  const uint8_t bytes[3] = {0x01, 0x02, 0x0A};
  ASSERT_TRUE(WritePrivateProfileStruct("s", "blob", bytes, 3, file.c_str()));
  EXPECT_EQ(Get("s", "blob", file), "01020A0D");

  uint8_t out[3] = {};
  EXPECT_TRUE(GetPrivateProfileStruct("s", "blob", out, 3, file.c_str()));
  EXPECT_EQ(out[2], 0x0A);
  EXPECT_FALSE(GetPrivateProfileStruct("s", "blob", out, 2, file.c_str()));
  EXPECT_FALSE(GetPrivateProfileStruct("s", "blob", out, -1, file.c_str()));

  WritePrivateProfileString("s", "lower", "ff01", file.c_str()); // checksum 01 != ff
  WritePrivateProfileString("s", "good", "ff00ff", file.c_str());
  WritePrivateProfileString("s", "bad", "ABzz00", file.c_str());
  uint8_t one[2] = {};
  EXPECT_FALSE(GetPrivateProfileStruct("s", "lower", one, 1, file.c_str()));
  EXPECT_TRUE(GetPrivateProfileStruct("s", "good", one, 2, file.c_str()));
  EXPECT_FALSE(GetPrivateProfileStruct("s", "bad", one, 2, file.c_str()));
  EXPECT_EQ(one[0], 0xAB); // decoded before the bad digit was met

  ASSERT_TRUE(WritePrivateProfileStruct("s", "empty", bytes, 0, file.c_str()));
  EXPECT_EQ(Get("s", "empty", file), "00");
  EXPECT_TRUE(GetPrivateProfileStruct("s", "empty", nullptr, 0, file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStruct("s", "empty", nullptr, 0, file.c_str())); // removes
  EXPECT_EQ(Get("s", "empty", file), "-");
}

TEST(IniStore, IntegersFallBackToTheDefault)
{
  TempDir dir;
  const std::string file = dir / "ints.ini";
  WritePrivateProfileString("s", "abc", "abc", file.c_str());
  WritePrivateProfileString("s", "zero", "0", file.c_str());
  WritePrivateProfileString("s", "px", "12px", file.c_str());
  WritePrivateProfileString("s", "huge", "99999999999999999999", file.c_str());
  EXPECT_EQ(GetPrivateProfileInt("s", "abc", 7, file.c_str()), 7);
  EXPECT_EQ(GetPrivateProfileInt("s", "zero", 7, file.c_str()), 0);
  EXPECT_EQ(GetPrivateProfileInt("s", "px", 7, file.c_str()), 12);
  EXPECT_EQ(GetPrivateProfileInt("s", "missing", 7, file.c_str()), 7);
  EXPECT_EQ(GetPrivateProfileInt("s", "huge", 7, file.c_str()), INT_MAX);
}

TEST(IniStore, SectionsAreReadAndReplacedWhole)
{
  TempDir dir;
  const std::string file = dir / "section.ini";
  const char strings[] = "b=2\0skipped\0a= \"1\"\0=nokey\0";
  ASSERT_TRUE(WritePrivateProfileSection("s", strings, file.c_str()));
  EXPECT_EQ(ReadFile(file), "[s]\na= \"1\"\nb=2\n\n");

  char out[32];
  EXPECT_EQ(GetPrivateProfileSection("s", out, sizeof(out), file.c_str()), 8);
  EXPECT_EQ(std::string(out, 10), std::string("a=1\0b=2\0\0\0", 10));
  EXPECT_EQ(GetPrivateProfileSection("s", out, 6, file.c_str()), 4);
  EXPECT_EQ(std::string(out, 6), std::string("a=1\0\0\0", 6));
  EXPECT_EQ(GetPrivateProfileSection("none", out, sizeof(out), file.c_str()), 0);
  EXPECT_EQ(GetPrivateProfileSection("s", nullptr, 10, file.c_str()), 0);

  ASSERT_TRUE(WritePrivateProfileSection("s", "\0", file.c_str()));
  EXPECT_EQ(ReadFile(file), "[s]\n\n");
  ASSERT_TRUE(WritePrivateProfileSection("other", nullptr, file.c_str())); // nothing to do
  EXPECT_EQ(ReadFile(file), "[s]\n\n");
}

TEST(IniStore, BareNamesBecomeSiblingsOfTheDefaultFile)
{
  TempDir dir;
  SetIniStoreDefaultPath((dir / "base.ini").c_str());
  ASSERT_TRUE(WritePrivateProfileString("s", "k", "default", nullptr));
  ASSERT_TRUE(WritePrivateProfileString("s", "k", "synth", "synth"));
  ASSERT_TRUE(WritePrivateProfileString("s", "k", "upper", "a.INI"));
  EXPECT_EQ(ReadFile(dir / "base.ini"), "[s]\nk=default\n\n");
  EXPECT_EQ(ReadFile(dir / "base_synth.ini"), "[s]\nk=synth\n\n");
  EXPECT_EQ(ReadFile(dir / "base_a.INI"), "[s]\nk=upper\n\n");
  SetIniStoreDefaultPath(nullptr);

  const char* oldHome = std::getenv("HOME");
  const std::string savedHome = oldHome ? oldHome : "";
  setenv("HOME", dir.Path().c_str(), 1);
  ASSERT_TRUE(WritePrivateProfileString("s", "k", "home", ""));
  EXPECT_EQ(ReadFile(dir / ".libIniStore.ini"), "[s]\nk=home\n\n");
  ASSERT_TRUE(WritePrivateProfileString("s", "k", "home2", "prefs"));
  EXPECT_EQ(ReadFile(dir / ".libIniStore_prefs.ini"), "[s]\nk=home2\n\n");
  if (oldHome)
    setenv("HOME", savedHome.c_str(), 1);
  else
    unsetenv("HOME");
}

TEST(IniStore, NoticesChangesOnDiskAndSurvivesCacheEviction)
{
  TempDir dir;
  const std::string file = dir / "watched.ini";
  ASSERT_TRUE(WritePrivateProfileString("s", "k", "mine", file.c_str()));
  ReplaceFile(file, "[s]\nk=theirs\n");
  EXPECT_EQ(Get("s", "k", file), "theirs");
  ASSERT_EQ(unlink(file.c_str()), 0);
  EXPECT_EQ(Get("s", "k", file), "-");

  // More files than cache slots: the first is evicted and read again from disk.
  for (int i = 0; i < 40; ++i)
    ASSERT_TRUE(WritePrivateProfileString("s", "i", std::to_string(i).c_str(),
                                          (dir / Numbered("f", i, ".ini")).c_str()));
  for (int i = 0; i < 40; i += 13)
    EXPECT_EQ(Get("s", "i", dir / Numbered("f", i, ".ini")), std::to_string(i));
}

TEST(IniStore, WritesThroughSymbolicLinks)
{
  TempDir dir;
  ASSERT_EQ(mkdir((dir / "real").c_str(), 0777), 0);
  const std::string target = dir / "real/target.ini";
  const std::string link = dir / "link.ini";
  ASSERT_TRUE(WriteFile(target, "[s]\nold=1\n"));
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  ASSERT_TRUE(WritePrivateProfileString("s", "new", "2", link.c_str()));
  struct stat st;
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(ReadFile(target), "[s]\nnew=2\nold=1\n\n");
}

TEST(IniStore, TwoProcessesWritingDifferentKeysLoseNothing)
{
  TempDir dir;
  const std::string file = dir / "shared.ini";
  constexpr int kKeys = 40;
  int start[2];
  ASSERT_EQ(pipe(start), 0);

  pid_t children[2];
  for (int c = 0; c < 2; ++c)
  {
    children[c] = fork();
    ASSERT_GE(children[c], 0);
    if (children[c] == 0)
    {
      close(start[1]);
      char go;
      const bool started = read(start[0], &go, 1) == 0; // released when the pipe closes
      bool ok = started;
      for (int i = 0; i < kKeys && ok; ++i)
      {
        const std::string key = Numbered(c == 0 ? "a" : "b", i);
        ok = WritePrivateProfileString(c == 0 ? "first" : "second", key.c_str(), "value",
                                       file.c_str());
      }
      _exit(ok ? 0 : 1);
    }
  }
  close(start[0]);
  close(start[1]); // both children start writing now
  for (pid_t child : children)
  {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  for (int i = 0; i < kKeys; ++i)
  {
    EXPECT_EQ(Get("first", Numbered("a", i).c_str(), file), "value") << i;
    EXPECT_EQ(Get("second", Numbered("b", i).c_str(), file), "value") << i;
  }
  EXPECT_FALSE(Exists(dir / ".shared.ini.new"));
}
