// Helper programs take none of the host's files along, answer through their output and exit
// status, and are ended and reaped with their owner.

#include "framework/util/UtilProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
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

} // namespace
