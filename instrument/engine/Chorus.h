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
    Run run = Load();
    const double out = Step(run, x);
    Save(run);
    return out;
  }

  // [audio thread] Adds the wet signal of n samples of in to wet: of stage a, of stage b, or of
  // both (a's first) when neither is null.
  static void AddWet(Chorus* a, Chorus* b, const double* in, double* wet, int n);

  int GetLength() const { return mLength; }
  double GetSampleRate() const { return mSampleRate; }
  double GetBaseDelaySamples() const { return mBaseDelaySamples; }
  double GetLfo() const { return mLfo; }

private:
  // The state one sample changes, kept in locals (registers) while a block renders.
  struct Run
  {
    double* mBuffer;
    int mLength;
    int mWrite;
    double mBaseDelaySamples;
    double mDelayCentre;
    double mDelayDepth;
    double mLfo;
    double mLfoStep;
    double mDirection;
    double mAllpass;
    double mLowpass;
  };

  Run Load() const
  {
    return {mBuffer.get(), mLength,  mWrite,     mBaseDelaySamples, mDelayCentre, mDelayDepth,
            mLfo,          mLfoStep, mDirection, mAllpass,          mLowpass};
  }
  void Save(const Run& run)
  {
    mWrite = run.mWrite;
    mLfo = run.mLfo;
    mDirection = run.mDirection;
    mAllpass = run.mAllpass;
    mLowpass = run.mLowpass;
  }

  static double Step(Run& r, double x)
  {
    // A triangle between -1 and +1: the direction turns at either end.
    if (r.mLfo >= 1.0)
    {
      r.mDirection = -1.0;
    }
    else if (r.mLfo <= -1.0)
    {
      r.mDirection = 1.0;
    }
    r.mLfo += r.mDirection * r.mLfoStep;
    const double delay = (r.mLfo * r.mDelayDepth + r.mDelayCentre) * r.mBaseDelaySamples;
    const int whole = static_cast<int>(delay);
    int read = r.mWrite - whole;
    read += read < 0 ? r.mLength : 0;
    int before = read - 1;
    before += before < 0 ? r.mLength : 0;
    // First-order allpass interpolation of the fractional delay, then a one-pole low-pass.
    const double eta = 1.0 - (delay - whole);
    const double y = r.mBuffer[read] * eta + r.mBuffer[before] - eta * r.mAllpass;
    r.mAllpass = y;
    const double out = (1.0 - kLowpassCoefficient) * y + kLowpassCoefficient * r.mLowpass;
    r.mLowpass = out;
    r.mBuffer[r.mWrite] = x;
    r.mWrite = r.mWrite + 1 < r.mLength ? r.mWrite + 1 : 0;
    return out;
  }

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
