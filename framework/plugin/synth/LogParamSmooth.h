#pragma once
// LogParamSmooth: a bank of one-pole low-pass filters that smooth parameter values per sample,
// so that a level or gain change never clicks.
//
//   y[n] = target * b + y[n - 1] * a,   a = exp(-2 pi / (time * rate)), b = 1 - a
//
// The coefficients are fixed when the smoother is made (5 ms at 48 kHz unless told otherwise):
// a step reaches 1 - a^n of its size after n samples at every sample rate. A result that is zero
// or subnormal becomes exactly 0, so a channel that falls silent never runs on denormals, and a
// result within a relative 1e-12 of the target (-240 dB) becomes the target, so a settled channel
// holds it exactly and costs no more than a copy.

#include <atomic>
#include <cmath>
#include <numbers>

namespace plugin
{

template <typename T, int NC>
class LogParamSmooth
{
public:
  static constexpr int kNumChannels = NC;

  // [main thread]
  explicit LogParamSmooth(double timeMs = 5.0, double sampleRate = 48000.0)
  {
    const double samples = timeMs * 0.001 * sampleRate;
    mA = static_cast<T>(std::exp(-2.0 * std::numbers::pi / samples));
    mB = static_cast<T>(1.0 - static_cast<double>(mA));
  }

  // [any thread] The value channel c moves towards (a relaxed atomic: no torn values).
  void SetTarget(int c, T target) { mTargets[c].store(target, std::memory_order_relaxed); }
  T GetTarget(int c) const { return mTargets[c].load(std::memory_order_relaxed); }
  T GetOutput(int c) const { return mOutputs[c]; }
  T GetA() const { return mA; }
  T GetB() const { return mB; }

  // [main thread, not while processing] Jumps every channel to its target.
  void Settle()
  {
    for (int c = 0; c < NC; ++c)
      mOutputs[c] = GetTarget(c);
  }

  // [audio thread] Writes nFrames smoothed samples of every channel c into outputs[c]. A channel
  // whose next value equals its last (settled) is filled without the recursion: the same values
  // the recursion would give. Returns a bit per channel whose samples were all equal.
  unsigned ProcessBlock(T** outputs, int nFrames)
  {
    unsigned constant = 0;
    for (int c = 0; c < NC; ++c)
    {
      const T target = GetTarget(c);
      T y = mOutputs[c];
      T* out = outputs[c];
      for (int s = 0; s < nFrames; ++s)
      {
        const T next = Next(target, y);
        if (next == y)
        {
          constant |= s == 0 ? 1u << c : 0u;
          for (; s < nFrames; ++s)
            out[s] = y;
          break;
        }
        y = next;
        out[s] = y;
      }
      mOutputs[c] = y;
    }
    return constant;
  }

private:
  static constexpr T kSnap = T(1e-12);

  T Next(T target, T y) const
  {
    const T next = target * mB + y * mA;
    if (std::fabs(next - target) <= kSnap * std::fabs(target))
      return target;
    return std::fpclassify(next) == FP_SUBNORMAL ? T(0) : next;
  }

  T mA;
  T mB;
  T mOutputs[NC] = {};
  std::atomic<T> mTargets[NC] = {}; // written by the parameter thread
};

} // namespace plugin
