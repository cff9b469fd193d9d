#pragma once
// The host transport for one block, refreshed at the start of every processing call. Positions
// are in quarter notes; -1 means "not given".

#include <cstdint>

namespace plugin
{

struct ITransportInfo
{
  double mTempo = 120.0; // beats per minute
  double mSamplePos = -1.0;
  double mPPQPos = -1.0;
  double mLastBar = -1.0;
  double mCycleStart = -1.0;
  double mCycleEnd = -1.0;
  int32_t mNumerator = 4;
  int32_t mDenominator = 4;
  bool mTransportIsRunning = false;
  bool mTransportLoopEnabled = false;
};

} // namespace plugin
