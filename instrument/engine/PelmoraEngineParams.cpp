// The engine's parameter dispatch: each of the 64 parameters' conversion and effect.
//
// Values arrive in real units (the parameter's displayed value). Numeric parameters are limited
// to their ranges first; enumerations and switches are truncated to an integer and keep their
// own handling of values outside their lists (an algorithm outside 0..7 is stored and routed as
// algorithm 0, a filter type outside 0..5 is ignored and the voices keep the last valid type, a
// waveform is clamped where it is read, a modulation source or destination outside its list
// routes nothing).

#include "instrument/engine/PelmoraEngine.h"

#include "instrument/engine/ModMatrix.h"

#include <algorithm>
#include <cmath>

namespace
{

// Every slot's source and destination lists are the modulation matrix's.
constexpr bool ModulationRangesAreTheMatrixLists()
{
  using Matrix = ModMatrix<float>;
  for (int slot = 0; slot < kNumModSlots; slot++)
  {
    const int source = kParamMod1Source + kModSlotStride * slot;
    const int destination = kParamMod1Destination + kModSlotStride * slot;
    if (GetParamRange(source).mMax != Matrix::kNumSources - 1 ||
        GetParamRange(destination).mMax != Matrix::kNumDestinations - 1)
      return false;
  }
  return true;
}
static_assert(ModulationRangesAreTheMatrixLists(), "a modulation range disagrees with the matrix");

// An enumeration's or switch's value as an int, without overflow for any finite double.
int Trunc(double value)
{
  return static_cast<int>(std::clamp(value, -1.0e9, 1.0e9));
}

} // namespace

void PelmoraEngine::SetOperatorParam(int op, int slot, double value)
{
  OpParams& settings = mParams.mOps[static_cast<size_t>(op)];
  switch (slot)
  {
  case kOpWaveform:
    settings.SetWaveform(Trunc(value));
    break;
  case kOpInverse:
    LayRouting(
      [&] { mParams.mOutputs[static_cast<size_t>(op)].mSign = Trunc(value) != 0 ? -1.0f : 1.0f; });
    break;
  case kOpRatio:
    settings.mRatio = static_cast<float>(value);
    settings.UpdatePreviewIncrement();
    break;
  case kOpOffset:
    settings.mOffset = static_cast<float>(value);
    settings.UpdatePreviewIncrement();
    break;
  case kOpPhase:
    settings.mPhaseOffset = static_cast<float>(value * OpParams::kPhaseUnitsPerDegree);
    break;
  case kOpVelocityToFreq:
    settings.mVelocityToFrequency = static_cast<float>(value * PelmoraVoice::kVelocityToFrequency);
    break;
  case kOpVelocitySense:
    settings.mVelocitySensitivity = static_cast<float>(value * 0.01);
    break;
  case kOpLevel:
  {
    const float level = OpParams::LevelFromParameter(value);
    settings.mLevel = level;
    mSmoother.SetTarget(op + 1, level);
    break;
  }
  default:
    break;
  }
}

void PelmoraEngine::SetModulationParam(int index, double value)
{
  const int slot = (index - kParamMod1Source) / kModSlotStride;
  const int field = (index - kParamMod1Source) % kModSlotStride;
  for (std::unique_ptr<PelmoraVoice>& voice : mVoices)
  {
    ModMatrix<float>& matrix = voice->GetModMatrix();
    if (field == 0)
    {
      matrix.SetSlotSource(slot, Trunc(value));
    }
    else if (field == 1)
    {
      matrix.SetSlotDestination(slot, Trunc(value));
    }
    else
    {
      matrix.SetSlotAmount(slot, static_cast<float>(value * 0.01));
    }
  }
}

void PelmoraEngine::SetParam(int paramIdx, double value)
{
  if (paramIdx < 0 || paramIdx >= kNumParams || !std::isfinite(value))
  {
    return;
  }
  const ParamRange range = GetParamRange(paramIdx);
  const double limited = std::clamp(value, range.mMin, range.mMax);
  if (paramIdx < kParamAlgorithm)
  {
    const int slot = paramIdx % kOpParamCount;
    const bool numeric = slot != kOpWaveform && slot != kOpInverse;
    SetOperatorParam(paramIdx / kOpParamCount, slot, numeric ? limited : value);
    return;
  }
  if (paramIdx >= kParamMod1Source && paramIdx < kParamMod1Source + kNumModSlots * kModSlotStride)
  {
    const bool amount = (paramIdx - kParamMod1Source) % kModSlotStride == 2;
    SetModulationParam(paramIdx, amount ? limited : value);
    return;
  }
  switch (paramIdx)
  {
  case kParamAlgorithm:
    LayRouting([&] { mParams.mAlgorithm = Trunc(value); });
    break;
  case kParamFeedback:
    mParams.mFeedbackAmount = limited * 0.01;
    break;
  case kParamFmAmount:
    mParams.mFmAmount = limited * 0.01;
    break;
  case kParamFilterType:
  {
    const int type = Trunc(value);
    if (type >= 0 && type < kNumFilterTypes)
    {
      mFilterType = type;
    }
    break;
  }
  case kParamFilterCutoff:
    mParams.mFilterCutoff = limited;
    break;
  case kParamFilterResonance:
    mResonance = static_cast<float>(limited * 0.01);
    break;
  case kParamFilterVelocity:
    mParams.mFilterVelocitySensitivity = static_cast<float>(limited);
    break;
  case kParamLfoWaveform:
    mParams.mLfo.SetWaveform(Trunc(value));
    break;
  case kParamLfoRateHz:
    mLfoFreeRate = limited;
    if (!mParams.mLfo.mSync)
    {
      UpdateLfo1(false);
    }
    break;
  case kParamLfoRateDivision:
    mLfoDivision = static_cast<double>(Trunc(limited));
    if (mParams.mLfo.mSync)
    {
      UpdateLfo1(true);
    }
    break;
  case kParamLfoSync:
    mParams.mLfo.mSync = Trunc(value) != 0;
    UpdateLfo1(mParams.mLfo.mSync);
    break;
  case kParamLfoFree:
    mParams.mLfo.mFreeRunning = Trunc(value) != 0;
    break;
  case kParamLfoDelay:
    mLfoDelayMs = limited;
    mParams.mLfo.SetDelay(limited, mSampleRate);
    break;
  case kParamChorus1:
  case kParamChorus2:
    mChorusOn[static_cast<size_t>(paramIdx - kParamChorus1)] = value >= 0.5;
    break;
  case kParamPitchBendRange:
    mSynth.SetPitchBendRange(Trunc(limited));
    break;
  case kParamGlideTime:
    mGlideMs = limited;
    mContext.mGlideSamples = GlideSamples(limited);
    break;
  case kParamGain:
    mSmoother.SetTarget(0, std::exp(limited * kGainPerDecibel));
    break;
  case kParamPitchDrift:
    mParams.mPitchDrift = static_cast<float>(limited * 0.005);
    break;
  case kParamMono:
  {
    const bool mono = value > 0.0;
    LayRouting(
      [&]
      {
        mParams.mMono = mono;
        for (OpOutput& output : mParams.mOutputs)
        {
          output.mGain = 0.125f;
        }
      });
    mSynth.SetPolyMode(mono ? plugin::VoiceAllocator::kPolyModeMono
                            : plugin::VoiceAllocator::kPolyModePoly);
    break;
  }
  default:
    break;
  }
}
