#include "instrument/engine/PelmoraVoice.h"

#include "instrument/dsp/XorShift.h"

#include <algorithm>
#include <cmath>
#include <numbers>

float VoiceContext::RandomBipolar()
{
  return XorShiftBipolar(mRandom);
}

PelmoraVoice::PelmoraVoice(VoiceContext& context, int index)
  : mContext(context), mIndex(index), mMatrix(context.mParams, context.mSampleRate)
{
  static constexpr const char* kNames[kNumOperators] = {"Op EG 0", "Op EG 1", "Op EG 2", "Op EG 3"};
  for (size_t op = 0; op < kNumOperators; ++op)
  {
    mEnvelopes[op].SetName(kNames[op]);
  }
  SetSampleRateAndBlockSize(context.mSampleRate, kSubBlockSize);
}

void PelmoraVoice::SetSampleRateAndBlockSize(double sampleRate, int /*blockSize*/)
{
  mSampleRate = static_cast<float>(sampleRate);
  mTableSizeDivSampleRate = static_cast<float>(WaveTableOsc::kTableSize / sampleRate);
  const float a = kSaturation * static_cast<float>(std::sqrt(44000.0 / sampleRate));
  mFrame.mSaturation = a;
  mFrame.mInvSaturation = 1.0f / a;
  mMatrix.GetLfo().SetSampleRate(sampleRate);
  mMatrix.Update();
  // Tables and rates may have changed: every cached value is computed anew.
  mCache = {};
  mCachedCutoff = -1.0;
  mCachedType = -1;
}

bool PelmoraVoice::GetBusy() const
{
  const uint32_t carriers = static_cast<uint32_t>(mContext.mSettings.mRouting.mCarriers) | 1u;
  for (int op = 0; op < kNumOperators; ++op)
  {
    if (((carriers >> op) & 1u) && !mEnvelopes[static_cast<size_t>(op)].IsIdle())
    {
      return true;
    }
  }
  return false;
}

void PelmoraVoice::Trigger(double level, bool isRetrigger)
{
  const int key = std::min<int>(mKey, 127);
  const float target = static_cast<float>(key - 69) / 12.0f;
  mGlideLength = std::max<int32_t>(mContext.mGlideSamples, 0);
  mGlideElapsed = 0;
  if (isRetrigger)
  {
    // A legato key change: from wherever the pitch is now, everything else running on.
    mGlideStart = mGlidePitch;
    mGlideTarget = target;
    mContext.mLastKey = key;
    return;
  }
  // The first note after loading or a reset starts on its own pitch.
  const int previous = mContext.mLastKey;
  mContext.mLastKey = key;
  mGlideStart = previous >= 0 ? static_cast<float>(previous - 69) / 12.0f : target;
  mGlideTarget = target;
  mGlidePitch = mGlideLength > 0 ? mGlideStart : target;
  StartNote(static_cast<float>(std::clamp(level, 0.0, 1.0)));
}

void PelmoraVoice::StartNote(float velocity)
{
  GlobalParams& params = mContext.mParams;
  const int key = std::min<int>(mKey, 127);
  for (int op = 0; op < kNumOperators; ++op)
  {
    const size_t k = static_cast<size_t>(op);
    const OpParams& settings = params.mOps[k];
    const float sense = std::clamp(settings.mVelocitySensitivity.Load(), 0.0f, 1.0f);
    const float gain = std::pow(sense * velocity + 1.0f - sense, 0.8f);
    const float shifted = velocity * settings.mVelocityToFrequency + static_cast<float>(key);
    const int note = std::clamp(static_cast<int>(std::clamp(shifted, -1.0f, 128.0f)), 0, 127);
    mShift[k] = note - key;
    mEnvelopes[k].Start(settings.mEnvelope, gain, 1.0f);
  }
  mMatrix.GetModEnvelope().Start(params.mModEnvelope, 1.0f, 1.0f);
  mPending = {};
  mDrift = mContext.RandomBipolar() * params.mPitchDrift;
  const double filterSense =
    std::clamp(static_cast<double>(params.mFilterVelocitySensitivity.Load()) * 0.01, 0.0, 1.0);
  mCutoffScale = std::exp2(-kVelocityCutoffOctaves * filterSense * (1.0 - velocity));
  mState = VoiceState{};
  mMatrix.GetLfo().NoteStart();
}

void PelmoraVoice::Defer(int which, int n)
{
  int32_t& pending = mPending[static_cast<size_t>(which)];
  pending += n;
  if (pending >= kMaxPending)
  {
    CatchUp(which);
  }
}

void PelmoraVoice::CatchUp(int which)
{
  int32_t& pending = mPending[static_cast<size_t>(which)];
  if (pending > 0)
  {
    Envelope(which).Advance(pending);
    pending = 0;
  }
}

void PelmoraVoice::CatchUpEnvelopes()
{
  for (int which = 0; which < kNumEnvelopes; ++which)
  {
    CatchUp(which);
  }
}

void PelmoraVoice::Release()
{
  for (int which = 0; which < kNumEnvelopes; ++which)
  {
    CatchUp(which);
    Envelope(which).Release();
  }
}

void PelmoraVoice::AdvanceGlide(int n)
{
  if (mGlideElapsed >= mGlideLength)
  {
    mGlidePitch = mGlideTarget;
    return;
  }
  // The pitch at the end of the sub-block, never beyond the target.
  mGlideElapsed = std::min(mGlideElapsed + n, mGlideLength);
  const float t = static_cast<float>(mGlideElapsed) / static_cast<float>(mGlideLength);
  mGlidePitch =
    mGlideElapsed >= mGlideLength ? mGlideTarget : mGlideStart + (mGlideTarget - mGlideStart) * t;
}

void PelmoraVoice::Modulate(int n)
{
  // The modulation envelope and the LFO advance exactly one step per sample; their values at the
  // first sample of the sub-block drive the targets for the whole sub-block. An LFO that no slot
  // routes is not run at all (its phase does not matter until a slot uses it).
  float envelope = 0.0f;
  if (mMatrix.Routes(ModMatrix<float>::kSourceModEnvelope))
  {
    CatchUp(kNumOperators);
    mMatrix.GetModEnvelope().Process(mScratch.data(), n);
    envelope = mScratch[0];
  }
  else
  {
    Defer(kNumOperators, n);
  }
  float lfo = 0.0f;
  if (mMatrix.Routes(ModMatrix<float>::kSourceLfo))
  {
    mMatrix.GetLfo().Process(mScratch.data(), n);
    lfo = mScratch[0];
  }
  const SubBlockSettings& settings = mContext.mSettings;
  mMatrix.SetSourceValues(envelope, lfo, settings.mModWheel, settings.mAftertouch);
  mMatrix.ProcessTargets();
}

void PelmoraVoice::PrepareOperators()
{
  const SubBlockSettings& settings = mContext.mSettings;
  const float bend = static_cast<float>(mInputs[kPitchBend].mEndValue);
  const float common = mDrift + bend + mMatrix.GetTarget(ModMatrix<float>::kTargetGlobalPitch);
  const WaveTableSet* tables = mContext.mTables;
  for (int op = 0; op < kNumOperators; ++op)
  {
    const size_t k = static_cast<size_t>(op);
    const SubBlockSettings::Operator& settingsOp = settings.mOps[k];
    const float semitones = static_cast<float>(mShift[k]) + common +
                            mMatrix.GetTarget(ModMatrix<float>::kTargetOpAPitch + op);
    const float logPitch = mGlidePitch + semitones * (1.0f / 12.0f);
    OperatorCache& cache = mCache[k];
    if (logPitch != cache.mLogPitch || settingsOp.mRatio != cache.mRatio ||
        settingsOp.mOffset != cache.mOffset || settingsOp.mWaveform != cache.mWaveform ||
        tables != cache.mTables)
    {
      cache.mLogPitch = logPitch;
      cache.mRatio = settingsOp.mRatio;
      cache.mOffset = settingsOp.mOffset;
      cache.mWaveform = settingsOp.mWaveform;
      cache.mTables = tables;
      cache.mHz = settingsOp.mRatio * (440.0f * std::exp2(logPitch)) + settingsOp.mOffset;
      mFrame.mIncrement[k] = WaveTableOsc::WrapIncrement(cache.mHz * mTableSizeDivSampleRate);
      cache.mLevel = tables != nullptr ? tables->LevelForFrequency(cache.mHz) : 0;
      mFrame.mTable[k] = tables != nullptr ? tables->Table(settingsOp.mWaveform, cache.mLevel)
                                           : WaveTableOsc::SilentTable();
    }
    const float phaseTarget = mMatrix.GetPhaseTarget(op);
    mFrame.mPhaseOffset[k] =
      phaseTarget == 0.0f
        ? settingsOp.mPhaseOffset
        : fastmath::WrapPhase(settingsOp.mPhaseOffset + phaseTarget, WaveTableOsc::kTableSizeF);
    mFrame.mLevelOffset[k] = mMatrix.GetTarget(ModMatrix<float>::kTargetOpALevel + op);
    mFrame.mOutputWeight[k] = settings.mRouting.mOutputGain[k] * static_cast<float>(mGain);
  }
}

void PelmoraVoice::PrepareRouting()
{
  const SubBlockSettings& settings = mContext.mSettings;
  const std::array<float, 16>& depth = settings.mRouting.mDepth;
  const float fm = mMatrix.GetTarget(ModMatrix<float>::kTargetFmAmount) + settings.mFmAmount;
  mFrame.mWBA = depth[kPathBA] * fm;
  mFrame.mWCA = depth[kPathCA] * fm;
  mFrame.mWDA = depth[kPathDA] * fm;
  mFrame.mWCB = depth[kPathCB] * fm;
  mFrame.mWDB = depth[kPathDB] * fm;
  mFrame.mWDC = depth[kPathDC] * fm;
  // The "Op D Feedback" modulation moves the feedback amount itself.
  const float feedback =
    settings.mFeedbackAmount + mMatrix.GetTarget(ModMatrix<float>::kTargetFeedback);
  mFrame.mWDD = depth[kPathDD] * feedback * fm;
}

void PelmoraVoice::PrepareFilter()
{
  const SubBlockSettings& settings = mContext.mSettings;
  const double modulated =
    settings.mCutoff * mCutoffScale +
    static_cast<double>(mMatrix.GetTarget(ModMatrix<float>::kTargetCutoff)) * kCutoffModulationHz;
  const double cutoff = std::clamp(modulated, kMinCutoff, settings.mMaxCutoff);
  const float r = std::clamp(
    mMatrix.GetTarget(ModMatrix<float>::kTargetResonance) + settings.mResonance, 0.0f, 1.0f);
  if (cutoff == mCachedCutoff && r == mCachedResonance && settings.mFilterType == mCachedType)
  {
    return; // the frame holds these coefficients already
  }
  if (cutoff != mCachedCutoff)
  {
    mCachedCutoff = cutoff;
    mG = static_cast<float>(std::tan(std::numbers::pi * cutoff / mSampleRate));
  }
  mCachedResonance = r;
  mCachedType = settings.mFilterType;
  const float g = mG;
  const FilterMode& mode = kFilterModes[settings.mFilterType];
  if (!mode.mLadder)
  {
    mFrame.mSvfG = g;
    mFrame.mOneMinusR = 1.0f - r;
    const bool lowAndHigh = !mode.mBandPass;
    const bool lowAndBand = mode.mBandPass && mode.mW < 0.5f;
    mFrame.mWeightLow = lowAndHigh ? mode.mC[1] : (lowAndBand ? 2.0f * mode.mC[2] : 0.0f);
    mFrame.mWeightBand = lowAndHigh ? 0.0f : (lowAndBand ? 2.0f * mode.mW : 2.0f * mode.mC[1]);
    mFrame.mWeightHigh = lowAndHigh ? mode.mW : (lowAndBand ? 0.0f : 2.0f * mode.mC[3]);
    return;
  }
  const float onePlusG = 1.0f + g;
  const float G = g / onePlusG;
  const float G2 = G * G;
  const float k = kMaxResonanceFeedback * r;
  const float inputScale = 1.0f / (1.0f + k * (G2 * G2));
  const float feedback = k / onePlusG * inputScale;
  mFrame.mG = G;
  mFrame.mSigma = {feedback * (G2 * G), feedback * G2, feedback * G, feedback};
  mFrame.mInputScale = inputScale;
  // Output taps y1..y4: "tap t" reads stage 4 - t times c0, blended with the stage before it.
  const float makeUp = 1.0f + kMakeUpPerFeedback * k;
  std::array<float, 4> taps{};
  switch (mode.mTap)
  {
  case 0:
    taps = {0.0f, 0.0f, mode.mBlend, mode.mC[0]};
    break;
  case 1:
    taps = {0.0f, mode.mBlend, mode.mC[0], 0.0f};
    break;
  case 2:
    taps = {mode.mBlend, mode.mC[0], 0.0f, 0.0f};
    break;
  default:
    taps = {1.0f, 0.0f, 0.0f, 0.0f};
    break;
  }
  for (size_t i = 0; i < 4; ++i)
  {
    mFrame.mTap[i] = taps[i] * makeUp;
  }
}

void PelmoraVoice::PrepareAmplitudes(int n)
{
  mActiveOperators = 0;
  const uint32_t carriers = static_cast<uint32_t>(mContext.mSettings.mRouting.mCarriers) | 1u;
  for (int op = 0; op < kNumOperators; ++op)
  {
    const size_t k = static_cast<size_t>(op);
    const float offset = mFrame.mLevelOffset[k];
    if (mContext.mLevelSilent[k] && offset == 0.0f)
    {
      // Every amplitude is exactly 0: the operator is silent this sub-block. A carrier's
      // envelope keeps time (it decides whether the voice is busy).
      if ((carriers >> op) & 1u)
      {
        CatchUp(op);
        mEnvelopes[k].Advance(n);
      }
      else
      {
        Defer(op, n);
      }
      continue;
    }
    CatchUp(op);
    float* amplitude = mAmplitude[k].data();
    mEnvelopes[k].Process(amplitude, n);
    const float* level = mContext.mLevels[k].data();
    uint32_t nonzero = 0;
    for (int s = 0; s < n; ++s)
    {
      const float a = amplitude[s] * level[s] + offset;
      amplitude[s] = a;
      nonzero |= a != 0.0f ? 1u : 0u;
    }
    mActiveOperators |= nonzero << op;
  }
}

void PelmoraVoice::RenderPlain(double** outputs, int nOutputs, int start, int n)
{
  const bool ladder = kFilterModes[mContext.mSettings.mFilterType].mLadder;
  for (int op = 0; op < kNumOperators; ++op)
  {
    CatchUp(op);
  }
  for (int s = 0; s < n; ++s)
  {
    float amplitude[kNumOperators];
    for (int op = 0; op < kNumOperators; ++op)
    {
      const size_t k = static_cast<size_t>(op);
      amplitude[k] = mEnvelopes[k].FastProcess() * mContext.mLevels[k][static_cast<size_t>(s)] +
                     mFrame.mLevelOffset[k];
    }
    const float x = voicekernel::Operators(mFrame, mState, amplitude);
    const float y = ladder ? voicekernel::Ladder(mFrame, mState.mFilter, x)
                           : voicekernel::StateVariable(mFrame, mState.mFilter, x);
    for (int c = 0; c < std::min(nOutputs, 2); ++c)
    {
      outputs[c][start + s] += y;
    }
  }
}

void PelmoraVoice::ProcessSamplesAccumulating(double** /*inputs*/, double** outputs,
                                              int /*nInputs*/, int nOutputs, int startIndex,
                                              int nFrames)
{
  const int n = std::clamp(nFrames, 0, kSubBlockSize);
  if (n == 0)
  {
    return;
  }
  AdvanceGlide(n);
  Modulate(n);
  PrepareOperators();
  PrepareRouting();
  PrepareFilter();
  if (mContext.mPath == ERenderPath::kReference)
  {
    RenderPlain(outputs, nOutputs, startIndex, n);
    return;
  }
  PrepareAmplitudes(n);
  if (mContext.mNumActive < static_cast<int>(mContext.mActive.size()))
  {
    mContext.mActive[static_cast<size_t>(mContext.mNumActive++)] = this;
  }
}
