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

// A cut-down voice following one sound model: four operators in a chain with their envelopes,
// the modulation envelope and the LFO.
class Instance
{
public:
  explicit Instance(double rate) : mLfo(mModel.mLfo, rate) { Reset(rate); }

  // [main thread] (or the audio thread between blocks, as hosts do)
  void Reset(double rate)
  {
    mTables = WaveTableSet::Acquire(rate);
    mModel.SetSampleRate(rate);
    mLfo.SetSampleRate(rate);
    mOps.SetTables(mTables.get(), rate);
  }

  // [audio thread] Renders n samples; false when a sample was not a finite number.
  bool Render(int n)
  {
    for (int done = 0; done < n; done += kSubBlock, ++mSubBlocks)
    {
      for (int k = 0; k < kNumOperators; ++k)
      {
        const OpParams& op = mModel.mOps[static_cast<size_t>(k)];
        if (mSubBlocks % 40 == 0)
        {
          mEnvelopes[static_cast<size_t>(k)].Start(op.mEnvelope, 1.0f, 1.0f);
          mOps.SetPhase(k, 0.0f);
        }
        if (mSubBlocks % 40 == 30)
        {
          mEnvelopes[static_cast<size_t>(k)].Release();
        }
        mOps.SetWaveform(k, op.mTableWaveform);
        mOps.SetFrequency(k, 220.0f * static_cast<float>(k + 1) * op.mRatio);
      }
      if (mSubBlocks % 40 == 0)
      {
        mModEnvelope.Start(mModel.mModEnvelope, 1.0f, 1.0f);
        mLfo.NoteStart();
      }
      for (int s = 0; s < kSubBlock; ++s)
      {
        const float modulation = (mLfo.GetOutput() + mModEnvelope.FastProcess()) * 100.0f;
        const float in[4] = {mOut[1] * mModel.Depth(kOpB, kOpA), mOut[2] * mModel.Depth(kOpC, kOpB),
                             mOut[3] * mModel.Depth(kOpD, kOpC), modulation};
        mOps.Tick(in, mOut);
        for (size_t k = 0; k < 4; ++k)
        {
          mOut[k] *= mEnvelopes[k].FastProcess();
          if (!std::isfinite(mOut[k]))
          {
            return false;
          }
        }
      }
    }
    return true;
  }

  GlobalParams mModel;

private:
  std::shared_ptr<const WaveTableSet> mTables;
  OscillatorQuad mOps;
  float mOut[4] = {};
  std::array<MultistageEnvelope<float>, kNumOperators> mEnvelopes;
  MultistageEnvelope<float> mModEnvelope;
  Lfo mLfo;
  long mSubBlocks = 0;
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
      envelope.SetStageMilliseconds(0, 2.0f + 0.1f * static_cast<float>(round % 50));
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
        badA = badA || !a.Render(256);
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
          badB = badB || !b.Render(256);
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
