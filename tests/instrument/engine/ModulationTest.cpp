// The modulation matrix inside the engine: every destination heard from the modulation envelope
// and the LFO, and both sources keeping exact time whatever the host's block size.

#include "tests/instrument/engine/EngineTestSupport.h"

#include <gtest/gtest.h>

using namespace enginetest;

namespace
{

void RichPatch(TestEngine& e)
{
  for (int op = 0; op < 4; ++op)
  {
    e.dsp.SetParam(OpParamIndex(op, kOpLevel), 100 - 5 * op);
  }
  e.dsp.SetParam(kParamFeedback, 50);
  e.dsp.SetParam(kParamFilterType, 3);
  e.dsp.SetParam(kParamFilterCutoff, 3000);
  e.dsp.SetParam(kParamFilterResonance, 30);
  e.dsp.SetParam(kParamLfoSync, 0);
  e.dsp.SetParam(kParamLfoRateHz, 5);
}

std::vector<double> RenderModulated(int source, int destination)
{
  TestEngine engine;
  RichPatch(engine);
  engine.dsp.SetParam(kParamMod1Source, source);
  engine.dsp.SetParam(kParamMod1Destination, destination);
  engine.dsp.SetParam(kParamMod1Amount, 50);
  engine.NoteOn(57);
  return engine.Render(4800);
}

// The first sample of the host block (of blockSize samples) in which operator A's frequency
// first reaches `semitones` above its start, the LFO or the modulation envelope (source) moving
// the global pitch by up to an octave.
int PitchReached(TestEngine& engine, int source, double semitones, int blockSize, int limit)
{
  engine.dsp.SetParam(kParamMod1Source, source);
  engine.dsp.SetParam(kParamMod1Destination, 13); // "Global Pitch"
  engine.dsp.SetParam(kParamMod1Amount, 100);
  engine.NoteOn(69);
  for (int t = 0; t < limit; t += blockSize)
  {
    engine.Render(blockSize, blockSize);
    if (std::fabs(Cents(engine.VoiceOf(69)->GetFrequency(kOpA), 440.0) - 100.0 * semitones) < 0.1)
    {
      return t;
    }
  }
  return -1;
}

} // namespace

TEST(Modulation, EnvelopeAndLfoReachEveryTarget)
{
  const std::vector<double> plain = RenderModulated(0, 0);
  for (int source : {1, 2})
  {
    for (int destination = 1; destination < 18; ++destination)
    {
      const std::vector<double> modulated = RenderModulated(source, destination);
      EXPECT_GT(MaxDifference(modulated, plain), 1e-3) << source << " " << destination;
    }
  }
}

TEST(Modulation, SourcesStepOncePerSampleWhateverTheBlockSize)
{
  // Each event must fall in the block found: the block's first sample <= event < its end.
  for (int blockSize : {32, 100, 512})
  {
    // A 1 Hz square LFO is -1 from sample 24000 on (to the rounding of its phase, one sub-block);
    // the pitch follows at the start of the first sub-block that begins there.
    TestEngine lfo;
    lfo.dsp.SetParam(kParamLfoSync, 0);
    lfo.dsp.SetParam(kParamLfoRateHz, 1.0);
    lfo.dsp.SetParam(kParamLfoWaveform, 2);
    const int turn = PitchReached(lfo, 2, -12.0, blockSize, 30000);
    EXPECT_LE(turn, 24000 + kSubBlockSize) << blockSize;
    EXPECT_GT(turn, 24000 - blockSize) << blockSize;

    // A modulation envelope holding 0 for 12000 samples, then 1.
    TestEngine envelope;
    envelope.params.mModEnvelope.Edit(
      [](EnvelopeParameter& e)
      {
        e.InitStages(2);
        e.Stage(0).Set(0.0f, 0.0f, 12000);
        e.Stage(1).Set(1.0f, 1.0f, 48000);
        e.mSustain = false;
      });
    const int step = PitchReached(envelope, 1, 12.0, blockSize, 20000);
    EXPECT_LE(step, 12000) << blockSize;
    EXPECT_GT(step, 12000 - blockSize) << blockSize;
  }
}

TEST(Modulation, LfoDelayAndFreeRunning)
{
  TestEngine engine;
  engine.dsp.SetParam(kParamLfoSync, 0);
  engine.dsp.SetParam(kParamLfoRateHz, 1.0);
  engine.dsp.SetParam(kParamLfoWaveform, 2);
  engine.dsp.SetParam(kParamLfoDelay, 100); // 4800 samples of silence from the LFO
  const int start = PitchReached(engine, 2, 12.0, 32, 10000);
  EXPECT_LE(start, 4800);
  EXPECT_GT(start, 4800 - 32);

  // The LFO restarts with every note unless it runs free (mono: the same voice each time).
  engine.dsp.SetParam(kParamMono, 1);
  engine.dsp.SetParam(kParamLfoDelay, 0);
  engine.dsp.SetParam(kParamLfoRateHz, 10.0); // 0.21 table units per sample
  for (bool free : {false, true})
  {
    engine.dsp.SetParam(kParamLfoFree, free ? 1 : 0);
    engine.NoteOff(69);
    engine.NoteOn(60);
    engine.Render(3200);
    engine.NoteOff(60);
    engine.Render(32);
    engine.NoteOn(62);
    engine.Render(32);
    const float phase = engine.dsp.GetVoice(0).GetModMatrix().GetLfo().GetSimpleOsc().mPhase;
    EXPECT_EQ(phase > 100.0f, free) << phase; // 32 samples from a restart: under 7 units
  }
}
