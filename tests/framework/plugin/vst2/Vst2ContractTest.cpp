// What every Pelmora plug-in .so must do for a host, run against each built one: the test
// plug-in, and Pelmora.so once the instrument is built.

#include "tests/support/TestSupport.h"
#include "tools/Render.h"
#include "tools/VstHost.h"

#include <gtest/gtest.h>

#include <cmath>

using host::HostedPlugin;
using host::PluginModule;

namespace
{
// The instrument reads and writes its support folder: never the user's own.
testsupport::TempHome sHome;

std::vector<std::string> PluginPaths()
{
  std::vector<std::string> paths = {PELMORA_TEST_PLUGIN};
#ifdef PELMORA_INSTRUMENT_PLUGIN
  paths.push_back(PELMORA_INSTRUMENT_PLUGIN);
#endif
  return paths;
}

class Contract : public ::testing::TestWithParam<std::string>
{
protected:
  void SetUp() override
  {
    std::string error;
    ASSERT_TRUE(mModule.Load(GetParam(), error)) << error;
    ASSERT_TRUE(mPlug.Create(mModule.Entry()));
    mPlug.Start();
  }
  PluginModule mModule;
  HostedPlugin mPlug;
};
} // namespace

TEST_P(Contract, RecordNamesAndCapabilities)
{
  const AEffect* e = mPlug.Effect();
  EXPECT_EQ(e->magic, kVst2Magic);
  EXPECT_EQ(e->flags, 4401);
  EXPECT_EQ(e->version, 20300);
  EXPECT_EQ(e->uniqueID, 0x506C6D72);
  EXPECT_EQ(e->numInputs, 0);
  EXPECT_EQ(e->numOutputs, 2);
  EXPECT_EQ(e->numParams, 64);
  EXPECT_GE(e->numPrograms, 1);
  EXPECT_EQ(mPlug.EffectName(), "Pelmora");
  EXPECT_EQ(mPlug.VendorString(), "Tessvold");
  EXPECT_TRUE(mPlug.CanDo("receiveVstMidiEvent"));
  EXPECT_TRUE(mPlug.CanDo("sendVstMidiEvent"));
  for (int i = 0; i < e->numParams; i++)
    EXPECT_FALSE(mPlug.ParamName(i).empty()) << i;
}

TEST_P(Contract, ChunksRestoreByteExactlyAndBrokenOnesChangeNothing)
{
  AEffect* e = mPlug.Effect();
  for (int i = 0; i < e->numParams; i += 5)
    e->setParameter(e, i, 0.3f);
  const std::vector<uint8_t> program = mPlug.GetChunk(false);
  const std::vector<uint8_t> bank = mPlug.GetChunk(true);
  ASSERT_GT(program.size(), 8u);
  HostedPlugin second;
  ASSERT_TRUE(second.Create(mModule.Entry()));
  second.Start();
  const std::vector<uint8_t> fresh = second.GetChunk(false);
  EXPECT_FALSE(second.SetChunk(std::vector<uint8_t>(program.begin(), program.begin() + 6), false));
  EXPECT_FALSE(second.SetChunk(std::vector<uint8_t>(bank.begin(), bank.end() - 1), true));
  EXPECT_EQ(second.GetChunk(false), fresh);
  EXPECT_TRUE(second.SetChunk(bank, true));
  EXPECT_EQ(second.GetChunk(true), bank);
  EXPECT_EQ(second.GetChunk(false), program);
}

TEST_P(Contract, RendersTheDemoPhraseWithFiniteSamples)
{
  host::RenderOptions options;
  options.tailSeconds = 0.25;
  const host::StereoBuffer audio = Render(mPlug, host::DemoPhrase(48000.0), options);
  const host::AudioStats stats = host::Measure(audio, 48000.0);
  EXPECT_TRUE(stats.finite);
  EXPECT_GT(stats.peak, 0.0);
}

TEST_P(Contract, HundredLoadOpenProcessCloseCycles)
{
  std::vector<float> left(512), right(512);
  float* outputs[2] = {left.data(), right.data()};
  for (int cycle = 0; cycle < 100; cycle++)
  {
    PluginModule module;
    std::string error;
    ASSERT_TRUE(module.Load(GetParam(), error)) << error;
    HostedPlugin plug;
    ASSERT_TRUE(plug.Create(cycle % 2 ? module.PluginMain() : module.LegacyMain()));
    plug.Start();
    plug.SendMidi({{0, {0x90, 64, 100}}});
    plug.ProcessFloat(nullptr, outputs, 512);
    plug.Dispatch(kVst2EffEditIdle);
    ASSERT_TRUE(std::isfinite(left[511]));
    plug.Close();
  }
}

INSTANTIATE_TEST_SUITE_P(Plugins, Contract, ::testing::ValuesIn(PluginPaths()),
                         [](const ::testing::TestParamInfo<std::string>& info)
                         {
                           return info.param.find("PelmoraTest") != std::string::npos
                                    ? std::string("TestPlug")
                                    : std::string("Instrument");
                         });
