#include "tools/MidiFile.h"
#include "tools/WavFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

using namespace host;

namespace
{
std::vector<uint8_t> Header(int format, int tracks, int division)
{
  return {'M',
          'T',
          'h',
          'd',
          0,
          0,
          0,
          6,
          0,
          static_cast<uint8_t>(format),
          0,
          static_cast<uint8_t>(tracks),
          static_cast<uint8_t>(division >> 8),
          static_cast<uint8_t>(division & 0xFF)};
}

void AddTrack(std::vector<uint8_t>& file, const std::vector<uint8_t>& body)
{
  const auto n = static_cast<uint32_t>(body.size());
  file.insert(file.end(),
              {'M', 'T', 'r', 'k', static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
               static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)});
  file.insert(file.end(), body.begin(), body.end());
}
} // namespace

TEST(MidiFile, TimesEventsAcrossTracksWithTempoAndRunningStatus)
{
  // 96 ticks per quarter; track 0 sets 60 bpm (1 s per quarter) at tick 0.
  std::vector<uint8_t> file = Header(1, 2, 96);
  AddTrack(file, {0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40, 0x00, 0xFF, 0x2F, 0x00});
  // Track 1: note on at 0, running-status note on at 48 ticks, note off at 96 (delta 0x30),
  // a system-exclusive event in between, a program change (one data byte).
  AddTrack(file, {0x00, 0x90, 60, 100, 0x30, 64,   90, 0x00, 0xF0, 0x02, 0x01, 0xF7,
                  0x30, 0x80, 60, 0,   0x00, 0xC0, 5,  0x00, 0xFF, 0x2F, 0x00});
  std::vector<TimedMidi> events;
  std::string error;
  ASSERT_TRUE(ParseMidiFile(file.data(), file.size(), 1000.0, events, error)) << error;
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0].frame, 0);
  EXPECT_EQ(events[1].frame, 500); // half a quarter at 60 bpm
  EXPECT_EQ(events[1].bytes[0], 0x90);
  EXPECT_EQ(events[1].bytes[1], 64);
  EXPECT_EQ(events[2].frame, 1000);
  EXPECT_EQ(events[3].bytes[0], 0xC0);
  EXPECT_EQ(events[3].bytes[1], 5);
}

TEST(MidiFile, RefusesBrokenFilesWithoutReadingPastThem)
{
  std::vector<TimedMidi> events;
  std::string error;
  std::vector<uint8_t> file = Header(0, 1, 96);
  EXPECT_FALSE(ParseMidiFile(file.data(), 10, 48000, events, error));
  // A track whose length runs past the end of the file.
  std::vector<uint8_t> longTrack = file;
  AddTrack(longTrack, {0x00, 0x90, 60});
  longTrack[21] = 0x40;
  EXPECT_FALSE(ParseMidiFile(longTrack.data(), longTrack.size(), 48000, events, error));
  // A note cut off inside the track, and a data byte with no status.
  for (std::vector<uint8_t> body :
       {std::vector<uint8_t>{0x00, 0x90, 60}, std::vector<uint8_t>{0x00, 0x40, 0x40},
        std::vector<uint8_t>{0x80, 0x80, 0x80, 0x80, 0x80}})
  {
    std::vector<uint8_t> f = file;
    AddTrack(f, body);
    EXPECT_FALSE(ParseMidiFile(f.data(), f.size(), 48000, events, error));
  }
  // SMPTE division is not supported.
  std::vector<uint8_t> smpte = Header(0, 0, 0xE728);
  EXPECT_FALSE(ParseMidiFile(smpte.data(), smpte.size(), 48000, events, error));
}

TEST(MidiFile, DemoPhraseBalancesEveryNote)
{
  const auto events = DemoPhrase(48000.0);
  int on = 0, off = 0;
  for (const auto& e : events)
    (e.bytes[0] == 0x90 ? on : off)++;
  EXPECT_EQ(on, off);
  EXPECT_GT(on, 8);
  EXPECT_NEAR(LastFrame(events) / 48000.0, 3.75, 0.01);
}

TEST(WavFile, WritesAPlayableHeaderAndClipsSixteenBitSamples)
{
  StereoBuffer audio;
  audio.left = {0.0f, 1.5f, -0.5f};
  audio.right = {0.25f, -2.0f, 0.0f};
  const std::string path = ::testing::TempDir() + "pelmora_wav_test.wav";
  std::string error;
  ASSERT_TRUE(WriteWav(path, audio, 44100, false, error)) << error;
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  ASSERT_EQ(bytes.size(), 44u + 3 * 2 * 2);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
  EXPECT_EQ(bytes[22], 2); // channels
  auto sample = [&](int i)
  {
    return static_cast<int16_t>(bytes[44 + 2 * i] | bytes[45 + 2 * i] << 8);
  };
  EXPECT_EQ(sample(2), 32767);  // 1.5 clipped
  EXPECT_EQ(sample(3), -32767); // -2.0 clipped
  std::remove(path.c_str());

  const AudioStats stats = Measure(audio, 44100);
  EXPECT_DOUBLE_EQ(stats.peak, 2.0);
  EXPECT_NEAR(stats.rms, std::sqrt((1.5 * 1.5 + 0.25 + 0.0625 + 4.0) / 6.0), 1e-6);
}
