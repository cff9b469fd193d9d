#include "instrument/Waveform.h"

#include <algorithm>
#include <cmath>

Waveform::Waveform(GlobalParams* params, int nPoints)
  : mParams(params), mTables(WaveTableSet::Acquire(kTableRate)), mNPoints(nPoints),
    mPoints(static_cast<size_t>(std::max(nPoints, 0)), 0.0)
{
  for (int op = 0; op < kNumOperators; ++op)
  {
    mOscillators[static_cast<size_t>(op)].SetTables(mTables.get(), kTableRate);
    OpParams& opParams = mParams->mOps[static_cast<size_t>(op)];
    opParams.mPreviewPointCount = nPoints;
    opParams.UpdatePreviewIncrement();
  }
  Update();
}

Waveform::~Waveform() = default;

int Waveform::Update()
{
  for (int op = 0; op < kNumOperators; ++op)
  {
    mOscillators[static_cast<size_t>(op)].SetPhase(0.0f);
    mParams->mOps[static_cast<size_t>(op)].mModulationInput = 0.0f;
  }
  if (mNPoints < 1)
    return mNPoints;

  // Per operator, read once: table, phase offset, increment, level and output gain.
  std::array<float, kNumOperators> phaseOffset{};
  std::array<float, kNumOperators> level{};
  std::array<double, kNumOperators> gain{};
  for (int op = 0; op < kNumOperators; ++op)
  {
    const OpParams& opParams = mParams->mOps[static_cast<size_t>(op)];
    WaveTableOsc& osc = mOscillators[static_cast<size_t>(op)];
    osc.SetWaveform(opParams.mTableWaveform);
    osc.SetIncrement(opParams.mPreviewPhaseIncrement, 0);
    phaseOffset[static_cast<size_t>(op)] = opParams.mPhaseOffset;
    level[static_cast<size_t>(op)] = opParams.mLevel;
    gain[static_cast<size_t>(op)] = mParams->mOutputs[static_cast<size_t>(op)].mOutputGain;
  }
  const GlobalParams& m = *mParams;
  const float depthBA = m.Depth(kOpB, kOpA);
  const float depthCA = m.Depth(kOpC, kOpA);
  const float depthDA = m.Depth(kOpD, kOpA);
  const float depthCB = m.Depth(kOpC, kOpB);
  const float depthDB = m.Depth(kOpD, kOpB);
  const float depthDC = m.Depth(kOpD, kOpC);
  const float depthDD = m.Depth(kOpD, kOpD);

  std::array<float, kNumOperators> modulation{}; // each operator's FM input for this point
  std::array<float, kNumOperators> y{};
  double largest = 0.0;
  for (int n = 0; n < mNPoints; ++n)
  {
    for (int op = 0; op < kNumOperators; ++op)
    {
      const size_t k = static_cast<size_t>(op);
      y[k] = mOscillators[k].Tick(modulation[k] + phaseOffset[k]) * level[k];
    }
    const float fm = static_cast<float>(m.mFmAmount.Load());
    const float feedback = static_cast<float>(m.mFeedbackAmount.Load());
    modulation[kOpA] = (y[kOpB] * depthBA + y[kOpC] * depthCA + y[kOpD] * depthDA) * fm;
    modulation[kOpB] = (y[kOpC] * depthCB + y[kOpD] * depthDB) * fm;
    modulation[kOpC] = y[kOpD] * depthDC * fm;
    modulation[kOpD] = y[kOpD] * depthDD * feedback * fm;

    double point = 0.0;
    for (int op = 0; op < kNumOperators; ++op)
      point += static_cast<double>(y[static_cast<size_t>(op)]) * gain[static_cast<size_t>(op)];
    mPoints[static_cast<size_t>(n)] = point;
    largest = std::max(largest, std::fabs(point));
  }
  for (int op = 0; op < kNumOperators; ++op)
    mParams->mOps[static_cast<size_t>(op)].mModulationInput = modulation[static_cast<size_t>(op)];

  if (largest > 0.0)
  {
    for (double& point : mPoints)
      point /= largest;
  }
  return mNPoints;
}
