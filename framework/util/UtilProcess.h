#pragma once
// Helper programs started by the plug-in (the desktop's file dialog, the manual's opener).
//
// A plug-in runs inside a host's process, so a child it starts must take nothing of the host
// with it and must never make the host wait:
//   - it is started with posix_spawn and an argument vector, never through a shell, so names and
//     paths are single arguments whatever characters they hold;
//   - it inherits no file descriptor of the host but /dev/null as input and error output and,
//     for its answer, the write end of a pipe as standard output; the signal mask and the
//     dispositions the host may have changed (SIGPIPE, SIGCHLD) are reset for it;
//   - it is watched without blocking: Poll reads what the child wrote so far and reaps it with
//     waitpid(WNOHANG), so a caller polls from its idle timer while the host runs on. A host that
//     ignores SIGCHLD, or reaps every child itself, leaves no status to fetch: the child then
//     counts as ended once its output is closed, with an unknown status.
// The child leads a process group of its own. Destroying a Util_ChildProcess whose child still
// runs ends the group, the child and whatever it started (SIGTERM, then after a grace period of
// at most 100 ms for the child SIGKILL to whatever is left), and reaps the child: nothing
// outlives its owner, as a zombie or as an orphan.
//
// Threads: [main thread] (any one thread per object).

#include <string>
#include <sys/types.h>
#include <vector>

// The first executable regular file called name in the folders of $PATH (the standard
// "/usr/local/bin:/usr/bin:/bin" when unset); relative folders are skipped, so nothing is taken
// from the host's working folder. "" when there is none.
std::string Util_FindInPath(const char* name);

class Util_ChildProcess
{
public:
  static constexpr int kUnknownStatus = -1;

  Util_ChildProcess() = default;
  ~Util_ChildProcess();
  Util_ChildProcess(const Util_ChildProcess&) = delete;
  Util_ChildProcess& operator=(const Util_ChildProcess&) = delete;

  // Starts program (a full path) with args as its argument vector (args[0] is the name it sees).
  // False when the pipe could not be made or the program not started. Refused while a child
  // started here still runs.
  bool Start(const std::string& program, const std::vector<std::string>& args);
  // Reads the child's output so far and checks whether it ended, without waiting; true once it
  // has ended and its output is complete (then, and on every later call, Output and ExitStatus
  // hold its answer).
  bool Poll();
  // Ends a child still running (see above) and forgets it.
  void Stop();

  bool Running() const { return mPid > 0; }
  const std::string& Output() const { return mOutput; }
  // The child's exit code; kUnknownStatus when it was ended by a signal or its status was taken
  // by someone else.
  int ExitStatus() const { return mExitStatus; }

private:
  void ReadAvailable();
  void CloseOutput();

  pid_t mPid = 0;
  int mOutputFd = -1;
  bool mExited = false;
  std::string mOutput;
  int mExitStatus = kUnknownStatus;
};
