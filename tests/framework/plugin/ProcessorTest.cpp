// The audio processor frame and the editor delegate's defaults.

#include "framework/plugin/IPluginAPIBase.h"
#include "framework/plugin/IPluginProcessor.h"

#include <gtest/gtest.h>

using namespace plugin;

namespace
{

class Processor : public IPluginProcessor
{
public:
  explicit Processor(const char* io) : IPluginProcessor(MakeConfig(io), kAPIVST2) {}
  static Config MakeConfig(const char* io)
  {
    Config config;
    config.channelIOStr = io;
    return config;
  }
  bool SendMidiMsg(const IMidiMsg&) override { return true; }
  void ProcessBlock(double** inputs, double** outputs, int nFrames) override
  {
    mCalls++;
    IPluginProcessor::ProcessBlock(inputs, outputs, nFrames);
    for (int c = 0; c < MaxNChannels(kOutput); c++)
      for (int i = 0; i < nFrames; i++)
        outputs[c][i] += 0.5;
  }
  int mCalls = 0;
};

} // namespace

TEST(Processor, ParsesChannelIOStrings)
{
  Processor synth("0-2");
  EXPECT_EQ(synth.MaxNChannels(kInput), 0);
  EXPECT_EQ(synth.MaxNChannels(kOutput), 2);
  EXPECT_TRUE(synth.LegalIO(0, 2));
  EXPECT_FALSE(synth.LegalIO(1, -1));
  EXPECT_TRUE(synth.LegalIO(-1, 2));
  EXPECT_EQ(synth.MaxNBuses(kInput), 0);
  EXPECT_EQ(synth.MaxNBuses(kOutput), 1);

  Processor two("1-1 2-2");
  EXPECT_EQ(two.MaxNChannels(kInput), 2);
  EXPECT_EQ(two.MaxNChannels(kOutput), 2);
  int idx = -1;
  EXPECT_EQ(two.MaxNBuses(kOutput, &idx), 1);
  EXPECT_EQ(idx, 1);
  EXPECT_TRUE(two.LegalIO(1, -1));
  EXPECT_EQ(two.GetIOConfigWithChanCounts({2}, {2}), 1);
  EXPECT_EQ(two.GetIOConfigWithChanCounts({2, 2}, {2}), -1);

  Processor wild("*-2");
  EXPECT_EQ(wild.GetIOConfig(0)->mTotalChannels[kInput], -64);
  EXPECT_EQ(wild.MaxNChannelsForBus(kInput, 0), -1);
  EXPECT_EQ(wild.MaxNChannelsForBus(kOutput, 0), 2);

  Processor buses("2.2-2");
  EXPECT_EQ(buses.MaxNBuses(kInput), 2);
  EXPECT_EQ(buses.MaxNChannels(kInput), 4);
  Util_String name;
  buses.GetBusName(kInput, 1, 2, name);
  EXPECT_STREQ(name.Get(), "Aux");
  buses.GetBusName(kOutput, 3, 4, name);
  EXPECT_STREQ(name.Get(), "Output 3");
}

TEST(Processor, FloatBuffersReachTheHostAfterTheBlockAndAccumulate)
{
  Processor fx("2-2");
  fx.SetBlockSize(16);
  fx.SetChannelConnections(kInput, 0, 2, true);
  fx.SetChannelConnections(kOutput, 0, 2, true);
  float in0[16], in1[16], out0[16], out1[16];
  for (int i = 0; i < 16; i++)
  {
    in0[i] = 0.25f;
    in1[i] = -0.25f;
    out0[i] = out1[i] = 1.0f;
  }
  float* ins[2] = {in0, in1};
  float* outs[2] = {out0, out1};
  fx.AttachBuffers(kInput, 0, 2, ins, 16);
  fx.AttachBuffers(kOutput, 0, 2, outs, 16);
  fx.ProcessBuffers(0.0f, 16);
  EXPECT_FLOAT_EQ(out0[3], 0.75f);
  EXPECT_FLOAT_EQ(out1[3], 0.25f);
  fx.ProcessBuffersAccumulating(16);
  EXPECT_FLOAT_EQ(out0[3], 1.5f);
  EXPECT_FLOAT_EQ(out1[15], 0.5f);

  // Block size unchanged: the scratch buffers keep their content.
  fx.SetBlockSize(16);
  fx.ProcessBuffersAccumulating(16);
  EXPECT_FLOAT_EQ(out0[0], 2.25f);
}

// Disconnected channels render into their own scratch buffers, which must follow a new block
// size; LimitToStereoIO disconnects everything past the first two channels on both sides.
TEST(Processor, DisconnectedChannelsStayOnValidScratchStorage)
{
  Processor fx("4-4");
  fx.SetBlockSize(8);
  fx.SetChannelConnections(kInput, 0, 4, true);
  fx.SetChannelConnections(kOutput, 0, 4, true);
  fx.LimitToStereoIO();
  EXPECT_EQ(fx.NChannelsConnected(kInput), 2);
  EXPECT_EQ(fx.NChannelsConnected(kOutput), 2);
  EXPECT_FALSE(fx.IsChannelConnected(kOutput, 3));
  fx.SetBlockSize(1024); // reallocates every scratch buffer
  double a[1024] = {}, b[1024] = {};
  double* host[2] = {a, b};
  fx.AttachBuffers(kInput, 0, 4, host, 1024);
  fx.AttachBuffers(kOutput, 0, 4, host, 1024);
  fx.ProcessBuffers(0.0, 1024); // writes all four outputs; ASan checks the two scratch ones
  EXPECT_EQ(fx.mCalls, 1);
  EXPECT_DOUBLE_EQ(a[1023], 0.5);
}

TEST(Processor, LatencyPassThroughAndTempo)
{
  Processor fx("1-1");
  fx.SetBlockSize(4);
  fx.SetChannelConnections(kInput, 0, 1, true);
  fx.SetChannelConnections(kOutput, 0, 1, true);
  fx.SetLatency(2);
  fx.InitLatencyDelay();
  double in[4] = {1, 2, 3, 4}, out[4] = {};
  double* ins[1] = {in};
  double* outs[1] = {out};
  fx.AttachBuffers(kInput, 0, 1, ins, 4);
  fx.AttachBuffers(kOutput, 0, 1, outs, 4);
  fx.PassThroughBuffers(0.0, 4);
  EXPECT_DOUBLE_EQ(out[0], 0.0);
  EXPECT_DOUBLE_EQ(out[2], 1.0);
  EXPECT_DOUBLE_EQ(out[3], 2.0);
  EXPECT_DOUBLE_EQ(fx.GetSamplesPerBeat(), 24000.0);
  EXPECT_EQ(fx.GetAUPluginType(), 0x61756678);
}

namespace
{
class Delegate : public IPluginAPIBase
{
public:
  Delegate() : IPluginAPIBase(MakeConfig(), kAPIVST2)
  {
    GetParam(0)->InitDouble("X", 0.0, 0.0, 10.0, 1.0, "", IParam::kFlagStepped);
    GetParam(1)->InitBool("Y", true);
  }
  static Config MakeConfig()
  {
    Config config;
    config.nParams = 2;
    config.plugMinWidth = config.plugMinHeight = 10;
    config.plugMaxWidth = config.plugMaxHeight = 100000;
    return config;
  }
  void SendParameterValueFromDelegate(int idx, double value, bool normalized) override
  {
    mSent.emplace_back(idx, value);
    EXPECT_TRUE(normalized);
  }
  void OnParamChange(int idx, EParamSource source, int) override
  {
    mOrder.push_back({idx, source, 'c'});
  }
  void OnParamChangeUI(int idx, EParamSource source) override
  {
    mOrder.push_back({idx, source, 'u'});
  }
  struct Call
  {
    int idx;
    EParamSource source;
    char kind;
    bool operator==(const Call&) const = default;
  };
  std::vector<std::pair<int, double>> mSent;
  std::vector<Call> mOrder;
};
} // namespace

TEST(EditorDelegate, DefaultsWithoutAnEditor)
{
  Delegate d;
  int w = 5, h = 5;
  EXPECT_FALSE(d.ConstrainEditorResize(w, h));
  EXPECT_EQ(w, 10);
  EXPECT_EQ(h, 10);
  w = 400;
  h = 300;
  EXPECT_TRUE(d.ConstrainEditorResize(w, h));
  EXPECT_EQ(w, 400);

  d.GetParam(0)->Set(7.0);
  // Without a graphics factory the plug-in opens no editor at all.
  EXPECT_EQ(d.OpenWindow(nullptr), nullptr);
  EXPECT_TRUE(d.mSent.empty());
  // The parameter-holding delegate's own opening sends every value, normalized.
  EXPECT_EQ(d.IEditorDelegate::OpenWindow(nullptr), nullptr);
  ASSERT_EQ(d.mSent.size(), 2u);
  EXPECT_DOUBLE_EQ(d.mSent[0].second, 0.7);
  EXPECT_DOUBLE_EQ(d.mSent[1].second, 1.0);

  d.OnParamReset(kPresetRecall);
  const std::vector<Delegate::Call> expected = {{0, kPresetRecall, 'c'},
                                                {0, kPresetRecall, 'u'},
                                                {1, kPresetRecall, 'c'},
                                                {1, kPresetRecall, 'u'}};
  EXPECT_EQ(d.mOrder, expected);

  // The editor road: stored, then the instrument hears it from the editor.
  d.mOrder.clear();
  d.SendParameterValueFromUI(0, 0.34);
  EXPECT_DOUBLE_EQ(d.GetParam(0)->Value(), 3.0);
  EXPECT_EQ(d.mOrder.front(), (Delegate::Call{0, kEditor, 'c'}));
  EXPECT_EQ(d.mOrder.back(), (Delegate::Call{0, kEditor, 'u'}));
  EXPECT_EQ(d.GetParam(5), nullptr);
}
