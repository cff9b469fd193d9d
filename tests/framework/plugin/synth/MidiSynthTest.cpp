#include "framework/plugin/synth/MidiSynth.h"
#include "tests/framework/plugin/synth/TestVoice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

using namespace plugin;
using synthtest::TestVoice;
using synthtest::TestVoices;

namespace
{

struct Rig
{
  explicit Rig(int nVoices = 12, int releaseSubBlocks = 0) : mVoices(nVoices)
  {
    for (TestVoice& voice : mVoices.mVoices)
    {
      voice.mReleaseSubBlocks = releaseSubBlocks;
      mSynth.AddVoice(&voice, 0);
    }
    mSynth.SetSampleRateAndBlockSize(48000.0, 4096);
  }

  bool Render(int n, double fill = 0.0)
  {
    mOut0.assign(n, fill);
    mOut1.assign(n, fill);
    double* outputs[2] = {mOut0.data(), mOut1.data()};
    return mSynth.ProcessBlock(nullptr, outputs, 0, 2, n);
  }

  void Midi(int offset, int status, int data1, int data2)
  {
    ASSERT_TRUE(
      mSynth.AddMidiMsgToQueue(IMidiMsg(offset, uint8_t(status), uint8_t(data1), uint8_t(data2))));
  }

  // Sends a controller sequence on one channel, all at offset 0, and renders a block.
  void Controllers(int channel, std::initializer_list<std::pair<int, int>> pairs)
  {
    for (auto [controller, value] : pairs)
      Midi(0, 0xB0 | channel, controller, value);
    Render(32);
  }

  MidiSynth mSynth;
  TestVoices mVoices;
  std::vector<double> mOut0, mOut1;
};

int FirstNonZero(const std::vector<double>& samples)
{
  const auto it = std::find_if(samples.begin(), samples.end(), [](double x) { return x != 0.0; });
  return static_cast<int>(it - samples.begin());
}

} // namespace

TEST(MidiSynth, NoteTakesEffectAtTheStartOfTheSubBlockContainingItsOffset)
{
  for (int blockSize : {1, 31, 32, 33, 512, 4096})
  {
    for (int k : {0, 1, 31, 32, 33, 95, 100, 4100})
    {
      SCOPED_TRACE(testing::Message() << "block " << blockSize << ", note at " << k);
      Rig rig(1);
      const int total = 4164;
      std::vector<double> gate(total), rendered(total);
      for (int start = 0; start < total; start += blockSize)
      {
        const int n = std::min(blockSize, total - start);
        if (k >= start && k < start + n)
          rig.Midi(k - start, 0x90, 60, 127);
        rig.Render(n);
        std::copy(rig.mOut0.begin(), rig.mOut0.end(), gate.begin() + start);
        std::copy(rig.mOut1.begin(), rig.mOut1.end(), rendered.begin() + start);
      }
      const int blockStart = k / blockSize * blockSize;
      EXPECT_EQ(FirstNonZero(rendered), blockStart + (k - blockStart) / 32 * 32);
      EXPECT_EQ(FirstNonZero(gate), k); // and the gate rises on the note's own sample
    }
  }
}

TEST(MidiSynth, RendersSubBlocksOfAtMost32AndCarriesLateMessagesOn)
{
  Rig rig(1, 1);
  EXPECT_TRUE(rig.Render(64, 5.0)); // nothing to do: outputs untouched
  EXPECT_EQ(rig.mOut0[0], 5.0);

  rig.Midi(0, 0x90, 60, 127);
  rig.Midi(100, 0x80, 60, 0); // beyond this 70-sample block
  EXPECT_FALSE(rig.Render(70));
  const auto& renders = rig.mVoices[0].mRenders;
  using Render = std::pair<int, int>;
  EXPECT_EQ(renders, (std::vector<Render>{{0, 32}, {32, 32}, {64, 6}}));
  EXPECT_TRUE(rig.mVoices[0].mGated);

  rig.Render(64); // the note off lands at offset 30 of this block
  EXPECT_EQ(rig.mOut0[29], 1.0);
  EXPECT_EQ(rig.mOut0[30], 0.0);
  EXPECT_FALSE(rig.mVoices[0].mGated);
}

TEST(MidiSynth, ConvertsNotesWithSevenBitDataAndIgnoresSystemMessages)
{
  Rig rig;
  rig.Midi(0, 0x90, 0xBC, 0xFF); // stray top bits: key 60, velocity 127
  rig.Midi(0, 0xF8, 60, 100);    // clock
  rig.Midi(0, 0x45, 60, 100);    // a data byte where a status belongs
  rig.Render(32);
  EXPECT_EQ(rig.mVoices.Gated(), 1);
  EXPECT_EQ(rig.mVoices[0].mKey, 60);
  EXPECT_EQ(rig.mVoices[0].mLastLevel, 1.0);
  rig.Midi(0, 0x90, 0x3C, 0); // note on with velocity 0 releases
  rig.Render(32);
  EXPECT_EQ(rig.mVoices.Gated(), 0);

  rig.Midi(0, 0x90, 60, 100);
  rig.Midi(0, 0x90, 64, 100);
  rig.Controllers(0, {{64, 127}, {123, 0}}); // sustain pedal, all notes off
  EXPECT_EQ(rig.mVoices.Gated(), 0);
}

TEST(MidiSynth, FullPitchBendMovesByTheChannelRangeInSemitones)
{
  Rig rig;
  rig.Midi(0, 0x90, 60, 100);
  rig.Midi(0, 0xE0, 127, 127);
  for (int i = 0; i < 15; ++i) // the 10 ms control glide: 480 samples
    rig.Render(32);
  EXPECT_EQ(rig.mVoices[0].Ramp(SynthVoice::kPitchBend), 8191.f / 8192.f * 2.f);

  std::thread([&] { rig.mSynth.SetPitchBendRange(12.0); }).join();
  rig.Midi(0, 0xE0, 0, 0); // full down
  for (int i = 0; i < 15; ++i)
    rig.Render(32);
  EXPECT_EQ(rig.mVoices[0].Ramp(SynthVoice::kPitchBend), -12.0);
}

TEST(MidiSynth, RpnZeroSetsSemitonesAndCentsOfOneChannel)
{
  Rig rig;
  MidiSynth& synth = rig.mSynth;
  rig.Controllers(3, {{101, 0}, {100, 0}, {6, 7}});
  EXPECT_EQ(synth.GetChannelPitchBendRange(3), 7.0);
  EXPECT_EQ(synth.GetChannelPitchBendRange(0), 2.0);
  rig.Controllers(3, {{38, 50}}); // cents after the semitones
  EXPECT_FLOAT_EQ(synth.GetChannelPitchBendRange(3), 7.5f);
  EXPECT_FLOAT_EQ(synth.MidiMessageToEvent(IMidiMsg(0, 0xE3, 127, 127)).mValue,
                  7.5f * 8191.f / 8192.f);
  rig.Controllers(4, {{101, 0}, {100, 0}, {38, 5}, {6, 7}}); // cents before the semitones
  EXPECT_FLOAT_EQ(synth.GetChannelPitchBendRange(4), 7.05f);
  rig.Controllers(4, {{101, 0}, {100, 0}, {6, 127}});
  EXPECT_EQ(synth.GetChannelPitchBendRange(4), 96.0);

  // Data entry for a non-registered parameter, or with nothing selected, changes nothing.
  rig.Controllers(3, {{99, 0}, {98, 0}, {6, 20}});
  rig.Controllers(5, {{6, 20}});
  EXPECT_FLOAT_EQ(synth.GetChannelPitchBendRange(3), 7.5f);
  EXPECT_EQ(synth.GetChannelPitchBendRange(5), 2.0);
}

TEST(MidiSynth, MpeConfigurationNeverStrandsANote)
{
  Rig rig;
  const std::initializer_list<std::pair<int, int>> lowerZone7 = {{101, 0}, {100, 6}, {6, 7}};
  rig.Midi(0, 0x9E, 60, 100);
  rig.Controllers(0, lowerZone7); // not an MPE instrument: ignored
  EXPECT_FALSE(rig.mSynth.GetMPEMode());
  rig.Midi(0, 0x8E, 60, 0);
  rig.Render(32);
  EXPECT_EQ(rig.mVoices.Gated(), 0);

  rig.mSynth.SetMPEEnabled(true);
  rig.Midi(0, 0x93, 60, 100);
  rig.Controllers(0, lowerZone7); // the zones change: every note is released
  EXPECT_TRUE(rig.mSynth.GetMPEMode());
  EXPECT_EQ(rig.mVoices.Gated(), 0);
  EXPECT_EQ(rig.mSynth.GetChannelPitchBendRange(0), 2.0);
  EXPECT_EQ(rig.mSynth.GetChannelPitchBendRange(7), 48.0);

  rig.Midi(0, 0x93, 60, 100); // notes on member channels play and release normally
  rig.Midi(0, 0x83, 60, 0);
  rig.Render(32);
  EXPECT_EQ(rig.mVoices.Count(&TestVoice::mTriggers), 3);
  EXPECT_EQ(rig.mVoices.Gated(), 0);
}

TEST(MidiSynth, ResetLeavesNothingSounding)
{
  Rig rig(12, 8);
  for (int key = 60; key < 64; ++key)
    rig.Midi(0, 0x90, key, 100);
  rig.Render(64);
  EXPECT_GT(rig.mOut1[63], 0.0);
  rig.mSynth.SetSampleRateAndBlockSize(44100.0, 512);
  EXPECT_EQ(rig.mSynth.GetSampleTime(), 0);
  rig.Render(64);
  EXPECT_EQ(rig.mVoices.Gated(), 0);
  EXPECT_TRUE(std::all_of(rig.mOut1.begin(), rig.mOut1.end(), [](double x) { return x == 0; }));
}

// One thread feeds note pairs while another renders: with the feeder retrying whenever the inbox
// is full, every note arrives and is released. Voices go idle at release, so no voice is ever
// stolen (a pair split across two blocks leaves one voice held in between, never twelve).
TEST(MidiSynth, TwoThreadStressLosesNothingWhileThereIsRoom)
{
  Rig rig(12, 0);
  for (TestVoice& voice : rig.mVoices.mVoices)
    voice.mLogRenders = false;
  constexpr int kNotes = 20000;
  std::atomic<bool> done{false};
  std::thread feeder(
    [&]
    {
      for (int i = 0; i < kNotes; ++i)
      {
        const auto status = uint8_t(i % 16);
        const IMidiMsg on(i % 64, 0x90 | status, uint8_t(i % 128), 100);
        const IMidiMsg off(i % 64, 0x80 | status, uint8_t(i % 128), 0);
        while (!rig.mSynth.AddMidiMsgToQueue(on))
          std::this_thread::yield();
        while (!rig.mSynth.AddMidiMsgToQueue(off))
          std::this_thread::yield();
      }
      done.store(true);
    });
  while (!done.load())
    rig.Render(64);
  for (int i = 0; i < 1000 && rig.mVoices.Count(&TestVoice::mReleases) < kNotes; ++i)
    rig.Render(64);
  feeder.join();
  EXPECT_EQ(rig.mVoices.Count(&TestVoice::mTriggers), kNotes);
  EXPECT_EQ(rig.mVoices.Count(&TestVoice::mReleases), kNotes);
  EXPECT_EQ(rig.mVoices.Gated(), 0);
}
