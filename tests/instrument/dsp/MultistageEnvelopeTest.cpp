#include "instrument/dsp/MultistageEnvelope.h"
#include "instrument/dsp/GlobalParams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{

using Env = MultistageEnvelope<float>;

std::vector<float> Render(Env& envelope, int n)
{
  std::vector<float> out(static_cast<size_t>(n));
  for (float& v : out)
  {
    v = envelope.FastProcess();
  }
  return out;
}

EnvelopeParameter Stages(std::initializer_list<EnvelopeStageParameter> stages, bool sustain)
{
  EnvelopeParameter envelope;
  envelope.InitStages(static_cast<int>(stages.size()));
  int i = 0;
  for (const EnvelopeStageParameter& stage : stages)
  {
    envelope.Stage(i++) = stage;
  }
  envelope.mSustain = sustain;
  return envelope;
}

EnvelopeStageParameter Stage(float start, float end, int samples)
{
  EnvelopeStageParameter stage;
  stage.Set(start, end, samples);
  return stage;
}

TEST(MultistageEnvelope, CurveTablesStartAndEndExactly)
{
  const float* rising = EnvelopeStageParameter::PowTableRising();
  const float* falling = EnvelopeStageParameter::PowTableFalling();
  constexpr int n = EnvelopeStageParameter::kCurveTableSize;
  EXPECT_EQ(rising[0], 0.0f);
  EXPECT_EQ(falling[0], 1.0f);
  EXPECT_EQ(rising[n], 1.0f);
  EXPECT_EQ(rising[n + 1], 1.0f);
  EXPECT_EQ(falling[n], 0.0f);
  EXPECT_EQ(falling[n + 1], 0.0f);
  EXPECT_FLOAT_EQ(rising[n / 2], std::pow(0.5f, 0.9f));
}

TEST(MultistageEnvelope, DefaultEnvelopeShapeAndLengthsAt44And48kHz)
{
  // The same durations at both rates: 100, 8820 and 4410 samples at 44.1 kHz are 109, 9600 and
  // 4800 at 48 kHz.
  struct Lengths
  {
    double rate;
    int attack, hold, decay;
  };
  for (const Lengths& l : {Lengths{44100.0, 100, 8820, 4410}, Lengths{48000.0, 109, 9600, 4800}})
  {
    GlobalParams model;
    model.SetSampleRate(l.rate);
    Env envelope("Op EG 0");
    envelope.Start(model.mOps[kOpA].mEnvelope, 1.0f, 1.0f);
    const std::vector<float> v = Render(envelope, 16000);
    // Attack 0 -> 1: 0 at the first sample, exactly 1 at sample attack + 1.
    EXPECT_EQ(v[0], 0.0f);
    EXPECT_LT(v[l.attack - 1], 1.0f);
    EXPECT_EQ(v[l.attack], 1.0f);
    // The hold, shared boundaries included, up to the decay's first sample.
    const int decay = l.attack + l.hold + 1;
    EXPECT_EQ(std::count(v.begin() + l.attack, v.begin() + decay, 1.0f), l.hold + 1);
    EXPECT_LT(v[decay], 1.0f);
    // Decay 1 -> 0.8, then the sustain level holds.
    EXPECT_GT(v[decay + l.decay - 2], 0.8f);
    EXPECT_EQ(v[decay + l.decay - 1], 0.8f);
    EXPECT_EQ(v[15999], 0.8f);
    EXPECT_EQ(envelope.GetState(), Env::kSustaining);
    EXPECT_EQ(model.mOps[kOpA].mEnvelope.Get().StageMilliseconds(1), 200.0f);
  }
}

TEST(MultistageEnvelope, WithoutSustainItRunsThroughAndGoesIdle)
{
  EnvelopeParameter params;
  params.mSustain = false;
  Env envelope;
  envelope.Start(params, 1.0f, 1.0f);
  Render(envelope, 13531);
  EXPECT_FALSE(envelope.IsIdle());
  EXPECT_EQ(envelope.FastProcess(), 0.0f); // stage 3's end, the last value
  EXPECT_TRUE(envelope.IsIdle());
  EXPECT_EQ(envelope.FastProcess(), 0.0f);
}

TEST(MultistageEnvelope, ReleaseAtEveryStageStartsFromTheCurrentLevel)
{
  // Before the first sample, in the attack, at its end, in the hold, in the decay, sustaining.
  for (int at : {0, 50, 101, 5000, 10000, 20000})
  {
    Env envelope;
    envelope.Start(EnvelopeParameter{}, 0.5f, 1.0f);
    Render(envelope, at);
    const float level = envelope.GetValue();
    envelope.Release();
    EXPECT_EQ(envelope.GetState(), Env::kReleasing);
    const std::vector<float> v = Render(envelope, 201);
    EXPECT_FLOAT_EQ(v[0], level * 0.5f) << at;
    EXPECT_TRUE(std::is_sorted(v.rbegin(), v.rend())) << at;
    EXPECT_EQ(v[200], 0.0f) << at;
    EXPECT_TRUE(envelope.IsIdle()) << at;
  }
  // Releasing twice runs the release stage again from the level reached.
  Env envelope;
  envelope.Start(EnvelopeParameter{}, 1.0f, 1.0f);
  Render(envelope, 20000);
  envelope.Release();
  Render(envelope, 100);
  const float level = envelope.GetValue();
  envelope.Release();
  EXPECT_FLOAT_EQ(envelope.FastProcess(), level);
  Render(envelope, 200);
  EXPECT_TRUE(envelope.IsIdle());
}

TEST(MultistageEnvelope, EnvelopesWithoutStagesOrReleaseStage)
{
  EnvelopeParameter none;
  none.InitStages(0);
  Env silent;
  silent.Start(none, 1.0f, 1.0f);
  silent.Release();
  EXPECT_TRUE(silent.IsIdle());
  for (float v : Render(silent, 100))
  {
    EXPECT_EQ(v, 0.0f);
  }

  // Two stages and release stage 3: release fades from the current level to 0, then idles.
  Env shortEnvelope;
  shortEnvelope.Start(Stages({Stage(0, 1, 100), Stage(1, 0.5f, 100)}, true), 1.0f, 1.0f);
  Render(shortEnvelope, 60);
  const float level = shortEnvelope.GetValue();
  shortEnvelope.Release();
  const std::vector<float> v = Render(shortEnvelope, Env::kFallbackReleaseSamples + 1);
  EXPECT_FLOAT_EQ(v.front(), level);
  EXPECT_EQ(v.back(), 0.0f);
  EXPECT_TRUE(shortEnvelope.IsIdle());
}

TEST(MultistageEnvelope, HoldLastsItsFullLengthOnEveryNote)
{
  Env envelope;
  envelope.Start(EnvelopeParameter{}, 1.0f, 1.0f);
  const std::vector<float> first = Render(envelope, 14000);
  envelope.Start(EnvelopeParameter{}, 1.0f, 1.0f); // a new note from the middle of a sustain
  EXPECT_EQ(Render(envelope, 14000), first);
  envelope.Start(EnvelopeParameter{}, 1.0f, 1.0f);
  Render(envelope, 3000); // and from the middle of the hold
  envelope.Start(EnvelopeParameter{}, 1.0f, 1.0f);
  EXPECT_EQ(Render(envelope, 14000), first);

  // A note that starts with a hold, restarted in the middle of it.
  const EnvelopeParameter holdFirst = Stages({Stage(1, 1, 100), Stage(1, 0, 50)}, false);
  envelope.Start(holdFirst, 1.0f, 1.0f);
  Render(envelope, 60);
  envelope.Start(holdFirst, 1.0f, 1.0f);
  const std::vector<float> hold = Render(envelope, 150);
  EXPECT_EQ(std::count(hold.begin(), hold.end(), 1.0f), 101);

  // After two curved stages a hold of d samples still shows its level d + 1 times, like any
  // stage of d samples.
  envelope.Start(
    Stages({Stage(0, 1, 10), Stage(1, 0.5f, 10), Stage(0.5f, 0.5f, 50), Stage(0.5f, 0, 10)}, false),
    1.0f, 1.0f);
  const std::vector<float> v = Render(envelope, 100);
  EXPECT_EQ(std::count(v.begin(), v.end(), 0.5f), 51);
}

TEST(MultistageEnvelope, StagesWrittenFieldByFieldAreMadeConsistent)
{
  EnvelopeParameter params = Stages({Stage(0, 1, 100)}, false);
  params.Stage(0).mIncrement = -0.5f; // as a careless reader of a chunk might leave it
  params.Stage(0).mSpan = 7.0f;
  params.Stage(0).mSamples = 0;
  Env envelope;
  envelope.Start(params, 1.0f, 1.0f);
  const std::vector<float> v = Render(envelope, 3);
  EXPECT_EQ(v[0], 0.0f);
  EXPECT_EQ(v[1], 1.0f); // one sample, from 0 to 1
  EXPECT_TRUE(envelope.IsIdle());
}

TEST(MultistageEnvelope, RisingStageEndsOnTimeWhenItsSpanRoundsShort)
{
  // In single precision 0.005 + |0.021 - 0.005| is just below 0.021.
  Env envelope;
  envelope.Start(Stages({Stage(0.005f, 0.021f, 100)}, false), 1.0f, 1.0f);
  const std::vector<float> v = Render(envelope, 101);
  EXPECT_EQ(v[100], 0.021f);
  EXPECT_TRUE(envelope.IsIdle());
}

TEST(MultistageEnvelope, SkipsAnEmptyFirstStageWhenAsked)
{
  const EnvelopeParameter params =
    Stages({Stage(0, 1, 30), Stage(0.5f, 0.0f, 200)}, false); // 30 samples: 0.68 ms
  Env modulation;
  modulation.SetSkipEmptyFirstStage(true);
  modulation.Start(params, 1.0f, 1.0f);
  EXPECT_EQ(modulation.GetStageIndex(), 1);
  EXPECT_FLOAT_EQ(modulation.FastProcess(), 0.5f);
  Env op;
  op.Start(params, 1.0f, 1.0f);
  EXPECT_EQ(op.FastProcess(), 0.0f);
}

TEST(MultistageEnvelope, BlockProcessMatchesPerSampleProcessing)
{
  const EnvelopeParameter shapes[] = {
    EnvelopeParameter{},
    Stages({Stage(0.2f, 0.2f, 7), Stage(0.2f, 0.2f, 5), Stage(0.2f, 0.9f, 33), Stage(0.9f, 0, 20)},
           false),
  };
  for (const EnvelopeParameter& params : shapes)
  {
    for (int block : {1, 7, 32, 64})
    {
      Env single, blocked;
      single.Start(params, 0.7f, 1.0f);
      blocked.Start(params, 0.7f, 1.0f);
      std::vector<float> buffer(static_cast<size_t>(block));
      for (int done = 0; done < 16000; done += block)
      {
        if (done == 9600) // release in the decay, at a block boundary for most sizes
        {
          single.Release();
          blocked.Release();
        }
        blocked.Process(buffer.data(), block);
        for (int i = 0; i < block; ++i)
        {
          ASSERT_NEAR(buffer[static_cast<size_t>(i)], single.FastProcess(), 1e-7f)
            << "block " << block << " sample " << done + i;
        }
        ASSERT_EQ(blocked.GetState(), single.GetState());
      }
    }
  }
}

TEST(MultistageEnvelope, AdvanceReachesTheStateOfProcess)
{
  // Advancing without output, in any chunks, leaves the value, stage and counters that
  // processing the same samples leaves: the next samples are the same.
  const EnvelopeParameter params = Stages(
    {Stage(0.2f, 0.2f, 7), Stage(0.2f, 0.9f, 33), Stage(0.9f, 0.9f, 50), Stage(0.9f, 0, 20)}, true);
  for (int chunk : {1, 5, 32, 1000})
  {
    Env processed, advanced;
    processed.Start(params, 0.5f, 1.0f);
    advanced.Start(params, 0.5f, 1.0f);
    std::vector<float> buffer(static_cast<size_t>(chunk));
    bool released = false;
    for (int done = 0; done < 3000; done += chunk)
    {
      processed.Process(buffer.data(), chunk);
      advanced.Advance(chunk);
      ASSERT_EQ(advanced.GetValue(), processed.GetValue()) << chunk << " " << done;
      ASSERT_EQ(advanced.GetState(), processed.GetState());
      ASSERT_EQ(advanced.GetStageIndex(), processed.GetStageIndex());
      ASSERT_EQ(advanced.GetSampleCounter(), processed.GetSampleCounter());
      if (done >= 1000 && !released)
      {
        processed.Release();
        advanced.Release();
        released = true;
      }
    }
    EXPECT_TRUE(advanced.IsIdle());
  }
}

} // namespace
