#include "instrument/dsp/EnvelopeParameter.h"

#include <algorithm>
#include <cmath>

namespace
{

// The two curve tables with their guard entries. Rate-independent, so built once per process.
struct CurveTables
{
  std::array<float, EnvelopeStageParameter::kCurveTableSize + 2> mRising;
  std::array<float, EnvelopeStageParameter::kCurveTableSize + 2> mFalling;

  CurveTables()
  {
    constexpr int n = EnvelopeStageParameter::kCurveTableSize;
    for (int i = 0; i < n; ++i)
    {
      const float x = static_cast<float>(i) / static_cast<float>(n);
      mRising[static_cast<size_t>(i)] = std::pow(x, 0.9f);
      mFalling[static_cast<size_t>(i)] = std::pow(1.0f - x, 1.8f);
    }
    mRising[n] = mRising[n + 1] = 1.0f;
    mFalling[n] = mFalling[n + 1] = 0.0f;
  }
};

const CurveTables& Curves()
{
  static const CurveTables tables;
  return tables;
}

float FiniteOrZero(float level)
{
  return std::isfinite(level) ? level : 0.0f;
}

} // namespace

void EnvelopeStageParameter::Set(float startLevel, float endLevel, int32_t samples)
{
  SetLevels(startLevel, endLevel);
  SetSamples(samples);
}

void EnvelopeStageParameter::SetLevels(float startLevel, float endLevel)
{
  mStartLevel = FiniteOrZero(startLevel);
  mEndLevel = FiniteOrZero(endLevel);
  mSpan = std::fabs(mEndLevel - mStartLevel);
}

void EnvelopeStageParameter::SetSamples(int32_t samples)
{
  mSamples = std::max<int32_t>(samples, 1);
  mIncrement = 1.0f / static_cast<float>(mSamples);
}

const float* EnvelopeStageParameter::PowTableRising()
{
  return Curves().mRising.data();
}

const float* EnvelopeStageParameter::PowTableFalling()
{
  return Curves().mFalling.data();
}

EnvelopeParameter::EnvelopeParameter()
{
  InitStages(4);
  mStages[0].Set(0.0f, 1.0f, 100);
  mStages[1].Set(1.0f, 1.0f, 8820);
  mStages[2].Set(1.0f, 0.8f, 4410);
  mStages[3].Set(0.8f, 0.0f, 200);
}

EnvelopeParameter::EnvelopeParameter(const SynthPresetEnvelope& preset, float sampleRate)
{
  mSustain = preset.sustain;
  mReleaseStage = kDefaultReleaseStage; // whatever the preset holds
  mSampleRate = sampleRate;
  mTimeScale = sampleRate / kReferenceSampleRate;
  const int count = static_cast<int>(std::min<size_t>(preset.stages.size(), kMaxStages));
  InitStages(count);
  for (int i = 0; i < count; ++i)
  {
    const PresetEnvStage& in = preset.stages[static_cast<size_t>(i)];
    const float start = static_cast<float>(in.start);
    const float end = static_cast<float>(in.end);
    const int32_t minimum = start > end ? kMinFallingSamples : kMinRisingSamples;
    mStages[static_cast<size_t>(i)].Set(
      start, end, MillisecondsToSamples(in.time, sampleRate, minimum, kMaxSamples));
  }
}

void EnvelopeParameter::InitStages(int count)
{
  mNumStages = std::clamp(count, 0, kMaxStages);
  for (EnvelopeStageParameter& stage : mStages)
  {
    stage = EnvelopeStageParameter{};
  }
}

float EnvelopeParameter::EffectiveSampleRate() const
{
  return std::isfinite(mSampleRate) && mSampleRate > 0.0f ? mSampleRate : kReferenceSampleRate;
}

float EnvelopeParameter::StageMilliseconds(int index) const
{
  return static_cast<float>(Stage(index).mSamples) * 1000.0f / EffectiveSampleRate();
}

int32_t EnvelopeParameter::MillisecondsToSamples(double ms, double sampleRate, int32_t minimum,
                                                 int32_t maximum)
{
  const double samples = ms * sampleRate * 0.001;
  if (!(samples >= static_cast<double>(minimum))) // also catches a duration that is no number
  {
    return minimum;
  }
  if (samples >= static_cast<double>(maximum))
  {
    return maximum;
  }
  return static_cast<int32_t>(samples);
}
