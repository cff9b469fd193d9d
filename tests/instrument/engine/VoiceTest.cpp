// The voice's pitch, levels and note handling, measured on the engine's output or read from the
// voice: equal temperament, ratio and offset, band levels, velocity, glide, mono mode, busy state.

#include "tests/instrument/engine/EngineTestSupport.h"

#include <gtest/gtest.h>

using namespace enginetest;

namespace
{

double NoteFrequency(int key)
{
  return 440.0 * std::pow(2.0, (key - 69) / 12.0);
}

// The frequency of a held note after its attack.
double PlayedFrequency(TestEngine& engine, int key, int velocity = 127)
{
  engine.NoteOn(key, velocity);
  const std::vector<double> out = engine.Render(14400);
  engine.NoteOff(key);
  engine.Render(2400);
  return Frequency(out, 2400, out.size());
}

} // namespace

TEST(Voice, SinePatchPlaysEqualTemperedPitch)
{
  TestEngine engine;
  for (int key : {69, 57, 60, 81, 33, 100})
  {
    EXPECT_NEAR(Cents(PlayedFrequency(engine, key), NoteFrequency(key)), 0.0, 1.0) << key;
  }
  engine.NoteOn(69);
  engine.Render(64);
  EXPECT_FLOAT_EQ(engine.VoiceOf(69)->GetFrame().mIncrement[0], 440.0f * 8192.0f / 48000.0f);
  EXPECT_FALSE(engine.ChannelsDiffer());
}

TEST(Voice, RatioOffsetAndBandLevelFollowTheOperatorsOwnFrequency)
{
  TestEngine engine;
  engine.dsp.SetParam(OpParamIndex(kOpA, kOpRatio), 2.0);
  EXPECT_NEAR(Cents(PlayedFrequency(engine, 69), 880.0), 0.0, 1.0);
  engine.dsp.SetParam(OpParamIndex(kOpA, kOpRatio), 0.5);
  engine.dsp.SetParam(OpParamIndex(kOpA, kOpOffset), 100.0);
  EXPECT_NEAR(Cents(PlayedFrequency(engine, 69), 320.0), 0.0, 1.0);

  // Levels from the frequency with ratio and offset: 8000 Hz reads level 8, 30 Hz level 0, and
  // anything from 20480 Hz the highest level built at 48 kHz, 9.
  engine.dsp.SetParam(OpParamIndex(kOpA, kOpOffset), 0.0);
  struct Case
  {
    double ratio, offset;
    int level;
  };
  for (const Case& c : {Case{8000.0 / 440.0, 0, 8}, Case{0.0, 30.0, 0}, Case{32.0, 9999.0, 9},
                        Case{1.0, 7679.0, 8}})
  {
    engine.dsp.SetParam(OpParamIndex(kOpA, kOpRatio), c.ratio);
    engine.dsp.SetParam(OpParamIndex(kOpA, kOpOffset), c.offset);
    engine.NoteOn(69);
    engine.Render(32);
    EXPECT_EQ(engine.VoiceOf(69)->GetTableLevel(kOpA), c.level) << c.ratio << " " << c.offset;
    engine.NoteOff(69);
    engine.Render(2400);
  }
}

TEST(Voice, VelocitySenseAndVelocityToFrequency)
{
  TestEngine engine;
  engine.dsp.SetParam(OpParamIndex(kOpA, kOpVelocitySense), 100);
  const auto peak = [&](int velocity)
  {
    engine.NoteOn(60, velocity);
    const std::vector<double> out = engine.Render(9600);
    engine.NoteOff(60);
    engine.Render(2400);
    return Peak(out, 4800, out.size());
  };
  const double loud = peak(127);
  EXPECT_NEAR(peak(64) / loud, std::pow(64.0 / 127.0, 0.8), 1e-3);
  EXPECT_NEAR(loud, 0.125, 1e-3); // the operator gain, the envelope holding 1

  // +100 % shifts a full-velocity note up two octaves, a half-velocity one trunc(12.09) = 12
  // semitones; -50 % at full velocity one octave down.
  engine.dsp.SetParam(OpParamIndex(kOpA, kOpVelocitySense), 0);
  engine.dsp.SetParam(OpParamIndex(kOpA, kOpVelocityToFreq), 100);
  EXPECT_NEAR(Cents(PlayedFrequency(engine, 69, 127), 1760.0), 0.0, 1.0);
  EXPECT_NEAR(Cents(PlayedFrequency(engine, 69, 64), 880.0), 0.0, 1.0);
  engine.dsp.SetParam(OpParamIndex(kOpA, kOpVelocityToFreq), -50);
  EXPECT_NEAR(Cents(PlayedFrequency(engine, 69, 127), 220.0), 0.0, 1.0);
}

TEST(Voice, PitchBendFollowsTheRange)
{
  TestEngine engine;
  for (int range : {2, 12})
  {
    engine.dsp.SetParam(kParamPitchBendRange, range);
    engine.Send(0xE0, 0x7F, 0x7F); // full bend up: 8191 / 8192 of the range
    const double expected = 440.0 * std::pow(2.0, range * 8191.0 / 8192.0 / 12.0);
    EXPECT_NEAR(Cents(PlayedFrequency(engine, 69), expected), 0.0, 1.0) << range;
    engine.Send(0xE0, 0x00, 0x40);
  }
  // Back at the centre, 0x2000 (low seven bits first): the key's own pitch.
  EXPECT_NEAR(Cents(PlayedFrequency(engine, 69), 440.0), 0.0, 1.0);
}

TEST(Voice, GlideReachesItsTargetOnTimeWithoutOvershoot)
{
  TestEngine engine;
  engine.dsp.SetParam(kParamGlideTime, 100.9); // whole milliseconds: 4800 samples
  EXPECT_EQ(engine.dsp.GetGlideSamples(), 4800);
  // The first note after loading starts on its own pitch.
  engine.NoteOn(57);
  engine.Render(32);
  EXPECT_FLOAT_EQ(engine.VoiceOf(57)->GetGlidePitch(), -1.0f);
  engine.NoteOn(69); // glides from key 57
  std::vector<float> pitch;
  for (int i = 0; i < 200; ++i)
  {
    engine.Render(32);
    pitch.push_back(engine.VoiceOf(69)->GetGlidePitch());
  }
  EXPECT_NEAR(pitch[0], -1.0f + 32.0f / 4800.0f, 1e-6f);
  EXPECT_NEAR(pitch[74], -0.5f, 1e-6f); // 2400 samples: half way
  for (size_t i = 1; i < pitch.size(); ++i)
  {
    ASSERT_GE(pitch[i], pitch[i - 1]);
    ASSERT_LE(pitch[i], 0.0f);
  }
  EXPECT_LT(pitch[148], 0.0f);
  EXPECT_EQ(pitch[149], 0.0f); // 4800 samples
}

TEST(Voice, MonoModePlaysOneVoiceLegato)
{
  TestEngine engine;
  engine.dsp.SetParam(kParamMono, 1);
  engine.dsp.SetParam(kParamGlideTime, 10);
  engine.NoteOn(60);
  engine.Render(4800);
  PelmoraVoice& voice = engine.dsp.GetVoice(0);
  const int stage = voice.GetEnvelope(kOpA).GetStageIndex();
  EXPECT_GT(stage, 0);
  engine.NoteOn(64);
  engine.Render(4800);
  engine.NoteOn(67); // legato: the same voice moves on, its envelope keeps running
  const std::vector<double> out = engine.Render(9600);
  EXPECT_EQ(engine.BusyVoices(), 1);
  EXPECT_EQ(voice.mKey, 67);
  EXPECT_GE(voice.GetEnvelope(kOpA).GetStageIndex(), stage);
  EXPECT_NEAR(Cents(Frequency(out, 960, out.size()), NoteFrequency(67)), 0.0, 1.0);
  // Releasing the last of three held keys returns to the most recent one still held, then on.
  for (int release : {67, 64})
  {
    engine.NoteOff(release);
    const std::vector<double> back = engine.Render(9600);
    const int held = release == 67 ? 64 : 60;
    EXPECT_NEAR(Cents(Frequency(back, 960, back.size()), NoteFrequency(held)), 0.0, 1.0) << held;
  }
  engine.NoteOff(60);
  engine.Render(4800);
  EXPECT_EQ(engine.BusyVoices(), 0);
  // Poly again: a chord sounds on several voices.
  engine.dsp.SetParam(kParamMono, 0);
  for (int key : {60, 64, 67})
  {
    engine.NoteOn(key);
  }
  engine.Render(64);
  EXPECT_EQ(engine.BusyVoices(), 3);
}

TEST(Voice, BusyWhileACarrierSounds)
{
  TestEngine engine;
  // Operator A: a short blip without sustain; operator D: the default sustained envelope.
  engine.params.mOps[kOpA].mEnvelope.Edit(
    [](EnvelopeParameter& envelope)
    {
      envelope.InitStages(2);
      envelope.Stage(0).Set(0.0f, 1.0f, 100);
      envelope.Stage(1).Set(1.0f, 0.0f, 200);
      envelope.mSustain = false;
    });
  engine.dsp.SetParam(OpParamIndex(kOpD, kOpLevel), 100);
  for (int algorithm : {0, 7})
  {
    engine.dsp.SetParam(kParamAlgorithm, algorithm);
    engine.NoteOn(60);
    engine.Render(4800);
    // Algorithm "8": D is a carrier and keeps the voice busy; "1": D only modulates.
    EXPECT_EQ(engine.BusyVoices(), algorithm == 7 ? 1 : 0) << algorithm;
    engine.NoteOff(60);
    engine.Render(4800);
    EXPECT_EQ(engine.BusyVoices(), 0);
  }
}
