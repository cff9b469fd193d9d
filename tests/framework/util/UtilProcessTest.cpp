// Helper programs take none of the host's files along, answer through their output and exit
// status, and are ended and reaped with their owner.

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

TEST(ChildProcess, InheritsNothingOfTheHostAndIsReapedWithItsOwner)
{
  // A file the host left open without close-on-exec, as hosts do.
  const int hostFile = open("/dev/null", O_RDONLY);
  Util_ChildProcess child;
  ASSERT_TRUE(child.Start("/bin/sh", {"sh", "-c",
                                      "[ -e /proc/$$/fd/" + std::to_string(hostFile) +
                                        " ] && echo leaked || echo clean; read x && echo input; "
                                        "exit 3"}));
  for (int i = 0; i < 1000 && !child.Poll(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  close(hostFile);
  EXPECT_EQ(child.Output(), "clean\n"); // and its input was empty
  EXPECT_EQ(child.ExitStatus(), 3);
  EXPECT_FALSE(child.Start("/nonexistent/program", {"program"}));

  pid_t pid = 0;
  {
    Util_ChildProcess sleeper;
    ASSERT_TRUE(sleeper.Start("/bin/sh", {"sh", "-c", "echo $$; exec /bin/sleep 30"}));
    for (int i = 0; i < 1000 && sleeper.Output().empty(); ++i)
    {
      EXPECT_FALSE(sleeper.Poll()); // never waits for it
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid = std::stoi(sleeper.Output());
  }
  EXPECT_NE(kill(pid, 0), 0); // ended, and no zombie left behind
}

TEST(FindInPath, TakesTheFirstExecutableFileAndPassesOverEverythingElse)
{
  // The same name in every folder of PATH: a file that cannot be executed, a folder, nothing in
  // a folder that does not exist; the executable file comes last.
  testsupport::TempDir dir;
  for (const char* folder : {"plain", "folder", "folder/prog", "found"})
    ASSERT_EQ(mkdir((dir / folder).c_str(), 0700), 0);
  for (const char* file : {"plain/prog", "found/prog"})
    ASSERT_TRUE(testsupport::WriteFile(dir / file, "#!/bin/sh\n"));
  ASSERT_EQ(chmod((dir / "plain/prog").c_str(), 0600), 0);
  ASSERT_EQ(chmod((dir / "found/prog").c_str(), 0700), 0);
  const std::string path = dir / "plain:" + dir / "folder:" + dir / "missing:" + dir / "found";
  testsupport::ScopedEnv env("PATH", path);
  EXPECT_EQ(Util_FindInPath("prog"), dir / "found/prog");

  // Once the executable one goes, nothing else is taken for it.
  ASSERT_EQ(chmod((dir / "found/prog").c_str(), 0600), 0);
  EXPECT_EQ(Util_FindInPath("prog"), "");
  EXPECT_EQ(Util_FindInPath(""), "");
}

} // namespace
