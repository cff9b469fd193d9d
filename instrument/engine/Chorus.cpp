#include "instrument/engine/Chorus.h"

#include <algorithm>
#include <cmath>

Chorus::Chorus(double rate, double phase, double delayMs, double sampleRate, double delayCentre,
               double delayDepth)
  : mSampleRate(sampleRate), mBaseDelaySamples(delayMs * sampleRate * 0.001),
    mDelayCentre(std::max(delayCentre, 0.0)),
    mDelayDepth(std::clamp(delayDepth, 0.0, std::max(delayCentre, 0.0))), mLfo(2.0 * phase - 1.0),
    mLfoStep(rate * 4.0 / sampleRate)
{
  // Twice the base delay; longer should centre + depth (1.09 in the engine) ever reach 2, so that
  // the longest delay, one LFO step beyond the peak, always stays inside the buffer.
  const double longest = (mDelayCentre + mDelayDepth * (1.0 + mLfoStep)) * mBaseDelaySamples;
  mLength = std::max({2 * static_cast<int>(std::floor(mBaseDelaySamples)),
                      static_cast<int>(std::ceil(longest)) + 2, 4});
  mBuffer = std::make_unique<double[]>(static_cast<size_t>(mLength));
}

void Chorus::AddWet(Chorus* a, Chorus* b, const double* in, double* wet, int n)
{
  if (a != nullptr && b != nullptr)
  {
    // Both stages in one loop: their two feedback chains overlap.
    Run first = a->Load();
    Run second = b->Load();
    for (int s = 0; s < n; ++s)
    {
      const double w = Step(first, in[s]);
      wet[s] += w + Step(second, in[s]);
    }
    a->Save(first);
    b->Save(second);
    return;
  }
  Chorus* only = a != nullptr ? a : b;
  if (only == nullptr)
  {
    return;
  }
  Run run = only->Load();
  for (int s = 0; s < n; ++s)
  {
    wet[s] += Step(run, in[s]);
  }
  only->Save(run);
}
