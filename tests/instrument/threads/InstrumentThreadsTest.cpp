// Pelmora.so as a host drives it from two threads at once: the audio thread plays notes, wheel
// and pressure block after block while the host's other thread automates every parameter and
// pumps the idle timer (tempo hand-off, editor queues). Under ThreadSanitizer a data race in the
// instrument's roads fails the test.

#include "tests/support/TestSupport.h"
#include "tools/VstHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

// The instrument reads and writes its support folder: never the user's own.
static testsupport::TempHome sHome;

TEST(InstrumentThreads, AutomationAndIdleWhileTheAudioThreadPlays)
{
  host::PluginModule module;
  std::string error;
  ASSERT_TRUE(module.Load(PELMORA_INSTRUMENT_PLUGIN, error)) << error;
  host::HostedPlugin plug;
  plug.Identity().blockSize = 256;
  ASSERT_TRUE(plug.Create(module.Entry()));
  plug.Start();
  AEffect* e = plug.Effect();

  std::atomic<bool> done{false};
  bool finite = true;
  std::thread audio(
    [&]
    {
      std::vector<float> left(256), right(256);
      float* outputs[2] = {left.data(), right.data()};
      for (int block = 0; block < 300; block++)
      {
        if (block % 10 == 0)
        {
          const auto key = static_cast<uint8_t>(40 + block / 10);
          plug.SendMidi({{0, {0x90, key, 100}},
                         {3, {0xB0, 1, 64}},
                         {5, {0xD0, 30, 0}},
                         {200, {0x80, static_cast<uint8_t>(key - 3), 0}}});
        }
        plug.ProcessFloat(nullptr, outputs, 256);
        plug.AdvanceTransport(256);
        for (float s : left)
          finite = finite && std::isfinite(s);
      }
      done = true;
    });
  for (int i = 0; !done; i++)
  {
    e->setParameter(e, i % 64, static_cast<float>((i * 37) % 101) / 100.0f);
    if (i % 16 == 0)
      plug.Dispatch(kVst2EffEditIdle);
  }
  audio.join();
  EXPECT_TRUE(finite);
}

TEST(InstrumentThreads, InstancesComeAndGoWhileAnotherIdles)
{
  // A host creates and closes instances on one thread while another instance idles on its own:
  // an idle call runs its own instance's timers only, and a timer never fires into an instance
  // that is being built or torn down.
  host::PluginModule module;
  std::string error;
  ASSERT_TRUE(module.Load(PELMORA_INSTRUMENT_PLUGIN, error)) << error;
  host::HostedPlugin idling;
  ASSERT_TRUE(idling.Create(module.Entry()));
  idling.Start();

  std::atomic<bool> done{false};
  std::thread churn(
    [&]
    {
      for (int i = 0; i < 12; i++)
      {
        host::HostedPlugin plug;
        if (!plug.Create(module.Entry()))
          break;
        plug.Start();
        plug.Dispatch(kVst2EffIdle);
        plug.Close();
      }
      done = true;
    });
  int idles = 0;
  while (!done)
  {
    idling.Dispatch(kVst2EffEditIdle);
    idles++;
  }
  churn.join();
  EXPECT_GT(idles, 0);
}
