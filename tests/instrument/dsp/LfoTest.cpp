#include "instrument/dsp/Lfo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace
{

constexpr double kRate = 48000.0;
constexpr double kOneCyclePer1024 = kRate / 1024.0; // the table shapes advance 1 per sample

std::vector<float> Render(Lfo& lfo, int n)
{
  std::vector<float> out(static_cast<size_t>(n));
  for (float& v : out)
  {
    v = lfo.GetOutput();
  }
  return out;
}

TEST(Lfo, TableShapes)
{
  LfoParams params;
  params.mRate = kOneCyclePer1024;
  Lfo lfo(params, kRate);
  for (int shape : {LfoParams::kSine, LfoParams::kSaw, LfoParams::kSquare, LfoParams::kTriangle})
  {
    params.SetWaveform(shape);
    lfo.NoteStart();
    const std::vector<float> v = Render(lfo, 1024);
    for (int i = 0; i < 1024; i += 16)
    {
      const float x = static_cast<float>(i) / 1024.0f;
      const float expected[] = {std::sin(2.0f * std::numbers::pi_v<float> * x), 1.0f - 2.0f * x,
                                x < 0.5f ? 1.0f : -1.0f,
                                x < 0.25f ? 4 * x : (x < 0.75f ? 2 - 4 * x : 4 * x - 4)};
      EXPECT_NEAR(v[static_cast<size_t>(i)], expected[shape], 1e-6f) << shape << " " << i;
    }
  }
}

TEST(Lfo, SampleAndHoldAndPerlin)
{
  LfoParams params;
  params.SetWaveform(LfoParams::kSampleAndHold);
  params.mRate = 10.0;
  Lfo lfo(params, kRate);
  const std::vector<float> v = Render(lfo, 48000);
  int changes = 0;
  for (size_t i = 1; i < v.size(); ++i)
  {
    ASSERT_GE(v[i], -1.0f);
    ASSERT_LT(v[i], 1.0f);
    if (v[i] != v[i - 1])
    {
      EXPECT_EQ(i % 4800, 0u) << "a new value every 4800 samples";
      ++changes;
    }
  }
  EXPECT_GE(changes, 8);

  // Perlin: R * 1024 / rate table units per sample, smooth, within -2..2.
  params.SetWaveform(LfoParams::kPerlin);
  params.mRate = 2.0;
  Lfo perlin(params, kRate);
  EXPECT_FLOAT_EQ(perlin.GetPerlinOsc().mIncrement, static_cast<float>(2.0 * 1024.0 / kRate));
  const std::vector<float> noise = Render(perlin, 200000);
  float previous = noise[0];
  for (float x : noise)
  {
    ASSERT_LE(std::fabs(x), 2.0f);
    ASSERT_LT(std::fabs(x - previous), 0.01f);
    previous = x;
  }
  EXPECT_GT(*std::max_element(noise.begin(), noise.end()) -
              *std::min_element(noise.begin(), noise.end()),
            0.5f);
}

TEST(Lfo, TempoSyncedRates)
{
  EXPECT_DOUBLE_EQ(Lfo::SyncedRate(Lfo::k1_4, 120.0), 2.0);
  EXPECT_DOUBLE_EQ(Lfo::SyncedRate(Lfo::k8_1, 120.0), 0.0625);
  EXPECT_DOUBLE_EQ(Lfo::SyncedRate(Lfo::k1_8T, 120.0), 6.0);
  EXPECT_DOUBLE_EQ(Lfo::SyncedRate(Lfo::k1_64, 120.0), 32.0);
  EXPECT_NEAR(Lfo::SyncedRate(Lfo::k1_4D, 120.0), 1.3333, 1e-4);
  EXPECT_EQ(Lfo::GetQNScalar(99), Lfo::GetQNScalar(Lfo::k1_64)); // clamped, never past the table

  // A 2 Hz sine at 48 kHz completes a cycle every 24000 samples (within the drift of a
  // single-precision phase).
  LfoParams params;
  params.mRate = Lfo::SyncedRate(Lfo::k1_4, 120.0);
  Lfo lfo(params, kRate);
  const std::vector<float> v = Render(lfo, 48001);
  EXPECT_NEAR(v[6000], 1.0f, 1e-3f);
  EXPECT_NEAR(v[24000], 0.0f, 1e-3f);
  EXPECT_NEAR(v[42000], -1.0f, 1e-3f);
  EXPECT_NEAR(v[48000], 0.0f, 1e-3f);
}

TEST(Lfo, DelayAndNoteStart)
{
  LfoParams params;
  params.SetWaveform(LfoParams::kSaw);
  params.mRate = 1.0;
  params.SetDelay(100.0, kRate);
  ASSERT_EQ(params.mDelaySamples, 4800);
  Lfo lfo(params, kRate);
  lfo.NoteStart();
  const std::vector<float> v = Render(lfo, 4801);
  EXPECT_TRUE(std::all_of(v.begin(), v.end() - 1, [](float x) { return x == 0.0f; }));
  EXPECT_EQ(v.back(), 1.0f); // the saw starts at +1 after the delay

  // Restarted: delay and phase again. Free-running: neither.
  Render(lfo, 1000);
  lfo.NoteStart();
  EXPECT_EQ(lfo.GetOutput(), 0.0f);
  params.mFreeRunning = true;
  const float running = lfo.GetOutput();
  lfo.NoteStart();
  EXPECT_NE(running, 0.0f);
  EXPECT_LT(lfo.GetOutput(), running);

  // A held value survives a note start; the next one comes a full period after it.
  params.mFreeRunning = false;
  params.SetDelay(0.0, kRate);
  params.SetWaveform(LfoParams::kSampleAndHold);
  params.mRate = 100.0;
  Render(lfo, 123);
  const float held = lfo.GetOutput();
  lfo.NoteStart();
  const std::vector<float> after = Render(lfo, 481);
  EXPECT_TRUE(std::all_of(after.begin(), after.end() - 1, [&](float x) { return x == held; }));
  EXPECT_NE(after.back(), held);
}

TEST(Lfo, ZeroTinyAndHugeRatesStaySafe)
{
  LfoParams params;
  params.SetWaveform(LfoParams::kSampleAndHold);
  for (double rate : {0.0, -3.0, std::nan(""), Lfo::SyncedRate(Lfo::k8_1, 1e-30)})
  {
    params.mRate = rate;
    Lfo lfo(params, kRate);
    EXPECT_EQ(lfo.GetSimpleOsc().mPeriod, Lfo::kMaxHoldPeriod) << rate;
    const std::vector<float> v = Render(lfo, 10000);
    EXPECT_TRUE(std::all_of(v.begin(), v.end(), [&](float x) { return x == v[0]; })) << rate;
  }
  for (int shape = 0; shape < LfoParams::kNumWaveforms; ++shape)
  {
    params.SetWaveform(shape);
    params.mRate = 1e12; // a host reporting an absurd tempo
    Lfo lfo(params, kRate);
    for (float x : Render(lfo, 5000))
    {
      ASSERT_TRUE(std::isfinite(x));
      ASSERT_LE(std::fabs(x), 2.0f);
    }
  }
}

TEST(Lfo, EachInstanceKeepsItsOwnRate)
{
  LfoParams params;
  params.mRate = 10.0;
  Lfo at44(params, 44100.0);
  const float increment = at44.GetSimpleOsc().mIncrement;
  Lfo at96(params, 96000.0); // making and resetting another never changes the first
  at96.SetSampleRate(192000.0);
  EXPECT_EQ(at44.GetSimpleOsc().mIncrement, increment);
  EXPECT_FLOAT_EQ(increment, static_cast<float>(10.0 * 1024.0 / 44100.0));
  EXPECT_EQ(at44.GetSimpleOsc().mPeriod, 4410);

  // A rate written into the shared settings reaches the LFO at its next sample.
  params.mRate = 20.0;
  at44.GetOutput();
  EXPECT_EQ(at44.GetSimpleOsc().mPeriod, 2205);

  // Block processing gives the same samples as one call per sample.
  params.SetWaveform(LfoParams::kTriangle);
  params.SetDelay(1.0, 44100.0);
  Lfo a(params, 44100.0), b(params, 44100.0);
  std::vector<float> block(300);
  a.Process(block.data(), 300);
  EXPECT_EQ(block, Render(b, 300));
}

} // namespace
