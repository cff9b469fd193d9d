// The engine around the voices: parameter conversions, smoother, chorus, sample rates and
// resets, tempo, host block sizes, denormals and a long render with everything moving.

#include "instrument/engine/FastMath.h"
#include "tests/instrument/engine/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <random>

using namespace enginetest;

TEST(Engine, ParameterConversions)
{
  TestEngine engine;
  PelmoraDSP<double>& dsp = engine.dsp;
  dsp.SetParam(kParamGain, 0);
  EXPECT_EQ(dsp.GetSmootherTarget(0), 1.0);
  dsp.SetParam(kParamGain, -6);
  EXPECT_NEAR(dsp.GetSmootherTarget(0), 0.501187, 1e-6);
  dsp.SetParam(kParamGain, 1000); // limited to +24 dB
  EXPECT_NEAR(dsp.GetSmootherTarget(0), 15.8489, 1e-4);
  dsp.SetParam(OpParamIndex(kOpB, kOpLevel), 0);
  EXPECT_EQ(dsp.GetSmootherTarget(2), 0.0);
  dsp.SetParam(OpParamIndex(kOpB, kOpLevel), 100);
  EXPECT_EQ(dsp.GetSmootherTarget(2), 1.0);
  dsp.SetParam(OpParamIndex(kOpC, kOpPhase), 90);
  EXPECT_FLOAT_EQ(engine.params.mOps[kOpC].mPhaseOffset, -8192.0f);
  dsp.SetParam(OpParamIndex(kOpD, kOpInverse), 1);
  EXPECT_FLOAT_EQ(engine.params.Depth(kOpD, kOpC), -16384.0f);
  EXPECT_FLOAT_EQ(engine.params.Depth(kOpD, kOpD), -3000.0f);
  dsp.SetParam(kParamFilterResonance, 100);
  EXPECT_FLOAT_EQ(dsp.GetResonance(), 1.0f);
  // Six filter types, 0..5: the voices keep rendering the last valid type for any other value,
  // the first ones outside the list included.
  for (int valid : {4, 5, 0})
  {
    dsp.SetParam(kParamFilterType, valid);
    for (double outside : {6.0, 9.0, -1.0})
    {
      dsp.SetParam(kParamFilterType, outside);
      EXPECT_EQ(dsp.GetFilterType(), valid) << outside;
    }
  }
  dsp.SetParam(kParamAlgorithm, 11); // stored; routed as algorithm "1"
  EXPECT_EQ(engine.params.mAlgorithm, 11);
  EXPECT_FLOAT_EQ(engine.params.Depth(kOpB, kOpA), 16384.0f);
  dsp.SetParam(kParamGlideTime, 12.9);
  EXPECT_EQ(dsp.GetGlideSamples(), 576);
  dsp.SetParam(kParamPitchDrift, 100);
  EXPECT_FLOAT_EQ(engine.params.mPitchDrift, 0.5f);
  // Values that are not numbers, and unknown indices, change nothing.
  dsp.SetParam(kParamGlideTime, std::nan(""));
  dsp.SetParam(kParamGlideTime, INFINITY);
  dsp.SetParam(-1, 5);
  dsp.SetParam(kNumParams, 5);
  EXPECT_EQ(dsp.GetGlideSamples(), 576);
}

TEST(Engine, LfoRateDelayAndTempo)
{
  TestEngine engine(44100.0);
  PelmoraDSP<double>& dsp = engine.dsp;
  GlobalParams& params = engine.params;
  dsp.SetParam(kParamLfoDelay, 100);
  EXPECT_EQ(params.mLfo.mDelaySamples, 4410);
  // Synced by default, division "1/8T" at 120 BPM: 3 cycles per beat.
  EXPECT_DOUBLE_EQ(params.mLfo.mRate, 6.0);
  dsp.SetParam(kParamLfoRateDivision, 6); // "1/4"
  EXPECT_DOUBLE_EQ(params.mLfo.mRate, 2.0);
  dsp.SetParam(kParamLfoRateHz, 7.0); // not heard while synced
  EXPECT_DOUBLE_EQ(params.mLfo.mRate, 2.0);
  dsp.SetParam(kParamLfoSync, 0);
  EXPECT_DOUBLE_EQ(params.mLfo.mRate, 7.0);
  dsp.SetParam(kParamLfoRateDivision, 0); // not heard while free
  EXPECT_DOUBLE_EQ(params.mLfo.mRate, 7.0);
  dsp.SetParam(kParamLfoSync, 1);
  EXPECT_DOUBLE_EQ(params.mLfo.mRate, 0.0625); // "8/1"
  // Tempos are limited to 20..999; a host's 0 or NaN leaves the tempo alone.
  dsp.SetTempo(5000);
  EXPECT_EQ(dsp.GetTempo(), 999.0);
  dsp.SetTempo(1);
  EXPECT_EQ(dsp.GetTempo(), 20.0);
  dsp.SetTempo(0);
  dsp.SetTempo(std::nan(""));
  EXPECT_EQ(dsp.GetTempo(), 20.0);
  // The host's tempo arrives with a block and the synced LFO follows.
  dsp.SetParam(kParamLfoRateDivision, 6);
  double left[64], right[64];
  double* outputs[2] = {left, right};
  dsp.ProcessBlock(nullptr, outputs, 2, 64, 0.0, true, 90.0);
  EXPECT_DOUBLE_EQ(params.mLfo.mRate, 1.5);
  // A reset derives the delay and the glide again from their parameters, at the new rate.
  dsp.SetParam(kParamGlideTime, 12);
  EXPECT_EQ(dsp.GetGlideSamples(), 529);
  dsp.Reset(96000.0, 512);
  EXPECT_EQ(params.mLfo.mDelaySamples, 9600);
  EXPECT_EQ(dsp.GetGlideSamples(), 1152);
  EXPECT_DOUBLE_EQ(params.mLfo.mRate, 1.5);
}

TEST(Engine, SampleRatesChorusAndInstances)
{
  TestEngine a(44100.0);
  EXPECT_EQ(a.dsp.GetChorus(0).GetLength(), 2 * 308);
  a.dsp.Reset(48000.0, 256);
  EXPECT_EQ(a.dsp.GetChorus(0).GetLength(), 672);
  EXPECT_EQ(a.dsp.GetChorus(1).GetLength(), 672);
  // The same rate keeps the stages where they are; rates outside 8..768 kHz are ignored.
  a.dsp.SetParam(kParamChorus1, 1);
  a.NoteOn(60);
  a.Render(1000);
  const Chorus* stage = &a.dsp.GetChorus(0);
  const double lfo = stage->GetLfo();
  for (double rate : {48000.0, 4000.0, 2.0e6, -1.0, std::nan("")})
  {
    a.dsp.Reset(rate, 512);
    EXPECT_EQ(a.dsp.GetSampleRate(), 48000.0) << rate;
    EXPECT_EQ(&a.dsp.GetChorus(0), stage);
    EXPECT_EQ(a.dsp.GetChorus(0).GetLfo(), lfo);
  }
  // A second instance has its own rate and chorus; the first is untouched.
  TestEngine b(96000.0);
  EXPECT_EQ(b.dsp.GetChorus(0).GetLength(), 1344);
  EXPECT_EQ(a.dsp.GetChorus(0).GetLength(), 672);
  // Both stages' start: +1 and -1.
  EXPECT_EQ(b.dsp.GetChorus(0).GetLfo(), 1.0);
  EXPECT_EQ(b.dsp.GetChorus(1).GetLfo(), -1.0);
}

TEST(Engine, ChorusPassesDcAndWidensTheSound)
{
  Chorus chorus(0.5, 1.0, 7.0, 48000.0, PelmoraEngine::kChorusDelayCentre,
                PelmoraEngine::kChorusDelayDepth);
  double out = 0.0;
  for (int i = 0; i < 4800; ++i)
  {
    out = chorus.process(1.0);
  }
  EXPECT_NEAR(1.0 + PelmoraEngine::kChorusWet * out, 1.55, 1e-3);

  TestEngine dry, wet;
  wet.dsp.SetParam(kParamChorus1, 1);
  wet.dsp.SetParam(kParamChorus2, 1);
  dry.NoteOn(60);
  wet.NoteOn(60);
  const std::vector<double> d = dry.Render(9600);
  const std::vector<double> w = wet.Render(9600);
  EXPECT_GT(MaxDifference(d, w), 0.01);
  EXPECT_FALSE(wet.ChannelsDiffer());

  // A constant voice (ratio 0: the oscillator stands at its phase) through the mix: the dry
  // signal at full level plus each stage's wet signal at 0.55.
  std::vector<double> level;
  for (int stages = 0; stages <= 2; ++stages)
  {
    TestEngine engine;
    engine.dsp.SetParam(OpParamIndex(kOpA, kOpRatio), 0.0);
    engine.dsp.SetParam(OpParamIndex(kOpA, kOpPhase), 67.0); // near the cycle's peak
    engine.dsp.SetParam(kParamChorus1, stages >= 1 ? 1 : 0);
    engine.dsp.SetParam(kParamChorus2, stages >= 2 ? 1 : 0);
    engine.NoteOn(60);
    level.push_back(engine.Render(24000).back()); // in the sustain
  }
  EXPECT_GT(std::fabs(level[0]), 0.05);
  EXPECT_NEAR(level[1] / level[0], 1.0 + PelmoraEngine::kChorusWet, 1e-3);
  EXPECT_NEAR(level[2] / level[0], 1.0 + 2.0 * PelmoraEngine::kChorusWet, 1e-3);
}

TEST(Engine, SmootherStepsAtAFixedCoefficient)
{
  plugin::LogParamSmooth<double, 2> smoother;
  EXPECT_NEAR(smoother.GetA(), 0.9741597847140443, 1e-15);
  smoother.SetTarget(0, 1.0);
  double channel0[50], channel1[50];
  double* outputs[2] = {channel0, channel1};
  smoother.ProcessBlock(outputs, 50);
  EXPECT_NEAR(channel0[49], 1.0 - std::pow(smoother.GetA(), 50), 1e-12);
  EXPECT_NEAR(channel0[49], 0.73, 0.005);
  EXPECT_EQ(channel1[49], 0.0);
  for (int i = 0; i < 60; ++i)
  {
    smoother.ProcessBlock(outputs, 50);
  }
  EXPECT_EQ(channel0[49], 1.0); // settled exactly
  smoother.SetTarget(0, 0.0);
  for (int i = 0; i < 2000; ++i)
  {
    smoother.ProcessBlock(outputs, 50);
  }
  EXPECT_EQ(channel0[49], 0.0); // no subnormal tail
}

TEST(Engine, AnyHostBlockLength)
{
  // Block lengths that are multiples of the sub-block give the same samples; any other length
  // renders as well.
  std::vector<double> reference;
  for (int blockSize : {32, 512, 4096, 8192, 1, 7, 100, 1000})
  {
    TestEngine engine;
    engine.dsp.SetParam(kParamChorus1, 1);
    engine.dsp.SetParam(kParamLfoSync, 0);
    engine.dsp.SetParam(kParamMod1Source, 2);
    engine.dsp.SetParam(kParamMod1Destination, 11);
    engine.dsp.SetParam(kParamMod1Amount, 40);
    engine.dsp.SetParam(kParamFilterCutoff, 2000);
    for (int key : {48, 55, 64, 71})
    {
      engine.NoteOn(key);
    }
    const std::vector<double> out = engine.Render(16384, blockSize);
    if (blockSize % kSubBlockSize == 0)
    {
      if (reference.empty())
      {
        reference = out;
      }
      EXPECT_EQ(out, reference) << blockSize;
    }
    EXPECT_GT(Peak(out, 0, out.size()), 0.1) << blockSize;
    EXPECT_LT(Peak(out, 0, out.size()), 2.0) << blockSize;
  }
}

TEST(Engine, DenormalsAreOffForTheProcessCallOnly)
{
  // The modes the host's code inherits; the status flags (bits 0-5) only record what any
  // arithmetic raised, the test's own included.
  const auto modes = []
  {
    return _mm_getcsr() & ~0x3Fu;
  };
  const unsigned before = modes();
  {
    const fastmath::DenormalGuard guard;
    volatile float tiny = 1e-30f;
    volatile float product = tiny * 1e-10f; // subnormal result
    EXPECT_EQ(product, 0.0f);
  }
  EXPECT_EQ(modes(), before);
  TestEngine engine;
  engine.NoteOn(60);
  engine.Render(512);
  EXPECT_EQ(modes(), before);
}

TEST(Engine, FastAtanMatchesTheLibrary)
{
  std::mt19937 random(7);
  std::uniform_real_distribution<float> exponent(-12.0f, 8.0f);
  for (int i = 0; i < 200000; ++i)
  {
    const float magnitude = std::pow(10.0f, exponent(random));
    const float x = (i & 1) ? magnitude : -magnitude;
    const double exact = std::atan(static_cast<double>(x));
    ASSERT_NEAR(fastmath::FastAtan(x), exact, 2e-7 * std::fabs(exact)) << x;
    // The SIMD form gives the same bits, lane by lane.
    alignas(16) float lanes[4];
    _mm_store_ps(lanes, fastmath::FastAtan(_mm_setr_ps(x, -x, 0.2f * x, 5.0f * x)));
    ASSERT_EQ(lanes[0], fastmath::FastAtan(x));
    ASSERT_EQ(lanes[1], fastmath::FastAtan(-x));
    ASSERT_EQ(lanes[2], fastmath::FastAtan(0.2f * x));
    ASSERT_EQ(lanes[3], fastmath::FastAtan(5.0f * x));
  }
}

TEST(Engine, LongRenderWithRandomChangesStaysFinite)
{
  // Ten minutes of audio with notes, wheel, bend and every parameter moving at random (also
  // beyond its range); shorter under the sanitizers, which make it slow.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  constexpr int kSeconds = 20;
#else
  constexpr int kSeconds = 600;
#endif
  TestEngine engine;
  std::mt19937 random(1234);
  std::uniform_int_distribution<int> param(0, kNumParams - 1);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  constexpr int kBlock = 480;
  std::vector<double> left(kBlock), right(kBlock);
  double* outputs[2] = {left.data(), right.data()};
  double peak = 0.0;
  for (int block = 0; block < kSeconds * 100; ++block)
  {
    for (int change = 0; change < 3; ++change)
    {
      const int index = param(random);
      const ParamRange range = GetParamRange(index);
      const double span = range.mMax - range.mMin;
      engine.dsp.SetParam(index, range.mMin - 0.05 * span + 1.1 * span * unit(random));
    }
    const int key = 24 + static_cast<int>(unit(random) * 84);
    engine.NoteOn(key, 1 + static_cast<int>(unit(random) * 126), block % kBlock);
    engine.NoteOff(24 + static_cast<int>(unit(random) * 84), 7);
    engine.Send(0xE0, 0, static_cast<uint8_t>(unit(random) * 127));
    engine.dsp.SetModWheel(static_cast<float>(unit(random)));
    engine.dsp.SetAftertouch(static_cast<float>(unit(random)));
    if (block % 600 == 0)
    {
      engine.dsp.SetParam(kParamGain, 0); // now and then back to a level worth checking
    }
    engine.dsp.ProcessBlock(nullptr, outputs, 2, kBlock, 0.0, true, 60.0 + block % 200);
    for (int s = 0; s < kBlock; ++s)
    {
      const double x = left[static_cast<size_t>(s)];
      ASSERT_TRUE(std::isfinite(x)) << block;
      ASSERT_NE(std::fpclassify(x), FP_SUBNORMAL) << block;
      ASSERT_EQ(x, right[static_cast<size_t>(s)]);
      peak = std::max(peak, std::fabs(x));
    }
  }
  EXPECT_GT(peak, 0.01);
  EXPECT_LT(peak, 1000.0); // +24 dB of gain over clamped operators and a resonant filter
}
