#include "framework/util/UtilProcess.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace
{

// A child's answer is a path or a short text: more is cut off here.
constexpr size_t kMaxOutput = 64 * 1024;

bool IsExecutableFile(const std::string& path)
{
  struct stat status;
  return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
         access(path.c_str(), X_OK) == 0;
}

// fd moved to a number of 3 or more (close-on-exec), so that the child's standard streams never
// collide with it; -1 when that fails.
int AboveStandardStreams(int fd)
{
  if (fd >= 3)
    return fd;
  const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
  close(fd);
  return moved;
}

} // namespace

std::string Util_FindInPath(const char* name)
{
  if (!name || !*name)
    return "";
  const char* path = std::getenv("PATH");
  const std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= folders.size())
  {
    size_t end = folders.find(':', start);
    if (end == std::string::npos)
      end = folders.size();
    const std::string folder = folders.substr(start, end - start);
    if (!folder.empty() && folder[0] == '/')
    {
      const std::string candidate = folder + "/" + name;
      if (IsExecutableFile(candidate))
        return candidate;
    }
    start = end + 1;
  }
  return "";
}

Util_ChildProcess::~Util_ChildProcess()
{
  Stop();
}

bool Util_ChildProcess::Start(const std::string& program, const std::vector<std::string>& args)
{
  if (Running() || args.empty())
    return false;
  mOutput.clear();
  mExitStatus = kUnknownStatus;
  mExited = false;

  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0)
    return false;
  const int readFd = AboveStandardStreams(fds[0]);
  const int writeFd = AboveStandardStreams(fds[1]);
  if (readFd < 0 || writeFd < 0)
  {
    if (readFd >= 0)
      close(readFd);
    if (writeFd >= 0)
      close(writeFd);
    return false;
  }
  fcntl(readFd, F_SETFL, fcntl(readFd, F_GETFL) | O_NONBLOCK);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, writeFd, 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);

  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attr, &none);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGCHLD);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  // A process group of its own (setpgid in the child, the child its leader), so that Stop ends
  // whatever it started as well.
  posix_spawnattr_setpgroup(&attr, 0);
  posix_spawnattr_setflags(&attr,
                           POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);

  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (const std::string& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  pid_t pid = 0;
  const int error = posix_spawn(&pid, program.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  close(writeFd);
  if (error != 0)
  {
    close(readFd);
    return false;
  }
  mPid = pid;
  mOutputFd = readFd;
  return true;
}

void Util_ChildProcess::ReadAvailable()
{
  char buffer[4096];
  while (mOutputFd >= 0)
  {
    const ssize_t got = read(mOutputFd, buffer, sizeof(buffer));
    if (got > 0)
    {
      const size_t room = kMaxOutput - std::min(kMaxOutput, mOutput.size());
      mOutput.append(buffer, std::min(room, static_cast<size_t>(got)));
      continue;
    }
    if (got < 0 && errno == EINTR)
      continue;
    if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
      CloseOutput(); // end of the output, or a broken pipe
    return;
  }
}

void Util_ChildProcess::CloseOutput()
{
  if (mOutputFd >= 0)
    close(mOutputFd);
  mOutputFd = -1;
}

bool Util_ChildProcess::Poll()
{
  if (!Running())
    return mExited;
  ReadAvailable();
  int status = 0;
  const pid_t got = waitpid(mPid, &status, WNOHANG);
  if (got == 0 || (got < 0 && errno == EINTR))
    return false;
  if (got == mPid && WIFEXITED(status))
    mExitStatus = WEXITSTATUS(status);
  // Ended (or reaped by the host: ECHILD): whatever it wrote is in the pipe by now.
  ReadAvailable();
  CloseOutput();
  mPid = 0;
  mExited = true;
  return true;
}

void Util_ChildProcess::Stop()
{
  CloseOutput();
  if (!Running())
    return;
  // The whole group: the child and whatever it started (a dialog's helpers).
  kill(-mPid, SIGTERM);
  // Waited for without reaping it: while the child is not reaped its id stays ours, and so does
  // its group's, so the SIGKILL below reaches no stranger.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
  siginfo_t info = {};
  int got = 0;
  while ((got = waitid(P_PID, static_cast<id_t>(mPid), &info, WEXITED | WNOHANG | WNOWAIT)) == 0 &&
         info.si_pid == 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  // Taken by the host (ECHILD): the id may be another's by now.
  if (got == 0)
    kill(-mPid, SIGKILL);
  int status = 0;
  while (waitpid(mPid, &status, 0) < 0 && errno == EINTR)
  {
  }
  mPid = 0;
}
