#include "instrument/dsp/GlobalParams.h"

#include <algorithm>
#include <cmath>

void LfoParams::SetWaveform(int waveform)
{
  mWaveform = waveform;
  mTableIndex = waveform;
}

void LfoParams::SetDelay(double ms, double sampleRate)
{
  const double samples = ms * sampleRate * 0.001;
  // A negative, huge or meaningless product must not overflow the conversion.
  mDelaySamples = samples >= 1.0 ? static_cast<int32_t>(std::min(samples, 2147483647.0)) : 0;
}

void LfoParams::Init()
{
  SetWaveform(kSine);
  mRate = 0.0;
  mDelaySamples = 0;
  mSync = true;
  mFreeRunning = false;
}

void OpParams::Init(float sampleRate)
{
  SetWaveform(0);
  mRatio = 1.0f;
  mOffset = 0.0f;
  mVelocityToFrequency = 0.0f;
  mPhaseOffset = 0.0f;
  mPhaseModulation = 0.0f;
  mLevel = 0.0f;
  mVelocitySensitivity = 0.0f;
  mModulationInput = 0.0f;
  mPreviewPhaseIncrement = mPreviewRateFactor.Load();
  mEnvelope.Set(EnvelopeParameter(sampleRate));
}

void OpParams::SetWaveform(int waveform)
{
  mWaveform = waveform;
  mTableWaveform = waveform;
}

void OpParams::UpdatePreviewIncrement()
{
  const int points = std::max<int32_t>(mPreviewPointCount, 1);
  mPreviewPhaseIncrement = (mRatio + mOffset * 0.01f) * kTableSize / static_cast<float>(points);
}

float OpParams::LevelFromParameter(double level)
{
  const float l = static_cast<float>(level * 0.01);
  if (l == 0.0f)
  {
    return 0.0f;
  }
  return std::pow(10.0f, (l * 99.0f - 99.0f) / 1.32f / 20.0f);
}

GlobalParams::GlobalParams()
{
  InitSound();
}

void GlobalParams::InitSound()
{
  for (OpParams& op : mOps)
  {
    op.Init(mSampleRate);
  }
  mOps[kOpA].mLevel = 1.0f;
  mMono = false;
  for (OpOutput& output : mOutputs)
  {
    output.mGain = 0.125f;
  }
  SetAlgorithm(0);
  mFeedbackAmount = 0.0;
  mFmAmount = 0.0;
  mFilterCutoff = 18000.0;
  mFilterVelocitySensitivity = 0.0f;
  mLfo.Init();
  mModEnvelope.Set(EnvelopeParameter(mSampleRate));
}

const AlgorithmRouting& GlobalParams::Routing(int algorithm)
{
  return kAlgorithms[algorithm >= 0 && algorithm < kNumAlgorithms ? algorithm : 0];
}

uint8_t GlobalParams::CarrierMask(int algorithm)
{
  return Routing(algorithm).mCarriers;
}

void GlobalParams::SetAlgorithm(int algorithm)
{
  mAlgorithm = algorithm;
  const AlgorithmRouting& routing = Routing(algorithm);
  for (int source = 0; source < kNumOperators; ++source)
  {
    const float sign = mOutputs[source].mSign;
    for (int destination = 0; destination < kNumOperators; ++destination)
    {
      const bool routed = (routing.mPaths & RoutingPath(source, destination)) != 0;
      mRouting[static_cast<size_t>(4 * source + destination)] =
        routed ? sign * kModulationDepth : 0.0f;
    }
  }
  mRouting[4 * kOpD + kOpD] = mOutputs[kOpD].mSign * kFeedbackDepth;
  for (int op = 0; op < kNumOperators; ++op)
  {
    OpOutput& output = mOutputs[op];
    const bool carrier = (routing.mCarriers & (1u << op)) != 0;
    output.mOutputGain = carrier ? output.mSign * output.mGain : 0.0f;
  }
}

float GlobalParams::Depth(int source, int destination) const
{
  return mRouting[static_cast<size_t>(4 * source + destination)];
}

SharedEnvelope* GlobalParams::GetEnvelope(int which)
{
  if (which >= kEnvelopeOpA && which <= kEnvelopeOpD)
  {
    return &mOps[static_cast<size_t>(which)].mEnvelope;
  }
  return which == kEnvelopeMod ? &mModEnvelope : nullptr;
}

const SharedEnvelope* GlobalParams::GetEnvelope(int which) const
{
  return const_cast<GlobalParams*>(this)->GetEnvelope(which);
}

void GlobalParams::SetEnvelopeParams(int which, const SynthPresetEnvelope& preset)
{
  if (SharedEnvelope* target = GetEnvelope(which))
  {
    target->Set(EnvelopeParameter(preset, mSampleRate));
  }
}

void GlobalParams::CopyToEnvelopes(int source, std::initializer_list<int> targets)
{
  const SharedEnvelope* from = GetEnvelope(source);
  if (from == nullptr || targets.size() == 0)
  {
    return;
  }
  const EnvelopeParameter copy = from->Get();
  for (int which : targets)
  {
    if (SharedEnvelope* to = GetEnvelope(which))
    {
      to->Set(copy);
    }
  }
}

void GlobalParams::SetSampleRate(double sampleRate)
{
  if (!(sampleRate > 0.0) || !std::isfinite(sampleRate))
  {
    return; // a host that never set a rate: keep the last usable one
  }
  const float rate = static_cast<float>(sampleRate);
  mSampleRate = rate;
  for (int which = 0; which < kNumEnvelopes; ++which)
  {
    GetEnvelope(which)->Edit([rate](EnvelopeParameter& envelope) { envelope.SetSampleRate(rate); });
  }
  for (OpParams& op : mOps)
  {
    op.mPreviewRateFactor = OpParams::kTableSize / rate;
  }
}
