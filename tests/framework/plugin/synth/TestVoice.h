#pragma once
// A voice for the synth frame's tests: it records what the allocator does to it and renders
// markers instead of sound. Output 0 gets gain x the gate ramp's value (so it is non-zero from the
// exact sample a note starts), output 1 gets the gain on every sample rendered (so it shows which
// sub-blocks the voice rendered).

#include "framework/plugin/synth/SynthVoice.h"

#include <utility>
#include <vector>

namespace synthtest
{

class TestVoice : public plugin::SynthVoice
{
public:
  bool GetBusy() const override { return mBusy; }

  void Trigger(double level, bool isRetrigger) override
  {
    mBusy = mGated = true;
    mReleaseLeft = 0;
    ++mTriggers;
    mLastLevel = level;
    mLastRetrigger = isRetrigger;
  }

  void Release() override
  {
    if (!mGated)
      return;
    mGated = false;
    ++mReleases;
    mReleaseLeft = mReleaseSubBlocks;
    mBusy = mReleaseLeft > 0;
  }

  void ProcessSamplesAccumulating(double**, double** outputs, int, int nOutputs, int startIndex,
                                  int nFrames) override
  {
    if (mLogRenders)
      mRenders.emplace_back(startIndex, nFrames);
    for (int i = 0; i < nFrames && nOutputs > 1; ++i)
    {
      outputs[0][startIndex + i] += mGain * mInputs[kGate].ValueAt(i);
      outputs[1][startIndex + i] += mGain;
    }
    if (!mGated && mReleaseLeft > 0 && --mReleaseLeft == 0)
      mBusy = false;
  }

  double Ramp(int index) const { return mInputs[index].mEndValue; }

  int mReleaseSubBlocks = 0; // how many sub-blocks the voice stays busy after Release
  bool mLogRenders = true;
  bool mBusy = false, mGated = false, mLastRetrigger = false;
  int mReleaseLeft = 0, mTriggers = 0, mReleases = 0;
  double mLastLevel = 0.0;
  std::vector<std::pair<int, int>> mRenders; // start index, frames
};

struct TestVoices
{
  explicit TestVoices(int n) : mVoices(n) {}
  TestVoice& operator[](int i) { return mVoices[i]; }
  // The sum of a field over the voices.
  template <typename T>
  int Count(T TestVoice::*field) const
  {
    int n = 0;
    for (const TestVoice& v : mVoices)
      n += v.*field;
    return n;
  }
  int Gated() const { return Count(&TestVoice::mGated); }
  int Busy() const { return Count(&TestVoice::mBusy); }
  TestVoice* FirstGated()
  {
    for (TestVoice& v : mVoices)
      if (v.mGated)
        return &v;
    return nullptr;
  }
  std::vector<TestVoice> mVoices;
};

} // namespace synthtest
