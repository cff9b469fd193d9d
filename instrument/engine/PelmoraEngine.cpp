#include "instrument/engine/PelmoraEngine.h"

#include "instrument/dsp/Lfo.h"
#include "instrument/engine/FastMath.h"

#include <algorithm>
#include <cmath>

namespace
{

bool IsUsableRate(double sampleRate)
{
  return sampleRate >= PelmoraEngine::kMinSampleRate && sampleRate <= PelmoraEngine::kMaxSampleRate;
}

} // namespace

PelmoraEngine::PelmoraEngine(int nVoices, GlobalParams* params)
  : mParams(*params), mContext(*params),
    mSynth(plugin::VoiceAllocator::kPolyModePoly, kSubBlockSize),
    mLanes(std::make_unique<LaneRenderer>())
{
  mTables = WaveTableSet::Acquire(kDefaultSampleRate);
  mContext.mTables = mTables.get();
  mContext.mSampleRate = kDefaultSampleRate;
  const int count = std::clamp(nVoices, 1, plugin::VoiceAllocator::kMaxVoices);
  for (int i = 0; i < count; ++i)
  {
    mVoices.push_back(std::make_unique<PelmoraVoice>(mContext, i));
    mSynth.AddVoice(mVoices.back().get(), 0);
  }
  mContext.mActive.assign(static_cast<size_t>(count), nullptr);
  mSynth.SetPitchBendRange(plugin::MidiSynth::kDefaultPitchBendRange);
  mSynth.SetSampleRateAndBlockSize(kDefaultSampleRate,
                                   plugin::IMidiQueueBase<plugin::IMidiMsg>::kGranularity);
  for (int c = 0; c < kNumSmoothChannels; ++c)
  {
    mSmoothedPointers[static_cast<size_t>(c)] = mSmoothed[static_cast<size_t>(c)].data();
  }
  BuildChoruses(kDefaultSampleRate);
  mContext.mSettings.mMaxCutoff =
    std::min(PelmoraVoice::kMaxCutoff, kMaxCutoffOfRate * kDefaultSampleRate);
  PublishRouting();
  RefreshSettings();
}

PelmoraEngine::~PelmoraEngine() = default;

void PelmoraEngine::BuildChoruses(double sampleRate)
{
  for (size_t stage = 0; stage < mChorus.size(); ++stage)
  {
    mChorus[stage] =
      std::make_unique<Chorus>(kChorusRates[stage], kChorusPhases[stage], kChorusDelayMs,
                               sampleRate, kChorusDelayCentre, kChorusDelayDepth);
  }
}

void PelmoraEngine::SetRenderPath(ERenderPath path)
{
  mContext.mPath = path == ERenderPath::kReference ? ERenderPath::kReference : ERenderPath::kFast;
  mLanes->SetInstructionSet(path == ERenderPath::kFastSse2 ? LaneRenderer::EInstructionSet::kSse2
                                                           : LaneRenderer::EInstructionSet::kAvx);
}

void PelmoraEngine::Reset(double sampleRate, int blockSize)
{
  const double rate = IsUsableRate(sampleRate) ? sampleRate : mSampleRate.Load();
  if (rate != mSampleRate)
  {
    if (WaveTableSet::TableRate(rate) != mTables->SampleRate())
    {
      mTables = WaveTableSet::Acquire(rate);
    }
    BuildChoruses(rate);
  }
  mSampleRate = rate;
  mContext.mTables = mTables.get();
  mContext.mSampleRate = rate;
  mContext.mSettings.mMaxCutoff = std::min(PelmoraVoice::kMaxCutoff, kMaxCutoffOfRate * rate);
  mContext.mLastKey = -1;
  mContext.mNumActive = 0;
  // Stops every voice and passes the rate on to them (their LFOs, saturation, caches).
  mSynth.SetSampleRateAndBlockSize(rate, std::max(blockSize, kSubBlockSize));
  mParams.SetSampleRate(rate);
  mParams.mLfo.SetDelay(mLfoDelayMs, rate);
  mContext.mGlideSamples = GlideSamples(mGlideMs);
  UpdateLfo1(mParams.mLfo.mSync);
  RefreshSettings();
}

int PelmoraEngine::GlideSamples(double ms) const
{
  return static_cast<int>(mSampleRate * std::trunc(ms) * 0.001);
}

void PelmoraEngine::PublishRouting()
{
  LayRouting([] {});
}

double PelmoraEngine::EffectiveLfoRate() const
{
  if (!mParams.mLfo.mSync)
  {
    return mLfoFreeRate;
  }
  const double division = std::clamp<double>(mLfoDivision, 0.0, Lfo::kNumDivisions - 1);
  return Lfo::SyncedRate(static_cast<int>(division), mTempo);
}

void PelmoraEngine::UpdateLfo1(bool sync)
{
  if (sync)
  {
    const double division = std::clamp<double>(mLfoDivision, 0.0, Lfo::kNumDivisions - 1);
    mParams.mLfo.mRate = Lfo::SyncedRate(static_cast<int>(division), mTempo);
  }
  else
  {
    mParams.mLfo.mRate = mLfoFreeRate.Load();
  }
}

void PelmoraEngine::SetTempo(double bpm)
{
  if (!(bpm > 0.0) || !std::isfinite(bpm))
  {
    return;
  }
  const double tempo = std::clamp(bpm, kMinTempo, kMaxTempo);
  if (tempo != mTempo)
  {
    mTempo = tempo;
    if (mParams.mLfo.mSync)
    {
      UpdateLfo1(true);
    }
  }
}

void PelmoraEngine::BeginBlock(double tempo)
{
  SetTempo(tempo);
  // Should a parameter thread and this one have raced on the rate, it is right again here.
  const double rate = EffectiveLfoRate();
  if (rate != mParams.mLfo.mRate)
  {
    mParams.mLfo.mRate = rate;
  }
}

void PelmoraEngine::RefreshSettings()
{
  SubBlockSettings& settings = mContext.mSettings;
  const int32_t carriers = settings.mRouting.mCarriers;
  mRouting.Read(settings.mRouting); // keeps the last routing should writers never pause
  if (settings.mRouting.mCarriers != carriers)
  {
    for (std::unique_ptr<PelmoraVoice>& voice : mVoices)
    {
      voice->CatchUpEnvelopes(); // a voice's busy state now depends on other envelopes
    }
  }
  for (size_t k = 0; k < kNumOperators; ++k)
  {
    const OpParams& op = mParams.mOps[k];
    settings.mOps[k].mWaveform = op.mTableWaveform;
    settings.mOps[k].mRatio = op.mRatio;
    settings.mOps[k].mOffset = op.mOffset;
    settings.mOps[k].mPhaseOffset = fastmath::WrapPhase(op.mPhaseOffset, WaveTableOsc::kTableSizeF);
  }
  settings.mFmAmount = static_cast<float>(mParams.mFmAmount.Load());
  settings.mFeedbackAmount = static_cast<float>(mParams.mFeedbackAmount.Load());
  settings.mFilterType = std::clamp<int>(mFilterType, 0, kNumFilterTypes - 1);
  settings.mCutoff = mParams.mFilterCutoff;
  settings.mResonance = mResonance;
  settings.mModWheel = mModWheel;
  settings.mAftertouch = mAftertouch;
}

void PelmoraEngine::Smooth(int n)
{
  const unsigned constant = mSmoother.ProcessBlock(mSmoothedPointers.data(), n);
  for (size_t k = 0; k < kNumOperators; ++k)
  {
    const double* level = mSmoothed[k + 1].data();
    float* out = mContext.mLevels[k].data();
    if ((constant >> (k + 1)) & 1u)
    {
      const float value = static_cast<float>(level[0]);
      std::fill(out, out + n, value);
      mContext.mLevelSilent[k] = value == 0.0f;
      continue;
    }
    bool silent = true;
    for (int s = 0; s < n; ++s)
    {
      out[s] = static_cast<float>(level[s]);
      silent = silent && out[s] == 0.0f;
    }
    mContext.mLevelSilent[k] = silent;
  }
}

void PelmoraEngine::MixOutput(int n, double* out)
{
  const double* mix = mVoiceMix[0].data();
  const double* gain = mSmoothed[0].data();
  Chorus* first = mChorusOn[0] ? mChorus[0].get() : nullptr;
  Chorus* second = mChorusOn[1] ? mChorus[1].get() : nullptr;
  if (first == nullptr && second == nullptr)
  {
    for (int s = 0; s < n; ++s)
    {
      out[s] = mix[s] * gain[s]; // no wet signal: the dry one alone
    }
    return;
  }
  // Both stages take the same dry sample; their sum is mixed in at kChorusWet.
  double wet[kSubBlockSize] = {};
  Chorus::AddWet(first, second, mix, wet, n);
  for (int s = 0; s < n; ++s)
  {
    out[s] = (wet[s] * kChorusWet + mix[s]) * gain[s];
  }
}

void PelmoraEngine::ProcessSubBlock(int n, double* out)
{
  n = std::clamp(n, 0, kSubBlockSize);
  if (n == 0)
  {
    return;
  }
  RefreshSettings();
  Smooth(n);
  std::fill(mVoiceMix[0].begin(), mVoiceMix[0].begin() + n, 0.0);
  std::fill(mVoiceMix[1].begin(), mVoiceMix[1].begin() + n, 0.0);
  double* voiceOutputs[2] = {mVoiceMix[0].data(), mVoiceMix[1].data()};
  mContext.mNumActive = 0;
  mSynth.ProcessBlock(mSmoothedPointers.data(), voiceOutputs, kNumSmoothChannels, 2, n);
  if (mContext.mNumActive > 0)
  {
    const bool ladder = kFilterModes[mContext.mSettings.mFilterType].mLadder;
    mLanes->Render(mContext.mActive.data(), mContext.mNumActive, n, ladder, mVoiceMix[0].data());
  }
  MixOutput(n, out);
}
