// The generators shared between instances and threads, run the way a host runs them: two
// instances at different rates render on two audio threads while one of them is reset to other
// rates (building and freeing table sets), and a main thread edits both sound models, replaces
// envelopes and makes and drops more instances. Built alone under ThreadSanitizer by
// scripts/test.sh; any report fails the run.

#include "instrument/dsp/GlobalParams.h"
#include "instrument/dsp/Lfo.h"
#include "instrument/dsp/MultistageEnvelope.h"
#include "instrument/dsp/WaveTableOsc.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <memory>
#include <thread>

namespace
{

constexpr int kSubBlock = 32;

// A cut-down voice: four operators in a chain, their envelopes, the modulation envelope and
// the LFO, following one sound model.
class Instance
{
public:
  explicit Instance(double rate) : mLfo(mModel.mLfo, rate) { Reset(rate); }

  // [main thread] (or the audio thread between blocks, as hosts do)
  void Reset(double rate)
  {
    mTables = WaveTableSet::Acquire(rate);
    mRate = rate;
    mModel.SetSampleRate(rate);
    mLfo.SetSampleRate(rate);
    for (WaveTableOsc& op : mOps)
    {
      op.SetTables(mTables.get(), rate);
    }
  }

  // [audio thread] Renders n samples; returns the largest magnitude, or NaN on a bad sample.
  float Render(int n)
  {
    float peak = 0.0f;
    for (int done = 0; done < n; done += kSubBlock)
    {
      if (mSamples++ % 40 == 0)
      {
        StartNote();
      }
      else if (mSamples % 40 == 30)
      {
        for (auto& envelope : mEnvelopes)
        {
          envelope.Release();
        }
        mModEnvelope.Release();
      }
      for (int k = 0; k < kNumOperators; ++k)
      {
        mOps[static_cast<size_t>(k)].SetWaveform(
          mModel.mOps[static_cast<size_t>(k)].mTableWaveform);
        mOps[static_cast<size_t>(k)].SetFrequency(220.0f * static_cast<float>(k + 1) *
                                                  mModel.mOps[static_cast<size_t>(k)].mRatio);
      }
      for (int s = 0; s < kSubBlock; ++s)
      {
        const float lfo = mLfo.GetOutput() + mModEnvelope.FastProcess();
        float modulation = lfo * 100.0f;
        float out = 0.0f;
        for (int k = kNumOperators - 1; k >= 0; --k)
        {
          const size_t i = static_cast<size_t>(k);
          out = mOps[i].Tick(modulation) * mEnvelopes[i].FastProcess();
          modulation = out * mModel.Depth(k, k > 0 ? k - 1 : 0);
        }
        if (!std::isfinite(out))
        {
          return NAN;
        }
        peak = std::max(peak, std::fabs(out));
      }
    }
    return peak;
  }

  GlobalParams mModel;

private:
  void StartNote()
  {
    for (int k = 0; k < kNumOperators; ++k)
    {
      mEnvelopes[static_cast<size_t>(k)].Start(mModel.mOps[static_cast<size_t>(k)].mEnvelope, 1.0f,
                                               1.0f);
      mOps[static_cast<size_t>(k)].SetPhase(0.0f);
    }
    mModEnvelope.Start(mModel.mModEnvelope, 1.0f, 1.0f);
    mLfo.NoteStart();
  }

  std::shared_ptr<const WaveTableSet> mTables;
  double mRate = 0.0;
  std::array<WaveTableOsc, kNumOperators> mOps;
  std::array<MultistageEnvelope<float>, kNumOperators> mEnvelopes;
  MultistageEnvelope<float> mModEnvelope;
  Lfo mLfo;
  long mSamples = 0;
};

// The main thread's edits: parameters, whole envelopes, in-place envelope edits, copies.
void EditModel(GlobalParams& model, int round)
{
  model.mOps[static_cast<size_t>(round % 4)].SetWaveform(round % 11);
  model.mOps[static_cast<size_t>(round % 4)].mRatio = 1.0f + static_cast<float>(round % 5);
  model.mLfo.SetWaveform(round % 6);
  model.mLfo.mRate = 0.5 + round % 7;
  model.SetAlgorithm(round % 8);
  SynthPresetEnvelope preset;
  preset.sustain = round % 2 == 0;
  for (int s = 0; s < 3 + round % 20; ++s)
  {
    preset.stages.push_back({s % 2 ? 1.0 : 0.2, s % 3 ? 0.0 : 0.7, 1.0 + s});
  }
  model.SetEnvelopeParams(round % kNumEnvelopes, preset);
  model.mOps[0].mEnvelope.Edit(
    [round](EnvelopeParameter& envelope)
    {
      envelope.Stage(0).SetSamples(100 + round);
      envelope.mSustain = !envelope.mSustain;
    });
  model.CopyToEnvelopes(kEnvelopeOpA, {kEnvelopeOpC, kEnvelopeMod});
}

TEST(GeneratorThreads, TwoRatesRenderWhileOneIsReset)
{
  Instance a(44100.0);
  Instance b(96000.0);
  std::atomic<bool> stop{false}, resetsDone{false};
  std::atomic<bool> badA{false}, badB{false};

  std::thread audioA(
    [&]
    {
      while (!stop)
      {
        badA = badA || std::isnan(a.Render(256));
      }
    });
  std::thread audioB(
    [&]
    {
      const double rates[] = {48000.0, 96000.0, 88200.0, 44100.0};
      for (int round = 0; round < 8; ++round)
      {
        for (int block = 0; block < 30; ++block)
        {
          badB = badB || std::isnan(b.Render(256));
        }
        b.Reset(rates[round % 4]);
      }
    });

  for (int round = 0; round < 200; ++round)
  {
    EditModel(a.mModel, round);
    EditModel(b.mModel, round + 3);
    if (round % 50 == 0) // another instance comes and goes
    {
      Instance other(round % 100 == 0 ? 192000.0 : 44100.0);
      other.Render(64);
    }
    std::this_thread::yield();
  }
  audioB.join();
  stop = true;
  audioA.join();
  EXPECT_FALSE(badA);
  EXPECT_FALSE(badB);
}

} // namespace
