// Helper programs: a child takes none of the host's files along, is polled without waiting,
// reports its output and exit status, and is ended and reaped when its owner goes.

#include "framework/util/UtilProcess.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace
{

// Polls until the child ended (at most 10 s); true when it did.
bool WaitFor(Util_ChildProcess& child)
{
  for (int i = 0; i < 1000; ++i)
  {
    if (child.Poll())
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(ChildProcess, InheritsNoDescriptorOfTheHostAndAnswersThroughItsOutput)
{
  // A file the host left open without close-on-exec, as hosts do.
  const int hostFile = open("/dev/null", O_RDONLY);
  ASSERT_GE(hostFile, 3);
  const std::string fd = std::to_string(hostFile);
  Util_ChildProcess child;
  ASSERT_TRUE(child.Start("/bin/sh", {"sh", "-c",
                                      "[ -e /proc/$$/fd/" + fd +
                                        " ] && echo leaked || echo 'one line'; "
                                        "read x && echo stdin; exit 3"}));
  EXPECT_TRUE(child.Running());
  ASSERT_TRUE(WaitFor(child));
  EXPECT_EQ(child.Output(), "one line\n"); // and stdin was /dev/null: nothing read
  EXPECT_EQ(child.ExitStatus(), 3);
  EXPECT_FALSE(child.Running());
  close(hostFile);

  EXPECT_FALSE(child.Start("/nonexistent/program", {"program"}));
}

TEST(ChildProcess, IsEndedAndReapedWithItsOwner)
{
  pid_t pid = 0;
  {
    Util_ChildProcess child;
    ASSERT_TRUE(child.Start("/bin/sh", {"sh", "-c", "echo $$; exec /bin/sleep 30"}));
    for (int i = 0; i < 500 && child.Output().empty(); ++i)
    {
      child.Poll();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(child.Poll()); // still running: Poll does not wait
    pid = std::stoi(child.Output());
  }
  // Gone, and no zombie left: the process id no longer names anything of ours.
  EXPECT_NE(kill(pid, 0), 0);
}

TEST(ChildProcess, FindsOnlyExecutableFilesInAbsoluteFoldersOfThePath)
{
  testsupport::TempDir dir;
  ASSERT_TRUE(testsupport::WriteFile(dir / "tool", "#!/bin/sh\n"));
  ASSERT_TRUE(testsupport::WriteFile(dir / "plain", ""));
  chmod((dir / "tool").c_str(), 0700);
  testsupport::ScopedEnv path("PATH", "relative:" + dir.Path());
  EXPECT_EQ(Util_FindInPath("tool"), dir / "tool");
  EXPECT_EQ(Util_FindInPath("plain"), "");
  EXPECT_EQ(Util_FindInPath(""), "");
}

} // namespace
