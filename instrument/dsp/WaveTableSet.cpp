#include "instrument/dsp/WaveTableSet.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <numbers>
#include <utility>

namespace
{

constexpr int N = WaveTableSet::kTableSize;

// Fourier coefficient a_j of a series waveform. The tables are built as the imaginary part of
// the forward transform of {a_j at j, -a_j at N - j}, which is -2 * sum a_j sin(j x).
double SeriesCoefficient(int waveform, int j)
{
  switch (waveform)
  {
  case WaveTableSet::kSaw:
    return 1.0 / j;
  case WaveTableSet::kSquare:
    return j % 2 != 0 ? -1.0 / j : 0.0;
  case WaveTableSet::kTriangle:
  {
    if (j % 2 == 0)
    {
      return 0.0;
    }
    const double magnitude = 1.0 / (static_cast<double>(j) * j);
    return ((j - 1) / 2) % 2 == 0 ? magnitude : -magnitude;
  }
  case WaveTableSet::kTx2:
    switch (j)
    {
    case 1:
      return 1.0;
    case 3:
      return -0.19;
    case 5:
      return 0.03;
    case 7:
      return -0.01;
    default:
      return 0.0;
    }
  default:
    return 0.0;
  }
}

// Square keeps the transform's sign; the others are negated, so that all four start their
// cycle with a positive half (saw falls from near +1, triangle rises from 0).
double SeriesSign(int waveform)
{
  return waveform == WaveTableSet::kSquare ? 1.0 : -1.0;
}

bool SeriesChangesBetween(int waveform, int fewer, int more)
{
  for (int j = fewer + 1; j <= more; ++j)
  {
    if (SeriesCoefficient(waveform, j) != 0.0)
    {
      return true;
    }
  }
  return false;
}

// The largest magnitude among samples.
double Peak(const std::vector<double>& samples)
{
  double peak = 0.0;
  for (double v : samples)
  {
    peak = std::max(peak, std::fabs(v));
  }
  return peak;
}

// scale (positive) for samples whose largest magnitude is peak; where it would take them beyond
// full scale, the smaller scale that takes their peak to full scale.
double WithinFullScale(double scale, double peak)
{
  return peak * scale > WaveTableSet::kFullScale ? WaveTableSet::kFullScale / peak : scale;
}

// Writes samples * factor as (value, delta) pairs; deltas come from the rounded values, so that
// value + delta is the next value.
void StoreTable(float* table, const std::vector<double>& samples, double factor)
{
  for (int n = 0; n < N; ++n)
  {
    table[2 * n] = static_cast<float>(samples[static_cast<size_t>(n)] * factor);
  }
  for (int n = 0; n < N; ++n)
  {
    table[2 * n + 1] = table[2 * ((n + 1) % N)] - table[2 * n];
  }
}

} // namespace

int WaveTableSet::TableRate(double sampleRate)
{
  if (!(sampleRate >= 1.0)) // not a positive number: a host that never set a rate
  {
    return 44100;
  }
  return static_cast<int>(std::clamp(sampleRate, 1000.0, 384000.0));
}

std::shared_ptr<const WaveTableSet> WaveTableSet::Acquire(double sampleRate)
{
  // The registry holds weak references: a set lives as long as some instance uses it.
  static std::mutex mutex;
  static std::map<int, std::weak_ptr<const WaveTableSet>> sets;

  const int rate = TableRate(sampleRate);
  std::lock_guard<std::mutex> lock(mutex);
  std::weak_ptr<const WaveTableSet>& entry = sets[rate];
  if (std::shared_ptr<const WaveTableSet> existing = entry.lock())
  {
    return existing;
  }
  std::shared_ptr<const WaveTableSet> built(new WaveTableSet(rate));
  entry = built;
  return built;
}

double WaveTableSet::TopFrequency(int level)
{
  return std::ldexp(kLowestTopFrequency, level);
}

WaveTableSet::WaveTableSet(int sampleRate) : mSampleRate(sampleRate)
{
  const int c = static_cast<int>(sampleRate / 60.0 + 0.5);
  while (mNumLevels < kMaxLevels && (c >> mNumLevels) >= 1)
  {
    mHarmonics[static_cast<size_t>(mNumLevels)] = std::min(c >> mNumLevels, kMaxHarmonics);
    ++mNumLevels;
  }

  BuildSine();
  for (int waveform : {kSaw, kSquare, kTriangle, kTx2})
  {
    BuildSeries(waveform);
  }

  const double step = 2.0 * std::numbers::pi / N;
  std::vector<double> tx3(N, 0.0), tx4(N, 0.0), tx5(N, 0.0), tx6(N, 0.0), tx7(N, 0.0), tx8(N, 0.0);
  for (int n = 0; n < N / 2; ++n)
  {
    const size_t i = static_cast<size_t>(n);
    tx3[i] = std::sin(step * n);
    tx4[i] = mTx2Level0[i];
    tx5[i] = std::sin(2.0 * step * n);
    tx6[i] = mTx2Level0[2 * i];
    tx7[i] = std::fabs(tx5[i]);
    tx8[i] = std::fabs(tx6[i]);
  }
  BuildGated(kTx3, tx3);
  BuildGated(kTx4, tx4);
  BuildGated(kTx5, tx5);
  BuildGated(kTx6, tx6);
  BuildGated(kTx7, tx7);
  BuildGated(kTx8, tx8);
  mTx2Level0 = {};
}

float* WaveTableSet::NewTable()
{
  mStorage.push_back(std::make_unique<float[]>(2 * N));
  return mStorage.back().get();
}

void WaveTableSet::BuildSine()
{
  std::vector<double> sine(N);
  for (int n = 0; n < N; ++n)
  {
    sine[static_cast<size_t>(n)] = std::sin(2.0 * std::numbers::pi * n / N);
  }
  float* table = NewTable();
  StoreTable(table, sine, 1.0);
  mTables[kSine].fill(table);
}

void WaveTableSet::BuildSeries(int waveform)
{
  std::vector<double> real(N), imag(N);
  double scale = 0.0; // level 0's, shared by every level: peak 0.999 at level 0
  for (int level = 0; level < mNumLevels; ++level)
  {
    const int harmonics = Harmonics(level);
    if (level > 0 && !SeriesChangesBetween(waveform, harmonics, Harmonics(level - 1)))
    {
      mTables[waveform][level] = mTables[waveform][level - 1];
      continue;
    }
    std::fill(real.begin(), real.end(), 0.0);
    std::fill(imag.begin(), imag.end(), 0.0);
    for (int j = 1; j <= harmonics; ++j)
    {
      const double a = SeriesCoefficient(waveform, j);
      real[static_cast<size_t>(j)] += a;
      real[static_cast<size_t>(N - j)] -= a;
    }
    Fft(N, real.data(), imag.data());
    const double peak = Peak(imag);
    if (scale == 0.0)
    {
      scale = 0.999 / peak;
    }
    const double factor = WithinFullScale(scale, peak) * SeriesSign(waveform);
    float* table = NewTable();
    StoreTable(table, imag, factor);
    mTables[waveform][level] = table;
    if (waveform == kTx2 && level == 0)
    {
      mTx2Level0.resize(N);
      std::transform(imag.begin(), imag.end(), mTx2Level0.begin(),
                     [factor](double v) { return v * factor; });
    }
  }
}

void WaveTableSet::BuildGated(int waveform, const std::vector<double>& shape)
{
  std::vector<double> spectrumReal(shape), spectrumImag(N, 0.0);
  Fft(N, spectrumReal.data(), spectrumImag.data());
  double largest = 0.0;
  for (int j = 0; j < N; ++j)
  {
    largest = std::max(largest, std::hypot(spectrumReal[static_cast<size_t>(j)],
                                           spectrumImag[static_cast<size_t>(j)]));
  }

  std::vector<double> real(N), imag(N);
  for (int level = 0; level < mNumLevels; ++level)
  {
    const int harmonics = Harmonics(level);
    if (level > 0)
    {
      bool changes = false;
      for (int j = harmonics + 1; j <= Harmonics(level - 1) && !changes; ++j)
      {
        changes = std::hypot(spectrumReal[static_cast<size_t>(j)],
                             spectrumImag[static_cast<size_t>(j)]) > 1e-12 * largest;
      }
      if (!changes)
      {
        mTables[waveform][level] = mTables[waveform][level - 1];
        continue;
      }
    }
    // Keep bins 0..H and their mirrors N-H..N-1; the inverse transform is the forward one of
    // the conjugate spectrum, conjugated and divided by N (its real part is all we need).
    for (int j = 0; j < N; ++j)
    {
      const size_t i = static_cast<size_t>(j);
      const bool kept = j <= harmonics || j >= N - harmonics;
      real[i] = kept ? spectrumReal[i] : 0.0;
      imag[i] = kept ? -spectrumImag[i] : 0.0;
    }
    Fft(N, real.data(), imag.data());
    float* table = NewTable();
    StoreTable(table, real, WithinFullScale(1.0 / N, Peak(real)));
    mTables[waveform][level] = table;
  }
}

const float* WaveTableSet::Table(int waveform, int level) const
{
  const int w = std::clamp(waveform, 0, kNumWaveforms - 1);
  const int l = std::clamp(level, 0, mNumLevels - 1);
  return mTables[static_cast<size_t>(w)][static_cast<size_t>(l)];
}

int WaveTableSet::LevelForFrequency(float hz) const
{
  int level = 0;
  while (level < mNumLevels - 1 && hz >= TopFrequency(level))
  {
    ++level;
  }
  return level;
}

bool WaveTableSet::Fft(int n, double* real, double* imag)
{
  if (n <= 1)
  {
    return n >= 0;
  }
  if ((n & (n - 1)) != 0)
  {
    return false;
  }
  // Bit-reversal permutation.
  for (int i = 1, j = 0; i < n; ++i)
  {
    int bit = n >> 1;
    for (; (j & bit) != 0; bit >>= 1)
    {
      j ^= bit;
    }
    j ^= bit;
    if (i < j)
    {
      std::swap(real[i], real[j]);
      std::swap(imag[i], imag[j]);
    }
  }
  // Twiddles e^(-2 pi i k / n) for k < n / 2, computed directly for accuracy.
  std::vector<double> twiddleReal(static_cast<size_t>(n / 2)), twiddleImag(twiddleReal.size());
  for (int k = 0; k < n / 2; ++k)
  {
    const double angle = -2.0 * std::numbers::pi * k / n;
    twiddleReal[static_cast<size_t>(k)] = std::cos(angle);
    twiddleImag[static_cast<size_t>(k)] = std::sin(angle);
  }
  for (int length = 2; length <= n; length <<= 1)
  {
    const int half = length / 2;
    const int stride = n / length;
    for (int start = 0; start < n; start += length)
    {
      for (int k = 0; k < half; ++k)
      {
        const double wr = twiddleReal[static_cast<size_t>(k * stride)];
        const double wi = twiddleImag[static_cast<size_t>(k * stride)];
        const int a = start + k;
        const int b = a + half;
        const double tr = real[b] * wr - imag[b] * wi;
        const double ti = real[b] * wi + imag[b] * wr;
        real[b] = real[a] - tr;
        imag[b] = imag[a] - ti;
        real[a] += tr;
        imag[a] += ti;
      }
    }
  }
  return true;
}
