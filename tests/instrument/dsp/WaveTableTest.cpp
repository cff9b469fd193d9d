#include "instrument/dsp/WaveTableOsc.h"
#include "instrument/dsp/WaveTableSet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

namespace
{

constexpr int N = WaveTableSet::kTableSize;

// The test's own transform (recursive radix 2), independent of the one that builds the tables.
void Transform(std::vector<std::complex<double>>& x)
{
  const size_t n = x.size();
  if (n < 2)
  {
    return;
  }
  std::vector<std::complex<double>> even(n / 2), odd(n / 2);
  for (size_t i = 0; i < n / 2; ++i)
  {
    even[i] = x[2 * i];
    odd[i] = x[2 * i + 1];
  }
  Transform(even);
  Transform(odd);
  for (size_t k = 0; k < n / 2; ++k)
  {
    const std::complex<double> t = std::polar(1.0, -2.0 * std::numbers::pi * k / n) * odd[k];
    x[k] = even[k] + t;
    x[k + n / 2] = even[k] - t;
  }
}

// Amplitude of each harmonic 0..N/2 of one cycle (a unit sine gives 1 at its harmonic).
std::vector<double> Harmonics(const float* table)
{
  std::vector<std::complex<double>> x(N);
  for (int n = 0; n < N; ++n)
  {
    x[static_cast<size_t>(n)] = WaveTableSet::Sample(table, n);
  }
  Transform(x);
  std::vector<double> amplitude(N / 2 + 1);
  for (int j = 0; j <= N / 2; ++j)
  {
    amplitude[static_cast<size_t>(j)] = std::abs(x[static_cast<size_t>(j)]) * 2.0 / N;
  }
  return amplitude;
}

// Harmonic j of one cycle as x = mCos cos(j t) + mSin sin(j t); for j = 0, mCos is the mean.
struct Partial
{
  double mCos = 0.0, mSin = 0.0;
};

Partial PartialOf(const float* table, int j)
{
  Partial p;
  for (int n = 0; n < N; ++n)
  {
    const double x = WaveTableSet::Sample(table, n);
    const double angle = 2.0 * std::numbers::pi * j * n / N;
    p.mCos += x * std::cos(angle);
    p.mSin += x * std::sin(angle);
  }
  const double scale = j == 0 ? 1.0 / N : 2.0 / N;
  return {p.mCos * scale, p.mSin * scale};
}

TEST(WaveTableSet, OneSpectralFactPerWaveform)
{
  const auto set = WaveTableSet::Acquire(48000.0);
  const auto part = [&](int waveform, int j)
  {
    return PartialOf(set->Table(waveform, 0), j);
  };
  const auto sine = [&](int waveform, int j)
  {
    return part(waveform, j).mSin;
  };
  double meanAbsTx2 = 0.0;
  for (int n = 0; n < N; ++n)
  {
    meanAbsTx2 += std::fabs(WaveTableSet::Sample(set->Table(WaveTableSet::kTx2, 0), n)) / N;
  }
  const double pi = std::numbers::pi;
  const struct
  {
    const char* fact;
    double value, expected;
  } facts[] = {
    {"sine: a unit fundamental", sine(WaveTableSet::kSine, 1), 1.0},
    {"saw: harmonic j at 1/j", sine(WaveTableSet::kSaw, 2) / sine(WaveTableSet::kSaw, 1), 0.5},
    {"square: odd harmonics at 1/j",
     sine(WaveTableSet::kSquare, 3) / sine(WaveTableSet::kSquare, 1), 1.0 / 3.0},
    {"triangle: third at -1/9", sine(WaveTableSet::kTriangle, 3) / sine(WaveTableSet::kTriangle, 1),
     -1.0 / 9.0},
    {"triangle: fifth at +1/25",
     sine(WaveTableSet::kTriangle, 5) / sine(WaveTableSet::kTriangle, 1), 1.0 / 25.0},
    {"TX W2: third at -0.19", sine(WaveTableSet::kTx2, 3) / sine(WaveTableSet::kTx2, 1), -0.19},
    {"TX W3, a half sine: mean 2/pi of the fundamental",
     part(WaveTableSet::kTx3, 0).mCos / sine(WaveTableSet::kTx3, 1), 2.0 / pi},
    {"TX W4, TX W2 gated: the same sine partials",
     sine(WaveTableSet::kTx4, 3) / sine(WaveTableSet::kTx4, 1), -0.19},
    {"TX W5, sin 2t gated: second harmonic 1/2", sine(WaveTableSet::kTx5, 2), 0.5},
    {"TX W6, TX W2 twice as fast, gated", sine(WaveTableSet::kTx6, 6) / sine(WaveTableSet::kTx6, 2),
     -0.19},
    {"TX W7, |sin 2t| gated: fourth at -2/3 of the mean",
     part(WaveTableSet::kTx7, 4).mCos / part(WaveTableSet::kTx7, 0).mCos, -2.0 / 3.0},
    {"TX W8, |TX W6|: mean half that of |TX W2|", part(WaveTableSet::kTx8, 0).mCos,
     meanAbsTx2 / 2.0},
  };
  for (const auto& f : facts)
  {
    EXPECT_NEAR(f.value, f.expected, 1e-5) << f.fact;
  }
}

TEST(WaveTableSet, LevelsAndHarmonicsFollowTheRate)
{
  const auto at44 = WaveTableSet::Acquire(44100.0);
  EXPECT_EQ(at44->NumLevels(), 10);
  EXPECT_EQ(at44->Harmonics(0), 735);
  EXPECT_EQ(WaveTableSet::TopFrequency(0), 40.0);
  EXPECT_EQ(WaveTableSet::TopFrequency(9), 20480.0);
  EXPECT_EQ(WaveTableSet::Acquire(48000.0)->Harmonics(0), 800);
  EXPECT_EQ(WaveTableSet::Acquire(96000.0)->NumLevels(), 11);
  const auto at192 = WaveTableSet::Acquire(192000.0);
  EXPECT_EQ(at192->NumLevels(), 12);
  EXPECT_EQ(at192->Harmonics(0), 3200);

  // A host that never set a rate gets 44.1 kHz tables, not an empty set.
  EXPECT_EQ(WaveTableSet::Acquire(0.0)->SampleRate(), 44100);
  EXPECT_EQ(WaveTableSet::Acquire(std::nan(""))->NumLevels(), 10);
}

TEST(WaveTableSet, OneSharedSetPerIntegerRate)
{
  const auto a = WaveTableSet::Acquire(44100.0);
  EXPECT_EQ(WaveTableSet::Acquire(44100.9), a);
  const auto b = WaveTableSet::Acquire(88200.0);
  EXPECT_NE(b, a);
  const float* saw = b->Table(WaveTableSet::kSaw, 3);
  const float first = WaveTableSet::Sample(saw, 100);
  // Releasing and acquiring other rates never touches a set someone holds.
  WaveTableSet::Acquire(22050.0);
  EXPECT_EQ(WaveTableSet::Acquire(88200.0)->Table(WaveTableSet::kSaw, 3), saw);
  EXPECT_EQ(WaveTableSet::Sample(saw, 100), first);
}

// The harmonics each level keeps, from the rate alone: with c = trunc(rate / 60 + 0.5), level k
// keeps min(c / 2^k, 4096) (integer halving), and levels are made while that is at least 1.
std::vector<int> LevelHarmonics(double rate)
{
  const int c = static_cast<int>(std::trunc(std::trunc(rate) / 60.0 + 0.5));
  std::vector<int> harmonics;
  for (int h = c; h >= 1 && harmonics.size() < 13; h /= 2)
  {
    harmonics.push_back(std::min(h, 4096));
  }
  return harmonics;
}

// |a_j / a_1| of a series waveform's harmonic j: saw 1/j; square 1/j and triangle 1/j^2 for odd
// j; TX W2 0.19, 0.03 and 0.01 at 3, 5 and 7.
double SeriesRatio(int waveform, int j)
{
  const bool odd = j % 2 != 0;
  switch (waveform)
  {
  case WaveTableSet::kSaw:
    return 1.0 / j;
  case WaveTableSet::kSquare:
    return odd ? 1.0 / j : 0.0;
  case WaveTableSet::kTriangle:
    return odd ? 1.0 / (static_cast<double>(j) * j) : 0.0;
  default:
    return j == 1 ? 1.0 : j == 3 ? 0.19 : j == 5 ? 0.03 : j == 7 ? 0.01 : 0.0;
  }
}

TEST(WaveTableSet, NoHarmonicAboveEachLevelsLimit)
{
  for (double rate : {44100.0, 48000.0, 96000.0})
  {
    const auto set = WaveTableSet::Acquire(rate);
    const std::vector<int> limits = LevelHarmonics(rate);
    ASSERT_EQ(set->NumLevels(), static_cast<int>(limits.size())) << rate;
    for (int waveform = 0; waveform < WaveTableSet::kNumWaveforms; ++waveform)
    {
      const bool series = waveform >= WaveTableSet::kSaw && waveform <= WaveTableSet::kTx2;
      double levelZeroFundamental = 0.0;
      const float* transformed = nullptr; // levels that share a table share its transform
      std::vector<double> amplitude;
      for (int level = 0; level < set->NumLevels(); ++level)
      {
        const std::string where = "rate " + std::to_string(static_cast<int>(rate)) + " waveform " +
                                  std::to_string(waveform) + " level " + std::to_string(level);
        const float* table = set->Table(waveform, level);
        if (table != transformed)
        {
          amplitude = Harmonics(table);
          transformed = table;
        }
        const int limit = limits[static_cast<size_t>(level)];
        double above = 0.0;
        for (int j = limit + 1; j <= N / 2; ++j)
        {
          above = std::max(above, amplitude[static_cast<size_t>(j)]);
        }
        // -140 dB: float rounding stays near 3e-9, while a shape with a 1/j^2 tail, left
        // uncut, still has about 1e-6 just above level 0's limit.
        EXPECT_LT(above, 1e-7) << where;
        const double fundamental = amplitude[1];
        EXPECT_GT(fundamental, 0.1) << where << " keeps its fundamental";
        // The voice clamps an operator at full scale: a table beyond it would be clipped.
        double peak = 0.0;
        for (int n = 0; n < N; ++n)
        {
          peak = std::max(peak, std::fabs(static_cast<double>(WaveTableSet::Sample(table, n))));
        }
        EXPECT_LE(peak, 1.0) << where;
        if (!series)
        {
          continue;
        }
        // Every harmonic up to the limit, in the series' proportions.
        for (int j = 2; j <= limit; ++j)
        {
          ASSERT_NEAR(amplitude[static_cast<size_t>(j)], SeriesRatio(waveform, j) * fundamental,
                      1e-6)
            << where << " harmonic " << j;
        }
        // Level 0 peaks at 0.999; the others keep its fundamental unless that would take them
        // beyond full scale, where they peak at full scale.
        if (level == 0)
        {
          levelZeroFundamental = fundamental;
          EXPECT_NEAR(peak, 0.999, 1e-6) << where;
          continue;
        }
        EXPECT_LE(fundamental, levelZeroFundamental + 1e-6) << where;
        EXPECT_TRUE(std::fabs(fundamental - levelZeroFundamental) < 1e-6 || peak > 1.0 - 1e-6)
          << where << ": fundamental " << fundamental << " against " << levelZeroFundamental
          << ", peak " << peak;
      }
    }
  }
}

TEST(WaveTableSet, ShapesAndGuards)
{
  const auto set = WaveTableSet::Acquire(48000.0);
  for (int waveform = 0; waveform < WaveTableSet::kNumWaveforms; ++waveform)
  {
    for (int level = 0; level < set->NumLevels(); ++level)
    {
      // Each delta leads to the next sample; the last one wraps to the first.
      const float* table = set->Table(waveform, level);
      for (int n : {0, 1, 4095, N - 1})
      {
        EXPECT_EQ(table[2 * n + 1], table[2 * ((n + 1) % N)] - table[2 * n]) << waveform;
      }
    }
  }
  const float* sine = set->Table(WaveTableSet::kSine, 5);
  for (int n = 0; n < N; n += 7)
  {
    EXPECT_NEAR(WaveTableSet::Sample(sine, n), std::sin(2.0 * std::numbers::pi * n / N), 1e-7);
  }
  // The four series waveforms peak at 0.999 at level 0 and start with a positive half.
  for (int waveform :
       {WaveTableSet::kSaw, WaveTableSet::kSquare, WaveTableSet::kTriangle, WaveTableSet::kTx2})
  {
    const float* table = set->Table(waveform, 0);
    double peak = 0.0, firstHalf = 0.0, secondHalf = 0.0;
    for (int n = 0; n < N; ++n)
    {
      const double v = WaveTableSet::Sample(table, n);
      peak = std::max(peak, std::fabs(v));
      (n < N / 2 ? firstHalf : secondHalf) += v;
    }
    EXPECT_NEAR(peak, 0.999, 1e-6) << waveform;
    EXPECT_GT(firstHalf, 0.0) << waveform;
    EXPECT_LT(secondHalf, 0.0) << waveform;
  }
  const auto sample = [&](int waveform, int n)
  {
    return WaveTableSet::Sample(set->Table(waveform, 0), n);
  };
  EXPECT_GT(sample(WaveTableSet::kSaw, N / 4), sample(WaveTableSet::kSaw, N / 2));
  EXPECT_GT(sample(WaveTableSet::kSaw, N / 2), sample(WaveTableSet::kSaw, 3 * N / 4));
  // TX W4 and W6 are TX W2 gated to the first half (W6 at double speed), up to the cut tail.
  for (int n = 0; n < N / 2; n += 64)
  {
    EXPECT_NEAR(sample(WaveTableSet::kTx4, n), sample(WaveTableSet::kTx2, n), 5e-3) << n;
    EXPECT_NEAR(sample(WaveTableSet::kTx6, n), sample(WaveTableSet::kTx2, 2 * n), 5e-3) << n;
    EXPECT_NEAR(sample(WaveTableSet::kTx4, n + N / 2), 0.0f, 5e-3) << n;
  }
}

TEST(WaveTableSet, LevelForFrequency)
{
  const auto set = WaveTableSet::Acquire(44100.0);
  EXPECT_EQ(set->LevelForFrequency(30.0f), 0);
  EXPECT_EQ(set->LevelForFrequency(40.0f), 1);
  EXPECT_EQ(set->LevelForFrequency(8000.0f), 8);
  EXPECT_EQ(set->LevelForFrequency(20480.0f), 9);
  EXPECT_EQ(set->LevelForFrequency(1e9f), 9);
  EXPECT_EQ(set->LevelForFrequency(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(WaveTableOsc, PlaysItsFrequencyAndBand)
{
  const auto set = WaveTableSet::Acquire(48000.0);
  WaveTableOsc osc;
  osc.SetTables(set.get(), 48000.0);
  osc.SetFrequency(440.0f);
  EXPECT_FLOAT_EQ(osc.GetIncrement(), 440.0f * 8192.0f / 48000.0f);
  EXPECT_EQ(osc.GetLevel(), 4);
  std::vector<float> out(48000);
  osc.Render(out.data(), static_cast<int>(out.size()));
  int rising = 0;
  for (size_t i = 1; i < out.size(); ++i)
  {
    rising += out[i - 1] < 0.0f && out[i] >= 0.0f ? 1 : 0;
  }
  EXPECT_NEAR(rising, 440, 1);

  // Frequencies above the sample rate alias, but the phase stays inside one cycle.
  osc.SetFrequency(1e6f);
  for (int i = 0; i < 1000; ++i)
  {
    osc.Tick(0.0f);
    ASSERT_GE(osc.GetPhase(), 0.0f);
    ASSERT_LT(osc.GetPhase(), 8192.0f);
  }
}

TEST(WaveTableOsc, ReadWrapsAnyPositionSafely)
{
  const auto set = WaveTableSet::Acquire(48000.0);
  const float* saw = set->Table(WaveTableSet::kSaw, 2);
  const float last = WaveTableSet::Sample(saw, N - 1), first = WaveTableSet::Sample(saw, 0);
  EXPECT_FLOAT_EQ(WaveTableOsc::Read(saw, 8191.5f), 0.5f * (last + first));
  EXPECT_FLOAT_EQ(WaveTableOsc::Read(saw, -0.5f), 0.5f * (last + first));
  EXPECT_FLOAT_EQ(WaveTableOsc::Read(saw, 8192.0f), first);
  EXPECT_FLOAT_EQ(WaveTableOsc::Read(saw, 100.0f), WaveTableSet::Sample(saw, 100));
  EXPECT_FLOAT_EQ(WaveTableOsc::Read(saw, 100.25f - 3 * 8192.0f), WaveTableOsc::Read(saw, 100.25f));
  for (float position : {std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity(), -1e30f, 1e30f})
  {
    EXPECT_TRUE(std::isfinite(WaveTableOsc::Read(saw, position))) << position;
  }
  WaveTableOsc unbound; // never bound to tables: silence, not a crash
  unbound.SetFrequency(440.0f);
  EXPECT_EQ(unbound.Tick(0.0f), 0.0f);
}

TEST(OscillatorQuad, EachLanePlaysWhatOneOscillatorPlays)
{
  const auto set = WaveTableSet::Acquire(44100.0);
  OscillatorQuad bank;
  bank.SetTables(set.get(), 44100.0);
  WaveTableOsc single[OscillatorQuad::kLanes];
  const float hz[] = {55.0f, 440.0f, 3000.0f, 30000.0f};
  for (int k = 0; k < OscillatorQuad::kLanes; ++k)
  {
    single[k].SetTables(set.get(), 44100.0);
    single[k].SetWaveform(3 * k + 1);
    bank.SetWaveform(k, 3 * k + 1);
    single[k].SetFrequency(hz[k]);
    bank.SetFrequency(k, hz[k]);
    single[k].SetPhase(1000.0f * k);
    bank.SetPhase(k, 1000.0f * k);
  }
  float out[OscillatorQuad::kLanes] = {};
  for (int s = 0; s < 2000; ++s)
  {
    // Feedback-like modulation, large, negative and not a number included.
    const float modulation[] = {out[1] * 16384.0f, out[2] * -40000.0f,
                                s == 1000 ? std::nanf("") : -9000.0f, out[3] * 3.0f};
    bank.Tick(modulation, out);
    for (int k = 0; k < OscillatorQuad::kLanes; ++k)
    {
      ASSERT_TRUE(std::isfinite(out[k]));
      ASSERT_FLOAT_EQ(out[k], single[k].Tick(modulation[k])) << "lane " << k << " sample " << s;
    }
  }
}

} // namespace
