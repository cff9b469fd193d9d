#include "instrument/persistence/StateChunk.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

using plugin::IByteChunk;

namespace
{

// An envelope at rate whose stages last the given durations (levels alternate up and down).
EnvelopeParameter EnvelopeOf(float rate, std::initializer_list<float> milliseconds, bool sustain)
{
  EnvelopeParameter envelope(rate);
  envelope.mSustain = sustain;
  envelope.InitStages(static_cast<int>(milliseconds.size()));
  int i = 0;
  for (float ms : milliseconds)
  {
    const bool rising = i % 2 == 0;
    envelope.SetStage(i, rising ? 0.125f * i : 0.9f, rising ? 0.9f : 0.3f / (i + 1), ms);
    ++i;
  }
  return envelope;
}

std::unique_ptr<InstrumentState> VariedState(float rate)
{
  auto state = std::make_unique<InstrumentState>();
  state->mName = "Glass Bells";
  state->mCategory = "Keys";
  state->mIndex = 3;
  constexpr float kMsAt44 = 1000.0f / 44100.0f; // one sample at 44.1 kHz
  state->mEnvelopes[0] = EnvelopeOf(rate, {100 * kMsAt44, 200.0f, 100.0f, 200 * kMsAt44}, true);
  state->mEnvelopes[1] = EnvelopeOf(rate, {0.0f, 0.02f, 0.16f, 279.93f},
                                    false); // odd durations, shorter than any limit
  state->mEnvelopes[2] = EnvelopeOf(rate, {5000.0f, 0.68f, 4.5f, 4.56f, 22.65f}, true);
  state->mEnvelopes[3] = EnvelopeOf(rate, {1.0f, 2.0f, 10.0f, 4999.99f}, true);
  state->mEnvelopes[4] = EnvelopeOf(rate, {22.68f, 45.35f}, false);
  for (size_t i = 0; i < state->mParams.size(); ++i)
  {
    state->mParams[i] = std::sin(static_cast<double>(i)) * 100.0;
  }
  return state;
}

IByteChunk Written(const InstrumentState& state)
{
  IByteChunk chunk;
  EXPECT_TRUE(StateChunk::Write(state, chunk));
  return chunk;
}

// Overwrites bytes of a chunk in place (the offsets of a test are always inside it).
void Poke(IByteChunk& chunk, int offset, const void* bytes, size_t count)
{
  ASSERT_LE(offset + static_cast<int>(count), chunk.Size());
  uint8_t* data = chunk.Data();
  if (data)
  {
    std::memcpy(data + offset, bytes, count);
  }
}

} // namespace

TEST(StateChunk, GetSetGetIsByteIdenticalAtEveryRate)
{
  // Durations are stored as they are kept: a record reads back to the same bytes at its own rate
  // and at any other, with lengths in samples at the reading rate.
  for (float rate : {44100.0f, 48000.0f, 96000.0f, 22050.0f, 192000.0f})
  {
    const auto state = VariedState(rate);
    IByteChunk first;
    first.AppendValue(int32_t{77}); // the record may start anywhere in a chunk
    ASSERT_TRUE(StateChunk::Write(*state, first));

    for (float readRate : {rate, 44100.0f, 96000.0f})
    {
      auto restored = std::make_unique<InstrumentState>();
      ASSERT_EQ(StateChunk::Read(first, 4, readRate, *restored), first.Size()) << rate;
      for (int e = 0; e < kNumEnvelopes; ++e)
      {
        const EnvelopeParameter& in = state->mEnvelopes[static_cast<size_t>(e)];
        const EnvelopeParameter& out = restored->mEnvelopes[static_cast<size_t>(e)];
        ASSERT_EQ(out.NumStages(), in.NumStages());
        EXPECT_EQ(out.mSampleRate, readRate);
        EXPECT_EQ(out.mTimeScale, readRate / 44100.0f);
        for (int i = 0; i < in.NumStages(); ++i)
        {
          const EnvelopeStageParameter& stage = out.Stage(i);
          EXPECT_EQ(stage.mMilliseconds, in.Stage(i).mMilliseconds);
          EXPECT_EQ(stage.mSamples, EnvelopeParameter::StageSamples(stage.mMilliseconds,
                                                                    stage.IsFalling(), readRate));
          EXPECT_EQ(stage.mIncrement, 1.0f / static_cast<float>(stage.mSamples));
        }
      }
      IByteChunk second;
      second.AppendValue(int32_t{77});
      ASSERT_TRUE(StateChunk::Write(*restored, second));
      EXPECT_TRUE(second.IsEqual(first)) << rate << " read at " << readRate;
    }
  }
}

TEST(StateChunk, BrokenRecordsAreRefusedWithoutTouchingTheOutput)
{
  const auto state = VariedState(48000.0f);
  const IByteChunk whole = Written(*state);
  auto sentinel = std::make_unique<InstrumentState>();
  sentinel->mName = "keep";
  sentinel->mIndex = 42;
  // Corruptions at known places: each must be refused whole.
  const int envelopeA = StateChunk::kHeaderSize;
  const int valuesAt = whole.Size() - 64 * 8;
  struct Corruption
  {
    const char* what;
    int offset;
    std::vector<uint8_t> bytes;
  };
  auto bytesOf = [](auto value)
  {
    std::vector<uint8_t> bytes(sizeof(value));
    std::memcpy(bytes.data(), &value, sizeof(value));
    return bytes;
  };
  const std::vector<Corruption> corruptions = {
    {"no stage", envelopeA + 1, bytesOf(int32_t{0})},
    {"65 stages", envelopeA + 1, bytesOf(int32_t{65})},
    {"negative count", envelopeA + 1, bytesOf(int32_t{-4})},
    {"huge count", envelopeA + 1, bytesOf(int32_t{0x7fffffff})},
    {"sustain without release stage", envelopeA + 1, bytesOf(int32_t{3})},
    {"NaN level", envelopeA + 5, bytesOf(std::numeric_limits<float>::quiet_NaN())},
    {"infinite time", envelopeA + 13, bytesOf(std::numeric_limits<float>::infinity())},
    {"NaN parameter", valuesAt + 8 * 10, bytesOf(std::numeric_limits<double>::quiet_NaN())},
    {"infinite parameter", valuesAt, bytesOf(-std::numeric_limits<double>::infinity())},
  };
  for (const Corruption& corruption : corruptions)
  {
    IByteChunk broken;
    broken.AppendChunk(whole);
    Poke(broken, corruption.offset, corruption.bytes.data(), corruption.bytes.size());
    auto out = std::make_unique<InstrumentState>(*sentinel);
    EXPECT_EQ(StateChunk::Read(broken, 0, 48000.0f, *out), -1) << corruption.what;
    EXPECT_EQ(out->mName, "keep") << corruption.what;
  }
  // A negative start position (a failed read before) fails too.
  auto out = std::make_unique<InstrumentState>(*sentinel);
  EXPECT_EQ(StateChunk::Read(whole, -1, 48000.0f, *out), -1);
}

TEST(StateChunk, StoredValuesAreLimitedToWhatAVoiceCanPlay)
{
  auto state = std::make_unique<InstrumentState>();
  IByteChunk chunk = Written(*state);
  // Envelope A, stage 0: levels -3 and 7, a zero duration; stage 1: a negative duration.
  const float stage0[3] = {-3.0f, 7.0f, 0.0f};
  const float stage1Time = -50.0f;
  Poke(chunk, StateChunk::kHeaderSize + 5, stage0, sizeof(stage0));
  Poke(chunk, StateChunk::kHeaderSize + 5 + 12 + 8, &stage1Time, 4);
  // Envelope B, stage 0: one millisecond.
  const float oneMs = 1.0f;
  Poke(chunk, StateChunk::kHeaderSize + 53 + 5 + 8, &oneMs, 4);
  auto out = std::make_unique<InstrumentState>();
  ASSERT_EQ(StateChunk::Read(chunk, 0, 48000.0f, *out), chunk.Size());
  const EnvelopeParameter& a = out->mEnvelopes[0];
  EXPECT_EQ(a.Stage(0).mStartLevel, 0.0f);
  EXPECT_EQ(a.Stage(0).mEndLevel, 1.0f);
  EXPECT_EQ(a.Stage(0).mSpan, 1.0f);
  EXPECT_EQ(a.Stage(0).mSamples, 32); // rising: never shorter than 30 samples at 44.1 kHz
  EXPECT_EQ(a.Stage(1).mSamples, 32); // flat (1 -> 1) counts as rising
  // One millisecond of a rising stage at 48 kHz is 48 samples.
  EXPECT_EQ(out->mEnvelopes[1].Stage(0).mSamples, 48);
}

TEST(StateChunk, NamesFillTheirFieldsAndAreCutOnACharacterBoundary)
{
  auto state = std::make_unique<InstrumentState>();
  state->mName = std::string(255, 'n');
  state->mCategory = std::string(253, 'c') + "\xC3\xA9\xC3\xA9"; // 257 bytes ending in "éé"
  const IByteChunk chunk = Written(*state);
  EXPECT_EQ(chunk.Data()[254], 'n');
  EXPECT_EQ(chunk.Data()[255], 0);
  EXPECT_EQ(chunk.Data()[256 + 255], 0) << "the category field stays terminated";
  auto out = std::make_unique<InstrumentState>();
  ASSERT_GT(StateChunk::Read(chunk, 0, 44100.0f, *out), 0);
  EXPECT_EQ(out->mName, state->mName);
  EXPECT_EQ(out->mCategory, std::string(253, 'c') + "\xC3\xA9"); // 255 bytes, whole characters

  EXPECT_EQ(CutUtf8("ab\xE2\x82\xAC", 4), "ab");               // never half a euro sign
  EXPECT_EQ(CutUtf8("abc\x80\x80\x80\x80", 5), "abc\x80\x80"); // not UTF-8: cut at the limit
}
