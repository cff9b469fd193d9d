#include "instrument/persistence/Settings.h"

#include "framework/core/IPluginPaths.h"
#include "framework/util/IniStore.h"
#include "framework/util/UtilProcess.h"

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{

bool IsFolder(const char* path)
{
  struct stat status;
  return stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

// In the forked child: only async-signal-safe calls from here on. Starts the opener in a
// grandchild (so the host never has to reap the viewer) and reports an exec failure's errno
// through errorPipe.
[[noreturn]] void RunDetached(const char* opener, char* const* argv, int errorPipe)
{
  const pid_t grandchild = fork();
  if (grandchild != 0)
  {
    _exit(grandchild < 0 ? 1 : 0);
  }
  setsid();
  // Nothing of the host's open files goes to the viewer but the standard streams (the error
  // pipe is close-on-exec already).
  if (close_range(3, ~0u, CLOSE_RANGE_CLOEXEC) != 0)
  {
    for (int fd = 3; fd < 4096; ++fd)
    {
      const int flags = fcntl(fd, F_GETFD);
      if (flags >= 0)
      {
        fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
      }
    }
  }
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  signal(SIGPIPE, SIG_DFL);
  signal(SIGCHLD, SIG_DFL);
  execv(opener, argv);
  const int error = errno;
  [[maybe_unused]] const ssize_t written = write(errorPipe, &error, sizeof(error));
  _exit(127);
}

} // namespace

bool Settings::MakeFolders(const char* path)
{
  if (!path || !*path)
  {
    return false;
  }
  std::string folder = path;
  for (size_t slash = folder.find('/', 1); slash != std::string::npos;
       slash = folder.find('/', slash + 1))
  {
    folder[slash] = 0;
    if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST)
    {
      return false;
    }
    folder[slash] = '/';
  }
  if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST)
  {
    return false;
  }
  return IsFolder(path);
}

bool Settings::MakeSupportFolder(const char* maker, const char* product, Util_String& supportPath)
{
  Util_String path;
  plugin::AppSupportPath(path, false);
  path.AppendFormatted(2048, "/%s/%s/", maker, product);
  supportPath.Set("");
  if (path.Get()[0] != '/' || !MakeFolders(path.Get()))
  {
    return false;
  }
  Util_String presets(path);
  presets.Append(kPresetsFolder);
  MakeFolders(presets.Get()); // a missing Presets folder only leaves the preset list empty
  supportPath.Set(path.Get());
  return true;
}

float Settings::UsableScale(double scale)
{
  return std::isfinite(scale) && scale >= kMinScale && scale <= kMaxScale
           ? static_cast<float>(scale)
           : kDefaultScale;
}

void Settings::Read(const char* file, float& scale, bool& showKeyboard)
{
  char text[200];
  plugin::GetPrivateProfileString(kSection, "scale", "1.0", text, sizeof(text), file);
  scale = UsableScale(Util_AtoF(text));
  plugin::GetPrivateProfileString(kSection, "showkeyboard", "1", text, sizeof(text), file);
  showKeyboard = std::atoi(text) > 0;
}

bool Settings::Write(const char* file, float scale, bool showKeyboard)
{
  char scaleText[33];
  char keyboardText[33];
  Util_snprintf(scaleText, sizeof(scaleText), "%f", static_cast<double>(scale));
  Util_snprintf(keyboardText, sizeof(keyboardText), "%i", showKeyboard ? 1 : 0);
  const bool scaleWritten = plugin::WritePrivateProfileString(kSection, "scale", scaleText, file);
  const bool keyboardWritten =
    plugin::WritePrivateProfileString(kSection, "showkeyboard", keyboardText, file);
  return scaleWritten && keyboardWritten;
}

EManualResult OpenManual(const char* supportPath)
{
  if (!supportPath || !*supportPath)
  {
    return EManualResult::kManualMissing;
  }
  std::string manual = supportPath;
  if (manual.back() != '/')
  {
    manual += '/';
  }
  manual += Settings::kManualName;
  struct stat status;
  if (stat(manual.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
  {
    return EManualResult::kManualMissing;
  }
  std::string opener = Util_FindInPath("xdg-open");
  if (opener.empty())
  {
    return EManualResult::kOpenerMissing;
  }

  // Everything the child needs is made before fork: it may not allocate.
  std::string name = "xdg-open";
  std::vector<char*> argv = {name.data(), manual.data(), nullptr};
  int errorPipe[2];
  if (pipe2(errorPipe, O_CLOEXEC) != 0)
  {
    return EManualResult::kOpenerFailed;
  }
  const pid_t child = fork();
  if (child == 0)
  {
    close(errorPipe[0]);
    RunDetached(opener.c_str(), argv.data(), errorPipe[1]);
  }
  close(errorPipe[1]);
  if (child < 0)
  {
    close(errorPipe[0]);
    return EManualResult::kOpenerFailed;
  }
  int childStatus = 0;
  while (waitpid(child, &childStatus, 0) < 0 && errno == EINTR)
  {
  }
  // The pipe closes on a successful exec (close-on-exec), or carries the exec's errno.
  int execError = 0;
  ssize_t got;
  while ((got = read(errorPipe[0], &execError, sizeof(execError))) < 0 && errno == EINTR)
  {
  }
  close(errorPipe[0]);
  const bool started = WIFEXITED(childStatus) && WEXITSTATUS(childStatus) == 0 && got == 0;
  return started ? EManualResult::kOpened : EManualResult::kOpenerFailed;
}

const char* ManualResultText(EManualResult result)
{
  switch (result)
  {
  case EManualResult::kOpened:
    return "The manual was opened.";
  case EManualResult::kManualMissing:
    return "The manual \"Pelmora Manual.pdf\" is not in the support folder.";
  case EManualResult::kOpenerMissing:
    return "No \"xdg-open\" was found to open the manual.";
  case EManualResult::kOpenerFailed:
    return "The manual viewer could not be started.";
  }
  return "";
}
