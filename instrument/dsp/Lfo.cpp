#include "instrument/dsp/Lfo.h"

#include "instrument/dsp/XorShift.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>

namespace
{

// Cycles per quarter note, by division. The dotted values are these single-precision numbers
// (0.66665, not two thirds), as the instrument has always used them.
constexpr float kQuarterNoteScalars[Lfo::kNumDivisions] = {
  0.03125f,  0.0625f, 0.125f, 0.25f,    0.5f, 0.66665f, 1.0f, 1.5f,
  1.333325f, 2.0f,    3.0f,   2.66665f, 4.0f, 6.0f,     8.0f, 16.0f};

uint32_t MixSeed(uint64_t x)
{
  // splitmix64's finaliser: spreads clock and counter bits over the whole word.
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  x ^= x >> 31;
  const uint32_t seed = static_cast<uint32_t>(x ^ (x >> 32));
  return seed != 0 ? seed : 0x6D2B79F5u; // xorshift must not start at 0
}

// Reads a table with a guard sample at a phase in [0, size) and advances the phase by an
// increment below size.
float ReadAdvance(const float* table, float& phase, float increment, float size)
{
  const int i = static_cast<int>(phase);
  const float y = table[i] + (table[i + 1] - table[i]) * (phase - static_cast<float>(i));
  const float next = phase + increment;
  phase = next >= size ? next - size : next;
  return y;
}

// An increment in table units brought into [0, size): higher rates alias to the same samples.
float WrapIncrement(double increment, double size)
{
  if (!(increment > 0.0) || !std::isfinite(increment))
  {
    return 0.0f;
  }
  const float wrapped = static_cast<float>(std::fmod(increment, size));
  return wrapped < static_cast<float>(size) ? wrapped : 0.0f;
}

} // namespace

float Lfo::GetQNScalar(int division)
{
  return kQuarterNoteScalars[std::clamp(division, 0, kNumDivisions - 1)];
}

double Lfo::SyncedRate(int division, double tempo)
{
  return static_cast<double>(GetQNScalar(division)) * tempo / 60.0;
}

Lfo::Lfo(const LfoParams& params, double sampleRate) : mParams(params)
{
  static std::atomic<uint64_t> instances{0};
  const uint64_t now =
    static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  mRandom = MixSeed(now ^ (instances.fetch_add(1, std::memory_order_relaxed) << 40));
  mSimple.mHeld = RandomBipolar();
  for (int shape = 0; shape < SimpleOsc::kNumTables; ++shape)
  {
    mShapes[shape] = SimpleOsc::Table(shape);
  }
  mPerlinSamples = PerlinOsc::Samples();
  mSampleRate = kDefaultSampleRate;
  SetSampleRate(sampleRate);
  ApplyRate(mParams.mRate);
}

void Lfo::SetSampleRate(double sampleRate)
{
  if (sampleRate > 0.0 && std::isfinite(sampleRate))
  {
    mSampleRate = sampleRate;
    ApplyRate(mParams.mRate);
  }
}

void Lfo::UpdateRate()
{
  ApplyRate(mParams.mRate);
}

void Lfo::ApplyRate(double rate)
{
  mAppliedRate = rate;
  const double r = rate > 0.0 && std::isfinite(rate) ? rate : 0.0;
  mSimple.mIncrement =
    WrapIncrement(r * SimpleOsc::kTableSize / mSampleRate, SimpleOsc::kTableSize);
  const double period = r > 0.0 ? mSampleRate / r : static_cast<double>(kMaxHoldPeriod);
  mSimple.mPeriod =
    period >= kMaxHoldPeriod ? kMaxHoldPeriod : std::max(1, static_cast<int32_t>(period));
  // The noise advances 1024 table units per hertz per second, like the table shapes, at this
  // LFO's own rate.
  mPerlin.mRate = static_cast<float>(r);
  mPerlin.mIncrement =
    WrapIncrement(r * SimpleOsc::kTableSize / mSampleRate, PerlinOsc::kTableSize);
}

void Lfo::NoteStart()
{
  if (mParams.mFreeRunning)
  {
    return;
  }
  mSimple.mPhase = 0.0f;
  mSimple.mCounter = 0;
  mPerlin.mPhase = 0.0f;
  mDelayCounter = 0;
}

float Lfo::Step(int waveform)
{
  switch (waveform)
  {
  case LfoParams::kPerlin:
    return ReadAdvance(mPerlinSamples, mPerlin.mPhase, mPerlin.mIncrement, PerlinOsc::kTableSize);
  case LfoParams::kSampleAndHold:
    if (mSimple.mCounter >= mSimple.mPeriod)
    {
      mSimple.mCounter = 0;
      mSimple.mHeld = RandomBipolar();
    }
    ++mSimple.mCounter;
    return mSimple.mHeld;
  default:
    return ReadAdvance(mShapes[waveform], mSimple.mPhase, mSimple.mIncrement,
                       SimpleOsc::kTableSize);
  }
}

float Lfo::GetOutput()
{
  const double rate = mParams.mRate;
  if (rate != mAppliedRate)
  {
    ApplyRate(rate);
  }
  if (!mParams.mFreeRunning && mDelayCounter < mParams.mDelaySamples)
  {
    ++mDelayCounter;
    return 0.0f;
  }
  return Step(std::clamp<int>(mParams.mWaveform, 0, LfoParams::kNumWaveforms - 1));
}

void Lfo::Process(float* out, int n)
{
  const double rate = mParams.mRate;
  if (rate != mAppliedRate)
  {
    ApplyRate(rate);
  }
  int i = 0;
  if (!mParams.mFreeRunning)
  {
    const int32_t delay = mParams.mDelaySamples;
    for (; i < n && mDelayCounter < delay; ++i)
    {
      ++mDelayCounter;
      out[i] = 0.0f;
    }
  }
  // The shape is decided once per block; each loop keeps its phase in a register.
  const int waveform = std::clamp<int>(mParams.mWaveform, 0, LfoParams::kNumWaveforms - 1);
  if (waveform == LfoParams::kSampleAndHold)
  {
    for (; i < n; ++i)
    {
      out[i] = Step(waveform);
    }
    return;
  }
  const bool perlin = waveform == LfoParams::kPerlin;
  const float* table = perlin ? mPerlinSamples : mShapes[waveform];
  float& phaseRef = perlin ? mPerlin.mPhase : mSimple.mPhase;
  const float increment = perlin ? mPerlin.mIncrement : mSimple.mIncrement;
  const float size = perlin ? PerlinOsc::kTableSize : SimpleOsc::kTableSize;
  float phase = phaseRef;
  for (; i < n; ++i)
  {
    out[i] = ReadAdvance(table, phase, increment, size);
  }
  phaseRef = phase;
}

float Lfo::RandomBipolar()
{
  return XorShiftBipolar(mRandom);
}
