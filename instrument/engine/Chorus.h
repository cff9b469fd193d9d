#pragma once

// Chorus: one stage of the engine's chorus, a modulated delay line.
//
// A triangle LFO between -1 and +1 sweeps the delay between (centre - depth) and (centre + depth)
// times the base delay (0.1 to 1.09 times 7 ms as the engine sets it up); the fractional part of
// the delay is read through a first-order allpass interpolator, and the result is darkened by a
// one-pole low-pass. The stage returns only its wet signal; the engine mixes it with the dry one.
// Everything is in double precision.
//
// The delay buffer belongs to the stage and is allocated by its constructor only (at engine
// construction and when the sample rate changes), never while rendering.

#include <memory>

class Chorus
{
public:
  static constexpr double kLowpassCoefficient = 0.7512746311209998;
  static constexpr double kDefaultDelayCentre = 0.4;
  static constexpr double kDefaultDelayDepth = 0.3;

  // [main thread] rate in Hz, phase 0..1 (the LFO starts at 2 * phase - 1), base delay in ms.
  // The buffer holds 2 * floor(base delay in samples) samples, at least 4.
  Chorus(double rate, double phase, double delayMs, double sampleRate,
         double delayCentre = kDefaultDelayCentre, double delayDepth = kDefaultDelayDepth);

  // [audio thread] One sample in, one wet sample out.
  double process(double x)
  {
    if (mLfo >= 1.0)
    {
      mDirection = -1.0;
    }
    else if (mLfo <= -1.0)
    {
      mDirection = 1.0;
    }
    mLfo += mDirection * mLfoStep;
    const double delay = (mLfo * mDelayDepth + mDelayCentre) * mBaseDelaySamples;
    const int whole = static_cast<int>(delay);
    int read = mWrite - whole;
    read += read < 0 ? mLength : 0;
    int before = read - 1;
    before += before < 0 ? mLength : 0;
    const double eta = 1.0 - (delay - whole);
    const double y = mBuffer[read] * eta + mBuffer[before] - eta * mAllpass;
    mAllpass = y;
    const double out = (1.0 - kLowpassCoefficient) * y + kLowpassCoefficient * mLowpass;
    mLowpass = out;
    mBuffer[mWrite] = x;
    mWrite = mWrite + 1 < mLength ? mWrite + 1 : 0;
    return out;
  }

  int GetLength() const { return mLength; }
  double GetSampleRate() const { return mSampleRate; }
  double GetBaseDelaySamples() const { return mBaseDelaySamples; }
  double GetLfo() const { return mLfo; }

private:
  std::unique_ptr<double[]> mBuffer;
  int mLength = 0;
  int mWrite = 0;
  double mSampleRate;
  double mBaseDelaySamples;
  double mDelayCentre;
  double mDelayDepth;
  double mLfo;
  double mLfoStep;
  double mDirection = 1.0;
  double mAllpass = 0.0;
  double mLowpass = 0.0;
};
