// The engine driven the way a host drives it: the audio thread renders blocks with notes while
// the host's automation thread and the editor's thread change every parameter, replace
// envelopes and switch algorithms, filter types, modulation routings and mono mode. Built alone
// under ThreadSanitizer by scripts/test.sh; any report fails the run. The audio thread must
// never see a torn value or wait, and every sample must stay a finite number.

#include "instrument/engine/PelmoraDSP.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <random>
#include <thread>

namespace
{

void ChangeParameters(PelmoraDSP<double>& dsp, unsigned seed, const std::atomic<bool>& stop)
{
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> index(0, kNumParams - 1);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  while (!stop)
  {
    const int i = index(random);
    const ParamRange range = GetParamRange(i);
    dsp.SetParam(i, range.mMin + (range.mMax - range.mMin) * unit(random));
    std::this_thread::yield();
  }
}

TEST(EngineThreads, ParametersChangeWhileTheAudioThreadRenders)
{
  GlobalParams params;
  PelmoraDSP<double> dsp(12, &params);
  for (int i = 0; i < kNumParams; ++i)
  {
    dsp.SetParam(i, GetParamRange(i).mDefault);
  }
  dsp.Reset(48000.0, 256);

  std::atomic<bool> stop{false};
  std::atomic<bool> finite{true};
  std::thread audio(
    [&]
    {
      double left[256], right[256];
      double* outputs[2] = {left, right};
      for (int block = 0; block < 1500; ++block)
      {
        const uint8_t key = static_cast<uint8_t>(36 + block * 7 % 48);
        dsp.AddMidiMsgToQueue(plugin::IMidiMsg(block % 256, 0x90, key, 100));
        dsp.AddMidiMsgToQueue(plugin::IMidiMsg(0, 0x80, static_cast<uint8_t>(key - 14), 0));
        dsp.SetModWheel(static_cast<float>(block % 128) / 127.0f);
        dsp.ProcessBlock(nullptr, outputs, 2, 256, 0.0, true, 100.0 + block % 50);
        for (double x : left)
        {
          finite = finite && std::isfinite(x);
        }
      }
      stop = true;
    });
  std::thread automation([&] { ChangeParameters(dsp, 1, stop); });

  // The editor's thread: parameters, and whole envelopes replaced.
  std::mt19937 random(2);
  int round = 0;
  while (!stop)
  {
    SynthPresetEnvelope preset;
    preset.sustain = round % 2 == 0;
    for (int s = 0; s < 2 + round % 6; ++s)
    {
      preset.stages.push_back({s % 2 ? 1.0 : 0.1, s % 3 ? 0.0 : 0.8, 2.0 + s});
    }
    params.SetEnvelopeParams(round % kNumEnvelopes, preset);
    dsp.SetParam(kParamAlgorithm, round % 8);
    dsp.SetParam(kParamFilterType, round % 6);
    dsp.SetParam(kParamMod1Destination + 3 * (round % kNumModSlots), round % 18);
    dsp.SetParam(kParamMono, round % 40 == 0 ? 1 : 0);
    dsp.UpdateLfo1(round % 2 == 0);
    ++round;
    std::this_thread::yield();
  }
  audio.join();
  automation.join();
  EXPECT_TRUE(finite);
}

} // namespace
