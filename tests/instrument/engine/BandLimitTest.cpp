// Band limits heard at the engine's output: a note of a band-limited waveform, operator A alone,
// carries nothing below a third of the sample rate but its own harmonics. The tables keep every
// partial of a note below 2/3 of the rate, so whatever folds over the Nyquist frequency lands
// above a third of it; anything else there (a partial folded lower, or the products of an
// operator output clipped at full scale) is a fault.

#include "tests/instrument/engine/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <complex>
#include <numbers>

using namespace enginetest;

namespace
{

constexpr int kWindowLength = 16384;
constexpr int kSettle = 1024;        // past the attack and the gain smoother
constexpr double kKaiserBeta = 15.0; // side lobes near -140 dB, main lobe within +-5 bins
constexpr int kGuardBins = 8;        // bins either side of a harmonic that belong to it
constexpr double kLimitDb = -90.0;

// The zeroth modified Bessel function of the first kind, by its power series.
double BesselI0(double x)
{
  double sum = 1.0, term = 1.0;
  for (int k = 1; k < 200 && term > 1e-17 * sum; ++k)
  {
    term *= (x / (2.0 * k)) * (x / (2.0 * k));
    sum += term;
  }
  return sum;
}

const std::vector<double>& KaiserWindow()
{
  static const std::vector<double> window = []
  {
    std::vector<double> w(kWindowLength);
    for (int i = 0; i < kWindowLength; ++i)
    {
      const double t = 2.0 * i / (kWindowLength - 1) - 1.0;
      w[static_cast<size_t>(i)] =
        BesselI0(kKaiserBeta * std::sqrt(1.0 - t * t)) / BesselI0(kKaiserBeta);
    }
    return w;
  }();
  return window;
}

// Amplitudes of bins 0..kWindowLength/2 of x[from, from + kWindowLength) under the Kaiser
// window, by an iterative radix-2 transform of the test's own.
std::vector<double> Spectrum(const std::vector<double>& x, size_t from)
{
  const int n = kWindowLength;
  const std::vector<double>& window = KaiserWindow();
  std::vector<std::complex<double>> bins(static_cast<size_t>(n));
  for (size_t i = 0; i < bins.size(); ++i)
  {
    bins[i] = x[from + i] * window[i];
  }
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
      std::swap(bins[static_cast<size_t>(i)], bins[static_cast<size_t>(j)]);
    }
  }
  for (int length = 2; length <= n; length <<= 1)
  {
    const std::complex<double> step = std::polar(1.0, -2.0 * std::numbers::pi / length);
    for (int start = 0; start < n; start += length)
    {
      std::complex<double> w = 1.0;
      for (int k = 0; k < length / 2; ++k, w *= step)
      {
        std::complex<double>& a = bins[static_cast<size_t>(start + k)];
        std::complex<double>& b = bins[static_cast<size_t>(start + k + length / 2)];
        const std::complex<double> t = w * b;
        b = a - t;
        a += t;
      }
    }
  }
  std::vector<double> amplitude(static_cast<size_t>(n / 2 + 1));
  for (size_t i = 0; i < amplitude.size(); ++i)
  {
    amplitude[i] = std::abs(bins[i]);
  }
  return amplitude;
}

struct Stray
{
  double mDb = -400.0; // relative to the note's strongest component
  double mHz = 0.0;
};

// The loudest component below a third of the rate farther than kGuardBins from every harmonic
// of key's equal-tempered frequency.
Stray LoudestStray(const std::vector<double>& amplitude, double rate, int key)
{
  const double binHz = rate / kWindowLength;
  const double fundamentalBins = 440.0 * std::exp2((key - 69) / 12.0) / binHz;
  const double strongest = *std::max_element(amplitude.begin(), amplitude.end());
  Stray stray;
  for (size_t bin = 0; static_cast<double>(bin) * binHz < rate / 3.0; ++bin)
  {
    const double harmonic = std::round(static_cast<double>(bin) / fundamentalBins);
    if (std::fabs(static_cast<double>(bin) - harmonic * fundamentalBins) <= kGuardBins)
    {
      continue;
    }
    const double db = 20.0 * std::log10(std::max(amplitude[bin], 1e-30) / strongest);
    if (db > stray.mDb)
    {
      stray = {db, static_cast<double>(bin) * binHz};
    }
  }
  return stray;
}

// Operator A alone (the default sound) at full level, playing waveform: 0 -> 1 in 100 samples,
// then held, so that the window sees a steady note.
void HoldOperatorA(TestEngine& engine, int waveform)
{
  engine.dsp.SetParam(OpParamIndex(kOpA, kOpWaveform), waveform);
  engine.params.mOps[kOpA].mEnvelope.Edit(
    [](EnvelopeParameter& envelope)
    {
      envelope.InitStages(2);
      envelope.Stage(0).Set(0.0f, 1.0f, 100);
      envelope.Stage(1).Set(1.0f, 0.0f, 200);
      envelope.mSustain = true;
      envelope.mReleaseStage = 1;
    });
}

} // namespace

TEST(BandLimit, RenderedNotesCarryOnlyTheirHarmonicsBelowAThirdOfTheRate)
{
  // The top notes read the levels with the fewest harmonics (where a square is a sine carrying
  // the square's whole fundamental); the low ones read the richest levels.
  std::vector<int> keys = {24, 45, 69, 88};
  for (int key = 100; key <= 119; ++key)
  {
    keys.push_back(key);
  }
  for (double rate : {44100.0, 48000.0, 96000.0})
  {
    const auto keep = WaveTableSet::Acquire(rate); // built once for all the notes at this rate
    for (int waveform :
         {WaveTableSet::kSaw, WaveTableSet::kSquare, WaveTableSet::kTriangle, WaveTableSet::kTx2})
    {
      for (int key : keys)
      {
        TestEngine engine(rate);
        HoldOperatorA(engine, waveform);
        engine.NoteOn(key);
        const std::vector<double> x = engine.Render(kSettle + kWindowLength);
        const Stray stray = LoudestStray(Spectrum(x, kSettle), rate, key);
        EXPECT_LT(stray.mDb, kLimitDb)
          << "rate " << rate << " waveform " << waveform << " key " << key << ": " << stray.mHz
          << " Hz at " << stray.mDb << " dB";
      }
    }
  }
}
