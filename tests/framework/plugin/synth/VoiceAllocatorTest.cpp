#include "framework/plugin/synth/VoiceAllocator.h"
#include "tests/framework/plugin/synth/TestVoice.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

using namespace plugin;
using synthtest::TestVoice;
using synthtest::TestVoices;

namespace
{

class Allocator : public ::testing::Test
{
protected:
  explicit Allocator(VoiceAllocator::EPolyMode mode = VoiceAllocator::kPolyModePoly) : mAlloc(mode)
  {
    for (TestVoice& voice : mVoices.mVoices)
      mAlloc.AddVoice(&voice, 0);
  }

  void Send(int action, int key, float value, int offset = 0, int channel = 0, int flags = 0)
  {
    const VoiceAddress address{0, uint8_t(channel), uint8_t(key), uint8_t(flags)};
    ASSERT_TRUE(mAlloc.AddEvent(VoiceInputEvent{address, action, 0, value, offset}));
  }
  void On(int key, float velocity = 1.f, int channel = 0) { Send(1, key, velocity, 0, channel); }
  void Off(int key, int channel = 0) { Send(2, key, 0.f, 0, channel); }
  void Pedal(bool down) { Send(kVoiceActionSustain, VoiceAddress::kAny, down ? 1.f : 0.f); }

  // One sub-block of 32 samples.
  void Run(int n = 32)
  {
    mAlloc.ProcessEvents(n, mTime);
    mTime += n;
  }

  // The voice holding a key, or -1.
  int VoiceOf(int key)
  {
    for (int i = 0; i < 12; ++i)
      if (mVoices[i].mGated && mVoices[i].mKey == key)
        return i;
    return -1;
  }

  VoiceAllocator mAlloc;
  TestVoices mVoices{12};
  int64_t mTime = 0;
};

class MonoAllocator : public Allocator
{
protected:
  MonoAllocator() : Allocator(VoiceAllocator::kPolyModeMono) {}
};

} // namespace

TEST(ControlRamp, GlideStartingLateInASubBlockReachesItsTargetExactly)
{
  ControlRamp ramp;
  ControlRampProcessor glide;
  glide.Bind(&ramp);
  glide.SetTarget(1.0, 28, 10); // samples 28-31 of this sub-block, 0-5 of the next
  glide.Process(32);
  EXPECT_EQ(ramp.ValueAt(27), 0.0);
  EXPECT_DOUBLE_EQ(ramp.ValueAt(28), 0.1);
  EXPECT_DOUBLE_EQ(ramp.mEndValue, 0.4);
  glide.Process(32);
  EXPECT_EQ(ramp.ValueAt(5), 1.0);

  // A glide whose first sample is the last of a sub-block still moves on, and a long glide of
  // steps that do not add up exactly ends on its target.
  glide.SetTarget(0.3, 31, 1000);
  int samples = 0;
  for (int i = 0; i < 40 && glide.SamplesRemaining() > 0; ++i, samples += 32)
    glide.Process(32);
  EXPECT_EQ(ramp.mEndValue, 0.3);
  EXPECT_EQ(samples - 31 - (32 - ramp.mTransitionEnd), 1000);
}

TEST_F(Allocator, NoteOnGatesAndPitchesAtItsSampleOffsetAndTakesItsChannelsBend)
{
  Send(kVoiceActionNoteOn, 57, 0.75f, 7);
  Run();
  const ControlRamp& gate = mVoices[0].mInputs[SynthVoice::kGate];
  EXPECT_EQ(gate.ValueAt(6), 0.0);
  EXPECT_EQ(gate.ValueAt(7), 0.75);
  EXPECT_EQ(mVoices[0].mInputs[SynthVoice::kPitch].ValueAt(7), -1.0); // key 57 = 69 - 12

  // A note on a channel that was bent before any voice played on it starts bent.
  Send(kVoiceActionPitchBend, VoiceAddress::kAny, -1.f, 0, 5);
  Run();
  On(60, 1.f, 5);
  Run();
  EXPECT_EQ(mVoices[1].Ramp(SynthVoice::kPitchBend), -1.0);
}

TEST_F(Allocator, RoundRobinThenStealsTheVoiceTriggeredLongestAgo)
{
  On(60);
  Run();
  Off(60);
  Run();
  On(62); // voice 0 is idle again, but the next voice in turn is used
  Run();
  EXPECT_EQ(VoiceOf(62), 1);
  Off(62);
  Run();

  for (int key = 0; key < 12; ++key) // one note per sub-block: voices 2..11, 0, 1
  {
    On(key);
    Run();
  }
  EXPECT_EQ(mVoices.Gated(), 12);
  EXPECT_EQ(VoiceOf(0), 2);
  Off(5); // frees voice 7, which the next note takes
  Run();
  On(50);
  Run();
  EXPECT_EQ(VoiceOf(50), 7);
  On(51); // 13 held notes on 12 voices: the oldest (key 0 on voice 2) is stolen, then key 1...
  Run();
  On(52);
  Run();
  EXPECT_EQ(VoiceOf(51), 2);
  EXPECT_EQ(VoiceOf(52), 3);
  EXPECT_EQ(VoiceOf(0), -1);
  EXPECT_EQ(VoiceOf(6), 8); // younger notes keep sounding
}

TEST_F(Allocator, StealingWithinOneSubBlockFollowsTriggerOrderNotVoiceIndex)
{
  for (int key = 0; key < 5; ++key) // move the round-robin start to voice 5
    On(key);
  Run();
  Send(kVoiceActionNoteOff, 0, 0.f, 0, 0, VoiceAddress::kAllInZone);
  Run();
  for (int key = 60; key < 73; ++key) // 13 notes in one sub-block: 60 lands on voice 5
    On(key);
  Run();
  EXPECT_EQ(VoiceOf(72), 5);
  EXPECT_EQ(VoiceOf(60), -1);
  EXPECT_EQ(VoiceOf(67), 0);
}

TEST_F(Allocator, NoteOffReleasesItsKeyOnItsChannelOrLeavesItToThePedal)
{
  On(60);
  On(60, 1.f, 1);
  Off(60);
  Run();
  EXPECT_FALSE(mVoices[0].mGated);
  EXPECT_TRUE(mVoices[1].mGated);
  Off(60, 1);

  Pedal(true);
  On(60);
  On(64);
  On(67);
  Run();
  Off(60);
  Off(64);
  Run();
  EXPECT_EQ(mVoices.Gated(), 3);
  On(60); // played again under the pedal: a second voice for the same key
  Off(60);
  Run();
  EXPECT_EQ(mVoices.Gated(), 4);
  Pedal(false);
  Run();
  EXPECT_EQ(mVoices.Gated(), 1);
  EXPECT_EQ(VoiceOf(67), 4);

  // One key on two channels: the first note off passes without the pedal, the second under it.
  On(48, 1.f, 0);
  On(48, 1.f, 1);
  Off(48, 0);
  Run();
  Pedal(true);
  Off(48, 1);
  Run();
  EXPECT_EQ(mVoices.Gated(), 2);
  Pedal(false);
  Run();
  EXPECT_EQ(mVoices.Gated(), 1);
}

TEST_F(Allocator, AllNotesOffReleasesEverythingAndForgetsThePedal)
{
  for (TestVoice& voice : mVoices.mVoices)
    voice.mReleaseSubBlocks = 4;
  Pedal(true);
  On(60);
  On(64);
  Run();
  Send(kVoiceActionNoteOff, 0, 0.f, 9, 0, VoiceAddress::kAllInZone);
  Run();
  EXPECT_EQ(mVoices.Gated(), 0);
  EXPECT_FALSE(mAlloc.GetSustainPedal());
  EXPECT_EQ(mAlloc.NumHeldKeys(), 0);
  EXPECT_EQ(mVoices[0].mGain, 1.0); // the release tails play out
  On(62);
  Run();
  Off(62); // the pedal was forgotten: this note off releases at once
  Run();
  EXPECT_EQ(mVoices.Gated(), 0);
}

TEST_F(MonoAllocator, NewKeyTakesOverAndReleaseReturnsToAHeldKey)
{
  mAlloc.SetNoteGlideTime(64.5 / 48000.0); // 64 samples
  On(60, 0.9f);
  Run();
  EXPECT_EQ(mVoices[0].mTriggers, 1);
  EXPECT_FALSE(mVoices[0].mLastRetrigger);
  On(64, 0.5f);
  Run();
  EXPECT_EQ(mVoices.Busy(), 1);
  EXPECT_EQ(mVoices[0].mKey, 64);
  EXPECT_TRUE(mVoices[0].mLastRetrigger); // legato: the gate stays up
  EXPECT_EQ(mVoices[0].mInputs[SynthVoice::kGate].mEndValue, 0.9f);
  Run();
  EXPECT_FLOAT_EQ(mVoices[0].Ramp(SynthVoice::kPitch), -5.f / 12.f);

  Off(64); // back to C, with C's own velocity, gliding
  Run();
  EXPECT_EQ(mVoices[0].mKey, 60);
  EXPECT_FLOAT_EQ(mVoices[0].mLastLevel, 0.9f);
  EXPECT_TRUE(mVoices[0].mGated);
  EXPECT_LT(mVoices[0].Ramp(SynthVoice::kPitch), -5.f / 12.f);
  EXPECT_GT(mVoices[0].Ramp(SynthVoice::kPitch), -9.f / 12.f);
  Run();
  EXPECT_FLOAT_EQ(mVoices[0].Ramp(SynthVoice::kPitch), -9.f / 12.f);

  On(67);
  Off(60); // a held key that is not sounding: nothing to hear
  Run();
  EXPECT_EQ(mVoices[0].mKey, 67);
  EXPECT_EQ(mVoices[0].mTriggers, 4);
  Off(67);
  Run();
  EXPECT_EQ(mVoices.Busy(), 0);
  EXPECT_EQ(mVoices.Gated(), 0);
}

TEST_F(MonoAllocator, PedalHoldsTheLastKeyUntilItComesUp)
{
  Pedal(true);
  On(60);
  Off(60);
  Run();
  EXPECT_TRUE(mVoices[0].mGated);
  On(64);
  Off(64);
  Run();
  EXPECT_EQ(mVoices[0].mKey, 64);
  EXPECT_TRUE(mVoices[0].mLastRetrigger);
  EXPECT_TRUE(mVoices[0].mGated);
  Pedal(false);
  Run();
  EXPECT_EQ(mVoices.Busy(), 0);
}

TEST_F(Allocator, ModeSwitchFromAnotherThreadReleasesEveryVoice)
{
  On(60);
  On(64);
  Run();
  std::thread([this] { mAlloc.SetPolyMode(VoiceAllocator::kPolyModeMono); }).join();
  EXPECT_EQ(mAlloc.GetPolyMode(), VoiceAllocator::kPolyModePoly); // not before the next sub-block
  Run();
  EXPECT_EQ(mAlloc.GetPolyMode(), VoiceAllocator::kPolyModeMono);
  EXPECT_EQ(mVoices.Gated(), 0);
  On(67);
  On(69);
  Run();
  EXPECT_EQ(mVoices.Gated(), 1);
  Off(64); // a key held before the switch: harmless
  Off(69);
  Off(67);
  Run();
  EXPECT_EQ(mVoices.Gated(), 0);
}

TEST_F(Allocator, RefusesWhatItCannotServe)
{
  Send(kVoiceActionNoteOn, 200, 1.f); // not a MIDI key
  Run();
  EXPECT_EQ(mVoices.Busy(), 0);
  VoiceInputEvent zone1;
  zone1.mAddress = VoiceAddress{1, 0, 60, 0};
  zone1.mAction = kVoiceActionNoteOn;
  mAlloc.AddEvent(zone1); // no voice in zone 1: nothing starts, nothing sticks
  Run();
  EXPECT_EQ(mVoices.Busy(), 0);
  mAlloc.SendControlToVoiceInputs(VoiceBitSet().set(), 7, 1.0, 1); // no such ramp: ignored

  VoiceAllocator full;
  TestVoices many(VoiceAllocator::kMaxVoices + 1);
  for (int i = 0; i < VoiceAllocator::kMaxVoices; ++i)
    full.AddVoice(&many[i], 0);
  EXPECT_THROW(full.AddVoice(&many[VoiceAllocator::kMaxVoices], 0), std::runtime_error);
}
