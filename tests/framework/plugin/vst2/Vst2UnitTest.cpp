// The binding with the test plug-in class linked in, so tests can reach the editor side: the
// editor-to-processor rings, automation and resize calls to the host, host-specific set-up.

#include "tests/framework/plugin/vst2/testplug/TestPlug.h"
#include "tools/VstHost.h"

#include <gtest/gtest.h>

#include <memory>

#include <atomic>
#include <thread>

using namespace plugin;
using host::HostedPlugin;

namespace
{

AEffect* TestPlugEntry(Vst2HostCallback callback)
{
  const InstanceInfo info = Vst2InstanceInfo(callback);
  auto* plug = new TestPlug(info);
  plug->EnsureDefaultPreset();
  return &plug->GetAEffect();
}

TestPlug& Plug(HostedPlugin& host)
{
  return *static_cast<TestPlug*>(host.Effect()->object);
}

// A plug-in of any channel configuration, for the record's flags and the stereo limit.
class IOPlug : public IPluginVST2
{
public:
  IOPlug(const InstanceInfo& info, const char* io) : IPluginVST2(info, MakeConfig(io)) {}
  static Config MakeConfig(const char* io)
  {
    Config config = TestPlugConfig();
    config.channelIOStr = io;
    config.plugType = kPlugTypeEffect;
    config.plugHasUI = false;
    config.plugHasStateChunks = false;
    return config;
  }
};

} // namespace

TEST(Vst2Unit, RecordFlagsFollowTheConfig)
{
  InstanceInfo info;
  IOPlug mono(info, "1-1 2-2");
  EXPECT_EQ(mono.GetAEffect().flags, 16 + 4096 + 8);
  IOPlug stereo(info, "2-2");
  EXPECT_EQ(stereo.GetAEffect().flags, 16 + 4096);
  EXPECT_EQ(stereo.GetAEffect().numInputs, 2);
  // No editor: no rectangle, the close call answers 0.
  Vst2Rect* rect = nullptr;
  EXPECT_EQ(IPluginVST2::VSTDispatcher(&stereo.GetAEffect(), kVst2EffEditGetRect, 0, 0, &rect, 0),
            0);
  EXPECT_EQ(IPluginVST2::VSTDispatcher(&stereo.GetAEffect(), kVst2EffEditClose, 0, 0, nullptr, 0),
            0);
  // A record whose object is gone answers nothing.
  AEffect orphan = stereo.GetAEffect();
  orphan.object = nullptr;
  EXPECT_EQ(IPluginVST2::VSTDispatcher(&orphan, kVst2EffIdentify, 0, 0, nullptr, 0), 0);
  EXPECT_EQ(IPluginVST2::VSTDispatcher(nullptr, kVst2EffIdentify, 0, 0, nullptr, 0), 0);
}

TEST(Vst2Unit, ProgramSwitchesKeepTheEditsOfEachProgram)
{
  InstanceInfo info;
  Config config = TestPlugConfig();
  config.nPresets = 2;
  IPluginVST2 plug(info, config);
  plug.GetParam(0)->InitDouble("Gain", 0.0, 0.0, 1.0, 0.01);
  plug.EnsureDefaultPreset();
  AEffect* e = &plug.GetAEffect();
  const auto program = [e](intptr_t index)
  {
    IPluginVST2::VSTDispatcher(e, kVst2EffSetProgram, 0, index, nullptr, 0.0f);
  };
  e->setParameter(e, 0, 0.3f);
  program(0); // the current one: nothing changes
  EXPECT_FLOAT_EQ(e->getParameter(e, 0), 0.3f);
  program(1); // filled with the state at creation
  EXPECT_FLOAT_EQ(e->getParameter(e, 0), 0.0f);
  e->setParameter(e, 0, 0.7f);
  program(0); // each program comes back as it was left
  EXPECT_FLOAT_EQ(e->getParameter(e, 0), 0.3f);
  program(1);
  EXPECT_FLOAT_EQ(e->getParameter(e, 0), 0.7f);
}

TEST(Vst2Unit, StereoLimitedHostsGetTwoChannelsEachWay)
{
  HostedPlugin host;
  host.Identity().productString = "Forte 4";
  ASSERT_TRUE(host.Create(
    [](Vst2HostCallback callback) -> AEffect*
    {
      const InstanceInfo info = Vst2InstanceInfo(callback);
      return &(new IOPlug(info, "4-4"))->GetAEffect();
    }));
  EXPECT_EQ(host.Effect()->numOutputs, 4);
  host.Start();
  auto& plug = *static_cast<IOPlug*>(host.Effect()->object);
  EXPECT_EQ(plug.GetHost(), 15);
  EXPECT_EQ(plug.NChannelsConnected(kInput), 2);
  EXPECT_EQ(plug.NChannelsConnected(kOutput), 2);
  EXPECT_EQ(host.Effect()->numInputs, 2);
  EXPECT_EQ(host.Effect()->numOutputs, 2);
  // Rendering two channels each way works with the limited record.
  std::vector<float> a(600, 0.5f), b(600, -0.5f), c(600), d(600);
  float* ins[2] = {a.data(), b.data()};
  float* outs[2] = {c.data(), d.data()};
  host.ProcessFloat(ins, outs, 600);
  EXPECT_FLOAT_EQ(c[599], 0.5f);
  EXPECT_FLOAT_EQ(d[599], -0.5f);
}

TEST(Vst2Unit, EditorMidiIsHandedOverBeforeTheBlockInOrder)
{
  HostedPlugin host;
  ASSERT_TRUE(host.Create(TestPlugEntry));
  host.Start();
  TestPlug& plug = Plug(host);
  for (uint8_t key : {60, 62, 64})
    plug.SendMidiMsgFromUI(IMidiMsg(0, 0x90, key, 90));
  EXPECT_EQ(plug.mMidiIn, 0);
  std::vector<float> l(32), r(32);
  float* outs[2] = {l.data(), r.data()};
  host.ProcessFloat(nullptr, outs, 32);
  EXPECT_EQ(plug.mMidiIn, 3);
  EXPECT_FLOAT_EQ(l[0], 0.5f + 0.75f); // three held notes before the first sample
  const auto events = host.Events();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[1].bytes[1], 62);
  // More than the ring holds between two blocks: the oldest 32 go with the next block, the
  // rest wait in order (the controller moves after the ring filled up collapse into the last,
  // and the note-off behind them keeps its place) and follow once the idle timer has run.
  for (int i = 0; i < 40; i++)
    plug.SendMidiMsgFromUI(IMidiMsg(0, 0xB0, 1, static_cast<uint8_t>(i)));
  plug.SendMidiMsgFromUI(IMidiMsg(0, 0x80, 60, 0));
  EXPECT_EQ(plug.NPendingMidiFromEditor(), 2);
  host.ProcessFloat(nullptr, outs, 32);
  EXPECT_EQ(plug.mMidiIn, 3 + 32);
  std::unique_ptr<Timer> timer(Timer::Create([](Timer&) {}, 1000));
  plug.OnTimer(*timer);
  host.ProcessFloat(nullptr, outs, 32);
  EXPECT_EQ(plug.mMidiIn, 3 + 32 + 2);
  const auto late = host.Events();
  ASSERT_GE(late.size(), 2u);
  EXPECT_EQ(late[late.size() - 2].bytes[2], 39); // the wheel's last position
  EXPECT_EQ(late.back().bytes[0], 0x80);
  EXPECT_EQ(plug.DroppedMidiFromEditor(), 0);
}

TEST(Vst2Unit, EditorSysExGoesToTheHostAfterTheBlock)
{
  HostedPlugin host;
  ASSERT_TRUE(host.Create(TestPlugEntry));
  host.Start();
  const uint8_t message[] = {0xF0, 0x7D, 0x10, 0x20, 0xF7};
  Plug(host).SendSysexMsgFromUI(ISysEx(7, message, 5));
  std::vector<float> l(16), r(16);
  float* outs[2] = {l.data(), r.data()};
  host.ProcessFloat(nullptr, outs, 16);
  const auto events = host.Events();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].type, kVst2EventSysEx);
  EXPECT_EQ(events[0].offset, 7);
  EXPECT_EQ(events[0].bytes, std::vector<uint8_t>(message, message + 5));
}

TEST(Vst2Unit, EditorEditsReachTheHost)
{
  HostedPlugin host;
  ASSERT_TRUE(host.Create(TestPlugEntry));
  host.Start();
  TestPlug& plug = Plug(host);
  host.ClearRecords();
  plug.BeginInformHostOfParamChangeFromUI(kParamGain);
  plug.SendParameterValueFromUI(kParamGain, 0.25);
  plug.EndInformHostOfParamChangeFromUI(kParamGain);
  const auto calls = host.Calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].opcode, kVst2HostBeginEdit);
  EXPECT_EQ(calls[1].opcode, kVst2HostAutomate);
  EXPECT_EQ(calls[1].index, kParamGain);
  EXPECT_FLOAT_EQ(calls[1].opt, 0.25f);
  EXPECT_EQ(calls[2].opcode, kVst2HostEndEdit);
  EXPECT_EQ(plug.mLastParamSource, kEditor);

  host.ClearRecords();
  EXPECT_TRUE(plug.EditorResizeFromUI(800, 500, true));
  EXPECT_FALSE(plug.EditorResizeFromUI(800, 500, true)); // unchanged: no call
  EXPECT_EQ(host.CountCalls(kVst2HostSizeWindow), 1);
  Vst2Rect* rect = nullptr;
  host.Dispatch(kVst2EffEditGetRect, 0, 0, &rect);
  EXPECT_EQ(rect->right, 800);
  EXPECT_EQ(rect->bottom, 500);

  plug.SetLatency(64);
  EXPECT_EQ(host.Effect()->initialDelay, 64);
  EXPECT_EQ(host.CountCalls(kVst2HostIOChanged), 1);
}

TEST(Vst2Unit, KeyCodesMapToVirtualKeys)
{
  EXPECT_EQ(IPluginVST2::VSTKeyCodeToVK(16, 0), 34);
  EXPECT_EQ(IPluginVST2::VSTKeyCodeToVK(8, 0), 34);
  EXPECT_EQ(IPluginVST2::VSTKeyCodeToVK(0, 'q'), 81);
  EXPECT_EQ(IPluginVST2::VSTKeyCodeToVK(0, '7'), '7');
  EXPECT_EQ(IPluginVST2::VSTKeyCodeToVK(0, '#'), 0);
  EXPECT_EQ(IPluginVST2::VSTKeyCodeToVK(58, 'a'), 0);
  EXPECT_EQ(IPluginVST2::VSTKeyCodeToVK(24, 0), 96);
  EXPECT_EQ(IPluginVST2::VSTKeyCodeToVK(39, 0), 111);
  EXPECT_EQ(IPluginVST2::VSTKeyCodeToVK(51, 0), 123);
  EXPECT_EQ(IPluginVST2::VSTKeyCodeToVK(14, 0), 40);
  EXPECT_EQ(IPluginVST2::VSTKeyCodeToVK(19, 0), 13);
}

// Host automation on one thread and preset loading on another both feed the editor's ring while
// the main thread drains it: nothing is torn or lost beyond the ring's capacity.
TEST(Vst2Unit, TwoProducersFeedTheEditorRing)
{
  HostedPlugin host;
  ASSERT_TRUE(host.Create(TestPlugEntry));
  host.Start();
  TestPlug& plug = Plug(host);
  std::atomic<int> running{2};
  std::thread automation(
    [&]
    {
      for (int i = 0; i < 20000; i++)
        host.Effect()->setParameter(host.Effect(), kParamGain, (i % 100) / 100.0f);
      running--;
    });
  std::thread presets(
    [&]
    {
      for (int i = 0; i < 20000; i++)
        plug.SendParameterValueFromAPI(kParamVoices, 1 + i % 16, false);
      running--;
    });
  std::unique_ptr<Timer> timer(Timer::Create([](Timer&) {}, 1000));
  while (running > 0)
    plug.OnTimer(*timer); // what the idle timer does every 20 ms
  automation.join();
  presets.join();
  plug.OnTimer(*timer);
  const int drained = plug.mDelegateUpdates;
  EXPECT_GT(drained, 0);
  EXPECT_LE(drained, 40000);
  const int idx = plug.mLastDelegateIdx;
  EXPECT_TRUE(idx == kParamGain || idx == kParamVoices);
}
