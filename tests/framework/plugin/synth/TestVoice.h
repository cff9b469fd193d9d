#pragma once
// A voice for the synth frame's tests: it records what the allocator does to it and renders
// markers instead of sound. Output 0 gets gain x the gate ramp's value (so it is non-zero from the
// exact sample a note starts), output 1 gets the gain on every sample rendered (so it shows which
// sub-blocks the voice rendered).

#include "framework/plugin/synth/SynthVoice.h"

#include <vector>

namespace synthtest
{

class TestVoice : public plugin::SynthVoice
{
public:
  struct Render
  {
    int mStart;
    int mFrames;
  };

  bool GetBusy() const override { return mBusy; }

  void Trigger(double level, bool isRetrigger) override
  {
    mBusy = true;
    mGated = true;
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

  void ProcessSamplesAccumulating(double** /*inputs*/, double** outputs, int /*nInputs*/,
                                  int nOutputs, int startIndex, int nFrames) override
  {
    if (mLogRenders)
      mRenders.push_back({startIndex, nFrames});
    for (int i = 0; i < nFrames; ++i)
    {
      if (nOutputs > 0)
        outputs[0][startIndex + i] += mGain * mInputs[kGate].ValueAt(i);
      if (nOutputs > 1)
        outputs[1][startIndex + i] += mGain;
    }
    if (!mGated && mReleaseLeft > 0 && --mReleaseLeft == 0)
      mBusy = false;
  }

  double Ramp(int index) const { return mInputs[index].mEndValue; }

  bool mLogRenders = true;
  // How many sub-blocks the voice stays busy after Release (0: idle at once).
  int mReleaseSubBlocks = 0;

  bool mBusy = false;
  bool mGated = false;
  int mReleaseLeft = 0;
  int mTriggers = 0;
  int mReleases = 0;
  double mLastLevel = 0.0;
  bool mLastRetrigger = false;
  std::vector<Render> mRenders;
};

// A pool of test voices.
struct TestVoices
{
  explicit TestVoices(int n) : mVoices(n) {}
  TestVoice& operator[](int i) { return mVoices[i]; }
  int Gated() const
  {
    int n = 0;
    for (const TestVoice& v : mVoices)
      n += v.mGated;
    return n;
  }
  TestVoice* FirstGated()
  {
    for (TestVoice& v : mVoices)
      if (v.mGated)
        return &v;
    return nullptr;
  }
  int Busy() const
  {
    int n = 0;
    for (const TestVoice& v : mVoices)
      n += v.mBusy;
    return n;
  }
  std::vector<TestVoice> mVoices;
};

} // namespace synthtest
