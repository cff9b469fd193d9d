#pragma once
// Helpers shared by the unit tests: a temporary folder and a decimal-comma C locale.

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport
{

// A fresh folder under $TMPDIR (or /tmp), removed with its content at destruction.
class TempDir
{
public:
  TempDir()
  {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && base[0] ? base : "/tmp") + "/pelmora-test-XXXXXX";
    if (mkdtemp(pattern.data()))
      mPath = pattern;
  }
  ~TempDir()
  {
    if (!mPath.empty())
      RunQuietly("rm -rf '" + mPath + "'");
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return mPath; }
  std::string operator/(const std::string& name) const { return mPath + "/" + name; }

  static int RunQuietly(const std::string& command)
  {
    return std::system((command + " >/dev/null 2>&1").c_str());
  }

private:
  std::string mPath;
};

// Sets an environment variable for the life of the object and puts the old value back.
class ScopedEnv
{
public:
  ScopedEnv(const char* name, const std::string& value) : mName(name)
  {
    const char* old = std::getenv(name);
    mHad = old != nullptr;
    mOld = old ? old : "";
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv()
  {
    if (mHad)
      setenv(mName, mOld.c_str(), 1);
    else
      unsetenv(mName);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
  const char* mName;
  bool mHad = false;
  std::string mOld;
};

// Points HOME and XDG_DATA_HOME at a fresh temporary folder for the life of the object, so
// that an instrument made by a test never reads or writes the user's own support folder. Test
// programs that make instruments keep one for the whole run: `static testsupport::TempHome home;`.
class TempHome
{
public:
  TempHome()
  {
    setenv("HOME", mDir.Path().c_str(), 1);
    setenv("XDG_DATA_HOME", (mDir / "share").c_str(), 1);
  }
  const TempDir& Dir() const { return mDir; }

private:
  TempDir mDir;
};

inline bool WriteFile(const std::string& path, const std::string& content)
{
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f)
    return false;
  const bool ok = std::fwrite(content.data(), 1, content.size(), f) == content.size();
  return std::fclose(f) == 0 && ok;
}

inline std::string ReadFile(const std::string& path)
{
  std::string content;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f)
    return content;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0)
    content.append(buffer, n);
  std::fclose(f);
  return content;
}

// Switches LC_NUMERIC of the whole process to a locale whose decimal separator is a comma, as a
// host might, and back to "C" at destruction. The locale is compiled once per process into a
// temporary folder with localedef (needs the "locales" package's sources); Active() is false when
// that is not possible.
class CommaLocale
{
public:
  CommaLocale()
  {
    if (!Folder().empty())
      mActive = std::setlocale(LC_NUMERIC, "xx_COMMA") != nullptr;
  }
  ~CommaLocale() { std::setlocale(LC_NUMERIC, "C"); }
  CommaLocale(const CommaLocale&) = delete;
  CommaLocale& operator=(const CommaLocale&) = delete;

  bool Active() const { return mActive; }

private:
  static const std::string& Folder()
  {
    static TempDir sDir;
    static const std::string sFolder = Build(sDir);
    return sFolder;
  }

  static std::string Build(const TempDir& dir)
  {
    if (dir.Path().empty())
      return {};
    const std::string source = dir / "comma.src";
    if (!WriteFile(source, "LC_NUMERIC\ndecimal_point \"<U002C>\"\nthousands_sep \"<U002E>\"\n"
                           "grouping 3;3\nEND LC_NUMERIC\n"))
      return {};
    // The output is a path (with a slash), so nothing is installed into the system's archive.
    TempDir::RunQuietly("localedef -c -i '" + source + "' -f UTF-8 '" + (dir / "xx_COMMA") + "'");
    struct stat st;
    if (stat((dir / "xx_COMMA/LC_NUMERIC").c_str(), &st) != 0)
      return {};
    setenv("LOCPATH", dir.Path().c_str(), 1);
    return dir.Path();
  }

  bool mActive = false;
};

} // namespace testsupport
