#include "instrument/dsp/GlobalParams.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

namespace
{

float Depth(const GlobalParams& model, int source, int destination)
{
  return model.Depth(source, destination);
}

TEST(GlobalParams, EveryAlgorithmHasOperatorAAsCarrierAndOnlyForwardPaths)
{
  for (int algorithm = 0; algorithm < kNumAlgorithms; ++algorithm)
  {
    const AlgorithmRouting& routing = kAlgorithms[algorithm];
    EXPECT_TRUE(routing.mCarriers & 1u) << algorithm;
    for (int source = 0; source < kNumOperators; ++source)
    {
      for (int destination = 0; destination < kNumOperators; ++destination)
      {
        if (routing.mPaths & RoutingPath(source, destination))
        {
          // Only B->A, C->A, D->A, C->B, D->B and D->C exist: a modulator sits after its
          // destination.
          EXPECT_GT(source, destination) << algorithm;
        }
      }
    }
  }
}

TEST(GlobalParams, AlgorithmsLayDepthsFeedbackAndCarrierGains)
{
  GlobalParams model;
  model.SetAlgorithm(4); // "5": B -> A, D -> C, carriers A and C
  EXPECT_EQ(Depth(model, kOpB, kOpA), 16384.0f);
  EXPECT_EQ(Depth(model, kOpD, kOpC), 16384.0f);
  EXPECT_EQ(Depth(model, kOpC, kOpB), 0.0f);
  EXPECT_EQ(Depth(model, kOpD, kOpD), 3000.0f);
  EXPECT_EQ(model.mOutputs[kOpA].mOutputGain, 0.125f);
  EXPECT_EQ(model.mOutputs[kOpC].mOutputGain, 0.125f);
  EXPECT_EQ(model.mOutputs[kOpB].mOutputGain, 0.0f);

  // Out-of-range values are stored unchanged and routed as algorithm 0.
  for (int algorithm : {8, 100, -1})
  {
    model.SetAlgorithm(algorithm);
    EXPECT_EQ(model.mAlgorithm, algorithm);
    EXPECT_EQ(Depth(model, kOpD, kOpC), 16384.0f);
    EXPECT_EQ(Depth(model, kOpC, kOpB), 16384.0f);
    EXPECT_EQ(Depth(model, kOpD, kOpB), 0.0f);
    EXPECT_EQ(model.mOutputs[kOpC].mOutputGain, 0.0f);
  }

  // Inverse waveform on D in algorithm 0: D's paths turn negative, output gains stay.
  model.mOutputs[kOpD].mSign = -1.0f;
  model.SetAlgorithm(0);
  EXPECT_EQ(Depth(model, kOpD, kOpC), -16384.0f);
  EXPECT_EQ(Depth(model, kOpD, kOpD), -3000.0f);
  EXPECT_EQ(model.mOutputs[kOpA].mOutputGain, 0.125f);
  EXPECT_EQ(model.mOutputs[kOpD].mOutputGain, 0.0f);
}

TEST(GlobalParams, OperatorLevelCurve)
{
  EXPECT_EQ(OpParams::LevelFromParameter(0.0), 0.0f);
  EXPECT_FLOAT_EQ(OpParams::LevelFromParameter(100.0), 1.0f);
  EXPECT_NEAR(20.0 * std::log10(OpParams::LevelFromParameter(50.0)), -37.5, 1e-3);
}

TEST(GlobalParams, PresetEnvelopeStageLimits)
{
  SynthPresetEnvelope preset;
  preset.sustain = false;
  preset.stages = {{0.0, 1.0, 0.0},     // rising, 0 ms: 30 samples
                   {1.0, 0.5, 0.0},     // falling, 0 ms: 200 samples
                   {0.5, 0.5, 10000.0}, // 10 s: cut to 220500 samples
                   {0.5, 0.0, -5.0},    // negative time: the minimum
                   {0.0, 1.0, 1e300}};  // absurd time: the maximum, no overflow
  const EnvelopeParameter envelope(preset, 44100.0f);
  ASSERT_EQ(envelope.NumStages(), 5);
  EXPECT_FALSE(envelope.mSustain);
  EXPECT_EQ(envelope.mReleaseStage, 3);
  EXPECT_EQ(envelope.Stage(0).mSamples, 30);
  EXPECT_EQ(envelope.Stage(1).mSamples, 200);
  EXPECT_FLOAT_EQ(envelope.Stage(1).mSpan, 0.5f);
  EXPECT_EQ(envelope.Stage(2).mSamples, 220500);
  EXPECT_EQ(envelope.Stage(3).mSamples, 200);
  EXPECT_EQ(envelope.Stage(4).mSamples, 220500);
  EXPECT_FLOAT_EQ(envelope.Stage(2).mIncrement, 1.0f / 220500.0f);
  // The durations kept (as chunks and files store them) are held to 0 .. 5 s too.
  const float kept[] = {0.0f, 0.0f, 5000.0f, 0.0f, 5000.0f};
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(envelope.StageMilliseconds(i), kept[i]) << i;

  // 100 ms at 48 kHz; the duration reads back as 100 ms.
  preset.stages = {{0.0, 1.0, 100.0}};
  const EnvelopeParameter at48(preset, 48000.0f);
  EXPECT_EQ(at48.Stage(0).mSamples, 4800);
  EXPECT_FLOAT_EQ(at48.StageMilliseconds(0), 100.0f);
  EXPECT_FLOAT_EQ(at48.mTimeScale, 48000.0f / 44100.0f);

  // More stages than the fixed storage holds are dropped, not written past it.
  preset.stages.assign(EnvelopeParameter::kMaxStages + 10, PresetEnvStage{0.0, 1.0, 1.0});
  EXPECT_EQ(EnvelopeParameter(preset, 44100.0f).NumStages(), EnvelopeParameter::kMaxStages);
}

TEST(GlobalParams, InitStagesAndCopyToEnvelopes)
{
  EnvelopeParameter empty;
  empty.InitStages(0);
  EXPECT_EQ(empty.NumStages(), 0);
  empty.InitStages(1000);
  EXPECT_EQ(empty.NumStages(), EnvelopeParameter::kMaxStages);

  GlobalParams model;
  model.mModEnvelope.Edit(
    [](EnvelopeParameter& e)
    {
      e.InitStages(2);
      e.mSustain = false;
    });
  model.CopyToEnvelopes(kEnvelopeMod, {kEnvelopeOpB, kEnvelopeMod, 9});
  EXPECT_EQ(model.mOps[kOpB].mEnvelope.Get().NumStages(), 2);
  EXPECT_FALSE(model.mOps[kOpB].mEnvelope.Get().mSustain);
  EXPECT_EQ(model.mModEnvelope.Get().NumStages(), 2); // onto itself: unchanged

  model.CopyToEnvelopes(7, {kEnvelopeOpA});
  model.CopyToEnvelopes(kEnvelopeOpB, {});
  EXPECT_EQ(model.mOps[kOpA].mEnvelope.Get().NumStages(), 4);
  EXPECT_EQ(model.GetEnvelope(5), nullptr);
  EXPECT_EQ(model.GetEnvelope(-1), nullptr);
}

TEST(GlobalParams, SampleRateReachesEveryEnvelopeAndPresetConversion)
{
  GlobalParams model;
  model.SetSampleRate(48000.0);
  model.SetSampleRate(0.0); // a host that never set a rate: ignored
  for (int which = 0; which < kNumEnvelopes; ++which)
  {
    const EnvelopeParameter envelope = model.GetEnvelope(which)->Get();
    EXPECT_EQ(envelope.mSampleRate, 48000.0f) << which;
    // The durations stay; the lengths follow: 100 samples at 44.1 kHz are 109 at 48 kHz.
    EXPECT_EQ(envelope.StageMilliseconds(0), EnvelopeStageParameter::kDefaultMilliseconds);
    EXPECT_EQ(envelope.Stage(0).mSamples, 109) << which;
  }
  EXPECT_FLOAT_EQ(model.mOps[kOpA].mPreviewRateFactor, 8192.0f / 48000.0f);
  SynthPresetEnvelope preset;
  preset.stages = {{0.0, 1.0, 10.0}};
  model.SetEnvelopeParams(kEnvelopeOpD, preset);
  EXPECT_EQ(model.mOps[kOpD].mEnvelope.Get().Stage(0).mSamples, 480);
  model.SetEnvelopeParams(5, preset); // names no envelope
  model.SetSampleRate(44100.0);       // and back: nothing drifts
  EXPECT_EQ(model.mModEnvelope.Get().Stage(0).mSamples, 100);

  // An edit keeps duration, direction and length in step; the shortest stages scale with the
  // rate, truncated (200 x 48000 / 44100 = 217.7, 30 x 96000 / 44100 = 65.3).
  struct Shortest
  {
    float rate;
    int32_t falling, rising;
  };
  for (const Shortest& s :
       {Shortest{44100.0f, 200, 30}, Shortest{48000.0f, 217, 32}, Shortest{96000.0f, 435, 65}})
  {
    EnvelopeParameter edited(s.rate);
    edited.SetStage(0, 0.0f, 1.0f, 0.0f);
    EXPECT_EQ(edited.Stage(0).mSamples, s.rising) << s.rate;
    edited.SetStageLevels(0, 1.0f, 0.0f);
    EXPECT_EQ(edited.Stage(0).mSamples, s.falling) << s.rate;
    edited.SetStageMilliseconds(0, 50.0f);
    EXPECT_EQ(edited.Stage(0).mSamples, static_cast<int32_t>(s.rate / 20.0f)) << s.rate;
  }
  // A duration set above 5 s keeps 5 s, in milliseconds as in samples, by either setter.
  EnvelopeParameter edited(48000.0f);
  edited.SetStageMilliseconds(0, 20000.0);
  EXPECT_EQ(edited.StageMilliseconds(0), 5000.0f);
  edited.SetStage(0, 1.0f, 0.0f, 20000.0);
  EXPECT_EQ(edited.StageMilliseconds(0), 5000.0f);
  EXPECT_EQ(edited.Stage(0).mSamples, 240000);
}

// Two envelopes that differ in every stage; a reader must see one or the other, never a mix.
EnvelopeParameter Uniform(int stages, float level)
{
  EnvelopeParameter envelope;
  envelope.InitStages(stages);
  for (int i = 0; i < stages; ++i)
  {
    envelope.Stage(i).Set(level, level, 1000 + stages);
  }
  return envelope;
}

bool IsUniform(const EnvelopeParameter& envelope)
{
  const int stages = envelope.NumStages();
  const float level = envelope.Stage(0).mStartLevel;
  for (int i = 0; i < stages; ++i)
  {
    if (envelope.Stage(i).mEndLevel != level || envelope.Stage(i).mSamples != 1000 + stages)
    {
      return false;
    }
  }
  return true;
}

TEST(SharedValue, ReaderNeverSeesAHalfReplacedEnvelope)
{
  SharedEnvelope shared(Uniform(64, 0.25f));
  std::atomic<bool> done{false};
  std::thread writer(
    [&]
    {
      for (int i = 0; i < 20000; ++i)
      {
        shared.Set(i % 2 == 0 ? Uniform(3, 0.5f) : Uniform(64, 0.75f));
      }
      done = true;
    });
  int reads = 0;
  int torn = 0;
  EnvelopeParameter copy;
  while (!done || reads < 1000)
  {
    if (shared.Read(copy))
    {
      torn += IsUniform(copy) ? 0 : 1;
      ++reads;
    }
  }
  writer.join();
  EXPECT_EQ(torn, 0);
  ASSERT_TRUE(shared.Read(copy));
  EXPECT_EQ(copy.NumStages(), 64);
  EXPECT_EQ(copy.Stage(63).mEndLevel, 0.75f);
}

} // namespace
